#include "cameracontrol.h"

#include "appsettings.h"
#include "camerawrapper.h"
#include "controllog.h"

#include <QTimer>

namespace {
constexpr int AxisCount = 3;

int index(MotionAxis axis)
{
    return int(axis);
}

constexpr MotionAxis Axes[AxisCount] = {MotionAxis::PanTilt, MotionAxis::Zoom, MotionAxis::Focus};
} // namespace

CameraControl::CameraControl(AppSettings *settings, QObject *parent) : QObject(parent), m_settings(settings)
{
    for (MotionAxis axis : Axes) {
        auto *timer = new QTimer(this);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this,
                [this, axis] { autoStop(axis, QStringLiteral("lease expired")); });
        m_leaseTimers[index(axis)] = timer;
    }
}

CameraControl::~CameraControl() = default;

CameraWrapper *CameraControl::currentCamera() const
{
    return m_currentCamera;
}

bool CameraControl::isCameraConnected() const
{
    return m_cameraConnected;
}

bool CameraControl::canSend() const
{
    return m_cameraConnected && m_currentCamera;
}

void CameraControl::setCurrentCamera(CameraWrapper *camera)
{
    if (camera == m_currentCamera)
        return;
    if (!camera)
        m_cameraConnected = false;
    m_currentCamera = camera;
    Q_EMIT currentCameraChanged(camera);
}

void CameraControl::selectCamera(CameraWrapper *camera)
{
    if (!camera)
        return;
    CameraWrapper *old = m_currentCamera;
    if (old && old != camera) {
        stopAllMotions(QStringLiteral("camera switched"));
        // A camera that reports its disconnection from inside disconnectCamera() clears the current
        // camera right here, before the new one takes its place.
        old->disconnectCamera();
        m_cameraConnected = false;
    }
    setCurrentCamera(camera);
    camera->connectCamera();
}

void CameraControl::releaseCurrentCamera()
{
    stopAllMotions(QStringLiteral("camera list rebuilt"));
    m_cameraConnected = false;
    setCurrentCamera(nullptr);
}

void CameraControl::watchCamera(CameraWrapper *camera)
{
    const auto unique = Qt::UniqueConnection;
    connect(camera, &CameraWrapper::clientConnected, this, &CameraControl::onCameraConnected, unique);
    connect(camera, &CameraWrapper::clientDisconnected, this, &CameraControl::onCameraDisconnected, unique);
    connect(camera, &CameraWrapper::clientFinishDownload, this, &CameraControl::onCameraDownloadFinished,
            unique);
    connect(camera, &CameraWrapper::clientStatusUpdated, this, &CameraControl::onCameraStatusUpdated, unique);
    connect(camera, &CameraWrapper::clientStateChanged, this, &CameraControl::onCameraStateChanged, unique);
    connect(camera, &CameraWrapper::clientReadOneCycle, this, &CameraControl::onCameraReadOneCycle, unique);
    connect(camera, &CameraWrapper::clientFinishGetName, this, &CameraControl::onCameraNameGetFinished,
            unique);
}

bool CameraControl::isCurrent(QObject *sender) const
{
    return m_currentCamera && sender == m_currentCamera.data();
}

void CameraControl::onCameraConnected()
{
    // A camera that was current once and connects late must not mark the link of another camera up.
    if (!isCurrent(sender()))
        return;
    // The camera stops every axis itself when its link opens; nothing runs now.
    forgetAll();
    m_cameraConnected = true;
    Q_EMIT cameraConnected();
}

void CameraControl::onCameraDisconnected()
{
    if (!isCurrent(sender()))
        return;
    forgetAll();
    m_cameraConnected = false;
    m_currentCamera = nullptr;
    Q_EMIT cameraDisconnected();
    Q_EMIT currentCameraChanged(nullptr);
}

