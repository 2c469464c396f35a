#include "usbdescriptors.h"

#include "uvcconstants.h"

#include <algorithm>

namespace lensgrip {

std::vector<ExtensionUnitDescriptor> parseExtensionUnits(const std::vector<uint8_t> &bytes)
{
    std::vector<ExtensionUnitDescriptor> units;
    // Subtype 0x06 means "extension unit" only inside a VideoControl interface; in a VideoStreaming
    // interface the same subtype is an MJPEG format, so track which interface the walk is in.
    bool inVideoControl = false;
    size_t pos = 0;
    while (pos + 2 <= bytes.size()) {
        const size_t length = bytes[pos];
        if (length < 2 || pos + length > bytes.size())
            break;
        const uint8_t type = bytes[pos + 1];
        if (type == uvc::kConfigurationDescriptor) {
            inVideoControl = false;
        } else if (type == uvc::kInterfaceDescriptor && length >= 9) {
            inVideoControl
                = bytes[pos + 5] == uvc::kVideoClass && bytes[pos + 6] == uvc::kVideoControlSubclass;
        } else if (type == uvc::kClassSpecificInterface && inVideoControl
                   && length >= size_t(uvc::kExtensionUnitMinimumLength)
                   && bytes[pos + 2] == uvc::kExtensionUnitSubtype) {
            ExtensionUnitDescriptor unit;
            unit.unitId = bytes[pos + 3];
            std::copy_n(bytes.begin() + long(pos) + 4, 16, unit.guid.begin());
            units.push_back(unit);
        }
        pos += length;
    }
    return units;
}

} // namespace lensgrip
