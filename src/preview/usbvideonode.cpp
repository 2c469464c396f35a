#include "usbvideonode.h"

#include <lensgrip/devicebackend.h>
#include <lensgrip/devicehandle.h>

#include <linux/videodev2.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

QString usbVideoNode(const QString &deviceName)
{
    // Walks Lensgrip's device layer the way its device list does: capture nodes only, one entry per
    // camera, and " #1", " #2", ... from the second camera with the same product name on.
    const std::shared_ptr<lensgrip::DeviceBackend> backend = lensgrip::deviceBackend();
    if (!backend || deviceName.isEmpty())
        return QString();
    // The library's names fit its callers' 256-byte buffers.
    constexpr size_t MaxNameBytes = 255;
    const std::string wanted = deviceName.toStdString();
    std::vector<std::string> plainNames;
    std::set<std::string> cameras;
    for (const std::string &node : backend->videoNodes()) {
        int error = 0;
        const std::shared_ptr<lensgrip::DeviceHandle> device = backend->open(node, error);
        lensgrip::DeviceCapabilities caps;
        if (!device || device->queryCapabilities(caps) < 0 || caps.card.empty())
            continue;
        const uint32_t nodeCaps
            = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.deviceCaps : caps.capabilities;
        if (!(nodeCaps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE))
            || (nodeCaps & V4L2_CAP_META_CAPTURE))
            continue;
        if (!caps.busInfo.empty() && !cameras.insert(caps.busInfo + '\n' + caps.card).second)
            continue;
        const auto earlier = std::count(plainNames.begin(), plainNames.end(), caps.card);
        plainNames.push_back(caps.card);
        std::string name = caps.card;
        if (earlier > 0)
            name += " #" + std::to_string(earlier);
        if (name.size() > MaxNameBytes)
            name.resize(MaxNameBytes);
        if (name == wanted)
            return QString::fromStdString(device->node());
    }
    return QString();
}
