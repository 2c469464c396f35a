#include "obsprotocol5.h"

#include "obsstate.h"
#include "switcherslog.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
namespace Req {
const QString GetInputList = QStringLiteral("GetInputList");
const QString GetInputVolume = QStringLiteral("GetInputVolume");
const QString GetInputMute = QStringLiteral("GetInputMute");
const QString GetSceneTransitionList = QStringLiteral("GetSceneTransitionList");
const QString GetStreamStatus = QStringLiteral("GetStreamStatus");
const QString GetRecordStatus = QStringLiteral("GetRecordStatus");
const QString SetInputVolume = QStringLiteral("SetInputVolume");
const QString ToggleInputMute = QStringLiteral("ToggleInputMute");
const QString ToggleStream = QStringLiteral("ToggleStream");
const QString ToggleRecord = QStringLiteral("ToggleRecord");
const QString SetCurrentSceneTransition = QStringLiteral("SetCurrentSceneTransition");
const QString GetStudioModeEnabled = QStringLiteral("GetStudioModeEnabled");
const QString GetCurrentProgramScene = QStringLiteral("GetCurrentProgramScene");
const QString GetCurrentPreviewScene = QStringLiteral("GetCurrentPreviewScene");
const QString GetSceneList = QStringLiteral("GetSceneList");
} // namespace Req

namespace Ev {
const QString InputMuteStateChanged = QStringLiteral("InputMuteStateChanged");
const QString InputVolumeChanged = QStringLiteral("InputVolumeChanged");
const QString CurrentSceneTransitionChanged = QStringLiteral("CurrentSceneTransitionChanged");
const QString StreamStateChanged = QStringLiteral("StreamStateChanged");
const QString RecordStateChanged = QStringLiteral("RecordStateChanged");
const QString CurrentProgramSceneChanged = QStringLiteral("CurrentProgramSceneChanged");
const QString CurrentPreviewSceneChanged = QStringLiteral("CurrentPreviewSceneChanged");
const QString StudioModeStateChanged = QStringLiteral("StudioModeStateChanged");
const QString SceneListChanged = QStringLiteral("SceneListChanged");
} // namespace Ev

// Replies to GetInputVolume do not name the input, so requests about one input carry its name in the
// requestId, which OBS mirrors.
const QString InputIdPrefix = QStringLiteral("input:");

QString inputOfRequestId(const QString &requestId)
{
    return requestId.startsWith(InputIdPrefix) ? requestId.mid(InputIdPrefix.size()) : QString();
}

// OBS reports a silent input (mul 0) with a dB value of minus infinity, which JSON carries as null.
double volumeDbOf(const QJsonObject &data)
{
    const QJsonValue db = data.value(QLatin1String("inputVolumeDb"));
    if (db.isDouble())
        return db.toDouble();
    const QJsonValue mul = data.value(QLatin1String("inputVolumeMul"));
    if (mul.isDouble()) {
        const double value = mul.toDouble();
        return value > 0 ? std::max(ObsProtocol5::MinVolumeDb, 20.0 * std::log10(value))
                         : ObsProtocol5::MinVolumeDb;
    }
    return 0;
}
} // namespace

ObsProtocol5::ObsProtocol5(ObsState &state, const QString &password, Sender sender)
    : ObsProtocol(state, password, std::move(sender))
{}

bool ObsProtocol5::isHello(const QJsonObject &message)
{
    const QJsonValue op = message.value(QLatin1String("op"));
    const QJsonValue data = message.value(QLatin1String("d"));
    return op.isDouble() && op.toInt(-1) == Hello && data.isObject()
           && data.toObject().contains(QLatin1String("rpcVersion"));
}

