#pragma once

#include "lensgrip/lensgrip_export.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lensgrip {

// What VIDIOC_QUERYCAP reports about one video node.
struct DeviceCapabilities
{
    std::string driver;
    std::string card;    // the product name: the camera's friendly name
    std::string busInfo; // stable per USB port; every node of one camera shares it
    uint32_t capabilities = 0;
    uint32_t deviceCaps = 0; // what this node itself does (capture, metadata, ...)
};

// What VIDIOC_QUERYCTRL reports about one control.
struct ControlInfo
{
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t defaultValue = 0;
    uint32_t flags = 0; // V4L2_CTRL_FLAG_*
};

struct ControlValue
{
    uint32_t id = 0;
    int32_t value = 0;
};

// One open video node. Every call returns 0 on success or a negative errno, exactly as the ioctl behind
// it would fail, so the code above behaves the same over real hardware and over the simulated device.
class LENSGRIP_EXPORT DeviceHandle
{
public:
    virtual ~DeviceHandle();

    virtual std::string node() const = 0;
    virtual int queryCapabilities(DeviceCapabilities &caps) = 0;
    virtual int queryControl(uint32_t id, ControlInfo &info) = 0;
    virtual int getControl(uint32_t id, int32_t &value) = 0;
    // All values in one request (VIDIOC_S_EXT_CTRLS): controls that share one UVC control, such as pan
    // and tilt speed, must be written together or the driver re-sends a stale value for the other.
    virtual int setControls(const std::vector<ControlValue> &values) = 0;
    // One UVCIOC_CTRL_QUERY request on an extension unit; data holds size bytes in and out.
    virtual int
    extensionUnitQuery(uint8_t unit, uint8_t selector, uint8_t query, uint8_t *data, uint16_t size)
        = 0;
    // The raw descriptors of the USB device the node belongs to (device, then configurations).
    virtual int readUsbDescriptors(std::vector<uint8_t> &bytes) = 0;
    // The modalias of the node's USB interface, "usb:vVVVVpPPPP...", which names vendor and product.
    virtual int readModalias(std::string &modalias) = 0;
};

} // namespace lensgrip
