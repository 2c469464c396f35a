#include "appsettings.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "httpserverwrapper.h"
#include "mainwindow.h"
#include "ptzsimprocess.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QAction>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

// Tally through the whole program: OBS (5.x) and vMix fakes switch scenes and inputs, and the web API
// ("/cam/tally", "/cam/getCurrentCamInfo", the camera settings routes) and the window's camera buttons
// and status bar follow.

namespace {

const QString ServerAddress = QStringLiteral("127.0.23.1");
const QString ObsAddress = QStringLiteral("127.0.23.2");
const QString VMixAddress = QStringLiteral("127.0.23.3");
constexpr quint16 ObsPort = 4455;
constexpr quint16 VMixPort = 8088;
constexpr int WaitMs = 10000;

// Three network cameras; they need not answer, tally works on what the switchers say.
const QString CamA = QStringLiteral("127.0.23.11");
const QString CamB = QStringLiteral("127.0.23.12");
const QString CamC = QStringLiteral("127.0.23.13");
const QString NameA = QStringLiteral("Studio A");
const QString NameB = QStringLiteral("Studio B");
const QString NameC = QStringLiteral("Studio C");

// The fakes' typical shows: OBS scenes "Camera 1", "Camera 2", "Slides"; vMix inputs 1 "Colour Bars",
// 2 "Camera 1", 3 "Camera 2". Camera A is OBS scene "Camera 1", camera B OBS scene "Camera 2", camera C
// vMix input "Camera 2" (by title) and OBS scene "Slides".
const QString Scene1 = QStringLiteral("Camera 1");
const QString Scene2 = QStringLiteral("Camera 2");
const QString Slides = QStringLiteral("Slides");

const QString WrongCameraSettings = QStringLiteral("Wrong camera settings!");
const QString ProgramBorder = QStringLiteral("#ff3b30");
const QString PreviewBorder = QStringLiteral("#34c759");

struct Switchers
{
    FakeObs5Server obs;
    FakeVMix vmix;
    // Cameras A and B answer VISCA: their tally lamps are watched.
    PtzSimProcess cameras;

    bool start()
    {
        return obs.listen(QHostAddress(ObsAddress), ObsPort)
               && vmix.listen(QHostAddress(VMixAddress), VMixPort);
    }
};

QByteArray formEncode(const QString &text)
{
    return text.toUtf8().toPercentEncoding(QByteArrayLiteral(" *"), QByteArrayLiteral("~")).replace(' ', '+');
}

} // namespace

class tst_Tally : public QObject
{
    Q_OBJECT

public:
    tst_Tally(TavimorexApp *app, Switchers *switchers) : m_app(app), m_switchers(switchers)
    {
        m_network.setProxy(QNetworkProxy::NoProxy);
    }

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void startupState();
    void switching_data();
    void switching();
    void currentCameraInfo();
    void sourcesInTheCameraSettings();
    void badSourcesChangeNothing_data();
    void badSourcesChangeNothing();
    void linksDown();
    void lampsOnTheCameras();
    // A picture of the camera buttons for a reviewer; only with TAVIMOREX_SCREENSHOTS set to a folder.
    void screenshots();

private:
    QJsonObject get(const QString &path, const QList<QPair<QString, QString>> &query = {});
    // "/cam/tally" as one text, "program preview off", for the first three cameras.
    QString webStates();
    // The same read from the window's buttons.
    QString buttonStates() const;
    QPushButton *button(int n) const;
    QString statusText() const;
    // The camera list as "/cam/settings" gives it, turned into a "/cam/saveSettings" list.
    QJsonArray savedList();
    // Switches both fakes and waits until vMix has been polled with the new document.
    void switchTo(const QString &obsProgram, const QString &obsPreview, int vmixActive, int vmixPreview);

    TavimorexApp *m_app;
    Switchers *m_switchers;
    QNetworkAccessManager m_network;
};

