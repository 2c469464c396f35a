#include "webapi.h"

#include "appservices.h"
#include "appsettings.h"
#include "cameracontrol.h"
#include "camerafactory.h"
#include "camerawrapper.h"
#include "httpserverwrapper.h"
#include "ipcamera.h"
#include "obswrapper.h"
#include "tallytracker.h"
#include "usbcamera.h"
#include "usbdevicelist.h"
#include "vmixwrapper.h"
#include "weblog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <optional>

WebApi::WebApi(HttpServerWrapper *server,
               CameraControl *control,
               AppSettings *settings,
               ObsWrapper *obsLink,
               VMixWrapper *vmixLink,
               QObject *parent)
    : QObject(parent), m_control(control), m_settings(settings), m_obsLink(obsLink), m_vmixLink(vmixLink)
{
    connectServerSignals(server);
}

void WebApi::setTallyTracker(TallyTracker *tally)
{
    m_tally = tally;
}

WebApi::~WebApi() = default;

void WebApi::connectServerSignals(HttpServerWrapper *server)
{
    // Direct: each handler answers inside the request's handling.
    const auto direct = Qt::DirectConnection;
    using S = HttpServerWrapper;
    connect(server, &S::getVMixSettings, this, &WebApi::onGetVMixSettings, direct);
    connect(server, &S::getVMixStatus, this, &WebApi::onGetVMixStatus, direct);
    connect(server, &S::vmixSaveReconnect, this, &WebApi::onVmixSaveReconnect, direct);
    connect(server, &S::setVMixSourceVolume, this, &WebApi::onSetVMixSourceVolume, direct);
    connect(server, &S::setVMixSourceMuted, this, &WebApi::onSetVMixSourceMuted, direct);
    connect(server, &S::setVMixMasterVolume, this, &WebApi::onSetVMixMasterVolume, direct);
    connect(server, &S::setVMixMasterMuted, this, &WebApi::onSetVMixMasterMuted, direct);
    connect(server, &S::vmixToggleStreaming, this, &WebApi::onVmixToggleStreaming, direct);
    connect(server, &S::vmixToggleRecording, this, &WebApi::onVmixToggleRecording, direct);
    connect(server, &S::vmixTogglePlayList, this, &WebApi::onVmixTogglePlayList, direct);
    connect(server, &S::vmixApplyTransition, this, &WebApi::onVmixApplyTransition, direct);
    connect(server, &S::vmixSetPreview, this, &WebApi::onVmixSetPreview, direct);
    connect(server, &S::getObsStatus, this, &WebApi::onGetObsStatus, direct);
    connect(server, &S::getObsSettings, this, &WebApi::onGetObsSettings, direct);
    connect(server, &S::setObsSourceVolume, this, &WebApi::onSetObsSourceVolume, direct);
    connect(server, &S::setObsSourceMuted, this, &WebApi::onSetObsSourceMuted, direct);
    connect(server, &S::obsToggleStreaming, this, &WebApi::onObsToggleStreaming, direct);
    connect(server, &S::obsToggleRecording, this, &WebApi::onObsToggleRecording, direct);
    connect(server, &S::obsSetTransition, this, &WebApi::onObsSetTransition, direct);
    connect(server, &S::obsSaveReconnect, this, &WebApi::onObsSaveReconnect, direct);
    connect(server, &S::getCameraSettings, this, &WebApi::onGetCameraSettings, direct);
    connect(server, &S::getCurrentCamInfo, this, &WebApi::onGetCurrentCamInfo, direct);
    connect(server, &S::getCameraTally, this, &WebApi::onGetCameraTally, direct);
    connect(server, &S::saveCameraSettings, this, &WebApi::onSaveCameraSettings, direct);
    connect(server, &S::setPreset, this, &WebApi::onSetPreset, direct);
    connect(server, &S::recallPreset, this, &WebApi::onRecallPreset, direct);
    connect(server, &S::connectCam, this, &WebApi::onConnectCam, direct);
    connect(server, &S::controlCam, this, &WebApi::onControlCam, direct);
    connect(server, &S::focusAuto, this, &WebApi::onFocusAuto, direct);
    connect(server, &S::checkImageDownloaded, this, &WebApi::onCheckImageDownloaded, direct);
    connect(server, &S::stopControl, this, &WebApi::onStopControl, direct);
}

void WebApi::replyOk(const QJsonObject &data, HttpResponse *resp)
{
    HttpServerWrapper::replyOk(data, resp);
}

void WebApi::replyFailed(const QString &msg, HttpResponse *resp)
{
    HttpServerWrapper::replyFailed(msg, resp);
}

