#pragma once

#include "viscadatagramlink.h"

#include <QElapsedTimer>
#include <QList>
#include <QMap>

class QTimer;
class SonyUdpSocket;

// Sony VISCA over IP (UDP, port 52381 by default): every message in an 8-byte header with its payload
// type and a sequence number of this camera's, +1 per message. A control RESET opens the link and
// answers the camera's "abnormal sequence number". A request without any reply in RetransmitAfter ms
// goes once more with the same number; replies are matched by their number, duplicates dropped.
class SonyViscaLink : public ViscaDatagramLink
{
    Q_OBJECT

public:
    static constexpr int RetransmitAfter = 250;

    explicit SonyViscaLink(QObject *parent = nullptr);
    ~SonyViscaLink() override;

    void write(const ViscaCommand &command) override;
    // A datagram from this camera's address, handed over by the shared socket.
    void handleDatagram(const QByteArray &datagram);

protected:
    bool acquireSocket() override;
    void releaseSocket() override;
    void sendOpening() override;

private:
    struct Sent
    {
        QByteArray datagram;
        int kind = 0;
        qint64 sentAt = 0;
        bool answered = false;
        bool retransmitted = false;
        QList<QByteArray> replies; // seen already: the same again is a duplicate
    };

    void sendReset();
    void send(quint16 type, const QByteArray &payload, int kind);
    void onRetransmitTimer();

    SonyUdpSocket *m_socket = nullptr;
    quint32 m_nextSequence = 0;
    QMap<quint32, Sent> m_sent; // the latest requests by sequence number
    QElapsedTimer m_clock;
    QTimer *m_retransmitTimer;
};
