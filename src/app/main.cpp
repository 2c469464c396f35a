#include "commandlineoptions.h"
#include "tavimorexapp.h"
#include "tavimorexversion.h"

int main(int argc, char *argv[])
{
    // Before the application object: the help names the data folder, which follows the program's name.
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    const CommandLineOptions options(CommandLineOptions::fromArgv(argc, argv));
    if (options.exitsEarly())
        return options.report();

    // The live preview's player draws into X11 windows: under Wayland run on XWayland, unless the user
    // chose a platform.
    const bool wayland
        = qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication::setDesktopSettingsAware(true);
    // Ties the windows to the installed desktop entry (task bar icon, startup notification).
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVIMOREX_APP_ID));
    TavimorexApp app(argc, argv);
    return app.exec();
}
