#include "tavimorexversion.h"
#include "testdatahome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

// The real program's command line: what --help and --version print, and that a bad command line is
// refused before any window or server exists.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsAndEnds_data();
    void printsAndEnds();
    void refusesBadCommandLine_data();
    void refusesBadCommandLine();

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    static Run run(const QString &dataHome, const QStringList &arguments);
};

tst_CommandLine::Run tst_CommandLine::run(const QString &dataHome, const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(TAVIMOREX_BIN_DIR "/tavimorex", arguments);
    Run result;
    if (!program.waitForStarted(10000) || !program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished();
        return result;
    }
    result.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    result.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(program.readAllStandardError());
    return result;
}

void tst_CommandLine::printsAndEnds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");
    const QString data = QStringLiteral("%1/tavimorex/tavimorex-controller/");
    QTest::newRow("--version") << QStringList{"--version"}
                               << QStringList{QStringLiteral("tavimorex " TAVIMOREX_VERSION " (Qt ")};
    QTest::newRow("-v") << QStringList{"-v"} << QStringList{QStringLiteral("tavimorex " TAVIMOREX_VERSION)};
    QTest::newRow("--help") << QStringList{
        "--help"} << QStringList{"Usage: tavimorex [options]", "-h, --help",     "-v, --version",
                                 data + "settings.ini",        data + "app.log", data + "uvc-presets.ini",
                                 data + "downloads/"};
    QTest::newRow("-h with a Qt option") << QStringList{"-platform", "offscreen", "-h"}
                                         << QStringList{"Usage: tavimorex [options]", data + "app.log"};
}

void tst_CommandLine::printsAndEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    TestDataHome home;
    const Run result = run(home.path(), arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QString());
    for (const QString &text : expected)
        QVERIFY2(result.out.contains(text.arg(home.path())), qPrintable(result.out));
    // Nothing ran: no data folder was made.
    QVERIFY(!QFileInfo::exists(home.path() + "/tavimorex"));
}

void tst_CommandLine::refusesBadCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown option") << QStringList{"--no-such-option"} << "Unknown option 'no-such-option'.";
    QTest::newRow("missing value") << QStringList{"-style"} << "Missing value after '-style'.";
    QTest::newRow("argument") << QStringList{"settings.ini"} << "Unexpected argument 'settings.ini'.";
}

void tst_CommandLine::refusesBadCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    TestDataHome home;
    const Run result = run(home.path(), arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.contains("tavimorex: " + error), qPrintable(result.err));
    QVERIFY2(result.err.contains("Try 'tavimorex --help'."), qPrintable(result.err));
    QVERIFY(!QFileInfo::exists(home.path() + "/tavimorex"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
