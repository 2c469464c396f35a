#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "obsprotocol5.h"
#include "obsstate.h"
#include "obswrapper.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

// ObsWrapper against fake OBS servers speaking obs-websocket 4.x and 5.x over real WebSockets: the
// choice of dialect, the log-in, the poll and its caches, the commands on the wire, and what the link
// does when OBS errs or goes away.

using ObsCommand = std::function<void(ObsWrapper &)>;
using ObsCheck = std::function<bool(const FakeObsState &)>;
Q_DECLARE_METATYPE(ObsCommand)
Q_DECLARE_METATYPE(ObsCheck)

namespace {

// One address per server kind; the servers take a free port.
const QHostAddress Obs4Address(QStringLiteral("127.0.4.1"));
const QHostAddress Obs5Address(QStringLiteral("127.0.4.2"));
// A 4.x server never says Hello, so links to one wait only briefly for it; links to a 5.x server keep the
// production wait, which a Hello ends at once.
constexpr int ShortHelloMs = 50;
constexpr int WaitMs = 5000;

// The authentication examples of the obs-websocket documents, and answers computed outside this code.
const QString DocPassword = QStringLiteral("supersecretpassword");
const QString Doc4Salt = QStringLiteral("PZVbYpvAnZut2SS6JNJytDm9");
const QString Doc4Challenge = QStringLiteral("ztTBnnuqrqaKDzRM3xcVdbYm");
const QString Doc4Auth = QStringLiteral("zZgWipvwSGrw748kHN4gNpBC1IaeiiWX3Hjkrm849Sc=");
const QString Doc5Salt = QStringLiteral("lM1GncleQOaCu9lT1yeUZhFYnqhsLLP1G5lAGo3ixaI=");
const QString Doc5Challenge = QStringLiteral("+IxH4CnCiqpX1rM9scsNynZzbOe4KhDeYcTNS3PDaeY=");
const QString Doc5Auth = QStringLiteral("1Ct943GAT+6YQUUX47Ia/ncufilbe6+oD6lY+5kaCu4=");
const QString UnicodePassword = QStringLiteral("pässwörd €");
const QString UnicodeAuth = QStringLiteral("B8s35isEm/ccvW8B3jwxENLwdI8ec4xs27rsL63DSGc=");

// Names as OBS users have them.
const QString DesktopAudio = QStringLiteral("Desktop Audio");
const QString MicAux = QStringLiteral("Mic/Aux");
const QString OddName = QStringLiteral("Kamera \u201eB\u00fchne\u201c #1 & 2");

std::unique_ptr<FakeObsServer> startServer(int version)
{
    std::unique_ptr<FakeObsServer> server;
    if (version == 4)
        server = std::make_unique<FakeObs4Server>();
    else
        server = std::make_unique<FakeObs5Server>();
    if (!server->listen(version == 4 ? Obs4Address : Obs5Address))
        return nullptr;
    return server;
}

std::unique_ptr<ObsWrapper> linkTo(const FakeObsServer &server, const QString &password = {})
{
    auto link = std::make_unique<ObsWrapper>(server.address().toString(), server.port(), password);
    if (qobject_cast<const FakeObs4Server *>(&server))
        link->setHelloTimeout(ShortHelloMs);
    return link;
}

// Waits until the link has handled every message the server sent so far and the server every message
// the link sent so far.
bool sync(FakeObsServer &server)
{
    QSignalSpy pongs(&server, &FakeObsServer::pongReceived);
    server.pingClients();
    return pongs.wait(WaitMs);
}

// Enough round trips for a poll to settle: the lists, then the per-source requests they cause.
bool settle(FakeObsServer &server)
{
    return sync(server) && sync(server) && sync(server);
}

// Opens the link and waits until it has logged in (4.x: its log-in requests answered; 5.x: identified).
bool connectLink(ObsWrapper &link, FakeObsServer &server, int version)
{
    const int identifiedBefore
        = version == 5 ? int(static_cast<FakeObs5Server &>(server).identifiedSubscriptions().size()) : 0;
    link.openConnection();
    if (!QTest::qWaitFor([&] { return link.protocolVersion() == version; }, WaitMs))
        return false;
    if (version == 5) {
        auto &server5 = static_cast<FakeObs5Server &>(server);
        if (!QTest::qWaitFor([&] { return server5.identifiedSubscriptions().size() > identifiedBefore; },
                             WaitMs))
            return false;
    }
    return settle(server);
}

bool pollSettled(ObsWrapper &link, FakeObsServer &server)
{
    link.onOBSTimer();
    return settle(server);
}

// What the link must report for the server's sources: OBS's order, volumes in dB (silence as -100).
QJsonArray expectedSources(const FakeObsState &state, bool audioOnly)
{
    QJsonArray sources;
    for (const FakeObsSource &source : state.sources) {
        if (audioOnly && !source.audio)
            continue;
        const double db = std::max(-100.0, FakeObsState::mulToDb(source.volumeMul));
        sources.append(QJsonObject{{QStringLiteral("name"), source.name},
                                   {QStringLiteral("volume"), db},
                                   {QStringLiteral("muted"), source.muted}});
    }
    return sources;
}

FakeObsState audioOnlyState()
{
    FakeObsState state;
    state.sources = {{DesktopAudio, QStringLiteral("wasapi_output_capture"), true, 1.0, false},
                     {MicAux, QStringLiteral("wasapi_input_capture"), true, 0.5, true},
                     {OddName, QStringLiteral("dshow_input"), true, 0.125, false}};
    state.transitions = {QStringLiteral("Cut"), QStringLiteral("Fade"), QStringLiteral("Fade to Color")};
    state.currentTransition = QStringLiteral("Fade to Color");
    return state;
}

// A server of that version with audio sources only, and a link logged in to it that has polled once.
bool linkAndPoll(int version, std::unique_ptr<FakeObsServer> &server, std::unique_ptr<ObsWrapper> &link)
{
    server = startServer(version);
    if (!server)
        return false;
    server->setState(audioOnlyState());
    link = linkTo(*server);
    return connectLink(*link, *server, version) && pollSettled(*link, *server);
}

// Everything the web API can read from the link.
QJsonObject snapshot(const ObsWrapper &link)
{
    return {{QStringLiteral("streaming"), link.isStreaming()},
            {QStringLiteral("recording"), link.isRecording()},
            {QStringLiteral("sources"), link.sourcesJson()},
            {QStringLiteral("transitions"), QJsonArray::fromStringList(link.transitions())},
            {QStringLiteral("current"), link.currentTransition()}};
}

// One row per dialect, for tests that only differ by it.
void addVersionRows()
{
    QTest::addColumn<int>("version");
    QTest::newRow("4.x") << 4;
    QTest::newRow("5.x") << 5;
}

QJsonObject requestData(const QJsonObject &message5)
{
    return message5.value(QLatin1String("d")).toObject();
}

} // namespace

class TestObsWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialStateAndCommandsWhileDown();
    void obs4WithoutPasswordSkipsAuthenticate();
    void obs5HelloIsAnsweredWithIdentify();
    void obs5CommandsWaitForIdentified();
    void authentication_data();
    void authentication();
    void wrongPassword_data();
    void wrongPassword();
    void sameCachesFromBothVersions_data();
    void sameCachesFromBothVersions();
    void obs4ThreeSourcesThreeGetVolume();
    void obs4VolumeOfUnknownNameIsNotReported();
    void unlistedValuesAreRememberedWithinABound_data();
    void unlistedValuesAreRememberedWithinABound();
    void oversizedMessageClosesTheLink_data();
    void oversizedMessageClosesTheLink();
    void obs5ReportsOnlyAudioInputs();
    void messagesThatChangeNothing_data();
    void messagesThatChangeNothing();
    void commands_data();
    void commands();
    void commandEffectsReachTheCache_data();
    void commandEffectsReachTheCache();
    void reconnectsWhenServerReturns_data();
    void reconnectsWhenServerReturns();
    void noReconnectionWhenClosedOrNotPolled();
    void obs4CommandsBeforeTheDialectIsKnown_data();
    void obs4CommandsBeforeTheDialectIsKnown();
    void reconnectDetectsTheNewServersVersion();
};

void TestObsWrapper::initialStateAndCommandsWhileDown()
{
    ObsWrapper link(QStringLiteral("127.0.4.3"), 4455, QStringLiteral("secret"));
    QCOMPARE(link.helloTimeout(), 1500);
    QCOMPARE(link.ip(), QStringLiteral("127.0.4.3"));
    QCOMPARE(link.port(), 4455);
    QCOMPARE(link.protocolVersion(), 0);
    QVERIFY(!link.isPolling());
    QVERIFY(!link.isStreaming());
    QVERIFY(!link.isRecording());
    QCOMPARE(link.sourcesJson(), QJsonArray());
    QCOMPARE(link.transitions(), QStringList());
    QCOMPARE(link.currentTransition(), QString());

    // Nothing is connected: every command and poll is lost without harm.
    link.setVolume(-3, DesktopAudio);
    link.toggleMute(MicAux);
    link.startStopStreaming();
    link.startStopRecording();
    link.setCurrentTransition(QStringLiteral("Fade"));
    link.onOBSTimer();
    link.closeConnection();

    link.setIp(QStringLiteral("127.0.4.4"));
    link.setPort(4444);
    QCOMPARE(link.ip(), QStringLiteral("127.0.4.4"));
    QCOMPARE(link.port(), 4444);
    link.startPolling();
    QVERIFY(link.isPolling());
    link.stopPolling();
    QVERIFY(!link.isPolling());
}

void TestObsWrapper::obs4WithoutPasswordSkipsAuthenticate()
{
    auto server = startServer(4);
    QVERIFY(server);
    auto link = linkTo(*server);
    QVERIFY(connectLink(*link, *server, 4));

    const QList<QJsonObject> authQueries = server->requestsOfType(QStringLiteral("GetAuthRequired"));
    QCOMPARE(authQueries.size(), 1);
    QCOMPARE(authQueries.first(),
             (QJsonObject{{QStringLiteral("request-type"), QStringLiteral("GetAuthRequired")},
                          {QStringLiteral("message-id"), QStringLiteral("0")}}));
    QVERIFY(pollSettled(*link, *server));
    QVERIFY(server->requestsOfType(QStringLiteral("Authenticate")).isEmpty());

    // The poll: three lists with their fixed message-ids, then the sources' volumes.
    const QList<QPair<QString, QString>> pollRequests{
        {QStringLiteral("GetSourcesList"), QStringLiteral("2")},
        {QStringLiteral("GetTransitionList"), QStringLiteral("9")},
        {QStringLiteral("GetStreamingStatus"), QStringLiteral("4")}};
    for (const auto &[type, id] : pollRequests) {
        const QList<QJsonObject> sent = server->requestsOfType(type);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().value(QLatin1String("message-id")).toString(), id);
    }
    // 4.x lists every source, with or without audio.
    QCOMPARE(link->sourcesJson(), expectedSources(server->state(), false));
    QCOMPARE(link->transitions(), server->state().transitions);
    QCOMPARE(link->currentTransition(), QStringLiteral("Fade"));

    // The timer does the same on its own.
    server->clearReceived();
    link->startPolling();
    QTRY_VERIFY_WITH_TIMEOUT(server->requestsOfType(QStringLiteral("GetStreamingStatus")).size() >= 2,
                             WaitMs);
}

void TestObsWrapper::obs5HelloIsAnsweredWithIdentify()
{
    auto server = startServer(5);
    QVERIFY(server);
    auto link = linkTo(*server);
    QCOMPARE(link->helloTimeout(), ObsWrapper::DefaultHelloTimeoutMs);
    constexpr int helloMs = 200;
    link->setHelloTimeout(helloMs);
    QVERIFY(connectLink(*link, *server, 5));

    // The first message is the Identify: no password, rpc 1, and events for scenes, inputs, transitions,
    // outputs and the user interface (studio mode); once identified, the scenes are asked for.
    const QJsonObject identify = server->received().value(0);
    QCOMPARE(identify.value(QLatin1String("op")).toInt(), 1);
    QCOMPARE(requestData(identify),
             (QJsonObject{{QStringLiteral("rpcVersion"), 1},
                          {QStringLiteral("eventSubscriptions"),
                           FakeObs5Server::Scenes | FakeObs5Server::Inputs | FakeObs5Server::Transitions
                               | FakeObs5Server::Outputs | FakeObs5Server::Ui}}));
    const QStringList sceneQueries{QStringLiteral("GetStudioModeEnabled"),
                                   QStringLiteral("GetCurrentProgramScene"),
                                   QStringLiteral("GetCurrentPreviewScene"), QStringLiteral("GetSceneList")};

    // Well past the hello wait, the server has heard no 4.x request and closed nothing.
    QTest::qWait(3 * helloMs);
    QVERIFY(sync(*server));
    QStringList types;
    for (const QJsonObject &message : server->received().mid(1))
        types.append(server->requestTypeOf(message));
    QCOMPARE(types, sceneQueries);
    QCOMPARE(server->closeCodesSent(), QList<int>());
    QCOMPARE(server->clientCount(), 1);
    QCOMPARE(link->protocolVersion(), 5);
    QCOMPARE(link->programScene(), server->state().programScene);
    QCOMPARE(link->previewScene(), server->state().previewScene);
    QVERIFY(link->isStudioMode());
    QCOMPARE(link->scenes(), server->state().scenes);
}

