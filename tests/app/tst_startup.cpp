#include "testdatahome.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <csignal>

// Starts the real program, as a user would, and stops it as a system shutdown would.
class tst_Startup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsAndQuitsCleanly_data();
    void startsAndQuitsCleanly();
};

void tst_Startup::startsAndQuitsCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
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

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
