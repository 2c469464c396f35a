#include "camerawrapper.h"

CameraWrapper::CameraWrapper(int cameraType, const QString &cameraId, const QString &cameraName,
                             const QString &deviceName)
    : m_cameraId(cameraId)
    , m_cameraName(cameraName)
    , m_deviceName(deviceName)
    , m_cameraType(cameraType)
{
}

CameraWrapper::~CameraWrapper() = default;

void CameraWrapper::downloadSnapshot(int presetNum)
{
    Q_UNUSED(presetNum)
}

int CameraWrapper::cameraType() const
{
    return m_cameraType;
}

QString CameraWrapper::cameraId() const
{
    return m_cameraId;
}

QString CameraWrapper::cameraName() const
{
    return m_cameraName;
}

QString CameraWrapper::deviceName() const
{
    return m_deviceName;
}

QString CameraWrapper::serialNumber() const
{
    return m_serialNumber;
}

SpeedRange CameraWrapper::panSpeedRange() const
{
    return m_panSpeedRange;
}

SpeedRange CameraWrapper::tiltSpeedRange() const
{
    return m_tiltSpeedRange;
}

SpeedRange CameraWrapper::zoomSpeedRange() const
{
    return m_zoomSpeedRange;
}

SpeedRange CameraWrapper::focusSpeedRange() const
{
    return m_focusSpeedRange;
}

void CameraWrapper::connectCamera()
{
}

void CameraWrapper::disconnectCamera()
{
}

void CameraWrapper::moveUp(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveLeft(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveDown(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveRight(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::stopMoving(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::stopZooming()
{
}

void CameraWrapper::moveHome()
{
}

void CameraWrapper::zoomIn(int speed)
{
    Q_UNUSED(speed)
}

void CameraWrapper::zoomOut(int speed)
{
    Q_UNUSED(speed)
}

void CameraWrapper::moveUpLeft(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveUpRight(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveDownRight(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::moveDownLeft(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
}

void CameraWrapper::setAutoFocus(bool on)
{
    Q_UNUSED(on)
}

void CameraWrapper::focusIn(int speed)
{
    Q_UNUSED(speed)
}

void CameraWrapper::focusOut(int speed)
{
    Q_UNUSED(speed)
}

void CameraWrapper::stopFocusing()
{
}

void CameraWrapper::setPreset(int presetNum)
{
    Q_UNUSED(presetNum)
}

void CameraWrapper::callPreset(int presetNum)
{
    Q_UNUSED(presetNum)
}

void CameraWrapper::setIris(int index)
{
    Q_UNUSED(index)
}

void CameraWrapper::resetIris()
{
}

void CameraWrapper::setShutter(int index)
{
    Q_UNUSED(index)
}

void CameraWrapper::resetShutter()
{
}

void CameraWrapper::setBright(int value)
{
    Q_UNUSED(value)
}

void CameraWrapper::brightUp()
{
}

void CameraWrapper::brightDown()
{
}

void CameraWrapper::resetBright()
{
}

void CameraWrapper::setAeMode(int index)
{
    Q_UNUSED(index)
}

void CameraWrapper::setWbMode(int index)
{
    Q_UNUSED(index)
}

void CameraWrapper::inquireZoomPosition()
{
}

void CameraWrapper::inquireFocusPosition()
{
}

void CameraWrapper::inquireFocusMode()
{
}

void CameraWrapper::inquireShutter()
{
}

void CameraWrapper::inquireIris()
{
}

void CameraWrapper::inquireBright()
{
}

void CameraWrapper::inquirePanTiltPosition()
{
}

void CameraWrapper::inquireLuminance()
{
}

void CameraWrapper::inquireContrast()
{
}

void CameraWrapper::inquireHue()
{
}

void CameraWrapper::inquireAeMode()
{
}

void CameraWrapper::inquireWbMode()
{
}

void CameraWrapper::setLuminance(int value)
{
    Q_UNUSED(value)
}

void CameraWrapper::setContrast(int value)
{
    Q_UNUSED(value)
}

void CameraWrapper::setHue(int value)
{
    Q_UNUSED(value)
}

void CameraWrapper::triggerOnePushWb()
{
}

void CameraWrapper::osdMenu()
{
}

void CameraWrapper::osdEnter()
{
}

void CameraWrapper::osdBack()
{
}

void CameraWrapper::setImageFlip(bool on)
{
    Q_UNUSED(on)
}

void CameraWrapper::setImageMirror(bool on)
{
    Q_UNUSED(on)
}

void CameraWrapper::setPresetSpeed(int index)
{
    Q_UNUSED(index)
}

void CameraWrapper::setPanTiltLimitUpRight(int tiltPosition, int panPosition)
{
    Q_UNUSED(tiltPosition)
    Q_UNUSED(panPosition)
}

void CameraWrapper::setPanTiltLimitDownLeft(int tiltPosition, int panPosition)
{
    Q_UNUSED(tiltPosition)
    Q_UNUSED(panPosition)
}

void CameraWrapper::setFocusLock(bool locked)
{
    Q_UNUSED(locked)
}

void CameraWrapper::clearPanTiltLimit(int corner)
{
    Q_UNUSED(corner)
}

int CameraWrapper::leftPanDegrees(int position) const
{
    Q_UNUSED(position)
    return 0;
}

int CameraWrapper::rightPanDegrees(int position) const
{
    Q_UNUSED(position)
    return 0;
}

int CameraWrapper::upTiltDegrees(int position) const
{
    Q_UNUSED(position)
    return 0;
}

int CameraWrapper::downTiltDegrees(int position) const
{
    Q_UNUSED(position)
    return 0;
}

void CameraWrapper::setMotionSync(bool on)
{
    Q_UNUSED(on)
}

void CameraWrapper::clearPreset(int presetNum)
{
    Q_UNUSED(presetNum)
}

void CameraWrapper::setTally(TallyState state)
{
    Q_UNUSED(state)
}

void CameraWrapper::setTallySourceLive(bool live)
{
    Q_UNUSED(live)
}
