#pragma once

#include "viscacommand.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>

// The link a network camera's VISCA packets travel on. The link owns its socket; IPCamera speaks
// through it and never sees the transport. States use the socket's names: a datagram link is
// "Connecting" until the camera first answers and "Connected" from then on.
class ViscaLink : public QObject
{
    Q_OBJECT

public:
    // A reply's request as far as the link knows it: Unknown on links that cannot tell (raw frames
    // carry no tag), else the inquiry kind of the request answered (0 for a command).
    static constexpr int Unknown = -1;

    using QObject::QObject;

    virtual void open(const QString &host, quint16 port) = 0;
    // Closes after what was written has left; opened() links end with closed().
    virtual void close() = 0;
    // Ends the link now, waiting at most drainMs for what was written to leave.
    virtual void closeNow(int drainMs) = 0;
    virtual QAbstractSocket::SocketState state() const = 0;
    // Written within the call, not at the next turn of the event loop; dropped while not open.
    virtual void write(const ViscaCommand &command) = 0;
    virtual QString errorString() const = 0;

Q_SIGNALS:
    void opened();
    void closed();
    void stateChanged(QAbstractSocket::SocketState state);
    void errorOccurred();
    void replyReceived(const QByteArray &frame, int requestKind);
};
