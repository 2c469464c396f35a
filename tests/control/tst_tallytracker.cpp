#include "appsettings.h"
#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "obswrapper.h"
#include "tallytracker.h"
#include "testdatahome.h"
#include "vmixwrapper.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// TallyTracker against the OBS (4.x, 5.x) and vMix fakes over real sockets: which camera is on air and
// which is next, per switcher and both together, studio mode, and links that go down.

namespace {

const QHostAddress Obs4Address(QStringLiteral("127.0.22.1"));
const QHostAddress Obs5Address(QStringLiteral("127.0.22.2"));
const QHostAddress VMixAddress(QStringLiteral("127.0.22.3"));
constexpr int WaitMs = 5000;

// Camera ids as the camera list has them (network cameras are known by their address).
const QString CamA = QStringLiteral("127.0.0.21");
const QString CamB = QStringLiteral("127.0.0.22");
const QString CamC = QStringLiteral("127.0.0.23");

// The fakes' typical show: OBS has "Camera 1" on air and "Camera 2" in preview (studio mode); vMix has
// input 1 "Colour Bars" on air and input 2 "Camera 1" in preview.
const QString Scene1 = QStringLiteral("Camera 1");
const QString Scene2 = QStringLiteral("Camera 2");
const QString Slides = QStringLiteral("Slides");

std::unique_ptr<FakeObsServer> startObs(int version)
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

// The tally of each camera, as one text for readable failures.
QString states(const TallyTracker &tracker)
{
    QStringList parts;
    for (const QString &id : tracker.cameraIds())
        parts.append(tallyStateName(tracker.tally(id)));
    return parts.join(QLatin1Char(' '));
}

// The signals of one camera since the spy started, as state names.
QStringList changesOf(const QSignalSpy &spy, const QString &id)
{
    QStringList changes;
    for (const QList<QVariant> &args : spy) {
        if (args.at(0).toString() == id)
            changes.append(tallyStateName(args.at(1).value<TallyState>()));
    }
    return changes;
}

void addVersionRows()
{
    QTest::addColumn<int>("version");
    QTest::newRow("obs-websocket 4.x") << 4;
    QTest::newRow("obs-websocket 5.x") << 5;
}

} // namespace

class TestTallyTracker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void obsScenes_data();
    void obsScenes();
    void studioModeOffMeansNoPreview_data();
    void studioModeOffMeansNoPreview();
    void obsLinkDownTurnsTallyOff_data();
    void obsLinkDownTurnsTallyOff();
    void vmixInputs_data();
    void vmixInputs();
    void vmixDownAfterTwoFailedPolls();
    void bothLinks_data();
    void bothLinks();
    void sourcesFromTheSettingsStore();
    void tooLongSourceIsRefused();

private:
    // Connects an OBS link to server and waits until the tracker knows the scenes on air.
    bool connectObs(FakeObsServer &server, int version, const QString &password = {});
    bool pollVMix();

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<TallyTracker> m_tracker;
    std::unique_ptr<ObsWrapper> m_obs;
    std::unique_ptr<VMixWrapper> m_vmixLink;
};

void TestTallyTracker::init()
{
    m_home = std::make_unique<TestDataHome>();
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    m_settings = std::make_unique<AppSettings>();
    m_tracker = std::make_unique<TallyTracker>(m_settings.get());
}

void TestTallyTracker::cleanup()
{
    m_tracker.reset();
    m_obs.reset();
    m_vmixLink.reset();
    m_settings.reset();
    m_home.reset();
}

bool TestTallyTracker::connectObs(FakeObsServer &server, int version, const QString &password)
{
    m_obs = std::make_unique<ObsWrapper>(server.address().toString(), server.port(), password);
    if (version == 4)
        m_obs->setHelloTimeout(50);
    m_tracker->attachObs(m_obs.get());
    m_obs->openConnection();
    return QTest::qWaitFor([&] { return m_obs->programScene() == server.state().programScene; }, WaitMs)
           && QTest::qWaitFor(
               [&] {
                   return !server.state().studioMode || m_obs->previewScene() == server.state().previewScene;
               },
               WaitMs);
}

