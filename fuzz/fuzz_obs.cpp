// OBS messages as the program receives them: arbitrary text messages into a connected obs-websocket link,
// once speaking 4.x and once 5.x (identified). The input is split into up to 32 messages at the byte 0x1E,
// so that sequences (a source list, then volume replies and events) are reached. After the messages the
// link polls and sends a command on what it now believes, as the timer and the web API would.

#include "fuzzsupport.h"
#include "obswrapper.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <QWebSocketServer>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

const QHostAddress ObsAddress(QStringLiteral("127.0.14.20"));
constexpr int MaxMessages = 32;
constexpr int ConnectTimeoutMs = 5000;
// The links keep what OBS told them for good; starting afresh now and then keeps a long run's memory
// about the inputs of the last stretch only.
constexpr int RoundsPerLink = 20000;

// A WebSocket server that reads and forgets what the links send; the 5.x one says Hello and confirms the
// Identify as OBS 28 and later do.
class QuietObs : public QObject
{
public:
    explicit QuietObs(bool speaks5) : m_speaks5(speaks5)
    {
        m_server = new QWebSocketServer(QStringLiteral("fuzz"), QWebSocketServer::NonSecureMode, this);
        if (!m_server->listen(ObsAddress, 0))
            FuzzSupport::fail(QStringLiteral("cannot listen: ") + m_server->errorString());
        connect(m_server, &QWebSocketServer::newConnection, this, [this] {
            while (QWebSocket *client = m_server->nextPendingConnection()) {
                client->setParent(this);
                connect(client, &QWebSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QWebSocket::textMessageReceived, this,
                        [this, client](const QString &text) { onMessage(client, text); });
                if (m_speaks5) {
                    client->sendTextMessage(
                        QStringLiteral(R"({"op":0,"d":{"obsWebSocketVersion":"5.1.0","rpcVersion":1}})"));
                }
            }
        });
    }

    quint16 port() const { return m_server->serverPort(); }
    int identifiedCount() const { return m_identified; }

private:
    void onMessage(QWebSocket *client, const QString &text)
    {
        if (!m_speaks5)
            return;
        const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
        if (message.value(QLatin1String("op")).toInt(-1) == 1) {
            client->sendTextMessage(QStringLiteral(R"({"op":2,"d":{"negotiatedRpcVersion":1}})"));
            ++m_identified;
        }
    }

    bool m_speaks5;
    QWebSocketServer *m_server = nullptr;
    int m_identified = 0;
};

QuietObs *s_obs4 = nullptr;
QuietObs *s_obs5 = nullptr;
std::unique_ptr<ObsWrapper> s_link4;
std::unique_ptr<ObsWrapper> s_link5;
int s_round = 0;
volatile quint64 s_sink = 0;

// The link's own socket, to see its messages arrive.
QWebSocket *socketOf(ObsWrapper &link)
{
    return link.findChild<QWebSocket *>();
}

void connect4()
{
    if (!s_link4) {
        s_link4 = std::make_unique<ObsWrapper>(ObsAddress.toString(), s_obs4->port(), QString());
        s_link4->setHelloTimeout(0);
    }
    s_link4->openConnection();
    if (!FuzzSupport::pumpUntil([] { return s_link4->protocolVersion() == 4; }, ConnectTimeoutMs))
        FuzzSupport::fail(QStringLiteral("the 4.x link did not come up"));
}

void connect5()
{
    if (!s_link5) {
        s_link5 = std::make_unique<ObsWrapper>(ObsAddress.toString(), s_obs5->port(), QStringLiteral("pw"));
        // A Hello is always sent; the 4.x fallback must not win the race.
        s_link5->setHelloTimeout(60000);
    }
    const int before = s_obs5->identifiedCount();
    int received = 0;
    QWebSocket *socket = socketOf(*s_link5);
    const QMetaObject::Connection counter
        = QObject::connect(socket, &QWebSocket::textMessageReceived, [&received] { ++received; });
    s_link5->openConnection();
    // Hello, then Identified: two messages once the server has confirmed.
    const bool up = FuzzSupport::pumpUntil(
        [&] {
            return s_obs5->identifiedCount() > before && received >= 2 && s_link5->protocolVersion() == 5;
        },
        ConnectTimeoutMs);
    QObject::disconnect(counter);
    if (!up)
        FuzzSupport::fail(QStringLiteral("the 5.x link did not come up"));
}

void exercise(ObsWrapper &link, const QList<QString> &messages)
{
    for (const QString &message : messages)
        link.messageReceived(message);
    link.onOBSTimer();
    const QJsonArray sources = link.sourcesJson();
    const QStringList transitions = link.transitions();
    s_sink = s_sink + quint64(sources.size()) + quint64(transitions.size())
             + quint64(link.currentTransition().size()) + quint64(link.isStreaming())
             + quint64(link.isRecording());
    if (!sources.isEmpty()) {
        const QString name = sources.first().toObject().value(QLatin1String("name")).toString();
        link.setVolume(-6.5, name);
        link.toggleMute(name);
    }
    if (!transitions.isEmpty())
        link.setCurrentTransition(transitions.last());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::prepareEnvironment("obs");
    static QCoreApplication app(*argc, *argv);
    s_obs4 = new QuietObs(false);
    s_obs5 = new QuietObs(true);
    connect4();
    connect5();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (++s_round % RoundsPerLink == 0) {
        s_link4.reset();
        s_link5.reset();
        connect4();
        connect5();
    }
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QString> messages;
    for (const QByteArray &part : FuzzSupport::split(input, '\x1e', MaxMessages))
        messages.append(QString::fromUtf8(part));

    exercise(*s_link4, messages);
    exercise(*s_link5, messages);
    // Sends what the links wrote and lets the servers read it.
    FuzzSupport::pump();

    // A Hello turns a 4.x link into a 5.x one for good; the next input needs the dialects back.
    if (s_link4->protocolVersion() != 4)
        connect4();
    if (s_link5->protocolVersion() != 5)
        connect5();
    return 0;
}
