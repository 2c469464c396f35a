#include "sonyviscalink.h"

#include "cameralog.h"
#include "sonyudpsocket.h"
#include "sonyviscaheader.h"

#include <QTimer>

namespace {
// Requests remembered for matching their replies; older ones are long given up.
constexpr int RememberedRequests = 64;
} // namespace

SonyViscaLink::SonyViscaLink(QObject *parent) : ViscaDatagramLink(parent), m_retransmitTimer(new QTimer(this))
{
    m_clock.start();
    m_retransmitTimer->setInterval(RetransmitAfter / 5);
    connect(m_retransmitTimer, &QTimer::timeout, this, &SonyViscaLink::onRetransmitTimer);
}

SonyViscaLink::~SonyViscaLink()
{
    releaseSocket();
}

bool SonyViscaLink::acquireSocket()
{
    // Cameras answer to their own VISCA port, so that is the local port too.
    m_socket = SonyUdpSocket::attach(m_port, m_host, this, &m_error);
    return m_socket != nullptr;
}

void SonyViscaLink::releaseSocket()
{
    m_retransmitTimer->stop();
    m_sent.clear();
    if (m_socket)
        m_socket->detach(this);
    m_socket = nullptr;
}

void SonyViscaLink::sendOpening()
{
    sendReset();
}

void SonyViscaLink::sendReset()
{
    // RESET sets the camera's count back to 0; ours starts over with it.
    m_nextSequence = 0;
    send(SonyViscaHeader::ControlCommand, SonyViscaHeader::ResetPayload, 0);
}

void SonyViscaLink::write(const ViscaCommand &command)
{
    if (!m_socket || state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray payload(reinterpret_cast<const char *>(command.bytes), command.length);
    const bool inquiry = command.length > 1 && command.bytes[1] == 0x09;
    send(inquiry ? SonyViscaHeader::Inquiry : SonyViscaHeader::Command, payload, command.inquiryKind);
}

void SonyViscaLink::send(quint16 type, const QByteArray &payload, int kind)
{
    if (!m_socket)
        return;
    const quint32 sequence = m_nextSequence++;
    Sent sent;
    sent.datagram = SonyViscaHeader::encode(type, sequence, payload);
    sent.kind = kind;
    sent.sentAt = m_clock.elapsed();
    m_sent.insert(sequence, sent);
    while (m_sent.size() > RememberedRequests)
        m_sent.erase(m_sent.begin());
    m_socket->send(sent.datagram, m_host, m_port);
    if (!m_retransmitTimer->isActive())
        m_retransmitTimer->start();
}

void SonyViscaLink::onRetransmitTimer()
{
    const qint64 now = m_clock.elapsed();
    bool waiting = false;
    for (auto it = m_sent.begin(); it != m_sent.end(); ++it) {
        Sent &sent = it.value();
        if (sent.answered || sent.retransmitted)
            continue;
        if (now - sent.sentAt >= RetransmitAfter) {
            qCDebug(lcCamera) << "no reply to Sony VISCA message" << it.key() << "- sent again" << m_host;
            sent.retransmitted = true;
            if (m_socket)
                m_socket->send(sent.datagram, m_host, m_port);
        } else {
            waiting = true;
        }
    }
    if (!waiting)
        m_retransmitTimer->stop();
}

void SonyViscaLink::handleDatagram(const QByteArray &datagram)
{
    const std::optional<SonyViscaHeader::Message> message = SonyViscaHeader::decode(datagram);
    if (!message)
        return;
    if (message->type == SonyViscaHeader::ControlReply
        && message->payload == SonyViscaHeader::AbnormalSequence) {
        // Whatever number it names: both sides start counting again, and go on.
        qCDebug(lcCamera) << "camera reports an abnormal sequence number, resetting" << m_host;
        m_sent.clear();
        sendReset();
        return;
    }
    auto it = m_sent.find(message->sequence);
    if (it == m_sent.end()) {
        qCDebug(lcCamera) << "Sony VISCA reply to no request of ours dropped:" << message->sequence;
        return;
    }
    Sent &sent = it.value();
    if (sent.replies.contains(datagram))
        return;
    sent.replies.append(datagram);
    sent.answered = true;

    if (message->type == SonyViscaHeader::ControlReply) {
        noteAnswer();
        return;
    }
    if (message->type != SonyViscaHeader::Reply)
        return;
    const bool wasOpen = state() == QAbstractSocket::ConnectedState;
    noteAnswer();
    if (wasOpen)
        Q_EMIT replyReceived(message->payload, sent.kind);
}
