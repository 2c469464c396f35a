#include "simulateddevice.h"

#include <linux/usb/video.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace lensgrip {

namespace {

constexpr std::array<uint8_t, 16> kMenuUnitGuid
    = {0x8C, 0xCD, 0x1D, 0x66, 0xB0, 0xAD, 0x44, 0xB3, 0x8C, 0xB4, 0xD3, 0x35, 0x11, 0x5F, 0xC1, 0x8C};

struct NamedControl
{
    const char *name;
    uint32_t id;
};

constexpr NamedControl kControlNames[] = {
    {"pan_speed", V4L2_CID_PAN_SPEED},       {"tilt_speed", V4L2_CID_TILT_SPEED},
    {"zoom_cont", V4L2_CID_ZOOM_CONTINUOUS}, {"focus_rel", V4L2_CID_FOCUS_RELATIVE},
    {"pan_abs", V4L2_CID_PAN_ABSOLUTE},      {"tilt_abs", V4L2_CID_TILT_ABSOLUTE},
    {"zoom_abs", V4L2_CID_ZOOM_ABSOLUTE},    {"focus_abs", V4L2_CID_FOCUS_ABSOLUTE},
    {"focus_auto", V4L2_CID_FOCUS_AUTO},
};

void append(std::vector<uint8_t> &out, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        out.push_back(uint8_t(b));
}

} // namespace

SimulatedDevice::SimulatedDevice(std::string card) : card(std::move(card)) {}

std::shared_ptr<SimulatedDevice> SimulatedDevice::ptzCamera(const std::string &card)
{
    auto device = std::make_shared<SimulatedDevice>(card);
    // Ranges as a current uvcvideo reports them for a typical PTZ camera: speeds symmetric around 0,
    // pan and tilt positions in arc-seconds.
    device->addControl(V4L2_CID_PAN_SPEED, -24, 24, 12, V4L2_CTRL_FLAG_WRITE_ONLY);
    device->addControl(V4L2_CID_TILT_SPEED, -20, 20, 10, V4L2_CTRL_FLAG_WRITE_ONLY);
    device->addControl(V4L2_CID_ZOOM_CONTINUOUS, -7, 7, 3, V4L2_CTRL_FLAG_WRITE_ONLY);
    device->addControl(V4L2_CID_PAN_ABSOLUTE, -612000, 612000, 0);
    device->addControl(V4L2_CID_TILT_ABSOLUTE, -108000, 324000, 0);
    device->addControl(V4L2_CID_ZOOM_ABSOLUTE, 0, 16384, 0);
    device->addControl(V4L2_CID_FOCUS_ABSOLUTE, 0, 1023, 0);
    device->addControl(V4L2_CID_FOCUS_AUTO, 0, 1, 1);
    device->addMenuUnit(6, 1);
    return device;
}

std::shared_ptr<SimulatedDevice> SimulatedDevice::fromDescription(const std::string &card,
                                                                  const std::string &controls)
{
    auto device = std::make_shared<SimulatedDevice>(card);
    std::istringstream entries(controls);
    std::string entry;
    while (entries >> entry) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            return nullptr;
        const uint32_t id = controlId(entry.substr(0, equals));
        long minimum = 0;
        long maximum = 0;
        long defaultValue = 0;
        long value = 0;
        const int fields = std::sscanf(entry.c_str() + equals + 1, "%ld:%ld:%ld@%ld", &minimum, &maximum,
                                       &defaultValue, &value);
        if (id == 0 || fields < 3)
            return nullptr;
        device->addControl(id, int32_t(minimum), int32_t(maximum), int32_t(defaultValue));
        if (fields == 4)
            device->setValue(id, int32_t(value));
    }
    return device;
}

