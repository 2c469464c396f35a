#include "obswrapper.h"

#include "obsprotocol4.h"
#include "obsprotocol5.h"
#include "switcherslog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

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
    , m_reconnectTimer(new QTimer(this))
{
    m_reconnectTimer->setSingleShot(true);
    connect(m_reconnectTimer, &QTimer::timeout, this, &ObsWrapper::reconnect);
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
    m_reconnectTimer->stop();
    m_wanted = false;
    // The socket says goodbye to OBS while it is destroyed; nothing of ours may hear it any more.
    m_socket->disconnect(this);
    m_protocol.reset();
}

void ObsWrapper::openConnection()
{
    m_wanted = true;
    m_retryAttempt = 0;
    m_passwordRefused = false;
    m_passwordWarned = false;
    qCDebug(lcSwitchers) << "connecting to OBS at" << m_ip << m_port;
    open();
}

void ObsWrapper::open()
{
    // Reopening drops the old connection without a disconnected signal; start the new one from scratch.
    resetProtocol();
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(m_ip);
    url.setPort(m_port);
    m_socket->open(url);
    // Dropping the old connection asked for a retry that this opening makes moot.
    m_reconnectTimer->stop();
}

void ObsWrapper::closeConnection()
{
    m_wanted = false;
    m_reconnectTimer->stop();
    resetProtocol();
    dropHeldCommands();
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
    command(QStringLiteral("volume:") + source, "volume change",
            [volume, source](ObsProtocol &protocol) { protocol.setVolume(volume, source); });
}

void ObsWrapper::toggleMute(const QString &source)
{
    command(QStringLiteral("mute:") + source, "mute toggle",
            [source](ObsProtocol &protocol) { protocol.toggleMute(source); });
}

void ObsWrapper::startStopStreaming()
{
    command(QStringLiteral("streaming"), "streaming toggle",
            [](ObsProtocol &protocol) { protocol.startStopStreaming(); });
}

void ObsWrapper::startStopRecording()
{
    command(QStringLiteral("recording"), "recording toggle",
            [](ObsProtocol &protocol) { protocol.startStopRecording(); });
}

void ObsWrapper::setCurrentTransition(const QString &name)
{
    command(QStringLiteral("transition"), "transition change",
            [name](ObsProtocol &protocol) { protocol.setCurrentTransition(name); });
}

void ObsWrapper::command(const QString &kind, const char *what, std::function<void(ObsProtocol &)> apply)
{
    if (m_protocol) {
        apply(*m_protocol);
        return;
    }
    const QAbstractSocket::SocketState state = m_socket->state();
    if (state != QAbstractSocket::ConnectingState && state != QAbstractSocket::ConnectedState
        && state != QAbstractSocket::HostLookupState) {
        qCDebug(lcSwitchers) << "OBS not connected," << what << "lost";
        return;
    }
    // The link is opening: the newest command of a kind replaces an older one of it.
    for (qsizetype i = 0; i < m_heldCommands.size(); ++i) {
        if (m_heldCommands.at(i).kind == kind) {
            m_heldCommands.removeAt(i);
            break;
        }
    }
    if (m_heldCommands.size() >= MaxHeldCommands) {
        qCDebug(lcSwitchers) << "OBS link still opening, too many commands waiting," << what << "lost";
        return;
    }
    m_heldCommands.append({kind, std::move(apply)});
}

void ObsWrapper::dropHeldCommands()
{
    if (m_heldCommands.isEmpty())
        return;
    qCDebug(lcSwitchers) << "OBS not connected," << m_heldCommands.size() << "waiting commands lost";
    m_heldCommands.clear();
}

void ObsWrapper::startProtocol(std::unique_ptr<ObsProtocol> protocol)
{
    m_protocol = std::move(protocol);
    const QList<HeldCommand> held = std::exchange(m_heldCommands, {});
    for (const HeldCommand &command : held)
        command.apply(*m_protocol);
}

