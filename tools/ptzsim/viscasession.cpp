#include "viscasession.h"

#include "faultmodes.h"
#include "simlog.h"
#include "viscatables.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {
// Noise (notices, foreign replies) goes out only on a quiet line, so that it never lands in the same
// read as the end of a reply: a controller sees it between replies.
constexpr int NoiseIntervalMs = 150;
constexpr int QuietBeforeNoiseMs = 60;
constexpr int QuietAfterNoiseMs = 20;
} // namespace

ViscaSession::ViscaSession(
    QTcpSocket *socket, const QString &address, SimCamera *camera, const FaultModes *faults, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_address(address)
    , m_faults(faults)
    , m_interpreter(camera, faults)
    , m_sendTimer(new QTimer(this))
    , m_noiseTimer(new QTimer(this))
{
    m_socket->setParent(this);
    m_clock.start();
    m_sendTimer->setSingleShot(true);
    connect(m_sendTimer, &QTimer::timeout, this, &ViscaSession::onSendTimer);
    m_noiseTimer->setInterval(NoiseIntervalMs);
    connect(m_noiseTimer, &QTimer::timeout, this, &ViscaSession::onNoiseTimer);
    m_noiseTimer->start();
    connect(m_socket, &QTcpSocket::readyRead, this, &ViscaSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ViscaSession::onDisconnected);

    SimLog::event(
        m_address,
        QStringLiteral("CONNECT %1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort()));
    // Data may have arrived with the connection itself.
    if (m_socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &ViscaSession::onReadyRead);
}

void ViscaSession::sendRaw(const QByteArray &bytes)
{
    if (m_closing || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    SimLog::sent(m_address, bytes);
    m_socket->write(bytes);
    m_lastWrite = m_clock.elapsed();
}

void ViscaSession::close()
{
    if (m_closing)
        return;
    m_closing = true;
    m_pending.clear();
    m_sendTimer->stop();
    m_noiseTimer->stop();
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        onDisconnected();
}

void ViscaSession::onReadyRead()
{
    if (m_closing)
        return;
    m_buffer.append(m_socket->readAll());
    while (!m_closing) {
        const int end = m_buffer.indexOf(char(Visca::Terminator));
        if (end < 0) {
            if (m_buffer.size() > Visca::MaxPacketLength) {
                // No terminator within the longest packet: the message is too long, drop it.
                const QByteArray junk = m_buffer;
                m_buffer.clear();
                SimLog::received(m_address, junk);
                ++m_packetsReceived;
                queueReplies({Visca::lengthError()});
            }
            break;
        }
        const QByteArray packet = m_buffer.left(end + 1);
        m_buffer.remove(0, end + 1);
        handlePacket(packet);
    }
}

void ViscaSession::handlePacket(const QByteArray &packet)
{
    SimLog::received(m_address, packet);
    ++m_packetsReceived;
    if (m_faults->closeAfter > 0 && m_packetsReceived >= m_faults->closeAfter) {
        // The n-th packet is taken but never answered: the camera hangs up instead.
        close();
        return;
    }

    const ViscaReaction reaction = m_interpreter.handle(packet);
    if (reaction.type == ViscaReaction::Type::Inquiry) {
        if (reaction.inquiryKind != 0 && m_faults->isSilent(reaction.inquiryKind))
            return;
        QList<QByteArray> replies = reaction.replies;
        if (m_faults->interleave) {
            // A stray ACK before every answer, and a completion after every second one.
            replies.prepend(Visca::ack());
            if (m_answersSent % 2 == 1)
                replies.append(Visca::completion());
        }
        ++m_answersSent;
        queueReplies(replies, m_faults->lateKinds.value(reaction.inquiryKind, -1));
        return;
    }
    queueReplies(reaction.replies);
}

void ViscaSession::queueReplies(const QList<QByteArray> &replies, int lateMs)
{
    if (replies.isEmpty())
        return;
    const qint64 now = m_clock.elapsed();
    if (lateMs < 0 && m_faults->delayMs <= 0 && m_pending.isEmpty()) {
        writePackets(replies);
        return;
    }
    qint64 due = now + qMax(0, lateMs >= 0 ? lateMs : m_faults->delayMs);
    if (lateMs < 0) {
        // Replies keep their order even when the delay changes between them; only late answers are
        // passed by the replies after them.
        due = qMax(due, m_lastOrderedDue);
        m_lastOrderedDue = due;
    }
    for (const QByteArray &reply : replies) {
        auto at
            = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                               [](qint64 value, const PendingReply &pending) { return value < pending.due; });
        m_pending.insert(at, {due, reply});
    }
    scheduleSend();
}

void ViscaSession::scheduleSend()
{
    if (m_pending.isEmpty()) {
        m_sendTimer->stop();
        return;
    }
    const qint64 wait = qMax<qint64>(0, m_pending.constFirst().due - m_clock.elapsed());
    m_sendTimer->start(int(wait));
}

void ViscaSession::onSendTimer()
{
    const qint64 now = m_clock.elapsed();
    QList<QByteArray> due;
    while (!m_pending.isEmpty() && m_pending.constFirst().due <= now)
        due.append(m_pending.takeFirst().packet);
    writePackets(due);
    scheduleSend();
}

void ViscaSession::writePackets(const QList<QByteArray> &packets)
{
    if (packets.isEmpty() || m_closing || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    QByteArray data;
    for (const QByteArray &packet : packets) {
        SimLog::sent(m_address, packet);
        data.append(packet);
    }
    m_socket->write(data);
    m_lastWrite = m_clock.elapsed();
}

void ViscaSession::onNoiseTimer()
{
    if (!m_faults->notices && !m_faults->foreign)
        return;
    const qint64 now = m_clock.elapsed();
    if (m_lastWrite >= 0 && now - m_lastWrite < QuietBeforeNoiseMs)
        return;
    if (!m_pending.isEmpty() && m_pending.constFirst().due - now < QuietAfterNoiseMs)
        return;
    QList<QByteArray> choices;
    if (m_faults->notices)
        choices.append(Visca::networkNotices());
    if (m_faults->foreign)
        choices.append(Visca::foreignReplies());
    const QByteArray frame = choices.at(m_noiseCount++ % choices.size());
    writePackets({frame});
}

void ViscaSession::onDisconnected()
{
    if (m_finished)
        return;
    m_finished = true;
    m_closing = true;
    m_pending.clear();
    m_sendTimer->stop();
    m_noiseTimer->stop();
    SimLog::event(m_address, QStringLiteral("DISCONNECT"));
    Q_EMIT finished();
}
