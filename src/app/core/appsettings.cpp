#include "appsettings.h"

#include "camerafactory.h"
#include "camerawrapper.h"
#include "datapaths.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QSettings>

Q_LOGGING_CATEGORY(lcSettings, "tavimorex.app.settings")

namespace {

// Key names as they stand in settings.ini; files written by earlier versions depend on them.
namespace Key {
const QString CamerasList = QStringLiteral("cameraslist");
const QString CameraType = QStringLiteral("cameratype");
const QString CameraId = QStringLiteral("cameraid");
const QString CameraName = QStringLiteral("cameraname");
const QString DeviceName = QStringLiteral("devicename");
const QString ServerNic = QStringLiteral("servernic");
const QString ServerPortNum = QStringLiteral("serverportnum");
const QString StartupOnLaunch = QStringLiteral("startuponlaunch");
const QString UseDarkTheme = QStringLiteral("usedarktheme");
const QString ObsIp = QStringLiteral("obsip");
const QString ObsPort = QStringLiteral("obsport");
const QString ObsPwd = QStringLiteral("obspwd");
const QString EnableObsCtrl = QStringLiteral("enableobsctrl");
const QString VmixIp = QStringLiteral("vmixip");
const QString VmixPort = QStringLiteral("vmixport");
const QString VmixId = QStringLiteral("vmixid");
const QString VmixPwd = QStringLiteral("vmixpwd");
const QString EnableVmixCtrl = QStringLiteral("enablevmixctrl");
const QString HotkeyAvailable = QStringLiteral("is hotkey available");
const QString JoystickAvailable = QStringLiteral("is joystick available");
const QString SelectedJoystick = QStringLiteral("selected_joystick");
const QString SnapshotPath = QStringLiteral("snapshotpath");
} // namespace Key

const QString DefaultAddress = QStringLiteral("0.0.0.0");

// Values that Qt's settings reader turns back into objects through its binary stream format. This program
// never writes them; in a damaged or foreign settings.ini they can hold anything (a length of gigabytes
// that the reader tries to allocate, a type that needs a window system), and reading one would end the
// program at start-up. They are found in the text with escapes undone the way the reader undoes them.
const QByteArrayView SerializedMarkers[] = {"@Variant(", "@DateTime("};

// The value of a hexadecimal digit, or -1.
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One logical line with quotes removed and escapes undone: "\x" and octal escapes take every digit that
// follows and keep the low 16 bits as the reader does, any other escaped character stands for itself and
// an escaped line break joins the next line. Only used to look for the markers, so it may be generous.
QByteArray unescapedLine(QByteArrayView line)
{
    QByteArray text;
    text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"')
            continue;
        if (c != '\\' || i + 1 == line.size()) {
            text.append(c);
            continue;
        }
        const char escaped = line.at(++i);
        if (escaped == 'x' && i + 1 < line.size() && hexValue(line.at(i + 1)) >= 0) {
            quint32 value = 0;
            while (i + 1 < line.size() && hexValue(line.at(i + 1)) >= 0)
                value = value * 16 + quint32(hexValue(line.at(++i)));
            text.append(char(value & 0xffff));
        } else if (escaped >= '0' && escaped <= '7') {
            quint32 value = quint32(escaped - '0');
            while (i + 1 < line.size() && line.at(i + 1) >= '0' && line.at(i + 1) <= '7')
                value = value * 8 + quint32(line.at(++i) - '0');
            text.append(char(value & 0xffff));
        } else if (escaped == '\r') {
            if (i + 1 < line.size() && line.at(i + 1) == '\n')
                ++i;
        } else if (escaped != '\n') {
            text.append(escaped);
        }
    }
    return text;
}

bool holdsSerializedValue(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    // Section headers and comments carry no value.
    if (trimmed.startsWith('[') || trimmed.startsWith(';') || trimmed.startsWith('#'))
        return false;
    const QByteArray text = unescapedLine(line);
    for (QByteArrayView marker : SerializedMarkers) {
        if (text.contains(marker))
            return true;
    }
    return false;
}

