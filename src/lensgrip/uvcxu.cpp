#include "uvcxu.h"

#include "lensgrip/devicehandle.h"
#include "lensgrip/lensgripresult.h"
#include "usbdescriptors.h"
#include "uvcconstants.h"

#include <algorithm>
#include <cstring>

using namespace lensgrip;

UVCXU::UVCXU() = default;

UVCXU::~UVCXU()
{
    m_control.reset();
}

long UVCXU::findUnit(const std::shared_ptr<DeviceHandle> &device,
                     const uint8_t (&unit)[16],
                     uint8_t probeSelector)
{
    if (!device)
        return kResultPointer;
    std::vector<uint8_t> descriptors;
    if (const int error = device->readUsbDescriptors(descriptors); error < 0) {
        m_control.reset();
        return resultFromErrno(-error);
    }
    const std::vector<ExtensionUnitDescriptor> units = parseExtensionUnits(descriptors);
    if (units.empty()) {
        m_control.reset();
        return kResultFail;
    }
    for (const ExtensionUnitDescriptor &candidate : units) {
        if (!std::equal(candidate.guid.begin(), candidate.guid.end(), unit))
            continue;
        m_control.reset();
        uint8_t info = 0;
        if (device->extensionUnitQuery(candidate.unitId, probeSelector, UVC_GET_INFO, &info, 1) < 0)
            continue;
        std::memcpy(m_guid, unit, sizeof m_guid);
        m_nodeId = candidate.unitId;
        m_control = device;
        return kResultOk;
    }
    m_control.reset();
    return kResultFail;
}

long UVCXU::query(uint8_t selector, uint8_t request, uint8_t *data, uint16_t size)
{
    if (!m_control)
        return kResultPointer;
    const int error = m_control->extensionUnitQuery(uint8_t(m_nodeId), selector, request, data, size);
    return error < 0 ? resultFromErrno(-error) : kResultOk;
}
