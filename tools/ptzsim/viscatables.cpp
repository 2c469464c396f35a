#include "viscatables.h"

namespace Visca {

namespace {
QByteArray bytes(std::initializer_list<quint8> list)
{
    QByteArray result;
    result.reserve(int(list.size()));
    for (quint8 b : list)
        result.append(char(b));
    return result;
}
} // namespace

QByteArray ack()
{
    return bytes({0x90, 0x41, 0xFF});
}

QByteArray completion()
{
    return bytes({0x90, 0x51, 0xFF});
}

QByteArray syntaxError()
{
    return bytes({0x90, 0x60, 0x02, 0xFF});
}

QByteArray lengthError()
{
    return bytes({0x90, 0x60, 0x01, 0xFF});
}

QByteArray cancelReply()
{
    return bytes({0x90, 0x61, 0x04, 0xFF});
}

QByteArray notExecutable()
{
    return bytes({0x90, 0x61, 0x41, 0xFF});
}

QList<QByteArray> networkNotices()
{
    return {bytes({0x88, 0x30, 0x01, 0xFF}), bytes({0x88, 0x38, 0xFF}),
            bytes({0x88, 0x01, 0x00, 0x01, 0xFF})};
}

QList<QByteArray> foreignReplies()
{
    return {bytes({0xA0, 0x41, 0xFF}), bytes({0xA0, 0x51, 0xFF}), bytes({0xA0, 0x50, 0x02, 0xFF})};
}

const QList<InquiryKind> &pollingInquiries()
{
    static const QList<InquiryKind> table = {
        {3, 0x04, 0x47, "zoom position"},
        {4, 0x04, 0x48, "focus position"},
        {5, 0x04, 0x38, "focus mode"},
        {6, 0x04, 0x4A, "shutter"},
        {7, 0x04, 0x4B, "iris"},
        {8, 0x04, 0x4D, "bright"},
        {9, 0x06, 0x12, "pan/tilt position"},
        {10, 0x04, 0xA1, "luminance"},
        {11, 0x04, 0xA2, "contrast"},
        {12, 0x04, 0x4F, "hue"},
        {13, 0x04, 0x39, "exposure mode"},
        {14, 0x04, 0x35, "white balance mode"},
    };
    return table;
}

int pollingInquiryKind(const QByteArray &packet)
{
    if (packet.size() != 5 || quint8(packet.at(0)) != 0x81 || quint8(packet.at(1)) != 0x09
        || quint8(packet.at(4)) != Terminator)
        return 0;
    for (const InquiryKind &kind : pollingInquiries()) {
        if (quint8(packet.at(2)) == kind.category && quint8(packet.at(3)) == kind.item)
            return kind.kind;
    }
    return 0;
}

int firstPollingKind()
{
    return pollingInquiries().constFirst().kind;
}

int lastPollingKind()
{
    return pollingInquiries().constLast().kind;
}

bool isAeModeCode(int code)
{
    // Full auto, manual, shutter priority, iris priority, bright.
    return code == 0x00 || code == 0x03 || code == 0x0A || code == 0x0B || code == 0x0D;
}

bool isWbModeCode(int code)
{
    // Auto, indoor, outdoor, one push, ATW, manual, outdoor auto, sodium lamp, colour temperature (0x10).
    return (code >= 0x00 && code <= 0x07) || code == 0x10;
}

bool isNibbles(const QByteArray &bytes, int offset, int count)
{
    if (offset < 0 || offset + count > bytes.size())
        return false;
    for (int i = offset; i < offset + count; ++i) {
        if (quint8(bytes.at(i)) > 0x0F)
            return false;
    }
    return true;
}

quint16 wordFromNibbles(const QByteArray &bytes, int offset)
{
    quint16 value = 0;
    for (int i = 0; i < 4; ++i)
        value = quint16((value << 4) | (quint8(bytes.at(offset + i)) & 0x0F));
    return value;
}

QByteArray nibblesFromWord(quint16 value)
{
    return bytes({quint8((value >> 12) & 0x0F), quint8((value >> 8) & 0x0F), quint8((value >> 4) & 0x0F),
                  quint8(value & 0x0F)});
}

int signedPosition(quint16 value)
{
    return int(qint16(value));
}

quint16 positionWord(int value)
{
    return quint16(qint16(value));
}

QByteArray answer(const QByteArray &data)
{
    return bytes({ReplyAddress, 0x50}) + data + char(Terminator);
}

} // namespace Visca
