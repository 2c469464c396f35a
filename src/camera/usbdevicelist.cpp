#include "usbdevicelist.h"

#include <lensgrip/uvccameralibrary.h>

#include <array>
#include <vector>

namespace {

// The library writes into caller-owned buffers: room for 256 names of up to 255 bytes each.
constexpr int MaxNames = 256;
constexpr int NameSize = 256;

} // namespace

QStringList attachedUsbDevices()
{
    std::vector<std::array<char, NameSize>> buffers(MaxNames);
    std::array<char *, MaxNames> names{};
    for (int i = 0; i < MaxNames; ++i) {
        buffers[i][0] = '\0';
        names[i] = buffers[i].data();
    }

    int count = 0;
    UVCCameraLibrary::listDevices(names.data(), count);

    QStringList devices;
    for (int i = 0; i < qBound(0, count, MaxNames); ++i) {
        buffers[i][NameSize - 1] = '\0';
        devices.append(QString::fromUtf8(names[i]));
    }
    return devices;
}
