#pragma once

#include "camerawrapper.h"

// A UVC camera attached to this computer, driven through the Lensgrip library.
class USBCamera : public CameraWrapper
{
    Q_OBJECT

public:
    USBCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName);
    ~USBCamera() override;
};
