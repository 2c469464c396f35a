// Drives the web API of a running Tavimorex for the load and soak tests: a browser-like client that polls
// as the control page does, clients sending malformed requests, and slow senders, for a given time. Prints
// its counters as "name=value" lines and exits 1 when a well-formed request went unanswered or failed, or
// when a malformed one was answered in a way it must not be.
//
// With --check-settings it only reads a settings file and compares the values given with --expect.

#include "browserclient.h"
#include "malformedclient.h"
#include "slowsender.h"
#include "stats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

int checkSettings(const QString &fileName, const QStringList &expectations)
{
    QTextStream out(stdout);
    QSettings settings(fileName, QSettings::IniFormat);
    int mismatches = 0;
    if (settings.status() != QSettings::NoError) {
        out << "settings.status=" << int(settings.status()) << '\n';
        ++mismatches;
    }
    for (const QString &expectation : expectations) {
        const qsizetype equals = expectation.indexOf(QLatin1Char('='));
        const QString key = expectation.left(equals);
        const QString wanted = expectation.mid(equals + 1);
        const QString actual = settings.value(key).toString();
        if (actual != wanted) {
            out << "settings.mismatch: " << key << " is \"" << actual << "\", expected \"" << wanted
                << "\"\n";
            ++mismatches;
        }
    }
    out << "settings.keys=" << settings.allKeys().size() << '\n';
    out << "settings.mismatches=" << mismatches << '\n';
    return mismatches == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Load and soak driver for the Tavimorex web API."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"), QStringLiteral("Server address."),
                                        QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Server port."),
                                        QStringLiteral("port"), QStringLiteral("8080"));
    const QCommandLineOption durationOption(QStringLiteral("duration"), QStringLiteral("Seconds to run."),
                                            QStringLiteral("seconds"), QStringLiteral("30"));
    const QCommandLineOption browsersOption(QStringLiteral("browsers"), QStringLiteral("Polling browsers."),
                                            QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption malformedOption(QStringLiteral("malformed"),
                                             QStringLiteral("Connections sending malformed requests."),
                                             QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption slowOption(QStringLiteral("slow"),
                                        QStringLiteral("Slow senders (one byte a second), half of them with "
                                                       "requests longer than the idle timeout."),
                                        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption periodicOption(QStringLiteral("periodic"),
                                            QStringLiteral("A call the browser makes every MS milliseconds."),
                                            QStringLiteral("path?query@MS"));
    const QCommandLineOption startCallOption(QStringLiteral("start-call"),
                                             QStringLiteral("A call the browser makes once after loading."),
                                             QStringLiteral("path?query"));
    const QCommandLineOption timeoutOption(QStringLiteral("request-timeout"),
                                           QStringLiteral("Milliseconds a request may take."),
                                           QStringLiteral("ms"), QStringLiteral("10000"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption checkOption(QStringLiteral("check-settings"),
                                         QStringLiteral("Only read this settings file and compare values."),
                                         QStringLiteral("file"));
    const QCommandLineOption expectOption(QStringLiteral("expect"), QStringLiteral("key=value to find."),
                                          QStringLiteral("key=value"));
    parser.addOptions({hostOption, portOption, durationOption, browsersOption, malformedOption, slowOption,
                       periodicOption, startCallOption, timeoutOption, seedOption, checkOption,
                       expectOption});
    parser.process(app);

    if (parser.isSet(checkOption))
        return checkSettings(parser.value(checkOption), parser.values(expectOption));

    const QHostAddress address(parser.value(hostOption));
    const quint16 port = quint16(parser.value(portOption).toUInt());
    const int durationMs = parser.value(durationOption).toInt() * 1000;
    const quint32 seed = parser.value(seedOption).toUInt();
    QUrl base;
    base.setScheme(QStringLiteral("http"));
    base.setHost(address.toString());
    base.setPort(port);

    Stats stats;
    std::vector<std::unique_ptr<BrowserClient>> browsers;
    for (int i = 0; i < parser.value(browsersOption).toInt(); ++i) {
        auto browser = std::make_unique<BrowserClient>(base, &stats);
        browser->setRequestTimeout(parser.value(timeoutOption).toInt());
        for (const QString &call : parser.values(startCallOption))
            browser->addStartCall(call);
        for (const QString &periodic : parser.values(periodicOption)) {
            const qsizetype at = periodic.lastIndexOf(QLatin1Char('@'));
            browser->addPeriodicCall(periodic.left(at), periodic.mid(at + 1).toInt());
        }
        browsers.push_back(std::move(browser));
    }
    std::vector<std::unique_ptr<MalformedClient>> malformed;
    for (int i = 0; i < parser.value(malformedOption).toInt(); ++i)
        malformed.push_back(
            std::make_unique<MalformedClient>(address, port, seed * 1000 + quint32(i), &stats));
    std::vector<std::unique_ptr<SlowSender>> slow;
    for (int i = 0; i < parser.value(slowOption).toInt(); ++i) {
        // 28 bytes: answered well within the server's 30 s idle timeout. 45 bytes: cut off by it.
        if (i % 2 == 0) {
            slow.push_back(std::make_unique<SlowSender>(QStringLiteral("short"),
                                                        "GET /cam/checkImg HTTP/1.0\n\n",
                                                        QStringLiteral("answered"), address, port, &stats));
        } else {
            slow.push_back(std::make_unique<SlowSender>(QStringLiteral("long"),
                                                        "GET /cam/getCurrentCamInfo HTTP/1.1\nHost: x\n\n",
                                                        QStringLiteral("cut"), address, port, &stats));
        }
    }

    for (auto &browser : browsers)
        browser->start();
    for (auto &client : malformed)
        client->start();
    for (auto &sender : slow)
        sender->start();

    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(durationMs, &app, [&] {
        for (auto &browser : browsers)
            browser->stop();
        for (auto &client : malformed)
            client->stop();
        for (auto &sender : slow)
            sender->stop();
        // What is under way gets its time to finish: a slow sender needs up to a minute.
        auto finished = [&] {
            for (auto &browser : browsers) {
                if (browser->outstanding() > 0)
                    return false;
            }
            for (auto &client : malformed) {
                if (client->isBusy())
                    return false;
            }
            for (auto &sender : slow) {
                if (sender->isBusy())
                    return false;
            }
            return true;
        };
        auto *poll = new QTimer(&app);
        const qint64 stopAt = clock.elapsed();
        QObject::connect(poll, &QTimer::timeout, &app, [&, poll, stopAt, finished] {
            if (!finished() && clock.elapsed() - stopAt < 70000)
                return;
            poll->stop();
            for (auto &browser : browsers)
                browser->abandonOutstanding();
            app.quit();
        });
        poll->start(100);
    });
    app.exec();

    stats.add(QStringLiteral("run.seconds"), clock.elapsed() / 1000);
    QTextStream out(stdout);
    stats.print(out);
    const bool ok = stats.value(QStringLiteral("browser.failed")) == 0
                    && stats.value(QStringLiteral("browser.unanswered")) == 0
                    && stats.value(QStringLiteral("malformed.unexpected")) == 0
                    && stats.value(QStringLiteral("slow.unexpected")) == 0
                    && (browsers.empty() || stats.value(QStringLiteral("browser.ok")) > 0);
    return ok ? 0 : 1;
}
