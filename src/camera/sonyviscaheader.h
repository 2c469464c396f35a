#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Sony VISCA-over-IP framing: an 8-byte big-endian header (payload type, payload length, sequence
// number) before the VISCA message or control payload. Plain code for the link, the tests and the fuzz
// target.
namespace SonyViscaHeader {

inline constexpr quint16 Command = 0x0100;
inline constexpr quint16 Inquiry = 0x0110;
inline constexpr quint16 Reply = 0x0111;
inline constexpr quint16 ControlCommand = 0x0200;
inline constexpr quint16 ControlReply = 0x0201;
inline constexpr int Size = 8;
inline constexpr int MaxPayload = 16;

struct Message
{
    quint16 type = 0;
    quint32 sequence = 0;
    QByteArray payload;
};

QByteArray encode(quint16 type, quint32 sequence, const QByteArray &payload);
// The message of one datagram; nothing when the header is short or its length does not match.
std::optional<Message> decode(const QByteArray &datagram);

// Control payloads: RESET, and the camera's "abnormal sequence number" report.
inline const QByteArray ResetPayload = QByteArray("\x01", 1);
inline const QByteArray AbnormalSequence = QByteArray("\x0F\x01", 2);

} // namespace SonyViscaHeader