void ObsProtocol5::identify(const QJsonObject &helloData)
{
    QJsonObject data{{QStringLiteral("rpcVersion"), RpcVersion},
                     {QStringLiteral("eventSubscriptions"), SubscribeScenes | SubscribeInputs
                                                                | SubscribeTransitions | SubscribeOutputs
                                                                | SubscribeUi}};
    const QJsonValue auth = helloData.value(QLatin1String("authentication"));
    if (auth.isObject()) {
        const QJsonObject challenge = auth.toObject();
        data.insert(QStringLiteral("authentication"),
                    authResponse(m_password, challenge.value(QLatin1String("salt")).toString(),
                                 challenge.value(QLatin1String("challenge")).toString()));
    }
    qCDebug(lcSwitchers) << "OBS speaks obs-websocket"
                         << helloData.value(QLatin1String("obsWebSocketVersion")).toString() << "rpc"
                         << helloData.value(QLatin1String("rpcVersion")).toInt();
    send({{QStringLiteral("op"), Identify}, {QStringLiteral("d"), data}});
}

void ObsProtocol5::handleMessage(const QJsonObject &message)
{
    const QJsonObject data = message.value(QLatin1String("d")).toObject();
    switch (message.value(QLatin1String("op")).toInt(-1)) {
    case Identified: {
        m_identified = true;
        qCDebug(lcSwitchers) << "Identified by OBS, rpc"
                             << data.value(QLatin1String("negotiatedRpcVersion")).toInt();
        const QList<QJsonObject> held = std::exchange(m_heldCommands, {});
        for (const QJsonObject &command : held)
            send(command);
        queryScenes();
        break;
    }
    case Event:
        handleEvent(data);
        break;
    case RequestResponse:
        handleResponse(data);
        break;
    default:
        break;
    }
}

QJsonObject ObsProtocol5::request(const QString &type, const QString &requestId, const QJsonObject &data)
{
    QJsonObject request{{QStringLiteral("requestType"), type}, {QStringLiteral("requestId"), requestId}};
    if (!data.isEmpty())
        request.insert(QStringLiteral("requestData"), data);
    return {{QStringLiteral("op"), Request}, {QStringLiteral("d"), request}};
}

QJsonObject ObsProtocol5::inputRequest(const QString &type, const QString &inputName, QJsonObject data)
{
    data.insert(QStringLiteral("inputName"), inputName);
    return request(type, InputIdPrefix + inputName, data);
}

void ObsProtocol5::sendQuery(const QJsonObject &message) const
{
    // Before Identified, OBS closes the connection on any request; the next poll asks again.
    if (m_identified)
        send(message);
}

void ObsProtocol5::sendCommand(const QJsonObject &message)
{
    if (m_identified) {
        send(message);
        return;
    }
    // The operator pressed the button while OBS was still confirming the session (a few milliseconds
    // normally): it goes out once OBS has. An OBS that never confirms closes the link, and these with it.
    if (m_heldCommands.size() >= MaxHeldCommands) {
        qCWarning(lcSwitchers) << "OBS has not confirmed the session yet, command dropped";
        return;
    }
    m_heldCommands.append(message);
}

void ObsProtocol5::poll()
{
    sendQuery(request(Req::GetInputList, Req::GetInputList));
    sendQuery(request(Req::GetSceneTransitionList, Req::GetSceneTransitionList));
    sendQuery(request(Req::GetStreamStatus, Req::GetStreamStatus));
    sendQuery(request(Req::GetRecordStatus, Req::GetRecordStatus));
}

