#include "viscaanswershape.h"

#include "viscapackets.h"

using namespace ViscaPackets;

namespace {
bool nibbles(const quint8 *frame, int from, int to)
{
    for (int i = from; i <= to; ++i) {
        if (frame[i] > 0x0F)
            return false;
    }
    return true;
}

// 90 50 pp FF, or 90 50 00 00 0p 0q FF.
bool valueForm(const quint8 *frame, int length)
{
    return length == 4 || (length == 7 && frame[2] == 0 && frame[3] == 0 && nibbles(frame, 4, 5));
}
} // namespace

bool viscaAnswerFitsKind(int kind, const quint8 *frame, int length)
{
    if (length < 4 || frame[0] != ReplyAddress || frame[length - 1] != Terminator)
        return false;
    switch (kind) {
    case ZoomPositionInquiry:
    case FocusPositionInquiry:
        return length == 7 && nibbles(frame, 2, 5);
    case FocusModeInquiry:
        return length == 4 && (frame[2] == On || frame[2] == Off);
    case ShutterInquiry:
    case IrisInquiry:
    case BrightInquiry:
    case LuminanceInquiry:
    case ContrastInquiry:
    case HueInquiry:
        return valueForm(frame, length);
    case PanTiltPositionInquiry:
        // Four pan nibbles or, on some models, five; four tilt nibbles.
        return (length == 11 || length == 12) && nibbles(frame, 2, length - 2);
    case AeModeInquiry:
    case WbModeInquiry:
        return length == 4;
    default:
        return false;
    }
}
