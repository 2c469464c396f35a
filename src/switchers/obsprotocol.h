#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

struct ObsState;

// One dialect of obs-websocket spoken over an open connection. The link picks the dialect per connection
// and hands it the connection's messages; the dialect writes what OBS reports into the shared state and
// turns the link's operations into requests.
class ObsProtocol
{
public:
    using Sender = std::function<void(const QJsonObject &message)>;

    ObsProtocol(ObsState &state, const QString &password, Sender sender);
    virtual ~ObsProtocol();

    ObsProtocol(const ObsProtocol &) = delete;
    ObsProtocol &operator=(const ObsProtocol &) = delete;

    virtual int version() const = 0;
    // OBS accepted the session (no password asked, or the password was right).
    virtual bool isLoggedIn() const = 0;
    // OBS refused the password on this connection.
    virtual bool passwordRefused() const { return false; }
    virtual void handleMessage(const QJsonObject &message) = 0;
    virtual void poll() = 0;

    virtual void setVolume(double volumeDb, const QString &source) = 0;
    virtual void toggleMute(const QString &source) = 0;
    virtual void startStopStreaming() = 0;
    virtual void startStopRecording() = 0;
    virtual void setCurrentTransition(const QString &name) = 0;

    // The obs-websocket answer to an authentication challenge (the same in 4.x and 5.x):
    // Base64(SHA-256(Base64(SHA-256(password + salt)) + challenge)).
    static QString authResponse(const QString &password, const QString &salt, const QString &challenge);

protected:
    void send(const QJsonObject &message) const;

    ObsState &m_state;
    QString m_password;

private:
    Sender m_sender;
};
