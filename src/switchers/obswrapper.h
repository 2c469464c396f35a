#pragma once

#include "obsstate.h"

#include <QAbstractSocket>
#include <QJsonArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ObsProtocol;
class QTimer;
class QWebSocket;

// The program's link to OBS Studio over obs-websocket. It keeps a cached picture of OBS (audio sources,
// transitions, streaming and recording) that the web API reads at any time, refreshes it twice a second
// while polling, and sends commands without waiting for their replies.
//
// Right after the socket connects the link waits for a 5.x Hello; when none comes within the hello
// timeout it speaks 4.x. Both fill the same cache. There is no automatic reconnection: a connection that
// fails or drops stays down until openConnection() is called again.
class ObsWrapper : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 500;
    static constexpr int DefaultHelloTimeoutMs = 1500;
    // A larger message from OBS closes the link (WebSocket close code 1009). The biggest answer the link
    // asks for, a source list, is a few hundred kilobytes even for a large show; without a bound a peer
    // could make the program hold a message of any size.
    static constexpr qint64 MaxIncomingMessageBytes = 16 * 1024 * 1024;

    ObsWrapper(const QString &ip, int port, const QString &password, QObject *parent = nullptr);
    ~ObsWrapper() override;

    void openConnection();
    void closeConnection();
    void startPolling();
    void stopPolling();
    bool isPolling() const;

    // Take effect at the next openConnection().
    void setIp(const QString &ip);
    void setPort(int port);
    void setPassword(const QString &password);
    QString ip() const;
    int port() const;

    // How long a fresh connection waits for a 5.x Hello before speaking 4.x.
    void setHelloTimeout(int ms);
    int helloTimeout() const;
    // 4 or 5 once the dialect of the current connection is known, 0 before and while disconnected.
    int protocolVersion() const;

    bool isStreaming() const;
    bool isRecording() const;
    QString currentTransition() const;
    QStringList transitions() const;
    // One object per source of OBS's last source list, in its order: "name", "volume" (dB, 0 when none is
    // known yet), "muted" (false when not known yet).
    QJsonArray sourcesJson() const;

    void setVolume(double volume, const QString &source);
    void toggleMute(const QString &source);
    void startStopStreaming();
    void startStopRecording();
    void setCurrentTransition(const QString &name);

public Q_SLOTS:
    void disconnectedFromOBS();
    void connectedToOBS();
    void messageReceived(const QString &msg);
    void error(QAbstractSocket::SocketError err);
    void serverStateChanged(QAbstractSocket::SocketState state);
    void onOBSTimer();

private:
    void onHelloTimeout();
    void resetProtocol();
    void sendMessage(const QJsonObject &message);

    QTimer *m_timer = nullptr;
    QString m_ip;
    int m_port = 0;
    QString m_password;
    QWebSocket *m_socket = nullptr;
    ObsState m_state;
    QTimer *m_helloTimer = nullptr;
    std::unique_ptr<ObsProtocol> m_protocol;
};
