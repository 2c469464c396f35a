#include "datapaths.h"

#include <QDir>
#include <QStandardPaths>

namespace DataPaths {

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
           + QStringLiteral("/tavimorex-controller");
}

QString downloadsFolder()
{
    return dataFolder() + QStringLiteral("/downloads");
}

QString settingsFile()
{
    return dataFolder() + QStringLiteral("/settings.ini");
}

QString usbPresetsFile()
{
    return dataFolder() + QStringLiteral("/uvc-presets.ini");
}

QString logFile()
{
    return dataFolder() + QStringLiteral("/app.log");
}

void ensureFolders()
{
    // mkpath rather than one level at a time: a missing parent (a fresh XDG_DATA_HOME) must not leave the
    // program without a place to keep its settings.
    QDir().mkpath(downloadsFolder());
}

} // namespace DataPaths