bool TestTallyTracker::pollVMix()
{
    QSignalSpy polled(m_vmixLink.get(), &VMixWrapper::statePolled);
    m_vmixLink->onVMixTimer();
    return polled.wait(WaitMs);
}

void TestTallyTracker::obsScenes_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("password");
    QTest::newRow("obs-websocket 4.x") << 4 << QString();
    QTest::newRow("obs-websocket 5.x") << 5 << QString();
    // The scenes are asked once the log-in is through.
    QTest::newRow("obs-websocket 4.x with a password") << 4 << QStringLiteral("studio pass");
    QTest::newRow("obs-websocket 5.x with a password") << 5 << QStringLiteral("studio pass");
}

void TestTallyTracker::obsScenes()
{
    QFETCH(int, version);
    QFETCH(QString, password);
    auto server = startObs(version);
    QVERIFY(server);
    server->setPassword(password);
    m_tracker->setSources(CamA, Scene1, QString());
    m_tracker->setSources(CamB, Scene2, QString());
    m_tracker->setSources(CamC, QString(), QString());
    m_tracker->setCameraIds({CamA, CamB, CamC});
    QCOMPARE(states(*m_tracker), QStringLiteral("off off off"));

    QSignalSpy changes(m_tracker.get(), &TallyTracker::tallyChanged);
    QVERIFY(connectObs(*server, version, password));
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview off"), WaitMs);
    QCOMPARE(m_tracker->programCameraIds(), QStringList{CamA});
    // The link knows OBS's scenes, for choosing sources, and hears of new ones.
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->scenes(), (QStringList{Scene1, Scene2, Slides}), WaitMs);
    server->setProgramScene(QStringLiteral("Interview"));
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->scenes(), (QStringList{Scene1, Scene2, Slides, "Interview"}), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("off preview off"), WaitMs);
    server->setProgramScene(Scene1);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview off"), WaitMs);

    // A cut: the preview goes on air, the old program scene into preview.
    server->setProgramScene(Scene2);
    server->setPreviewScene(Scene1);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("preview program off"), WaitMs);
    QCOMPARE(m_tracker->programCameraIds(), QStringList{CamB});

    // A scene no camera feeds: both off.
    server->setProgramScene(Slides);
    server->setPreviewScene(Slides);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("off off off"), WaitMs);
    QVERIFY(m_tracker->programCameraIds().isEmpty());

    // Every change reported once (the cut is two switches in OBS), nothing for the camera without a source.
    QCOMPARE(changesOf(changes, CamA), (QStringList{"program", "off", "program", "off", "preview", "off"}));
    QCOMPARE(changesOf(changes, CamB), (QStringList{"preview", "program", "off"}));
    QCOMPARE(changesOf(changes, CamC), QStringList());
}

void TestTallyTracker::studioModeOffMeansNoPreview_data()
{
    addVersionRows();
}

void TestTallyTracker::studioModeOffMeansNoPreview()
{
    QFETCH(int, version);
    auto server = startObs(version);
    QVERIFY(server);
    m_tracker->setSources(CamA, Scene1, QString());
    m_tracker->setSources(CamB, Scene2, QString());
    m_tracker->setCameraIds({CamA, CamB});
    QVERIFY(connectObs(*server, version));
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview"), WaitMs);

    server->setStudioMode(false);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program off"), WaitMs);
    QVERIFY(!m_obs->isStudioMode());
    QCOMPARE(m_obs->previewScene(), QString());

    // Back on: the link asks for the preview scene, which OBS kept.
    server->setStudioMode(true);
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview"), WaitMs);

    // A link that connects while studio mode is off sees no preview at all.
    server->setStudioMode(false);
    m_obs.reset();
    QVERIFY(connectObs(*server, version));
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program off"), WaitMs);
    QTest::qWait(200);
    QCOMPARE(states(*m_tracker), QStringLiteral("program off"));
}

