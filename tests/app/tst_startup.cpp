#include "ptzsimprocess.h"
#include "testdatahome.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QUrlQuery>

#include <csignal>

// Starts the real program, as a user would, and stops it as a system shutdown would.
class tst_Startup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsAndQuitsCleanly_data();
    void startsAndQuitsCleanly();
    void quitWhilePanningStopsTheCamera_data();
    void quitWhilePanningStopsTheCamera();
};

namespace {
const QString PanCamera = QStringLiteral("127.0.21.50");
const QString WebServer = QStringLiteral("127.0.21.51");

// One request to the program's web server; the HTTP status, or -1 when it could not be reached.
int httpGet(const QString &path, const QList<QPair<QString, QString>> &params = {})
{
    QUrl url(QStringLiteral("http://%1:8080%2").arg(WebServer, path));
    QUrlQuery query;
    for (const auto &[key, value] : params)
        query.addQueryItem(key, value);
    url.setQuery(query);
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status == 0 ? -1 : status;
}

bool isPanTiltStop(const QByteArray &packet)
{
    return packet.size() == 9 && packet.startsWith(QByteArray::fromHex("81010601"))
           && packet.endsWith(QByteArray::fromHex("0303ff"));
}
} // namespace

void tst_Startup::startsAndQuitsCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_Startup::startsAndQuitsCleanly()
{
    QFETCH(int, signal);
    TestDataHome home;
    const QString settingsFile = home.path() + "/tavimorex/tavimorex-controller/settings.ini";

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(TAVIMOREX_BIN_DIR "/tavimorex", {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    // The first start records the camera list, so the file exists while the program runs.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(settingsFile), 10000);
    QCOMPARE(program.state(), QProcess::Running);

    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QSettings file(settingsFile, QSettings::IniFormat);
    QCOMPARE(file.status(), QSettings::NoError);
    QCOMPARE(file.value("cameraslist/size").toInt(), 8);
    QCOMPARE(file.value("cameraslist/1/cameraname").toString(), QString("Camera1"));
}

void tst_Startup::quitWhilePanningStopsTheCamera_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_Startup::quitWhilePanningStopsTheCamera()
{
    QFETCH(int, signal);
    PtzSimProcess sim;
    QVERIFY2(sim.start({PanCamera}), qPrintable(sim.errorString()));
    TestDataHome home;
    const QString folder = home.path() + "/tavimorex/tavimorex-controller";
    QVERIFY(QDir().mkpath(folder));
    {
        QSettings file(folder + "/settings.ini", QSettings::IniFormat);
        file.setValue("startuponlaunch", true);
        file.setValue("servernic", WebServer);
        file.setValue("serverportnum", 8080);
        file.setValue("cameraslist/size", 1);
        file.setValue("cameraslist/1/cameratype", 0);
        file.setValue("cameraslist/1/cameraid", PanCamera);
        file.setValue("cameraslist/1/cameraname", "Camera1");
        file.setValue("cameraslist/1/devicename", PanCamera);
    }

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(TAVIMOREX_BIN_DIR "/tavimorex", {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(httpGet("/cam/connect", {{"camNum", "0"}}) == 200, 10000);
    QVERIFY(sim.waitForEvent(PanCamera, "CONNECT"));
    // Past the automatic stops of the opened link.
    QVERIFY(sim.waitForRx(PanCamera, QByteArray::fromHex("8101040800ff")));
    QTest::qWait(300);

    QCOMPARE(httpGet("/cam/control", {{"controlMethod", "1"},
                                      {"panSpeed", "10"},
                                      {"tiltSpeed", "7"},
                                      {"zoomSpeed", "3"},
                                      {"focusSpeed", "4"}}),
             200);
    QVERIFY(sim.waitForRx(PanCamera, QByteArray::fromHex("810106010a000103ff")));
    sim.clearLog();
    const qint64 signalledAt = QDateTime::currentMSecsSinceEpoch();
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    // The stop reached the camera on the open link, before the link closed.
    QVERIFY(sim.waitForEvent(PanCamera, "DISCONNECT", 3000));
    int stopAt = -1;
    int closedAt = -1;
    const QList<PtzSimProcess::LogEntry> log = sim.log();
    for (int i = 0; i < log.size(); ++i) {
        if (log.at(i).address != PanCamera)
            continue;
        if (stopAt < 0 && log.at(i).event == "RX" && isPanTiltStop(log.at(i).packet))
            stopAt = i;
        if (closedAt < 0 && log.at(i).event == "DISCONNECT")
            closedAt = i;
    }
    QVERIFY2(stopAt >= 0, qPrintable(sim.logLines().join('\n')));
    QVERIFY2(stopAt < closedAt, qPrintable(sim.logLines().join('\n')));
    qInfo("quit: pan-tilt stop %lld ms after the signal, link closed %lld ms after the signal",
          log.at(stopAt).msecs - signalledAt, log.at(closedAt).msecs - signalledAt);
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
