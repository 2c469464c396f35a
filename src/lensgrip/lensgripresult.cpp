#include "lensgrip/lensgripresult.h"

#include <cstdint>

namespace lensgrip {

long resultFromErrno(int error)
{
    // The facility of system errors, as Windows' HRESULT_FROM_WIN32 builds it; kept 32-bit and negative.
    const uint32_t code = 0x80070000u | (uint32_t(error) & 0xFFFFu);
    return long(int32_t(code));
}

} // namespace lensgrip
