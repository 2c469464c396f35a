#pragma once

#include "camerawrapper.h"

// A camera reached over the network: VISCA over TCP port 5678 plus the camera's HTTP services.
class IPCamera : public CameraWrapper
{
    Q_OBJECT

public:
    IPCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName);
    ~IPCamera() override;

    int leftPanDegrees(int position) const override;
    int rightPanDegrees(int position) const override;
    int upTiltDegrees(int position) const override;
    int downTiltDegrees(int position) const override;
};
