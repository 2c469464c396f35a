#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QMap>
#include <QObject>

class QTimer;

// The state of one simulated PTZ camera: head and lens positions that move over time at the
// commanded speeds, presets, pan/tilt limits, exposure, picture and menu settings.
// Reading a position first brings the motion up to the current time, so answers are always fresh.
class SimCamera : public QObject
{
    Q_OBJECT

public:
    enum class Corner { DownLeft, UpRight };

    struct Preset
    {
        int pan = 0;
        int tilt = 0;
        int zoom = 0;
        int focus = 0;
    };

    explicit SimCamera(QObject *parent = nullptr);

    // Back to the state after power-on: centred, wide, auto focus, default exposure, no presets,
    // no limits.
    void reset();

    // Directions: pan -1 left, +1 right; tilt -1 down, +1 up; 0 stops that axis.
    void drivePanTilt(int panSpeed, int tiltSpeed, int panDirection, int tiltDirection);
    void movePanTiltTo(int pan, int tilt, int panSpeed, int tiltSpeed);
    void movePanTiltBy(int panDelta, int tiltDelta, int panSpeed, int tiltSpeed);
    void home();
    void setPanTiltLimit(Corner corner, int pan, int tilt);
    void clearPanTiltLimit(Corner corner);

    // Zoom: +1 tele, -1 wide. Focus: +1 near, -1 far. Speed 0..7.
    void driveZoom(int direction, int speed);
    void moveZoomTo(int position);
    void driveFocus(int direction, int speed);
    void moveFocusTo(int position);
    void setAutoFocus(bool on);
    void toggleAutoFocus();
    void onePushFocus();
    void setFocusLock(bool on);

    void storePreset(int number);
    // False when nothing is stored under that number; preset 95 opens or closes the menu instead.
    bool recallPreset(int number);
    void clearPreset(int number);
    void setPresetSpeed(int speed);

    void setAeMode(int code);
    void setShutter(int position);
    void stepShutter(int delta);
    void resetShutter();
    void setIris(int position);
    void stepIris(int delta);
    void resetIris();
    void setBright(int value);
    void stepBright(int delta);
    void resetBright();
    void setLuminance(int value);
    void setContrast(int value);
    void setHue(int value);
    void setWbMode(int code);
    void triggerOnePushWb();
    void setFlip(bool on);
    void setMirror(bool on);
    void setMotionSync(bool on);
    void setPower(bool on);

    void toggleMenu();
    void setMenuOpen(bool open);
    void setTallyLamp(bool on) { m_tallyLamp = on; }
    void menuEnter();
    void menuBack();

    int pan() const;
    int tilt() const;
    int zoom() const;
    int focus() const;
    bool isMoving() const;
    bool autoFocus() const { return m_autoFocus; }
    bool focusLock() const { return m_focusLock; }
    int aeMode() const { return m_aeMode; }
    int shutter() const { return m_shutter; }
    int iris() const { return m_iris; }
    int bright() const { return m_bright; }
    int luminance() const { return m_luminance; }
    int contrast() const { return m_contrast; }
    int hue() const { return m_hue; }
    int wbMode() const { return m_wbMode; }
    int onePushWbCount() const { return m_onePushWbCount; }
    bool flip() const { return m_flip; }
    bool mirror() const { return m_mirror; }
    bool motionSync() const { return m_motionSync; }
    bool power() const { return m_power; }
    bool menuOpen() const { return m_menuOpen; }
    bool tallyLamp() const { return m_tallyLamp; }
    int menuLevel() const { return m_menuLevel; }
    int menuItem() const { return m_menuItem; }
    int presetSpeed() const { return m_presetSpeed; }
    QMap<int, Preset> presets() const { return m_presets; }
    // Where the lens would be sharp for the current zoom; auto focus settles there.
    int idealFocus() const;

    QJsonObject toJson() const;
    // Places the camera for tests: positions as up to four hex digits, everything else as an int.
    bool setField(const QString &field, const QString &value, QString *error);
    static QStringList fieldNames();
    // Top level entries of the on-screen menu.
    static QStringList menuEntries();

private:
    struct Axis
    {
        double position = 0;
        double velocity = 0; // units per second while driven
        bool seeking = false;
        double target = 0;
        double seekSpeed = 0; // units per second while seeking a target
        int minimum = 0;
        int maximum = 0;

        void drive(double unitsPerSecond);
        void seek(double to, double unitsPerSecond);
        void stop();
        void place(double to);
        void advance(double seconds);
        bool isMoving() const { return seeking || velocity != 0; }
    };

    void advance() const;
    void startMotion();
    void onTick();
    void seekAutoFocus() const;
    void moveMenuCursor(int delta);

    mutable Axis m_pan;
    mutable Axis m_tilt;
    mutable Axis m_zoom;
    mutable Axis m_focus;
    mutable QElapsedTimer m_clock;
    mutable int m_autoFocusTarget = -1;
    QTimer *m_timer = nullptr;

    // Initial values come from reset().
    bool m_autoFocus = true;
    bool m_focusLock = false;
    int m_aeMode = 0;
    int m_shutter = 0;
    int m_iris = 0;
    int m_bright = 0;
    int m_luminance = 0;
    int m_contrast = 0;
    int m_hue = 0;
    int m_wbMode = 0;
    int m_onePushWbCount = 0;
    bool m_flip = false;
    bool m_mirror = false;
    bool m_motionSync = false;
    bool m_power = true;
    bool m_menuOpen = false;
    bool m_tallyLamp = false;
    int m_menuLevel = 0;
    int m_menuItem = 0;
    int m_presetSpeed = 0;
    QMap<int, Preset> m_presets;
};
