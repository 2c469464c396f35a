#pragma once

#include "lensgrip/devicebackend.h"
#include "simulateddevice.h"

#include <memory>
#include <string>
#include <vector>

namespace lensgrip {

// A set of simulated video nodes, numbered /dev/video0, /dev/video1, ... in the order they are added.
// Each camera gets a capture node and, like uvcvideo, a metadata node right after it.
class SimulatedBackend : public DeviceBackend
{
public:
    // Adds a camera (a PTZ camera unless given) with its capture and metadata nodes.
    std::shared_ptr<SimulatedDevice> addCamera(const std::string &card);
    void addCamera(const std::shared_ptr<SimulatedDevice> &device, bool withMetadataNode = true);
    // Adds a node of a device that only offers metadata, such as a second node of a camera.
    void addMetadataNode(const std::shared_ptr<SimulatedDevice> &device);
    // Adds a node that can be listed but never opened.
    void addUnopenableNode();

    std::vector<std::string> videoNodes() override;
    std::shared_ptr<DeviceHandle> open(const std::string &node, int &error) override;

private:
    struct Node
    {
        std::string path;
        std::shared_ptr<SimulatedDevice> device; // null: cannot be opened
        bool metadata = false;
    };
    void addNode(const std::shared_ptr<SimulatedDevice> &device, bool metadata);

    std::vector<Node> m_nodes;
};

} // namespace lensgrip
