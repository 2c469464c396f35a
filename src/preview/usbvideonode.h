#pragma once

#include <QString>

// The video node (/dev/videoN) of the USB camera Lensgrip lists as deviceName ("PTZ Cam",
// "USB Camera #1", ...); empty when no attached camera has that name.
QString usbVideoNode(const QString &deviceName);
