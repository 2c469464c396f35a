#include "virtualjoystick.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <cmath>

namespace {

constexpr int NumPOVs = 1;
constexpr int NumAxes = 6;
constexpr int NumButtons = 10;

struct KeyAngle
{
    int key;
    int angle;
};

// Hat 0 while one of these is held; any other key gives 0.
const KeyAngle KeyAngles[] = {
    {Qt::Key_Up, 360},
    {Qt::Key_Right, 90},
    {Qt::Key_Left, 270},
    {Qt::Key_Down, 180},
};

struct AxisKeys
{
    int positiveKey;
    int negativeKey;
};

// Indexed by axis number.
const AxisKeys AxisKeyPairs[NumAxes] = {
    {Qt::Key_D, Qt::Key_A}, {Qt::Key_S, Qt::Key_W}, {Qt::Key_E, Qt::Key_Q},
    {Qt::Key_O, Qt::Key_U}, {Qt::Key_L, Qt::Key_J}, {Qt::Key_I, Qt::Key_K},
};

} // namespace

VirtualJoystick::VirtualJoystick(QObject *parent) : QObject(parent)
{
    m_joystick.name = tr("Virtual Joystick");
    m_joystick.povs = QList<int>(NumPOVs, 0);
    m_joystick.axes = QList<double>(NumAxes, 0.0);
    m_joystick.buttons = QList<bool>(NumButtons, false);
    m_joystick.blacklisted = false;

    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool VirtualJoystick::isJoystickEnabled() const
{
    return m_enabled;
}

const QJoystickDevice &VirtualJoystick::virtualDevice() const
{
    return m_joystick;
}

void VirtualJoystick::setJoystickID(int id)
{
    m_joystick.id = id;
}

void VirtualJoystick::setAxisRange(qreal range)
{
    m_axisRange = qMin(std::abs(range), 1.0);
}

void VirtualJoystick::setJoystickEnabled(bool enabled)
{
    m_enabled = enabled;
    Q_EMIT enabledChanged();
}

bool VirtualJoystick::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        processKeyEvent(static_cast<QKeyEvent *>(event), true);
    else if (event->type() == QEvent::KeyRelease)
        processKeyEvent(static_cast<QKeyEvent *>(event), false);
    // The keys still reach their widgets.
    return QObject::eventFilter(watched, event);
}

void VirtualJoystick::readAxes(int key, bool pressed)
{
    for (int axis = 0; axis < NumAxes; ++axis) {
        const AxisKeys &keys = AxisKeyPairs[axis];
        if (key != keys.positiveKey && key != keys.negativeKey)
            continue;
        QJoystickAxisEvent event;
        event.axis = axis;
        event.value = (pressed ? 1.0 : 0.0) * m_axisRange;
        if (key == keys.negativeKey)
            event.value = -event.value;
        event.joystick = m_joystick;
        Q_EMIT axisEvent(event);
        return;
    }
}

void VirtualJoystick::readPOVs(int key, bool pressed)
{
    QJoystickPOVEvent event;
    event.pov = 0;
    event.angle = 0;
    if (pressed) {
        for (const KeyAngle &entry : KeyAngles) {
            if (entry.key == key)
                event.angle = entry.angle;
        }
    }
    event.joystick = m_joystick;
    Q_EMIT povEvent(event);
}

void VirtualJoystick::readButtons(int key, bool pressed)
{
    if (key < Qt::Key_0 || key > Qt::Key_9)
        return;
    QJoystickButtonEvent event;
    event.button = key - Qt::Key_0;
    event.pressed = pressed;
    event.joystick = m_joystick;
    Q_EMIT buttonEvent(event);
}

void VirtualJoystick::processKeyEvent(QKeyEvent *event, bool pressed)
{
    if (!m_enabled)
        return;
    const int key = event->key();
    readPOVs(key, pressed);
    readAxes(key, pressed);
    // Only the digits of the main keyboard are buttons, not those of the keypad.
    if (!event->modifiers().testFlag(Qt::KeypadModifier))
        readButtons(key, pressed);
}
