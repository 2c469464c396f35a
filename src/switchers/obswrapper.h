#pragma once

#include "obsstate.h"

#include <QAbstractSocket>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ObsProtocol;
class QTimer;
class QWebSocket;

// The program's link to OBS Studio over obs-websocket. It keeps a cached picture of OBS (audio sources,
// transitions, streaming and recording) that the web API reads at any time, refreshes it twice a second
// while polling, and sends commands without waiting for their replies.
//
// Right after the socket connects the link waits for a 5.x Hello; when none comes within the hello
// timeout it speaks 4.x. Both fill the same cache. Commands given while the dialect is not known yet are
// held (the newest of each kind) and sent once it is; they are lost only while the link is down.
//
// While the link is wanted (openConnection() without closeConnection() since) and polled (OBS control
// is on), a link that drops or fails to open is re-opened by itself after 1, 2, 4, 8 and then every 10
// seconds; after OBS refused the password, every 10 seconds with one warning. openConnection() always
// opens at once and starts the back-off anew.
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
    // Commands held while the dialect of a fresh connection is not known yet.
    static constexpr int MaxHeldCommands = 16;
    // The waits before the automatic re-openings: the last one repeats.
    static constexpr int RetryDelaysMs[] = {1000, 2000, 4000, 8000, 10000};
    static constexpr int PasswordRetryMs = 10000;

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

    // Tally: whether a connection is open and its dialect known, the scene on air and the scene in preview
    // (empty when studio mode is off or while not known). All empty while the link is down.
    bool isLinkUp() const;
    QString programScene() const;
    QString previewScene() const;
    bool isStudioMode() const;
    // The scenes OBS has, top of its list first (asked once per connection, then kept by its events).
    QStringList scenes() const;

Q_SIGNALS:
    void linkUpChanged(bool up);
    void programSceneChanged(const QString &scene);
    void previewSceneChanged(const QString &scene);

public Q_SLOTS:
    void disconnectedFromOBS();
    void connectedToOBS();
    void messageReceived(const QString &msg);
    void error(QAbstractSocket::SocketError err);
    void serverStateChanged(QAbstractSocket::SocketState state);
    void onOBSTimer();

private:
    struct HeldCommand
    {
        QString kind;
        std::function<void(ObsProtocol &)> apply;
    };

    void open();
    void onHelloTimeout();
    void startProtocol(std::unique_ptr<ObsProtocol> protocol);
    void resetProtocol();
    void sendMessage(const QJsonObject &message);
    // Runs the command on the current dialect, holds it while the dialect is not known, or drops it
    // with "OBS not connected, <what> lost".
    void command(const QString &kind, const char *what, std::function<void(ObsProtocol &)> apply);
    void dropHeldCommands();
    void checkLogIn();
    void scheduleReconnect();
    void reconnect();
    // Emits what changed in the link state and the scenes since the last call.
    void reportSceneChanges();

    QTimer *m_timer = nullptr;
    QString m_ip;
    int m_port = 0;
    QString m_password;
    QWebSocket *m_socket = nullptr;
    ObsState m_state;
    QTimer *m_helloTimer = nullptr;
    std::unique_ptr<ObsProtocol> m_protocol;
    QList<HeldCommand> m_heldCommands;
    QTimer *m_reconnectTimer = nullptr;
    int m_retryAttempt = 0;
    bool m_wanted = false;
    // OBS refused the password since the last successful log-in, and whether the operator was told.
    bool m_passwordRefused = false;
    bool m_passwordWarned = false;
    // As last reported.
    bool m_reportedUp = false;
    QString m_reportedProgram;
    QString m_reportedPreview;
};
