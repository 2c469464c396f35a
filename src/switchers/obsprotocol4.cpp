#include "obsprotocol4.h"

#include "obsstate.h"
#include "switcherslog.h"

#include <QJsonArray>

#include <iterator>
#include <utility>

namespace {
// Indexed by ObsProtocol4::Request, i.e. by message-id.
constexpr const char *RequestTypes[] = {
    "GetAuthRequired",   "Authenticate",         "GetSourcesList",
    "GetVolume",         "GetStreamingStatus",   "ToggleMute",
    "SetVolume",         "StartStopStreaming",   "StartStopRecording",
    "GetTransitionList", "SetCurrentTransition", "GetCurrentScene",
    "GetPreviewScene",   "GetStudioModeStatus",  "GetSceneList",
};
static_assert(std::size(RequestTypes) == ObsProtocol4::GetSceneList + 1, "one type per message-id");

const QString RequestTypeKey = QStringLiteral("request-type");
const QString MessageIdKey = QStringLiteral("message-id");
const QString UpdateTypeKey = QStringLiteral("update-type");
} // namespace

ObsProtocol4::ObsProtocol4(ObsState &state, const QString &password, Sender sender)
    : ObsProtocol(state, password, std::move(sender))
{}

void ObsProtocol4::begin()
{
    sendRequest(GetAuthRequired);
}

void ObsProtocol4::sendRequest(Request request, QJsonObject fields) const
{
    fields.insert(RequestTypeKey, QLatin1String(RequestTypes[request]));
    fields.insert(MessageIdKey, QString::number(int(request)));
    send(fields);
}

void ObsProtocol4::poll()
{
    sendRequest(GetSourcesList);
    sendRequest(GetTransitionList);
    sendRequest(GetStreamingStatus);
}

void ObsProtocol4::handleMessage(const QJsonObject &message)
{
    if (message.contains(UpdateTypeKey)) {
        handleEvent(message);
        return;
    }
    const QJsonValue messageId = message.value(MessageIdKey);
    if (messageId.isString() && handleSceneReply(messageId.toString().toInt(), message))
        return;
    // OBS refused the request (wrong password, unknown source, ...): the cache stays as it was.
    if (message.value(QLatin1String("status")).toString() == QLatin1String("error")) {
        qCDebug(lcSwitchers) << "OBS error reply" << message.value(MessageIdKey).toString()
                             << message.value(QLatin1String("error")).toString();
        // "Authentication Failed.": the link tells the operator and tries again later.
        if (message.value(MessageIdKey).toString().toInt() == Authenticate && !m_loggedIn)
            m_passwordRefused = true;
        return;
    }
    // Messages without a message-id land in the id-0 branch, where they do nothing.
    const int id = message.value(MessageIdKey).toString().toInt();
    switch (id) {
    case GetAuthRequired:
        handleAuthRequired(message);
        break;
    case Authenticate:
        loggedIn();
        break;
    case GetSourcesList:
        handleSourcesList(message);
        break;
    case GetVolume:
        handleVolume(message);
        break;
    case GetStreamingStatus:
        handleStreamingStatus(message);
        break;
    case GetTransitionList:
        handleTransitionList(message);
        break;
    default:
        // Acknowledgements of commands and anything unknown: the next poll shows their effect.
        break;
    }
}

void ObsProtocol4::sendCommand(Request request, QJsonObject fields)
{
    if (m_loggedIn) {
        sendRequest(request, std::move(fields));
        return;
    }
    if (m_heldCommands.size() >= MaxHeldCommands) {
        qCWarning(lcSwitchers) << "OBS has not accepted the log-in yet, command dropped";
        return;
    }
    m_heldCommands.append({request, std::move(fields)});
}

void ObsProtocol4::loggedIn()
{
    if (m_loggedIn)
        return;
    m_loggedIn = true;
    const QList<QPair<Request, QJsonObject>> held = std::exchange(m_heldCommands, {});
    for (const auto &command : held)
        sendRequest(command.first, command.second);
    queryScenes();
}

void ObsProtocol4::handleAuthRequired(const QJsonObject &reply)
{
    if (!reply.value(QLatin1String("authRequired")).toBool()) {
        loggedIn();
        return;
    }
    const QString challenge = reply.value(QLatin1String("challenge")).toString();
    const QString salt = reply.value(QLatin1String("salt")).toString();
    sendRequest(Authenticate, {{QStringLiteral("auth"), authResponse(m_password, salt, challenge)}});
}