QJsonObject tst_Tally::get(const QString &path, const QList<QPair<QString, QString>> &query)
{
    QByteArray target = path.toUtf8();
    for (int i = 0; i < query.size(); ++i)
        target += (i == 0 ? '?' : '&') + formEncode(query.at(i).first) + '=' + formEncode(query.at(i).second);
    const QByteArray url = "http://" + ServerAddress.toUtf8() + ':'
                           + QByteArray::number(m_app->httpServer()->serverPort()) + target;
    QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl::fromEncoded(url, QUrl::StrictMode)));
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

QString tst_Tally::webStates()
{
    const QJsonObject reply = get(QStringLiteral("/cam/tally"));
    const QJsonArray cams = reply.value(QLatin1String("cams")).toArray();
    QStringList states;
    for (int i = 0; i < 3 && i < cams.size(); ++i)
        states.append(cams.at(i).toObject().value(QLatin1String("tally")).toString());
    return states.join(QLatin1Char(' '));
}

QPushButton *tst_Tally::button(int n) const
{
    return m_app->mainWindow()->findChild<QPushButton *>(QStringLiteral("connectCam%1").arg(n));
}

QString tst_Tally::buttonStates() const
{
    QStringList states;
    for (int n = 1; n <= 3; ++n)
        states.append(button(n)->property("tally").toString());
    return states.join(QLatin1Char(' '));
}

QString tst_Tally::statusText() const
{
    const auto *label = m_app->mainWindow()->findChild<QLabel *>(QStringLiteral("tallyLabel"));
    return label ? label->text() : QString();
}

QJsonArray tst_Tally::savedList()
{
    const QJsonArray cams = get(QStringLiteral("/cam/settings")).value(QLatin1String("camList")).toArray();
    QJsonArray list;
    for (const QJsonValue &value : cams) {
        const QJsonObject cam = value.toObject();
        list.append(QJsonObject{{QStringLiteral("isUsb"), cam.value(QLatin1String("isUsbCam")).toBool()},
                                {QStringLiteral("name"), cam.value(QLatin1String("camName")).toString()},
                                {QStringLiteral("camId"), cam.value(QLatin1String("camId")).toString()}});
    }
    return list;
}

void tst_Tally::switchTo(const QString &obsProgram,
                         const QString &obsPreview,
                         int vmixActive,
                         int vmixPreview)
{
    FakeObsServer &obs = m_switchers->obs;
    if (obs.state().programScene != obsProgram)
        obs.setProgramScene(obsProgram);
    if (!obsPreview.isEmpty() && obs.state().previewScene != obsPreview)
        obs.setPreviewScene(obsPreview);
    m_switchers->vmix.state().active = vmixActive;
    m_switchers->vmix.state().preview = vmixPreview;
    // Two state requests after the change: the second was surely asked for after it.
    const int before = m_switchers->vmix.stateRequestCount();
    QTRY_VERIFY_WITH_TIMEOUT(m_switchers->vmix.stateRequestCount() >= before + 2, WaitMs);
}

void tst_Tally::initTestCase()
{
    QVERIFY(m_app->httpServer()->serverPort() > 0);
    // Camera C is fed by vMix (input 3 by its title) and by OBS's slides.
    QCOMPARE(get(QStringLiteral("/cam/settings")).value(QLatin1String("status")).toString(),
             QStringLiteral("OK"));
}

void tst_Tally::cleanup()
{
    m_switchers->obs.setStudioMode(true);
}