void TestObsWrapper::obs5CommandsWaitForIdentified()
{
    auto server = startServer(5);
    QVERIFY(server);
    auto &server5 = static_cast<FakeObs5Server &>(*server);
    server->setState(audioOnlyState());
    server->state().currentTransition = QStringLiteral("Cut");
    server5.setIdentifyDelay(300);
    auto link = linkTo(*server);
    link->openConnection();
    QVERIFY(QTest::qWaitFor([&] { return !server->received().isEmpty(); }, WaitMs));
    QVERIFY(server5.identifiedSubscriptions().isEmpty());

    // The operator acts while OBS is still confirming the session; a poll comes due as well.
    link->startStopRecording();
    link->toggleMute(MicAux);
    link->setCurrentTransition(QStringLiteral("Fade"));
    link->onOBSTimer();
    // More than the link keeps: the last ones are dropped.
    for (int i = 0; i < ObsProtocol5::MaxHeldCommands; ++i)
        link->setVolume(-i, DesktopAudio);

    QVERIFY(QTest::qWaitFor([&] { return !server5.identifiedSubscriptions().isEmpty(); }, WaitMs));
    QVERIFY(sync(*server));
    // OBS closed nothing: no request reached it before it confirmed the session.
    QCOMPARE(server->closeCodesSent(), QList<int>());
    QCOMPARE(server->clientCount(), 1);
    QStringList types;
    for (const QJsonObject &message : server->received())
        types.append(server->requestTypeOf(message));
    const QStringList expected
        = QStringList{QString(), QStringLiteral("ToggleRecord"), QStringLiteral("ToggleInputMute"),
                      QStringLiteral("SetCurrentSceneTransition")}
          + QStringList(ObsProtocol5::MaxHeldCommands - 3, QStringLiteral("SetInputVolume"))
          // Then the scenes, for tally.
          + QStringList{QStringLiteral("GetStudioModeEnabled"), QStringLiteral("GetCurrentProgramScene"),
                        QStringLiteral("GetCurrentPreviewScene"), QStringLiteral("GetSceneList")};
    QCOMPARE(types, expected);
    QVERIFY(server->state().recording);
    QCOMPARE(server->state().currentTransition, QStringLiteral("Fade"));
    // The volumes arrived in the order given.
    const QList<QJsonObject> volumes = server->requestsOfType(QStringLiteral("SetInputVolume"));
    QCOMPARE(requestData(volumes.first())
                 .value(QLatin1String("requestData"))
                 .toObject()
                 .value(QLatin1String("inputVolumeDb"))
                 .toDouble(),
             0.0);
    QCOMPARE(requestData(volumes.last())
                 .value(QLatin1String("requestData"))
                 .toObject()
                 .value(QLatin1String("inputVolumeDb"))
                 .toDouble(),
             -double(ObsProtocol5::MaxHeldCommands - 4));

    // Once confirmed, commands and polls go out at once.
    server->clearReceived();
    link->startStopRecording();
    link->onOBSTimer();
    QVERIFY(sync(*server));
    QCOMPARE(server->requestsOfType(QStringLiteral("ToggleRecord")).size(), 1);
    QCOMPARE(server->requestsOfType(QStringLiteral("GetInputList")).size(), 1);
}

void TestObsWrapper::authentication_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("salt");
    QTest::addColumn<QString>("challenge");
    QTest::addColumn<QString>("expectedAuth");

    QTest::newRow("4.x documented example") << 4 << DocPassword << Doc4Salt << Doc4Challenge << Doc4Auth;
    QTest::newRow("4.x non-ASCII password")
        << 4 << UnicodePassword << Doc5Salt << Doc5Challenge << UnicodeAuth;
    QTest::newRow("5.x documented example") << 5 << DocPassword << Doc5Salt << Doc5Challenge << Doc5Auth;
    QTest::newRow("5.x non-ASCII password")
        << 5 << UnicodePassword << Doc5Salt << Doc5Challenge << UnicodeAuth;
}

void TestObsWrapper::authentication()
{
    QFETCH(int, version);
    QFETCH(QString, password);
    QFETCH(QString, salt);
    QFETCH(QString, challenge);
    QFETCH(QString, expectedAuth);

    auto server = startServer(version);
    QVERIFY(server);
    server->setPassword(password);
    server->setSalt(salt);
    server->setChallenge(challenge);
    auto link = linkTo(*server, password);
    QVERIFY(connectLink(*link, *server, version));

    auto authsSent = [&] {
        QStringList auths;
        for (const QJsonObject &message : server->received()) {
            if (version == 4
                && message.value(QLatin1String("request-type")).toString() == QLatin1String("Authenticate")) {
                // The log-in request always carries message-id "1".
                auths.append(message.value(QLatin1String("message-id")).toString() + QLatin1Char(' ')
                             + message.value(QLatin1String("auth")).toString());
            } else if (version == 5 && message.value(QLatin1String("op")).toInt() == 1) {
                auths.append(requestData(message).value(QLatin1String("authentication")).toString());
            }
        }
        return auths;
    };
    const QString prefix = version == 4 ? QStringLiteral("1 ") : QString();
    QCOMPARE(authsSent(), QStringList{prefix + expectedAuth});

    // The server accepted it: the poll is answered.
    QVERIFY(pollSettled(*link, *server));
    QCOMPARE(link->currentTransition(), QStringLiteral("Fade"));
    QVERIFY(!link->sourcesJson().isEmpty());

    // Each connection logs in once, answering that connection's challenge.
    const QString secondChallenge = QStringLiteral("c2Vjb25kIGNoYWxsZW5nZQ==");
    server->setChallenge(secondChallenge);
    link->closeConnection();
    QVERIFY(connectLink(*link, *server, version));
    QCOMPARE(authsSent(),
             (QStringList{prefix + expectedAuth,
                          prefix + FakeObsServer::authResponse(password, salt, secondChallenge)}));
    QCOMPARE(server->connectionCount(), 2);
}

