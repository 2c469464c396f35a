#pragma once

#include "lensgrip/lensgrip_export.h"

#include <memory>
#include <string>
#include <vector>

namespace lensgrip {

class DeviceHandle;

// Where the library finds its devices: the system's video nodes, or a simulated camera in tests.
class LENSGRIP_EXPORT DeviceBackend
{
public:
    virtual ~DeviceBackend();

    // Every video node present, in a stable order (/dev/video0, /dev/video1, ...).
    virtual std::vector<std::string> videoNodes() = 0;
    // Opens one node; on failure returns null and sets error to the errno.
    virtual std::shared_ptr<DeviceHandle> open(const std::string &node, int &error) = 0;
};

// The backend every UVCCameraLibrary uses from now on, including the static device listing; null
// brings back the system's V4L2 backend. Objects already constructed keep the backend they started with.
LENSGRIP_EXPORT void setDeviceBackend(std::shared_ptr<DeviceBackend> backend);
LENSGRIP_EXPORT std::shared_ptr<DeviceBackend> deviceBackend();

// The backend over the system's V4L2 nodes and sysfs.
LENSGRIP_EXPORT std::shared_ptr<DeviceBackend> systemDeviceBackend();

} // namespace lensgrip
