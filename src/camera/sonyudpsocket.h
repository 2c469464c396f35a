#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>

class QUdpSocket;
class SonyViscaLink;

// One local UDP socket per local port, shared by every Sony VISCA-over-IP camera on it: such cameras
// answer to their VISCA port whatever port a request came from, so one program can only have one
// socket there. Each datagram goes to the link of the address that sent it.
class SonyUdpSocket : public QObject
{
    Q_OBJECT

public:
    // The socket of this local port with the link registered for the address, or null with the reason.
    static SonyUdpSocket *
    attach(quint16 localPort, const QHostAddress &camera, SonyViscaLink *link, QString *error);
    // Unregisters the link; the socket goes with its last link.
    void detach(SonyViscaLink *link);
    void send(const QByteArray &datagram, const QHostAddress &camera, quint16 port);

private:
    explicit SonyUdpSocket(quint16 localPort);
    ~SonyUdpSocket() override;
    void onReadyRead();

    static QHash<quint16, SonyUdpSocket *> &sockets();

    quint16 m_localPort;
    QUdpSocket *m_socket;
    QHash<QString, SonyViscaLink *> m_links; // by camera address
};
