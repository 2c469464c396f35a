#pragma once

#include <cstdint>
#include <memory>

namespace lensgrip {
class DeviceHandle;
}

// One vendor extension unit of a connected camera: its GUID, its unit id and the device through which
// its controls are queried. Once found, the unit stays usable until the next search or destruction,
// even if the library disconnects in between.
class UVCXU
{
public:
    UVCXU();
    virtual ~UVCXU();

    UVCXU(const UVCXU &) = delete;
    UVCXU &operator=(const UVCXU &) = delete;

    // Looks for an extension unit with the given GUID in the device's descriptors that the driver
    // answers for probeSelector (a unit of another function of a composite device does not answer).
    // 0 when found; E_POINTER for no device, E_FAIL when no unit qualifies.
    long findUnit(const std::shared_ptr<lensgrip::DeviceHandle> &device,
                  const uint8_t (&unit)[16],
                  uint8_t probeSelector);
    // One request on a control of the found unit; E_POINTER when no unit has been found.
    long query(uint8_t selector, uint8_t request, uint8_t *data, uint16_t size);
    bool found() const { return m_control != nullptr; }
    uint32_t nodeId() const { return m_nodeId; }

private:
    uint8_t m_guid[16] = {};
    uint32_t m_nodeId = 0;
    std::shared_ptr<lensgrip::DeviceHandle> m_control;
};
