#include "fakeobs4server.h"

#include <QJsonArray>
#include <QWebSocket>

#include <cmath>

FakeObs4Server::FakeObs4Server(QObject *parent)
    : FakeObsServer(QStringLiteral("fake obs-websocket 4.9.1"), parent)
{}

QString FakeObs4Server::requestTypeOf(const QJsonObject &message) const
{
    return message.value(QLatin1String("request-type")).toString();
}

void FakeObs4Server::broadcastEvent(const QString &updateType, const QJsonObject &fields)
{
    QJsonObject event = fields;
    event.insert(QStringLiteral("update-type"), updateType);
    for (QWebSocket *client : clients()) {
        if (password().isEmpty() || m_authenticated.contains(client))
            sendJson(client, event);
    }
}

void FakeObs4Server::onClientConnected(QWebSocket *)
{
    // obs-websocket 4.x says nothing until it is asked.
}

void FakeObs4Server::onClientGone(QWebSocket *client)
{
    m_authenticated.remove(client);
}

void FakeObs4Server::onClientMessage(QWebSocket *client, const QJsonObject &message, bool wellFormed)
{
    QJsonObject reply;
    if (!wellFormed) {
        reply.insert(QStringLiteral("status"), QStringLiteral("error"));
        reply.insert(QStringLiteral("error"), QStringLiteral("invalid JSON payload"));
        sendJson(client, reply);
        return;
    }
    const QString type = requestTypeOf(message);
    const QJsonValue messageId = message.value(QLatin1String("message-id"));
    if (type.isEmpty() || !messageId.isString()) {
        reply.insert(QStringLiteral("status"), QStringLiteral("error"));
        reply.insert(QStringLiteral("error"), QStringLiteral("missing request parameters"));
        sendJson(client, reply);
        return;
    }
    reply.insert(QStringLiteral("message-id"), messageId);

    QString error;
    const bool open = type == QLatin1String("GetAuthRequired") || type == QLatin1String("Authenticate");
    if (!open && !password().isEmpty() && !m_authenticated.contains(client))
        error = QStringLiteral("Not Authenticated");
    else
        error = handleRequest(client, type, message, reply);

    if (error.isEmpty()) {
        reply.insert(QStringLiteral("status"), QStringLiteral("ok"));
    } else {
        reply = {{QStringLiteral("message-id"), messageId},
                 {QStringLiteral("status"), QStringLiteral("error")},
                 {QStringLiteral("error"), error}};
    }
    sendJson(client, reply);
}