// Switcher API. Reads come from the links' caches, so no reply waits for OBS or vMix; commands are handed
// to the links, which send them without waiting. A command for an unreachable switcher is lost, and the
// reply is still OK: the browser sees the effect (or its absence) in the next status.

void WebApi::onGetVMixSettings(HttpResponse *resp)
{
    // The password stays on this machine.
    replyOk({{QStringLiteral("vmixIp"), m_vmixLink->ip()},
             {QStringLiteral("vmixId"), m_vmixLink->userId()},
             {QStringLiteral("vmixPort"), m_vmixLink->port()}},
            resp);
}

void WebApi::onGetVMixStatus(HttpResponse *resp)
{
    QJsonArray inputs;
    for (const VMixInput &input : m_vmixLink->inputs()) {
        inputs.append(QJsonObject{{QStringLiteral("inputName"), input.title},
                                  {QStringLiteral("inputKey"), input.key},
                                  {QStringLiteral("inputVolume"), input.volume},
                                  {QStringLiteral("inputVolumeMuted"), input.muted}});
    }
    replyOk({{QStringLiteral("inputs"), inputs},
             {QStringLiteral("isRecording"), m_vmixLink->isRecording()},
             {QStringLiteral("isStreaming"), m_vmixLink->isStreaming()},
             {QStringLiteral("isPlayListOn"), m_vmixLink->isPlayListOn()},
             {QStringLiteral("masterVolume"), m_vmixLink->masterVolume()},
             {QStringLiteral("masterVolumeMuted"), m_vmixLink->isMasterMuted()}},
            resp);
}

void WebApi::onVmixSaveReconnect(
    HttpResponse *resp, const QString &vmixIp, int vmixPort, const QString &vmixId, const QString &vmixPwd)
{
    // The poll timer is left as it is: whether vMix is polled is the web server dialog's choice.
    m_vmixLink->resetConnection(vmixIp, vmixPort, vmixId, vmixPwd);
    m_settings->setVmixIp(vmixIp);
    m_settings->setVmixPort(vmixPort);
    m_settings->setVmixId(vmixId);
    m_settings->setVmixPwd(vmixPwd);
    replyOk({}, resp);
}

void WebApi::onSetVMixSourceVolume(HttpResponse *resp, const QString &sourceName, double volume)
{
    m_vmixLink->setVolume(volume, sourceName);
    replyOk({}, resp);
}

void WebApi::onSetVMixSourceMuted(HttpResponse *resp, const QString &sourceName)
{
    m_vmixLink->toggleAudio(sourceName);
    replyOk({}, resp);
}

void WebApi::onSetVMixMasterVolume(HttpResponse *resp, double volume)
{
    // vMix takes whole numbers; the fraction is dropped toward zero. "nan" and "inf" convert to doubles
    // that name no volume, so nothing is sent for them.
    if (std::isfinite(volume)) {
        constexpr double lowest = std::numeric_limits<int>::min();
        constexpr double highest = std::numeric_limits<int>::max();
        m_vmixLink->setMasterVolume(int(qBound(lowest, std::trunc(volume), highest)));
    } else {
        qCWarning(lcWeb) << "ignored a vMix master volume that is not a number";
    }
    replyOk({}, resp);
}

void WebApi::onSetVMixMasterMuted(HttpResponse *resp)
{
    m_vmixLink->toggleMasterAudio();
    replyOk({}, resp);
}

void WebApi::onVmixToggleStreaming(HttpResponse *resp)
{
    m_vmixLink->startStopStreaming();
    replyOk({}, resp);
}

void WebApi::onVmixToggleRecording(HttpResponse *resp)
{
    m_vmixLink->startStopRecording();
    replyOk({}, resp);
}

void WebApi::onVmixTogglePlayList(HttpResponse *resp)
{
    // Decided from the cache: two toggles within one poll period both act on the same cached state.
    if (m_vmixLink->isPlayListOn())
        m_vmixLink->stopPlayList();
    else
        m_vmixLink->startPlayList();
    replyOk({}, resp);
}

void WebApi::onVmixApplyTransition(HttpResponse *resp, int transition)
{
    m_vmixLink->applyTransition(transition);
    replyOk({}, resp);
}

void WebApi::onVmixSetPreview(HttpResponse *resp, const QString &sourceName)
{
    m_vmixLink->previewInput(sourceName);
    replyOk({}, resp);
}

