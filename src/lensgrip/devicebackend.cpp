#include "lensgrip/devicebackend.h"

#include "v4l2backend.h"

namespace lensgrip {

namespace {

std::shared_ptr<DeviceBackend> &installedBackend()
{
    static std::shared_ptr<DeviceBackend> backend;
    return backend;
}

} // namespace

DeviceBackend::~DeviceBackend() = default;

void setDeviceBackend(std::shared_ptr<DeviceBackend> backend)
{
    installedBackend() = std::move(backend);
}

std::shared_ptr<DeviceBackend> deviceBackend()
{
    const std::shared_ptr<DeviceBackend> backend = installedBackend();
    return backend ? backend : systemDeviceBackend();
}

std::shared_ptr<DeviceBackend> systemDeviceBackend()
{
    static const std::shared_ptr<DeviceBackend> backend = std::make_shared<V4l2Backend>();
    return backend;
}

} // namespace lensgrip
