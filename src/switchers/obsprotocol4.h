#pragma once

#include "obsprotocol.h"

#include <QList>
#include <QPair>

// obs-websocket 4.x: JSON requests named by "request-type", replies matched by "message-id". The
// message-id names the kind of request rather than one request, so replies are dispatched by it alone.
class ObsProtocol4 : public ObsProtocol
{
public:
    // The message-id of each request kind; the value is sent as a decimal string.
    enum Request {
        GetAuthRequired = 0,
        Authenticate = 1,
        GetSourcesList = 2,
        GetVolume = 3,
        GetStreamingStatus = 4,
        ToggleMute = 5,
        SetVolume = 6,
        StartStopStreaming = 7,
        StartStopRecording = 8,
        GetTransitionList = 9,
        SetCurrentTransition = 10,
        GetCurrentScene = 11,
        GetPreviewScene = 12,
        GetStudioModeStatus = 13,
        GetSceneList = 14,
    };

    ObsProtocol4(ObsState &state, const QString &password, Sender sender);

    // Starts the log-in: asks whether OBS wants a password.
    void begin();

    // Commands kept while the log-in is under way.
    static constexpr int MaxHeldCommands = 16;

    int version() const override { return 4; }
    bool isLoggedIn() const override { return m_loggedIn; }
    bool passwordRefused() const override { return m_passwordRefused; }
    void handleMessage(const QJsonObject &message) override;
    void poll() override;

    void setVolume(double volumeDb, const QString &source) override;
    void toggleMute(const QString &source) override;
    void startStopStreaming() override;
    void startStopRecording() override;
    void setCurrentTransition(const QString &name) override;

private:
    void sendRequest(Request request, QJsonObject fields = {}) const;
    // Commands wait for the log-in: before it OBS refuses them ("Not Authenticated").
    void sendCommand(Request request, QJsonObject fields = {});
    void loggedIn();
    void handleAuthRequired(const QJsonObject &reply);
    void handleSourcesList(const QJsonObject &reply);
    void handleVolume(const QJsonObject &reply);
    void handleStreamingStatus(const QJsonObject &reply);
    void handleTransitionList(const QJsonObject &reply);
    // Scenes: asked once the log-in is through, then followed by the event notices.
    void queryScenes() const;
    bool handleSceneReply(int id, const QJsonObject &reply);
    void handleEvent(const QJsonObject &event);
    void readSceneNames(const QJsonArray &scenes);

    bool m_loggedIn = false;
    bool m_passwordRefused = false;
    QList<QPair<Request, QJsonObject>> m_heldCommands;
};
