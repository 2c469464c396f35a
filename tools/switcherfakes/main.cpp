// Runs the fake OBS (obs-websocket 4.x and 5.x) and fake vMix servers on the given ports, for demos and
// browser tests. Each listening server prints one line "<name> <address>:<port>" on standard output, then
// one line per message it receives, so a test can check what OBS and vMix were told:
//   obs4 RX <the message as compact JSON>        (every message, polls included)
//   obs5 RX <the message as compact JSON>
//   vmix RX <request target> <its decoded parameters as a compact JSON object>
// vMix lines are written for function calls only (requests with a query), not for state document polls.
//
// Lines on standard input switch scenes and inputs as an operator would in OBS or vMix, so tests and demos
// can move tally; each is answered with "control ok <line>" or "control error <reason>":
//   obs4|obs5|obs program <scene>      the scene on air ("obs": both OBS servers)
//   obs4|obs5|obs preview <scene>      the scene in preview (studio mode only)
//   obs4|obs5|obs studio on|off
//   vmix active|preview <input>        by number, key or title
// --cycle-scenes <seconds> switches on its own: the preview goes on air and the next scene or input
// into preview, every so many seconds.

#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "fakevmix.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <unistd.h>

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

// Runs one control line; an empty result means it was done.
QString runControl(const QString &line, const QList<FakeObsServer *> &obsServers, FakeVMix *vmix)
{
    const QString target = line.section(QLatin1Char(' '), 0, 0);
    const QString verb = line.section(QLatin1Char(' '), 1, 1);
    const QString argument = line.section(QLatin1Char(' '), 2).trimmed();
    if (argument.isEmpty())
        return QStringLiteral("expected: <obs4|obs5|obs|vmix> <what> <value>");
    if (target == QLatin1String("vmix")) {
        if (!vmix || !vmix->isListening())
            return QStringLiteral("vmix is not running");
        FakeVMixState &state = vmix->state();
        const int number = state.numberOf(argument);
        if (number == 0)
            return QStringLiteral("no such input: ") + argument;
        if (verb == QLatin1String("active"))
            state.active = number;
        else if (verb == QLatin1String("preview"))
            state.preview = number;
        else
            return QStringLiteral("vmix takes active or preview");
        return {};
    }
    QList<FakeObsServer *> servers;
    for (FakeObsServer *server : obsServers) {
        if (server->isListening() && (target == QLatin1String("obs") || target == server->objectName()))
            servers.append(server);
    }
    if (servers.isEmpty())
        return QStringLiteral("not running: ") + target;
    for (FakeObsServer *server : servers) {
        if (verb == QLatin1String("program")) {
            server->setProgramScene(argument);
        } else if (verb == QLatin1String("preview")) {
            if (!server->setPreviewScene(argument))
                return QStringLiteral("studio mode is off");
        } else if (verb == QLatin1String("studio")) {
            if (argument != QLatin1String("on") && argument != QLatin1String("off"))
                return QStringLiteral("studio takes on or off");
            server->setStudioMode(argument == QLatin1String("on"));
        } else {
            return QStringLiteral("obs takes program, preview or studio");
        }
    }
    return {};
}

// The preview goes on air and the next scene (after the new program scene) into preview.
void cycleObs(FakeObsServer *server)
{
    const FakeObsState &state = server->state();
    if (state.scenes.isEmpty())
        return;
    const QString next
        = state.studioMode
              ? state.previewScene
              : state.scenes.value((state.scenes.indexOf(state.programScene) + 1) % state.scenes.size());
    server->setProgramScene(next);
    server->setPreviewScene(state.scenes.value((state.scenes.indexOf(next) + 1) % state.scenes.size()));
}

void cycleVMix(FakeVMix *vmix)
{
    FakeVMixState &state = vmix->state();
    const int count = int(state.inputs.size());
    if (count == 0)
        return;
    state.active = state.preview;
    state.preview = state.active % count + 1;
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
    const QCommandLineOption cycleOption(
        QStringLiteral("cycle-scenes"),
        QStringLiteral(
            "Every so many seconds, put the preview on air and the next scene or input in preview."),
        QStringLiteral("seconds"));
    parser.addOptions(
        {addressOption, obs4Option, obs5Option, vmixOption, passwordOption, vmixUserOption, cycleOption});
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
    obs4.setObjectName(QStringLiteral("obs4"));
    obs5.setObjectName(QStringLiteral("obs5"));
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

    // Control lines on standard input; a closed input (a demo in the background) just ends them.
    QSocketNotifier control(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&control, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            control.setEnabled(false);
            return;
        }
        pending.append(buffer, got);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (line.isEmpty())
                continue;
            const QString error = runControl(line, {&obs4, &obs5}, &vmix);
            if (error.isEmpty())
                out << "control ok " << line << Qt::endl;
            else
                out << "control error " << error << Qt::endl;
        }
    });

    QTimer cycle;
    if (parser.isSet(cycleOption)) {
        bool ok = false;
        const double seconds = parser.value(cycleOption).toDouble(&ok);
        if (!ok || seconds <= 0) {
            err << "--cycle-scenes takes a number of seconds above 0" << Qt::endl;
            return 2;
        }
        QObject::connect(&cycle, &QTimer::timeout, &app, [&] {
            for (FakeObsServer *server :
                 {static_cast<FakeObsServer *>(&obs4), static_cast<FakeObsServer *>(&obs5)}) {
                if (server->isListening())
                    cycleObs(server);
            }
            if (vmix.isListening())
                cycleVMix(&vmix);
        });
        cycle.start(int(seconds * 1000));
    }

    // Runs until it is interrupted or terminated; there is nothing to save.
    return app.exec();
}
