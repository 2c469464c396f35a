#pragma once

#include "motion.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <initializer_list>

class AppSettings;
class CameraWrapper;
class QTimer;

// The one owner of camera control: which camera is current and whether it is connected, which motion
// runs on each axis and who started it, the web hold leases, and every automatic stop. The window, the
// hotkeys, the controller and the web API all send their intents here; only this object drives the
// current camera's motion. The current camera's signals are passed on, those of other cameras are not.
class CameraControl : public QObject
{
    Q_OBJECT

public:
    // Renewals of a leased motion re-send its drive packet at most this often per camera.
    static constexpr int MinDriveIntervalMs = 50;

    explicit CameraControl(AppSettings *settings, QObject *parent = nullptr);
    ~CameraControl() override;

    CameraWrapper *currentCamera() const;
    // A current camera that reported itself connected: only then is anything sent.
    bool isCameraConnected() const;
    bool canSend() const;

    // Replaces the current camera without connecting or disconnecting anything.
    void setCurrentCamera(CameraWrapper *camera);
    // The operator picked camera: the running motions stop, the old camera is disconnected and this one
    // connected (again, when it is the current one already).
    void selectCamera(CameraWrapper *camera);
    // The camera list is being rebuilt: running motions stop, and there is no current camera.
    void releaseCurrentCamera();
    // Listens to camera's signals; only the current camera's reach the window.
    void watchCamera(CameraWrapper *camera);

    // The operator's selected speeds, which the controller uses as the window's buttons do.
    void setSelectedSpeeds(int pan, int tilt, int zoom, int focus);
    int selectedPanSpeed() const { return m_panSpeed; }
    int selectedTiltSpeed() const { return m_tiltSpeed; }
    int selectedZoomSpeed() const { return m_zoomSpeed; }
    int selectedFocusSpeed() const { return m_focusSpeed; }

    // Motion. A start with holdMs > 0 is a lease: without a further start of the same leaseKey within
    // holdMs, the motion is stopped as an explicit stop would. stopPan/stopTilt are the speeds an
    // automatic stop of a pan-tilt motion passes, as that source's own stop would.
    void startPanTilt(PanTiltDirection direction,
                      int panSpeed,
                      int tiltSpeed,
                      MotionSource source,
                      int holdMs = 0,
                      int leaseKey = -1,
                      int stopPan = 0,
                      int stopTilt = 0);
    void startZoom(bool in, int speed, MotionSource source, int holdMs = 0, int leaseKey = -1);
    void startFocus(bool in, int speed, MotionSource source, int holdMs = 0, int leaseKey = -1);
    // An explicit stop (a release): always sent to a connected current camera, ends any lease on axis.
    void stop(MotionAxis axis, int panSpeed = 0, int tiltSpeed = 0);
    void moveHome();

    // What runs on axis, MotionSource::None when nothing does.
    MotionSource motionSource(MotionAxis axis) const;
    // Stops the motions started by one of sources; reason goes to the debug log.
    void stopMotionsFrom(std::initializer_list<MotionSource> sources, const QString &reason);
    void stopAllMotions(const QString &reason);

    // Presets, focus and the recall speed, as the window's own controls do them.
    void recallPreset(int presetNum);
    void storePreset(int presetNum, const QString &name);
    void applyPresetSpeed(int index);
    void applyAutoFocus(bool on);
    // Whether a preset picture finished downloading since the last call; reading clears it.
    bool takeImageDownloaded();
    bool isImageDownloaded() const { return m_imageDownloaded; }
    void setImageDownloaded(bool downloaded) { m_imageDownloaded = downloaded; }

Q_SIGNALS:
    void currentCameraChanged(CameraWrapper *camera);
    void cameraConnected();
    void cameraDisconnected();
    void cameraStatusUpdated();
    void cameraStateChanged(const QString &state);
    void cameraReadOneCycle();
    void cameraDownloadFinished(int presetNum);
    void cameraNameGetFinished();

    void motionChanged(MotionAxis axis, MotionSource source);
    void automaticStop(MotionAxis axis, const QString &reason);
    void presetRecalled(int presetNum);
    void presetStored(int presetNum, const QString &name);
    void autoFocusApplied(bool on);

private:
    using Drive = std::function<void(CameraWrapper *)>;

    struct Running
    {
        MotionSource source = MotionSource::None;
        QPointer<CameraWrapper> camera;
        int leaseKey = -1;
        int stopPan = 0;
        int stopTilt = 0;
    };

    void begin(MotionAxis axis,
               MotionSource source,
               const Drive &drive,
               int holdMs,
               int leaseKey,
               int stopPan = 0,
               int stopTilt = 0);
    void driveNow(CameraWrapper *camera, const Drive &drive);
    void forget(MotionAxis axis);
    void forgetAll();
    void autoStop(MotionAxis axis, const QString &reason);
    static void sendStop(CameraWrapper *camera, MotionAxis axis, int panSpeed, int tiltSpeed);
    bool isCurrent(QObject *sender) const;

    void onCameraConnected();
    void onCameraDisconnected();
    void onCameraDownloadFinished(int presetNum);
    void onCameraStatusUpdated();
    void onCameraStateChanged(const QString &state);
    void onCameraReadOneCycle();
    void onCameraNameGetFinished();

    AppSettings *m_settings = nullptr;
    QPointer<CameraWrapper> m_currentCamera;
    bool m_cameraConnected = false;
    bool m_imageDownloaded = false;
    int m_panSpeed = 0;
    int m_tiltSpeed = 0;
    int m_zoomSpeed = 0;
    int m_focusSpeed = 0;

    std::array<Running, 3> m_running;
    std::array<QTimer *, 3> m_leaseTimers{};
    QPointer<CameraWrapper> m_lastDriveCamera;
    QElapsedTimer m_lastDrive;
};