void tst_Tally::startupState()
{
    // OBS: "Camera 1" on air, "Camera 2" in preview; vMix: colour bars on air, "Camera 1" in preview.
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview off"), WaitMs);
    const QJsonObject reply = get(QStringLiteral("/cam/tally"));
    QCOMPARE(reply.value(QLatin1String("status")).toString(), QStringLiteral("OK"));
    QCOMPARE(reply.value(QLatin1String("msg")).toString(), QString());
    const QJsonArray cams = reply.value(QLatin1String("cams")).toArray();
    QCOMPARE(cams.size(), 8);
    QCOMPARE(cams.at(0).toObject(), (QJsonObject{{QStringLiteral("id"), CamA},
                                                 {QStringLiteral("camIndex"), 0},
                                                 {QStringLiteral("name"), NameA},
                                                 {QStringLiteral("tally"), QStringLiteral("program")}}));
    // The unconfigured slots have no source.
    for (int i = 3; i < 8; ++i)
        QCOMPARE(cams.at(i).toObject().value(QLatin1String("tally")).toString(), QStringLiteral("off"));

    QCOMPARE(buttonStates(), QStringLiteral("program preview off"));
    QCOMPARE(statusText(), QStringLiteral("Program: ") + NameA);
}

void tst_Tally::switching_data()
{
    QTest::addColumn<QString>("obsProgram");
    QTest::addColumn<QString>("obsPreview");
    QTest::addColumn<bool>("studioMode");
    QTest::addColumn<int>("vmixActive");
    QTest::addColumn<int>("vmixPreview");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("status");
    QTest::newRow("OBS cut to camera B") << Scene2 << Scene1 << true << 1 << 1 << "preview program off"
                                         << "Program: Studio B";
    QTest::newRow("vMix puts camera C on air")
        << Scene2 << Scene1 << true << 3 << 1 << "preview program program"
        << "Program: Studio B, Studio C";
    QTest::newRow("links disagree: program wins")
        << Slides << Scene1 << true << 1 << 3 << "preview off program"
        << "Program: Studio C";
    QTest::newRow("vMix preview only") << Scene1 << Scene1 << true << 1 << 3 << "program off preview"
                                       << "Program: Studio A";
    QTest::newRow("studio mode off: no preview") << Scene1 << Scene2 << false << 1 << 1 << "program off off"
                                                 << "Program: Studio A";
    QTest::newRow("nothing on air") << Slides << QString() << false << 1 << 1 << "off off program"
                                    << "Program: Studio C";
}

void tst_Tally::switching()
{
    QFETCH(QString, obsProgram);
    QFETCH(QString, obsPreview);
    QFETCH(bool, studioMode);
    QFETCH(int, vmixActive);
    QFETCH(int, vmixPreview);
    QFETCH(QString, expected);
    QFETCH(QString, status);

    switchTo(obsProgram, obsPreview, vmixActive, vmixPreview);
    m_switchers->obs.setStudioMode(studioMode);
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), expected, WaitMs);
    QCOMPARE(buttonStates(), expected);
    QCOMPARE(statusText(), status);

    // Each button's look: red border on air, green in preview, none when off.
    const QStringList states = expected.split(QLatin1Char(' '));
    for (int n = 1; n <= 3; ++n) {
        const QString style = button(n)->styleSheet();
        QCOMPARE(style.contains(ProgramBorder), states.at(n - 1) == QLatin1String("program"));
        QCOMPARE(style.contains(PreviewBorder), states.at(n - 1) == QLatin1String("preview"));
    }
}

