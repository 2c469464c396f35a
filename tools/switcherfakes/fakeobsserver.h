#pragma once

#include "fakeobsstate.h"

#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QUrl>

class QWebSocket;
class QWebSocketServer;

// The common part of the fake OBS servers: a WebSocket server on a given address, the OBS state it
// serves, the password with its salt and challenge, and a record of every message it received.
class FakeObsServer : public QObject
{
    Q_OBJECT

public:
    explicit FakeObsServer(const QString &serverName, QObject *parent = nullptr);
    ~FakeObsServer() override;

    bool listen(const QHostAddress &address, quint16 port = 0);
    // Stops listening and drops every client.
    void close();
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    QUrl url() const;

    // An empty password means OBS asks for none.
    void setPassword(const QString &password);
    QString password() const;
    void setSalt(const QString &salt);
    QString salt() const;
    void setChallenge(const QString &challenge);
    QString challenge() const;

    FakeObsState &state();
    void setState(const FakeObsState &state);

    // Every message received, in order; text that was no JSON object is recorded as an empty object.
    QList<QJsonObject> received() const;
    // The received requests of one type ("GetVolume", "GetInputList", ...).
    QList<QJsonObject> requestsOfType(const QString &type) const;
    // The request type of a received message, empty when it is no request of this dialect.
    virtual QString requestTypeOf(const QJsonObject &message) const = 0;
    void clearReceived();

    int connectionCount() const;
    int clientCount() const;
    // Close codes this server sent when it closed a client.
    QList<int> closeCodesSent() const;

    // Sends a text to every client as it is, for messages OBS might send unasked.
    void sendToClients(const QString &text);
    // Closes every client with a normal closure, as OBS does when it quits.
    void disconnectClients();
    // Pings every client. A client answers a ping only after it has handled every message sent before it,
    // and its answer arrives after every message it sent before; so a pong marks a point both ways.
    void pingClients();

    // Switch as the operator does in OBS: the state changes and the clients hear the dialect's events.
    // A scene that is not in the list is added first. A preview scene is refused (false) while studio
    // mode is off.
    virtual void setProgramScene(const QString &scene) = 0;
    virtual bool setPreviewScene(const QString &scene) = 0;
    virtual void setStudioMode(bool on) = 0;

    // The authentication answer computed here, independently of the program's code.
    static QString authResponse(const QString &password, const QString &salt, const QString &challenge);

Q_SIGNALS:
    void messageReceived(const QJsonObject &message);
    void clientConnected();
    void clientDisconnected();
    void pongReceived();

protected:
    virtual void onClientConnected(QWebSocket *client) = 0;
    virtual void onClientMessage(QWebSocket *client, const QJsonObject &message, bool wellFormed) = 0;
    virtual void onClientGone(QWebSocket *client);

    void sendJson(QWebSocket *client, const QJsonObject &message);
    void closeClient(QWebSocket *client, int closeCode, const QString &reason);
    QList<QWebSocket *> clients() const;

private:
    void onNewConnection();

    QWebSocketServer *m_server = nullptr;
    QList<QWebSocket *> m_clients;
    FakeObsState m_state;
    QString m_password;
    QString m_salt;
    QString m_challenge;
    QList<QJsonObject> m_received;
    QList<int> m_closeCodesSent;
    int m_connectionCount = 0;
};
