#include "motion.h"

QString motionAxisName(MotionAxis axis)
{
    switch (axis) {
    case MotionAxis::PanTilt:
        return QStringLiteral("pan-tilt");
    case MotionAxis::Zoom:
        return QStringLiteral("zoom");
    case MotionAxis::Focus:
        return QStringLiteral("focus");
    }
    return QString();
}

QString motionSourceName(MotionSource source)
{
    switch (source) {
    case MotionSource::None:
        return QStringLiteral("none");
    case MotionSource::WindowButton:
        return QStringLiteral("window button");
    case MotionSource::Hotkey:
        return QStringLiteral("hotkey");
    case MotionSource::Controller:
        return QStringLiteral("controller");
    case MotionSource::Web:
        return QStringLiteral("web");
    case MotionSource::WebLease:
        return QStringLiteral("web lease");
    }
    return QString();
}
