#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lensgrip {

struct ExtensionUnitDescriptor
{
    uint8_t unitId = 0;
    std::array<uint8_t, 16> guid{};
};

// The extension units declared by the VideoControl interfaces in a USB device's raw descriptors (as
// sysfs "descriptors" holds them), in descriptor order. Malformed lengths end the walk.
std::vector<ExtensionUnitDescriptor> parseExtensionUnits(const std::vector<uint8_t> &bytes);

} // namespace lensgrip
