#include "slowsender.h"

#include "stats.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int ByteIntervalMs = 1000;
// After the last byte: how long an answer may take.
constexpr int AnswerWaitMs = 10000;
} // namespace

SlowSender::SlowSender(const QString &name,
                       const QByteArray &request,
                       const QString &expected,
                       const QHostAddress &address,
                       quint16 port,
                       Stats *stats,
                       QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_request(request)
    , m_expected(expected)
    , m_address(address)
    , m_port(port)
    , m_stats(stats)
    , m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &SlowSender::trickle);
}

void SlowSender::start()
{
    m_running = true;
    begin();
}

void SlowSender::stop()
{
    m_running = false;
}

void SlowSender::begin()
{
    m_sent = 0;
    m_answer.clear();
    m_socket = new QTcpSocket(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_clock.start();
        m_timer->start(ByteIntervalMs);
        trickle();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        m_answer += m_socket->readAll();
        if (m_answer.contains('\n'))
            finish(m_answer.startsWith("HTTP/1.1 ") ? QStringLiteral("answered") : QStringLiteral("garbled"));
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_socket)
            finish(m_sent < m_request.size() ? QStringLiteral("cut") : QStringLiteral("closed"));
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket)
            finish(m_sent < m_request.size() ? QStringLiteral("cut") : QStringLiteral("closed"));
    });
    m_stats->add(QStringLiteral("slow.started"));
    m_socket->connectToHost(m_address, m_port);
}

void SlowSender::trickle()
{
    if (!m_socket)
        return;
    if (m_sent < m_request.size()) {
        m_socket->write(m_request.mid(m_sent, 1));
        ++m_sent;
        return;
    }
    // Everything sent: now the answer has its time.
    if (m_clock.elapsed() > qint64(m_request.size()) * ByteIntervalMs + AnswerWaitMs)
        finish(QStringLiteral("silent"));
}

void SlowSender::finish(const QString &outcome)
{
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    m_timer->stop();
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();

    m_stats->add(QStringLiteral("slow.%1.%2").arg(m_name, outcome));
    m_stats->raise(QStringLiteral("slow.%1.max_seconds").arg(m_name), m_clock.elapsed() / 1000);
    if (outcome != m_expected) {
        m_stats->add(QStringLiteral("slow.unexpected"));
        m_stats->note(QStringLiteral("slow sender %1 ended %2 after %3 s, expected %4")
                          .arg(m_name, outcome)
                          .arg(m_clock.elapsed() / 1000)
                          .arg(m_expected));
    }
    if (m_running)
        QTimer::singleShot(0, this, &SlowSender::begin);
}
