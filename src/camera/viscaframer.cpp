#include "viscaframer.h"

using namespace ViscaPackets;

QList<QByteArray> ViscaFramer::feed(const char *data, qint64 size)
{
    QList<QByteArray> frames;
    for (qint64 i = 0; i < size; ++i) {
        const quint8 byte = quint8(data[i]);
        if (m_frameIndex < 0) {
            if (byte == ReplyAddress) {
                m_frame[0] = byte;
                m_frameIndex = 0;
            }
            continue;
        }
        if (m_frameIndex + 1 >= MaxReplyLength) {
            m_frameIndex = -1;
            continue;
        }
        m_frame[++m_frameIndex] = byte;
        // A terminator ends the frame only where the read ends or the next frame starts: answers carry
        // no FF inside, but a foreign byte after one means it was data.
        if (byte == Terminator && (i + 1 == size || quint8(data[i + 1]) == ReplyAddress)) {
            frames.append(QByteArray(reinterpret_cast<const char *>(m_frame), m_frameIndex + 1));
            m_frameIndex = -1;
        }
    }
    return frames;
}
