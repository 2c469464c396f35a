#pragma once

#include "viscaframer.h"
#include "viscalink.h"

class QTcpSocket;

// Raw VISCA frames on a TCP connection (port 5678 by default).
class ViscaTcpLink : public ViscaLink
{
    Q_OBJECT

public:
    explicit ViscaTcpLink(QObject *parent = nullptr);
    ~ViscaTcpLink() override;

    void open(const QString &host, quint16 port) override;
    void close() override;
    void closeNow(int drainMs) override;
    QAbstractSocket::SocketState state() const override;
    void write(const ViscaCommand &command) override;
    QString errorString() const override;

private:
    void onConnected();
    void onReadyRead();

    QTcpSocket *m_socket;
    ViscaFramer m_framer;
};