void TestObsWrapper::wrongPassword_data()
{
    addVersionRows();
}

void TestObsWrapper::wrongPassword()
{
    QFETCH(int, version);
    auto server = startServer(version);
    QVERIFY(server);
    server->setPassword(QStringLiteral("right"));
    server->state().streaming = true;
    auto link = linkTo(*server, QStringLiteral("wrong"));
    link->startPolling();
    // One warning for the operator, however often the link tries again.
    QTest::ignoreMessage(QtWarningMsg, "OBS refused the password");
    QTest::failOnWarning("OBS refused the password");
    link->openConnection();

    // 4.x refuses the log-in and the link closes; 5.x closes with its own code.
    if (version == 4)
        QTRY_COMPARE_WITH_TIMEOUT(server->requestsOfType(QStringLiteral("Authenticate")).size(), 1, WaitMs);
    else
        QTRY_COMPARE_WITH_TIMEOUT(server->closeCodesSent(), QList<int>{FakeObs5Server::AuthenticationFailed},
                                  WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(server->clientCount(), 0, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(link->protocolVersion(), 0, WaitMs);
    link->toggleMute(MicAux);

    // No loop: the next attempt comes after ten seconds, and is refused the same way.
    QTest::qWait(ObsWrapper::PasswordRetryMs - 2000);
    QCOMPARE(server->connectionCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(server->connectionCount(), 2, 4000);
    if (version == 4)
        QTRY_COMPARE_WITH_TIMEOUT(server->requestsOfType(QStringLiteral("Authenticate")).size(), 2, WaitMs);
    else
        QTRY_COMPARE_WITH_TIMEOUT(server->closeCodesSent().size(), 2, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(server->clientCount(), 0, WaitMs);
    QVERIFY(server->requestsOfType(QStringLiteral("ToggleInputMute")).isEmpty());
    QVERIFY(server->requestsOfType(QStringLiteral("ToggleMute")).isEmpty());
    QVERIFY(!link->isStreaming());
    QCOMPARE(link->sourcesJson(), QJsonArray());
    QCOMPARE(link->transitions(), QStringList());
    QCOMPARE(link->currentTransition(), QString());

    // The right password, given through a reconnect, opens at once and logs in.
    link->setPassword(QStringLiteral("right"));
    QVERIFY(connectLink(*link, *server, version));
    QCOMPARE(server->connectionCount(), 3);
    QVERIFY(pollSettled(*link, *server));
    QVERIFY(link->isStreaming());
}

void TestObsWrapper::sameCachesFromBothVersions_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("streaming");
    QTest::addColumn<bool>("recording");
    for (int version : {4, 5}) {
        const QByteArray name = version == 4 ? "4.x" : "5.x";
        QTest::newRow((name + " idle").constData()) << version << false << false;
        QTest::newRow((name + " streaming").constData()) << version << true << false;
        QTest::newRow((name + " recording").constData()) << version << false << true;
        QTest::newRow((name + " both").constData()) << version << true << true;
    }
}

void TestObsWrapper::sameCachesFromBothVersions()
{
    QFETCH(int, version);
    QFETCH(bool, streaming);
    QFETCH(bool, recording);

    auto server = startServer(version);
    QVERIFY(server);
    FakeObsState state = audioOnlyState();
    state.streaming = streaming;
    state.recording = recording;
    server->setState(state);
    auto link = linkTo(*server);
    QVERIFY(connectLink(*link, *server, version));
    QVERIFY(pollSettled(*link, *server));

    QCOMPARE(link->isStreaming(), streaming);
    QCOMPARE(link->isRecording(), recording);
    QCOMPARE(link->sourcesJson(), expectedSources(state, true));
    QCOMPARE(link->transitions(), state.transitions);
    QCOMPARE(link->currentTransition(), state.currentTransition);
}

void TestObsWrapper::obs4ThreeSourcesThreeGetVolume()
{
    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(4, server, link));

    const QList<QJsonObject> volumeRequests = server->requestsOfType(QStringLiteral("GetVolume"));
    QCOMPARE(volumeRequests.size(), 3);
    const QStringList names{DesktopAudio, MicAux, OddName};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(volumeRequests.at(i),
                 (QJsonObject{{QStringLiteral("request-type"), QStringLiteral("GetVolume")},
                              {QStringLiteral("message-id"), QStringLiteral("3")},
                              {QStringLiteral("useDecibel"), true},
                              {QStringLiteral("source"), names.at(i)}}));
    }
}

void TestObsWrapper::obs4VolumeOfUnknownNameIsNotReported()
{
    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(4, server, link));
    const QJsonArray before = link->sourcesJson();

    server->sendToClients(
        QStringLiteral(R"({"message-id":"3","status":"ok","name":"Ghost","volume":-3.5,"muted":true})"));
    QVERIFY(sync(*server));
    QCOMPARE(link->sourcesJson(), before);

    // Once a source list names it, its remembered values show (OBS itself refuses the Ghost's volume).
    server->sendToClients(QStringLiteral(
        R"({"message-id":"2","status":"ok","sources":[{"name":"Ghost","typeId":"ffmpeg_source","type":"input"}]})"));
    QVERIFY(settle(*server));
    QCOMPARE(
        server->requestsOfType(QStringLiteral("GetVolume")).last().value(QLatin1String("source")).toString(),
        QStringLiteral("Ghost"));
    QCOMPARE(link->sourcesJson(), (QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Ghost")},
                                                          {QStringLiteral("volume"), -3.5},
                                                          {QStringLiteral("muted"), true}}}));
}

