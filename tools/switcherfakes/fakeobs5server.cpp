#include "fakeobs5server.h"

#include <QJsonArray>
#include <QTimer>
#include <QWebSocket>

#include <cmath>

namespace {
enum OpCode {
    Hello = 0,
    Identify = 1,
    Identified = 2,
    Reidentify = 3,
    Event = 5,
    Request = 6,
    RequestResponse = 7
};

const QHash<QString, QString> TransitionKinds = {
    {QStringLiteral("Cut"), QStringLiteral("cut_transition")},
    {QStringLiteral("Fade"), QStringLiteral("fade_transition")},
    {QStringLiteral("Swipe"), QStringLiteral("swipe_transition")},
    {QStringLiteral("Slide"), QStringLiteral("slide_transition")},
    {QStringLiteral("Stinger"), QStringLiteral("obs_stinger_transition")},
    {QStringLiteral("Fade to Color"), QStringLiteral("fade_to_color_transition")},
    {QStringLiteral("Luma Wipe"), QStringLiteral("wipe_transition")},
};

// OBS writes minus infinity (a silent input) as JSON null.
QJsonValue dbValue(double mul)
{
    const double db = FakeObsState::mulToDb(mul);
    return std::isfinite(db) ? QJsonValue(db) : QJsonValue(QJsonValue::Null);
}

QJsonObject outputStatus(bool active)
{
    return {{QStringLiteral("outputActive"), active},
            {QStringLiteral("outputTimecode"),
             active ? QStringLiteral("00:01:02.345") : QStringLiteral("00:00:00.000")},
            {QStringLiteral("outputDuration"), active ? 62345 : 0},
            {QStringLiteral("outputBytes"), active ? 7340032 : 0}};
}
} // namespace

FakeObs5Server::FakeObs5Server(QObject *parent)
    : FakeObsServer(QStringLiteral("fake obs-websocket 5.0.0"), parent)
{}

QString FakeObs5Server::requestTypeOf(const QJsonObject &message) const
{
    if (message.value(QLatin1String("op")).toInt(-1) != Request)
        return {};
    return message.value(QLatin1String("d")).toObject().value(QLatin1String("requestType")).toString();
}

QList<int> FakeObs5Server::identifiedSubscriptions() const
{
    return m_identifiedSubscriptions;
}

void FakeObs5Server::broadcastEvent(const QString &eventType, int intent, const QJsonObject &eventData)
{
    QJsonObject data{{QStringLiteral("eventType"), eventType}, {QStringLiteral("eventIntent"), intent}};
    if (!eventData.isEmpty())
        data.insert(QStringLiteral("eventData"), eventData);
    const QJsonObject event{{QStringLiteral("op"), Event}, {QStringLiteral("d"), data}};
    for (auto it = m_subscriptions.cbegin(); it != m_subscriptions.cend(); ++it) {
        if (it.value() & intent)
            sendJson(it.key(), event);
    }
}

void FakeObs5Server::onClientConnected(QWebSocket *client)
{
    QJsonObject hello{{QStringLiteral("obsWebSocketVersion"), QStringLiteral("5.0.0")},
                      {QStringLiteral("rpcVersion"), 1}};
    if (!password().isEmpty()) {
        hello.insert(QStringLiteral("authentication"), QJsonObject{{QStringLiteral("challenge"), challenge()},
                                                                   {QStringLiteral("salt"), salt()}});
    }
    sendJson(client, {{QStringLiteral("op"), Hello}, {QStringLiteral("d"), hello}});
}

void FakeObs5Server::onClientGone(QWebSocket *client)
{
    m_subscriptions.remove(client);
}

