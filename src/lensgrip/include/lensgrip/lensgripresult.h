#pragma once

#include "lensgrip/lensgrip_export.h"

// Results of the library's control calls are COM-style codes, so that callers written against the
// original camera-control interface keep working: zero or positive is success, negative is failure.
// They are 32-bit codes carried in a long, hence sign-extended.
namespace lensgrip {

constexpr long kResultOk = 0;
constexpr long kResultFail = -2147467259L;        // 0x80004005: no device, or no way to move the axis
constexpr long kResultPointer = -2147467261L;     // 0x80004003: the extension unit has not been found
constexpr long kResultNoInterface = -2147467262L; // 0x80004002: the device offers no camera controls

// A system error number as a failure code: 0x8007xxxx with the errno in the low bits.
LENSGRIP_EXPORT long resultFromErrno(int error);

} // namespace lensgrip