void WebApi::onGetObsStatus(HttpResponse *resp)
{
    replyOk({{QStringLiteral("isStreaming"), m_obsLink->isStreaming()},
             {QStringLiteral("isRecording"), m_obsLink->isRecording()},
             {QStringLiteral("sources"), m_obsLink->sourcesJson()},
             {QStringLiteral("transitions"), QJsonArray::fromStringList(m_obsLink->transitions())},
             {QStringLiteral("currentTransition"), m_obsLink->currentTransition()}},
            resp);
}

void WebApi::onGetObsSettings(HttpResponse *resp)
{
    // The password stays on this machine.
    replyOk({{QStringLiteral("obsIp"), m_obsLink->ip()}, {QStringLiteral("obsPort"), m_obsLink->port()}},
            resp);
}

void WebApi::onSetObsSourceVolume(HttpResponse *resp, const QString &sourceName, double volume)
{
    m_obsLink->setVolume(volume, sourceName);
    replyOk({}, resp);
}

void WebApi::onSetObsSourceMuted(HttpResponse *resp, const QString &sourceName)
{
    m_obsLink->toggleMute(sourceName);
    replyOk({}, resp);
}

void WebApi::onObsToggleStreaming(HttpResponse *resp)
{
    m_obsLink->startStopStreaming();
    replyOk({}, resp);
}

void WebApi::onObsToggleRecording(HttpResponse *resp)
{
    m_obsLink->startStopRecording();
    replyOk({}, resp);
}

void WebApi::onObsSetTransition(HttpResponse *resp, const QString &transition)
{
    m_obsLink->setCurrentTransition(transition);
    replyOk({}, resp);
}

void WebApi::onObsSaveReconnect(HttpResponse *resp, const QString &obsIp, int obsPort, const QString &obsPwd)
{
    m_obsLink->setIp(obsIp);
    m_obsLink->setPort(obsPort);
    m_obsLink->setPassword(obsPwd);
    m_settings->setObsIp(obsIp);
    m_settings->setObsPort(obsPort);
    m_settings->setObsPwd(obsPwd);
    // Reopened whatever enableobsctrl says, but the poll timer is left as it is: with OBS control off the
    // link is open for commands and not polled.
    m_obsLink->closeConnection();
    m_obsLink->openConnection();
    replyOk({}, resp);
}

// Camera API. The handlers call the control owner exactly as the window's own buttons do, including its
// rule that nothing is sent without a connected camera.

namespace {

const QString WrongCameraSettings = QStringLiteral("Wrong camera settings!");

// Control methods of "/cam/control" and "/cam/stopControl", as the browser numbers its buttons.
enum ControlMethod {
    PanRight = 0,
    PanLeft = 1,
    TiltUp = 2,
    TiltDown = 3,
    MoveHome = 4,
    FocusIn = 5,
    FocusOut = 6,
    ZoomIn = 7,
    ZoomOut = 8,
};

// One camera of a "/cam/saveSettings" list: its record, and the tally sources it names.
struct CameraEntry
{
    CameraRecord record;
    // Absent from an older client's list: the stored sources stay.
    std::optional<QString> tallyObs;
    std::optional<QString> tallyVmix;
};

// An optional tally source of a list entry: absent, or a text of at most the tracker's length; false for
// anything else.
bool readTallySource(const QJsonObject &object, const char *key, std::optional<QString> &source)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isString() || value.toString().size() > TallyTracker::MaxSourceLength)
        return false;
    source = value.toString();
    return true;
}

// The eight camera slots of the browser's list, or nothing when the text is not a list of eight
// complete entries, or an entry names an unknown transport, a bad port or a bad tally source (then
// nothing may change). "transport" and "port" are optional: absent, a network camera gets tcp and the
// transport's port.
std::optional<QList<CameraEntry>> parseCameraList(const QString &camListJson)
{
    const QJsonArray array = QJsonDocument::fromJson(camListJson.toUtf8()).array();
    if (array.size() != 8)
        return std::nullopt;
    QList<CameraEntry> entries;
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        if (!object.contains(QLatin1String("camId")) || !object.contains(QLatin1String("isUsb"))
            || !object.contains(QLatin1String("name")))
            return std::nullopt;
        CameraEntry entry;
        CameraRecord &record = entry.record;
        // Only JSON true makes a USB camera; "true" as text does not.
        record.type = object.value(QLatin1String("isUsb")).toBool(false) ? CameraRecord::UsbType
                                                                         : CameraRecord::NetworkType;
        record.name = object.value(QLatin1String("name")).toString();
        record.id = object.value(QLatin1String("camId")).toString();
        record.deviceName = record.id;
        const QJsonValue transport = object.value(QLatin1String("transport"));
        if (!transport.isUndefined()) {
            const std::optional<ViscaTransport> known
                = transport.isString() ? ViscaTransports::fromName(transport.toString()) : std::nullopt;
            if (!known)
                return std::nullopt;
            record.transport = *known;
        }
        record.port = ViscaTransports::defaultPort(record.transport);
        const QJsonValue port = object.value(QLatin1String("port"));
        if (!port.isUndefined()) {
            // A whole number 1..65535; 5678.5, "5678" and 0 are not ports.
            const double number = port.toDouble(-1);
            const std::optional<quint16> valid = port.isDouble() && number == qint64(number)
                                                     ? ViscaTransports::portFrom(qint64(number))
                                                     : std::nullopt;
            if (!valid)
                return std::nullopt;
            record.port = *valid;
        }
        if (!readTallySource(object, "tallyObs", entry.tallyObs)
            || !readTallySource(object, "tallyVmix", entry.tallyVmix))
            return std::nullopt;
        entries.append(entry);
    }
    return entries;
}

