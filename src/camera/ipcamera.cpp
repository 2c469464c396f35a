#include "ipcamera.h"

namespace {
// VISCA positions count 14.4 units per degree; left of and below centre are 16-bit two's complement.
constexpr double UnitsPerDegree = 14.4;
} // namespace

IPCamera::IPCamera(const QString &cameraId, const QString &cameraName, const QString &deviceName)
    : CameraWrapper(0, cameraId, cameraName, deviceName)
{
    m_panSpeedRange = {1, 24, 5};
    m_tiltSpeedRange = {1, 20, 5};
    m_zoomSpeedRange = {1, 7, 5};
    m_focusSpeedRange = {1, 7, 5};
}

IPCamera::~IPCamera() = default;

int IPCamera::leftPanDegrees(int position) const
{
    return int((65535 - position) / UnitsPerDegree);
}

int IPCamera::rightPanDegrees(int position) const
{
    return int(position / UnitsPerDegree);
}

int IPCamera::upTiltDegrees(int position) const
{
    return int(position / UnitsPerDegree);
}

int IPCamera::downTiltDegrees(int position) const
{
    return int((65535 - position) / UnitsPerDegree);
}