void ObsProtocol5::handleResponse(const QJsonObject &data)
{
    const QString type = data.value(QLatin1String("requestType")).toString();
    const QString input = inputOfRequestId(data.value(QLatin1String("requestId")).toString());
    const QJsonObject status = data.value(QLatin1String("requestStatus")).toObject();
    const QJsonObject response = data.value(QLatin1String("responseData")).toObject();
    if (handleSceneResponse(type, status.value(QLatin1String("result")).toBool(), response))
        return;

    if (!status.value(QLatin1String("result")).toBool()) {
        const int code = status.value(QLatin1String("code")).toInt();
        if (type == Req::GetInputVolume && !input.isEmpty()) {
            // An input without audio refuses volume requests: it is no source for the audio mixer. Any
            // other refusal (the input just went away) only keeps it out of this poll's list.
            setAudioCapable(input, false);
            // Only listed inputs are remembered: the next list forgets the others anyway, and a name
            // that only came back in a request id must not stay for the life of the link.
            if (code == InvalidResourceState && m_inputNames.contains(input))
                m_inputsWithoutAudio.insert(input);
        } else if (type != Req::GetInputMute || code != InvalidResourceState) {
            qCDebug(lcSwitchers) << "OBS refused" << type << code
                                 << status.value(QLatin1String("comment")).toString();
        }
        return;
    }

    if (type == Req::GetInputList) {
        handleInputList(response);
    } else if (type == Req::GetInputVolume && !input.isEmpty()) {
        m_state.setVolume(input, volumeDbOf(response));
        setAudioCapable(input, true);
    } else if ((type == Req::GetInputMute || type == Req::ToggleInputMute) && !input.isEmpty()) {
        m_state.setMuted(input, response.value(QLatin1String("inputMuted")).toBool(false));
    } else if (type == Req::GetSceneTransitionList) {
        m_state.transitionNames.clear();
        const QJsonArray transitions = response.value(QLatin1String("transitions")).toArray();
        for (const QJsonValue &transition : transitions)
            m_state.transitionNames.append(
                transition.toObject().value(QLatin1String("transitionName")).toString());
        // Null while OBS has no current transition.
        m_state.currentTransition = response.value(QLatin1String("currentSceneTransitionName")).toString();
    } else if (type == Req::GetStreamStatus || type == Req::ToggleStream) {
        m_state.streaming = response.value(QLatin1String("outputActive")).toBool(false);
    } else if (type == Req::GetRecordStatus) {
        m_state.recording = response.value(QLatin1String("outputActive")).toBool(false);
    }
}

void ObsProtocol5::handleInputList(const QJsonObject &response)
{
    m_inputNames.clear();
    const QJsonArray inputs = response.value(QLatin1String("inputs")).toArray();
    for (const QJsonValue &input : inputs)
        m_inputNames.append(input.toObject().value(QLatin1String("inputName")).toString());
    // Inputs that are gone are forgotten, so a new input of the same name is judged afresh.
    forgetRemovedInputs(m_audioInputs);
    forgetRemovedInputs(m_inputsWithoutAudio);
    rebuildSourceNames();
    for (const QString &name : std::as_const(m_inputNames)) {
        if (m_inputsWithoutAudio.contains(name))
            continue;
        sendQuery(inputRequest(Req::GetInputVolume, name));
        sendQuery(inputRequest(Req::GetInputMute, name));
    }
}

void ObsProtocol5::forgetRemovedInputs(QSet<QString> &inputs) const
{
    for (auto it = inputs.begin(); it != inputs.end();) {
        if (m_inputNames.contains(*it))
            ++it;
        else
            it = inputs.erase(it);
    }
}

void ObsProtocol5::setAudioCapable(const QString &inputName, bool audio)
{
    const bool known = m_audioInputs.contains(inputName);
    if (audio == known || (audio && !m_inputNames.contains(inputName)))
        return;
    if (audio)
        m_audioInputs.insert(inputName);
    else
        m_audioInputs.remove(inputName);
    rebuildSourceNames();
}

void ObsProtocol5::rebuildSourceNames()
{
    m_state.sourceNames.clear();
    for (const QString &name : std::as_const(m_inputNames)) {
        if (m_audioInputs.contains(name))
            m_state.sourceNames.append(name);
    }
}

void ObsProtocol5::handleEvent(const QJsonObject &data)
{
    const QString type = data.value(QLatin1String("eventType")).toString();
    const QJsonObject event = data.value(QLatin1String("eventData")).toObject();
    const QString input = event.value(QLatin1String("inputName")).toString();
    if (handleSceneEvent(type, event))
        return;
    if (type == Ev::InputMuteStateChanged && !input.isEmpty()) {
        m_state.setMuted(input, event.value(QLatin1String("inputMuted")).toBool(false));
    } else if (type == Ev::InputVolumeChanged && !input.isEmpty()) {
        m_state.setVolume(input, volumeDbOf(event));
    } else if (type == Ev::CurrentSceneTransitionChanged) {
        m_state.currentTransition = event.value(QLatin1String("transitionName")).toString();
    } else if (type == Ev::StreamStateChanged) {
        m_state.streaming = event.value(QLatin1String("outputActive")).toBool(false);
    } else if (type == Ev::RecordStateChanged) {
        m_state.recording = event.value(QLatin1String("outputActive")).toBool(false);
    }
}

