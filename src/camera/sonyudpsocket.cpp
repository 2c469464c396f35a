#include "sonyudpsocket.h"

#include "cameralog.h"
#include "sonyviscalink.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {
QString addressKey(const QHostAddress &address)
{
    // An IPv4 address given as ::ffff:a.b.c.d is the same camera.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}
} // namespace

QHash<quint16, SonyUdpSocket *> &SonyUdpSocket::sockets()
{
    static QHash<quint16, SonyUdpSocket *> all;
    return all;
}

SonyUdpSocket::SonyUdpSocket(quint16 localPort) : m_localPort(localPort), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &SonyUdpSocket::onReadyRead);
}

SonyUdpSocket::~SonyUdpSocket() = default;

SonyUdpSocket *
SonyUdpSocket::attach(quint16 localPort, const QHostAddress &camera, SonyViscaLink *link, QString *error)
{
    SonyUdpSocket *shared = sockets().value(localPort);
    if (!shared) {
        shared = new SonyUdpSocket(localPort);
        if (!shared->m_socket->bind(QHostAddress::AnyIPv4, localPort,
                                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
            *error = QStringLiteral("cannot use local UDP port %1: %2")
                         .arg(localPort)
                         .arg(shared->m_socket->errorString());
            delete shared;
            return nullptr;
        }
        sockets().insert(localPort, shared);
    }
    const QString key = addressKey(camera);
    SonyViscaLink *other = shared->m_links.value(key);
    if (other && other != link) {
        *error = QStringLiteral("another camera already uses %1 port %2").arg(key).arg(localPort);
        if (shared->m_links.isEmpty()) {
            sockets().remove(localPort);
            delete shared;
        }
        return nullptr;
    }
    shared->m_links.insert(key, link);
    return shared;
}

void SonyUdpSocket::detach(SonyViscaLink *link)
{
    for (auto it = m_links.begin(); it != m_links.end();) {
        if (it.value() == link)
            it = m_links.erase(it);
        else
            ++it;
    }
    if (m_links.isEmpty()) {
        // Closed at once, so that a camera connecting again right away binds the port afresh and alone;
        // the object may still be on the stack of its own readyRead.
        sockets().remove(m_localPort);
        m_socket->disconnect(this);
        m_socket->close();
        deleteLater();
    }
}

void SonyUdpSocket::send(const QByteArray &datagram, const QHostAddress &camera, quint16 port)
{
    m_socket->writeDatagram(datagram, camera, port);
}

void SonyUdpSocket::onReadyRead()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            continue;
        SonyViscaLink *link = m_links.value(addressKey(datagram.senderAddress()));
        if (link)
            link->handleDatagram(datagram.data());
        else
            qCDebug(lcCamera) << "Sony VISCA datagram from an unknown address dropped:"
                              << datagram.senderAddress();
    }
}
