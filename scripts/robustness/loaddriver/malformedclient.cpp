#include "malformedclient.h"

#include "stats.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int AnswerWaitMs = 5000;
constexpr int HoldOpenMs = 5000;
constexpr int PauseBetweenMs = 20;

QByteArray binaryGarbage(quint32 seed)
{
    std::mt19937 random(seed);
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes.append(char(random() & 0xff));
    return bytes + "\r\n\r\n";
}
} // namespace

MalformedClient::MalformedClient(
    const QHostAddress &address, quint16 port, quint32 seed, Stats *stats, QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_stats(stats)
    , m_random(seed)
    , m_scenarios(scenarios())
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_socket)
            finish(QStringLiteral("silent"));
        else if (m_running)
            next();
    });
}

QList<MalformedClient::Scenario> MalformedClient::scenarios()
{
    const QStringList refused{QStringLiteral("400")};
    // The server may close while the rest of an oversized request is still on its way; the answer can
    // then be lost in the reset.
    const QStringList tooLarge{QStringLiteral("431"), QStringLiteral("closed")};
    QByteArray padding;
    for (int i = 0; i < 20; ++i)
        padding += "X-Pad-" + QByteArray::number(i) + ": " + QByteArray(1000, 'b') + "\r\n";
    return {
        {"oversized-line", "GET /cam/settings?x=" + QByteArray(40000, 'A') + " HTTP/1.1\r\nHost: l\r\n\r\n",
         tooLarge, AnswerWaitMs},
        {"oversized-head", "GET / HTTP/1.1\r\n" + padding + "\r\n", tooLarge, AnswerWaitMs},
        {"bad-method", "BREW /cam/settings HTTP/1.1\r\nHost: l\r\n\r\n", refused, AnswerWaitMs},
        {"binary-garbage", binaryGarbage(7), refused, AnswerWaitMs},
        {"no-version", "GET /cam/settings\r\n\r\n", refused, AnswerWaitMs},
        {"post-with-body", "POST /cam/settings HTTP/1.1\r\nContent-Length: 11\r\n\r\nhello world", refused,
         AnswerWaitMs},
        {"get-with-body", "GET /cam/settings HTTP/1.1\r\nContent-Length: 4\r\n\r\nabcd", refused,
         AnswerWaitMs},
        {"chunked-body", "PUT /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         refused, AnswerWaitMs},
        {"huge-content-length", "POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", refused,
         AnswerWaitMs},
        {"header-without-colon", "GET / HTTP/1.1\r\nBroken header\r\n\r\n", refused, AnswerWaitMs},
        {"nul-in-path", QByteArray("GET /cam/set\0tings HTTP/1.1\r\n\r\n", 31), {"400", "404"}, AnswerWaitMs},
        {"truncated-then-closed", "GET /cam/control?controlMethod=1&pan", {"abandoned"}, 0, true},
        {"truncated-held-open", "GET /cam/getCurrentCamInfo HTTP/1.1\r\nHost: l\r\n", {"silent"}, HoldOpenMs},
        {"pipelined",
         "GET /obs/settings HTTP/1.1\r\n\r\nGET /vmix/settings HTTP/1.1\r\n\r\n",
         {"200", "400"},
         AnswerWaitMs},
        {"http10-close", "GET /vmix/settings HTTP/1.0\r\n\r\n", {"200"}, AnswerWaitMs},
        {"lf-only", "GET /obs/settings HTTP/1.1\n\n", {"200"}, AnswerWaitMs},
        {"websocket-upgrade",
         "GET / HTTP/1.1\r\nHost: l\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: "
         "13\r\n"
         "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
         {"200", "400", "404", "closed"},
         AnswerWaitMs},
        {"broken-escapes",
         "GET /cam/recallPreset?presetNum=%zz&callSpeed=%%%25 HTTP/1.1\r\n\r\n",
         {"200"},
         AnswerWaitMs},
        {"missing-parameter", "GET /cam/control?controlMethod=2 HTTP/1.1\r\n\r\n", refused, AnswerWaitMs},
        {"unknown-path", "GET /etc/passwd HTTP/1.1\r\n\r\n", {"404"}, AnswerWaitMs},
        {"path-traversal",
         "GET /assets?_type=js&_name=..%2F..%2F..%2Fetc%2Fpasswd HTTP/1.1\r\n\r\n",
         {"404"},
         AnswerWaitMs},
    };
}

QStringList MalformedClient::scenarioNames()
{
    QStringList names;
    for (const Scenario &scenario : scenarios())
        names.append(QLatin1String(scenario.name));
    return names;
}

void MalformedClient::start()
{
    m_running = true;
    next();
}

void MalformedClient::stop()
{
    m_running = false;
}

void MalformedClient::next()
{
    if (!m_running)
        return;
    m_current = int(m_random() % quint32(m_scenarios.size()));
    const Scenario &scenario = m_scenarios.at(m_current);
    m_answer.clear();
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        const Scenario &current = m_scenarios.at(m_current);
        m_socket->write(current.request);
        if (current.closeAfterWrite) {
            m_socket->flush();
            finish(QStringLiteral("abandoned"));
        }
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        m_answer += m_socket->readAll();
        // The status line is all that is judged.
        if (m_answer.contains('\n'))
            finish(QString::fromLatin1(m_answer.mid(9, 3)));
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_socket)
            finish(QStringLiteral("closed"));
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (!m_socket)
            return;
        if (error == QAbstractSocket::ConnectionRefusedError) {
            m_stats->add(QStringLiteral("malformed.connect_failed"));
            m_stats->note(QStringLiteral("malformed: connection refused"));
        }
        finish(QStringLiteral("closed"));
    });
    m_stats->add(QStringLiteral("malformed.sent"));
    m_socket->connectToHost(m_address, m_port);
    m_timer->start(scenario.waitMs > 0 ? scenario.waitMs : AnswerWaitMs);
}

void MalformedClient::finish(const QString &outcome)
{
    if (!m_socket)
        return;
    const Scenario &scenario = m_scenarios.at(m_current);
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();

    m_stats->add(QStringLiteral("malformed.%1.%2").arg(QLatin1String(scenario.name), outcome));
    if (!scenario.expected.contains(outcome)) {
        m_stats->add(QStringLiteral("malformed.unexpected"));
        m_stats->note(
            QStringLiteral("malformed: %1 ended %2, expected %3")
                .arg(QLatin1String(scenario.name), outcome, scenario.expected.join(QLatin1Char('|'))));
    }
    m_timer->start(PauseBetweenMs);
}
