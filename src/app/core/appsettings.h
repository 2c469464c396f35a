#pragma once

#include "camerarecord.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QVariant>

#include <optional>

class CameraWrapper;
class QSettings;

// The program's persistent store over settings.ini in the data folder: one reader with a fixed default
// and one writer for every setting. Writers store at once (the file is written when Qt syncs it or when
// the store is deleted). Per-camera keys are built from the camera id.
class AppSettings : public QObject
{
    Q_OBJECT

public:
    // A stored camera list longer than the eight slots is kept whole, up to this many elements; a damaged
    // file may claim any number.
    static constexpr int MaxStoredCameras = 64;

    // Values in settings.ini that only Qt's binary stream format can read (this program never writes
    // them) are dropped from the file before it is read, the original kept as settings.ini.unreadable.
    explicit AppSettings(QObject *parent = nullptr);
    ~AppSettings() override;

    QString fileName() const;
    // Writes pending changes to disk now.
    void sync();

    // Camera list
    // The stored camera slots, network cameras with their VISCA transport and port.
    QList<CameraRecord> readCameraRecords() const;
    void writeCameraRecords(const QList<CameraRecord> &records);
    // The same built into cameras (CameraFactory) and read back from them.
    int readCameraList(QList<CameraWrapper *> &cameras);
    void writeCameraList(const QList<CameraWrapper *> &cameras);

    // Web server and switchers
    QString serverNic() const;
    void setServerNic(const QString &value);
    int serverPortNum() const;
    void setServerPortNum(int value);
    bool startupOnLaunch() const;
    void setStartupOnLaunch(bool value);
    bool useDarkTheme() const;
    void setUseDarkTheme(bool value);
    QString obsIp() const;
    void setObsIp(const QString &value);
    int obsPort() const;
    void setObsPort(int value);
    QString obsPwd() const;
    void setObsPwd(const QString &value);
    bool enableObsCtrl() const;
    void setEnableObsCtrl(bool value);
    QString vmixIp() const;
    void setVmixIp(const QString &value);
    int vmixPort() const;
    void setVmixPort(int value);
    QString vmixId() const;
    void setVmixId(const QString &value);
    QString vmixPwd() const;
    void setVmixPwd(const QString &value);
    bool enableVmixCtrl() const;
    void setEnableVmixCtrl(bool value);

    // Input and preview
    bool isHotkeyAvailable() const;
    void setHotkeyAvailable(bool value);
    bool isJoystickAvailable() const;
    void setJoystickAvailable(bool value);
    int selectedJoystick() const;
    // The controller that may drive the camera: the stored index read as a number (a text "1" is 1);
    // none while the key is absent or holds no number.
    std::optional<int> joystickSelection() const;
    void setSelectedJoystick(int value);
    QString snapshotPath() const;
    void setSnapshotPath(const QString &value);

    // Per camera
    int panSpeed(const QString &id) const;
    void setPanSpeed(const QString &id, int value);
    int tiltSpeed(const QString &id) const;
    void setTiltSpeed(const QString &id, int value);
    int zoomSpeed(const QString &id) const;
    void setZoomSpeed(const QString &id, int value);
    int focusSpeed(const QString &id) const;
    void setFocusSpeed(const QString &id, int value);
    bool panTiltLock(const QString &id) const;
    void setPanTiltLock(const QString &id, bool value);
    // k: 0 pan left, 1 pan right, 2 tilt down, 3 tilt up; whole degrees.
    int cameraLimit(const QString &id, int k) const;
    void setCameraLimit(const QString &id, int k, int value);
    QString snapshotBack(const QString &id) const;
    void setSnapshotBack(const QString &id, const QString &value);
    int snapshotBackType(const QString &id) const;
    void setSnapshotBackType(const QString &id, int value);
    QPoint pictureInPicturePos(const QString &id) const;
    void setPictureInPicturePos(const QString &id, const QPoint &value);
    bool pictureInPictureVisibility(const QString &id) const;
    void setPictureInPictureVisibility(const QString &id, bool value);
    bool wrapperVisibility(const QString &id) const;
    void setWrapperVisibility(const QString &id, bool value);

    // Per camera and preset (n is 1-based)
    QString presetName(const QString &id, int n) const;
    void setPresetName(const QString &id, int n, const QString &value);
    int presetAeMode(const QString &id, int n) const;
    void setPresetAeMode(const QString &id, int n, int value);
    int presetShutterSpeed(const QString &id, int n) const;
    void setPresetShutterSpeed(const QString &id, int n, int value);
    int presetIris(const QString &id, int n) const;
    void setPresetIris(const QString &id, int n, int value);
    int presetBrightness(const QString &id, int n) const;
    void setPresetBrightness(const QString &id, int n, int value);
    int presetLuminance(const QString &id, int n) const;
    void setPresetLuminance(const QString &id, int n, int value);
    int presetContrast(const QString &id, int n) const;
    void setPresetContrast(const QString &id, int n, int value);
    int presetHue(const QString &id, int n) const;
    void setPresetHue(const QString &id, int n, int value);
    int presetWbMode(const QString &id, int n) const;
    void setPresetWbMode(const QString &id, int n, int value);

    // Preset map boxes (n is the box number, 1-based)
    QString snapshotBox(const QString &id, int n) const;
    void setSnapshotBox(const QString &id, int n, const QString &value);
    int snapshotBoxType(const QString &id, int n) const;
    void setSnapshotBoxType(const QString &id, int n, int value);
    QColor snapshotBoxColor(const QString &id, int n) const;
    void setSnapshotBoxColor(const QString &id, int n, const QColor &value);
    bool boxVisibility(const QString &id, int n) const;
    void setBoxVisibility(const QString &id, int n, bool value);
    int centerType(const QString &id, int n) const;
    void setCenterType(const QString &id, int n, int value);
    QPoint customPresetPos(const QString &id, int n) const;
    void setCustomPresetPos(const QString &id, int n, const QPoint &value);
    QString customPresetTitle(const QString &id, int n) const;
    void setCustomPresetTitle(const QString &id, int n, const QString &value);

    // Tally sources per camera: id + "_tally_obs" (an OBS scene name) and id + "_tally_vmix" (a vMix input
    // by number, key or title); empty when the camera has none. Longer sources are refused where they are
    // entered: no scene or input name is this long.
    static constexpr int MaxTallySourceLength = 200;
    QString tallyObs(const QString &id) const;
    void setTallyObs(const QString &id, const QString &value);
    QString tallyVmix(const QString &id) const;
    void setTallyVmix(const QString &id, const QString &value);

Q_SIGNALS:
    // Controller input was switched on or off, or another controller was selected, through this store.
    void joystickSettingsChanged();

private:
    QVariant value(const QString &key, const QVariant &defaultValue) const;
    void setValue(const QString &key, const QVariant &value);

    QSettings *m_settings = nullptr;
};
