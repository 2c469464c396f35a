#pragma once

#include "qjoystickdevice.h"

// An axis of a device moved; value runs from about -1 to 1.
struct QJoystickAxisEvent
{
    int axis = 0;
    double value = 0.0;
    QJoystickDevice joystick;
};

Q_DECLARE_METATYPE(QJoystickAxisEvent)
