#include "tavimorexapp.h"

int main(int argc, char *argv[])
{
    // The live preview's player draws into X11 windows: under Wayland run on XWayland, unless the user
    // chose a platform.
    const bool wayland
        = qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication::setDesktopSettingsAware(true);
    TavimorexApp app(argc, argv);
    return app.exec();
}
