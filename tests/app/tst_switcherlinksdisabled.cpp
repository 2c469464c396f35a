#include "appservices.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "httpserverwrapper.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

// The application object with OBS and vMix control switched off in settings.ini: the links exist but
// nothing is polled and OBS is not contacted, until the web API or the settings dialog's start/stop
// operations say otherwise.

namespace {

const QString ServerAddress = QStringLiteral("127.0.13.20");
const QString ObsAddress = QStringLiteral("127.0.13.21");
const QString VMixAddress = QStringLiteral("127.0.13.22");
constexpr quint16 ObsPort = 4455;
constexpr quint16 VMixPort = 8088;
constexpr int WaitMs = 10000;
// Long enough for a running link to have connected and polled more than once.
constexpr int QuietMs = 3 * 500 + 300;

struct Switchers
{
    FakeObs5Server obs;
    FakeVMix vmix;

    bool start()
    {
        obs.setState(FakeObsState::typical());
        vmix.setState(FakeVMixState::typical());
        return obs.listen(QHostAddress(ObsAddress), ObsPort)
               && vmix.listen(QHostAddress(VMixAddress), VMixPort);
    }
};

} // namespace

class tst_SwitcherLinksDisabled : public QObject
{
    Q_OBJECT

public:
    tst_SwitcherLinksDisabled(TavimorexApp *app, Switchers *switchers) : m_app(app), m_switchers(switchers)
    {
        m_network.setProxy(QNetworkProxy::NoProxy);
    }

private Q_SLOTS:
    void disabledLinksStayQuiet();
    void vmixCommandsGoOutAnyway();
    void obsSaveReconnectOpensWithoutPolling();
    void startAndStopLinks();

private:
    QJsonObject get(const QString &pathAndQuery);

    TavimorexApp *m_app;
    Switchers *m_switchers;
    QNetworkAccessManager m_network;
};

QJsonObject tst_SwitcherLinksDisabled::get(const QString &pathAndQuery)
{
    const QString url = QStringLiteral("http://%1:%2%3")
                            .arg(ServerAddress)
                            .arg(m_app->httpServer()->serverPort())
                            .arg(pathAndQuery);
    QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl(url)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(WaitMs)) {
        reply->abort();
        reply->deleteLater();
        return {};
    }
    const QJsonObject json = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return json;
}

void tst_SwitcherLinksDisabled::disabledLinksStayQuiet()
{
    QTest::qWait(QuietMs);
    QCOMPARE(m_switchers->obs.connectionCount(), 0);
    QCOMPARE(m_switchers->vmix.requests().size(), 0);

    const QJsonObject obs = get(QStringLiteral("/obs/status"));
    QCOMPARE(obs.value("status").toString(), QString("OK"));
    QVERIFY(obs.value("sources").toArray().isEmpty());
    const QJsonObject vmix = get(QStringLiteral("/vmix/status"));
    QCOMPARE(vmix.value("status").toString(), QString("OK"));
    QVERIFY(vmix.value("inputs").toArray().isEmpty());
    // The links were still made from the stored settings.
    QCOMPARE(get(QStringLiteral("/obs/settings")).value("obsIp").toString(), ObsAddress);
    QCOMPARE(get(QStringLiteral("/vmix/settings")).value("vmixIp").toString(), VMixAddress);
}

void tst_SwitcherLinksDisabled::vmixCommandsGoOutAnyway()
{
    // A vMix command is one HTTP request; it does not need the poll.
    QCOMPARE(get(QStringLiteral("/vmix/toggleStreaming")).value("status").toString(), QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(m_switchers->vmix.commands().size(), 1, WaitMs);
    QCOMPARE(m_switchers->vmix.commands().first().function(), QString("StartStopStreaming"));
    QVERIFY(m_switchers->vmix.state().streaming);
    QCOMPARE(m_switchers->vmix.stateRequestCount(), 0);

    // An OBS command with the link closed is lost, and the reply is still OK.
    QCOMPARE(get(QStringLiteral("/obs/toggleStreaming")).value("status").toString(), QString("OK"));
    QTest::qWait(300);
    QCOMPARE(m_switchers->obs.connectionCount(), 0);
    QVERIFY(!m_switchers->obs.state().streaming);
}

void tst_SwitcherLinksDisabled::obsSaveReconnectOpensWithoutPolling()
{
    FakeObs5Server &obs = m_switchers->obs;
    const QString query
        = QStringLiteral("/obs/saveReconnect?obsIp=%1&obsPort=%2&obsPwd=").arg(ObsAddress).arg(ObsPort);
    QCOMPARE(get(query).value("status").toString(), QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(obs.identifiedSubscriptions().size(), 1, WaitMs);

    // Open for commands, but not polled while OBS control is off.
    QCOMPARE(get(QStringLiteral("/obs/toggleRecording")).value("status").toString(), QString("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(obs.requestsOfType(QStringLiteral("ToggleRecord")).size(), 1, WaitMs);
    QVERIFY(obs.state().recording);
    QTest::qWait(QuietMs);
    QCOMPARE(obs.requestsOfType(QStringLiteral("GetInputList")).size(), 0);
    QVERIFY(get(QStringLiteral("/obs/status")).value("sources").toArray().isEmpty());
    QCOMPARE(m_switchers->vmix.stateRequestCount(), 0);
}

void tst_SwitcherLinksDisabled::startAndStopLinks()
{
    FakeObs5Server &obs = m_switchers->obs;
    FakeVMix &vmix = m_switchers->vmix;
    AppServices *services = appServices();
    QVERIFY(services);
    const int connections = obs.connectionCount();

    QVERIFY(services->startObsLink());
    QVERIFY(services->startVmixLink());
    QTRY_VERIFY_WITH_TIMEOUT(!get(QStringLiteral("/obs/status")).value("sources").toArray().isEmpty(),
                             WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!get(QStringLiteral("/vmix/status")).value("inputs").toArray().isEmpty(),
                             WaitMs);
    // Starting reopens the OBS link.
    QCOMPARE(obs.connectionCount(), connections + 1);
    QCOMPARE(obs.clientCount(), 1);

    QVERIFY(services->stopObsLink());
    QVERIFY(services->stopVmixLink());
    QTRY_COMPARE_WITH_TIMEOUT(obs.clientCount(), 0, WaitMs);
    // A state request under way at the stop may still land.
    QTRY_COMPARE_WITH_TIMEOUT(vmix.pendingCount(), 0, WaitMs);
    QTest::qWait(300);
    const int obsMessages = obs.received().size();
    const int vmixPolls = vmix.stateRequestCount();
    QTest::qWait(QuietMs);
    QCOMPARE(obs.received().size(), obsMessages);
    QCOMPARE(vmix.stateRequestCount(), vmixPolls);
    QCOMPARE(obs.connectionCount(), connections + 1);
}

int main(int argc, char **argv)
{
    TestDataHome home;
    if (!TestDataHome::writeStartupSettings({{"startuponlaunch", true},
                                             {"servernic", ServerAddress},
                                             {"serverportnum", 0},
                                             {"enableobsctrl", false},
                                             {"obsip", ObsAddress},
                                             {"obsport", ObsPort},
                                             {"enablevmixctrl", false},
                                             {"vmixip", VMixAddress},
                                             {"vmixport", VMixPort}}))
        return 1;
    TavimorexApp app(argc, argv);
    // Listening before the event loop runs, so a link that wrongly started would reach them.
    Switchers switchers;
    if (!switchers.start()) {
        qCritical("cannot start the fake switchers");
        return 1;
    }
    tst_SwitcherLinksDisabled test(&app, &switchers);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_switcherlinksdisabled.moc"
