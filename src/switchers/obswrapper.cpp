#include "obswrapper.h"

#include "obsprotocol4.h"
#include "obsprotocol5.h"
#include "switcherslog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <cmath>

namespace {
constexpr int AuthenticationFailedCloseCode = 4009;
} // namespace

ObsWrapper::ObsWrapper(const QString &ip, int port, const QString &password, QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_ip(ip)
    , m_port(port)
    , m_password(password)
    , m_socket(new QWebSocket(QString(), QWebSocketProtocol::Version13, this))
    , m_helloTimer(new QTimer(this))
{
    m_timer->setInterval(PollIntervalMs);
    m_helloTimer->setSingleShot(true);
    m_helloTimer->setInterval(DefaultHelloTimeoutMs);
    m_socket->setMaxAllowedIncomingMessageSize(quint64(MaxIncomingMessageBytes));
    m_socket->setMaxAllowedIncomingFrameSize(quint64(MaxIncomingMessageBytes));

    connect(m_socket, &QWebSocket::connected, this, &ObsWrapper::connectedToOBS);
    connect(m_socket, &QWebSocket::disconnected, this, &ObsWrapper::disconnectedFromOBS);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &ObsWrapper::messageReceived);
    connect(m_socket, &QWebSocket::stateChanged, this, &ObsWrapper::serverStateChanged);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    connect(m_socket, &QWebSocket::errorOccurred, this, &ObsWrapper::error);
#else
    connect(m_socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this, &ObsWrapper::error);
#endif
    connect(m_timer, &QTimer::timeout, this, &ObsWrapper::onOBSTimer);
    connect(m_helloTimer, &QTimer::timeout, this, &ObsWrapper::onHelloTimeout);
}

ObsWrapper::~ObsWrapper()
{
    m_timer->stop();
    m_helloTimer->stop();
    // The socket says goodbye to OBS while it is destroyed; nothing of ours may hear it any more.
    m_socket->disconnect(this);
    m_protocol.reset();
}

void ObsWrapper::openConnection()
{
    // Reopening drops the old connection without a disconnected signal; start the new one from scratch.
    resetProtocol();
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(m_ip);
    url.setPort(m_port);
    qCDebug(lcSwitchers) << "connecting to OBS at" << url.toString();
    m_socket->open(url);
}

void ObsWrapper::closeConnection()
{
    resetProtocol();
    m_socket->close(QWebSocketProtocol::CloseCodeNormal, QString());
}

void ObsWrapper::startPolling()
{
    m_timer->start(PollIntervalMs);
}

void ObsWrapper::stopPolling()
{
    m_timer->stop();
}

bool ObsWrapper::isPolling() const
{
    return m_timer->isActive();
}

void ObsWrapper::setIp(const QString &ip)
{
    m_ip = ip;
}

void ObsWrapper::setPort(int port)
{
    m_port = port;
}

void ObsWrapper::setPassword(const QString &password)
{
    m_password = password;
}

QString ObsWrapper::ip() const
{
    return m_ip;
}

int ObsWrapper::port() const
{
    return m_port;
}

void ObsWrapper::setHelloTimeout(int ms)
{
    m_helloTimer->setInterval(std::max(0, ms));
}

int ObsWrapper::helloTimeout() const
{
    return m_helloTimer->interval();
}

int ObsWrapper::protocolVersion() const
{
    return m_protocol ? m_protocol->version() : 0;
}

bool ObsWrapper::isStreaming() const
{
    return m_state.streaming;
}

bool ObsWrapper::isRecording() const
{
    return m_state.recording;
}

QString ObsWrapper::currentTransition() const
{
    return m_state.currentTransition;
}

QStringList ObsWrapper::transitions() const
{
    return m_state.transitionNames;
}

QJsonArray ObsWrapper::sourcesJson() const
{
    QJsonArray sources;
    for (const QString &name : m_state.sourceNames) {
        sources.append(QJsonObject{{QStringLiteral("name"), name},
                                   {QStringLiteral("volume"), m_state.volumes.value(name, 0.0)},
                                   {QStringLiteral("muted"), m_state.mutedStates.value(name, false)}});
    }
    return sources;
}