std::string SimulatedDevice::controlName(uint32_t id)
{
    for (const NamedControl &control : kControlNames) {
        if (control.id == id)
            return control.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", id);
    return text;
}

uint32_t SimulatedDevice::controlId(const std::string &name)
{
    for (const NamedControl &control : kControlNames) {
        if (name == control.name)
            return control.id;
    }
    return 0;
}

std::string SimulatedDevice::writesText() const
{
    std::string text;
    for (const std::vector<ControlValue> &request : writes) {
        if (!text.empty())
            text += ';';
        for (size_t i = 0; i < request.size(); ++i) {
            if (i > 0)
                text += ',';
            text += controlName(request[i].id) + '=' + std::to_string(request[i].value);
        }
    }
    return text;
}

void SimulatedDevice::addControl(
    uint32_t id, int32_t minimum, int32_t maximum, int32_t defaultValue, uint32_t flags)
{
    SimulatedControl &entry = controls[id];
    entry.info.minimum = minimum;
    entry.info.maximum = maximum;
    entry.info.step = 1;
    entry.info.defaultValue = defaultValue;
    entry.info.flags = flags;
    entry.value = (flags & V4L2_CTRL_FLAG_WRITE_ONLY) ? 0 : defaultValue;
}

void SimulatedDevice::removeControl(uint32_t id)
{
    controls.erase(id);
}

bool SimulatedDevice::hasControl(uint32_t id) const
{
    return controls.count(id) != 0;
}

int32_t SimulatedDevice::value(uint32_t id) const
{
    const auto it = controls.find(id);
    return it == controls.end() ? 0 : it->second.value;
}

void SimulatedDevice::setValue(uint32_t id, int32_t value)
{
    controls[id].value = value;
}

SimulatedControl &SimulatedDevice::control(uint32_t id)
{
    return controls[id];
}

SimulatedExtensionUnit &SimulatedDevice::addMenuUnit(uint8_t unitId, uint16_t controlLength, bool answers)
{
    SimulatedExtensionUnit unit;
    unit.unitId = unitId;
    unit.guid = kMenuUnitGuid;
    unit.answers = answers;
    for (uint8_t selector = 1; selector <= 7; ++selector)
        unit.controls[selector] = std::vector<uint8_t>(controlLength, 0);
    extensionUnits.push_back(unit);
    return extensionUnits.back();
}

std::vector<uint8_t> SimulatedDevice::descriptors() const
{
    std::vector<uint8_t> out;
    // Device descriptor: miscellaneous class with interface association, as UVC cameras declare.
    append(out, {18, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 64, 0x7E, 0x2E, 0x01, 0x0A, 0x00, 0x01, 1, 2, 0, 1});
    const size_t configStart = out.size();
    append(out, {9, 0x02, 0, 0, 2, 1, 0, 0x80, 250});
    append(out, {8, 0x0B, 0, 2, 0x0E, 0x03, 0x00, 0});    // interface association: video, 2 interfaces
    append(out, {9, 0x04, 0, 0, 1, 0x0E, 0x01, 0x00, 0}); // VideoControl interface
    append(out, {13, 0x24, 0x01, 0x00, 0x01, 0, 0, 0x00, 0x6C, 0xDC, 0x02, 1, 1});             // header
    append(out, {18, 0x24, 0x02, 1, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0x2A, 0x0A, 0x02}); // camera
    for (const SimulatedExtensionUnit &unit : extensionUnits) {
        std::vector<uint8_t> xu = {27, 0x24, UVC_VC_EXTENSION_UNIT, unit.unitId};
        xu.insert(xu.end(), unit.guid.begin(), unit.guid.end());
        append(xu, {int(unit.controls.size()), 1, 1, 2, 0x7F, 0x00, 0});
        out.insert(out.end(), xu.begin(), xu.end());
    }
    append(out, {7, 0x05, 0x83, 0x03, 16, 0, 8});         // interrupt endpoint
    append(out, {9, 0x04, 1, 0, 0, 0x0E, 0x02, 0x00, 0}); // VideoStreaming interface
    // An MJPEG format: subtype 0x06 again, which is no extension unit outside VideoControl.
    append(out, {11, 0x24, 0x06, 1, 1, 0, 1, 0, 0, 0, 0});
    const size_t total = out.size() - configStart;
    out[configStart + 2] = uint8_t(total & 0xFF);
    out[configStart + 3] = uint8_t(total >> 8);
    return out;
}

int SimulatedDevice::queryControl(uint32_t id, ControlInfo &info) const
{
    if (!present)
        return -ENODEV;
    const auto it = controls.find(id);
    if (it == controls.end())
        return -EINVAL;
    info = it->second.info;
    return 0;
}

int SimulatedDevice::getControl(uint32_t id, int32_t &value) const
{
    if (!present)
        return -ENODEV;
    const auto it = controls.find(id);
    if (it == controls.end())
        return -EINVAL;
    if (it->second.info.flags & V4L2_CTRL_FLAG_WRITE_ONLY)
        return -EACCES;
    if (it->second.failGet)
        return -EIO;
    value = it->second.value;
    return 0;
}

int SimulatedDevice::setControls(const std::vector<ControlValue> &values)
{
    if (!present)
        return -ENODEV;
    // All or nothing, as one VIDIOC_S_EXT_CTRLS request.
    for (const ControlValue &entry : values) {
        const auto it = controls.find(entry.id);
        if (it == controls.end())
            return -EINVAL;
        if (it->second.info.flags & V4L2_CTRL_FLAG_READ_ONLY)
            return -EACCES;
        if (it->second.failSet)
            return -EIO;
    }
    writes.push_back(values);
    for (const ControlValue &entry : values) {
        SimulatedControl &target = controls[entry.id];
        target.value = std::clamp(entry.value, target.info.minimum, target.info.maximum);
    }
    return 0;
}

int SimulatedDevice::extensionUnitQuery(
    uint8_t unit, uint8_t selector, uint8_t query, uint8_t *data, uint16_t size)
{
    if (!present)
        return -ENODEV;
    ExtensionUnitRequest request{unit, selector, query, {}};
    if (query == UVC_SET_CUR && data)
        request.data.assign(data, data + size);
    else
        request.data.assign(size, 0);
    extensionUnitRequests.push_back(request);

    const auto found
        = std::find_if(extensionUnits.begin(), extensionUnits.end(),
                       [&](const SimulatedExtensionUnit &u) { return u.unitId == unit && u.answers; });
    if (found == extensionUnits.end())
        return -ENOENT;
    const auto control = found->controls.find(selector);
    if (control == found->controls.end())
        return -ENOENT;
    if (found->failingQueries.count(query))
        return -EIO;
    std::vector<uint8_t> &current = control->second;
    switch (query) {
    case UVC_GET_LEN:
        if (size != 2)
            return -ENOBUFS;
        data[0] = uint8_t(current.size() & 0xFF);
        data[1] = uint8_t(current.size() >> 8);
        return 0;
    case UVC_GET_INFO:
        if (size != 1)
            return -ENOBUFS;
        data[0] = UVC_CONTROL_CAP_GET | UVC_CONTROL_CAP_SET;
        return 0;
    case UVC_GET_CUR:
    case UVC_GET_DEF:
        if (size != current.size())
            return -ENOBUFS;
        std::copy(current.begin(), current.end(), data);
        return 0;
    case UVC_SET_CUR:
        if (size != current.size())
            return -ENOBUFS;
        std::copy(data, data + size, current.begin());
        return 0;
    default:
        return -EBADRQC;
    }
}

} // namespace lensgrip
