#pragma once

#include "lensgrip/devicehandle.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace lensgrip {

// One V4L2 control of a simulated camera. Writes are clamped to the range as uvcvideo clamps them.
struct SimulatedControl
{
    ControlInfo info;
    int32_t value = 0;
    bool failGet = false; // every read fails with EIO
    bool failSet = false; // every write fails with EIO
};

// One vendor extension unit: its descriptor identity, whether the driver answers for it on this node
// (a unit of another function of a composite device does not), and its controls' current values; a
// control's length is the size of its value.
struct SimulatedExtensionUnit
{
    uint8_t unitId = 0;
    std::array<uint8_t, 16> guid{};
    bool answers = true;
    std::map<uint8_t, std::vector<uint8_t>> controls;
    std::set<uint8_t> failingQueries; // UVC request codes (GET_CUR, SET_CUR, ...) that fail with EIO
};

// One request an extension unit received; data is what was sent (SET) or the buffer size in zeros (GET).
struct ExtensionUnitRequest
{
    uint8_t unit = 0;
    uint8_t selector = 0;
    uint8_t query = 0;
    std::vector<uint8_t> data;
};

// A UVC camera as the library sees it through V4L2: its product name, its controls, its extension units
// and USB descriptors, and failures to inject. It records what it was asked so tests can check it.
class SimulatedDevice
{
public:
    explicit SimulatedDevice(std::string card);

    // A pan-tilt-zoom camera with every control the library uses and the on-screen menu unit.
    static std::shared_ptr<SimulatedDevice> ptzCamera(const std::string &card);
    // A camera with the controls given as "name=min:max:default[@value] ...", for example
    // "pan_speed=-10:10:5 tilt_abs=-90:90:0@85"; null when the description is malformed.
    static std::shared_ptr<SimulatedDevice> fromDescription(const std::string &card,
                                                            const std::string &controls);
    // Short names of the controls the library uses ("pan_speed", "tilt_abs", "focus_auto", ...).
    static std::string controlName(uint32_t id);
    static uint32_t controlId(const std::string &name); // 0 for an unknown name

    // The writes received, as "name=value,name=value;..." with one group per request.
    std::string writesText() const;

    void addControl(uint32_t id, int32_t minimum, int32_t maximum, int32_t defaultValue, uint32_t flags = 0);
    void removeControl(uint32_t id);
    bool hasControl(uint32_t id) const;
    int32_t value(uint32_t id) const;
    void setValue(uint32_t id, int32_t value);
    SimulatedControl &control(uint32_t id);
    // Adds the on-screen menu unit with selectors 1-7, each of controlLength bytes.
    SimulatedExtensionUnit &addMenuUnit(uint8_t unitId, uint16_t controlLength, bool answers = true);

    // The raw USB descriptors: a device with a VideoControl interface declaring a camera terminal and
    // the extension units, followed by a VideoStreaming interface with an MJPEG format.
    std::vector<uint8_t> descriptors() const;

    // Handle side, with the errors the real ioctls give.
    int queryControl(uint32_t id, ControlInfo &info) const;
    int getControl(uint32_t id, int32_t &value) const;
    int setControls(const std::vector<ControlValue> &values);
    int extensionUnitQuery(uint8_t unit, uint8_t selector, uint8_t query, uint8_t *data, uint16_t size);

    // Configuration.
    std::string card;
    std::string driver = "uvcvideo";
    std::string busInfo;
    std::string modalias = "usb:v2E7Ep0A01d0100dcEFdsc02dp01ic0Eisc01ip00in00";
    bool openable = true; // false: opening the node fails with EACCES
    bool present = true;  // false: unplugged, every call on an open node fails with ENODEV
    bool descriptorsReadable = true;
    std::map<uint32_t, SimulatedControl> controls;
    std::vector<SimulatedExtensionUnit> extensionUnits;

    // Record of what was asked, and how many nodes of the device are open now.
    std::vector<std::vector<ControlValue>> writes;
    std::vector<ExtensionUnitRequest> extensionUnitRequests;
    int openHandles = 0;
};

} // namespace lensgrip
