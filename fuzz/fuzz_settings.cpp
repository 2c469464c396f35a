// settings.ini as the program may find it at start-up: arbitrary bytes in the file, then the settings store
// is opened and everything start-up and the windows read from it is read. The program must come up with
// defaults for what it cannot read, and the camera list it writes back must read back the same.

#include "appsettings.h"
#include "camerawrapper.h"
#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

QString s_home;
int s_round = 0;
// Keeps the values read from being optimised away.
volatile quint64 s_sink = 0;

void sink(const QVariant &value)
{
    s_sink = s_sink + quint64(value.toString().size()) + quint64(value.toInt());
}

void readEverything(const AppSettings &settings, const QString &id)
{
    sink(settings.panSpeed(id));
    sink(settings.tiltSpeed(id));
    sink(settings.zoomSpeed(id));
    sink(settings.focusSpeed(id));
    sink(settings.panTiltLock(id));
    for (int k = 0; k < 4; ++k)
        sink(settings.cameraLimit(id, k));
    sink(settings.snapshotBack(id));
    sink(settings.snapshotBackType(id));
    sink(settings.pictureInPicturePos(id).x());
    sink(settings.pictureInPictureVisibility(id));
    sink(settings.wrapperVisibility(id));
    for (int n = 1; n <= 9; ++n) {
        sink(settings.presetName(id, n));
        sink(settings.presetAeMode(id, n));
        sink(settings.presetShutterSpeed(id, n));
        sink(settings.presetIris(id, n));
        sink(settings.presetBrightness(id, n));
        sink(settings.presetLuminance(id, n));
        sink(settings.presetContrast(id, n));
        sink(settings.presetHue(id, n));
        sink(settings.presetWbMode(id, n));
        sink(settings.snapshotBox(id, n));
        sink(settings.snapshotBoxType(id, n));
        sink(settings.snapshotBoxColor(id, n).rgba());
        sink(settings.boxVisibility(id, n));
        sink(settings.centerType(id, n));
        sink(settings.customPresetPos(id, n).y());
        sink(settings.customPresetTitle(id, n));
    }
}

struct CameraEntry
{
    int type;
    QString id;
    QString name;
    QString device;
    bool operator==(const CameraEntry &other) const
    {
        return type == other.type && id == other.id && name == other.name && device == other.device;
    }
};

QList<CameraEntry> entries(const QList<CameraWrapper *> &cameras)
{
    QList<CameraEntry> list;
    for (const CameraWrapper *camera : cameras)
        list.append({camera->cameraType(), camera->cameraId(), camera->cameraName(), camera->deviceName()});
    return list;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    s_home = FuzzSupport::prepareEnvironment("settings");
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A fresh data home per input: Qt caches a settings file it has read by name and modification time.
    const QString home = s_home + QStringLiteral("/round") + QString::number(s_round++ % 64);
    QDir(home).removeRecursively();
    const QString folder = FuzzSupport::dataFolderBelow(home);
    QDir().mkpath(folder);
    {
        QFile file(folder + QStringLiteral("/settings.ini"));
        if (!file.open(QIODevice::WriteOnly))
            FuzzSupport::fail(QStringLiteral("cannot write ") + file.fileName());
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    qputenv("XDG_DATA_HOME", home.toLocal8Bit());

    QList<CameraEntry> written;
    {
        AppSettings settings;
        QList<CameraWrapper *> cameras;
        settings.readCameraList(cameras);

        sink(settings.serverNic());
        sink(settings.serverPortNum());
        sink(settings.startupOnLaunch());
        sink(settings.useDarkTheme());
        sink(settings.obsIp());
        sink(settings.obsPort());
        sink(settings.obsPwd());
        sink(settings.enableObsCtrl());
        sink(settings.vmixIp());
        sink(settings.vmixPort());
        sink(settings.vmixId());
        sink(settings.vmixPwd());
        sink(settings.enableVmixCtrl());
        sink(settings.isHotkeyAvailable());
        sink(settings.isJoystickAvailable());
        sink(settings.selectedJoystick());
        sink(settings.snapshotPath());
        readEverything(settings, QStringLiteral("192.168.1.20"));
        for (const CameraWrapper *camera : cameras)
            readEverything(settings, camera->cameraId());

        // What start-up writes on a first start, and what the camera dialogs write: the list as read.
        written = entries(cameras);
        settings.writeCameraList(cameras);
        settings.sync();
        qDeleteAll(cameras);
    }
    FuzzSupport::pump();

    AppSettings again;
    QList<CameraWrapper *> reread;
    again.readCameraList(reread);
    const QList<CameraEntry> read = entries(reread);
    qDeleteAll(reread);
    if (read != written) {
        FuzzSupport::fail(QStringLiteral("camera list of %1 entries read back as %2 entries or changed")
                              .arg(written.size())
                              .arg(read.size()));
    }
    return 0;
}
