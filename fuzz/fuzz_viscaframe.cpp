// Bytes as a network camera's VISCA link delivers them, into the plain framing code the links use: the
// raw frame splitter (the first byte chooses where the input is cut into reads), the Sony VISCA-over-IP
// header decoder (a decoded message encodes back to the same datagram) and the answer-shape check every
// inquiry kind applies to each frame.

#include "fuzzsupport.h"
#include "sonyviscaheader.h"
#include "viscaanswershape.h"
#include "viscaframer.h"
#include "viscapackets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int cut = data[0] % 16 + 1;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qint64 length = qint64(size - 1);

    ViscaFramer framer;
    for (qint64 at = 0; at < length; at += cut) {
        const qint64 piece = qMin<qint64>(cut, length - at);
        for (const QByteArray &frame : framer.feed(bytes + at, piece)) {
            if (frame.size() < 2 || frame.size() > ViscaPackets::MaxReplyLength
                || quint8(frame.front()) != ViscaPackets::ReplyAddress
                || quint8(frame.back()) != ViscaPackets::Terminator)
                FuzzSupport::fail(QStringLiteral("framer returned a frame that is no reply: %1")
                                      .arg(QString::fromLatin1(frame.toHex(' '))));
            for (int kind = ViscaPackets::FirstInquiryKind; kind <= ViscaPackets::LastInquiryKind; ++kind)
                (void)viscaAnswerFitsKind(kind, reinterpret_cast<const quint8 *>(frame.constData()),
                                          int(frame.size()));
        }
    }

    const QByteArray datagram(bytes, length);
    if (const auto message = SonyViscaHeader::decode(datagram)) {
        if (SonyViscaHeader::encode(message->type, message->sequence, message->payload) != datagram)
            FuzzSupport::fail(QStringLiteral("a decoded Sony datagram does not encode back to itself"));
    }
    return 0;
}
