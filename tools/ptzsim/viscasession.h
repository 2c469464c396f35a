#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include "viscainterpreter.h"

class QTcpSocket;
class QTimer;
class SimCamera;
struct FaultModes;

// One VISCA connection to a simulated camera: cuts the byte stream into packets (several per read or
// one over several reads), answers each through the interpreter and applies the camera's fault modes
// (silence, delay, closing after n packets, notices and foreign replies, interleaved ACKs).
class ViscaSession : public QObject
{
    Q_OBJECT

public:
    ViscaSession(QTcpSocket *socket,
                 const QString &address,
                 SimCamera *camera,
                 const FaultModes *faults,
                 QObject *parent = nullptr);

    // Writes bytes as they are, outside the reply order (the control channel's "send").
    void sendRaw(const QByteArray &bytes);
    // Closes the connection; queued replies are dropped.
    void close();

Q_SIGNALS:
    void finished();

private:
    struct PendingReply
    {
        qint64 due; // msecs of m_clock
        QByteArray packet;
    };

    void onReadyRead();
    void onDisconnected();
    void onSendTimer();
    void onNoiseTimer();
    void handlePacket(const QByteArray &packet);
    // lateMs >= 0: these replies leave that late and let later replies pass them.
    void queueReplies(const QList<QByteArray> &replies, int lateMs = -1);
    void scheduleSend();
    void writePackets(const QList<QByteArray> &packets);

    QTcpSocket *m_socket;
    QString m_address;
    const FaultModes *m_faults;
    ViscaInterpreter m_interpreter;
    QByteArray m_buffer;
    int m_packetsReceived = 0;
    int m_answersSent = 0;
    int m_noiseCount = 0;
    bool m_closing = false;
    bool m_finished = false;
    QList<PendingReply> m_pending;
    QElapsedTimer m_clock;
    qint64 m_lastWrite = -1;
    qint64 m_lastOrderedDue = -1;
    QTimer *m_sendTimer;
    QTimer *m_noiseTimer;
};
