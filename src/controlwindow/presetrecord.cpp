#include "presetrecord.h"

#include "appsettings.h"
#include "controlwindowlog.h"
#include "snapshotfilepath.h"

#include <QFile>

namespace PresetRecord {

bool removePicture(const QString &cameraId, int presetNum)
{
    const QString path = snapshotFilePath(cameraId, presetNum);
    if (path.isEmpty()) {
        qCWarning(lcControlWindow) << "no preset picture to clear:" << snapshotFileNameProblem(cameraId);
        return false;
    }
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.remove()) {
        qCWarning(lcControlWindow) << "cannot remove preset picture" << path << file.errorString();
        return false;
    }
    return true;
}

void clearStored(AppSettings *settings, const QString &cameraId, int presetNum)
{
    if (!settings)
        return;
    settings->setPresetName(cameraId, presetNum, QString());
    settings->setPresetAeMode(cameraId, presetNum, 0);
    settings->setPresetShutterSpeed(cameraId, presetNum, 0);
    settings->setPresetIris(cameraId, presetNum, 0);
    settings->setPresetBrightness(cameraId, presetNum, 0);
    settings->setPresetLuminance(cameraId, presetNum, 0);
    settings->setPresetContrast(cameraId, presetNum, 0);
    settings->setPresetHue(cameraId, presetNum, 0);
    settings->setPresetWbMode(cameraId, presetNum, 0);
}

} // namespace PresetRecord