void FakeObs5Server::onClientMessage(QWebSocket *client, const QJsonObject &message, bool wellFormed)
{
    if (!wellFormed) {
        closeClient(client, MessageDecodeError, QStringLiteral("Unable to decode message."));
        return;
    }
    const bool identified = m_subscriptions.contains(client);
    if (!identified && message.contains(QLatin1String("request-type"))) {
        closeClient(
            client, UnsupportedRpcVersion,
            QStringLiteral("You are attempting to use an old version of the obs-websocket protocol."));
        return;
    }
    const QJsonValue op = message.value(QLatin1String("op"));
    if (!op.isDouble()) {
        closeClient(client, UnknownOpCode, QStringLiteral("Your request is missing an op code."));
        return;
    }
    const QJsonObject data = message.value(QLatin1String("d")).toObject();
    switch (op.toInt()) {
    case Identify:
        if (identified)
            closeClient(client, AlreadyIdentified, QStringLiteral("You are already Identified."));
        else
            handleIdentify(client, data);
        return;
    case Reidentify:
        if (!identified) {
            closeClient(client, NotIdentified,
                        QStringLiteral("You must identify before sending other messages."));
            return;
        }
        m_subscriptions.insert(client, data.value(QLatin1String("eventSubscriptions")).toInt(All));
        sendJson(client, {{QStringLiteral("op"), Identified},
                          {QStringLiteral("d"), QJsonObject{{QStringLiteral("negotiatedRpcVersion"), 1}}}});
        return;
    case Request:
        if (!identified) {
            closeClient(client, NotIdentified,
                        QStringLiteral("You must identify before sending other messages."));
            return;
        }
        handleRequest(client, data);
        return;
    default:
        closeClient(client, UnknownOpCode, QStringLiteral("Unknown op code."));
        return;
    }
}

void FakeObs5Server::handleIdentify(QWebSocket *client, const QJsonObject &data)
{
    const QJsonValue rpcVersion = data.value(QLatin1String("rpcVersion"));
    if (!rpcVersion.isDouble()) {
        closeClient(client, MissingDataField,
                    QStringLiteral("Your payload's data is missing an `rpcVersion`."));
        return;
    }
    if (rpcVersion.toInt() != 1) {
        closeClient(client, UnsupportedRpcVersion, QStringLiteral("Requested an unsupported rpc version."));
        return;
    }
    if (!password().isEmpty()) {
        const QString auth = data.value(QLatin1String("authentication")).toString();
        if (auth != authResponse(password(), salt(), challenge())) {
            closeClient(client, AuthenticationFailed, QStringLiteral("Authentication failed."));
            return;
        }
    }
    const int subscriptions = data.value(QLatin1String("eventSubscriptions")).toInt(All);
    if (m_identifyDelayMs <= 0) {
        confirmIdentify(client, subscriptions);
        return;
    }
    // The client object lives as long as its connection: a client gone meanwhile is never confirmed.
    QTimer::singleShot(m_identifyDelayMs, client, [this, client, subscriptions] {
        if (clients().contains(client))
            confirmIdentify(client, subscriptions);
    });
}

void FakeObs5Server::confirmIdentify(QWebSocket *client, int subscriptions)
{
    m_subscriptions.insert(client, subscriptions);
    m_identifiedSubscriptions.append(subscriptions);
    sendJson(client, {{QStringLiteral("op"), Identified},
                      {QStringLiteral("d"), QJsonObject{{QStringLiteral("negotiatedRpcVersion"), 1}}}});
}

void FakeObs5Server::setIdentifyDelay(int ms)
{
    m_identifyDelayMs = ms;
}

void FakeObs5Server::handleRequest(QWebSocket *client, const QJsonObject &data)
{
    const QString type = data.value(QLatin1String("requestType")).toString();
    const QJsonValue requestId = data.value(QLatin1String("requestId"));
    if (!requestId.isString()) {
        closeClient(client, MissingDataField,
                    QStringLiteral("Your request payload is missing a `requestId`."));
        return;
    }
    Result result;
    if (type.isEmpty())
        result = {MissingRequestType, QStringLiteral("Your request is missing a `requestType`"), {}};
    else
        result = runRequest(type, data.value(QLatin1String("requestData")).toObject());

    QJsonObject status{{QStringLiteral("result"), result.code == Success},
                       {QStringLiteral("code"), result.code}};
    if (!result.comment.isEmpty())
        status.insert(QStringLiteral("comment"), result.comment);
    QJsonObject response{{QStringLiteral("requestType"), type},
                         {QStringLiteral("requestId"), requestId},
                         {QStringLiteral("requestStatus"), status}};
    if (result.code == Success && !result.data.isEmpty())
        response.insert(QStringLiteral("responseData"), result.data);
    sendJson(client, {{QStringLiteral("op"), RequestResponse}, {QStringLiteral("d"), response}});
}

