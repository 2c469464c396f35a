#pragma once

#include "qjoystickdevice.h"

// A request to let a device rumble.
struct QJoystickRumble
{
    unsigned int length = 0; // milliseconds
    double strength = 0.0;   // 0 to 1
    QJoystickDevice joystick;
};

Q_DECLARE_METATYPE(QJoystickRumble)
