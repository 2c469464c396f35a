#include "viscaudplink.h"

#include "viscapackets.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

ViscaUdpLink::ViscaUdpLink(QObject *parent) : ViscaDatagramLink(parent) {}

ViscaUdpLink::~ViscaUdpLink()
{
    releaseSocket();
}

bool ViscaUdpLink::acquireSocket()
{
    releaseSocket();
    m_socket = new QUdpSocket(this);
    const QHostAddress any
        = m_host.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4;
    if (!m_socket->bind(any, 0)) {
        m_error = m_socket->errorString();
        releaseSocket();
        return false;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &ViscaUdpLink::onReadyRead);
    m_framer.reset();
    return true;
}

void ViscaUdpLink::releaseSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void ViscaUdpLink::sendOpening()
{
    // Any answer opens the link; the zoom position inquiry is one every camera answers.
    ViscaCommand probe;
    probe << ViscaPackets::Inquiries.at(0);
    if (m_socket)
        m_socket->writeDatagram(reinterpret_cast<const char *>(probe.bytes), probe.length, m_host, m_port);
}

void ViscaUdpLink::write(const ViscaCommand &command)
{
    if (!m_socket || state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->writeDatagram(reinterpret_cast<const char *>(command.bytes), command.length, m_host, m_port);
}

void ViscaUdpLink::onReadyRead()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid()
            || !datagram.senderAddress().isEqual(m_host, QHostAddress::TolerantConversion))
            continue;
        const bool wasOpen = state() == QAbstractSocket::ConnectedState;
        noteAnswer();
        if (!wasOpen)
            continue;
        const QByteArray data = datagram.data();
        // One frame per datagram: nothing of one datagram joins the next.
        m_framer.reset();
        for (const QByteArray &frame : m_framer.feed(data.constData(), data.size()))
            Q_EMIT replyReceived(frame, Unknown);
    }
}
