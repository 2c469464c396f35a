// Prints figures, asserts nothing: requests per second of the real program (build/bin/tavimorex started
// as a process, a simulated camera from tavimorex-ptzsim connected) answering the four paths the
// browser page polls, beside a bare Qt HttpServer in this process answering the same four paths with
// fixed JSON bodies of the same bytes. Both are loaded by wrk in the same run, alternately, with
// keep-alive connections, and the ratio of the best runs is printed.
//
// Usage: bench_webserver [seconds per run, default 5] [connections, default 32] [wrk threads, default 2]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString CameraAddress = QStringLiteral("127.0.9.40");
const QString ProgramAddress = QStringLiteral("127.0.9.41");
const QString BareAddress = QStringLiteral("127.0.9.42");
constexpr int ProgramPort = 8080;
constexpr int CameraHttpPort = 18080;

// What the browser page asks every poll period.
const QStringList StatusPaths = {QStringLiteral("/vmix/status"), QStringLiteral("/cam/getCurrentCamInfo"),
                                 QStringLiteral("/cam/checkImg"), QStringLiteral("/obs/status")};

// CPU time (user and system) of a process, in microseconds; 0 for this process's own pid means self.
double cpuMicroseconds(qint64 pid)
{
    if (pid == 0) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + usage.ru_utime.tv_usec
               + usage.ru_stime.tv_usec;
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1e6 / double(sysconf(_SC_CLK_TCK));
}

struct WrkResult
{
    bool ok = false;
    double requestsPerSecond = 0;
    double requests = 0;
    double cpuPerRequestUs = 0;
    QString p50;
    QString p99;
    QString errors;
    QString raw;
};

// Runs wrk while this thread keeps serving the bare server: the event loop spins until wrk exits.
// serverPid: the process whose CPU time is charged to the requests (0: this one).
WrkResult runWrk(const QString &wrk, const QStringList &arguments, qint64 serverPid = 0)
{
    WrkResult result;
    const double cpuBefore = cpuMicroseconds(serverPid);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    process.start(wrk, arguments);
    loop.exec();
    const double cpuUsed = cpuMicroseconds(serverPid) - cpuBefore;
    result.raw = QString::fromLocal8Bit(process.readAll());
    const QRegularExpressionMatch rate
        = QRegularExpression(QStringLiteral("Requests/sec:\\s*([0-9.]+)")).match(result.raw);
    if (!rate.hasMatch())
        return result;
    result.ok = true;
    result.requestsPerSecond = rate.captured(1).toDouble();
    result.requests
        = QRegularExpression(QStringLiteral("(\\d+) requests in")).match(result.raw).captured(1).toDouble();
    if (result.requests > 0)
        result.cpuPerRequestUs = cpuUsed / result.requests;
    result.p50 = QRegularExpression(QStringLiteral("\\b50%\\s+(\\S+)")).match(result.raw).captured(1);
    result.p99 = QRegularExpression(QStringLiteral("\\b99%\\s+(\\S+)")).match(result.raw).captured(1);
    result.errors = QRegularExpression(QStringLiteral("(Socket errors:[^\\n]*|Non-2xx[^\\n]*)"))
                        .match(result.raw)
                        .captured(1);
    return result;
}

void print(const char *name, const WrkResult &result)
{
    if (!result.ok) {
        std::printf("%-36s wrk failed:\n%s\n", name, qPrintable(result.raw));
        return;
    }
    std::printf("%-36s %9.0f req/s  server CPU %5.1f us/req  p50 %-8s p99 %-8s %s\n", name,
                result.requestsPerSecond, result.cpuPerRequestUs, qPrintable(result.p50),
                qPrintable(result.p99), qPrintable(result.errors));
}

struct RawReply
{
    QByteArray head;
    QByteArray body;
};