void tst_Tally::currentCameraInfo()
{
    switchTo(Scene1, Scene2, 1, 1);
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview off"), WaitMs);

    const QList<QPair<QString, QString>> expected{{QStringLiteral("0"), QStringLiteral("program")},
                                                  {QStringLiteral("1"), QStringLiteral("preview")},
                                                  {QStringLiteral("2"), QStringLiteral("off")}};
    for (const auto &[camNum, tally] : expected) {
        QCOMPARE(get(QStringLiteral("/cam/connect"), {{QStringLiteral("camNum"), camNum}})
                     .value(QLatin1String("status"))
                     .toString(),
                 QStringLiteral("OK"));
        const QJsonObject info = get(QStringLiteral("/cam/getCurrentCamInfo"));
        QCOMPARE(info.value(QLatin1String("camIndex")).toInt(), camNum.toInt());
        QCOMPARE(info.value(QLatin1String("tally")).toString(), tally);
    }

    // Camera C is current and off: the highlight alone. Camera A is on air and not current.
    const QString style = button(3)->styleSheet();
    QVERIFY(!style.contains(ProgramBorder) && !style.contains(PreviewBorder));
    QVERIFY(style.contains(QStringLiteral("#4f4f4f")));
    QVERIFY(button(1)->styleSheet().contains(ProgramBorder));
    QVERIFY(!button(1)->styleSheet().contains(QStringLiteral("#4f4f4f")));

    // The current camera goes on air: its info says so.
    switchTo(Slides, Scene2, 1, 1);
    QTRY_COMPARE_WITH_TIMEOUT(
        get(QStringLiteral("/cam/getCurrentCamInfo")).value(QLatin1String("tally")).toString(),
        QStringLiteral("program"), WaitMs);
    QVERIFY(button(3)->styleSheet().contains(QStringLiteral("#4f4f4f")));
    QVERIFY(button(3)->styleSheet().contains(ProgramBorder));
}

void tst_Tally::sourcesInTheCameraSettings()
{
    switchTo(Scene1, Scene2, 1, 1);
    const QJsonArray cams = get(QStringLiteral("/cam/settings")).value(QLatin1String("camList")).toArray();
    QCOMPARE(cams.at(0).toObject().value(QLatin1String("tallyObs")).toString(), Scene1);
    QCOMPARE(cams.at(0).toObject().value(QLatin1String("tallyVmix")).toString(), QString());
    QCOMPARE(cams.at(2).toObject().value(QLatin1String("tallyObs")).toString(), Slides);
    QCOMPARE(cams.at(2).toObject().value(QLatin1String("tallyVmix")).toString(), Scene2);

    // Camera A now follows vMix input 1 by number; camera B's entry names no sources and keeps its own.
    QJsonArray list = savedList();
    QJsonObject a = list.at(0).toObject();
    a.insert(QStringLiteral("tallyObs"), QString());
    a.insert(QStringLiteral("tallyVmix"), QStringLiteral("1"));
    list.replace(0, a);
    const QJsonObject reply = get(
        QStringLiteral("/cam/saveSettings"),
        {{QStringLiteral("camList"), QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}});
    QCOMPARE(reply.value(QLatin1String("status")).toString(), QStringLiteral("OK"));
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview off"), WaitMs);
    AppSettings *settings = m_app->settings();
    QCOMPARE(settings->tallyObs(CamA), QString());
    QCOMPARE(settings->tallyVmix(CamA), QStringLiteral("1"));
    QCOMPARE(settings->tallyObs(CamB), Scene2);
    settings->sync();
    QSettings file(settings->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(CamA + QStringLiteral("_tally_vmix")).toString(), QStringLiteral("1"));

    // vMix cuts away from input 1: camera A off, as OBS no longer feeds it.
    switchTo(Scene1, Scene2, 2, 1);
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("preview preview off"), WaitMs);

    // Back as the test started.
    a.insert(QStringLiteral("tallyObs"), Scene1);
    a.insert(QStringLiteral("tallyVmix"), QString());
    list.replace(0, a);
    get(QStringLiteral("/cam/saveSettings"),
        {{QStringLiteral("camList"), QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}});
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview off"), WaitMs);
}

void tst_Tally::badSourcesChangeNothing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QJsonValue>("value");
    const QString tooLong(201, QLatin1Char('s'));
    QTest::newRow("OBS scene of 201 characters") << "tallyObs" << QJsonValue(tooLong);
    QTest::newRow("vMix input of 201 characters") << "tallyVmix" << QJsonValue(tooLong);
    QTest::newRow("vMix input as a number") << "tallyVmix" << QJsonValue(3);
    QTest::newRow("OBS scene as null") << "tallyObs" << QJsonValue(QJsonValue::Null);
}