FakeObs5Server::Result FakeObs5Server::audioInput(const QJsonObject &requestData, FakeObsSource **source)
{
    const QJsonValue name = requestData.value(QLatin1String("inputName"));
    if (!name.isString())
        return {MissingRequestField, QStringLiteral("Your request is missing the `inputName` field."), {}};
    *source = state().source(name.toString());
    if (!*source)
        return {ResourceNotFound,
                QStringLiteral("No source was found by the name of `%1`.").arg(name.toString()),
                {}};
    if (!(*source)->audio)
        return {InvalidResourceState, QStringLiteral("The specified input does not support audio."), {}};
    return {};
}

FakeObs5Server::Result FakeObs5Server::runRequest(const QString &type, const QJsonObject &requestData)
{
    FakeObsState &obs = state();
    FakeObsSource *source = nullptr;
    if (Result result; runSceneRequest(type, requestData, result))
        return result;

    if (type == QLatin1String("GetInputList")) {
        QJsonArray inputs;
        for (const FakeObsSource &input : std::as_const(obs.sources)) {
            inputs.append(QJsonObject{{QStringLiteral("inputName"), input.name},
                                      {QStringLiteral("inputKind"), input.kind},
                                      {QStringLiteral("unversionedInputKind"), input.kind}});
        }
        return {Success, {}, {{QStringLiteral("inputs"), inputs}}};
    }
    if (type == QLatin1String("GetInputVolume")) {
        Result result = audioInput(requestData, &source);
        if (result.code != Success)
            return result;
        return {Success,
                {},
                {{QStringLiteral("inputVolumeMul"), source->volumeMul},
                 {QStringLiteral("inputVolumeDb"), dbValue(source->volumeMul)}}};
    }
    if (type == QLatin1String("GetInputMute")) {
        Result result = audioInput(requestData, &source);
        if (result.code != Success)
            return result;
        return {Success, {}, {{QStringLiteral("inputMuted"), source->muted}}};
    }
    if (type == QLatin1String("SetInputVolume")) {
        Result result = audioInput(requestData, &source);
        if (result.code != Success)
            return result;
        const QJsonValue db = requestData.value(QLatin1String("inputVolumeDb"));
        const QJsonValue mul = requestData.value(QLatin1String("inputVolumeMul"));
        if (db.isUndefined() && mul.isUndefined())
            return {MissingRequestField,
                    QStringLiteral("Your request must contain inputVolumeMul or inputVolumeDb"),
                    {}};
        if (!db.isUndefined() && !mul.isUndefined())
            return {TooManyRequestFields, QStringLiteral("You may only specify one volume field."), {}};
        const QJsonValue value = db.isUndefined() ? mul : db;
        if (!value.isDouble())
            return {InvalidRequestFieldType, QStringLiteral("The volume field is not a number."), {}};
        if (!db.isUndefined()) {
            if (value.toDouble() < -100.0 || value.toDouble() > 26.0)
                return {RequestFieldOutOfRange,
                        QStringLiteral("The field value of `inputVolumeDb` is out of range."),
                        {}};
            source->volumeMul = FakeObsState::dbToMul(value.toDouble());
        } else {
            if (value.toDouble() < 0 || value.toDouble() > 20.0)
                return {RequestFieldOutOfRange,
                        QStringLiteral("The field value of `inputVolumeMul` is out of range."),
                        {}};
            source->volumeMul = value.toDouble();
        }
        broadcastEvent(QStringLiteral("InputVolumeChanged"), Inputs,
                       {{QStringLiteral("inputName"), source->name},
                        {QStringLiteral("inputVolumeMul"), source->volumeMul},
                        {QStringLiteral("inputVolumeDb"), dbValue(source->volumeMul)}});
        return {};
    }
    if (type == QLatin1String("ToggleInputMute")) {
        Result result = audioInput(requestData, &source);
        if (result.code != Success)
            return result;
        source->muted = !source->muted;
        broadcastEvent(
            QStringLiteral("InputMuteStateChanged"), Inputs,
            {{QStringLiteral("inputName"), source->name}, {QStringLiteral("inputMuted"), source->muted}});
        return {Success, {}, {{QStringLiteral("inputMuted"), source->muted}}};
    }
    if (type == QLatin1String("GetSceneTransitionList")) {
        QJsonArray transitions;
        for (const QString &name : std::as_const(obs.transitions)) {
            const QString kind = TransitionKinds.value(name, QStringLiteral("fade_transition"));
            transitions.append(QJsonObject{
                {QStringLiteral("transitionName"), name},
                {QStringLiteral("transitionKind"), kind},
                {QStringLiteral("transitionFixed"), kind == QLatin1String("cut_transition")},
                {QStringLiteral("transitionConfigurable"), kind != QLatin1String("cut_transition")}});
        }
        QJsonObject data{{QStringLiteral("transitions"), transitions}};
        if (obs.currentTransition.isEmpty()) {
            data.insert(QStringLiteral("currentSceneTransitionName"), QJsonValue::Null);
            data.insert(QStringLiteral("currentSceneTransitionKind"), QJsonValue::Null);
        } else {
            data.insert(QStringLiteral("currentSceneTransitionName"), obs.currentTransition);
            data.insert(QStringLiteral("currentSceneTransitionKind"),
                        TransitionKinds.value(obs.currentTransition, QStringLiteral("fade_transition")));
        }
        return {Success, {}, data};
    }
    if (type == QLatin1String("SetCurrentSceneTransition")) {
        const QJsonValue name = requestData.value(QLatin1String("transitionName"));
        if (!name.isString())
            return {MissingRequestField,
                    QStringLiteral("Your request is missing the `transitionName` field."),
                    {}};
        if (!obs.transitions.contains(name.toString()))
            return {ResourceNotFound, QStringLiteral("No scene transition was found by that name."), {}};
        obs.currentTransition = name.toString();
        broadcastEvent(QStringLiteral("CurrentSceneTransitionChanged"), Transitions,
                       {{QStringLiteral("transitionName"), obs.currentTransition}});
        return {};
    }
    if (type == QLatin1String("GetStreamStatus")) {
        QJsonObject data = outputStatus(obs.streaming);
        data.insert(QStringLiteral("outputReconnecting"), false);
        data.insert(QStringLiteral("outputSkippedFrames"), 0);
        data.insert(QStringLiteral("outputTotalFrames"), obs.streaming ? 3740 : 0);
        return {Success, {}, data};
    }
    if (type == QLatin1String("GetRecordStatus")) {
        QJsonObject data = outputStatus(obs.recording);
        data.insert(QStringLiteral("ouputPaused"), false); // sic, as obs-websocket 5.0.0 spells it
        return {Success, {}, data};
    }
    if (type == QLatin1String("ToggleStream")) {
        obs.streaming = !obs.streaming;
        broadcastEvent(QStringLiteral("StreamStateChanged"), Outputs,
                       {{QStringLiteral("outputActive"), obs.streaming},
                        {QStringLiteral("outputState"),
                         obs.streaming ? QStringLiteral("OBS_WEBSOCKET_OUTPUT_STARTED")
                                       : QStringLiteral("OBS_WEBSOCKET_OUTPUT_STOPPED")}});
        return {Success, {}, {{QStringLiteral("outputActive"), obs.streaming}}};
    }
    if (type == QLatin1String("ToggleRecord")) {
        obs.recording = !obs.recording;
        broadcastEvent(QStringLiteral("RecordStateChanged"), Outputs,
                       {{QStringLiteral("outputActive"), obs.recording},
                        {QStringLiteral("outputState"),
                         obs.recording ? QStringLiteral("OBS_WEBSOCKET_OUTPUT_STARTED")
                                       : QStringLiteral("OBS_WEBSOCKET_OUTPUT_STOPPED")}});
        return {};
    }
    return {UnknownRequestType, QStringLiteral("Your request type is not valid."), {}};
}