void TestObsWrapper::unlistedValuesAreRememberedWithinABound_data()
{
    QTest::addColumn<int>("otherNames");
    QTest::addColumn<bool>("remembered");
    QTest::newRow("within the bound") << ObsState::MaxUnlistedSources - 1 << true;
    QTest::newRow("beyond the bound") << ObsState::MaxUnlistedSources << false;
}

// A peer that keeps reporting new names (a damaged or hostile one) must not grow the link's memory: the
// values of unlisted sources are kept only up to a bound.
void TestObsWrapper::unlistedValuesAreRememberedWithinABound()
{
    QFETCH(int, otherNames);
    QFETCH(bool, remembered);
    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(4, server, link));

    server->sendToClients(
        QStringLiteral(R"({"message-id":"3","status":"ok","name":"Ghost","volume":-3.5,"muted":true})"));
    for (int i = 0; i < otherNames; ++i) {
        server->sendToClients(
            QStringLiteral(
                R"({"message-id":"3","status":"ok","name":"Passer-by %1","volume":-1,"muted":true})")
                .arg(i));
    }
    QVERIFY(sync(*server));
    server->sendToClients(QStringLiteral(
        R"({"message-id":"2","status":"ok","sources":[{"name":"Ghost","typeId":"ffmpeg_source","type":"input"}]})"));
    QVERIFY(settle(*server));
    const QJsonObject ghost = remembered ? QJsonObject{{QStringLiteral("name"), QStringLiteral("Ghost")},
                                                       {QStringLiteral("volume"), -3.5},
                                                       {QStringLiteral("muted"), true}}
                                         : QJsonObject{{QStringLiteral("name"), QStringLiteral("Ghost")},
                                                       {QStringLiteral("volume"), 0.0},
                                                       {QStringLiteral("muted"), false}};
    QCOMPARE(link->sourcesJson(), QJsonArray{ghost});
}

void TestObsWrapper::oversizedMessageClosesTheLink_data()
{
    addVersionRows();
}

// A message beyond the bound ends the connection instead of being held; the link reports itself down and
// comes up again when asked.
void TestObsWrapper::oversizedMessageClosesTheLink()
{
    QFETCH(int, version);
    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(version, server, link));

    server->sendToClients(QString(int(ObsWrapper::MaxIncomingMessageBytes) + 1, QLatin1Char(' ')));
    QTRY_COMPARE_WITH_TIMEOUT(link->protocolVersion(), 0, WaitMs);
    QVERIFY(connectLink(*link, *server, version));
    QVERIFY(pollSettled(*link, *server));
    QCOMPARE(link->sourcesJson(), expectedSources(server->state(), false));
}

void TestObsWrapper::obs5ReportsOnlyAudioInputs()
{
    auto server = startServer(5);
    QVERIFY(server);
    FakeObsState state = FakeObsState::typical();
    state.source(QStringLiteral("Intro Music"))->volumeMul = 0; // silent: OBS reports no dB value
    server->setState(state);
    auto link = linkTo(*server);
    QVERIFY(connectLink(*link, *server, 5));
    QVERIFY(pollSettled(*link, *server));

    QCOMPARE(link->sourcesJson(), expectedSources(state, true));
    QCOMPARE(link->sourcesJson().last().toObject().value(QLatin1String("volume")).toDouble(), -100.0);
    // Every input was asked for its volume and mute state by its exact name.
    QStringList asked;
    for (const QJsonObject &message : server->requestsOfType(QStringLiteral("GetInputVolume")))
        asked.append(requestData(message)
                         .value(QLatin1String("requestData"))
                         .toObject()
                         .value(QLatin1String("inputName"))
                         .toString());
    QStringList names;
    for (const FakeObsSource &source : state.sources)
        names.append(source.name);
    QCOMPARE(asked, names);
    QCOMPARE(server->requestsOfType(QStringLiteral("GetInputMute")).size(), names.size());

    // A removed input leaves the list; a new input without audio never enters it. Inputs OBS said have
    // no audio are not asked again.
    server->clearReceived();
    server->state().sources.removeFirst();
    server->state().sources.append(
        {QStringLiteral("Webcam Overlay"), QStringLiteral("browser_source"), false, 1.0, false});
    QVERIFY(pollSettled(*link, *server));
    QCOMPARE(link->sourcesJson(), expectedSources(server->state(), true));
    QCOMPARE(server->closeCodesSent(), QList<int>());
    asked.clear();
    for (const QJsonObject &message : server->requestsOfType(QStringLiteral("GetInputVolume")))
        asked.append(requestData(message)
                         .value(QLatin1String("requestData"))
                         .toObject()
                         .value(QLatin1String("inputName"))
                         .toString());
    QCOMPARE(asked, (QStringList{MicAux, QStringLiteral("Camera"), QStringLiteral("Intro Music"),
                                 QStringLiteral("Webcam Overlay")}));

    // An input of a known name that has audio now (a source replaced under the same name) is found again.
    server->state().sources.removeLast();
    QVERIFY(pollSettled(*link, *server));
    server->state().sources.append(
        {QStringLiteral("Webcam Overlay"), QStringLiteral("wasapi_input_capture"), true, 1.0, true});
    QVERIFY(pollSettled(*link, *server));
    QCOMPARE(link->sourcesJson(), expectedSources(server->state(), true));
}