void tst_Tally::badSourcesChangeNothing()
{
    QFETCH(QString, field);
    QFETCH(QJsonValue, value);
    const QJsonObject before = get(QStringLiteral("/cam/settings"));

    // The bad entry is the last one; the first renames its camera, which must not happen either.
    QJsonArray list = savedList();
    QJsonObject first = list.at(0).toObject();
    first.insert(QStringLiteral("name"), QStringLiteral("Renamed"));
    first.insert(QStringLiteral("tallyObs"), QStringLiteral("Other"));
    list.replace(0, first);
    QJsonObject last = list.at(7).toObject();
    last.insert(field, value);
    list.replace(7, last);
    const QJsonObject reply = get(
        QStringLiteral("/cam/saveSettings"),
        {{QStringLiteral("camList"), QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}});
    QCOMPARE(reply.value(QLatin1String("status")).toString(), QStringLiteral("FAILED"));
    QCOMPARE(reply.value(QLatin1String("msg")).toString(), WrongCameraSettings);
    QCOMPARE(get(QStringLiteral("/cam/settings")), before);
    QCOMPARE(m_app->settings()->tallyObs(CamA), Scene1);
    QCOMPARE(button(1)->text(), NameA);

    // Exactly 200 characters are fine.
    last.insert(field, QString(200, QLatin1Char('s')));
    list = savedList();
    list.replace(7, last);
    QCOMPARE(get(QStringLiteral("/cam/saveSettings"),
                 {{QStringLiteral("camList"),
                   QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}})
                 .value(QLatin1String("status"))
                 .toString(),
             QStringLiteral("OK"));
}

void tst_Tally::linksDown()
{
    switchTo(Scene1, Scene2, 3, 1);
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview program"), WaitMs);

    // OBS quits: what it fed is off, vMix's camera stays on air.
    m_switchers->obs.close();
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("off off program"), WaitMs);
    QCOMPARE(buttonStates(), QStringLiteral("off off program"));

    // vMix stops answering: off after two failed polls.
    m_switchers->vmix.setHang(true);
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("off off off"), 3 * WaitMs);
    QCOMPARE(statusText(), QStringLiteral("Program: none"));

    // Both back: the OBS link re-opens itself.
    m_switchers->vmix.setHang(false);
    QVERIFY(m_switchers->obs.listen(QHostAddress(ObsAddress), ObsPort));
    QTRY_COMPARE_WITH_TIMEOUT(webStates(), QStringLiteral("program preview program"), 6 * WaitMs);
}

void tst_Tally::screenshots()
{
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("set TAVIMOREX_SCREENSHOTS to a folder to save pictures of the window");
    QDir().mkpath(folder);
    // Camera A on air and current, camera B in preview, camera C current-less and off.
    switchTo(Scene1, Scene2, 1, 1);
    get(QStringLiteral("/cam/connect"), {{QStringLiteral("camNum"), QStringLiteral("0")}});
    QTRY_COMPARE_WITH_TIMEOUT(buttonStates(), QStringLiteral("program preview off"), WaitMs);
    MainWindow *window = m_app->mainWindow();
    window->findChild<QAction *>(QStringLiteral("actionStatusBar"))->setChecked(true);
    window->statusBar()->show();
    window->adjustSize();
    QTest::qWait(100);
    QVERIFY(window->grab().save(folder + QStringLiteral("/mainwindow-tally.png")));
    // Camera B current and on air, A in preview.
    switchTo(Scene2, Scene1, 1, 1);
    get(QStringLiteral("/cam/connect"), {{QStringLiteral("camNum"), QStringLiteral("1")}});
    QTRY_COMPARE_WITH_TIMEOUT(buttonStates(), QStringLiteral("preview program off"), WaitMs);
    QTest::qWait(100);
    QVERIFY(window->grab().save(folder + QStringLiteral("/mainwindow-tally-current-on-air.png")));
}

