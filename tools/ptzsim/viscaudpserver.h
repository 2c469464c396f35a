#pragma once

#include "viscainterpreter.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>

class QTimer;
class QUdpSocket;
class SimCamera;
struct FaultModes;

// VISCA over UDP for one simulated camera: raw frames, one per datagram, or Sony VISCA over IP (8-byte
// header, sequence numbers, control RESET). Replies go to the port a request came from, except in the
// Sony framing, where a real camera answers to its own VISCA port. UDP fault modes: drop every n-th
// datagram, reply from another source port, send every reply twice, answer every n-th Sony message
// with "abnormal sequence number"; delay and late answers as on TCP.
class ViscaUdpServer : public QObject
{
    Q_OBJECT

public:
    enum class Framing { Raw, Sony };

    ViscaUdpServer(const QHostAddress &address,
                   quint16 port,
                   Framing framing,
                   SimCamera *camera,
                   const FaultModes *faults,
                   QObject *parent = nullptr);

    bool start(QString *error);

private:
    struct Pending
    {
        qint64 due;
        QByteArray datagram;
        QHostAddress to;
        quint16 port;
    };

    void onReadyRead();
    void handle(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort);
    void queue(const QList<QByteArray> &datagrams, const QHostAddress &to, quint16 port, int lateMs);
    void onSendTimer();
    void sendNow(const QByteArray &datagram, const QHostAddress &to, quint16 port);

    QHostAddress m_address;
    quint16 m_port;
    Framing m_framing;
    const FaultModes *m_faults;
    ViscaInterpreter m_interpreter;
    QUdpSocket *m_socket;
    QUdpSocket *m_otherSocket; // the "reply from another source port" fault
    QString m_name;
    int m_received = 0;
    int m_sonyMessages = 0;
    QList<Pending> m_pending;
    qint64 m_lastOrderedDue = -1;
    QElapsedTimer m_clock;
    QTimer *m_sendTimer;
};
