#include "usbcamera.h"

#include "cameralog.h"
#include "datapaths.h"

#include <lensgrip/uvccameralibrary.h>

#include <QSettings>
#include <QTimer>

#include <iterator>

namespace {

constexpr int kPollIntervalMs = 500;

// One status inquiry per poll tick, in this order; a cycle ends with the white balance step.
constexpr void (CameraWrapper::*kPollSteps[])() = {
    &CameraWrapper::inquireZoomPosition,
    &CameraWrapper::inquireFocusPosition,
    &CameraWrapper::inquireFocusMode,
    &CameraWrapper::inquireShutter,
    &CameraWrapper::inquireIris,
    &CameraWrapper::inquireBright,
    &CameraWrapper::inquirePanTiltPosition,
    &CameraWrapper::inquireLuminance,
    &CameraWrapper::inquireContrast,
    &CameraWrapper::inquireHue,
    &CameraWrapper::inquireAeMode,
    &CameraWrapper::inquireWbMode,
};
constexpr int kPollStepCount = int(std::size(kPollSteps));

// A position is a signed 32-bit value; its four parts, most significant first, are the low bytes of
// the value divided by 256^k with truncation toward zero. For negative values that is not two's
// complement: -1 gives 00 00 00 FF and -300 gives 00 00 FF D4, which is what the status line shows.
void storePosition(quint8 (&member)[4], long position)
{
    const qint64 value = qint32(position);
    qint64 divisor = 1;
    for (int k = 0; k < 4; ++k) {
        member[3 - k] = quint8(((value / divisor) % 256) & 0xFF);
        divisor *= 256;
    }
}

SpeedRange toSpeedRange(const uvc_ranges_t &range)
{
    return SpeedRange{range.minimum, range.maximum, range.defaultValue};
}

} // namespace

USBCamera::USBCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName)
    : CameraWrapper(1, cameraId, cameraName, deviceName)
    , m_library(new UVCCameraLibrary)
    , m_presetStore(new QSettings(DataPaths::usbPresetsFile(), QSettings::IniFormat))
    , m_pollTimer(new QTimer(this))
{
    connect(m_pollTimer, &QTimer::timeout, this, &USBCamera::onTimer);
}

USBCamera::~USBCamera()
{
    qCDebug(lcCamera) << "delete usb";
    disconnectCamera();
    delete m_pollTimer;
    m_pollTimer = nullptr;
    delete m_presetStore;
    m_presetStore = nullptr;
    delete m_library;
    m_library = nullptr;
}

void USBCamera::checkResult(long result) const
{
    if (result < 0)
        qCDebug(lcCamera) << "UVC Control Failed";
}

QString USBCamera::presetKey(int presetNum, const char *axis) const
{
    return cameraId() + QString::number(presetNum) + QLatin1Char('_') + QLatin1String(axis);
}

void USBCamera::connectCamera()
{
    // Connecting again re-opens the device (the library lets go of the old one first), which recovers
    // a camera that was unplugged and plugged in meanwhile. A connected camera stays connected through
    // that: the window keeps it as its current camera.
    QByteArray name = cameraId().toUtf8();
    if (!m_library->connectDevice(name.data())) {
        // Silent for a camera that was not connected; one that was has just been lost, and says so.
        disconnectCamera();
        return;
    }
    m_library->checkOSDMenu();
    m_panSpeedRange = toSpeedRange(m_library->getPanCtrlRanges());
    m_tiltSpeedRange = toSpeedRange(m_library->getTiltCtrlRanges());
    m_zoomSpeedRange = toSpeedRange(m_library->getZoomCtrlRanges());
    m_focusSpeedRange = toSpeedRange(m_library->getFocusCtrlRanges());
    m_connected = true;
    // A device that was moving when it was last closed (or by another program) starts from rest.
    qCDebug(lcCamera) << "automatic stop of every axis: link opened" << cameraId();
    checkResult(m_library->stopMoving());
    checkResult(m_library->stopZooming());
    checkResult(m_library->stopFocusing());
    m_pollStep = 0;
    m_pollTimer->start(kPollIntervalMs);
    Q_EMIT clientConnected();
}

void USBCamera::disconnectCamera()
{
    if (!m_connected)
        return;
    m_connected = false;
    if (m_pollTimer->isActive())
        m_pollTimer->stop();
    m_pollStep = 0;
    m_library->disconnectDevice();
    Q_EMIT clientDisconnected();
}

void USBCamera::moveUp(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    checkResult(m_library->moveTiltOneTop(tiltSpeed));
}

