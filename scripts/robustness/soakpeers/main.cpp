// OBS and vMix stand-ins for the soak test that misbehave at random: see ChaosPeers. Runs until it is
// terminated; hanging the whole process (SIGSTOP/SIGCONT) is left to the script.

#include "chaospeers.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Misbehaving OBS and vMix stand-ins for soak tests."));
    parser.addHelpOption();
    const QCommandLineOption addressOption(QStringLiteral("address"), QStringLiteral("Address to listen on."),
                                           QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption obsOption(QStringLiteral("obs-port"), QStringLiteral("OBS WebSocket port."),
                                       QStringLiteral("port"), QStringLiteral("4455"));
    const QCommandLineOption vmixOption(QStringLiteral("vmix-port"), QStringLiteral("vMix web API port."),
                                        QStringLiteral("port"), QStringLiteral("8088"));
    const QCommandLineOption intervalOption(QStringLiteral("fault-interval"),
                                            QStringLiteral("Mean milliseconds between faults."),
                                            QStringLiteral("ms"), QStringLiteral("3000"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"), QStringLiteral("Only this fault (0-6, see ChaosPeers), for trying one out."),
        QStringLiteral("n"), QStringLiteral("-1"));
    parser.addOptions({addressOption, obsOption, vmixOption, intervalOption, seedOption, faultOption});
    parser.process(app);

    ChaosPeers peers(QHostAddress(parser.value(addressOption)), quint16(parser.value(obsOption).toUInt()),
                     quint16(parser.value(vmixOption).toUInt()), parser.value(seedOption).toUInt());
    peers.setOnlyFault(parser.value(faultOption).toInt());
    if (!peers.start(parser.value(intervalOption).toInt())) {
        QTextStream(stderr) << "cannot listen on the OBS or vMix port" << Qt::endl;
        return 1;
    }
    return app.exec();
}