QString FakeObs4Server::handleRequest(QWebSocket *client,
                                      const QString &type,
                                      const QJsonObject &request,
                                      QJsonObject &reply)
{
    FakeObsState &obs = state();
    const QString sourceName = request.value(QLatin1String("source")).toString();
    if (QString error; handleSceneRequest(type, request, reply, error))
        return error;

    if (type == QLatin1String("GetAuthRequired")) {
        const bool required = !password().isEmpty();
        reply.insert(QStringLiteral("authRequired"), required);
        if (required) {
            reply.insert(QStringLiteral("challenge"), challenge());
            reply.insert(QStringLiteral("salt"), salt());
        }
        return {};
    }
    if (type == QLatin1String("Authenticate")) {
        if (password().isEmpty() || m_authenticated.contains(client))
            return QStringLiteral("already authenticated");
        const QString auth = request.value(QLatin1String("auth")).toString();
        if (auth != authResponse(password(), salt(), challenge()))
            return QStringLiteral("Authentication Failed.");
        m_authenticated.insert(client);
        return {};
    }
    if (type == QLatin1String("GetSourcesList")) {
        QJsonArray sources;
        for (const FakeObsSource &source : std::as_const(obs.sources)) {
            sources.append(QJsonObject{{QStringLiteral("name"), source.name},
                                       {QStringLiteral("typeId"), source.kind},
                                       {QStringLiteral("type"), QStringLiteral("input")}});
        }
        reply.insert(QStringLiteral("sources"), sources);
        return {};
    }
    if (type == QLatin1String("GetVolume")) {
        const FakeObsSource *source = obs.source(sourceName);
        if (!source)
            return QStringLiteral("specified source doesn't exist");
        const bool useDecibel = request.value(QLatin1String("useDecibel")).toBool();
        double volume = source->volumeMul;
        if (useDecibel)
            volume = std::max(-100.0, FakeObsState::mulToDb(source->volumeMul));
        reply.insert(QStringLiteral("name"), source->name);
        reply.insert(QStringLiteral("volume"), volume);
        reply.insert(QStringLiteral("muted"), source->muted);
        return {};
    }
    if (type == QLatin1String("SetVolume")) {
        FakeObsSource *source = obs.source(sourceName);
        if (!source)
            return QStringLiteral("specified source doesn't exist");
        const QJsonValue volume = request.value(QLatin1String("volume"));
        if (!volume.isDouble())
            return QStringLiteral("invalid request parameters");
        const bool useDecibel = request.value(QLatin1String("useDecibel")).toBool();
        const double value = volume.toDouble();
        if ((useDecibel && value > 26.0) || (!useDecibel && (value < 0 || value > 20.0)))
            return QStringLiteral("invalid request parameters");
        source->volumeMul = useDecibel ? FakeObsState::dbToMul(value) : value;
        broadcastEvent(
            QStringLiteral("SourceVolumeChanged"),
            {{QStringLiteral("sourceName"), source->name},
             {QStringLiteral("volume"), source->volumeMul},
             {QStringLiteral("volumeDb"), std::max(-100.0, FakeObsState::mulToDb(source->volumeMul))}});
        return {};
    }
    if (type == QLatin1String("ToggleMute")) {
        FakeObsSource *source = obs.source(sourceName);
        if (!source)
            return QStringLiteral("invalid request parameters");
        source->muted = !source->muted;
        broadcastEvent(
            QStringLiteral("SourceMuteStateChanged"),
            {{QStringLiteral("sourceName"), source->name}, {QStringLiteral("muted"), source->muted}});
        return {};
    }
    if (type == QLatin1String("GetStreamingStatus")) {
        reply.insert(QStringLiteral("streaming"), obs.streaming);
        reply.insert(QStringLiteral("recording"), obs.recording);
        reply.insert(QStringLiteral("recording-paused"), false);
        reply.insert(QStringLiteral("virtualcam"), false);
        reply.insert(QStringLiteral("preview-only"), false);
        if (obs.streaming)
            reply.insert(QStringLiteral("stream-timecode"), QStringLiteral("00:01:02.345"));
        if (obs.recording)
            reply.insert(QStringLiteral("rec-timecode"), QStringLiteral("00:00:10.000"));
        return {};
    }
    if (type == QLatin1String("StartStopStreaming")) {
        obs.streaming = !obs.streaming;
        broadcastEvent(obs.streaming ? QStringLiteral("StreamStarting") : QStringLiteral("StreamStopping"),
                       {{QStringLiteral("preview-only"), false}});
        broadcastEvent(obs.streaming ? QStringLiteral("StreamStarted") : QStringLiteral("StreamStopped"));
        return {};
    }
    if (type == QLatin1String("StartStopRecording")) {
        obs.recording = !obs.recording;
        broadcastEvent(obs.recording ? QStringLiteral("RecordingStarted")
                                     : QStringLiteral("RecordingStopped"),
                       {{QStringLiteral("recordingFilename"), QStringLiteral("/home/user/Videos/rec.mkv")}});
        return {};
    }
    if (type == QLatin1String("GetTransitionList")) {
        QJsonArray transitions;
        for (const QString &name : std::as_const(obs.transitions))
            transitions.append(QJsonObject{{QStringLiteral("name"), name}});
        reply.insert(QStringLiteral("current-transition"), obs.currentTransition);
        reply.insert(QStringLiteral("transitions"), transitions);
        return {};
    }
    if (type == QLatin1String("SetCurrentTransition")) {
        const QString name = request.value(QLatin1String("transition-name")).toString();
        if (!obs.transitions.contains(name))
            return QStringLiteral("requested transition does not exist");
        obs.currentTransition = name;
        broadcastEvent(QStringLiteral("SwitchTransition"), {{QStringLiteral("transition-name"), name}});
        return {};
    }
    return QStringLiteral("invalid request type");
}

