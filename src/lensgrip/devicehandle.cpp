#include "lensgrip/devicehandle.h"

namespace lensgrip {

DeviceHandle::~DeviceHandle() = default;

} // namespace lensgrip
