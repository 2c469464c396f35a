#pragma once

#include <QByteArray>
#include <QList>

// The VISCA vocabulary of the simulated camera, in one place: reply packets, the inquiry kinds the
// control panel polls, value ranges and the nibble encoding of positions and values.
namespace Visca {

// Camera address 1 answers as 0x90 (address + 8 in the high nibble).
constexpr quint8 ReplyAddress = 0x90;
constexpr quint8 Terminator = 0xFF;
constexpr int MaxPacketLength = 16;

QByteArray ack();           // 90 41 FF
QByteArray completion();    // 90 51 FF
QByteArray syntaxError();   // 90 60 02 FF
QByteArray lengthError();   // 90 60 01 FF
QByteArray cancelReply();   // 90 61 04 FF
QByteArray notExecutable(); // 90 61 41 FF

// Frames other devices on the same network would put on the wire.
QList<QByteArray> networkNotices(); // 88 30 01 FF, 88 38 FF ...
QList<QByteArray> foreignReplies(); // A0 41 FF, A0 51 FF ...

// The twelve status inquiries the panel's polling cycle sends, by kind number.
struct InquiryKind
{
    int kind;
    quint8 category; // byte 2 of 81 09 cc ii FF
    quint8 item;     // byte 3
    const char *name;
};
const QList<InquiryKind> &pollingInquiries();
// Kind 3..14 of an inquiry packet, or 0 when the packet is not one of the polled inquiries.
int pollingInquiryKind(const QByteArray &packet);
int firstPollingKind();
int lastPollingKind();

// Physical ranges of the simulated head and lens, in VISCA position units.
constexpr int PanMinimum = -2448; // F670
constexpr int PanMaximum = 2448;  // 0990
constexpr int TiltMinimum = -432; // FE50
constexpr int TiltMaximum = 1296; // 0510
constexpr int ZoomMinimum = 0x0000;
constexpr int ZoomMaximum = 0x4000;
constexpr int FocusMinimum = 0x1000;
constexpr int FocusMaximum = 0xF000;
constexpr int PanSpeedMaximum = 0x18;
constexpr int TiltSpeedMaximum = 0x14;
constexpr int PresetSpeedMaximum = 0x18;
constexpr int LensSpeedMaximum = 7;
constexpr int PresetCount = 255; // presets 0..254

// Exposure ranges: shutter positions 1..17, iris 0..12, bright 0..31, picture values 0..14.
constexpr int ShutterMinimum = 1;
constexpr int ShutterMaximum = 17;
constexpr int IrisMinimum = 0;
constexpr int IrisMaximum = 12;
constexpr int BrightMinimum = 0;
constexpr int BrightMaximum = 31;
constexpr int PictureMinimum = 0;
constexpr int PictureMaximum = 14;

// Preset 95 opens the on-screen menu on cameras of this family instead of moving.
constexpr int MenuPreset = 95;

// Codes accepted by the exposure mode and white balance commands.
bool isAeModeCode(int code);
bool isWbModeCode(int code);

// Four bytes 0p 0q 0r 0s <-> a 16-bit value; the bytes must be nibbles (0x00..0x0F).
bool isNibbles(const QByteArray &bytes, int offset, int count);
quint16 wordFromNibbles(const QByteArray &bytes, int offset);
QByteArray nibblesFromWord(quint16 value);
// A 16-bit VISCA position as a signed value (two's complement).
int signedPosition(quint16 value);
quint16 positionWord(int value);

QByteArray answer(const QByteArray &data); // 90 50 <data> FF

} // namespace Visca
