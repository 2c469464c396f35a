// Prints figures, asserts nothing: requests per second of a fixed JSON route through HttpServerWrapper
// and through a bare Qt HttpServer answering the same object, both loaded by wrk in the same run with
// keep-alive connections, then the single-connection round trip of "/cam/control" through the router.
//
// Usage: bench_webserver [seconds per run, default 5] [connections, default 32]

#include "httpserverwrapper.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHttpServer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {

const QString RouterAddress = QStringLiteral("127.0.3.50");
const QString BareAddress = QStringLiteral("127.0.3.51");

// The reply of "/cam/getCurrentCamInfo" with no current camera.
QJsonObject currentCamInfo()
{
    QJsonArray presets;
    for (int i = 1; i <= 9; ++i)
        presets.append(QStringLiteral("Preset%1").arg(i));
    return {{QStringLiteral("camIndex"), -1},
            {QStringLiteral("presets"), presets},
            {QStringLiteral("camId"), QString()},
            {QStringLiteral("focusAuto"), false}};
}

// CPU time this process has used, in microseconds: load-independent cost per request.
double cpuMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + usage.ru_utime.tv_usec
           + usage.ru_stime.tv_usec;
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

// Runs wrk while this thread keeps serving: the event loop spins until wrk exits.
WrkResult runWrk(const QString &wrk, const QStringList &arguments)
{
    WrkResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuMicroseconds();
    process.start(wrk, arguments);
    loop.exec();
    const double cpuUsed = cpuMicroseconds() - cpuBefore;
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
    const QRegularExpressionMatch errors
        = QRegularExpression(QStringLiteral("(Socket errors:[^\\n]*|Non-2xx[^\\n]*)")).match(result.raw);
    result.errors = errors.captured(1);
    return result;
}

void print(const char *name, const WrkResult &result)
{
    if (!result.ok) {
        std::printf("%-34s wrk failed:\n%s\n", name, qPrintable(result.raw));
        return;
    }
    std::printf("%-34s %9.0f req/s  server CPU %5.1f us/req  p50 %-8s p99 %-8s %s\n", name,
                result.requestsPerSecond, result.cpuPerRequestUs, qPrintable(result.p50),
                qPrintable(result.p99), qPrintable(result.errors));
}

} // namespace

int main(int argc, char *argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tavimorex.web.debug=false"));
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 5;
    const int connections = args.size() > 2 ? args.at(2).toInt() : 32;

    const QString wrk = QStandardPaths::findExecutable(QStringLiteral("wrk"));
    if (wrk.isEmpty()) {
        std::printf("wrk is not installed (apt-get install wrk); no figures.\n");
        return 0;
    }

    HttpServerWrapper router(nullptr);
    const QJsonObject info = currentCamInfo();
    QObject::connect(&router, &HttpServerWrapper::getCurrentCamInfo, &router,
                     [&info](HttpResponse *resp) { HttpServerWrapper::replyOk(info, resp); });
    QObject::connect(
        &router, &HttpServerWrapper::controlCam, &router,
        [](HttpResponse *resp, int, int, int, int, int) { HttpServerWrapper::replyOk({}, resp); });
    if (!router.startServer(RouterAddress, 0)) {
        std::printf("cannot start the router on %s\n", qPrintable(RouterAddress));
        return 1;
    }

    QHttpServer bare;
    QJsonObject bareInfo = info;
    bareInfo.insert(QStringLiteral("status"), QStringLiteral("OK"));
    bareInfo.insert(QStringLiteral("msg"), QString());
    bare.route(QStringLiteral("/cam/getCurrentCamInfo"), [bareInfo]() { return bareInfo; });
    const quint16 barePort = bare.listen(QHostAddress(BareAddress), 0);
    if (barePort == 0) {
        std::printf("cannot start the bare server on %s\n", qPrintable(BareAddress));
        return 1;
    }

    const QString routerUrl = QStringLiteral("http://%1:%2").arg(RouterAddress).arg(router.serverPort());
    const QString bareUrl = QStringLiteral("http://%1:%2").arg(BareAddress).arg(barePort);
    const QStringList load = {QStringLiteral("-t1"), QStringLiteral("-c%1").arg(connections),
                              QStringLiteral("-d%1s").arg(seconds), QStringLiteral("--latency")};

    std::printf("wrk, %d connections, %d s per run, keep-alive, one wrk thread; server on this thread\n",
                connections, seconds);
    // Warm both up, then measure them back to back, twice, so drift on a shared machine shows.
    runWrk(wrk, {QStringLiteral("-t1"), QStringLiteral("-c4"), QStringLiteral("-d1s"),
                 routerUrl + "/cam/getCurrentCamInfo"});
    runWrk(wrk, {QStringLiteral("-t1"), QStringLiteral("-c4"), QStringLiteral("-d1s"),
                 bareUrl + "/cam/getCurrentCamInfo"});
    double routerBest = 0;
    double bareBest = 0;
    double routerCpu = 1e9;
    double bareCpu = 1e9;
    for (int round = 1; round <= 2; ++round) {
        const WrkResult viaRouter = runWrk(wrk, load + QStringList{routerUrl + "/cam/getCurrentCamInfo"});
        print("HttpServerWrapper getCurrentCamInfo", viaRouter);
        const WrkResult viaBare = runWrk(wrk, load + QStringList{bareUrl + "/cam/getCurrentCamInfo"});
        print("bare QHttpServer, same JSON", viaBare);
        routerBest = qMax(routerBest, viaRouter.requestsPerSecond);
        bareBest = qMax(bareBest, viaBare.requestsPerSecond);
        if (viaRouter.cpuPerRequestUs > 0)
            routerCpu = qMin(routerCpu, viaRouter.cpuPerRequestUs);
        if (viaBare.cpuPerRequestUs > 0)
            bareCpu = qMin(bareCpu, viaBare.cpuPerRequestUs);
    }
    if (bareBest > 0)
        std::printf("ratio router / bare, req/s (best of each): %.2f\n", routerBest / bareBest);
    if (routerCpu < 1e9 && bareCpu < 1e9)
        std::printf("ratio bare / router, server CPU per request (best of each): %.2f\n",
                    bareCpu / routerCpu);

    const WrkResult control = runWrk(
        wrk, {QStringLiteral("-t1"), QStringLiteral("-c1"), QStringLiteral("-d%1s").arg(seconds),
              QStringLiteral("--latency"),
              routerUrl + "/cam/control?controlMethod=2&panSpeed=10&tiltSpeed=7&zoomSpeed=3&focusSpeed=4"});
    print("/cam/control, 1 connection", control);
    std::printf("(round trip of the router and a slot answering at once; the camera hop is not in it)\n");
    return 0;
}
