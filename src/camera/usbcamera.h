#pragma once

#include "camerawrapper.h"

class QSettings;
class QTimer;
class UVCCameraLibrary;

// A UVC camera attached to this computer, driven through the Lensgrip library: motion, zoom and focus go
// to the camera's continuous controls, presets are absolute positions kept in uvc-presets.ini, and a
// timer reads the positions back while connected. What the library cannot do keeps the base behaviour.
class USBCamera : public CameraWrapper
{
    Q_OBJECT

public:
    USBCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName);
    ~USBCamera() override;

    void connectCamera() override;
    void disconnectCamera() override;
    void moveUp(int panSpeed, int tiltSpeed) override;
    void moveLeft(int panSpeed, int tiltSpeed) override;
    void moveDown(int panSpeed, int tiltSpeed) override;
    void moveRight(int panSpeed, int tiltSpeed) override;
    void stopMoving(int panSpeed, int tiltSpeed) override;
    void stopZooming() override;
    void moveHome() override;
    void zoomIn(int speed) override;
    void zoomOut(int speed) override;
    void moveUpLeft(int panSpeed, int tiltSpeed) override;
    void moveUpRight(int panSpeed, int tiltSpeed) override;
    void moveDownRight(int panSpeed, int tiltSpeed) override;
    void moveDownLeft(int panSpeed, int tiltSpeed) override;
    void setAutoFocus(bool on) override;
    void focusIn(int speed) override;
    void focusOut(int speed) override;
    void stopFocusing() override;
    void setPreset(int presetNum) override;
    void callPreset(int presetNum) override;
    void inquireZoomPosition() override;
    void inquireFocusPosition() override;
    void inquireFocusMode() override;
    void inquirePanTiltPosition() override;
    void inquireWbMode() override;

public Q_SLOTS:
    void onTimer();

private:
    void checkResult(long result) const;
    QString presetKey(int presetNum, const char *axis) const;

    UVCCameraLibrary *m_library = nullptr;
    QSettings *m_presetStore = nullptr;
    QTimer *m_pollTimer = nullptr;
    int m_pollStep = 0;
    bool m_connected = false;
};
