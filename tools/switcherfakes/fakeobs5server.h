#pragma once

#include "fakeobsserver.h"

#include <QHash>
#include <QJsonArray>

// A fake OBS Studio with obs-websocket 5.0 (rpc version 1): Hello on connection, Identify with the
// SHA-256 authentication (a wrong answer closes with 4009), op-coded requests answered with a
// RequestResponse, and events for the categories a client subscribed to. It closes the connection the
// way OBS does when a client breaks the protocol (a 4.x request, a request before Identify, an unknown
// op code). Commands change the served state.
class FakeObs5Server : public FakeObsServer
{
    Q_OBJECT

public:
    // obs-websocket's close codes and request status codes used here.
    enum CloseCode {
        MessageDecodeError = 4002,
        MissingDataField = 4003,
        UnknownOpCode = 4006,
        NotIdentified = 4007,
        AlreadyIdentified = 4008,
        AuthenticationFailed = 4009,
        UnsupportedRpcVersion = 4010,
    };
    enum RequestStatus {
        Success = 100,
        MissingRequestType = 203,
        UnknownRequestType = 204,
        MissingRequestField = 300,
        InvalidRequestFieldType = 401,
        RequestFieldOutOfRange = 402,
        TooManyRequestFields = 404,
        StudioModeNotActive = 506,
        ResourceNotFound = 600,
        InvalidResourceState = 604,
    };
    enum EventSubscription {
        Scenes = 1 << 2,
        Inputs = 1 << 3,
        Transitions = 1 << 4,
        Outputs = 1 << 6,
        Ui = 1 << 10,
        // General to Vendors; not the user interface.
        All = 0x3ff,
    };

    explicit FakeObs5Server(QObject *parent = nullptr);

    QString requestTypeOf(const QJsonObject &message) const override;
    // The event subscriptions each identified client asked for, in identification order.
    QList<int> identifiedSubscriptions() const;
    // A busy OBS: Identify is answered this long after it arrived; until then the client is not
    // identified, and a request closes it as OBS does.
    void setIdentifyDelay(int ms);
    // Sends an event to every identified client subscribed to its category.
    void broadcastEvent(const QString &eventType, int intent, const QJsonObject &eventData = {});

    void setProgramScene(const QString &scene) override;
    bool setPreviewScene(const QString &scene) override;
    void setStudioMode(bool on) override;

protected:
    void onClientConnected(QWebSocket *client) override;
    void onClientMessage(QWebSocket *client, const QJsonObject &message, bool wellFormed) override;
    void onClientGone(QWebSocket *client) override;

private:
    struct Result
    {
        int code = Success;
        QString comment;
        QJsonObject data;
    };
    void handleIdentify(QWebSocket *client, const QJsonObject &data);
    void confirmIdentify(QWebSocket *client, int subscriptions);
    void handleRequest(QWebSocket *client, const QJsonObject &data);
    Result runRequest(const QString &type, const QJsonObject &requestData);
    Result audioInput(const QJsonObject &requestData, FakeObsSource **source);
    // The scene requests; false when type is none of them.
    bool runSceneRequest(const QString &type, const QJsonObject &requestData, Result &result);

    // Adds a scene not listed yet and tells the clients.
    void addScene(const QString &scene);
    QJsonArray sceneList();

    // Subscriptions of identified clients; absent while a client has not identified.
    QHash<QWebSocket *, int> m_subscriptions;
    QList<int> m_identifiedSubscriptions;
    int m_identifyDelayMs = 0;
};
