#include "viscaudpserver.h"

#include "faultmodes.h"
#include "simlog.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>

namespace {
constexpr quint16 SonyCommand = 0x0100;
constexpr quint16 SonyInquiry = 0x0110;
constexpr quint16 SonyReply = 0x0111;
constexpr quint16 SonyControl = 0x0200;
constexpr quint16 SonyControlReply = 0x0201;

QByteArray sonyFrame(quint16 type, quint32 sequence, const QByteArray &payload)
{
    QByteArray d;
    d.append(char(type >> 8)).append(char(type & 0xFF));
    d.append(char(payload.size() >> 8)).append(char(payload.size() & 0xFF));
    for (int shift = 24; shift >= 0; shift -= 8)
        d.append(char((sequence >> shift) & 0xFF));
    return d + payload;
}
} // namespace

ViscaUdpServer::ViscaUdpServer(const QHostAddress &address,
                               quint16 port,
                               Framing framing,
                               SimCamera *camera,
                               const FaultModes *faults,
                               QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_framing(framing)
    , m_faults(faults)
    , m_interpreter(camera, faults)
    , m_socket(new QUdpSocket(this))
    , m_otherSocket(new QUdpSocket(this))
    , m_name(address.toString())
    , m_sendTimer(new QTimer(this))
{
    m_clock.start();
    m_sendTimer->setSingleShot(true);
    connect(m_sendTimer, &QTimer::timeout, this, &ViscaUdpServer::onSendTimer);
    connect(m_socket, &QUdpSocket::readyRead, this, &ViscaUdpServer::onReadyRead);
}

bool ViscaUdpServer::start(QString *error)
{
    // Shared: a controller on the same machine binds the Sony port on every address for the answers.
    const auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    if (!m_socket->bind(m_address, m_port, mode) || !m_otherSocket->bind(m_address, 0)) {
        *error = QStringLiteral("cannot listen for VISCA over UDP on %1:%2: %3")
                     .arg(m_name)
                     .arg(m_port)
                     .arg(m_socket->errorString());
        return false;
    }
    return true;
}

void ViscaUdpServer::onReadyRead()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (datagram.isValid())
            handle(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void ViscaUdpServer::handle(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort)
{
    ++m_received;
    if (m_framing == Framing::Sony)
        SimLog::event(m_name, QStringLiteral("DATAGRAM %1:%2 %3")
                                  .arg(from.toString())
                                  .arg(fromPort)
                                  .arg(QString::fromLatin1(datagram.toHex(' '))));
    if (m_faults->udpDropEvery > 0 && m_received % m_faults->udpDropEvery == 0) {
        SimLog::event(m_name, QStringLiteral("DROPPED"));
        return;
    }

    QByteArray packet = datagram;
    quint32 sequence = 0;
    // A Sony camera answers to its own VISCA port whatever port the request came from.
    quint16 replyPort = fromPort;
    if (m_framing == Framing::Sony) {
        if (datagram.size() < 8)
            return;
        auto byte = [&datagram](int i) {
            return quint32(quint8(datagram.at(i)));
        };
        const quint16 type = quint16(byte(0) << 8 | byte(1));
        sequence = byte(4) << 24 | byte(5) << 16 | byte(6) << 8 | byte(7);
        packet = datagram.mid(8);
        replyPort = m_port;
        if (type == SonyControl) {
            if (packet == QByteArray("\x01", 1))
                queue({sonyFrame(SonyControlReply, sequence, packet)}, from, replyPort, -1);
            return;
        }
        if (type != SonyCommand && type != SonyInquiry)
            return;
        ++m_sonyMessages;
        if (m_faults->sonyAbnormalEvery > 0 && m_sonyMessages % m_faults->sonyAbnormalEvery == 0) {
            SimLog::received(m_name, packet);
            queue({sonyFrame(SonyControlReply, sequence, QByteArray("\x0F\x01", 2))}, from, replyPort, -1);
            return;
        }
    }

    SimLog::received(m_name, packet);
    const ViscaReaction reaction = m_interpreter.handle(packet);
    if (reaction.type == ViscaReaction::Type::Inquiry && reaction.inquiryKind != 0
        && m_faults->isSilent(reaction.inquiryKind))
        return;
    QList<QByteArray> replies;
    for (const QByteArray &reply : reaction.replies)
        replies.append(m_framing == Framing::Sony ? sonyFrame(SonyReply, sequence, reply) : reply);
    const int late = reaction.type == ViscaReaction::Type::Inquiry
                         ? m_faults->lateKinds.value(reaction.inquiryKind, -1)
                         : -1;
    queue(replies, from, replyPort, late);
}

void ViscaUdpServer::queue(const QList<QByteArray> &datagrams,
                           const QHostAddress &to,
                           quint16 port,
                           int lateMs)
{
    const qint64 now = m_clock.elapsed();
    qint64 due = now + qMax(0, lateMs >= 0 ? lateMs : m_faults->delayMs);
    if (lateMs < 0) {
        due = qMax(due, m_lastOrderedDue);
        m_lastOrderedDue = due;
    }
    for (const QByteArray &datagram : datagrams) {
        const int copies = m_faults->udpDuplicate ? 2 : 1;
        for (int i = 0; i < copies; ++i) {
            auto at
                = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                                   [](qint64 value, const Pending &pending) { return value < pending.due; });
            m_pending.insert(at, {due, datagram, to, port});
        }
    }
    onSendTimer();
}

void ViscaUdpServer::onSendTimer()
{
    const qint64 now = m_clock.elapsed();
    while (!m_pending.isEmpty() && m_pending.constFirst().due <= now) {
        const Pending next = m_pending.takeFirst();
        sendNow(next.datagram, next.to, next.port);
    }
    if (!m_pending.isEmpty())
        m_sendTimer->start(int(qMax<qint64>(0, m_pending.constFirst().due - now)));
}

void ViscaUdpServer::sendNow(const QByteArray &datagram, const QHostAddress &to, quint16 port)
{
    SimLog::sent(m_name, m_framing == Framing::Sony ? datagram.mid(8) : datagram);
    QUdpSocket *socket = m_faults->udpOtherPort ? m_otherSocket : m_socket;
    socket->writeDatagram(datagram, to, port);
}
