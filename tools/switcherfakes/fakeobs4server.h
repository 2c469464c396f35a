#pragma once

#include "fakeobsserver.h"

#include <QSet>

// A fake OBS Studio with obs-websocket 4.9: requests by "request-type" with a "message-id" echoed in the
// reply, "status" "ok" or "error", the GetAuthRequired/Authenticate log-in, and event notices
// ("update-type") after changes. Commands change the served state.
class FakeObs4Server : public FakeObsServer
{
    Q_OBJECT

public:
    explicit FakeObs4Server(QObject *parent = nullptr);

    QString requestTypeOf(const QJsonObject &message) const override;
    // Sends an event notice to every authenticated client.
    void broadcastEvent(const QString &updateType, const QJsonObject &fields = {});

    void setProgramScene(const QString &scene) override;
    bool setPreviewScene(const QString &scene) override;
    void setStudioMode(bool on) override;

protected:
    void onClientConnected(QWebSocket *client) override;
    void onClientMessage(QWebSocket *client, const QJsonObject &message, bool wellFormed) override;
    void onClientGone(QWebSocket *client) override;

private:
    // Fills the reply's fields; returns an error text, or an empty one on success.
    QString
    handleRequest(QWebSocket *client, const QString &type, const QJsonObject &request, QJsonObject &reply);
    // The scene requests; false when type is none of them.
    bool
    handleSceneRequest(const QString &type, const QJsonObject &request, QJsonObject &reply, QString &error);

    // Adds a scene not listed yet and tells the clients.
    void addScene(const QString &scene);

    QSet<QWebSocket *> m_authenticated;
};