// Removes the lines that hold serialized values from the settings file before Qt reads it, keeping the
// file as it was next to it. The keys of those lines then read as their defaults.
void dropSerializedValues(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    file.close();
    if (!content.contains("Variant(") && !content.contains("DateTime(") && !content.contains('\\'))
        return;

    QByteArray kept;
    kept.reserve(content.size());
    int dropped = 0;
    qsizetype start = 0;
    while (start < content.size()) {
        // A backslash escapes the next character, a line break included: that joins two lines into one.
        qsizetype end = start;
        while (end < content.size() && content.at(end) != '\n' && content.at(end) != '\r') {
            if (content.at(end) == '\\' && end + 1 < content.size()) {
                ++end;
                if (content.at(end) == '\r' && end + 1 < content.size() && content.at(end + 1) == '\n')
                    ++end;
            }
            ++end;
        }
        while (end < content.size() && (content.at(end) == '\n' || content.at(end) == '\r'))
            ++end;
        const QByteArrayView line = QByteArrayView(content).sliced(start, end - start);
        if (holdsSerializedValue(line))
            ++dropped;
        else
            kept.append(line);
        start = end;
    }
    if (dropped == 0)
        return;

    const QString keptAs = fileName + QStringLiteral(".unreadable");
    QFile::remove(keptAs);
    QFile::copy(fileName, keptAs);
    QSaveFile cleaned(fileName);
    if (cleaned.open(QIODevice::WriteOnly) && cleaned.write(kept) == kept.size() && cleaned.commit()) {
        qCWarning(lcSettings) << "dropped" << dropped << "unreadable value(s) from" << fileName
                              << "; the file as it was is kept as" << keptAs;
    } else {
        qCWarning(lcSettings) << "cannot rewrite" << fileName << "without its unreadable values";
    }
}

// id + "_" + suffix
QString cameraKey(const QString &id, const char *suffix)
{
    return id + QLatin1Char('_') + QLatin1String(suffix);
}

// id + "_" + n + "_" + suffix
QString presetKey(const QString &id, int n, const char *suffix)
{
    return id + QLatin1Char('_') + QString::number(n) + QLatin1Char('_') + QLatin1String(suffix);
}

// prefix + id + n
QString boxKey(const char *prefix, const QString &id, int n)
{
    return QLatin1String(prefix) + id + QString::number(n);
}

QString prefixKey(const char *prefix, const QString &id)
{
    return QLatin1String(prefix) + id;
}

} // namespace

AppSettings::AppSettings(QObject *parent) : QObject(parent)
{
    DataPaths::ensureFolders();
    dropSerializedValues(DataPaths::settingsFile());
    m_settings = new QSettings(DataPaths::settingsFile(), QSettings::IniFormat);
}

AppSettings::~AppSettings()
{
    delete m_settings;
}

QString AppSettings::fileName() const
{
    return m_settings->fileName();
}

void AppSettings::sync()
{
    m_settings->sync();
}

QVariant AppSettings::value(const QString &key, const QVariant &defaultValue) const
{
    return m_settings->value(key, defaultValue);
}

void AppSettings::setValue(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
}

