#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One input device as the joystick manager lists it, with the current state of its hats, axes and buttons.
struct QJoystickDevice
{
    // Index of the device in the manager's device list.
    int id = -1;
    QString name;
    // Hat angles in degrees: 0 up, 90 right, 180 down, 270 left, the diagonals between; -1 centred.
    QList<int> povs;
    QList<double> axes;
    QList<bool> buttons;
    bool blacklisted = false;
    // SDL's instance id of the device: it stays the same for as long as the device is attached, whatever
    // else is plugged in or pulled out, so events are matched to the listed device through it. -1 for a
    // device that is not SDL's (the keyboard-driven virtual joystick).
    int instanceId = -1;
};

Q_DECLARE_METATYPE(QJoystickDevice)
