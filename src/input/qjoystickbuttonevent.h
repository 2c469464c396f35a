#pragma once

#include "qjoystickdevice.h"

// A button of a device was pressed or released.
struct QJoystickButtonEvent
{
    int button = 0;
    bool pressed = false;
    QJoystickDevice joystick;
};

Q_DECLARE_METATYPE(QJoystickButtonEvent)