void TestObsWrapper::messagesThatChangeNothing_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("message");
    auto row = [](const char *name, int version, const char *message) {
        QTest::newRow(name) << version << QString::fromUtf8(message);
    };

    // 4.x: event notices, refusals, acknowledgements and oddities never touch the cache.
    row("4.x event notice", 4,
        R"({"update-type":"SourceMuteStateChanged","sourceName":"Mic/Aux","muted":false})");
    row("4.x event with stream fields", 4,
        R"({"update-type":"StreamStarted","streaming":true,"recording":true})");
    row("4.x error reply to streaming status", 4,
        R"({"message-id":"4","status":"error","error":"Not Authenticated","streaming":true,"recording":true})");
    row("4.x error reply to source list", 4,
        R"({"message-id":"2","status":"error","error":"x","sources":[{"name":"Intruder"}]})");
    row("4.x error reply to transition list", 4,
        R"({"message-id":"9","status":"error","transitions":[{"name":"X"}],"current-transition":"X"})");
    row("4.x reply to SetCurrentTransition (id 10)", 4,
        R"({"message-id":"10","status":"ok","transitions":[{"name":"X"}],"current-transition":"X","streaming":true})");
    row("4.x negative id", 4, R"({"message-id":"-4","status":"ok","streaming":true,"recording":true})");
    row("4.x id as a number", 4, R"({"message-id":4,"status":"ok","streaming":true,"recording":true})");
    row("4.x not JSON", 4, "streaming: true");
    row("4.x JSON array", 4, R"([{"message-id":"4","status":"ok","streaming":true}])");
    row("4.x a 5.x event", 4,
        R"({"op":5,"d":{"eventType":"StreamStateChanged","eventIntent":64,"eventData":{"outputActive":true}}})");

    row("5.x refused stream status", 5,
        R"({"op":7,"d":{"requestType":"GetStreamStatus","requestId":"GetStreamStatus","requestStatus":{"result":false,"code":500},"responseData":{"outputActive":true}}})");
    row("5.x refused transition list", 5,
        R"({"op":7,"d":{"requestType":"GetSceneTransitionList","requestId":"x","requestStatus":{"result":false,"code":600},"responseData":{"transitions":[],"currentSceneTransitionName":"X"}}})");
    row("5.x response to an unknown request", 5,
        R"({"op":7,"d":{"requestType":"GetVersion","requestId":"v","requestStatus":{"result":true,"code":100},"responseData":{"outputActive":true}}})");
    row("5.x unrelated event", 5,
        R"({"op":5,"d":{"eventType":"SceneTransitionStarted","eventIntent":16,"eventData":{"transitionName":"X"}}})");
    row("5.x mute event without a name", 5,
        R"({"op":5,"d":{"eventType":"InputMuteStateChanged","eventIntent":8,"eventData":{"inputMuted":true}}})");
    row("5.x a 4.x reply", 5, R"({"message-id":"4","status":"ok","streaming":true,"recording":true})");
    row("5.x a second Hello", 5, R"({"op":0,"d":{"obsWebSocketVersion":"5.0.0","rpcVersion":1}})");
    row("5.x not JSON", 5, "{op:7");
}

void TestObsWrapper::messagesThatChangeNothing()
{
    QFETCH(int, version);
    QFETCH(QString, message);

    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(version, server, link));
    const QJsonObject before = snapshot(*link);
    const qsizetype receivedBefore = server->received().size();

    server->sendToClients(message);
    QVERIFY(settle(*server));
    QCOMPARE(snapshot(*link), before);
    // Nor does the link answer any of them.
    QCOMPARE(server->received().size(), receivedBefore);
    QCOMPARE(server->clientCount(), 1);
}

void TestObsWrapper::commands_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<ObsCommand>("command");
    // 4.x: the whole message; 5.x: the request's data without its requestId.
    QTest::addColumn<QJsonObject>("expected");
    // What the server must have made of it.
    QTest::addColumn<ObsCheck>("effect");

    auto volumeIs = [](const QString &name, double db) {
        return ObsCheck([=](const FakeObsState &state) {
            const FakeObsSource *source = state.source(name);
            return source && std::abs(FakeObsState::mulToDb(source->volumeMul) - db) < 1e-9;
        });
    };
    auto silent = [](const QString &name) {
        return ObsCheck([=](const FakeObsState &state) {
            const FakeObsSource *source = state.source(name);
            return source && source->volumeMul == 0;
        });
    };
    auto mutedIs = [](const QString &name, bool muted) {
        return ObsCheck([=](const FakeObsState &state) {
            const FakeObsSource *source = state.source(name);
            return source && source->muted == muted;
        });
    };
    const ObsCheck streaming = [](const FakeObsState &state) {
        return state.streaming;
    };
    const ObsCheck recording = [](const FakeObsState &state) {
        return state.recording;
    };
    const ObsCheck fadeToColor = [](const FakeObsState &state) {
        return state.currentTransition == QLatin1String("Fade to Color");
    };
    const QString fadeToColorName = QStringLiteral("Fade to Color");

    auto obs4 = [](const char *type, const char *id, QJsonObject fields = {}) {
        fields.insert(QStringLiteral("request-type"), QLatin1String(type));
        fields.insert(QStringLiteral("message-id"), QLatin1String(id));
        return fields;
    };
    QTest::newRow("4.x setVolume Mic/Aux")
        << 4 << ObsCommand([=](ObsWrapper &l) { l.setVolume(-6.5, MicAux); })
        << obs4("SetVolume", "6", {{"volume", -6.5}, {"useDecibel", true}, {"source", MicAux}})
        << volumeIs(MicAux, -6.5);
    QTest::newRow("4.x setVolume below -100 passes through")
        << 4 << ObsCommand([=](ObsWrapper &l) { l.setVolume(-150, DesktopAudio); })
        << obs4("SetVolume", "6", {{"volume", -150}, {"useDecibel", true}, {"source", DesktopAudio}})
        << silent(DesktopAudio);
    QTest::newRow("4.x toggleMute Desktop Audio")
        << 4 << ObsCommand([=](ObsWrapper &l) { l.toggleMute(DesktopAudio); })
        << obs4("ToggleMute", "5", {{"source", DesktopAudio}}) << mutedIs(DesktopAudio, true);
    QTest::newRow("4.x toggleMute odd name")
        << 4 << ObsCommand([=](ObsWrapper &l) { l.toggleMute(OddName); })
        << obs4("ToggleMute", "5", {{"source", OddName}}) << mutedIs(OddName, true);
    QTest::newRow("4.x startStopStreaming") << 4 << ObsCommand([](ObsWrapper &l) { l.startStopStreaming(); })
                                            << obs4("StartStopStreaming", "7") << streaming;
    QTest::newRow("4.x startStopRecording") << 4 << ObsCommand([](ObsWrapper &l) { l.startStopRecording(); })
                                            << obs4("StartStopRecording", "8") << recording;
    QTest::newRow("4.x setCurrentTransition")
        << 4 << ObsCommand([=](ObsWrapper &l) { l.setCurrentTransition(fadeToColorName); })
        << obs4("SetCurrentTransition", "10", {{"transition-name", fadeToColorName}}) << fadeToColor;

    auto obs5 = [](const char *type, QJsonObject data = {}) {
        QJsonObject request{{QStringLiteral("requestType"), QLatin1String(type)}};
        if (!data.isEmpty())
            request.insert(QStringLiteral("requestData"), data);
        return request;
    };
    QTest::newRow("5.x setVolume Mic/Aux")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.setVolume(-6.5, MicAux); })
        << obs5("SetInputVolume", {{"inputName", MicAux}, {"inputVolumeDb", -6.5}}) << volumeIs(MicAux, -6.5);
    QTest::newRow("5.x setVolume below OBS's range")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.setVolume(-150, DesktopAudio); })
        << obs5("SetInputVolume", {{"inputName", DesktopAudio}, {"inputVolumeDb", -100}})
        << silent(DesktopAudio);
    QTest::newRow("5.x setVolume above OBS's range")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.setVolume(30, OddName); })
        << obs5("SetInputVolume", {{"inputName", OddName}, {"inputVolumeDb", 26}}) << volumeIs(OddName, 26);
    QTest::newRow("5.x toggleMute Desktop Audio")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.toggleMute(DesktopAudio); })
        << obs5("ToggleInputMute", {{"inputName", DesktopAudio}}) << mutedIs(DesktopAudio, true);
    QTest::newRow("5.x toggleMute Mic/Aux")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.toggleMute(MicAux); })
        << obs5("ToggleInputMute", {{"inputName", MicAux}}) << mutedIs(MicAux, false);
    QTest::newRow("5.x startStopStreaming") << 5 << ObsCommand([](ObsWrapper &l) { l.startStopStreaming(); })
                                            << obs5("ToggleStream") << streaming;
    QTest::newRow("5.x startStopRecording") << 5 << ObsCommand([](ObsWrapper &l) { l.startStopRecording(); })
                                            << obs5("ToggleRecord") << recording;
    QTest::newRow("5.x setCurrentTransition")
        << 5 << ObsCommand([=](ObsWrapper &l) { l.setCurrentTransition(fadeToColorName); })
        << obs5("SetCurrentSceneTransition", {{"transitionName", fadeToColorName}}) << fadeToColor;

    // A volume that is not a number is not sent at all.
    for (int version : {4, 5}) {
        QTest::newRow(version == 4 ? "4.x setVolume NaN" : "5.x setVolume NaN")
            << version << ObsCommand([](ObsWrapper &l) { l.setVolume(std::nan(""), MicAux); })
            << QJsonObject() << volumeIs(MicAux, FakeObsState::mulToDb(0.5));
    }
}