void ObsProtocol5::setVolume(double volumeDb, const QString &source)
{
    // OBS refuses dB values outside its range; the slider's ends mean its limits.
    sendCommand(
        inputRequest(Req::SetInputVolume, source,
                     {{QStringLiteral("inputVolumeDb"), std::clamp(volumeDb, MinVolumeDb, MaxVolumeDb)}}));
}

void ObsProtocol5::toggleMute(const QString &source)
{
    sendCommand(inputRequest(Req::ToggleInputMute, source));
}

void ObsProtocol5::startStopStreaming()
{
    sendCommand(request(Req::ToggleStream, Req::ToggleStream));
}

void ObsProtocol5::startStopRecording()
{
    sendCommand(request(Req::ToggleRecord, Req::ToggleRecord));
}

void ObsProtocol5::setCurrentTransition(const QString &name)
{
    sendCommand(request(Req::SetCurrentSceneTransition, Req::SetCurrentSceneTransition,
                        {{QStringLiteral("transitionName"), name}}));
}

void ObsProtocol5::queryScenes()
{
    sendQuery(request(Req::GetStudioModeEnabled, Req::GetStudioModeEnabled));
    sendQuery(request(Req::GetCurrentProgramScene, Req::GetCurrentProgramScene));
    sendQuery(request(Req::GetCurrentPreviewScene, Req::GetCurrentPreviewScene));
    sendQuery(request(Req::GetSceneList, Req::GetSceneList));
}

void ObsProtocol5::readSceneNames(const QJsonArray &scenes)
{
    // OBS numbers scenes from the bottom of its list.
    QList<QPair<int, QString>> indexed;
    for (const QJsonValue &scene : scenes) {
        const QJsonObject object = scene.toObject();
        indexed.append({object.value(QLatin1String("sceneIndex")).toInt(),
                        object.value(QLatin1String("sceneName")).toString()});
    }
    std::stable_sort(indexed.begin(), indexed.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    m_state.sceneNames.clear();
    for (const auto &entry : std::as_const(indexed))
        m_state.sceneNames.append(entry.second);
}

bool ObsProtocol5::handleSceneResponse(const QString &type, bool ok, const QJsonObject &response)
{
    if (type == Req::GetCurrentProgramScene) {
        if (ok)
            m_state.programScene = response.value(QLatin1String("currentProgramSceneName")).toString();
    } else if (type == Req::GetCurrentPreviewScene) {
        // Refused while studio mode is off: then nothing is in preview.
        m_state.previewScene
            = ok ? response.value(QLatin1String("currentPreviewSceneName")).toString() : QString();
    } else if (type == Req::GetSceneList) {
        if (ok)
            readSceneNames(response.value(QLatin1String("scenes")).toArray());
    } else if (type == Req::GetStudioModeEnabled) {
        if (ok) {
            m_state.studioMode = response.value(QLatin1String("studioModeEnabled")).toBool();
            if (!m_state.studioMode)
                m_state.previewScene.clear();
        }
    } else {
        return false;
    }
    return true;
}

bool ObsProtocol5::handleSceneEvent(const QString &type, const QJsonObject &event)
{
    if (type == Ev::CurrentProgramSceneChanged) {
        m_state.programScene = event.value(QLatin1String("sceneName")).toString();
    } else if (type == Ev::CurrentPreviewSceneChanged) {
        if (m_state.studioMode)
            m_state.previewScene = event.value(QLatin1String("sceneName")).toString();
    } else if (type == Ev::SceneListChanged) {
        readSceneNames(event.value(QLatin1String("scenes")).toArray());
    } else if (type == Ev::StudioModeStateChanged) {
        m_state.studioMode = event.value(QLatin1String("studioModeEnabled")).toBool();
        m_state.previewScene.clear();
        // OBS names the preview scene in an event of its own only when it changes; ask for it.
        if (m_state.studioMode)
            sendQuery(request(Req::GetCurrentPreviewScene, Req::GetCurrentPreviewScene));
    } else {
        return false;
    }
    return true;
}