void ObsWrapper::setVolume(double volume, const QString &source)
{
    if (!std::isfinite(volume)) {
        qCWarning(lcSwitchers) << "ignored a volume that is not a number for" << source;
        return;
    }
    if (m_protocol)
        m_protocol->setVolume(volume, source);
    else
        qCDebug(lcSwitchers) << "OBS not connected, volume change lost";
}

void ObsWrapper::toggleMute(const QString &source)
{
    if (m_protocol)
        m_protocol->toggleMute(source);
    else
        qCDebug(lcSwitchers) << "OBS not connected, mute toggle lost";
}

void ObsWrapper::startStopStreaming()
{
    if (m_protocol)
        m_protocol->startStopStreaming();
    else
        qCDebug(lcSwitchers) << "OBS not connected, streaming toggle lost";
}

void ObsWrapper::startStopRecording()
{
    if (m_protocol)
        m_protocol->startStopRecording();
    else
        qCDebug(lcSwitchers) << "OBS not connected, recording toggle lost";
}

void ObsWrapper::setCurrentTransition(const QString &name)
{
    if (m_protocol)
        m_protocol->setCurrentTransition(name);
    else
        qCDebug(lcSwitchers) << "OBS not connected, transition change lost";
}

void ObsWrapper::disconnectedFromOBS()
{
    resetProtocol();
    qCDebug(lcSwitchers) << "Disconnected From OBS";
    // 4009 (authentication failed) is obs-websocket's own code, outside Qt's enumeration: compared as a
    // number, which a compiler may not assume the enumeration never holds.
    if (int(m_socket->closeCode()) == AuthenticationFailedCloseCode)
        qCWarning(lcSwitchers) << "OBS refused the password";
    else if (m_socket->closeCode() != QWebSocketProtocol::CloseCodeNormal)
        qCDebug(lcSwitchers) << "close code" << int(m_socket->closeCode()) << m_socket->closeReason();
}

void ObsWrapper::connectedToOBS()
{
    qCDebug(lcSwitchers) << "Connected to OBS";
}

void ObsWrapper::messageReceived(const QString &msg)
{
    const QJsonObject message = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (ObsProtocol5::isHello(message)) {
        // A server that says Hello never gets a 4.x request, even when its Hello came late.
        if (m_protocol && m_protocol->version() == 5)
            return;
        if (m_protocol)
            qCWarning(lcSwitchers) << "OBS said Hello after the 4.x log-in had started";
        m_helloTimer->stop();
        auto protocol = std::make_unique<ObsProtocol5>(m_state, m_password,
                                                       [this](const QJsonObject &m) { sendMessage(m); });
        protocol->identify(message.value(QLatin1String("d")).toObject());
        m_protocol = std::move(protocol);
        return;
    }
    if (m_protocol)
        m_protocol->handleMessage(message);
}

void ObsWrapper::error(QAbstractSocket::SocketError err)
{
    qCDebug(lcSwitchers) << "Error Number" << err << m_socket->errorString();
}

void ObsWrapper::serverStateChanged(QAbstractSocket::SocketState state)
{
    // Opening and disconnecting already dropped the last connection's dialect; a Hello that was handled
    // before this signal must not be forgotten.
    if (state == QAbstractSocket::ConnectedState && !m_protocol)
        m_helloTimer->start();
}

void ObsWrapper::onOBSTimer()
{
    if (m_protocol)
        m_protocol->poll();
}

void ObsWrapper::onHelloTimeout()
{
    if (m_protocol || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    auto protocol = std::make_unique<ObsProtocol4>(m_state, m_password,
                                                   [this](const QJsonObject &m) { sendMessage(m); });
    protocol->begin();
    m_protocol = std::move(protocol);
}

void ObsWrapper::resetProtocol()
{
    m_helloTimer->stop();
    m_protocol.reset();
}

void ObsWrapper::sendMessage(const QJsonObject &message)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}