QList<CameraRecord> AppSettings::readCameraRecords() const
{
    QList<CameraRecord> records;
    const int count = qMin(m_settings->beginReadArray(Key::CamerasList), MaxStoredCameras);
    for (int i = 0; i < count; ++i) {
        m_settings->setArrayIndex(i);
        CameraRecord record;
        const QString fallbackName = QStringLiteral("Camera") + QString::number(i + 1);
        record.type = m_settings->value(Key::CameraType, CameraRecord::NetworkType).toInt();
        record.id = m_settings->value(Key::CameraId, DefaultAddress).toString();
        record.name = m_settings->value(Key::CameraName, fallbackName).toString();
        record.deviceName = m_settings->value(Key::DeviceName, DefaultAddress).toString();
        if (record.type != CameraRecord::NetworkType && record.type != CameraRecord::UsbType) {
            // A type this version does not know keeps its slot with a usable, unconfigured camera so the
            // cameras after it stay on their buttons.
            record = CameraRecord();
            record.id = DefaultAddress;
            record.name = fallbackName;
            record.deviceName = DefaultAddress;
        }
        records.append(record);
    }
    m_settings->endArray();
    for (CameraRecord &record : records) {
        if (record.type != CameraRecord::NetworkType)
            continue;
        // A missing or unknown transport reads as tcp, a port outside 1..65535 as the transport's own.
        record.transport
            = ViscaTransports::fromName(value(cameraKey(record.id, "visca_transport"), QVariant()).toString())
                  .value_or(ViscaTransport::Tcp);
        bool ok = false;
        const qint64 port = value(cameraKey(record.id, "visca_port"), QVariant()).toLongLong(&ok);
        record.port = ViscaTransports::portFrom(ok ? port : 0)
                          .value_or(ViscaTransports::defaultPort(record.transport));
    }
    return records;
}

void AppSettings::writeCameraRecords(const QList<CameraRecord> &records)
{
    m_settings->beginWriteArray(Key::CamerasList);
    for (int i = 0; i < records.size(); ++i) {
        const CameraRecord &record = records.at(i);
        m_settings->setArrayIndex(i);
        m_settings->setValue(Key::CameraType, record.type);
        m_settings->setValue(Key::CameraId, record.id);
        m_settings->setValue(Key::CameraName, record.name);
        m_settings->setValue(Key::DeviceName, record.deviceName);
    }
    m_settings->endArray();
    for (const CameraRecord &record : records) {
        if (record.type != CameraRecord::NetworkType)
            continue;
        setValue(cameraKey(record.id, "visca_transport"), ViscaTransports::name(record.transport));
        setValue(cameraKey(record.id, "visca_port"), record.port);
    }
}

int AppSettings::readCameraList(QList<CameraWrapper *> &cameras)
{
    for (const CameraRecord &record : readCameraRecords())
        cameras.append(CameraFactory::create(record));
    return 0;
}

void AppSettings::writeCameraList(const QList<CameraWrapper *> &cameras)
{
    QList<CameraRecord> records;
    for (const CameraWrapper *camera : cameras)
        records.append(CameraFactory::recordOf(*camera));
    writeCameraRecords(records);
}

