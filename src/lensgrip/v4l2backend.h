#pragma once

#include "lensgrip/devicebackend.h"

namespace lensgrip {

// The system's video nodes: /dev/videoN opened read-write, controls through V4L2 ioctls, extension
// units through uvcvideo's UVCIOC_CTRL_QUERY, USB identity and descriptors from sysfs.
class V4l2Backend : public DeviceBackend
{
public:
    std::vector<std::string> videoNodes() override;
    std::shared_ptr<DeviceHandle> open(const std::string &node, int &error) override;
};

} // namespace lensgrip
