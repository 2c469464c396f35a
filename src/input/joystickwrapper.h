#pragma once

#include <QObject>

#include <optional>

class AppSettings;
class QTimer;

// Turns the input of the one selected game controller into camera actions. Each signal stands for the
// on-screen button with the same action; the main window connects them to its slots. Whether controller
// input is on and which controller drives the camera come from the settings store, taken again whenever
// the store says they changed, so a change saved in the joystick dialog applies to the next event.
class JoystickWrapper : public QObject
{
    Q_OBJECT

public:
    // Without a store no controller is listened to.
    explicit JoystickWrapper(AppSettings *settings, QObject *parent = nullptr);
    ~JoystickWrapper() override;

public Q_SLOTS:
    void joystickCountChanged();
    void joystickPOVChanged(int js, int pov, int angle);
    void joystickAxisChanged(int js, int axis, qreal value);
    void joystickButtonChanged(int js, int button, bool pressed);

Q_SIGNALS:
    void osdMenuBtnTriggered();
    void enterBtnTriggered();
    void backBtnTriggered();
    void moveLeftBtnTriggered();
    void moveRightBtnTriggered();
    void moveTopBtnTriggered();
    void moveBottomBtnTriggered();
    void moveTopLeftBtnTriggered();
    void moveTopRightBtnTriggered();
    void moveBottomRightBtnTriggered();
    void moveBottomLeftBtnTriggered();
    void moveStop();
    void moveHome();
    void zoomInBtnTriggered();
    void zoomOutBtnTriggered();
    void zoomStop();
    void focusInBtnTriggered();
    void focusOutBtnTriggered();
    void focusStop();
    void focusStateChange();
    // No controller input is mapped to these four; they complete the set of actions the window offers.
    void luminanceChangeTriggered(bool increase);
    void contrastChangeTriggered(bool increase);
    void hueChangeTriggered(bool increase);
    void switchCamera(int index);
    void callPreset(int presetNum);
    // The controller that drives a motion was removed or stopped reporting: whatever it started must stop.
    void controllerLost(const QString &reason);

private:
    // What the selected controller holds deflected or pressed, so that losing it can be told.
    enum Held { HeldMove = 1, HeldZoom = 2, HeldFocus = 4 };

    void readSettings();
    bool isControllerActive(int js) const;
    void setHeld(int js, Held what, bool held);
    void checkDrivingController();

    AppSettings *m_settings = nullptr;
    bool m_inputOn = false;
    std::optional<int> m_selected;
    QTimer *m_watchdog = nullptr;
    int m_held = 0;
    int m_drivingIndex = -1;
    QString m_drivingName;
};