namespace {
QList<QByteArray> tallyPackets(const PtzSimProcess &sim, const QString &address)
{
    const QByteArray on = QByteArray::fromHex("81017e010a0002ff");
    const QByteArray off = QByteArray::fromHex("81017e010a0003ff");
    QList<QByteArray> tally;
    for (const QByteArray &packet : sim.rxPackets(address)) {
        if (packet == on || packet == off)
            tally.append(packet == on ? QByteArrayLiteral("on") : QByteArrayLiteral("off"));
    }
    return tally;
}
} // namespace

void tst_Tally::lampsOnTheCameras()
{
    PtzSimProcess &sim = m_switchers->cameras;
    // Camera A is the current one (its control link), camera B is not (its light link).
    button(1)->click();
    QVERIFY(sim.waitForRx(CamA, QByteArray::fromHex("81090447ff"), WaitMs));
    switchTo(Scene1, Scene2, 1, 1);
    QTRY_COMPARE_WITH_TIMEOUT(webStates().section(QLatin1Char(' '), 0, 1), QStringLiteral("program preview"),
                              WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!tallyPackets(sim, CamA).isEmpty() && tallyPackets(sim, CamA).last() == "on"
                                 && !tallyPackets(sim, CamB).isEmpty()
                                 && tallyPackets(sim, CamB).last() == "off",
                             WaitMs);
    const qsizetype beforeA = tallyPackets(sim, CamA).size();
    const qsizetype beforeB = tallyPackets(sim, CamB).size();

    // OBS cuts to camera B, then back: each lamp hears each change once.
    switchTo(Scene2, Scene1, 1, 1);
    QTRY_COMPARE_WITH_TIMEOUT(tallyPackets(sim, CamB).mid(beforeB), QList<QByteArray>{"on"}, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(tallyPackets(sim, CamA).mid(beforeA), QList<QByteArray>{"off"}, WaitMs);
    switchTo(Scene1, Scene2, 1, 1);
    QTRY_COMPARE_WITH_TIMEOUT(tallyPackets(sim, CamA).mid(beforeA), (QList<QByteArray>{"off", "on"}), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(tallyPackets(sim, CamB).mid(beforeB), (QList<QByteArray>{"on", "off"}), WaitMs);
    // A while of polling and vMix polls: nothing more.
    QTest::qWait(1500);
    QCOMPARE(tallyPackets(sim, CamA).mid(beforeA), (QList<QByteArray>{"off", "on"}));
    QCOMPARE(tallyPackets(sim, CamB).mid(beforeB), (QList<QByteArray>{"on", "off"}));
    // Camera B's link carries the lamp only.
    for (const QByteArray &packet : sim.rxPackets(CamB))
        QVERIFY2(packet.size() < 2 || quint8(packet.at(1)) != 0x09, packet.toHex(' ').constData());
}

int main(int argc, char **argv)
{
    TestDataHome home;
    if (!TestDataHome::writeStartupSettings({{"startuponlaunch", true},
                                             {"servernic", ServerAddress},
                                             {"serverportnum", 0},
                                             {"enableobsctrl", true},
                                             {"obsip", ObsAddress},
                                             {"obsport", ObsPort},
                                             {"enablevmixctrl", true},
                                             {"vmixip", VMixAddress},
                                             {"vmixport", VMixPort},
                                             {CamA + QStringLiteral("_tally_obs"), Scene1},
                                             {CamB + QStringLiteral("_tally_obs"), Scene2},
                                             {CamC + QStringLiteral("_tally_obs"), Slides},
                                             {CamC + QStringLiteral("_tally_vmix"), Scene2}},
                                            {{CamA, NameA}, {CamB, NameB}, {CamC, NameC}}))
        return 1;
    TavimorexApp app(argc, argv);
    Switchers switchers;
    if (!switchers.start()) {
        qCritical("cannot start the fake switchers");
        return 1;
    }
    if (!switchers.cameras.start({CamA, CamB})) {
        qCritical("cannot start the camera simulator: %s", qPrintable(switchers.cameras.errorString()));
        return 1;
    }
    tst_Tally test(&app, &switchers);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tally.moc"
