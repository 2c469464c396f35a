#include <QProcess>
#include <QTest>

// The command-line tool against its built-in simulated camera: what it sends and how it reports.
class TestLensgripCtl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data();
    void commands();
};

void TestLensgripCtl::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    QTest::newRow("list") << QStringList{"list"} << 0 << "0: Simulated PTZ Camera\n"
                          << "";
    QTest::newRow("ranges") << QStringList{"ranges", "0"} << 0
                            << "pan   speed: 1..24 (default 12)\n"
                               "tilt  speed: 1..20 (default 10)\n"
                               "zoom  speed: 1..7 (default 3)\n"
                               "focus speed: 1..20 (default 7)\n"
                               "pan   position: 0\n"
                               "tilt  position: 0\n"
                               "zoom  position: 0\n"
                               "focus position: 0\n"
                               "auto focus: on\n"
                               "on-screen menu: available\n"
                            << "";
    QTest::newRow("diagonal move for a while")
        << QStringList{"move", "Simulated PTZ Camera", "up-left", "5", "--for", "1"} << 0
        << "tilt up: ok\npan left: ok\nstop: ok\nsimulated camera received: pan_speed=0,tilt_speed=5;"
           "pan_speed=-5,tilt_speed=5;pan_speed=0,tilt_speed=5;pan_speed=0,tilt_speed=0\n"
        << "";
    QTest::newRow("move at default speed")
        << QStringList{"move", "0", "down"} << 0
        << "tilt down: ok\nsimulated camera received: pan_speed=0,tilt_speed=-10\n"
        << "";
    QTest::newRow("goto negative pan")
        << QStringList{"goto", "0", "-100", "3600", "50"} << 0
        << "goto: ok\nsimulated camera received: zoom_abs=50;pan_abs=-100,tilt_abs=3600\n"
        << "";
    QTest::newRow("zoom out") << QStringList{"zoom", "0", "out", "2"} << 0
                              << "zoom out: ok\nsimulated camera received: zoom_cont=-2\n"
                              << "";
    QTest::newRow("focus manual") << QStringList{"focus", "0", "manual"} << 0
                                  << "focus manual: ok\nsimulated camera received: focus_auto=0\n"
                                  << "";
    QTest::newRow("stop") << QStringList{"stop", "0"} << 0
                          << "stop moving: ok\nstop zooming: ok\nsimulated camera received: "
                             "pan_speed=0,tilt_speed=0;pan_speed=0,tilt_speed=0;zoom_cont=0\n"
                          << "";
    QTest::newRow("home")
        << QStringList{"home", "0"} << 0
        << "home: ok\nsimulated camera received: zoom_abs=0;pan_abs=0,tilt_abs=0;focus_auto=1\n"
        << "";
    QTest::newRow("menu key") << QStringList{"menu", "0", "enter"} << 0
                              << "menu enter: ok\nsimulated menu unit received: SET_CUR selector 5\n"
                              << "";
    QTest::newRow("menu open") << QStringList{"menu", "0", "open"} << 0
                               << "menu open: ok\nsimulated menu unit received: SET_CUR selector 7\n"
                               << "";
    QTest::newRow("focus stop without continuous focus") << QStringList{"focus", "0", "stop"} << 1 << ""
                                                         << "lensgrip-ctl: focus stop failed (0x80070016)\n";
    QTest::newRow("unknown camera")
        << QStringList{"home", "Other Cam"} << 1 << ""
        << "lensgrip-ctl: no camera named \"Other Cam\"; `lensgrip-ctl list` shows them\n";
    QTest::newRow("camera number out of range") << QStringList{"home", "1"} << 1 << ""
                                                << "lensgrip-ctl: no camera named \"1\"; `lensgrip-ctl list` "
                                                   "shows them\n";
    QTest::newRow("unknown command") << QStringList{"spin", "0"} << 2 << ""
                                     << "lensgrip-ctl: unknown command: spin\n";
    QTest::newRow("no command") << QStringList{} << 2 << ""
                                << "lensgrip-ctl: no command given\n";
    QTest::newRow("missing argument") << QStringList{"move", "0"} << 2 << ""
                                      << "lensgrip-ctl: wrong number of arguments for move\n";
    QTest::newRow("bad direction") << QStringList{"move", "0", "sideways"} << 2 << ""
                                   << "lensgrip-ctl: unknown direction: sideways\n";
    QTest::newRow("bad speed") << QStringList{"zoom", "0", "in", "fast"} << 2 << ""
                               << "lensgrip-ctl: speed must be a number from 0: fast\n";
    QTest::newRow("bad position") << QStringList{"goto", "0", "1", "x", "3"} << 2 << ""
                                  << "lensgrip-ctl: position must be a number: x\n";
    QTest::newRow("bad menu key") << QStringList{"menu", "0", "select"} << 2 << ""
                                  << "lensgrip-ctl: unknown menu key: select\n";
    QTest::newRow("bad duration") << QStringList{"move", "0", "left", "--for", "soon"} << 2 << ""
                                  << "lensgrip-ctl: --for needs a number of milliseconds\n";
}

void TestLensgripCtl::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QProcess tool;
    tool.start(QStringLiteral(TAVIMOREX_BIN_DIR "/lensgrip-ctl"),
               QStringList{QStringLiteral("--simulate"), QStringLiteral("--quiet")} + arguments);
    QVERIFY2(tool.waitForFinished(10000), qPrintable(tool.errorString()));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    QCOMPARE(out, output);
    // Usage errors go on with the usage text after the message; otherwise the error output is exactly
    // the message, and nothing at all on success.
    if (exitCode == 2) {
        QCOMPARE(err.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('\n'), errors);
        QVERIFY(err.contains(QLatin1String("Usage: lensgrip-ctl")));
    } else {
        QCOMPARE(err, errors);
    }
}

QTEST_GUILESS_MAIN(TestLensgripCtl)
#include "tst_lensgripctl.moc"
