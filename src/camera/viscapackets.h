#pragma once

#include <QtGlobal>

#include <array>

// The VISCA bytes this program sends and reads, in one place. A command is its four-byte header (address
// byte 0x81 for camera 1, then the category and command bytes), its argument bytes and the terminator.
namespace ViscaPackets {

inline constexpr quint8 CommandAddress = 0x81;
inline constexpr quint8 ReplyAddress = 0x90;
inline constexpr quint8 Terminator = 0xFF;

// Replies: 90 4y FF acknowledge, 90 5y FF completion, 90 5y ... FF answer, 90 6y ee FF error.
inline constexpr quint8 ReplyTypeMask = 0xF0;
inline constexpr quint8 ErrorReplyType = 0x60;
inline constexpr int ShortReplyLength = 3;
// Error codes (the third byte of 90 6y ee FF) of a camera that does not know or cannot do a command.
inline constexpr quint8 SyntaxError = 0x02;
inline constexpr quint8 NotExecutable = 0x41;
// A reply frame longer than this (terminator included) is garbage and dropped.
inline constexpr int MaxReplyLength = 32;

using Header = std::array<quint8, 4>;

inline constexpr Header PanTiltDrive{0x81, 0x01, 0x06, 0x01};
inline constexpr Header PanTiltHome{0x81, 0x01, 0x06, 0x04};
inline constexpr Header PanTiltLimit{0x81, 0x01, 0x06, 0x07};
inline constexpr Header OsdKey{0x81, 0x01, 0x06, 0x06};
// Same header as the drive, with one argument: the recall speed of presets.
inline constexpr Header PresetSpeed{0x81, 0x01, 0x06, 0x01};
inline constexpr Header Zoom{0x81, 0x01, 0x04, 0x07};
inline constexpr Header Focus{0x81, 0x01, 0x04, 0x08};
inline constexpr Header FocusMode{0x81, 0x01, 0x04, 0x38};
inline constexpr Header FocusLock{0x81, 0x0A, 0x04, 0x68};
inline constexpr Header Memory{0x81, 0x01, 0x04, 0x3F};
inline constexpr Header Iris{0x81, 0x01, 0x04, 0x0B};
inline constexpr Header IrisDirect{0x81, 0x01, 0x04, 0x4B};
inline constexpr Header Shutter{0x81, 0x01, 0x04, 0x0A};
inline constexpr Header ShutterDirect{0x81, 0x01, 0x04, 0x4A};
inline constexpr Header Bright{0x81, 0x01, 0x04, 0x0D};
inline constexpr Header AeMode{0x81, 0x01, 0x04, 0x39};
inline constexpr Header WbMode{0x81, 0x01, 0x04, 0x35};
inline constexpr Header WbTrigger{0x81, 0x01, 0x04, 0x10};
inline constexpr Header Luminance{0x81, 0x01, 0x04, 0xA1};
inline constexpr Header Contrast{0x81, 0x01, 0x04, 0xA2};
inline constexpr Header Hue{0x81, 0x01, 0x04, 0x4F};
inline constexpr Header ImageFlip{0x81, 0x01, 0x04, 0x66};
inline constexpr Header ImageMirror{0x81, 0x01, 0x04, 0x61};
inline constexpr Header MotionSync{0x81, 0x0A, 0x11, 0x13};

// The camera's tally lamp: on while the camera is on air, off otherwise.
inline constexpr std::array<quint8, 8> TallyOn{0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00, 0x02, 0xFF};
inline constexpr std::array<quint8, 8> TallyOff{0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00, 0x03, 0xFF};

// Pan and tilt direction bytes of the drive command.
struct Direction
{
    quint8 pan;
    quint8 tilt;
};
inline constexpr Direction Up{0x03, 0x01};
inline constexpr Direction Down{0x03, 0x02};
inline constexpr Direction Left{0x01, 0x03};
inline constexpr Direction Right{0x02, 0x03};
inline constexpr Direction UpLeft{0x01, 0x01};
inline constexpr Direction UpRight{0x02, 0x01};
inline constexpr Direction DownLeft{0x01, 0x02};
inline constexpr Direction DownRight{0x02, 0x02};
inline constexpr Direction Stop{0x03, 0x03};

inline constexpr quint8 On = 0x02;
inline constexpr quint8 Off = 0x03;

// Zoom and focus: the speed goes in the low nibble of the direction byte.
inline constexpr quint8 MotionStop = 0x00;
inline constexpr quint8 ZoomTele = 0x20;
inline constexpr quint8 ZoomWide = 0x30;
inline constexpr quint8 FocusNear = 0x30;
inline constexpr quint8 FocusFar = 0x20;

inline constexpr quint8 MemoryReset = 0x00;
inline constexpr quint8 MemorySet = 0x01;
inline constexpr quint8 MemoryRecall = 0x02;
// Recalling this preset number opens the camera's on-screen menu.
inline constexpr quint8 OsdMenuPreset = 0x5F;

inline constexpr quint8 OsdEnter = 0x05;
inline constexpr quint8 OsdBack = 0x04;

// Iris, shutter and bright: reset, one step up, one step down.
inline constexpr quint8 ValueReset = 0x00;
inline constexpr quint8 ValueUp = 0x02;
inline constexpr quint8 ValueDown = 0x03;
inline constexpr quint8 OnePushTrigger = 0x05;

inline constexpr quint8 LimitSet = 0x00;
inline constexpr quint8 LimitClear = 0x01;
inline constexpr quint8 LimitDownLeft = 0x00;
inline constexpr quint8 LimitUpRight = 0x01;
// The position bytes a clear command carries in place of pan and tilt.
inline constexpr std::array<quint8, 8> LimitClearPositions{0x07, 0x0F, 0x0F, 0x0F, 0x07, 0x0F, 0x0F, 0x0F};

// Inquiry kinds; they also select how the answer is read.
enum InquiryKind {
    NoInquiry = 0,
    ZoomPositionInquiry = 3,
    FocusPositionInquiry = 4,
    FocusModeInquiry = 5,
    ShutterInquiry = 6,
    IrisInquiry = 7,
    BrightInquiry = 8,
    PanTiltPositionInquiry = 9,
    LuminanceInquiry = 10,
    ContrastInquiry = 11,
    HueInquiry = 12,
    AeModeInquiry = 13,
    WbModeInquiry = 14,
};
inline constexpr int FirstInquiryKind = ZoomPositionInquiry;
inline constexpr int LastInquiryKind = WbModeInquiry;

// Inquiry packets indexed by kind - FirstInquiryKind.
inline constexpr std::array<std::array<quint8, 5>, 12> Inquiries{{
    {0x81, 0x09, 0x04, 0x47, 0xFF}, // zoom position
    {0x81, 0x09, 0x04, 0x48, 0xFF}, // focus position
    {0x81, 0x09, 0x04, 0x38, 0xFF}, // focus mode
    {0x81, 0x09, 0x04, 0x4A, 0xFF}, // shutter
    {0x81, 0x09, 0x04, 0x4B, 0xFF}, // iris
    {0x81, 0x09, 0x04, 0x4D, 0xFF}, // bright
    {0x81, 0x09, 0x06, 0x12, 0xFF}, // pan/tilt position
    {0x81, 0x09, 0x04, 0xA1, 0xFF}, // luminance
    {0x81, 0x09, 0x04, 0xA2, 0xFF}, // contrast
    {0x81, 0x09, 0x04, 0x4F, 0xFF}, // hue
    {0x81, 0x09, 0x04, 0x39, 0xFF}, // exposure mode
    {0x81, 0x09, 0x04, 0x35, 0xFF}, // white balance mode
}};

} // namespace ViscaPackets
