#pragma once

#include <linux/usb/video.h>
#include <linux/videodev2.h>

#include <cstdint>

// The V4L2 and UVC values the library speaks, in one place.
namespace lensgrip::uvc {

// One motion axis: how its diagnostics name it and the two V4L2 controls that drive it. The continuous
// control runs at a signed speed until it is given 0; the absolute one goes to a position.
struct AxisControls
{
    const char *lowerName;
    const char *upperName;
    uint32_t continuousId;
    uint32_t absoluteId;
};

// Indexed by UVCCameraLibrary's axes: pan, tilt, zoom, focus. uvcvideo backs the continuous pan and
// tilt with PAN_SPEED/TILT_SPEED (one UVC control) and zoom with ZOOM_CONTINUOUS; it does not map the
// *_RELATIVE pan, tilt and zoom controls, which step by an amount rather than run.
constexpr AxisControls kAxes[] = {
    {"pan", "Pan", V4L2_CID_PAN_SPEED, V4L2_CID_PAN_ABSOLUTE},
    {"tilt", "Tilt", V4L2_CID_TILT_SPEED, V4L2_CID_TILT_ABSOLUTE},
    {"zoom", "Zoom", V4L2_CID_ZOOM_CONTINUOUS, V4L2_CID_ZOOM_ABSOLUTE},
    {"focus", "Focus", V4L2_CID_FOCUS_RELATIVE, V4L2_CID_FOCUS_ABSOLUTE},
};

constexpr uint32_t kFocusAutoId = V4L2_CID_FOCUS_AUTO;

// The speed range a caller is offered for an axis that can only step its absolute position.
constexpr int kSteppingMinimum = 1;
constexpr int kSteppingMaximum = 20;
constexpr int kSteppingDefault = 7;

// The vendor extension unit that carries the on-screen menu: {661DCD8C-ADB0-B344-8CB4-D335115FC18C}
// in the byte order of the USB descriptor (little-endian first three fields).
constexpr uint8_t kMenuUnitGuid[16]
    = {0x8C, 0xCD, 0x1D, 0x66, 0xB0, 0xAD, 0x44, 0xB3, 0x8C, 0xB4, 0xD3, 0x35, 0x11, 0x5F, 0xC1, 0x8C};

// Control selectors of the menu unit: each key press is a SET_CUR of its selector.
enum MenuSelector : uint8_t {
    MenuUp = 1,
    MenuDown = 2,
    MenuLeft = 3,
    MenuRight = 4,
    MenuEnter = 5,
    MenuBack = 6,
    MenuOpenClose = 7,
};

// USB descriptor values used to find extension units.
constexpr uint8_t kInterfaceDescriptor = 0x04;
constexpr uint8_t kConfigurationDescriptor = 0x02;
constexpr uint8_t kClassSpecificInterface = 0x24;
constexpr uint8_t kVideoClass = 0x0E;
constexpr uint8_t kVideoControlSubclass = 0x01;
constexpr uint8_t kExtensionUnitSubtype = UVC_VC_EXTENSION_UNIT;
constexpr int kExtensionUnitMinimumLength = 20; // up to and including the GUID

// Device listing limits of the caller's buffers.
constexpr int kMaxDevices = 128;
constexpr int kNameBufferSize = 256;

} // namespace lensgrip::uvc