// The sources of the entries that name any; a source an entry leaves out stays as stored.
void saveTallySources(const QList<CameraEntry> &entries, AppSettings *settings, TallyTracker *tally)
{
    for (const CameraEntry &entry : entries) {
        if (!entry.tallyObs && !entry.tallyVmix)
            continue;
        const QString &id = entry.record.id;
        const QString obs = entry.tallyObs.value_or(settings->tallyObs(id));
        const QString vmix = entry.tallyVmix.value_or(settings->tallyVmix(id));
        if (tally) {
            tally->setSources(id, obs, vmix);
        } else {
            settings->setTallyObs(id, obs);
            settings->setTallyVmix(id, vmix);
        }
    }
}

QList<CameraWrapper *> cameraList()
{
    AppServices *services = appServices();
    return services ? services->cameras() : QList<CameraWrapper *>();
}

} // namespace

void WebApi::onGetCameraSettings(HttpResponse *resp)
{
    QJsonArray camList;
    for (const CameraWrapper *camera : cameraList()) {
        const CameraRecord record = CameraFactory::recordOf(*camera);
        camList.append(QJsonObject{{QStringLiteral("isUsbCam"), record.type == CameraRecord::UsbType},
                                   {QStringLiteral("camId"), record.id},
                                   {QStringLiteral("camName"), record.name},
                                   {QStringLiteral("transport"), ViscaTransports::name(record.transport)},
                                   {QStringLiteral("port"), int(record.port)},
                                   {QStringLiteral("tallyObs"), m_settings->tallyObs(record.id)},
                                   {QStringLiteral("tallyVmix"), m_settings->tallyVmix(record.id)}});
    }
    replyOk({{QStringLiteral("usbDevices"), QJsonArray::fromStringList(attachedUsbDevices())},
             {QStringLiteral("camList"), camList}},
            resp);
}

void WebApi::onGetCurrentCamInfo(HttpResponse *resp)
{
    constexpr int PresetNames = 9;
    QJsonArray presets;
    CameraWrapper *camera = m_control->currentCamera();
    if (!camera) {
        for (int n = 1; n <= PresetNames; ++n)
            presets.append(QStringLiteral("Preset") + QString::number(n));
        replyOk({{QStringLiteral("camIndex"), -1},
                 {QStringLiteral("presets"), presets},
                 {QStringLiteral("camId"), QString()},
                 {QStringLiteral("focusAuto"), false},
                 {QStringLiteral("tally"), tallyStateName(TallyState::Off)}},
                resp);
        return;
    }
    const QString id = camera->cameraId();
    for (int n = 1; n <= PresetNames; ++n)
        presets.append(m_settings->presetName(id, n));
    replyOk({{QStringLiteral("camIndex"), qMax(0, int(cameraList().indexOf(camera)))},
             {QStringLiteral("presets"), presets},
             {QStringLiteral("camId"), id},
             {QStringLiteral("focusAuto"), camera->isAutoFocus},
             {QStringLiteral("tally"), tallyStateName(m_tally ? m_tally->tally(id) : TallyState::Off)}},
            resp);
}

void WebApi::onGetCameraTally(HttpResponse *resp)
{
    QJsonArray cams;
    const QList<CameraWrapper *> cameras = cameraList();
    for (int i = 0; i < cameras.size(); ++i) {
        const QString id = cameras.at(i)->cameraId();
        cams.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("camIndex"), i},
            {QStringLiteral("name"), cameras.at(i)->cameraName()},
            {QStringLiteral("tally"), tallyStateName(m_tally ? m_tally->tally(id) : TallyState::Off)}});
    }
    replyOk({{QStringLiteral("cams"), cams}}, resp);
}

