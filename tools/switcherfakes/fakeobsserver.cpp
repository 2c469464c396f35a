#include "fakeobsserver.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRandomGenerator>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {
QString randomBase64()
{
    QByteArray bytes(32, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(bytes.toBase64());
}
} // namespace

FakeObsServer::FakeObsServer(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_server(new QWebSocketServer(serverName, QWebSocketServer::NonSecureMode, this))
    , m_state(FakeObsState::typical())
    , m_salt(randomBase64())
    , m_challenge(randomBase64())
{
    connect(m_server, &QWebSocketServer::newConnection, this, &FakeObsServer::onNewConnection);
}

FakeObsServer::~FakeObsServer()
{
    for (QWebSocket *client : std::as_const(m_clients))
        client->disconnect(this);
}

bool FakeObsServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listen(address, port);
}

void FakeObsServer::close()
{
    m_server->close();
    const QList<QWebSocket *> clients = m_clients;
    for (QWebSocket *client : clients)
        client->abort();
}

bool FakeObsServer::isListening() const
{
    return m_server->isListening();
}

QHostAddress FakeObsServer::address() const
{
    return m_server->serverAddress();
}

quint16 FakeObsServer::port() const
{
    return m_server->serverPort();
}

QUrl FakeObsServer::url() const
{
    return m_server->serverUrl();
}

void FakeObsServer::setPassword(const QString &password)
{
    m_password = password;
}

QString FakeObsServer::password() const
{
    return m_password;
}

void FakeObsServer::setSalt(const QString &salt)
{
    m_salt = salt;
}

QString FakeObsServer::salt() const
{
    return m_salt;
}

void FakeObsServer::setChallenge(const QString &challenge)
{
    m_challenge = challenge;
}

QString FakeObsServer::challenge() const
{
    return m_challenge;
}

FakeObsState &FakeObsServer::state()
{
    return m_state;
}

void FakeObsServer::setState(const FakeObsState &state)
{
    m_state = state;
}

QList<QJsonObject> FakeObsServer::received() const
{
    return m_received;
}

QList<QJsonObject> FakeObsServer::requestsOfType(const QString &type) const
{
    QList<QJsonObject> result;
    for (const QJsonObject &message : m_received) {
        if (requestTypeOf(message) == type)
            result.append(message);
    }
    return result;
}

void FakeObsServer::clearReceived()
{
    m_received.clear();
}

int FakeObsServer::connectionCount() const
{
    return m_connectionCount;
}

int FakeObsServer::clientCount() const
{
    return int(m_clients.size());
}

QList<int> FakeObsServer::closeCodesSent() const
{
    return m_closeCodesSent;
}

void FakeObsServer::sendToClients(const QString &text)
{
    for (QWebSocket *client : std::as_const(m_clients))
        client->sendTextMessage(text);
}

void FakeObsServer::disconnectClients()
{
    const QList<QWebSocket *> clients = m_clients;
    for (QWebSocket *client : clients)
        closeClient(client, QWebSocketProtocol::CloseCodeNormal, QString());
}

void FakeObsServer::pingClients()
{
    for (QWebSocket *client : std::as_const(m_clients))
        client->ping();
}

QString FakeObsServer::authResponse(const QString &password, const QString &salt, const QString &challenge)
{
    QCryptographicHash secretHash(QCryptographicHash::Sha256);
    secretHash.addData(password.toUtf8());
    secretHash.addData(salt.toUtf8());
    const QByteArray secret = secretHash.result().toBase64();
    QCryptographicHash responseHash(QCryptographicHash::Sha256);
    responseHash.addData(secret);
    responseHash.addData(challenge.toUtf8());
    return QString::fromLatin1(responseHash.result().toBase64());
}

void FakeObsServer::onClientGone(QWebSocket *) {}

void FakeObsServer::sendJson(QWebSocket *client, const QJsonObject &message)
{
    client->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void FakeObsServer::closeClient(QWebSocket *client, int closeCode, const QString &reason)
{
    m_closeCodesSent.append(closeCode);
    // obs-websocket's own close codes (4000-4999) are not part of Qt's enumeration.
    client->close(static_cast<QWebSocketProtocol::CloseCode>(closeCode), reason);
}

QList<QWebSocket *> FakeObsServer::clients() const
{
    return m_clients;
}

void FakeObsServer::onNewConnection()
{
    while (QWebSocket *client = m_server->nextPendingConnection()) {
        client->setParent(this);
        m_clients.append(client);
        ++m_connectionCount;
        connect(client, &QWebSocket::textMessageReceived, this, [this, client](const QString &text) {
            QJsonParseError parseError;
            const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parseError);
            const bool wellFormed = parseError.error == QJsonParseError::NoError && document.isObject();
            const QJsonObject message = document.object();
            m_received.append(message);
            Q_EMIT messageReceived(message);
            onClientMessage(client, message, wellFormed);
        });
        connect(client, &QWebSocket::pong, this, [this] { Q_EMIT pongReceived(); });
        connect(client, &QWebSocket::disconnected, this, [this, client] {
            m_clients.removeAll(client);
            onClientGone(client);
            client->deleteLater();
            Q_EMIT clientDisconnected();
        });
        onClientConnected(client);
        Q_EMIT clientConnected();
    }
}
