#include "usbcamera.h"

USBCamera::USBCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName)
    : CameraWrapper(1, cameraId, cameraName, deviceName)
{
}

USBCamera::~USBCamera() = default;