// One GET on a fresh connection, waiting with the event loop running.
RawReply get(const QString &address, int port, const QString &path)
{
    QTcpSocket socket;
    socket.connectToHost(address, quint16(port));
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET " + path.toUtf8() + " HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n");
    QByteArray buffer;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < 5000) {
        socket.waitForReadyRead(100);
        buffer.append(socket.readAll());
    }
    buffer.append(socket.readAll());
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return {};
    return {buffer.left(end), buffer.mid(end + 4)};
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.httpserver*=false"));
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 5;
    const int connections = args.size() > 2 ? args.at(2).toInt() : 32;
    const int threads = args.size() > 3 ? args.at(3).toInt() : 2;

    const QString wrk = QStandardPaths::findExecutable(QStringLiteral("wrk"));
    if (wrk.isEmpty()) {
        std::printf("wrk is not installed (apt-get install wrk); no figures.\n");
        return 0;
    }
    const QString binDir = QCoreApplication::applicationDirPath();

    // The simulated camera.
    QProcess camera;
    camera.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    camera.start(binDir + QStringLiteral("/tavimorex-ptzsim"),
                 {QStringLiteral("--visca-port"), QStringLiteral("5678"), QStringLiteral("--http-port"),
                  QString::number(CameraHttpPort), CameraAddress});
    if (!camera.waitForStarted(5000)
        || !waitFor([&] { return camera.canReadLine() && camera.readAll().contains("READY"); }, 10000)) {
        std::printf("cannot start tavimorex-ptzsim on %s\n", qPrintable(CameraAddress));
        return 1;
    }

    // The program, with that camera in its list and its web server on.
    QTemporaryDir home;
    const QString data = home.path() + QStringLiteral("/tavimorex/tavimorex-controller");
    QDir().mkpath(data);
    {
        QSettings settings(data + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        settings.setValue("startuponlaunch", true);
        settings.setValue("servernic", ProgramAddress);
        settings.setValue("serverportnum", ProgramPort);
        settings.beginWriteArray("cameraslist");
        settings.setArrayIndex(0);
        settings.setValue("cameratype", 0);
        settings.setValue("cameraid", CameraAddress);
        settings.setValue("cameraname", "Bench");
        settings.setValue("devicename", "0.0.0.0");
        settings.endArray();
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("QT_LOGGING_RULES", "*.debug=false");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(binDir + QStringLiteral("/tavimorex"), {});
    if (!program.waitForStarted(10000)
        || !waitFor([&] { return !get(ProgramAddress, ProgramPort, StatusPaths.at(0)).head.isEmpty(); },
                    20000)) {
        std::printf("the program's web server did not come up on %s:%d\n", qPrintable(ProgramAddress),
                    ProgramPort);
        return 1;
    }
    get(ProgramAddress, ProgramPort, QStringLiteral("/cam/connect?camNum=0"));
    const bool linked = waitFor(
        [&] {
            return get(ProgramAddress, ProgramPort, QStringLiteral("/cam/getCurrentCamInfo"))
                .body.contains(CameraAddress.toUtf8());
        },
        10000);
    // Let the first round of inquiries settle, so the replies stay the same during the runs.
    QThread::msleep(1000);

    {
        // What the program spends without any request (camera polling, timers), charged to the
        // requests of its runs as well.
        const double before = cpuMicroseconds(program.processId());
        waitFor([] { return false; }, 3000);
        const double idle = (cpuMicroseconds(program.processId()) - before) / 3.0;
        std::printf("program CPU while idle: %.1f ms per second\n", idle / 1000.0);
    }

    // The bare server: the same four paths, the program's bodies as fixed bytes.
    QHttpServer bare;
    std::printf("replies of the program (%s):\n", linked ? "camera connected" : "camera NOT connected");
    for (const QString &path : StatusPaths) {
        const QByteArray body = get(ProgramAddress, ProgramPort, path).body;
        std::printf("  %-24s %5lld bytes\n", qPrintable(path), qlonglong(body.size()));
        bare.route(path,
                   [body]() { return QHttpServerResponse(QByteArrayLiteral("application/json"), body); });
    }
    const quint16 barePort = bare.listen(QHostAddress(BareAddress), 0);
    if (barePort == 0) {
        std::printf("cannot start the bare server on %s\n", qPrintable(BareAddress));
        return 1;
    }

    // wrk walks the four paths in turn on every connection.
    QFile script(home.path() + QStringLiteral("/paths.lua"));
    script.open(QIODevice::WriteOnly);
    script.write("local paths = {");
    for (const QString &path : StatusPaths)
        script.write("\"" + path.toUtf8() + "\", ");
    script.write("}\nlocal i = 0\nrequest = function()\n  i = i % #paths + 1\n"
                 "  return wrk.format(\"GET\", paths[i])\nend\n");
    script.close();

    const QString programUrl = QStringLiteral("http://%1:%2/").arg(ProgramAddress).arg(ProgramPort);
    const QString bareUrl = QStringLiteral("http://%1:%2/").arg(BareAddress).arg(barePort);
    const QStringList load = {QStringLiteral("-t%1").arg(threads),
                              QStringLiteral("-c%1").arg(connections),
                              QStringLiteral("-d%1s").arg(seconds),
                              QStringLiteral("--latency"),
                              QStringLiteral("-s"),
                              script.fileName()};

    std::printf("wrk -t%d -c%d, %d s per run, keep-alive, the four status paths in turn\n", threads,
                connections, seconds);
    runWrk(wrk, {QStringLiteral("-t1"), QStringLiteral("-c4"), QStringLiteral("-d1s"), QStringLiteral("-s"),
                 script.fileName(), programUrl});
    runWrk(wrk, {QStringLiteral("-t1"), QStringLiteral("-c4"), QStringLiteral("-d1s"), QStringLiteral("-s"),
                 script.fileName(), bareUrl});
    double programBest = 0;
    double bareBest = 0;
    double programCpu = 1e9;
    double bareCpu = 1e9;
    // Alternating runs, so drift on a shared machine hits both alike.
    for (int round = 1; round <= 3; ++round) {
        const WrkResult viaProgram = runWrk(wrk, load + QStringList{programUrl}, program.processId());
        print("tavimorex process, camera connected", viaProgram);
        const WrkResult viaBare = runWrk(wrk, load + QStringList{bareUrl});
        print("bare QHttpServer, same bodies", viaBare);
        programBest = qMax(programBest, viaProgram.requestsPerSecond);
        bareBest = qMax(bareBest, viaBare.requestsPerSecond);
        if (viaProgram.cpuPerRequestUs > 0)
            programCpu = qMin(programCpu, viaProgram.cpuPerRequestUs);
        if (viaBare.cpuPerRequestUs > 0)
            bareCpu = qMin(bareCpu, viaBare.cpuPerRequestUs);
    }
    if (bareBest > 0)
        std::printf("ratio program / bare QHttpServer, req/s (best of each): %.2f\n", programBest / bareBest);
    if (programCpu < 1e9 && bareCpu < 1e9)
        std::printf("ratio bare / program, server CPU per request (best of each): %.2f\n",
                    bareCpu / programCpu);

    program.terminate();
    if (!program.waitForFinished(5000))
        program.kill();
    camera.terminate();
    if (!camera.waitForFinished(5000))
        camera.kill();
    return 0;
}
