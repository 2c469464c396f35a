#include "appsettings.h"
#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "httpserverwrapper.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cmath>

// The switcher half of the web API end to end: a real HTTP client talks to the real application object,
// whose OBS and vMix links talk to fake OBS (obs-websocket 4.x and 5.x) and vMix servers over real
// sockets. The links are set up by the program itself from settings.ini, as on a user's machine.

namespace {

const QString ServerAddress = QStringLiteral("127.0.13.1");
// Accepts the OBS link's connection and never answers: an OBS that has not said anything yet.
const QString SilentObsAddress = QStringLiteral("127.0.13.2");
const QString Obs5Address = QStringLiteral("127.0.13.3");
const QString Obs4Address = QStringLiteral("127.0.13.4");
const QString VMixAddress = QStringLiteral("127.0.13.5");
// Nothing listens here.
const QString UnreachableAddress = QStringLiteral("127.0.13.6");
// The addresses are this test's own, so the usual ports are free on them.
constexpr quint16 ObsPort = 4455;
constexpr quint16 VMixPort = 8088;

// Passwords with the characters a browser escapes, so they only work when they arrive exactly.
const QString ObsPassword = QStringLiteral("Ctrl Room/1 & 2=ok+");
const QString VMixUser = QStringLiteral("admin");
const QString VMixPassword = QStringLiteral("vmix secret");

// Names as OBS and vMix users have them.
const QString DesktopAudio = QStringLiteral("Desktop Audio");
const QString MicAux = QStringLiteral("Mic/Aux");
const QString StageKey = QStringLiteral("Stage Cam 1");

constexpr int WaitMs = 10000;

// The fake peers, created after the application object and before its event loop runs: the links make
// their first connection from the event loop.
struct Switchers
{
    QTcpServer silentObs;
    QList<QTcpSocket *> silentClients;
    QByteArray silentBytes;
    FakeObs5Server obs5;
    FakeObs4Server obs4;
    FakeVMix vmix;