void TestObsWrapper::commands()
{
    QFETCH(int, version);
    QFETCH(ObsCommand, command);
    QFETCH(QJsonObject, expected);
    QFETCH(ObsCheck, effect);

    auto server = startServer(version);
    QVERIFY(server);
    server->setState(audioOnlyState());
    server->state().currentTransition = QStringLiteral("Cut");
    auto link = linkTo(*server);
    QVERIFY(connectLink(*link, *server, version));
    server->clearReceived();

    command(*link);
    QVERIFY(sync(*server));
    const QList<QJsonObject> sent = server->received();
    if (expected.isEmpty()) {
        QCOMPARE(sent, QList<QJsonObject>());
    } else {
        QCOMPARE(sent.size(), 1);
        if (version == 4) {
            QCOMPARE(sent.first(), expected);
        } else {
            QCOMPARE(sent.first().value(QLatin1String("op")).toInt(), 6);
            QJsonObject request = requestData(sent.first());
            QVERIFY(request.value(QLatin1String("requestId")).isString());
            request.remove(QStringLiteral("requestId"));
            QCOMPARE(request, expected);
        }
    }
    QVERIFY(effect(server->state()));
    QCOMPARE(server->closeCodesSent(), QList<int>());
}

void TestObsWrapper::commandEffectsReachTheCache_data()
{
    QTest::addColumn<int>("version");
    // 5.x subscribes to OBS's events, so changes show before the next poll; 4.x waits for the poll.
    QTest::addColumn<bool>("beforeNextPoll");
    QTest::newRow("4.x") << 4 << false;
    QTest::newRow("5.x") << 5 << true;
}

void TestObsWrapper::commandEffectsReachTheCache()
{
    QFETCH(int, version);
    QFETCH(bool, beforeNextPoll);

    std::unique_ptr<FakeObsServer> server;
    std::unique_ptr<ObsWrapper> link;
    QVERIFY(linkAndPoll(version, server, link));
    const QJsonObject before = snapshot(*link);

    link->setCurrentTransition(QStringLiteral("Cut"));
    link->toggleMute(MicAux);
    link->setVolume(-20, DesktopAudio);
    link->startStopStreaming();
    link->startStopRecording();
    QVERIFY(settle(*server));

    QJsonArray expectedSourcesAfter = expectedSources(server->state(), true);
    if (beforeNextPoll) {
        QCOMPARE(link->currentTransition(), QStringLiteral("Cut"));
        QCOMPARE(link->sourcesJson(), expectedSourcesAfter);
        QVERIFY(link->isStreaming());
        QVERIFY(link->isRecording());
    } else {
        QCOMPARE(snapshot(*link), before);
    }
    QVERIFY(pollSettled(*link, *server));
    QCOMPARE(link->currentTransition(), QStringLiteral("Cut"));
    QCOMPARE(link->sourcesJson(), expectedSourcesAfter);
    QCOMPARE(link->sourcesJson().at(1).toObject().value(QLatin1String("muted")).toBool(), false);
    QVERIFY(link->isStreaming());
    QVERIFY(link->isRecording());
}

void TestObsWrapper::reconnectsWhenServerReturns_data()
{
    addVersionRows();
}

