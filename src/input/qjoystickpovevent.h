#pragma once

#include "qjoystickdevice.h"

// A hat of a device moved.
struct QJoystickPOVEvent
{
    int pov = 0;
    // Degrees, or -1 when the hat is centred.
    int angle = -1;
    QJoystickDevice joystick;
};

Q_DECLARE_METATYPE(QJoystickPOVEvent)