void TestTallyTracker::obsLinkDownTurnsTallyOff_data()
{
    addVersionRows();
}

void TestTallyTracker::obsLinkDownTurnsTallyOff()
{
    QFETCH(int, version);
    auto server = startObs(version);
    QVERIFY(server);
    m_tracker->setSources(CamA, Scene1, QString());
    m_tracker->setSources(CamB, Scene2, QString());
    m_tracker->setCameraIds({CamA, CamB});
    QVERIFY(connectObs(*server, version));
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview"), WaitMs);
    QVERIFY(m_obs->isLinkUp());
    // Both have a source on a link that is up: their lights need a link.
    QVERIFY(m_tracker->isSourceLive(CamA));
    QVERIFY(m_tracker->isSourceLive(CamB));

    QSignalSpy changes(m_tracker.get(), &TallyTracker::tallyChanged);
    // The order of the two signals: a camera hears its off before its light link may close.
    QStringList order;
    connect(m_tracker.get(), &TallyTracker::tallyChanged, this,
            [&order](const QString &id, TallyState state) {
                order.append(id + QLatin1Char(' ') + tallyStateName(state));
            });
    connect(m_tracker.get(), &TallyTracker::sourceLiveChanged, this, [&order](const QString &id, bool live) {
        order.append(id + (live ? QStringLiteral(" live") : QStringLiteral(" dead")));
    });
    server->disconnectClients();
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("off off"), WaitMs);
    QVERIFY(!m_obs->isLinkUp());
    QCOMPARE(m_obs->programScene(), QString());
    QCOMPARE(changesOf(changes, CamA), QStringList{"off"});
    QCOMPARE(changesOf(changes, CamB), QStringList{"off"});
    QVERIFY(!m_tracker->isSourceLive(CamA));
    QVERIFY(!m_tracker->isSourceLive(CamB));
    QVERIFY2(order.indexOf(CamA + QStringLiteral(" off")) >= 0
                 && order.indexOf(CamA + QStringLiteral(" off"))
                        < order.indexOf(CamA + QStringLiteral(" dead")),
             qPrintable(order.join(QLatin1Char(','))));

    // Reconnected, the state is asked afresh.
    m_obs->openConnection();
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("program preview"), WaitMs);
    QVERIFY(m_tracker->isSourceLive(CamA));
    // A source emptied: no longer live, once.
    order.clear();
    m_tracker->setSources(CamB, QString(), QString());
    QVERIFY(!m_tracker->isSourceLive(CamB));
    QCOMPARE(order, (QStringList{CamB + QStringLiteral(" off"), CamB + QStringLiteral(" dead")}));
}

void TestTallyTracker::vmixInputs_data()
{
    QTest::addColumn<QString>("sourceOfInput2");
    QTest::addColumn<QString>("sourceOfInput3");
    const FakeVMixState show = FakeVMixState::typical();
    QTest::newRow("by number") << QStringLiteral("2") << QStringLiteral("3");
    QTest::newRow("by key") << show.inputs.at(1).key << show.inputs.at(2).key;
    QTest::newRow("by title") << show.inputs.at(1).title << show.inputs.at(2).title;
    QTest::newRow("by title with blanks around")
        << QStringLiteral(" Camera 1 ") << QStringLiteral("Camera 2\t");
}