void USBCamera::moveLeft(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(tiltSpeed)
    checkResult(m_library->movePanOneLeft(panSpeed));
}

void USBCamera::moveDown(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    checkResult(m_library->moveTiltOneBottom(tiltSpeed));
}

void USBCamera::moveRight(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(tiltSpeed)
    checkResult(m_library->movePanOneRight(panSpeed));
}

void USBCamera::stopMoving(int panSpeed, int tiltSpeed)
{
    Q_UNUSED(panSpeed)
    Q_UNUSED(tiltSpeed)
    checkResult(m_library->stopMoving());
}

void USBCamera::stopZooming()
{
    checkResult(m_library->stopZooming());
}

void USBCamera::moveHome()
{
    checkResult(m_library->moveHome());
}

void USBCamera::zoomIn(int speed)
{
    checkResult(m_library->zoomOneIn(speed));
}

void USBCamera::zoomOut(int speed)
{
    checkResult(m_library->zoomOneOut(speed));
}

void USBCamera::moveUpLeft(int panSpeed, int tiltSpeed)
{
    checkResult(m_library->moveTiltOneTop(tiltSpeed));
    checkResult(m_library->movePanOneLeft(panSpeed));
}

void USBCamera::moveUpRight(int panSpeed, int tiltSpeed)
{
    checkResult(m_library->moveTiltOneTop(tiltSpeed));
    checkResult(m_library->movePanOneRight(panSpeed));
}

void USBCamera::moveDownRight(int panSpeed, int tiltSpeed)
{
    checkResult(m_library->moveTiltOneBottom(tiltSpeed));
    checkResult(m_library->movePanOneRight(panSpeed));
}

void USBCamera::moveDownLeft(int panSpeed, int tiltSpeed)
{
    checkResult(m_library->moveTiltOneBottom(tiltSpeed));
    checkResult(m_library->movePanOneLeft(panSpeed));
}

void USBCamera::setAutoFocus(bool on)
{
    checkResult(m_library->setAutoFocus(on));
}

void USBCamera::focusIn(int speed)
{
    checkResult(m_library->focusOneIn(speed));
}

void USBCamera::focusOut(int speed)
{
    checkResult(m_library->focusOneOut(speed));
}

void USBCamera::stopFocusing()
{
    checkResult(m_library->stopFocusing());
}

void USBCamera::setPreset(int presetNum)
{
    // The library reads 0 for a position it cannot read; that is what gets stored.
    m_presetStore->setValue(presetKey(presetNum, "pan"), int(m_library->getPan()));
    m_presetStore->setValue(presetKey(presetNum, "tilt"), int(m_library->getTilt()));
    m_presetStore->setValue(presetKey(presetNum, "zoom"), int(m_library->getZoom()));
    m_presetStore->sync();
}

void USBCamera::callPreset(int presetNum)
{
    // A preset never stored recalls 0, 0, 0, which the library limits to the device's ranges.
    const int pan = m_presetStore->value(presetKey(presetNum, "pan"), 0).toInt();
    const int tilt = m_presetStore->value(presetKey(presetNum, "tilt"), 0).toInt();
    const int zoom = m_presetStore->value(presetKey(presetNum, "zoom"), 0).toInt();
    m_library->moveAbsPTZ(pan, tilt, zoom);
}

// The inquiries read the library at once. While disconnected they leave the status cache alone: it
// keeps the last values read.
void USBCamera::inquireZoomPosition()
{
    if (!m_connected)
        return;
    storePosition(zoomPos, m_library->getZoom());
    Q_EMIT clientStatusUpdated();
}

void USBCamera::inquireFocusPosition()
{
    if (!m_connected)
        return;
    storePosition(focusPos, m_library->getFocus());
    Q_EMIT clientStatusUpdated();
}

void USBCamera::inquireFocusMode()
{
    if (!m_connected)
        return;
    isAutoFocus = m_library->getAutoFocus();
    Q_EMIT clientStatusUpdated();
}

void USBCamera::inquirePanTiltPosition()
{
    if (!m_connected)
        return;
    storePosition(panPos, m_library->getPan());
    storePosition(tiltPos, m_library->getTilt());
    Q_EMIT clientStatusUpdated();
}

void USBCamera::inquireWbMode()
{
    if (!m_connected)
        return;
    Q_EMIT clientReadOneCycle();
}

void USBCamera::onTimer()
{
    (this->*kPollSteps[m_pollStep])();
    m_pollStep = (m_pollStep + 1) % kPollStepCount;
}
