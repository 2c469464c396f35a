#pragma once

#include "vmixinput.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// The program's link to vMix over its HTTP web API. Twice a second while polling it fetches the XML state
// document and caches the inputs, the master audio and the streaming, recording and playlist flags;
// commands are single GET requests whose replies are ignored. Nothing waits for vMix and there is no
// connection state: while vMix is unreachable the cache keeps the values of the last good document.
class VMixWrapper : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 500;
    // Every request gives up after this long, so a hanging vMix cannot hold requests open.
    static constexpr int DefaultRequestTimeoutMs = 2000;
    // Answers of this size or larger are given up: vMix writes a few kilobytes per input in its state
    // document and one line in answer to a command. Without a bound, a peer answering with a body that
    // never ends would fill the memory (a transfer that keeps going never times out).
    static constexpr qint64 MaxStateBytes = 16 * 1024 * 1024;
    static constexpr qint64 MaxCommandReplyBytes = 64 * 1024;

    VMixWrapper(const QString &ip,
                int port,
                const QString &userId,
                const QString &password,
                QObject *parent = nullptr);
    ~VMixWrapper() override;

    // The next request uses the new values; a state request still under way is given up.
    void resetConnection(const QString &ip, int port, const QString &userId, const QString &password);
    void startPolling();
    void stopPolling();
    bool isPolling() const;

    QString ip() const;
    int port() const;
    QString userId() const;

    void setRequestTimeout(int ms);
    int requestTimeout() const;

    QList<VMixInput> inputs() const;
    bool isStreaming() const;
    bool isRecording() const;
    bool isPlayListOn() const;
    bool isMasterMuted() const;
    double masterVolume() const;

    // Tally. The link counts as up from a good document until two polls in a row failed (and while not
    // polling, as down); the cache above keeps the last good document's values either way. The inputs on
    // air and in preview carry number 0 while the link is down or the document names none.
    static constexpr int TallyFailedPolls = 2;
    bool isTallyLinkUp() const;
    VMixInput activeInput() const;
    VMixInput previewInput() const;

    // 0 QuickPlay, 1 Cut, 2-5 Transition1-4, 6 FadeToBlack; any other value requests the bare command
    // URL, which calls no function.
    void applyTransition(int transition);
    void setMasterVolume(int volume);
    void previewInput(const QString &key);
    void setVolume(double volume, const QString &key);
    void startPlayList();
    void stopPlayList();
    void toggleAudio(const QString &key);
    void toggleMasterAudio();
    void startStopRecording();
    void startStopStreaming();

Q_SIGNALS:
    // A state request has ended; ok when its document was read into the cache.
    void statePolled(bool ok);
    // The tally link state or the inputs on air or in preview changed.
    void tallyChanged();

public Q_SLOTS:
    void finishGettingInputLists(QNetworkReply *reply);
    void vmixReplied(QNetworkReply *reply);
    void onVMixTimer();

private:
    QUrl baseUrl() const;
    void sendCommand(const QString &function, const QList<QPair<QString, QString>> &parameters = {});
    void sendRequest(QNetworkAccessManager *manager, const QUrl &url);
    // down: the link counts as down at once.
    void updateTally(bool polledOk, int active, int preview, bool down = false);
    VMixInput inputNumbered(int number) const;

    QNetworkAccessManager *m_statusManager = nullptr;
    QNetworkAccessManager *m_commandManager = nullptr;
    QString m_ip;
    int m_port = 0;
    QString m_userId;
    QString m_password;
    QList<VMixInput> m_inputs;
    bool m_streaming = false;
    bool m_recording = false;
    bool m_playListOn = false;
    bool m_masterMuted = false;
    double m_masterVolume = 0;
    QTimer *m_timer = nullptr;
    int m_requestTimeout = DefaultRequestTimeoutMs;
    // The state request under way; a tick while it runs is skipped.
    QPointer<QNetworkReply> m_stateReply;
    int m_failedPolls = TallyFailedPolls;
    int m_active = 0;
    int m_preview = 0;
};
