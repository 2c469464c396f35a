#include "vmixwrapper.h"

#include "switcherslog.h"
#include "vmixstateparser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cmath>
#include <iterator>

namespace {
const QString StatePath = QStringLiteral("/api");
const QString CommandPath = QStringLiteral("/api/");

// The vMix functions behind applyTransition, indexed by the transition number.
struct TransitionFunction
{
    const char *function;
    bool onInput; // the transition takes "&input=0" (the input in preview)
};
constexpr TransitionFunction TransitionFunctions[] = {
    {"QuickPlay", true},   {"Cut", true},         {"Transition1", true},  {"Transition2", true},
    {"Transition3", true}, {"Transition4", true}, {"FadeToBlack", false},
};

const QString SetMasterVolumeFunction = QStringLiteral("SetMasterVolume");
const QString PreviewInputFunction = QStringLiteral("PreviewInput");
const QString SetVolumeFunction = QStringLiteral("SetVolume");
const QString StartPlayListFunction = QStringLiteral("StartPlayList");
const QString StopPlayListFunction = QStringLiteral("StopPlayList");
const QString AudioFunction = QStringLiteral("Audio");
const QString MasterAudioFunction = QStringLiteral("MasterAudio");
const QString StartStopRecordingFunction = QStringLiteral("StartStopRecording");
const QString StartStopStreamingFunction = QStringLiteral("StartStopStreaming");

const QString InputParameter = QStringLiteral("input");
const QString ValueParameter = QStringLiteral("value");
} // namespace

VMixWrapper::VMixWrapper(
    const QString &ip, int port, const QString &userId, const QString &password, QObject *parent)
    : QObject(parent)
    , m_statusManager(new QNetworkAccessManager(this))
    , m_commandManager(new QNetworkAccessManager(this))
    , m_ip(ip)
    , m_port(port)
    , m_userId(userId)
    , m_password(password)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(PollIntervalMs);
    connect(m_statusManager, &QNetworkAccessManager::finished, this, &VMixWrapper::finishGettingInputLists);
    connect(m_commandManager, &QNetworkAccessManager::finished, this, &VMixWrapper::vmixReplied);
    connect(m_timer, &QTimer::timeout, this, &VMixWrapper::onVMixTimer);
}

VMixWrapper::~VMixWrapper()
{
    m_timer->stop();
    // Replies still under way are children of the managers; they must not report back while we go.
    m_statusManager->disconnect(this);
    m_commandManager->disconnect(this);
}

void VMixWrapper::resetConnection(const QString &ip, int port, const QString &userId, const QString &password)
{
    m_ip = ip;
    m_port = port;
    m_userId = userId;
    m_password = password;
    // Credentials remembered for the old address or user must not be offered any more.
    m_statusManager->clearAccessCache();
    m_commandManager->clearAccessCache();
    if (m_stateReply)
        m_stateReply->abort();
}

void VMixWrapper::startPolling()
{
    m_timer->start(PollIntervalMs);
}

void VMixWrapper::stopPolling()
{
    m_timer->stop();
    // Nothing new is learnt while not polling: the switcher may cut at any time.
    updateTally(false, m_active, m_preview, true);
}

bool VMixWrapper::isPolling() const
{
    return m_timer->isActive();
}

QString VMixWrapper::ip() const
{
    return m_ip;
}

int VMixWrapper::port() const
{
    return m_port;
}

QString VMixWrapper::userId() const
{
    return m_userId;
}

void VMixWrapper::setRequestTimeout(int ms)
{
    m_requestTimeout = std::max(1, ms);
}

int VMixWrapper::requestTimeout() const
{
    return m_requestTimeout;
}

QList<VMixInput> VMixWrapper::inputs() const
{
    return m_inputs;
}

bool VMixWrapper::isStreaming() const
{
    return m_streaming;
}

bool VMixWrapper::isRecording() const
{
    return m_recording;
}

bool VMixWrapper::isPlayListOn() const
{
    return m_playListOn;
}

bool VMixWrapper::isMasterMuted() const
{
    return m_masterMuted;
}

double VMixWrapper::masterVolume() const
{
    return m_masterVolume;
}

QUrl VMixWrapper::baseUrl() const
{
    // The credentials travel in the user-info part; the setters escape what a password may contain.
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setUserName(m_userId);
    url.setPassword(m_password);
    url.setHost(m_ip);
    url.setPort(m_port);
    return url;
}

void VMixWrapper::sendRequest(QNetworkAccessManager *manager, const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(m_requestTimeout);
    QNetworkReply *reply = manager->get(request);
    const qint64 limit = manager == m_statusManager ? MaxStateBytes : MaxCommandReplyBytes;
    // The network stops reading a little past the bound (the margin is more than one read of the
    // network), so it holds however fast the peer sends; reaching it ends the request as failed.
    constexpr qint64 ReadMargin = 1024 * 1024;
    reply->setReadBufferSize(limit + ReadMargin);
    connect(reply, &QNetworkReply::readyRead, reply, [reply, limit] {
        if (reply->bytesAvailable() >= limit && reply->isRunning()) {
            qCDebug(lcSwitchers) << "vMix answer of" << limit << "bytes or more, given up";
            reply->abort();
        }
    });
    if (manager == m_statusManager)
        m_stateReply = reply;
}