    bool start()
    {
        QObject::connect(&silentObs, &QTcpServer::newConnection, &silentObs, [this] {
            while (QTcpSocket *client = silentObs.nextPendingConnection()) {
                silentClients.append(client);
                QObject::connect(client, &QTcpSocket::readyRead, client,
                                 [this, client] { silentBytes += client->readAll(); });
            }
        });
        obs5.setPassword(ObsPassword);
        obs5.setState(FakeObsState::typical());
        obs4.setPassword(ObsPassword);
        obs4.setState(FakeObsState::typical());
        FakeVMixState vmixState = FakeVMixState::typical();
        vmixState.inputs.append(
            {StageKey, QStringLiteral("Capture"), QStringLiteral("Stage Left"), true, 64, false});
        vmix.setState(vmixState);
        vmix.setCredentials(VMixUser, VMixPassword);
        return silentObs.listen(QHostAddress(SilentObsAddress), ObsPort)
               && obs5.listen(QHostAddress(Obs5Address), ObsPort)
               && obs4.listen(QHostAddress(Obs4Address), ObsPort)
               && vmix.listen(QHostAddress(VMixAddress), VMixPort);
    }
};

// Encodes like a browser's form or URLSearchParams: space as '+', everything but letters, digits and
// "*-._" as %XX of its UTF-8 bytes.
QByteArray formEncode(const QString &text)
{
    return text.toUtf8().toPercentEncoding(QByteArrayLiteral(" *"), QByteArrayLiteral("~")).replace(' ', '+');
}

QByteArray browserQuery(const QStringList &pairs)
{
    QByteArray query;
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        if (!query.isEmpty())
            query += '&';
        query += formEncode(pairs.at(i)) + '=' + formEncode(pairs.at(i + 1));
    }
    return query;
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QStringList sortedKeys(const QJsonObject &object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

// What the API must report for an OBS state: one text per source, volume rounded to hundredths of a dB.
QStringList describeSources(const QJsonArray &sources)
{
    QStringList lines;
    for (const QJsonValue &value : sources) {
        const QJsonObject source = value.toObject();
        lines.append(QStringLiteral("%1|%2|%3")
                         .arg(source.value(QLatin1String("name")).toString())
                         .arg(source.value(QLatin1String("volume")).toDouble(), 0, 'f', 2)
                         .arg(flag(source.value(QLatin1String("muted")).toBool())));
    }
    return lines;
}

QStringList expectedSources(const FakeObsState &state, int version)
{
    QStringList lines;
    for (const FakeObsSource &source : state.sources) {
        // 4.x lists every source; 5.x only those with audio.
        if (version == 5 && !source.audio)
            continue;
        const double db = std::max(-100.0, FakeObsState::mulToDb(source.volumeMul));
        lines.append(QStringLiteral("%1|%2|%3").arg(source.name).arg(db, 0, 'f', 2).arg(flag(source.muted)));
    }
    return lines;
}

// The requests the OBS link sends by itself; everything else is a command.
bool isPollRequest(const QString &type)
{
    static const QSet<QString> poll{QStringLiteral("GetAuthRequired"), QStringLiteral("Authenticate"),
                                    QStringLiteral("GetSourcesList"), QStringLiteral("GetVolume"),
                                    QStringLiteral("GetTransitionList"), QStringLiteral("GetStreamingStatus"),
                                    QStringLiteral("GetInputList"), QStringLiteral("GetInputVolume"),
                                    QStringLiteral("GetInputMute"), QStringLiteral("GetSceneTransitionList"),
                                    QStringLiteral("GetStreamStatus"), QStringLiteral("GetRecordStatus"),
                                    // The scenes, asked once per connection for tally.
                                    QStringLiteral("GetCurrentScene"), QStringLiteral("GetPreviewScene"),
                                    QStringLiteral("GetStudioModeStatus"),
                                    QStringLiteral("GetCurrentProgramScene"),
                                    QStringLiteral("GetCurrentPreviewScene"),
                                    QStringLiteral("GetStudioModeEnabled"), QStringLiteral("GetSceneList")};
    return poll.contains(type);
}

// The fields of an OBS request: top level in 4.x, "requestData" in 5.x.
QVariantMap requestFields(const QJsonObject &message, int version)
{
    if (version == 5)
        return message.value(QLatin1String("d"))
            .toObject()
            .value(QLatin1String("requestData"))
            .toObject()
            .toVariantMap();
    QVariantMap fields = message.toVariantMap();
    fields.remove(QStringLiteral("request-type"));
    fields.remove(QStringLiteral("message-id"));
    return fields;
}

QVariantMap parameterMap(const FakeVMixRequest &request)
{
    QVariantMap map;
    for (const auto &parameter : request.parameters) {
        if (parameter.first != QLatin1String("function"))
            map.insert(parameter.first, parameter.second);
    }
    return map;
}

} // namespace

class tst_SwitcherApi : public QObject
{
    Q_OBJECT

public:
    tst_SwitcherApi(TavimorexApp *app, Switchers *switchers) : m_app(app), m_switchers(switchers)
    {
        m_network.setProxy(QNetworkProxy::NoProxy);
    }

private Q_SLOTS:
    void obsStatusBeforeAnyAnswer();
    void vmixStatusFromThePolls();
    void obsSaveReconnectStoresWhenUnreachable();
    void vmixSaveReconnectStoresWhenUnreachable();
    void obsStatusAfterPolling_data();
    void obsStatusAfterPolling();
    void obsCommands_data();
    void obsCommands();
    void vmixCommands_data();
    void vmixCommands();
    void namesRoundTrip();
    void togglePlayListFollowsTheCache();

private:
    QJsonObject get(const QString &path, const QStringList &query = {});
    bool useObs(int version);
    FakeObsServer &obsServer(int version);
    // Commands vMix ran: function calls that carried the right credentials.
    QList<FakeVMixRequest> vmixCommandsRun() const;

