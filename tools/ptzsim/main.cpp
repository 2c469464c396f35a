#include "rtspoptions.h"
#include "simlog.h"
#include "simoptions.h"
#include "simulateddevice.h"
#include "terminationwatcher.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

int main(int argc, char *argv[])
{
    // Pictures are drawn off screen; the simulator never opens a window and needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_UNIX
    // Started from a service or a test there is often no session runtime folder; give the platform a
    // private one instead of a warning on standard error.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(::getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
#endif
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tavimorex-ptzsim"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TAVIMOREX_VERSION));

    SimOptions options;
    RtspOptions rtsp;
    switch (options.parse(rtsp.take(QGuiApplication::arguments()))) {
    case SimOptions::Outcome::ExitOk:
        std::fputs((options.message() + rtsp.helpText()).toLocal8Bit().constData(), stdout);
        return 0;
    case SimOptions::Outcome::ExitError:
        std::fprintf(stderr, "tavimorex-ptzsim: %s\nTry 'tavimorex-ptzsim --help' for more information.\n",
                     options.message().toLocal8Bit().constData());
        return 2;
    case SimOptions::Outcome::Run:
        break;
    }
    if (!rtsp.error().isEmpty()) {
        std::fprintf(stderr, "tavimorex-ptzsim: %s\nTry 'tavimorex-ptzsim --help' for more information.\n",
                     rtsp.error().toLocal8Bit().constData());
        return 2;
    }

    TerminationWatcher watcher;
    QList<SimulatedDevice *> devices;
    for (const SimulatedDevice::Settings &settings : options.devices()) {
        auto *device = new SimulatedDevice(settings, &app);
        QString error;
        if (!device->start(&error) || !rtsp.start(settings, device, &error)) {
            std::fprintf(stderr, "tavimorex-ptzsim: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        devices.append(device);
    }
    SimLog::ready();
    const int status = QGuiApplication::exec();
    qDeleteAll(devices);
    return status;
}
