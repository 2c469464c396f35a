#pragma once

#include <QMetaType>
#include <QString>

// The three things of a camera that move continuously until they are told to stop.
enum class MotionAxis { PanTilt, Zoom, Focus };

// Who started a motion: an automatic stop picks the motions of the sources it concerns.
enum class MotionSource { None, WindowButton, Hotkey, Controller, Web, WebLease };

enum class PanTiltDirection { Up, Down, Left, Right, UpLeft, UpRight, DownLeft, DownRight };

QString motionAxisName(MotionAxis axis);
QString motionSourceName(MotionSource source);

Q_DECLARE_METATYPE(MotionAxis)
Q_DECLARE_METATYPE(MotionSource)
