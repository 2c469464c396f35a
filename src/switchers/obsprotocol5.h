#pragma once

#include "obsprotocol.h"

#include <QList>
#include <QSet>
#include <QStringList>

// obs-websocket 5.x (built into OBS Studio 28 and later): op-coded messages, an Identify handshake after
// the server's Hello, requests with a requestType and a client-chosen requestId, and event notices for
// the subscribed categories. Fills the same state as the 4.x dialect.
class ObsProtocol5 : public ObsProtocol
{
public:
    enum OpCode {
        Hello = 0,
        Identify = 1,
        Identified = 2,
        Event = 5,
        Request = 6,
        RequestResponse = 7,
    };
    // EventSubscription bits: scenes (program and preview), inputs (mute and volume), transitions, outputs
    // (stream and record) and the user interface (studio mode).
    enum Subscription {
        SubscribeScenes = 1 << 2,
        SubscribeInputs = 1 << 3,
        SubscribeTransitions = 1 << 4,
        SubscribeOutputs = 1 << 6,
        SubscribeUi = 1 << 10,
    };
    static constexpr int RpcVersion = 1;
    // Volumes OBS accepts in SetInputVolume; also what a silent input (mul 0, no dB value) reports.
    static constexpr double MinVolumeDb = -100.0;
    static constexpr double MaxVolumeDb = 26.0;
    // The RequestStatus of a volume or mute request for an input that has no audio.
    static constexpr int InvalidResourceState = 604;
    // Commands kept while OBS has not yet confirmed the session.
    static constexpr int MaxHeldCommands = 32;

    ObsProtocol5(ObsState &state, const QString &password, Sender sender);

    // True for the server's Hello: what tells a 5.x server from a 4.x one.
    static bool isHello(const QJsonObject &message);
    // Answers the Hello's data with Identify.
    void identify(const QJsonObject &helloData);
    bool isIdentified() const { return m_identified; }

    int version() const override { return 5; }
    bool isLoggedIn() const override { return m_identified; }
    void handleMessage(const QJsonObject &message) override;
    void poll() override;

    void setVolume(double volumeDb, const QString &source) override;
    void toggleMute(const QString &source) override;
    void startStopStreaming() override;
    void startStopRecording() override;
    void setCurrentTransition(const QString &name) override;

private:
    static QJsonObject request(const QString &type, const QString &requestId, const QJsonObject &data = {});
    static QJsonObject inputRequest(const QString &type, const QString &inputName, QJsonObject data = {});
    // Poll requests are dropped until OBS has confirmed the session; commands wait for it.
    void sendQuery(const QJsonObject &message) const;
    void sendCommand(const QJsonObject &message);
    void handleResponse(const QJsonObject &data);
    void handleEvent(const QJsonObject &data);
    void handleInputList(const QJsonObject &response);
    void setAudioCapable(const QString &inputName, bool audio);
    void forgetRemovedInputs(QSet<QString> &inputs) const;
    void rebuildSourceNames();
    // Scenes: asked once identified, then followed by the events.
    void queryScenes();
    bool handleSceneResponse(const QString &type, bool ok, const QJsonObject &response);
    bool handleSceneEvent(const QString &type, const QJsonObject &event);
    void readSceneNames(const QJsonArray &scenes);

    bool m_identified = false;
    QList<QJsonObject> m_heldCommands;
    // Inputs of the last GetInputList reply, in OBS's order, and those known to carry audio; the
    // reported source list is the first filtered by the second. Inputs OBS said have no audio are not
    // asked again while they exist.
    QStringList m_inputNames;
    QSet<QString> m_audioInputs;
    QSet<QString> m_inputsWithoutAudio;
};