void WebApi::onSaveCameraSettings(HttpResponse *resp, const QString &camListJson)
{
    // The router hands the value over fully decoded, so the JSON text is parsed as it stands.
    const std::optional<QList<CameraEntry>> entries = parseCameraList(camListJson);
    if (!entries) {
        replyFailed(WrongCameraSettings, resp);
        return;
    }
    QList<CameraRecord> records;
    for (const CameraEntry &entry : *entries)
        records.append(entry.record);
    m_settings->writeCameraRecords(records);
    saveTallySources(*entries, m_settings, m_tally);

    // A motion leased on a camera of the old list ends before that camera goes.
    m_control->releaseCurrentCamera();
    if (AppServices *services = appServices()) {
        services->loadCameras();
        services->connectCameraSignals();
    }
    Q_EMIT cameraListSaved();
    replyOk({}, resp);
}

void WebApi::onSetPreset(HttpResponse *resp, const QString &presetName, int presetNum, bool isUploadImage)
{
    Q_UNUSED(isUploadImage);
    m_control->storePreset(presetNum, presetName);
    replyOk({}, resp);
}

void WebApi::onRecallPreset(HttpResponse *resp, int presetNum, int presetSpeed)
{
    // The browser shows the recall speeds 1 to 24, the items of the window's own list.
    m_control->applyPresetSpeed(presetSpeed - 1);
    m_control->recallPreset(presetNum);
    replyOk({}, resp);
}

void WebApi::onConnectCam(HttpResponse *resp, int camNum)
{
    const QList<CameraWrapper *> cameras = cameraList();
    constexpr int CameraButtons = 8;
    if (camNum >= 0 && camNum < CameraButtons && camNum < cameras.size())
        m_control->selectCamera(cameras.at(camNum));
    replyOk({}, resp);
}

void WebApi::onControlCam(HttpResponse *resp,
                          int controlMethod,
                          int panSpeed,
                          int tiltSpeed,
                          int zoomSpeed,
                          int focusSpeed,
                          int holdMs)
{
    CameraControl *control = m_control;
    const MotionSource source = holdMs > 0 ? MotionSource::WebLease : MotionSource::Web;
    switch (controlMethod) {
    case PanRight:
        control->startPanTilt(PanTiltDirection::Right, panSpeed, 0, source, holdMs, controlMethod);
        break;
    case PanLeft:
        control->startPanTilt(PanTiltDirection::Left, panSpeed, 0, source, holdMs, controlMethod);
        break;
    case TiltUp:
        control->startPanTilt(PanTiltDirection::Up, 0, tiltSpeed, source, holdMs, controlMethod);
        break;
    case TiltDown:
        control->startPanTilt(PanTiltDirection::Down, 0, tiltSpeed, source, holdMs, controlMethod);
        break;
    case MoveHome:
        control->moveHome();
        break;
    case FocusIn:
        control->startFocus(true, focusSpeed, source, holdMs, controlMethod);
        break;
    case FocusOut:
        control->startFocus(false, focusSpeed, source, holdMs, controlMethod);
        break;
    case ZoomIn:
        control->startZoom(true, zoomSpeed, source, holdMs, controlMethod);
        break;
    case ZoomOut:
        control->startZoom(false, zoomSpeed, source, holdMs, controlMethod);
        break;
    default:
        break;
    }
    replyOk({}, resp);
}

void WebApi::onFocusAuto(HttpResponse *resp, bool focusAuto)
{
    m_control->applyAutoFocus(focusAuto);
    replyOk({}, resp);
}

void WebApi::onCheckImageDownloaded(HttpResponse *resp)
{
    // Read destructively, so each finished download is reported to one poll.
    replyOk({{QStringLiteral("downloaded"), m_control->takeImageDownloaded()}}, resp);
}

void WebApi::onStopControl(HttpResponse *resp, int controlMethod)
{
    switch (controlMethod) {
    case PanRight:
    case PanLeft:
    case TiltUp:
    case TiltDown:
        m_control->stop(MotionAxis::PanTilt);
        break;
    case FocusIn:
    case FocusOut:
        m_control->stop(MotionAxis::Focus);
        break;
    case ZoomIn:
    case ZoomOut:
        m_control->stop(MotionAxis::Zoom);
        break;
    default:
        // Home needs no stop.
        break;
    }
    replyOk({}, resp);
}