void ObsProtocol4::handleSourcesList(const QJsonObject &reply)
{
    m_state.sourceNames.clear();
    const QJsonArray sources = reply.value(QLatin1String("sources")).toArray();
    for (const QJsonValue &source : sources) {
        const QString name = source.toObject().value(QLatin1String("name")).toString();
        m_state.sourceNames.append(name);
        sendRequest(GetVolume, {{QStringLiteral("useDecibel"), true}, {QStringLiteral("source"), name}});
    }
}

void ObsProtocol4::handleVolume(const QJsonObject &reply)
{
    const QString name = reply.value(QLatin1String("name")).toString();
    m_state.setVolume(name, reply.value(QLatin1String("volume")).toDouble(0));
    m_state.setMuted(name, reply.value(QLatin1String("muted")).toBool(false));
}

void ObsProtocol4::handleStreamingStatus(const QJsonObject &reply)
{
    m_state.streaming = reply.value(QLatin1String("streaming")).toBool(false);
    m_state.recording = reply.value(QLatin1String("recording")).toBool(false);
}

void ObsProtocol4::handleTransitionList(const QJsonObject &reply)
{
    m_state.transitionNames.clear();
    const QJsonArray transitions = reply.value(QLatin1String("transitions")).toArray();
    for (const QJsonValue &transition : transitions)
        m_state.transitionNames.append(transition.toObject().value(QLatin1String("name")).toString());
    m_state.currentTransition = reply.value(QLatin1String("current-transition")).toString();
}

void ObsProtocol4::setVolume(double volumeDb, const QString &source)
{
    sendCommand(SetVolume, {{QStringLiteral("volume"), volumeDb},
                            {QStringLiteral("useDecibel"), true},
                            {QStringLiteral("source"), source}});
}

void ObsProtocol4::toggleMute(const QString &source)
{
    sendCommand(ToggleMute, {{QStringLiteral("source"), source}});
}

void ObsProtocol4::startStopStreaming()
{
    sendCommand(StartStopStreaming);
}

void ObsProtocol4::startStopRecording()
{
    sendCommand(StartStopRecording);
}

void ObsProtocol4::setCurrentTransition(const QString &name)
{
    sendCommand(SetCurrentTransition, {{QStringLiteral("transition-name"), name}});
}

void ObsProtocol4::queryScenes() const
{
    sendRequest(GetStudioModeStatus);
    sendRequest(GetCurrentScene);
    sendRequest(GetPreviewScene);
    sendRequest(GetSceneList);
}

void ObsProtocol4::readSceneNames(const QJsonArray &scenes)
{
    m_state.sceneNames.clear();
    for (const QJsonValue &scene : scenes)
        m_state.sceneNames.append(scene.toObject().value(QLatin1String("name")).toString());
}

// The scene replies; false for every other message.
bool ObsProtocol4::handleSceneReply(int id, const QJsonObject &reply)
{
    const bool ok = reply.value(QLatin1String("status")).toString() == QLatin1String("ok");
    switch (id) {
    case GetCurrentScene:
        if (ok)
            m_state.programScene = reply.value(QLatin1String("name")).toString();
        return true;
    case GetPreviewScene:
        // Refused while studio mode is off: then nothing is in preview.
        m_state.previewScene = ok ? reply.value(QLatin1String("name")).toString() : QString();
        return true;
    case GetSceneList:
        if (ok)
            readSceneNames(reply.value(QLatin1String("scenes")).toArray());
        return true;
    case GetStudioModeStatus:
        if (ok) {
            m_state.studioMode = reply.value(QLatin1String("studio-mode")).toBool();
            if (!m_state.studioMode)
                m_state.previewScene.clear();
        }
        return true;
    default:
        return false;
    }
}

void ObsProtocol4::handleEvent(const QJsonObject &event)
{
    const QString type = event.value(UpdateTypeKey).toString();
    if (type == QLatin1String("SwitchScenes")) {
        m_state.programScene = event.value(QLatin1String("scene-name")).toString();
    } else if (type == QLatin1String("PreviewSceneChanged")) {
        if (m_state.studioMode)
            m_state.previewScene = event.value(QLatin1String("scene-name")).toString();
    } else if (type == QLatin1String("ScenesChanged")) {
        readSceneNames(event.value(QLatin1String("scenes")).toArray());
    } else if (type == QLatin1String("StudioModeSwitched")) {
        m_state.studioMode = event.value(QLatin1String("new-state")).toBool();
        m_state.previewScene.clear();
        if (m_state.studioMode)
            sendRequest(GetPreviewScene);
    }
}