void ObsWrapper::checkLogIn()
{
    if (!m_protocol)
        return;
    if (m_protocol->isLoggedIn()) {
        m_retryAttempt = 0;
        m_passwordRefused = false;
        m_passwordWarned = false;
        return;
    }
    if (m_protocol->passwordRefused()) {
        // 4.x keeps the connection open and refuses every request: close it and try again later.
        if (!m_passwordWarned)
            qCWarning(lcSwitchers) << "OBS refused the password";
        m_passwordWarned = true;
        m_passwordRefused = true;
        resetProtocol();
        m_socket->close(QWebSocketProtocol::CloseCodeNormal, QString());
    }
}

void ObsWrapper::scheduleReconnect()
{
    if (!m_wanted || !isPolling() || m_socket->state() != QAbstractSocket::UnconnectedState)
        return;
    if (m_passwordRefused) {
        // Later news of the refusal replaces a back-off retry planned before it.
        m_reconnectTimer->start(PasswordRetryMs);
        return;
    }
    if (m_reconnectTimer->isActive())
        return;
    const int last = int(std::size(RetryDelaysMs)) - 1;
    m_reconnectTimer->start(RetryDelaysMs[std::min(m_retryAttempt, last)]);
}

void ObsWrapper::reconnect()
{
    if (!m_wanted || !isPolling() || m_socket->state() != QAbstractSocket::UnconnectedState)
        return;
    ++m_retryAttempt;
    qCDebug(lcSwitchers) << "reconnecting to OBS at" << m_ip << m_port << "attempt" << m_retryAttempt;
    open();
}

void ObsWrapper::disconnectedFromOBS()
{
    resetProtocol();
    dropHeldCommands();
    qCDebug(lcSwitchers) << "Disconnected From OBS";
    // 4009 (authentication failed) is obs-websocket's own code, outside Qt's enumeration: compared as a
    // number, which a compiler may not assume the enumeration never holds.
    if (int(m_socket->closeCode()) == AuthenticationFailedCloseCode) {
        if (!m_passwordWarned)
            qCWarning(lcSwitchers) << "OBS refused the password";
        m_passwordWarned = true;
        m_passwordRefused = true;
    } else if (m_socket->closeCode() != QWebSocketProtocol::CloseCodeNormal) {
        qCDebug(lcSwitchers) << "close code" << int(m_socket->closeCode()) << m_socket->closeReason();
    }
    scheduleReconnect();
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
        startProtocol(std::move(protocol));
        reportSceneChanges();
        return;
    }
    if (m_protocol) {
        m_protocol->handleMessage(message);
        checkLogIn();
    }
    reportSceneChanges();
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
    // A connection that failed to open ends here without a disconnected signal.
    if (state == QAbstractSocket::UnconnectedState) {
        dropHeldCommands();
        scheduleReconnect();
    }
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
    startProtocol(std::move(protocol));
    reportSceneChanges();
}

void ObsWrapper::resetProtocol()
{
    m_helloTimer->stop();
    m_protocol.reset();
    // What a closed connection said about the scenes is no longer true.
    m_state.programScene.clear();
    m_state.previewScene.clear();
    m_state.studioMode = false;
    m_state.sceneNames.clear();
    reportSceneChanges();
}

void ObsWrapper::sendMessage(const QJsonObject &message)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

bool ObsWrapper::isLinkUp() const
{
    return m_protocol != nullptr;
}

QString ObsWrapper::programScene() const
{
    return m_state.programScene;
}

QString ObsWrapper::previewScene() const
{
    return m_state.studioMode ? m_state.previewScene : QString();
}

bool ObsWrapper::isStudioMode() const
{
    return m_state.studioMode;
}

QStringList ObsWrapper::scenes() const
{
    return m_state.sceneNames;
}

void ObsWrapper::reportSceneChanges()
{
    const bool up = isLinkUp();
    const QString program = programScene();
    const QString preview = previewScene();
    if (up != m_reportedUp) {
        m_reportedUp = up;
        qCDebug(lcSwitchers) << "OBS link" << (up ? "up" : "down") << "for tally";
        Q_EMIT linkUpChanged(up);
    }
    if (program != m_reportedProgram) {
        m_reportedProgram = program;
        Q_EMIT programSceneChanged(program);
    }
    if (preview != m_reportedPreview) {
        m_reportedPreview = preview;
        Q_EMIT previewSceneChanged(preview);
    }
}