void FakeObs5Server::addScene(const QString &scene)
{
    if (state().scenes.contains(scene))
        return;
    state().scenes.append(scene);
    broadcastEvent(QStringLiteral("SceneListChanged"), Scenes, {{QStringLiteral("scenes"), sceneList()}});
}

QJsonArray FakeObs5Server::sceneList()
{
    // OBS numbers its scenes from the bottom of the list.
    const QStringList &names = state().scenes;
    QJsonArray scenes;
    for (int i = 0; i < names.size(); ++i)
        scenes.append(QJsonObject{{QStringLiteral("sceneName"), names.at(i)},
                                  {QStringLiteral("sceneIndex"), int(names.size()) - 1 - i}});
    return scenes;
}

void FakeObs5Server::setProgramScene(const QString &scene)
{
    addScene(scene);
    state().programScene = scene;
    broadcastEvent(QStringLiteral("CurrentProgramSceneChanged"), Scenes,
                   {{QStringLiteral("sceneName"), scene}});
}

bool FakeObs5Server::setPreviewScene(const QString &scene)
{
    if (!state().studioMode)
        return false;
    addScene(scene);
    state().previewScene = scene;
    broadcastEvent(QStringLiteral("CurrentPreviewSceneChanged"), Scenes,
                   {{QStringLiteral("sceneName"), scene}});
    return true;
}