QString AppSettings::serverNic() const
{
    return value(Key::ServerNic, DefaultAddress).toString();
}
void AppSettings::setServerNic(const QString &v)
{
    setValue(Key::ServerNic, v);
}
int AppSettings::serverPortNum() const
{
    return value(Key::ServerPortNum, 8080).toInt();
}
void AppSettings::setServerPortNum(int v)
{
    setValue(Key::ServerPortNum, v);
}
bool AppSettings::startupOnLaunch() const
{
    return value(Key::StartupOnLaunch, false).toBool();
}
void AppSettings::setStartupOnLaunch(bool v)
{
    setValue(Key::StartupOnLaunch, v);
}
bool AppSettings::useDarkTheme() const
{
    return value(Key::UseDarkTheme, true).toBool();
}
void AppSettings::setUseDarkTheme(bool v)
{
    setValue(Key::UseDarkTheme, v);
}
QString AppSettings::obsIp() const
{
    return value(Key::ObsIp, DefaultAddress).toString();
}
void AppSettings::setObsIp(const QString &v)
{
    setValue(Key::ObsIp, v);
}
int AppSettings::obsPort() const
{
    return value(Key::ObsPort, 4444).toInt();
}
void AppSettings::setObsPort(int v)
{
    setValue(Key::ObsPort, v);
}
QString AppSettings::obsPwd() const
{
    return value(Key::ObsPwd, QString()).toString();
}
void AppSettings::setObsPwd(const QString &v)
{
    setValue(Key::ObsPwd, v);
}
bool AppSettings::enableObsCtrl() const
{
    return value(Key::EnableObsCtrl, false).toBool();
}
void AppSettings::setEnableObsCtrl(bool v)
{
    setValue(Key::EnableObsCtrl, v);
}
QString AppSettings::vmixIp() const
{
    return value(Key::VmixIp, DefaultAddress).toString();
}
void AppSettings::setVmixIp(const QString &v)
{
    setValue(Key::VmixIp, v);
}
int AppSettings::vmixPort() const
{
    return value(Key::VmixPort, 8088).toInt();
}
void AppSettings::setVmixPort(int v)
{
    setValue(Key::VmixPort, v);
}
QString AppSettings::vmixId() const
{
    return value(Key::VmixId, QStringLiteral("admin")).toString();
}
void AppSettings::setVmixId(const QString &v)
{
    setValue(Key::VmixId, v);
}
QString AppSettings::vmixPwd() const
{
    return value(Key::VmixPwd, QString()).toString();
}
void AppSettings::setVmixPwd(const QString &v)
{
    setValue(Key::VmixPwd, v);
}
bool AppSettings::enableVmixCtrl() const
{
    return value(Key::EnableVmixCtrl, false).toBool();
}
void AppSettings::setEnableVmixCtrl(bool v)
{
    setValue(Key::EnableVmixCtrl, v);
}

bool AppSettings::isHotkeyAvailable() const
{
    return value(Key::HotkeyAvailable, false).toBool();
}
void AppSettings::setHotkeyAvailable(bool v)
{
    setValue(Key::HotkeyAvailable, v);
}
bool AppSettings::isJoystickAvailable() const
{
    return value(Key::JoystickAvailable, false).toBool();
}
void AppSettings::setJoystickAvailable(bool v)
{
    const bool changed = isJoystickAvailable() != v || !m_settings->contains(Key::JoystickAvailable);
    setValue(Key::JoystickAvailable, v);
    if (changed)
        Q_EMIT joystickSettingsChanged();
}
int AppSettings::selectedJoystick() const
{
    return value(Key::SelectedJoystick, 0).toInt();
}
std::optional<int> AppSettings::joystickSelection() const
{
    bool ok = false;
    const int index = m_settings->value(Key::SelectedJoystick).toInt(&ok);
    return ok ? std::optional<int>(index) : std::nullopt;
}
void AppSettings::setSelectedJoystick(int v)
{
    const bool changed = joystickSelection() != v;
    setValue(Key::SelectedJoystick, v);
    if (changed)
        Q_EMIT joystickSettingsChanged();
}
QString AppSettings::snapshotPath() const
{
    return value(Key::SnapshotPath, QString()).toString();
}
void AppSettings::setSnapshotPath(const QString &v)
{
    setValue(Key::SnapshotPath, v);
}

int AppSettings::panSpeed(const QString &id) const
{
    return value(cameraKey(id, "pan_speed"), 7).toInt();
}
void AppSettings::setPanSpeed(const QString &id, int v)
{
    setValue(cameraKey(id, "pan_speed"), v);
}
int AppSettings::tiltSpeed(const QString &id) const
{
    return value(cameraKey(id, "tilt_speed"), 7).toInt();
}
void AppSettings::setTiltSpeed(const QString &id, int v)
{
    setValue(cameraKey(id, "tilt_speed"), v);
}
int AppSettings::zoomSpeed(const QString &id) const
{
    return value(cameraKey(id, "zoom_speed"), 5).toInt();
}
void AppSettings::setZoomSpeed(const QString &id, int v)
{
    setValue(cameraKey(id, "zoom_speed"), v);
}
int AppSettings::focusSpeed(const QString &id) const
{
    return value(cameraKey(id, "focus_speed"), 5).toInt();
}
void AppSettings::setFocusSpeed(const QString &id, int v)
{
    setValue(cameraKey(id, "focus_speed"), v);
}
bool AppSettings::panTiltLock(const QString &id) const
{
    return value(cameraKey(id, "pantilt_lock"), true).toBool();
}
void AppSettings::setPanTiltLock(const QString &id, bool v)
{
    setValue(cameraKey(id, "pantilt_lock"), v);
}

