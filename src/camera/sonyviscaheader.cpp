#include "sonyviscaheader.h"

namespace SonyViscaHeader {

QByteArray encode(quint16 type, quint32 sequence, const QByteArray &payload)
{
    QByteArray datagram;
    datagram.reserve(Size + payload.size());
    datagram.append(char(type >> 8)).append(char(type & 0xFF));
    const quint16 length = quint16(payload.size());
    datagram.append(char(length >> 8)).append(char(length & 0xFF));
    for (int shift = 24; shift >= 0; shift -= 8)
        datagram.append(char((sequence >> shift) & 0xFF));
    datagram.append(payload);
    return datagram;
}

std::optional<Message> decode(const QByteArray &datagram)
{
    if (datagram.size() < Size)
        return std::nullopt;
    auto byte = [&datagram](int i) {
        return quint32(quint8(datagram.at(i)));
    };
    Message message;
    message.type = quint16(byte(0) << 8 | byte(1));
    const int length = int(byte(2) << 8 | byte(3));
    message.sequence = byte(4) << 24 | byte(5) << 16 | byte(6) << 8 | byte(7);
    if (length != datagram.size() - Size || length > MaxPayload + 16)
        return std::nullopt;
    message.payload = datagram.mid(Size);
    return message;
}

} // namespace SonyViscaHeader
