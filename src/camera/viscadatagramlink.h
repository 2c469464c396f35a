#pragma once

#include "viscalink.h"

#include <QHostAddress>

class QTimer;

// What the two UDP links share: no connection to open, so the link counts as open once the camera
// first answers after open(). No answer within OpenTimeout keeps it "Connecting"; it tries again after
// the same back-off delays as a TCP link that cannot be re-opened.
class ViscaDatagramLink : public ViscaLink
{
    Q_OBJECT

public:
    static constexpr int OpenTimeout = 2000;

    explicit ViscaDatagramLink(QObject *parent = nullptr);

    void open(const QString &host, quint16 port) override;
    void close() override;
    void closeNow(int drainMs) override;
    QAbstractSocket::SocketState state() const override { return m_state; }
    QString errorString() const override { return m_error; }

protected:
    // The socket the datagrams go through; false (with errorString set) when it cannot be had.
    virtual bool acquireSocket() = 0;
    virtual void releaseSocket() = 0;
    // What asks the camera for a first answer.
    virtual void sendOpening() = 0;
    // A datagram the camera sent: the first one opens the link.
    void noteAnswer();
    void fail(const QString &error);

    QHostAddress m_host;
    quint16 m_port = 0;
    QString m_error;

private:
    void setState(QAbstractSocket::SocketState state);
    void onOpenTimeout();

    QAbstractSocket::SocketState m_state = QAbstractSocket::UnconnectedState;
    QTimer *m_openTimer;
    QTimer *m_retryTimer;
    int m_attempt = 0;
};
