#pragma once

#include "speedrange.h"
#include "tallystate.h"

#include <QObject>
#include <QString>

// One camera, whatever reaches it: the operations the windows, the web API and the controller call, the
// signals that report the link and fresh status, and the last status values read from the camera.
// The base does nothing; each kind of camera overrides what it can do.
class CameraWrapper : public QObject
{
    Q_OBJECT

public:
    CameraWrapper(int cameraType,
                  const QString &cameraId,
                  const QString &cameraName,
                  const QString &deviceName);
    ~CameraWrapper() override;

    virtual void downloadSnapshot(int presetNum);
    virtual int cameraType() const;
    virtual QString cameraId() const;
    virtual QString cameraName() const;
    virtual QString deviceName() const;
    virtual QString serialNumber() const;
    virtual SpeedRange panSpeedRange() const;
    virtual SpeedRange tiltSpeedRange() const;
    virtual SpeedRange zoomSpeedRange() const;
    virtual SpeedRange focusSpeedRange() const;
    virtual void connectCamera();
    virtual void disconnectCamera();
    virtual void moveUp(int panSpeed, int tiltSpeed);
    virtual void moveLeft(int panSpeed, int tiltSpeed);
    virtual void moveDown(int panSpeed, int tiltSpeed);
    virtual void moveRight(int panSpeed, int tiltSpeed);
    virtual void stopMoving(int panSpeed, int tiltSpeed);
    virtual void stopZooming();
    virtual void moveHome();
    virtual void zoomIn(int speed);
    virtual void zoomOut(int speed);
    virtual void moveUpLeft(int panSpeed, int tiltSpeed);
    virtual void moveUpRight(int panSpeed, int tiltSpeed);
    virtual void moveDownRight(int panSpeed, int tiltSpeed);
    virtual void moveDownLeft(int panSpeed, int tiltSpeed);
    virtual void setAutoFocus(bool on);
    virtual void focusIn(int speed);
    virtual void focusOut(int speed);
    virtual void stopFocusing();
    virtual void setPreset(int presetNum);
    virtual void callPreset(int presetNum);
    virtual void setIris(int index);
    virtual void resetIris();
    virtual void setShutter(int index);
    virtual void resetShutter();
    virtual void setBright(int value);
    virtual void brightUp();
    virtual void brightDown();
    virtual void resetBright();
    virtual void setAeMode(int index);
    virtual void setWbMode(int index);
    virtual void inquireZoomPosition();
    virtual void inquireFocusPosition();
    virtual void inquireFocusMode();
    virtual void inquireShutter();
    virtual void inquireIris();
    virtual void inquireBright();
    virtual void inquirePanTiltPosition();
    virtual void inquireLuminance();
    virtual void inquireContrast();
    virtual void inquireHue();
    virtual void inquireAeMode();
    virtual void inquireWbMode();
    virtual void setLuminance(int value);
    virtual void setContrast(int value);
    virtual void setHue(int value);
    virtual void triggerOnePushWb();
    virtual void osdMenu();
    virtual void osdEnter();
    virtual void osdBack();
    virtual void setImageFlip(bool on);
    virtual void setImageMirror(bool on);
    virtual void setPresetSpeed(int index);
    virtual void setPanTiltLimitUpRight(int tiltPosition, int panPosition);
    virtual void setPanTiltLimitDownLeft(int tiltPosition, int panPosition);
    virtual void setFocusLock(bool locked);
    virtual void clearPanTiltLimit(int corner);
    virtual int leftPanDegrees(int position) const;
    virtual int rightPanDegrees(int position) const;
    virtual int upTiltDegrees(int position) const;
    virtual int downTiltDegrees(int position) const;
    virtual void setMotionSync(bool on);
    virtual void clearPreset(int presetNum);
    // The switchers' verdict on this camera, given to every camera (not only the current one) whenever it
    // changes. The base ignores it; a camera with a tally light overrides it.
    virtual void setTally(TallyState state);
    // Whether the switchers have a word on this camera: it has a tally source on a switcher link that is
    // up. A camera with a tally light keeps it lit even while it is not the current camera. The base
    // ignores it.
    virtual void setTallySourceLive(bool live);

    // Status cache: the last values the camera reported. Positions are four parts, most significant
    // first (VISCA nibbles for a network camera, bytes of the 32-bit value for a USB camera).
    quint8 panPos[4] = {0, 0, 0, 0};
    quint8 tiltPos[4] = {0, 0, 0, 0};
    quint8 zoomPos[4] = {0, 0, 0, 0};
    quint8 focusPos[4] = {0, 0, 0, 0};
    bool isAutoFocus = false;
    quint8 irisPos = 0;
    quint8 shutterPos = 1;
    quint8 brightPos = 0;
    quint8 aeMode = 0;
    quint8 luminance = 0;
    quint8 contrast = 0;
    quint8 hue = 0;
    quint8 wbMode = 0;

Q_SIGNALS:
    void clientConnected();
    void clientDisconnected();
    void clientError(const QString &errMsg);
    void clientFinishDownload(int presetNum);
    void clientStatusUpdated();
    void clientStateChanged(const QString &state);
    void clientReadOneCycle();
    void clientFinishGetName();

protected:
    QString m_cameraId;
    QString m_cameraName;
    QString m_deviceName;
    QString m_serialNumber = QStringLiteral("xx00000000");
    SpeedRange m_panSpeedRange;
    SpeedRange m_tiltSpeedRange;
    SpeedRange m_zoomSpeedRange;
    SpeedRange m_focusSpeedRange;

private:
    int m_cameraType;
};