    TavimorexApp *m_app;
    Switchers *m_switchers;
    QNetworkAccessManager m_network;
    int m_obsVersion = 0;
};

QJsonObject tst_SwitcherApi::get(const QString &path, const QStringList &query)
{
    QByteArray target = path.toUtf8();
    if (!query.isEmpty())
        target += '?' + browserQuery(query);
    const QByteArray url = "http://" + ServerAddress.toUtf8() + ':'
                           + QByteArray::number(m_app->httpServer()->serverPort()) + target;
    QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl::fromEncoded(url, QUrl::StrictMode)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(WaitMs)) {
        reply->abort();
        reply->deleteLater();
        return {};
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject json
        = status == 200 ? QJsonDocument::fromJson(reply->readAll()).object() : QJsonObject();
    reply->deleteLater();
    return json;
}

FakeObsServer &tst_SwitcherApi::obsServer(int version)
{
    if (version == 4)
        return m_switchers->obs4;
    return m_switchers->obs5;
}

bool tst_SwitcherApi::useObs(int version)
{
    if (m_obsVersion == version)
        return true;
    FakeObsServer &server = obsServer(version);
    const QString pollType = version == 4 ? QStringLiteral("GetSourcesList") : QStringLiteral("GetInputList");
    const int polls = server.requestsOfType(pollType).size();
    const QJsonObject reply
        = get(QStringLiteral("/obs/saveReconnect"),
              {QStringLiteral("obsIp"), server.address().toString(), QStringLiteral("obsPort"),
               QString::number(server.port()), QStringLiteral("obsPwd"), ObsPassword});
    if (reply.value(QLatin1String("status")).toString() != QLatin1String("OK"))
        return false;
    // Polled in the dialect the server speaks, after the log-in: from now on commands go there. 4.x is
    // spoken only after the link has waited for a 5.x Hello in vain.
    if (!QTest::qWaitFor([&] { return server.requestsOfType(pollType).size() > polls; }, WaitMs)) {
        qWarning("OBS %d.x was not polled after the reconnect", version);
        return false;
    }
    m_obsVersion = version;
    return true;
}

QList<FakeVMixRequest> tst_SwitcherApi::vmixCommandsRun() const
{
    QList<FakeVMixRequest> run;
    for (const FakeVMixRequest &request : m_switchers->vmix.commands()) {
        if (request.hasCredentials && request.user == VMixUser && request.password == VMixPassword)
            run.append(request);
    }
    return run;
}

void tst_SwitcherApi::obsStatusBeforeAnyAnswer()
{
    // The program opened the OBS link from settings.ini at start: its WebSocket handshake arrived.
    QTRY_VERIFY_WITH_TIMEOUT(m_switchers->silentBytes.contains("Upgrade: websocket"), WaitMs);
    QVERIFY(m_switchers->silentBytes.startsWith("GET / HTTP/1.1"));
    QCOMPARE(m_switchers->silentClients.size(), 1);

    const QJsonObject status = get(QStringLiteral("/obs/status"));
    QCOMPARE(sortedKeys(status), QStringList({"currentTransition", "isRecording", "isStreaming", "msg",
                                              "sources", "status", "transitions"}));
    QCOMPARE(status.value("status").toString(), QString("OK"));
    QCOMPARE(status.value("msg").toString(), QString(""));
    QVERIFY(status.value("sources").isArray());
    QVERIFY(status.value("sources").toArray().isEmpty());
    QVERIFY(status.value("transitions").isArray());
    QVERIFY(status.value("transitions").toArray().isEmpty());
    QVERIFY(status.value("currentTransition").isString());
    QCOMPARE(status.value("currentTransition").toString(), QString(""));
    QVERIFY(status.value("isStreaming").isBool());
    QCOMPARE(status.value("isStreaming").toBool(), false);
    QVERIFY(status.value("isRecording").isBool());
    QCOMPARE(status.value("isRecording").toBool(), false);

    const QJsonObject settings = get(QStringLiteral("/obs/settings"));
    QCOMPARE(sortedKeys(settings), QStringList({"msg", "obsIp", "obsPort", "status"}));
    QCOMPARE(settings.value("obsIp").toString(), SilentObsAddress);
    QCOMPARE(settings.value("obsPort").toInt(), int(ObsPort));
}

void tst_SwitcherApi::vmixStatusFromThePolls()
{
    FakeVMix &vmix = m_switchers->vmix;
    // Polled since the start, with the stored user and password.
    QTRY_VERIFY_WITH_TIMEOUT(vmix.stateRequestCount() > 0, WaitMs);
    // One copy of the requests per check: begin and end must come from the same list.
    const auto loggedIn = [&vmix] {
        const QList<FakeVMixRequest> requests = vmix.requests();
        return std::any_of(requests.cbegin(), requests.cend(), [](const FakeVMixRequest &request) {
            return request.user == VMixUser && request.password == VMixPassword;
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(loggedIn(), WaitMs);

    const FakeVMixState &state = vmix.state();
    QJsonObject status;
    QTRY_VERIFY_WITH_TIMEOUT((status = get(QStringLiteral("/vmix/status"))).value("inputs").toArray().size()
                                 == state.inputs.size(),
                             WaitMs);
    QCOMPARE(sortedKeys(status), QStringList({"inputs", "isPlayListOn", "isRecording", "isStreaming",
                                              "masterVolume", "masterVolumeMuted", "msg", "status"}));
    QCOMPARE(status.value("status").toString(), QString("OK"));
    const QJsonArray inputs = status.value("inputs").toArray();
    for (int i = 0; i < inputs.size(); ++i) {
        const QJsonObject input = inputs.at(i).toObject();
        const FakeVMixInput &expected = state.inputs.at(i);
        QCOMPARE(sortedKeys(input),
                 QStringList({"inputKey", "inputName", "inputVolume", "inputVolumeMuted"}));
        QCOMPARE(input.value("inputName").toString(), expected.title);
        QCOMPARE(input.value("inputKey").toString(), expected.key);
        // The volume text as the document has it; empty for inputs without audio.
        QVERIFY(input.value("inputVolume").isString());
        QCOMPARE(input.value("inputVolume").toString(),
                 expected.audio ? QString::number(expected.volume, 'g', QLocale::FloatingPointShortest)
                                : QString());
        QCOMPARE(input.value("inputVolumeMuted").toBool(), expected.muted);
    }
    QCOMPARE(inputs.at(2).toObject().value("inputVolume").toString(), QString("42.5"));
    QCOMPARE(status.value("masterVolume").toDouble(), 80.0);
    QCOMPARE(status.value("masterVolumeMuted").toBool(), false);
    QCOMPARE(status.value("isRecording").toBool(), false);
    QCOMPARE(status.value("isStreaming").toBool(), false);
    QCOMPARE(status.value("isPlayListOn").toBool(), false);

    // Later changes come with the next polls.
    vmix.state().recording = true;
    vmix.state().masterMuted = true;
    vmix.state().masterVolume = 55.5;
    QTRY_VERIFY_WITH_TIMEOUT((status = get(QStringLiteral("/vmix/status"))).value("isRecording").toBool(),
                             WaitMs);
    QCOMPARE(status.value("masterVolumeMuted").toBool(), true);
    QCOMPARE(status.value("masterVolume").toDouble(), 55.5);
    vmix.state().recording = false;
    vmix.state().masterMuted = false;
}

void tst_SwitcherApi::obsSaveReconnectStoresWhenUnreachable()
{
    const QString password = QStringLiteral("new & secret/pass");
    const QJsonObject reply = get(QStringLiteral("/obs/saveReconnect"),
                                  {"obsIp", UnreachableAddress, "obsPort", "4456", "obsPwd", password});
    QCOMPARE(sortedKeys(reply), QStringList({"msg", "status"}));
    QCOMPARE(reply.value("status").toString(), QString("OK"));
    QCOMPARE(reply.value("msg").toString(), QString(""));

    // Stored at once, although nothing answers there.
    AppSettings *settings = m_app->settings();
    QCOMPARE(settings->obsIp(), UnreachableAddress);
    QCOMPARE(settings->obsPort(), 4456);
    QCOMPARE(settings->obsPwd(), password);
    const QJsonObject obs = get(QStringLiteral("/obs/settings"));
    QCOMPARE(sortedKeys(obs), QStringList({"msg", "obsIp", "obsPort", "status"}));
    QCOMPARE(obs.value("obsIp").toString(), UnreachableAddress);
    QCOMPARE(obs.value("obsPort").toInt(), 4456);
    QVERIFY(!QJsonDocument(obs).toJson().contains(password.toUtf8()));

    // The old connection was given up for the new address.
    QTRY_COMPARE_WITH_TIMEOUT(m_switchers->silentClients.first()->state(), QAbstractSocket::UnconnectedState,
                              WaitMs);
    m_obsVersion = 0;
}

void tst_SwitcherApi::vmixSaveReconnectStoresWhenUnreachable()
{
    FakeVMix &vmix = m_switchers->vmix;
    QTRY_VERIFY_WITH_TIMEOUT(!get(QStringLiteral("/vmix/status")).value("inputs").toArray().isEmpty(),
                             WaitMs);
    const QString password = QStringLiteral("pa ss&word=1/2");
    const QJsonObject reply
        = get(QStringLiteral("/vmix/saveReconnect"), {"vmixIp", UnreachableAddress, "vmixId", "Operator Two",
                                                      "vmixPwd", password, "vmixPort", "8099"});
    QCOMPARE(sortedKeys(reply), QStringList({"msg", "status"}));
    QCOMPARE(reply.value("status").toString(), QString("OK"));

    AppSettings *settings = m_app->settings();
    QCOMPARE(settings->vmixIp(), UnreachableAddress);
    QCOMPARE(settings->vmixPort(), 8099);
    QCOMPARE(settings->vmixId(), QString("Operator Two"));
    QCOMPARE(settings->vmixPwd(), password);
    const QJsonObject vmixSettings = get(QStringLiteral("/vmix/settings"));
    QCOMPARE(sortedKeys(vmixSettings), QStringList({"msg", "status", "vmixId", "vmixIp", "vmixPort"}));
    QCOMPARE(vmixSettings.value("vmixIp").toString(), UnreachableAddress);
    QCOMPARE(vmixSettings.value("vmixId").toString(), QString("Operator Two"));
    QCOMPARE(vmixSettings.value("vmixPort").toInt(), 8099);
    QVERIFY(!QJsonDocument(vmixSettings).toJson().contains(password.toUtf8()));

    // Polls now go nowhere; the fake hears nothing more and the cache keeps the last document.
    QTest::qWait(2 * 500 + 200);
    const int polls = vmix.stateRequestCount();
    QTest::qWait(2 * 500 + 200);
    QCOMPARE(vmix.stateRequestCount(), polls);
    QCOMPARE(get(QStringLiteral("/vmix/status")).value("inputs").toArray().size(),
             vmix.state().inputs.size());

    // Back to the fake vMix with its credentials: polled again.
    QCOMPARE(get(QStringLiteral("/vmix/saveReconnect"), {"vmixIp", VMixAddress, "vmixId", VMixUser, "vmixPwd",
                                                         VMixPassword, "vmixPort", QString::number(VMixPort)})
                 .value("status")
                 .toString(),
             QString("OK"));
    QTRY_VERIFY_WITH_TIMEOUT(vmix.stateRequestCount() > polls, WaitMs);
}

void tst_SwitcherApi::obsStatusAfterPolling_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("obs-websocket 5.x") << 5;
    QTest::newRow("obs-websocket 4.x") << 4;
}

void tst_SwitcherApi::obsStatusAfterPolling()
{
    QFETCH(int, version);
    FakeObsServer &server = obsServer(version);
    server.state().streaming = version == 4;
    server.state().recording = version == 5;
    server.state().currentTransition = version == 4 ? QStringLiteral("Swipe") : QStringLiteral("Fade");
    // The poll timer has run since the start; the reconnect only opens the link, with the password
    // exactly as the browser's query carried it.
    QVERIFY(useObs(version));

    const QStringList expected = expectedSources(server.state(), version);
    QJsonObject status;
    QTRY_COMPARE_WITH_TIMEOUT(
        describeSources((status = get(QStringLiteral("/obs/status"))).value("sources").toArray()), expected,
        WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(
        (status = get(QStringLiteral("/obs/status"))).value("currentTransition").toString(),
        server.state().currentTransition, WaitMs);
    QVERIFY(expected.contains(QStringLiteral("Mic/Aux|-6.02|true")));
    QCOMPARE(status.value("status").toString(), QString("OK"));
    QStringList transitions;
    for (const QJsonValue &value : status.value("transitions").toArray())
        transitions.append(value.toString());
    QCOMPARE(transitions, server.state().transitions);
    QCOMPARE(status.value("isStreaming").toBool(), version == 4);
    QCOMPARE(status.value("isRecording").toBool(), version == 5);

    const QJsonObject settings = get(QStringLiteral("/obs/settings"));
    QCOMPARE(settings.value("obsIp").toString(), server.address().toString());
    QCOMPARE(settings.value("obsPort").toInt(), int(server.port()));
    QVERIFY(!QJsonDocument(settings).toJson().contains("Ctrl"));
    QCOMPARE(m_app->settings()->obsPwd(), ObsPassword);
}

void tst_SwitcherApi::obsCommands_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("query");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QVariantMap>("fields");

    const QString volume = QStringLiteral("/obs/sourceVolume");
    const QString muted = QStringLiteral("/obs/sourceMuted");
    const QString transition = QStringLiteral("/obs/transition");
    const QString streaming = QStringLiteral("/obs/toggleStreaming");
    const QString recording = QStringLiteral("/obs/toggleRecording");

    QTest::newRow("5.x volume, name with a space")
        << 5 << volume << QStringList{"sourceName", DesktopAudio, "volume", "-12.5"} << "SetInputVolume"
        << QVariantMap{{"inputName", DesktopAudio}, {"inputVolumeDb", -12.5}};
    QTest::newRow("5.x volume, name with a slash")
        << 5 << volume << QStringList{"sourceName", MicAux, "volume", "3"} << "SetInputVolume"
        << QVariantMap{{"inputName", MicAux}, {"inputVolumeDb", 3.0}};
    QTest::newRow("5.x mute, name with a slash") << 5 << muted << QStringList{"sourceName", MicAux}
                                                 << "ToggleInputMute" << QVariantMap{{"inputName", MicAux}};
    QTest::newRow("5.x mute, name with a space")
        << 5 << muted << QStringList{"sourceName", DesktopAudio} << "ToggleInputMute"
        << QVariantMap{{"inputName", DesktopAudio}};
    QTest::newRow("5.x streaming") << 5 << streaming << QStringList() << "ToggleStream" << QVariantMap();
    QTest::newRow("5.x recording") << 5 << recording << QStringList() << "ToggleRecord" << QVariantMap();
    QTest::newRow("5.x transition") << 5 << transition << QStringList{"transition", "Fade to Color"}
                                    << "SetCurrentSceneTransition"
                                    << QVariantMap{{"transitionName", "Fade to Color"}};

    QTest::newRow("4.x volume, name with a space")
        << 4 << volume << QStringList{"sourceName", DesktopAudio, "volume", "-12.5"} << "SetVolume"
        << QVariantMap{{"source", DesktopAudio}, {"volume", -12.5}, {"useDecibel", true}};
    QTest::newRow("4.x mute, name with a slash")
        << 4 << muted << QStringList{"sourceName", MicAux} << "ToggleMute" << QVariantMap{{"source", MicAux}};
    QTest::newRow("4.x streaming") << 4 << streaming << QStringList() << "StartStopStreaming"
                                   << QVariantMap();
    QTest::newRow("4.x recording") << 4 << recording << QStringList() << "StartStopRecording"
                                   << QVariantMap();
    QTest::newRow("4.x transition") << 4 << transition << QStringList{"transition", "Luma Wipe"}
                                    << "SetCurrentTransition"
                                    << QVariantMap{{"transition-name", "Luma Wipe"}};
}

void tst_SwitcherApi::obsCommands()
{
    QFETCH(int, version);
    QFETCH(QString, path);
    QFETCH(QStringList, query);
    QFETCH(QString, request);
    QFETCH(QVariantMap, fields);
    QVERIFY(useObs(version));
    FakeObsServer &server = obsServer(version);
    const int from = server.received().size();

    const QJsonObject reply = get(path, query);
    QCOMPARE(sortedKeys(reply), QStringList({"msg", "status"}));
    QCOMPARE(reply.value("status").toString(), QString("OK"));
    QCOMPARE(reply.value("msg").toString(), QString(""));

    // A ping answered marks the point by which the link's messages sent before it have arrived.
    QTRY_VERIFY_WITH_TIMEOUT(server.received().size() > from, WaitMs);
    QSignalSpy pongs(&server, &FakeObsServer::pongReceived);
    server.pingClients();
    QVERIFY(pongs.wait(WaitMs));
    QList<QJsonObject> commands;
    const QList<QJsonObject> received = server.received();
    for (int i = from; i < received.size(); ++i) {
        if (!isPollRequest(server.requestTypeOf(received.at(i))))
            commands.append(received.at(i));
    }
    QCOMPARE(commands.size(), 1);
    QCOMPARE(server.requestTypeOf(commands.first()), request);
    QCOMPARE(requestFields(commands.first(), version), fields);
}

void tst_SwitcherApi::vmixCommands_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("query");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QVariantMap>("parameters");

    QTest::newRow("source volume, key with spaces")
        << "/vmix/sourceVolume" << QStringList{"sourceName", StageKey, "volume", "42.5"} << "SetVolume"
        << QVariantMap{{"value", "42.5"}, {"input", StageKey}};
    QTest::newRow("source volume 0.1234567")
        << "/vmix/sourceVolume" << QStringList{"sourceName", StageKey, "volume", "0.1234567"} << "SetVolume"
        << QVariantMap{{"value", "0.123457"}, {"input", StageKey}};
    QTest::newRow("source mute") << "/vmix/sourceMuted" << QStringList{"sourceName", StageKey} << "Audio"
                                 << QVariantMap{{"input", StageKey}};
    QTest::newRow("preview") << "/vmix/setPreview" << QStringList{"sourceName", StageKey} << "PreviewInput"
                             << QVariantMap{{"input", StageKey}};
    QTest::newRow("master volume 42.9") << "/vmix/masterVolume" << QStringList{"volume", "42.9"}
                                        << "SetMasterVolume" << QVariantMap{{"value", "42"}};
    QTest::newRow("master volume -0.5") << "/vmix/masterVolume" << QStringList{"volume", "-0.5"}
                                        << "SetMasterVolume" << QVariantMap{{"value", "0"}};
    QTest::newRow("master volume -7.9 toward zero") << "/vmix/masterVolume" << QStringList{"volume", "-7.9"}
                                                    << "SetMasterVolume" << QVariantMap{{"value", "-7"}};
    QTest::newRow("master volume 100") << "/vmix/masterVolume" << QStringList{"volume", "100"}
                                       << "SetMasterVolume" << QVariantMap{{"value", "100"}};
    QTest::newRow("master volume not a number") << "/vmix/masterVolume" << QStringList{"volume", "loud"}
                                                << "SetMasterVolume" << QVariantMap{{"value", "0"}};
    QTest::newRow("master mute") << "/vmix/masterMuted" << QStringList() << "MasterAudio" << QVariantMap();
    QTest::newRow("streaming") << "/vmix/toggleStreaming" << QStringList() << "StartStopStreaming"
                               << QVariantMap();
    QTest::newRow("recording") << "/vmix/toggleRecording" << QStringList() << "StartStopRecording"
                               << QVariantMap();
    const char *transitions[]
        = {"QuickPlay", "Cut", "Transition1", "Transition2", "Transition3", "Transition4", "FadeToBlack"};
    for (int i = 0; i < 7; ++i) {
        QTest::addRow("transition %d", i)
            << "/vmix/transition" << QStringList{"transition", QString::number(i)} << transitions[i]
            << (i < 6 ? QVariantMap{{"input", "0"}} : QVariantMap());
    }
    // Calls no function: the bare command URL.
    QTest::newRow("transition 7") << "/vmix/transition" << QStringList{"transition", "7"} << ""
                                  << QVariantMap();
    QTest::newRow("transition -1") << "/vmix/transition" << QStringList{"transition", "-1"} << ""
                                   << QVariantMap();
}

void tst_SwitcherApi::vmixCommands()
{
    QFETCH(QString, path);
    QFETCH(QStringList, query);
    QFETCH(QString, function);
    QFETCH(QVariantMap, parameters);
    FakeVMix &vmix = m_switchers->vmix;
    const int from = vmixCommandsRun().size();

    const QJsonObject reply = get(path, query);
    QCOMPARE(sortedKeys(reply), QStringList({"msg", "status"}));
    QCOMPARE(reply.value("status").toString(), QString("OK"));
    QCOMPARE(reply.value("msg").toString(), QString(""));

    QTRY_VERIFY_WITH_TIMEOUT(vmixCommandsRun().size() > from, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(vmix.pendingCount(), 0, WaitMs);
    const QList<FakeVMixRequest> run = vmixCommandsRun().mid(from);
    QCOMPARE(run.size(), 1);
    QCOMPARE(run.first().function(), function);
    QCOMPARE(parameterMap(run.first()), parameters);
    if (function.isEmpty())
        QCOMPARE(run.first().target, QByteArray("/api/?"));
}

void tst_SwitcherApi::namesRoundTrip()
{
    // What the browser sends by name comes back in the next status under that name.
    QVERIFY(useObs(5));
    const bool micMuted = m_switchers->obs5.state().source(MicAux)->muted;
    QCOMPARE(get(QStringLiteral("/obs/sourceMuted"), {"sourceName", MicAux}).value("status").toString(),
             QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(m_switchers->obs5.state().source(MicAux)->muted, !micMuted, WaitMs);
    const QString expected = MicAux + QLatin1Char('|') + flag(!micMuted);
    auto micLine = [this] {
        for (const QString &line :
             describeSources(get(QStringLiteral("/obs/status")).value("sources").toArray())) {
            if (line.startsWith(MicAux + QLatin1Char('|')))
                return line.section(QLatin1Char('|'), 0, 0) + QLatin1Char('|')
                       + line.section(QLatin1Char('|'), 2);
        }
        return QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(micLine(), expected, WaitMs);

    FakeVMixInput *stage = m_switchers->vmix.state().input(StageKey);
    QVERIFY(stage);
    QCOMPARE(get(QStringLiteral("/vmix/sourceVolume"), {"sourceName", StageKey, "volume", "33.5"})
                 .value("status")
                 .toString(),
             QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(m_switchers->vmix.state().input(StageKey)->volume, 33.5, WaitMs);
    auto stageVolume = [this] {
        for (const QJsonValue &value : get(QStringLiteral("/vmix/status")).value("inputs").toArray()) {
            if (value.toObject().value("inputKey").toString() == StageKey)
                return value.toObject().value("inputVolume").toString();
        }
        return QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(stageVolume(), QString("33.5"), WaitMs);
}

void tst_SwitcherApi::togglePlayListFollowsTheCache()
{
    FakeVMix &vmix = m_switchers->vmix;
    auto count = [this](const QString &function) {
        int n = 0;
        for (const FakeVMixRequest &request : vmixCommandsRun())
            n += request.function() == function ? 1 : 0;
        return n;
    };

    // vMix keeps reporting the playlist off, as it does until its next state document: both toggles
    // start it.
    FakeVMixState off = vmix.state();
    off.playList = false;
    vmix.setStateBody(off.toXml());
    QTRY_VERIFY_WITH_TIMEOUT(!get(QStringLiteral("/vmix/status")).value("isPlayListOn").toBool(true), WaitMs);
    const int starts = count(QStringLiteral("StartPlayList"));
    const int stops = count(QStringLiteral("StopPlayList"));
    QCOMPARE(get(QStringLiteral("/vmix/togglePlayList")).value("status").toString(), QString("OK"));
    QCOMPARE(get(QStringLiteral("/vmix/togglePlayList")).value("status").toString(), QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("StartPlayList")), starts + 2, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(vmix.pendingCount(), 0, WaitMs);
    QCOMPARE(count(QStringLiteral("StopPlayList")), stops);

    // Once the cache says it runs, the toggle stops it.
    FakeVMixState on = off;
    on.playList = true;
    vmix.setStateBody(on.toXml());
    QTRY_VERIFY_WITH_TIMEOUT(get(QStringLiteral("/vmix/status")).value("isPlayListOn").toBool(), WaitMs);
    QCOMPARE(get(QStringLiteral("/vmix/togglePlayList")).value("status").toString(), QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("StopPlayList")), stops + 1, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(vmix.pendingCount(), 0, WaitMs);
    QCOMPARE(count(QStringLiteral("StartPlayList")), starts + 2);
    vmix.clearStateBody();
}

int main(int argc, char **argv)
{
    TestDataHome home;
    // Both links enabled, pointing at the fakes.
    if (!TestDataHome::writeStartupSettings({{"startuponlaunch", true},
                                             {"servernic", ServerAddress},
                                             {"serverportnum", 0},
                                             {"enableobsctrl", true},
                                             {"obsip", SilentObsAddress},
                                             {"obsport", ObsPort},
                                             {"obspwd", ObsPassword},
                                             {"enablevmixctrl", true},
                                             {"vmixip", VMixAddress},
                                             {"vmixport", VMixPort},
                                             {"vmixid", VMixUser},
                                             {"vmixpwd", VMixPassword}}))
        return 1;
    TavimorexApp app(argc, argv);
    Switchers switchers;
    if (!switchers.start()) {
        qCritical("cannot start the fake switchers");
        return 1;
    }
    tst_SwitcherApi test(&app, &switchers);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_switcherapi.moc"