void TestObsWrapper::reconnectsWhenServerReturns()
{
    QFETCH(int, version);
    auto server = startServer(version);
    QVERIFY(server);
    const quint16 port = server->port();
    auto link = linkTo(*server);
    link->startPolling();
    QVERIFY(connectLink(*link, *server, version));
    QVERIFY(pollSettled(*link, *server));
    const QJsonObject before = snapshot(*link);

    // OBS quits: the link notices and keeps its last picture; commands while it is down are lost.
    server->close();
    QTRY_COMPARE_WITH_TIMEOUT(link->protocolVersion(), 0, WaitMs);
    link->startStopRecording();
    QCOMPARE(snapshot(*link), before);

    // Three seconds later OBS is back on the same port: the link comes back by itself.
    QTest::qWait(3000);
    server->clearReceived();
    QVERIFY(server->listen(version == 4 ? Obs4Address : Obs5Address, port));
    QElapsedTimer back;
    back.start();
    QTRY_COMPARE_WITH_TIMEOUT(link->protocolVersion(), version, 5000);
    QVERIFY2(back.elapsed() <= 5000, qPrintable(QString::number(back.elapsed())));
    const QString listRequest
        = version == 4 ? QStringLiteral("GetSourcesList") : QStringLiteral("GetInputList");
    QTRY_VERIFY_WITH_TIMEOUT(!server->requestsOfType(listRequest).isEmpty(), WaitMs);
    QVERIFY(server->requestsOfType(QStringLiteral("StartStopRecording")).isEmpty());
    QVERIFY(server->requestsOfType(QStringLiteral("ToggleRecord")).isEmpty());
    QVERIFY(!server->state().recording);
}

void TestObsWrapper::noReconnectionWhenClosedOrNotPolled()
{
    auto server = startServer(5);
    QVERIFY(server);
    auto link = linkTo(*server);

    // Opened but not polled (OBS control off, the link opened by a save-and-reconnect): it stays down.
    QVERIFY(connectLink(*link, *server, 5));
    server->disconnectClients();
    QTRY_COMPARE_WITH_TIMEOUT(link->protocolVersion(), 0, WaitMs);
    QTest::qWait(ObsWrapper::RetryDelaysMs[0] + 500);
    QCOMPARE(server->connectionCount(), 1);

    // Polled, then closed on purpose (OBS control switched off): it stays down as well.
    link->startPolling();
    QVERIFY(connectLink(*link, *server, 5));
    QCOMPARE(server->connectionCount(), 2);
    link->closeConnection();
    QTRY_COMPARE_WITH_TIMEOUT(server->clientCount(), 0, WaitMs);
    QTest::qWait(ObsWrapper::RetryDelaysMs[0] + 500);
    QCOMPARE(server->connectionCount(), 2);
    QCOMPARE(link->protocolVersion(), 0);
}

void TestObsWrapper::obs4CommandsBeforeTheDialectIsKnown_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("no password") << QString();
    QTest::newRow("password") << DocPassword;
}

void TestObsWrapper::obs4CommandsBeforeTheDialectIsKnown()
{
    QFETCH(QString, password);
    auto server = startServer(4);
    QVERIFY(server);
    server->setState(audioOnlyState());
    server->setPassword(password);
    // The production wait for a Hello, which a 4.x server never sends.
    ObsWrapper link(server->address().toString(), server->port(), password);
    QCOMPARE(link.helloTimeout(), ObsWrapper::DefaultHelloTimeoutMs);
    link.openConnection();
    QTRY_COMPARE_WITH_TIMEOUT(server->clientCount(), 1, WaitMs);
    QTest::qWait(200);
    QCOMPARE(link.protocolVersion(), 0);

    // Given while the link still waits to learn the dialect: held, the newest of each kind.
    link.startStopRecording();
    link.setVolume(-20, DesktopAudio);
    link.setVolume(-6, DesktopAudio);
    link.toggleMute(MicAux);
    // More kinds than the link holds: the last ones are lost.
    for (int i = 0; i < ObsWrapper::MaxHeldCommands; ++i)
        link.setVolume(-1, QStringLiteral("Extra %1").arg(i));

    QTRY_VERIFY_WITH_TIMEOUT(server->state().recording, WaitMs);
    QVERIFY(settle(*server));
    QCOMPARE(link.protocolVersion(), 4);
    const QList<QJsonObject> volumes = server->requestsOfType(QStringLiteral("SetVolume"));
    QCOMPARE(volumes.size(), ObsWrapper::MaxHeldCommands - 2);
    QCOMPARE(volumes.first().value(QLatin1String("source")).toString(), DesktopAudio);
    QCOMPARE(volumes.first().value(QLatin1String("volume")).toDouble(), -6.0);
    QCOMPARE(server->requestsOfType(QStringLiteral("ToggleMute")).size(), 1);
    QVERIFY(!server->state().sources.at(1).muted);
    QCOMPARE(server->requestsOfType(QStringLiteral("StartStopRecording")).size(), 1);
}

void TestObsWrapper::reconnectDetectsTheNewServersVersion()
{
    auto server4 = startServer(4);
    auto server5 = startServer(5);
    QVERIFY(server4 && server5);
    server4->setPassword(QStringLiteral("four"));
    server5->setPassword(QStringLiteral("five"));
    server5->state().currentTransition = QStringLiteral("Stinger");

    auto link = linkTo(*server4, QStringLiteral("four"));
    // Long enough for the 5.x server's Hello, short enough not to slow the way back to 4.x.
    link->setHelloTimeout(300);
    QVERIFY(connectLink(*link, *server4, 4));
    QVERIFY(pollSettled(*link, *server4));
    QCOMPARE(link->currentTransition(), QStringLiteral("Fade"));

    // The path of the web API's save-and-reconnect: new values, close, open.
    link->setIp(server5->address().toString());
    link->setPort(server5->port());
    link->setPassword(QStringLiteral("five"));
    link->closeConnection();
    QVERIFY(connectLink(*link, *server5, 5));
    QVERIFY(pollSettled(*link, *server5));
    QCOMPARE(link->currentTransition(), QStringLiteral("Stinger"));
    QCOMPARE(link->sourcesJson(), expectedSources(server5->state(), true));
    QCOMPARE(server5->closeCodesSent(), QList<int>());
    QCOMPARE(server5->requestsOfType(QStringLiteral("GetAuthRequired")), QList<QJsonObject>());

    // And back again, without closing first.
    link->setIp(server4->address().toString());
    link->setPort(server4->port());
    link->setPassword(QStringLiteral("four"));
    QVERIFY(connectLink(*link, *server4, 4));
    QVERIFY(pollSettled(*link, *server4));
    QCOMPARE(link->currentTransition(), QStringLiteral("Fade"));
    QCOMPARE(server4->requestsOfType(QStringLiteral("Authenticate")).size(), 2);
}

QTEST_GUILESS_MAIN(TestObsWrapper)
#include "tst_obswrapper.moc"