void FakeObs5Server::setStudioMode(bool on)
{
    if (state().studioMode == on)
        return;
    state().studioMode = on;
    broadcastEvent(QStringLiteral("StudioModeStateChanged"), Ui, {{QStringLiteral("studioModeEnabled"), on}});
}

bool FakeObs5Server::runSceneRequest(const QString &type, const QJsonObject &requestData, Result &result)
{
    const FakeObsState &obs = state();
    const QJsonValue sceneName = requestData.value(QLatin1String("sceneName"));
    auto knownScene = [&]() -> bool {
        if (!sceneName.isString()) {
            result
                = {MissingRequestField, QStringLiteral("Your request is missing the `sceneName` field."), {}};
            return false;
        }
        if (!obs.scenes.contains(sceneName.toString())) {
            result = {ResourceNotFound,
                      QStringLiteral("No source was found by the name of `%1`.").arg(sceneName.toString()),
                      {}};
            return false;
        }
        return true;
    };
    const Result studioModeOff{StudioModeNotActive, QStringLiteral("Studio mode is not active."), {}};
    result = {};
    if (type == QLatin1String("GetCurrentProgramScene")) {
        result.data = {{QStringLiteral("currentProgramSceneName"), obs.programScene}};
    } else if (type == QLatin1String("GetCurrentPreviewScene")) {
        if (!obs.studioMode)
            result = studioModeOff;
        else
            result.data = {{QStringLiteral("currentPreviewSceneName"), obs.previewScene}};
    } else if (type == QLatin1String("GetStudioModeEnabled")) {
        result.data = {{QStringLiteral("studioModeEnabled"), obs.studioMode}};
    } else if (type == QLatin1String("GetSceneList")) {
        const QJsonArray scenes = sceneList();
        result.data = {{QStringLiteral("currentProgramSceneName"), obs.programScene},
                       {QStringLiteral("currentPreviewSceneName"),
                        obs.studioMode ? QJsonValue(obs.previewScene) : QJsonValue(QJsonValue::Null)},
                       {QStringLiteral("scenes"), scenes}};
    } else if (type == QLatin1String("SetCurrentProgramScene")) {
        if (knownScene())
            setProgramScene(sceneName.toString());
    } else if (type == QLatin1String("SetCurrentPreviewScene")) {
        if (!obs.studioMode)
            result = studioModeOff;
        else if (knownScene())
            setPreviewScene(sceneName.toString());
    } else if (type == QLatin1String("SetStudioModeEnabled")) {
        const QJsonValue on = requestData.value(QLatin1String("studioModeEnabled"));
        if (!on.isBool())
            result = {MissingRequestField,
                      QStringLiteral("Your request is missing the `studioModeEnabled` field."),
                      {}};
        else
            setStudioMode(on.toBool());
    } else {
        return false;
    }
    return true;
}
