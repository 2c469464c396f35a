#pragma once

#include <QStringList>

// The names of the UVC cameras attached now, in the order the USB camera library lists them. These are
// the names a USB camera is stored and connected under.
QStringList attachedUsbDevices();