namespace {
QString limitKey(const QString &id, int k)
{
    return QStringLiteral("cameralimit_") + QString::number(k) + QLatin1Char('_') + id;
}
} // namespace

int AppSettings::cameraLimit(const QString &id, int k) const
{
    static const int defaults[] = {170, 170, 30, 90};
    if (k < 0 || k > 3)
        return 170;
    return value(limitKey(id, k), defaults[k]).toInt();
}
void AppSettings::setCameraLimit(const QString &id, int k, int v)
{
    setValue(limitKey(id, k), v);
}

QString AppSettings::snapshotBack(const QString &id) const
{
    return value(prefixKey("snapshotback", id), QString()).toString();
}
void AppSettings::setSnapshotBack(const QString &id, const QString &v)
{
    setValue(prefixKey("snapshotback", id), v);
}
int AppSettings::snapshotBackType(const QString &id) const
{
    return value(prefixKey("snapshotbacktype", id), 0).toInt();
}
void AppSettings::setSnapshotBackType(const QString &id, int v)
{
    setValue(prefixKey("snapshotbacktype", id), v);
}
QPoint AppSettings::pictureInPicturePos(const QString &id) const
{
    return value(prefixKey("pictureinpicturepos", id), QPoint(0, 0)).toPoint();
}
void AppSettings::setPictureInPicturePos(const QString &id, const QPoint &v)
{
    setValue(prefixKey("pictureinpicturepos", id), v);
}
bool AppSettings::pictureInPictureVisibility(const QString &id) const
{
    return value(prefixKey("pictureinpicturevisibility", id), false).toBool();
}
void AppSettings::setPictureInPictureVisibility(const QString &id, bool v)
{
    setValue(prefixKey("pictureinpicturevisibility", id), v);
}
bool AppSettings::wrapperVisibility(const QString &id) const
{
    return value(prefixKey("wrappervisibility", id), false).toBool();
}
void AppSettings::setWrapperVisibility(const QString &id, bool v)
{
    setValue(prefixKey("wrappervisibility", id), v);
}

QString AppSettings::presetName(const QString &id, int n) const
{
    return value(QStringLiteral("mem") + QString::number(n) + id, QString::number(n)).toString();
}
void AppSettings::setPresetName(const QString &id, int n, const QString &v)
{
    setValue(QStringLiteral("mem") + QString::number(n) + id, v);
}
int AppSettings::presetAeMode(const QString &id, int n) const
{
    return value(presetKey(id, n, "aemode"), 0).toInt();
}
void AppSettings::setPresetAeMode(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "aemode"), v);
}
int AppSettings::presetShutterSpeed(const QString &id, int n) const
{
    return value(presetKey(id, n, "shutterspeed"), 0).toInt();
}
void AppSettings::setPresetShutterSpeed(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "shutterspeed"), v);
}
int AppSettings::presetIris(const QString &id, int n) const
{
    return value(presetKey(id, n, "iris"), 0).toInt();
}
void AppSettings::setPresetIris(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "iris"), v);
}
int AppSettings::presetBrightness(const QString &id, int n) const
{
    return value(presetKey(id, n, "brightness"), 0).toInt();
}
void AppSettings::setPresetBrightness(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "brightness"), v);
}
int AppSettings::presetLuminance(const QString &id, int n) const
{
    return value(presetKey(id, n, "luminance"), 7).toInt();
}
void AppSettings::setPresetLuminance(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "luminance"), v);
}
// Contrast has no default of its own; it starts where luminance and hue start.
int AppSettings::presetContrast(const QString &id, int n) const
{
    return value(presetKey(id, n, "contrast"), 7).toInt();
}
void AppSettings::setPresetContrast(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "contrast"), v);
}
int AppSettings::presetHue(const QString &id, int n) const
{
    return value(presetKey(id, n, "hue"), 7).toInt();
}
void AppSettings::setPresetHue(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "hue"), v);
}
int AppSettings::presetWbMode(const QString &id, int n) const
{
    return value(presetKey(id, n, "wbmode"), 0).toInt();
}
void AppSettings::setPresetWbMode(const QString &id, int n, int v)
{
    setValue(presetKey(id, n, "wbmode"), v);
}