void TestTallyTracker::vmixInputs()
{
    QFETCH(QString, sourceOfInput2);
    QFETCH(QString, sourceOfInput3);
    FakeVMix vmix;
    QVERIFY(vmix.listen(VMixAddress));
    m_vmixLink = std::make_unique<VMixWrapper>(vmix.address().toString(), vmix.port(), QString(), QString());
    m_tracker->attachVmix(m_vmixLink.get());
    m_tracker->setSources(CamA, QString(), sourceOfInput2);
    m_tracker->setSources(CamB, QString(), sourceOfInput3);
    m_tracker->setCameraIds({CamA, CamB});
    QSignalSpy changes(m_tracker.get(), &TallyTracker::tallyChanged);

    // Colour bars on air, input 2 in preview.
    QVERIFY(pollVMix());
    QVERIFY(m_vmixLink->isTallyLinkUp());
    QCOMPARE(m_vmixLink->activeInput().number, 1);
    QCOMPARE(m_vmixLink->previewInput().title, QStringLiteral("Camera 1"));
    QCOMPARE(states(*m_tracker), QStringLiteral("preview off"));

    // Input 2 on air and 3 in preview, through vMix's own functions.
    QNetworkAccessManager http;
    for (const char *function : {"ActiveInput&input=2", "PreviewInput&input=3"}) {
        QUrl url(QStringLiteral("http://%1:%2/api/?function=%3")
                     .arg(vmix.address().toString())
                     .arg(vmix.port())
                     .arg(QLatin1String(function)));
        std::unique_ptr<QNetworkReply> reply(http.get(QNetworkRequest(url)));
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), WaitMs);
        QCOMPARE(reply->error(), QNetworkReply::NoError);
    }
    QVERIFY(pollVMix());
    QCOMPARE(states(*m_tracker), QStringLiteral("program preview"));
    // A poll that changes nothing reports nothing.
    QVERIFY(pollVMix());

    vmix.state().active = 3;
    vmix.state().preview = 1;
    QVERIFY(pollVMix());
    QCOMPARE(states(*m_tracker), QStringLiteral("off program"));

    QCOMPARE(changesOf(changes, CamA), (QStringList{"preview", "program", "off"}));
    QCOMPARE(changesOf(changes, CamB), (QStringList{"preview", "program"}));
}

void TestTallyTracker::vmixDownAfterTwoFailedPolls()
{
    FakeVMix vmix;
    QVERIFY(vmix.listen(VMixAddress));
    m_vmixLink = std::make_unique<VMixWrapper>(vmix.address().toString(), vmix.port(), QString(), QString());
    m_vmixLink->setRequestTimeout(300);
    m_tracker->attachVmix(m_vmixLink.get());
    m_tracker->setSources(CamA, QString(), QStringLiteral("1"));
    m_tracker->setSources(CamB, QString(), QStringLiteral("2"));
    m_tracker->setCameraIds({CamA, CamB});
    QVERIFY(pollVMix());
    QCOMPARE(states(*m_tracker), QStringLiteral("program preview"));

    // One failed poll is a hiccup; the second in a row ends tally. The input cache stays.
    vmix.setHang(true);
    QVERIFY(pollVMix());
    QVERIFY(m_vmixLink->isTallyLinkUp());
    QCOMPARE(states(*m_tracker), QStringLiteral("program preview"));
    QVERIFY(pollVMix());
    QVERIFY(!m_vmixLink->isTallyLinkUp());
    QCOMPARE(states(*m_tracker), QStringLiteral("off off"));
    QCOMPARE(m_vmixLink->inputs().size(), vmix.state().inputs.size());

    // One good document brings it back.
    vmix.setHang(false);
    QVERIFY(pollVMix());
    QCOMPARE(states(*m_tracker), QStringLiteral("program preview"));

    // Not polling means not knowing.
    m_vmixLink->stopPolling();
    QCOMPARE(states(*m_tracker), QStringLiteral("off off"));
}

void TestTallyTracker::bothLinks_data()
{
    QTest::addColumn<QString>("obsProgram");
    QTest::addColumn<QString>("obsPreview");
    QTest::addColumn<int>("vmixActive");
    QTest::addColumn<int>("vmixPreview");
    QTest::addColumn<QString>("expected");
    // Camera A is scene "Camera 1" in OBS and input 2 in vMix; camera B is "Camera 2" and input 3.
    QTest::newRow("OBS program, vMix preview") << Scene1 << Scene2 << 3 << 2 << "program program";
    QTest::newRow("OBS preview, vMix program") << Scene2 << Scene1 << 2 << 1 << "program program";
    QTest::newRow("OBS off, vMix preview") << Slides << Slides << 1 << 2 << "preview off";
    QTest::newRow("both agree") << Scene1 << Scene2 << 2 << 3 << "program preview";
    QTest::newRow("neither") << Slides << Slides << 1 << 1 << "off off";
}