namespace {
// A scene as 4.x describes one; the fake's scenes hold no items.
QJsonObject sceneFields(const QString &scene)
{
    return {{QStringLiteral("scene-name"), scene}, {QStringLiteral("sources"), QJsonArray()}};
}
} // namespace

void FakeObs4Server::addScene(const QString &scene)
{
    if (state().scenes.contains(scene))
        return;
    state().scenes.append(scene);
    QJsonArray scenes;
    for (const QString &name : std::as_const(state().scenes))
        scenes.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("sources"), QJsonArray()}});
    broadcastEvent(QStringLiteral("ScenesChanged"), {{QStringLiteral("scenes"), scenes}});
}

void FakeObs4Server::setProgramScene(const QString &scene)
{
    addScene(scene);
    state().programScene = scene;
    broadcastEvent(QStringLiteral("SwitchScenes"), sceneFields(scene));
}

bool FakeObs4Server::setPreviewScene(const QString &scene)
{
    if (!state().studioMode)
        return false;
    addScene(scene);
    state().previewScene = scene;
    broadcastEvent(QStringLiteral("PreviewSceneChanged"), sceneFields(scene));
    return true;
}

void FakeObs4Server::setStudioMode(bool on)
{
    if (state().studioMode == on)
        return;
    state().studioMode = on;
    broadcastEvent(QStringLiteral("StudioModeSwitched"), {{QStringLiteral("new-state"), on}});
}

bool FakeObs4Server::handleSceneRequest(const QString &type,
                                        const QJsonObject &request,
                                        QJsonObject &reply,
                                        QString &error)
{
    const FakeObsState &obs = state();
    const QString sceneName = request.value(QLatin1String("scene-name")).toString();
    if (type == QLatin1String("GetCurrentScene")) {
        reply.insert(QStringLiteral("name"), obs.programScene);
        reply.insert(QStringLiteral("sources"), QJsonArray());
    } else if (type == QLatin1String("GetPreviewScene")) {
        if (!obs.studioMode) {
            error = QStringLiteral("studio mode not enabled");
        } else {
            reply.insert(QStringLiteral("name"), obs.previewScene);
            reply.insert(QStringLiteral("sources"), QJsonArray());
        }
    } else if (type == QLatin1String("GetStudioModeStatus")) {
        reply.insert(QStringLiteral("studio-mode"), obs.studioMode);
    } else if (type == QLatin1String("GetSceneList")) {
        QJsonArray scenes;
        for (const QString &scene : obs.scenes)
            scenes.append(
                QJsonObject{{QStringLiteral("name"), scene}, {QStringLiteral("sources"), QJsonArray()}});
        reply.insert(QStringLiteral("current-scene"), obs.programScene);
        reply.insert(QStringLiteral("scenes"), scenes);
    } else if (type == QLatin1String("SetCurrentScene")) {
        if (!obs.scenes.contains(sceneName))
            error = QStringLiteral("requested scene does not exist");
        else
            setProgramScene(sceneName);
    } else if (type == QLatin1String("SetPreviewScene")) {
        if (!obs.studioMode)
            error = QStringLiteral("studio mode not enabled");
        else if (!obs.scenes.contains(sceneName))
            error = QStringLiteral("specified scene doesn't exist");
        else
            setPreviewScene(sceneName);
    } else if (type == QLatin1String("EnableStudioMode") || type == QLatin1String("DisableStudioMode")) {
        const bool on = type == QLatin1String("EnableStudioMode");
        if (obs.studioMode == on)
            error = on ? QStringLiteral("studio mode already active")
                       : QStringLiteral("studio mode not active");
        else
            setStudioMode(on);
    } else {
        return false;
    }
    return true;
}
