#include "simulatedbackend.h"

#include <linux/videodev2.h>

#include <cerrno>

namespace lensgrip {

namespace {

class SimulatedHandle : public DeviceHandle
{
public:
    SimulatedHandle(std::shared_ptr<SimulatedDevice> device, std::string node, bool metadata)
        : m_device(std::move(device)), m_node(std::move(node)), m_metadata(metadata)
    {
        ++m_device->openHandles;
    }
    ~SimulatedHandle() override { --m_device->openHandles; }

    std::string node() const override { return m_node; }

    int queryCapabilities(DeviceCapabilities &caps) override
    {
        if (!m_device->present)
            return -ENODEV;
        caps.driver = m_device->driver;
        caps.card = m_device->card;
        caps.busInfo = m_device->busInfo;
        // uvcvideo's metadata node reports the camera's capture capability for the whole device; only
        // device_caps tells the two nodes apart.
        caps.capabilities
            = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
        caps.deviceCaps = m_metadata ? (V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING)
                                     : (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);
        return 0;
    }
    int queryControl(uint32_t id, ControlInfo &info) override { return m_device->queryControl(id, info); }
    int getControl(uint32_t id, int32_t &value) override { return m_device->getControl(id, value); }
    int setControls(const std::vector<ControlValue> &values) override
    {
        return m_device->setControls(values);
    }
    int
    extensionUnitQuery(uint8_t unit, uint8_t selector, uint8_t query, uint8_t *data, uint16_t size) override
    {
        return m_device->extensionUnitQuery(unit, selector, query, data, size);
    }
    int readUsbDescriptors(std::vector<uint8_t> &bytes) override
    {
        if (!m_device->present)
            return -ENODEV;
        if (!m_device->descriptorsReadable)
            return -ENOENT;
        bytes = m_device->descriptors();
        return 0;
    }
    int readModalias(std::string &modalias) override
    {
        if (!m_device->present)
            return -ENODEV;
        if (m_device->modalias.empty())
            return -ENOENT;
        modalias = m_device->modalias;
        return 0;
    }

private:
    std::shared_ptr<SimulatedDevice> m_device;
    std::string m_node;
    bool m_metadata;
};

} // namespace

std::shared_ptr<SimulatedDevice> SimulatedBackend::addCamera(const std::string &card)
{
    auto device = SimulatedDevice::ptzCamera(card);
    addCamera(device);
    return device;
}

void SimulatedBackend::addCamera(const std::shared_ptr<SimulatedDevice> &device, bool withMetadataNode)
{
    if (device->busInfo.empty())
        device->busInfo = "usb-0000:00:14.0-" + std::to_string(m_nodes.size() + 1);
    addNode(device, false);
    if (withMetadataNode)
        addNode(device, true);
}

void SimulatedBackend::addMetadataNode(const std::shared_ptr<SimulatedDevice> &device)
{
    addNode(device, true);
}

void SimulatedBackend::addUnopenableNode()
{
    addNode(nullptr, false);
}

void SimulatedBackend::addNode(const std::shared_ptr<SimulatedDevice> &device, bool metadata)
{
    m_nodes.push_back({"/dev/video" + std::to_string(m_nodes.size()), device, metadata});
}

std::vector<std::string> SimulatedBackend::videoNodes()
{
    std::vector<std::string> paths;
    // An unplugged camera's nodes are gone; handles opened before keep failing with ENODEV.
    for (const Node &node : m_nodes) {
        if (!node.device || node.device->present)
            paths.push_back(node.path);
    }
    return paths;
}

std::shared_ptr<DeviceHandle> SimulatedBackend::open(const std::string &path, int &error)
{
    for (const Node &node : m_nodes) {
        if (node.path != path)
            continue;
        if (!node.device || !node.device->openable) {
            error = EACCES;
            return nullptr;
        }
        if (!node.device->present) {
            error = ENODEV;
            return nullptr;
        }
        error = 0;
        return std::make_shared<SimulatedHandle>(node.device, node.path, node.metadata);
    }
    error = ENOENT;
    return nullptr;
}

} // namespace lensgrip