void CameraControl::onCameraDownloadFinished(int presetNum)
{
    if (!isCurrent(sender()))
        return;
    m_imageDownloaded = true;
    Q_EMIT cameraDownloadFinished(presetNum);
}

void CameraControl::onCameraStatusUpdated()
{
    if (isCurrent(sender()))
        Q_EMIT cameraStatusUpdated();
}

void CameraControl::onCameraStateChanged(const QString &state)
{
    if (isCurrent(sender()))
        Q_EMIT cameraStateChanged(state);
}

void CameraControl::onCameraReadOneCycle()
{
    if (isCurrent(sender()))
        Q_EMIT cameraReadOneCycle();
}

void CameraControl::onCameraNameGetFinished()
{
    if (isCurrent(sender()))
        Q_EMIT cameraNameGetFinished();
}

void CameraControl::setSelectedSpeeds(int pan, int tilt, int zoom, int focus)
{
    m_panSpeed = pan;
    m_tiltSpeed = tilt;
    m_zoomSpeed = zoom;
    m_focusSpeed = focus;
}

void CameraControl::startPanTilt(PanTiltDirection direction,
                                 int panSpeed,
                                 int tiltSpeed,
                                 MotionSource source,
                                 int holdMs,
                                 int leaseKey,
                                 int stopPan,
                                 int stopTilt)
{
    const Drive drive = [direction, panSpeed, tiltSpeed](CameraWrapper *camera) {
        switch (direction) {
        case PanTiltDirection::Up:
            camera->moveUp(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::Down:
            camera->moveDown(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::Left:
            camera->moveLeft(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::Right:
            camera->moveRight(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::UpLeft:
            camera->moveUpLeft(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::UpRight:
            camera->moveUpRight(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::DownLeft:
            camera->moveDownLeft(panSpeed, tiltSpeed);
            break;
        case PanTiltDirection::DownRight:
            camera->moveDownRight(panSpeed, tiltSpeed);
            break;
        }
    };
    begin(MotionAxis::PanTilt, source, drive, holdMs, leaseKey, stopPan, stopTilt);
}

void CameraControl::startZoom(bool in, int speed, MotionSource source, int holdMs, int leaseKey)
{
    begin(
        MotionAxis::Zoom, source,
        [in, speed](CameraWrapper *camera) { in ? camera->zoomIn(speed) : camera->zoomOut(speed); }, holdMs,
        leaseKey);
}

void CameraControl::startFocus(bool in, int speed, MotionSource source, int holdMs, int leaseKey)
{
    begin(
        MotionAxis::Focus, source,
        [in, speed](CameraWrapper *camera) { in ? camera->focusIn(speed) : camera->focusOut(speed); }, holdMs,
        leaseKey);
}

void CameraControl::begin(MotionAxis axis,
                          MotionSource source,
                          const Drive &drive,
                          int holdMs,
                          int leaseKey,
                          int stopPan,
                          int stopTilt)
{
    if (!canSend())
        return;
    CameraWrapper *camera = m_currentCamera;
    Running &running = m_running[index(axis)];
    QTimer *leaseTimer = m_leaseTimers[index(axis)];
    const bool leased = holdMs > 0;
    if (leased && running.source == MotionSource::WebLease && running.leaseKey == leaseKey
        && running.camera == camera) {
        // A renewal: the lease goes on; the drive packet is repeated only now and then, so that a flood
        // of renewals never queues packets at the camera.
        leaseTimer->start(holdMs);
        if (m_lastDriveCamera != camera || !m_lastDrive.isValid()
            || m_lastDrive.elapsed() >= MinDriveIntervalMs)
            driveNow(camera, drive);
        return;
    }
    driveNow(camera, drive);
    const MotionSource was = running.source;
    running.source = leased ? MotionSource::WebLease : source;
    running.camera = camera;
    running.leaseKey = leased ? leaseKey : -1;
    running.stopPan = stopPan;
    running.stopTilt = stopTilt;
    if (leased)
        leaseTimer->start(holdMs);
    else
        leaseTimer->stop();
    if (was != running.source)
        Q_EMIT motionChanged(axis, running.source);
}

void CameraControl::driveNow(CameraWrapper *camera, const Drive &drive)
{
    drive(camera);
    m_lastDriveCamera = camera;
    m_lastDrive.start();
}

void CameraControl::stop(MotionAxis axis, int panSpeed, int tiltSpeed)
{
    if (!canSend())
        return;
    sendStop(m_currentCamera, axis, panSpeed, tiltSpeed);
    forget(axis);
}

void CameraControl::sendStop(CameraWrapper *camera, MotionAxis axis, int panSpeed, int tiltSpeed)
{
    switch (axis) {
    case MotionAxis::PanTilt:
        camera->stopMoving(panSpeed, tiltSpeed);
        break;
    case MotionAxis::Zoom:
        camera->stopZooming();
        break;
    case MotionAxis::Focus:
        camera->stopFocusing();
        break;
    }
}

void CameraControl::forget(MotionAxis axis)
{
    m_leaseTimers[index(axis)]->stop();
    Running &running = m_running[index(axis)];
    const bool wasRunning = running.source != MotionSource::None;
    running = Running();
    if (wasRunning)
        Q_EMIT motionChanged(axis, MotionSource::None);
}

void CameraControl::forgetAll()
{
    for (MotionAxis axis : Axes)
        forget(axis);
}

void CameraControl::autoStop(MotionAxis axis, const QString &reason)
{
    Running &running = m_running[index(axis)];
    if (running.source == MotionSource::None)
        return;
    CameraWrapper *camera = running.camera;
    qCDebug(lcControl).noquote() << "automatic stop of" << motionAxisName(axis) << "started by"
                                 << motionSourceName(running.source) << "-" << reason;
    // Only a camera that can still hear it is sent the stop; a camera whose link went down stops
    // itself when the link opens again.
    if (camera && camera == m_currentCamera && m_cameraConnected)
        sendStop(camera, axis, running.stopPan, running.stopTilt);
    forget(axis);
    Q_EMIT automaticStop(axis, reason);
}

void CameraControl::moveHome()
{
    if (canSend())
        m_currentCamera->moveHome();
}

MotionSource CameraControl::motionSource(MotionAxis axis) const
{
    return m_running[index(axis)].source;
}

void CameraControl::stopMotionsFrom(std::initializer_list<MotionSource> sources, const QString &reason)
{
    for (MotionAxis axis : Axes) {
        const MotionSource source = m_running[index(axis)].source;
        for (MotionSource wanted : sources) {
            if (source == wanted) {
                autoStop(axis, reason);
                break;
            }
        }
    }
}

void CameraControl::stopAllMotions(const QString &reason)
{
    for (MotionAxis axis : Axes)
        autoStop(axis, reason);
}

void CameraControl::recallPreset(int presetNum)
{
    if (!canSend())
        return;
    m_currentCamera->callPreset(presetNum);
    Q_EMIT presetRecalled(presetNum);
}

void CameraControl::storePreset(int presetNum, const QString &name)
{
    if (!canSend())
        return;
    CameraWrapper *camera = m_currentCamera;
    camera->downloadSnapshot(presetNum);
    camera->setPreset(presetNum);
    if (m_settings)
        m_settings->setPresetName(camera->cameraId(), presetNum, name);
    Q_EMIT presetStored(presetNum, name);
}

void CameraControl::applyPresetSpeed(int index)
{
    if (canSend())
        m_currentCamera->setPresetSpeed(index);
}

void CameraControl::applyAutoFocus(bool on)
{
    if (!canSend())
        return;
    m_currentCamera->setAutoFocus(on);
    Q_EMIT autoFocusApplied(on);
}

bool CameraControl::takeImageDownloaded()
{
    const bool downloaded = m_imageDownloaded;
    m_imageDownloaded = false;
    return downloaded;
}
