#pragma once

#include "viscapackets.h"

#include <QByteArray>
#include <QList>

// Cuts the byte stream of a VISCA link into reply frames of camera 1 (90 ... FF), kept across reads so
// that a frame split over several reads is joined. Notices and replies of other addresses are skipped
// byte by byte; a frame longer than MaxReplyLength is dropped. Plain code, so that the tests and the
// fuzz target call it directly.
class ViscaFramer
{
public:
    // The frames completed by these bytes, in order.
    QList<QByteArray> feed(const char *data, qint64 size);
    // Forgets a frame begun on an earlier link.
    void reset() { m_frameIndex = -1; }

private:
    int m_frameIndex = -1;
    quint8 m_frame[ViscaPackets::MaxReplyLength] = {};
};
