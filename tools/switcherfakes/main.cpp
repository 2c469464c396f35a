// Runs the fake OBS (obs-websocket 4.x and 5.x) and fake vMix servers on the given ports, for demos and
// browser tests. Each listening server prints one line "<name> <address>:<port>" on standard output, then
// one line per message it receives, so a test can check what OBS and vMix were told:
//   obs4 RX <the message as compact JSON>        (every message, polls included)
//   obs5 RX <the message as compact JSON>
//   vmix RX <request target> <its decoded parameters as a compact JSON object>
// vMix lines are written for function calls only (requests with a query), not for state document polls.

#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "fakevmix.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {
bool parsePort(const QCommandLineParser &parser, const QString &option, int *port)
{
    *port = -1;
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    *port = parser.value(option).toInt(&ok);
    return ok && *port >= 0 && *port <= 65535;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex-switcherfakes"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fake OBS Studio (obs-websocket 4.x, 5.x) and vMix servers. Port 0 picks a free port."));
    parser.addHelpOption();
    const QCommandLineOption addressOption(QStringLiteral("address"), QStringLiteral("Address to listen on."),
                                           QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption obs4Option(QStringLiteral("obs4-port"),
                                        QStringLiteral("Port of the obs-websocket 4.x server."),
                                        QStringLiteral("port"));
    const QCommandLineOption obs5Option(QStringLiteral("obs5-port"),
                                        QStringLiteral("Port of the obs-websocket 5.x server."),
                                        QStringLiteral("port"));
    const QCommandLineOption vmixOption(QStringLiteral("vmix-port"),
                                        QStringLiteral("Port of the vMix web API."), QStringLiteral("port"));
    const QCommandLineOption passwordOption(
        QStringLiteral("password"), QStringLiteral("Password of both OBS servers and of vMix (empty: none)."),
        QStringLiteral("password"));
    const QCommandLineOption vmixUserOption(QStringLiteral("vmix-user"),
                                            QStringLiteral("vMix user name (with --password)."),
                                            QStringLiteral("user"), QStringLiteral("vmix"));
    parser.addOptions({addressOption, obs4Option, obs5Option, vmixOption, passwordOption, vmixUserOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QHostAddress address(parser.value(addressOption));
    if (address.isNull()) {
        err << "invalid address: " << parser.value(addressOption) << Qt::endl;
        return 2;
    }
    int obs4Port = -1;
    int obs5Port = -1;
    int vmixPort = -1;
    if (!parsePort(parser, obs4Option.names().first(), &obs4Port)
        || !parsePort(parser, obs5Option.names().first(), &obs5Port)
        || !parsePort(parser, vmixOption.names().first(), &vmixPort)) {
        err << "ports are numbers from 0 to 65535" << Qt::endl;
        return 2;
    }
    if (obs4Port < 0 && obs5Port < 0 && vmixPort < 0) {
        err << "nothing to run: give --obs4-port, --obs5-port or --vmix-port" << Qt::endl;
        return 2;
    }
    const QString password = parser.value(passwordOption);

    FakeObs4Server obs4;
    FakeObs5Server obs5;
    FakeVMix vmix;
    auto printObsMessage = [&out](const char *name, const QJsonObject &message) {
        out << name << " RX " << QJsonDocument(message).toJson(QJsonDocument::Compact) << Qt::endl;
    };
    QObject::connect(&obs4, &FakeObsServer::messageReceived, &app,
                     [&](const QJsonObject &message) { printObsMessage("obs4", message); });
    QObject::connect(&obs5, &FakeObsServer::messageReceived, &app,
                     [&](const QJsonObject &message) { printObsMessage("obs5", message); });
    QObject::connect(&vmix, &FakeVMix::requestReceived, &app, [&out](const FakeVMixRequest &request) {
        if (!request.target.contains('?'))
            return;
        QJsonObject parameters;
        for (const auto &parameter : request.parameters)
            parameters.insert(parameter.first, parameter.second);
        out << "vmix RX " << request.target << ' ' << QJsonDocument(parameters).toJson(QJsonDocument::Compact)
            << Qt::endl;
    });
    // Listens first, then reports the address and port it got (port 0 picks a free one).
    auto start = [&](const char *name, auto &server, int port) {
        if (!server.listen(address, quint16(port))) {
            err << name << ": cannot listen on " << address.toString() << ':' << port << Qt::endl;
            return false;
        }
        out << name << ' ' << server.address().toString() << ':' << server.port() << Qt::endl;
        return true;
    };
    if (obs4Port >= 0) {
        obs4.setPassword(password);
        if (!start("obs4", obs4, obs4Port))
            return 1;
    }
    if (obs5Port >= 0) {
        obs5.setPassword(password);
        if (!start("obs5", obs5, obs5Port))
            return 1;
    }
    if (vmixPort >= 0) {
        if (!password.isEmpty())
            vmix.setCredentials(parser.value(vmixUserOption), password);
        if (!start("vmix", vmix, vmixPort))
            return 1;
    }

    // Runs until it is interrupted or terminated; there is nothing to save.
    return app.exec();
}