void TestTallyTracker::bothLinks()
{
    QFETCH(QString, obsProgram);
    QFETCH(QString, obsPreview);
    QFETCH(int, vmixActive);
    QFETCH(int, vmixPreview);
    QFETCH(QString, expected);

    auto server = startObs(5);
    QVERIFY(server);
    server->state().programScene = obsProgram;
    server->state().previewScene = obsPreview;
    FakeVMix vmix;
    QVERIFY(vmix.listen(VMixAddress));
    vmix.state().active = vmixActive;
    vmix.state().preview = vmixPreview;

    m_vmixLink = std::make_unique<VMixWrapper>(vmix.address().toString(), vmix.port(), QString(), QString());
    m_tracker->attachVmix(m_vmixLink.get());
    m_tracker->setSources(CamA, Scene1, QStringLiteral("2"));
    m_tracker->setSources(CamB, Scene2, QStringLiteral("3"));
    m_tracker->setCameraIds({CamA, CamB});
    QVERIFY(connectObs(*server, 5));
    QVERIFY(pollVMix());
    QCOMPARE(states(*m_tracker), expected);
}

void TestTallyTracker::sourcesFromTheSettingsStore()
{
    // Written as the operator's settings.ini holds them, then read when the camera list is set.
    m_settings->setTallyObs(CamA, Scene2);
    m_settings->setTallyVmix(CamB, QStringLiteral("Camera 1"));
    m_settings->sync();
    QSettings file(m_settings->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(CamA + QStringLiteral("_tally_obs")).toString(), Scene2);
    QCOMPARE(file.value(CamB + QStringLiteral("_tally_vmix")).toString(), QStringLiteral("Camera 1"));

    m_tracker->setCameraIds({CamA, CamB});
    QCOMPARE(m_tracker->obsSource(CamA), Scene2);
    QCOMPARE(m_tracker->vmixSource(CamB), QStringLiteral("Camera 1"));
    auto server = startObs(5);
    QVERIFY(server);
    QVERIFY(connectObs(*server, 5));
    QTRY_COMPARE_WITH_TIMEOUT(states(*m_tracker), QStringLiteral("preview off"), WaitMs);

    // Emptied: off at once.
    QSignalSpy changes(m_tracker.get(), &TallyTracker::tallyChanged);
    QVERIFY(m_tracker->setSources(CamA, QString(), QString()));
    QCOMPARE(states(*m_tracker), QStringLiteral("off off"));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(m_settings->tallyObs(CamA), QString());

    // A camera that leaves the list is reported off.
    QVERIFY(m_tracker->setSources(CamB, Scene1, QString()));
    QCOMPARE(states(*m_tracker), QStringLiteral("off program"));
    changes.clear();
    m_tracker->setCameraIds({CamA});
    QCOMPARE(changesOf(changes, CamB), QStringList{"off"});
    QCOMPARE(m_tracker->tally(CamB), TallyState::Off);
}

void TestTallyTracker::tooLongSourceIsRefused()
{
    m_tracker->setCameraIds({CamA});
    QVERIFY(m_tracker->setSources(CamA, QStringLiteral("Keep"), QStringLiteral("7")));
    const QString longest(TallyTracker::MaxSourceLength, QLatin1Char('x'));
    const QString tooLong = longest + QLatin1Char('x');
    QVERIFY(!m_tracker->setSources(CamA, tooLong, QString()));
    QVERIFY(!m_tracker->setSources(CamA, QString(), tooLong));
    QCOMPARE(m_settings->tallyObs(CamA), QStringLiteral("Keep"));
    QCOMPARE(m_settings->tallyVmix(CamA), QStringLiteral("7"));
    QVERIFY(m_tracker->setSources(CamA, longest, longest));
    QCOMPARE(m_settings->tallyObs(CamA), longest);
}

QTEST_GUILESS_MAIN(TestTallyTracker)
#include "tst_tallytracker.moc"
