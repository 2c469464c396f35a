#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;
class Stats;

// A client on a slow or hostile link: it writes its request one byte a second, again and again until
// stopped. A short request must still be answered; one that takes longer than the server's idle timeout
// is expected to be cut off by the server ("cut"), which is how the server keeps such clients from
// holding its connections for good.
class SlowSender : public QObject
{
    Q_OBJECT

public:
    SlowSender(const QString &name,
               const QByteArray &request,
               const QString &expected,
               const QHostAddress &address,
               quint16 port,
               Stats *stats,
               QObject *parent = nullptr);

    void start();
    void stop();
    bool isBusy() const { return m_socket != nullptr; }

private:
    void begin();
    void trickle();
    void finish(const QString &outcome);

    QString m_name;
    QByteArray m_request;
    QString m_expected;
    QHostAddress m_address;
    quint16 m_port;
    Stats *m_stats;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_timer;
    qsizetype m_sent = 0;
    QByteArray m_answer;
    QElapsedTimer m_clock;
    bool m_running = false;
};
