#include "tavimorexapp.h"

int main(int argc, char *argv[])
{
    QGuiApplication::setDesktopSettingsAware(true);
    TavimorexApp app(argc, argv);
    return app.exec();
}