QString AppSettings::snapshotBox(const QString &id, int n) const
{
    return value(boxKey("snapshotbox", id, n), QString()).toString();
}
void AppSettings::setSnapshotBox(const QString &id, int n, const QString &v)
{
    setValue(boxKey("snapshotbox", id, n), v);
}
int AppSettings::snapshotBoxType(const QString &id, int n) const
{
    return value(boxKey("snapshotboxtype", id, n), 0).toInt();
}
void AppSettings::setSnapshotBoxType(const QString &id, int n, int v)
{
    setValue(boxKey("snapshotboxtype", id, n), v);
}

// Stored files keep blue under the "_g" key and green under the "_b" key; reading swaps them back so a
// colour reads as it was written.
QColor AppSettings::snapshotBoxColor(const QString &id, int n) const
{
    const int red = value(boxKey("snapshotboxcolor_r", id, n), 0).toInt();
    const int blue = value(boxKey("snapshotboxcolor_g", id, n), 0).toInt();
    const int green = value(boxKey("snapshotboxcolor_b", id, n), 0).toInt();
    return QColor(red, green, blue, 255);
}
void AppSettings::setSnapshotBoxColor(const QString &id, int n, const QColor &v)
{
    setValue(boxKey("snapshotboxcolor_r", id, n), v.red());
    setValue(boxKey("snapshotboxcolor_g", id, n), v.blue());
    setValue(boxKey("snapshotboxcolor_b", id, n), v.green());
}
bool AppSettings::boxVisibility(const QString &id, int n) const
{
    return value(boxKey("boxvisibility", id, n), true).toBool();
}
void AppSettings::setBoxVisibility(const QString &id, int n, bool v)
{
    setValue(boxKey("boxvisibility", id, n), v);
}
int AppSettings::centerType(const QString &id, int n) const
{
    return value(boxKey("centertype", id, n), 0).toInt();
}
void AppSettings::setCenterType(const QString &id, int n, int v)
{
    setValue(boxKey("centertype", id, n), v);
}
QPoint AppSettings::customPresetPos(const QString &id, int n) const
{
    return value(boxKey("custompresetpos", id, n), QPoint(0, 0)).toPoint();
}
void AppSettings::setCustomPresetPos(const QString &id, int n, const QPoint &v)
{
    setValue(boxKey("custompresetpos", id, n), v);
}
QString AppSettings::customPresetTitle(const QString &id, int n) const
{
    return value(boxKey("custompresettitle", id, n), QStringLiteral("Custom Preset") + QString::number(n))
        .toString();
}
void AppSettings::setCustomPresetTitle(const QString &id, int n, const QString &v)
{
    setValue(boxKey("custompresettitle", id, n), v);
}

QString AppSettings::tallyObs(const QString &id) const
{
    return value(cameraKey(id, "tally_obs"), QString()).toString();
}
void AppSettings::setTallyObs(const QString &id, const QString &v)
{
    setValue(cameraKey(id, "tally_obs"), v);
}
QString AppSettings::tallyVmix(const QString &id) const
{
    return value(cameraKey(id, "tally_vmix"), QString()).toString();
}
void AppSettings::setTallyVmix(const QString &id, const QString &v)
{
    setValue(cameraKey(id, "tally_vmix"), v);
}
