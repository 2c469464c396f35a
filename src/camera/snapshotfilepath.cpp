#include "snapshotfilepath.h"

#include "datapaths.h"

QString snapshotFileNameProblem(const QString &cameraId)
{
    // The id comes from the settings file or the web API; either may have been edited by hand.
    if (cameraId.contains(QLatin1Char('/')) || cameraId.contains(QLatin1Char('\\')))
        return QStringLiteral("camera id \"%1\" contains a path separator").arg(cameraId);
    if (cameraId.contains(QLatin1String("..")))
        return QStringLiteral("camera id \"%1\" contains a parent folder step").arg(cameraId);
    if (cameraId.contains(QChar(0)))
        return QStringLiteral("camera id contains a NUL character");
    return QString();
}

QString snapshotFilePath(const QString &cameraId, int presetNum)
{
    if (!snapshotFileNameProblem(cameraId).isEmpty())
        return QString();
    return DataPaths::downloadsFolder() + QStringLiteral("/snapshot_") + cameraId + QString::number(presetNum)
           + QStringLiteral(".jpg");
}
