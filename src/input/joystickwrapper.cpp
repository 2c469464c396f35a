#include "joystickwrapper.h"

#include "appsettings.h"
#include "qjoysticks.h"

#include <QTimer>

namespace {

// Sticks inside this band (bounds included) count as centred.
constexpr qreal DeadZone = 0.2;
// While the controller drives a motion it is looked for this often: a device gone without a word from
// SDL must still stop the camera well within 300 ms.
constexpr int WatchdogMs = 100;

using Signal = void (JoystickWrapper::*)();

struct AxisMapping
{
    int axis;
    Signal positive;
    Signal negative;
};

const AxisMapping AxisMappings[] = {
    {3, &JoystickWrapper::moveRightBtnTriggered, &JoystickWrapper::moveLeftBtnTriggered},
    {4, &JoystickWrapper::moveBottomBtnTriggered, &JoystickWrapper::moveTopBtnTriggered},
};

struct HatMapping
{
    int angle;
    Signal signal;
};

const HatMapping HatMappings[] = {
    {0, &JoystickWrapper::moveTopBtnTriggered},
    {45, &JoystickWrapper::moveTopRightBtnTriggered},
    {90, &JoystickWrapper::moveRightBtnTriggered},
    {135, &JoystickWrapper::moveBottomRightBtnTriggered},
    {180, &JoystickWrapper::moveBottomBtnTriggered},
    {225, &JoystickWrapper::moveBottomLeftBtnTriggered},
    {270, &JoystickWrapper::moveLeftBtnTriggered},
    {315, &JoystickWrapper::moveTopLeftBtnTriggered},
    {-1, &JoystickWrapper::moveStop},
};

struct ButtonMapping
{
    int button;
    Signal onPress;      // nullptr: nothing
    int presetOnRelease; // 0: none; otherwise callPreset(presetOnRelease)
    Signal onRelease[2]; // raised in this order; nullptr: nothing
};

using W = JoystickWrapper;

// Preset recall, menu keys, the auto-focus toggle and home act on release; zoom and focus run while the
// button is held.
const ButtonMapping ButtonMappings[] = {
    {0, nullptr, 3, {nullptr, nullptr}},
    {1, nullptr, 0, {&W::focusStateChange, nullptr}},
    {2, nullptr, 1, {nullptr, nullptr}},
    {3, nullptr, 2, {nullptr, nullptr}},
    {4, &W::zoomOutBtnTriggered, 0, {&W::zoomStop, nullptr}},
    {5, &W::zoomInBtnTriggered, 0, {&W::zoomStop, nullptr}},
    {6, &W::focusOutBtnTriggered, 0, {&W::focusStop, nullptr}},
    {7, &W::focusInBtnTriggered, 0, {&W::focusStop, nullptr}},
    {8, nullptr, 0, {&W::backBtnTriggered, nullptr}},
    {9, nullptr, 0, {&W::enterBtnTriggered, nullptr}},
    {10, nullptr, 0, {&W::osdMenuBtnTriggered, nullptr}},
    {11, &W::zoomInBtnTriggered, 0, {&W::moveHome, &W::zoomStop}},
};

} // namespace

JoystickWrapper::JoystickWrapper(AppSettings *settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    if (m_settings)
        connect(m_settings, &AppSettings::joystickSettingsChanged, this, &JoystickWrapper::readSettings);
    readSettings();

    // The keyboard has its own hotkeys; it is never a controller here.
    QJoysticks *joysticks = QJoysticks::sharedInstance();
    joysticks->setVirtualJoystickEnabled(false);

    connect(joysticks, &QJoysticks::countChanged, this, &JoystickWrapper::joystickCountChanged);
    connect(joysticks, &QJoysticks::povChanged, this, &JoystickWrapper::joystickPOVChanged);
    connect(joysticks, &QJoysticks::axisChanged, this, &JoystickWrapper::joystickAxisChanged);
    connect(joysticks, &QJoysticks::buttonChanged, this, &JoystickWrapper::joystickButtonChanged);

    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(WatchdogMs);
    connect(m_watchdog, &QTimer::timeout, this, &JoystickWrapper::checkDrivingController);
}

JoystickWrapper::~JoystickWrapper() = default;

void JoystickWrapper::readSettings()
{
    m_inputOn = m_settings && m_settings->isJoystickAvailable();
    m_selected = m_settings ? m_settings->joystickSelection() : std::nullopt;
}

void JoystickWrapper::joystickCountChanged()
{
    // The selected index is compared at every event; the list only matters to a controller that drives.
    checkDrivingController();
}

void JoystickWrapper::checkDrivingController()
{
    if (!m_held)
        return;
    const QJoysticks *joysticks = QJoysticks::sharedInstance();
    if (joysticks->joystickExists(m_drivingIndex) && joysticks->getName(m_drivingIndex) == m_drivingName)
        return;
    // Whatever comes back later starts from rest.
    m_held = 0;
    m_drivingIndex = -1;
    m_drivingName.clear();
    m_watchdog->stop();
    Q_EMIT controllerLost(QStringLiteral("controller removed"));
}

void JoystickWrapper::setHeld(int js, Held what, bool held)
{
    if (held) {
        if (!m_held) {
            m_drivingIndex = js;
            m_drivingName = QJoysticks::sharedInstance()->getName(js);
            m_watchdog->start();
        }
        m_held |= what;
        return;
    }
    m_held &= ~what;
    if (!m_held)
        m_watchdog->stop();
}

void JoystickWrapper::joystickPOVChanged(int js, int pov, int angle)
{
    Q_UNUSED(pov)
    if (!isControllerActive(js))
        return;
    for (const HatMapping &mapping : HatMappings) {
        if (mapping.angle == angle) {
            setHeld(js, HeldMove, angle != -1);
            Q_EMIT(this->*mapping.signal)();
            return;
        }
    }
}

void JoystickWrapper::joystickAxisChanged(int js, int axis, qreal value)
{
    if (!isControllerActive(js))
        return;
    for (const AxisMapping &mapping : AxisMappings) {
        if (mapping.axis != axis)
            continue;
        const bool deflected = value > DeadZone || value < -DeadZone;
        setHeld(js, HeldMove, deflected);
        if (value > DeadZone)
            Q_EMIT(this->*mapping.positive)();
        else if (value < -DeadZone)
            Q_EMIT(this->*mapping.negative)();
        else
            Q_EMIT moveStop();
        return;
    }
}

void JoystickWrapper::joystickButtonChanged(int js, int button, bool pressed)
{
    if (!isControllerActive(js))
        return;
    for (const ButtonMapping &mapping : ButtonMappings) {
        if (mapping.button != button)
            continue;
        // Zoom and focus run while their button is held.
        const Held held
            = mapping.onPress == &W::focusInBtnTriggered || mapping.onPress == &W::focusOutBtnTriggered
                  ? HeldFocus
                  : HeldZoom;
        if (pressed) {
            if (mapping.onPress) {
                setHeld(js, held, true);
                Q_EMIT(this->*mapping.onPress)();
            }
            return;
        }
        if (mapping.onPress)
            setHeld(js, held, false);
        if (mapping.presetOnRelease > 0)
            Q_EMIT callPreset(mapping.presetOnRelease);
        for (Signal signal : mapping.onRelease) {
            if (signal)
                Q_EMIT(this->*signal)();
        }
        return;
    }
}

bool JoystickWrapper::isControllerActive(int js) const
{
    return m_inputOn && m_selected == js;
}