void VMixWrapper::sendCommand(const QString &function, const QList<QPair<QString, QString>> &parameters)
{
    // Inserted texts are percent-encoded, so a key holding "&" or "#" can neither add parameters nor cut
    // the URL short.
    QString query;
    if (!function.isEmpty()) {
        query = QStringLiteral("function=") + function;
        for (const auto &[name, value] : parameters)
            query += QLatin1Char('&') + name + QLatin1Char('=')
                     + QString::fromLatin1(QUrl::toPercentEncoding(value));
    } else {
        query = QStringLiteral(""); // the bare command URL "/api/?"
    }
    QUrl url = baseUrl();
    url.setPath(CommandPath);
    url.setQuery(query, QUrl::StrictMode);
    qCDebug(lcSwitchers) << "vMix command" << url.toString(QUrl::RemoveUserInfo);
    sendRequest(m_commandManager, url);
}

void VMixWrapper::applyTransition(int transition)
{
    if (transition < 0 || transition >= int(std::size(TransitionFunctions))) {
        sendCommand(QString());
        return;
    }
    const TransitionFunction &entry = TransitionFunctions[transition];
    if (entry.onInput)
        sendCommand(QLatin1String(entry.function), {{InputParameter, QStringLiteral("0")}});
    else
        sendCommand(QLatin1String(entry.function));
}

void VMixWrapper::setMasterVolume(int volume)
{
    sendCommand(SetMasterVolumeFunction, {{ValueParameter, QString::number(volume)}});
}

void VMixWrapper::previewInput(const QString &key)
{
    sendCommand(PreviewInputFunction, {{InputParameter, key}});
}

void VMixWrapper::setVolume(double volume, const QString &key)
{
    if (!std::isfinite(volume)) {
        qCWarning(lcSwitchers) << "ignored a vMix volume that is not a number for" << key;
        return;
    }
    // printf "%g": shortest form with six significant digits.
    sendCommand(SetVolumeFunction,
                {{ValueParameter, QString::number(volume, 'g', 6)}, {InputParameter, key}});
}

void VMixWrapper::startPlayList()
{
    sendCommand(StartPlayListFunction);
}

void VMixWrapper::stopPlayList()
{
    sendCommand(StopPlayListFunction);
}

void VMixWrapper::toggleAudio(const QString &key)
{
    sendCommand(AudioFunction, {{InputParameter, key}});
}

void VMixWrapper::toggleMasterAudio()
{
    sendCommand(MasterAudioFunction);
}

void VMixWrapper::startStopRecording()
{
    sendCommand(StartStopRecordingFunction);
}

void VMixWrapper::startStopStreaming()
{
    sendCommand(StartStopStreamingFunction);
}

void VMixWrapper::onVMixTimer()
{
    // One state request at a time: an unreachable or hanging vMix must not pile requests up.
    if (m_stateReply)
        return;
    QUrl url = baseUrl();
    url.setPath(StatePath);
    sendRequest(m_statusManager, url);
}

void VMixWrapper::finishGettingInputLists(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply == m_stateReply)
        m_stateReply.clear();
    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcSwitchers) << "vMix state request failed:" << reply->errorString();
        updateTally(false, m_active, m_preview);
        Q_EMIT statePolled(false);
        return;
    }
    const QByteArray body = reply->readAll();
    m_inputs.clear();
    const std::optional<VMixState> state = VMixStateParser::parse(body);
    if (!state) {
        qCDebug(lcSwitchers) << "vMix state document is not XML";
        updateTally(false, m_active, m_preview);
        Q_EMIT statePolled(false);
        return;
    }
    m_inputs = state->inputs;
    m_streaming = state->streaming;
    m_recording = state->recording;
    m_playListOn = state->playListOn;
    if (state->hasMaster) {
        m_masterVolume = state->masterVolume;
        m_masterMuted = state->masterMuted;
    }
    updateTally(true, state->active, state->preview);
    Q_EMIT statePolled(true);
}

void VMixWrapper::vmixReplied(QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError)
        qCDebug(lcSwitchers) << "vMix command failed:" << reply->errorString();
    reply->deleteLater();
}

bool VMixWrapper::isTallyLinkUp() const
{
    return m_failedPolls < TallyFailedPolls;
}

VMixInput VMixWrapper::inputNumbered(int number) const
{
    if (!isTallyLinkUp() || number <= 0)
        return {};
    for (const VMixInput &input : m_inputs) {
        if (input.number == number)
            return input;
    }
    // A number the input list does not hold still names the input by number.
    VMixInput input;
    input.number = number;
    return input;
}

VMixInput VMixWrapper::activeInput() const
{
    return inputNumbered(m_active);
}

VMixInput VMixWrapper::previewInput() const
{
    return inputNumbered(m_preview);
}

void VMixWrapper::updateTally(bool polledOk, int active, int preview, bool down)
{
    const bool wasUp = isTallyLinkUp();
    const VMixInput oldActive = activeInput();
    const VMixInput oldPreview = previewInput();
    if (down)
        m_failedPolls = TallyFailedPolls;
    else if (polledOk)
        m_failedPolls = 0;
    else if (m_failedPolls < TallyFailedPolls)
        ++m_failedPolls;
    m_active = active;
    m_preview = preview;
    const VMixInput newActive = activeInput();
    const VMixInput newPreview = previewInput();
    if (wasUp != isTallyLinkUp())
        qCDebug(lcSwitchers) << "vMix link" << (isTallyLinkUp() ? "up" : "down") << "for tally";
    // Titles and keys count too: a source may name the input by either.
    auto same = [](const VMixInput &a, const VMixInput &b) {
        return a.number == b.number && a.key == b.key && a.title == b.title;
    };
    if (wasUp != isTallyLinkUp() || !same(oldActive, newActive) || !same(oldPreview, newPreview))
        Q_EMIT tallyChanged();
}
