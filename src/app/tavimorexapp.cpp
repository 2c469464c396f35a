#include "tavimorexapp.h"

#include "appsettings.h"
#include "camerawrapper.h"
#include "httpserverwrapper.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "memorytrimmer.h"
#include "obswrapper.h"
#include "unixsignalquitter.h"
#include "usbcamera.h"
#include "usbdevicelist.h"
#include "vmixwrapper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMessageBox>

#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

Q_LOGGING_CATEGORY(lcApp, "tavimorex.app")

namespace {
constexpr int CameraSlots = 8;
const QString MessageTitle = QStringLiteral("Tavimorex App");
const QString HttpServerFailure
    = QStringLiteral("Can not turn on Http Server. Please check NIC and port number settings.");
} // namespace

TavimorexApp::TavimorexApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setInstance(this);
    setApplicationName(QStringLiteral("tavimorex"));
    setApplicationVersion(QStringLiteral("1.4.1"));
    setQuitOnLastWindowClosed(true);
    m_signalQuitter = new UnixSignalQuitter(this);
    new MemoryTrimmer(this);

    m_settings = new AppSettings(nullptr);
    loadCameras();
    recordFirstCameraList();

    m_httpServer = new HttpServerWrapper(m_settings);
    connectHttpServerSignals();
    if (m_settings->startupOnLaunch())
        startHttpServer();

    m_vmixLink = new VMixWrapper(m_settings->vmixIp(), m_settings->vmixPort(), m_settings->vmixId(),
                                 m_settings->vmixPwd());
    if (m_settings->enableVmixCtrl())
        m_vmixLink->startPolling();
    m_obsLink = new ObsWrapper(m_settings->obsIp(), m_settings->obsPort(), m_settings->obsPwd());
    if (m_settings->enableObsCtrl()) {
        m_obsLink->openConnection();
        m_obsLink->startPolling();
    }

    m_mainWindow = new MainWindow(nullptr);
    connectCameraSignals();
    m_mainWindow->show();
}

TavimorexApp::~TavimorexApp()
{
    delete m_httpServer;
    m_httpServer = nullptr;
    delete m_vmixLink;
    m_vmixLink = nullptr;
    delete m_obsLink;
    m_obsLink = nullptr;
    delete m_settings;
    m_settings = nullptr;
    delete m_mainWindow;
    m_mainWindow = nullptr;
    clearCameras();
    // Cameras are deleted deferred; run their deletion while the application still exists.
    sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setInstance(nullptr);
}

AppSettings *TavimorexApp::settings() const
{
    return m_settings;
}

QList<CameraWrapper *> TavimorexApp::cameras() const
{
    return m_cameras;
}

MainWindow *TavimorexApp::mainWindow() const
{
    return m_mainWindow;
}

void TavimorexApp::loadCameras()
{
    clearCameras();
    m_settings->readCameraList(m_cameras);
    while (m_cameras.size() < CameraSlots) {
        const QString name = QStringLiteral("Camera") + QString::number(m_cameras.size() + 1);
        m_cameras.append(new IPCamera(QStringLiteral("0.0.0.0"), name, QStringLiteral("0.0.0.0")));
    }
    qCDebug(lcApp) << "camera list loaded with" << m_cameras.size() << "cameras";
}

void TavimorexApp::recordFirstCameraList()
{
    // On the first start the default list goes into settings.ini, so the operator finds a complete,
    // editable configuration file and later versions read the same eight slots.
    QList<CameraWrapper *> stored;
    m_settings->readCameraList(stored);
    const bool nothingStored = stored.isEmpty();
    qDeleteAll(stored);
    if (nothingStored) {
        m_settings->writeCameraList(m_cameras);
        m_settings->sync();
    }
}

void TavimorexApp::clearCameras()
{
    // Deferred: the handler that asked for a rebuild may still be running inside one of these cameras.
    while (!m_cameras.isEmpty())
        m_cameras.takeFirst()->deleteLater();
}

void TavimorexApp::connectCameraSignals()
{
    const int count = qMin(CameraSlots, int(m_cameras.size()));
    for (int i = 0; i < count; ++i) {
        CameraWrapper *camera = m_cameras.at(i);
        connect(camera, &CameraWrapper::clientError, this, &TavimorexApp::onCameraError,
                Qt::UniqueConnection);
        if (!m_mainWindow)
            continue;
        MainWindow *window = m_mainWindow;
        connect(camera, &CameraWrapper::clientConnected, window, &MainWindow::onCameraConnected,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientDisconnected, window, &MainWindow::onCameraDisconnected,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientStatusUpdated, window, &MainWindow::onCameraStatusUpdated,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientStateChanged, window, &MainWindow::onCameraStateChanged,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientReadOneCycle, window, &MainWindow::onCameraReadOneCycle,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientFinishDownload, window, &MainWindow::onCameraDownloadFinished,
                Qt::UniqueConnection);
        connect(camera, &CameraWrapper::clientFinishGetName, window, &MainWindow::onCameraNameGetFinished,
                Qt::UniqueConnection);
    }
}

void TavimorexApp::showMessage(const QString &text)
{
    QMessageBox box;
    box.setWindowTitle(MessageTitle);
    box.setText(text);
    box.exec();
}

bool TavimorexApp::startHttpServer()
{
    // A stored port outside the TCP range would wrap to some other port: refuse it like a bad address.
    const int port = m_settings->serverPortNum();
    if (m_httpServer && port >= 0 && port <= 65535
        && m_httpServer->startServer(m_settings->serverNic(), quint16(port)))
        return true;
    showMessage(HttpServerFailure);
    return false;
}

bool TavimorexApp::stopHttpServer()
{
    if (m_httpServer)
        m_httpServer->stopServer();
    return true;
}

bool TavimorexApp::startObsLink()
{
    if (m_obsLink) {
        m_obsLink->openConnection();
        m_obsLink->startPolling();
    }
    return true;
}

bool TavimorexApp::stopObsLink()
{
    if (m_obsLink) {
        m_obsLink->closeConnection();
        m_obsLink->stopPolling();
    }
    return true;
}

bool TavimorexApp::startVmixLink()
{
    if (m_vmixLink)
        m_vmixLink->startPolling();
    return true;
}

bool TavimorexApp::stopVmixLink()
{
    if (m_vmixLink)
        m_vmixLink->stopPolling();
    return true;
}

void TavimorexApp::onCameraError(const QString &errMsg)
{
    // Camera errors are not shown to the operator; the link state in the status bar tells enough.
    qCDebug(lcApp) << "camera error:" << errMsg;
}

HttpServerWrapper *TavimorexApp::httpServer() const
{
    return m_httpServer;
}

void TavimorexApp::connectHttpServerSignals()
{
    // Direct: each handler answers inside the request's handling.
    HttpServerWrapper *server = m_httpServer;
    const auto direct = Qt::DirectConnection;
    connect(server, &HttpServerWrapper::getVMixSettings, this, &TavimorexApp::onGetVMixSettings, direct);
    connect(server, &HttpServerWrapper::getVMixStatus, this, &TavimorexApp::onGetVMixStatus, direct);
    connect(server, &HttpServerWrapper::vmixSaveReconnect, this, &TavimorexApp::onVmixSaveReconnect, direct);
    connect(server, &HttpServerWrapper::setVMixSourceVolume, this, &TavimorexApp::onSetVMixSourceVolume,
            direct);
    connect(server, &HttpServerWrapper::setVMixSourceMuted, this, &TavimorexApp::onSetVMixSourceMuted,
            direct);
    connect(server, &HttpServerWrapper::setVMixMasterVolume, this, &TavimorexApp::onSetVMixMasterVolume,
            direct);
    connect(server, &HttpServerWrapper::setVMixMasterMuted, this, &TavimorexApp::onSetVMixMasterMuted,
            direct);
    connect(server, &HttpServerWrapper::vmixToggleStreaming, this, &TavimorexApp::onVmixToggleStreaming,
            direct);
    connect(server, &HttpServerWrapper::vmixToggleRecording, this, &TavimorexApp::onVmixToggleRecording,
            direct);
    connect(server, &HttpServerWrapper::vmixTogglePlayList, this, &TavimorexApp::onVmixTogglePlayList,
            direct);
    connect(server, &HttpServerWrapper::vmixApplyTransition, this, &TavimorexApp::onVmixApplyTransition,
            direct);
    connect(server, &HttpServerWrapper::vmixSetPreview, this, &TavimorexApp::onVmixSetPreview, direct);
    connect(server, &HttpServerWrapper::getObsStatus, this, &TavimorexApp::onGetObsStatus, direct);
    connect(server, &HttpServerWrapper::getObsSettings, this, &TavimorexApp::onGetObsSettings, direct);
    connect(server, &HttpServerWrapper::setObsSourceVolume, this, &TavimorexApp::onSetObsSourceVolume,
            direct);
    connect(server, &HttpServerWrapper::setObsSourceMuted, this, &TavimorexApp::onSetObsSourceMuted, direct);
    connect(server, &HttpServerWrapper::obsToggleStreaming, this, &TavimorexApp::onObsToggleStreaming,
            direct);
    connect(server, &HttpServerWrapper::obsToggleRecording, this, &TavimorexApp::onObsToggleRecording,
            direct);
    connect(server, &HttpServerWrapper::obsSetTransition, this, &TavimorexApp::onObsSetTransition, direct);
    connect(server, &HttpServerWrapper::obsSaveReconnect, this, &TavimorexApp::onObsSaveReconnect, direct);
    connect(server, &HttpServerWrapper::getCameraSettings, this, &TavimorexApp::onGetCameraSettings, direct);
    connect(server, &HttpServerWrapper::getCurrentCamInfo, this, &TavimorexApp::onGetCurrentCamInfo, direct);
    connect(server, &HttpServerWrapper::saveCameraSettings, this, &TavimorexApp::onSaveCameraSettings,
            direct);
    connect(server, &HttpServerWrapper::setPreset, this, &TavimorexApp::onSetPreset, direct);
    connect(server, &HttpServerWrapper::recallPreset, this, &TavimorexApp::onRecallPreset, direct);
    connect(server, &HttpServerWrapper::connectCam, this, &TavimorexApp::onConnectCam, direct);
    connect(server, &HttpServerWrapper::controlCam, this, &TavimorexApp::onControlCam, direct);
    connect(server, &HttpServerWrapper::focusAuto, this, &TavimorexApp::onFocusAuto, direct);
    connect(server, &HttpServerWrapper::checkImageDownloaded, this, &TavimorexApp::onCheckImageDownloaded,
            direct);
    connect(server, &HttpServerWrapper::stopControl, this, &TavimorexApp::onStopControl, direct);
}

void TavimorexApp::replyOk(const QJsonObject &data, HttpResponse *resp)
{
    HttpServerWrapper::replyOk(data, resp);
}

void TavimorexApp::replyFailed(const QString &msg, HttpResponse *resp)
{
    HttpServerWrapper::replyFailed(msg, resp);
}

// Switcher API. Reads come from the links' caches, so no reply waits for OBS or vMix; commands are handed
// to the links, which send them without waiting. A command for an unreachable switcher is lost, and the
// reply is still OK: the browser sees the effect (or its absence) in the next status.

void TavimorexApp::onGetVMixSettings(HttpResponse *resp)
{
    // The password stays on this machine.
    replyOk({{QStringLiteral("vmixIp"), m_vmixLink->ip()},
             {QStringLiteral("vmixId"), m_vmixLink->userId()},
             {QStringLiteral("vmixPort"), m_vmixLink->port()}},
            resp);
}

void TavimorexApp::onGetVMixStatus(HttpResponse *resp)
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

void TavimorexApp::onVmixSaveReconnect(
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

void TavimorexApp::onSetVMixSourceVolume(HttpResponse *resp, const QString &sourceName, double volume)
{
    m_vmixLink->setVolume(volume, sourceName);
    replyOk({}, resp);
}

void TavimorexApp::onSetVMixSourceMuted(HttpResponse *resp, const QString &sourceName)
{
    m_vmixLink->toggleAudio(sourceName);
    replyOk({}, resp);
}

void TavimorexApp::onSetVMixMasterVolume(HttpResponse *resp, double volume)
{
    // vMix takes whole numbers; the fraction is dropped toward zero. "nan" and "inf" convert to doubles
    // that name no volume, so nothing is sent for them.
    if (std::isfinite(volume)) {
        constexpr double lowest = std::numeric_limits<int>::min();
        constexpr double highest = std::numeric_limits<int>::max();
        m_vmixLink->setMasterVolume(int(qBound(lowest, std::trunc(volume), highest)));
    } else {
        qCWarning(lcApp) << "ignored a vMix master volume that is not a number";
    }
    replyOk({}, resp);
}

void TavimorexApp::onSetVMixMasterMuted(HttpResponse *resp)
{
    m_vmixLink->toggleMasterAudio();
    replyOk({}, resp);
}

void TavimorexApp::onVmixToggleStreaming(HttpResponse *resp)
{
    m_vmixLink->startStopStreaming();
    replyOk({}, resp);
}

void TavimorexApp::onVmixToggleRecording(HttpResponse *resp)
{
    m_vmixLink->startStopRecording();
    replyOk({}, resp);
}

void TavimorexApp::onVmixTogglePlayList(HttpResponse *resp)
{
    // Decided from the cache: two toggles within one poll period both act on the same cached state.
    if (m_vmixLink->isPlayListOn())
        m_vmixLink->stopPlayList();
    else
        m_vmixLink->startPlayList();
    replyOk({}, resp);
}

void TavimorexApp::onVmixApplyTransition(HttpResponse *resp, int transition)
{
    m_vmixLink->applyTransition(transition);
    replyOk({}, resp);
}

void TavimorexApp::onVmixSetPreview(HttpResponse *resp, const QString &sourceName)
{
    m_vmixLink->previewInput(sourceName);
    replyOk({}, resp);
}

void TavimorexApp::onGetObsStatus(HttpResponse *resp)
{
    replyOk({{QStringLiteral("isStreaming"), m_obsLink->isStreaming()},
             {QStringLiteral("isRecording"), m_obsLink->isRecording()},
             {QStringLiteral("sources"), m_obsLink->sourcesJson()},
             {QStringLiteral("transitions"), QJsonArray::fromStringList(m_obsLink->transitions())},
             {QStringLiteral("currentTransition"), m_obsLink->currentTransition()}},
            resp);
}

void TavimorexApp::onGetObsSettings(HttpResponse *resp)
{
    // The password stays on this machine.
    replyOk({{QStringLiteral("obsIp"), m_obsLink->ip()}, {QStringLiteral("obsPort"), m_obsLink->port()}},
            resp);
}

void TavimorexApp::onSetObsSourceVolume(HttpResponse *resp, const QString &sourceName, double volume)
{
    m_obsLink->setVolume(volume, sourceName);
    replyOk({}, resp);
}

void TavimorexApp::onSetObsSourceMuted(HttpResponse *resp, const QString &sourceName)
{
    m_obsLink->toggleMute(sourceName);
    replyOk({}, resp);
}

void TavimorexApp::onObsToggleStreaming(HttpResponse *resp)
{
    m_obsLink->startStopStreaming();
    replyOk({}, resp);
}

void TavimorexApp::onObsToggleRecording(HttpResponse *resp)
{
    m_obsLink->startStopRecording();
    replyOk({}, resp);
}

void TavimorexApp::onObsSetTransition(HttpResponse *resp, const QString &transition)
{
    m_obsLink->setCurrentTransition(transition);
    replyOk({}, resp);
}

void TavimorexApp::onObsSaveReconnect(HttpResponse *resp,
                                      const QString &obsIp,
                                      int obsPort,
                                      const QString &obsPwd)
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

// Camera API. The handlers call the control window exactly as its own buttons do, so a browser action
// has the window's effect, including its rule that nothing is sent without a connected camera.

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

// One camera of a "/cam/saveSettings" list, before any camera object is built from it.
struct CameraEntry
{
    bool isUsb = false;
    QString name;
    QString camId;
};

// The eight entries of the browser's camera list, or nothing when the text is not a list of eight
// complete entries (then nothing may change).
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
        // Only JSON true makes a USB camera; "true" as text does not.
        entries.append({object.value(QLatin1String("isUsb")).toBool(false),
                        object.value(QLatin1String("name")).toString(),
                        object.value(QLatin1String("camId")).toString()});
    }
    return entries;
}

} // namespace

void TavimorexApp::onGetCameraSettings(HttpResponse *resp)
{
    QJsonArray camList;
    for (const CameraWrapper *camera : std::as_const(m_cameras)) {
        camList.append(QJsonObject{{QStringLiteral("isUsbCam"), camera->cameraType() == 1},
                                   {QStringLiteral("camId"), camera->cameraId()},
                                   {QStringLiteral("camName"), camera->cameraName()}});
    }
    replyOk({{QStringLiteral("usbDevices"), QJsonArray::fromStringList(attachedUsbDevices())},
             {QStringLiteral("camList"), camList}},
            resp);
}

void TavimorexApp::onGetCurrentCamInfo(HttpResponse *resp)
{
    constexpr int PresetNames = 9;
    QJsonArray presets;
    CameraWrapper *camera = m_mainWindow ? m_mainWindow->currentCamera() : nullptr;
    if (!camera) {
        for (int n = 1; n <= PresetNames; ++n)
            presets.append(QStringLiteral("Preset") + QString::number(n));
        replyOk({{QStringLiteral("camIndex"), -1},
                 {QStringLiteral("presets"), presets},
                 {QStringLiteral("camId"), QString()},
                 {QStringLiteral("focusAuto"), false}},
                resp);
        return;
    }
    const QString id = camera->cameraId();
    for (int n = 1; n <= PresetNames; ++n)
        presets.append(m_settings->presetName(id, n));
    replyOk({{QStringLiteral("camIndex"), qMax(0, int(m_cameras.indexOf(camera)))},
             {QStringLiteral("presets"), presets},
             {QStringLiteral("camId"), id},
             {QStringLiteral("focusAuto"), camera->isAutoFocus}},
            resp);
}

void TavimorexApp::onSaveCameraSettings(HttpResponse *resp, const QString &camListJson)
{
    // The router hands the value over fully decoded, so the JSON text is parsed as it stands.
    const std::optional<QList<CameraEntry>> entries = parseCameraList(camListJson);
    if (!entries) {
        replyFailed(WrongCameraSettings, resp);
        return;
    }
    QList<CameraWrapper *> configuration;
    for (const CameraEntry &entry : *entries) {
        if (entry.isUsb)
            configuration.append(new USBCamera(entry.camId, entry.name, entry.camId));
        else
            configuration.append(new IPCamera(entry.camId, entry.name, entry.camId));
    }
    m_settings->writeCameraList(configuration);
    qDeleteAll(configuration);

    loadCameras();
    connectCameraSignals();
    if (m_mainWindow) {
        m_mainWindow->refreshCameraButtons();
        m_mainWindow->setCurrentCamera(nullptr);
    }
    replyOk({}, resp);
}

void TavimorexApp::onSetPreset(HttpResponse *resp,
                               const QString &presetName,
                               int presetNum,
                               bool isUploadImage)
{
    Q_UNUSED(isUploadImage);
    if (m_mainWindow)
        m_mainWindow->storePresetWithName(presetNum, presetName);
    replyOk({}, resp);
}

void TavimorexApp::onRecallPreset(HttpResponse *resp, int presetNum, int presetSpeed)
{
    if (m_mainWindow) {
        // The browser shows the recall speeds 1 to 24, the items of the window's own list.
        m_mainWindow->applyPresetSpeed(presetSpeed - 1);
        m_mainWindow->onCallPreset(presetNum);
    }
    replyOk({}, resp);
}

void TavimorexApp::onConnectCam(HttpResponse *resp, int camNum)
{
    using Select = void (MainWindow::*)();
    static constexpr Select selectCamera[]
        = {&MainWindow::onCam1Clicked, &MainWindow::onCam2Clicked, &MainWindow::onCam3Clicked,
           &MainWindow::onCam4Clicked, &MainWindow::onCam5Clicked, &MainWindow::onCam6Clicked,
           &MainWindow::onCam7Clicked, &MainWindow::onCam8Clicked};
    if (m_mainWindow && camNum >= 0 && camNum < int(std::size(selectCamera)))
        (m_mainWindow->*selectCamera[camNum])();
    replyOk({}, resp);
}

void TavimorexApp::onControlCam(
    HttpResponse *resp, int controlMethod, int panSpeed, int tiltSpeed, int zoomSpeed, int focusSpeed)
{
    if (m_mainWindow) {
        MainWindow *window = m_mainWindow;
        switch (controlMethod) {
        case PanRight:
            window->moveRightAtSpeed(panSpeed);
            break;
        case PanLeft:
            window->moveLeftAtSpeed(panSpeed);
            break;
        case TiltUp:
            window->moveUpAtSpeed(tiltSpeed);
            break;
        case TiltDown:
            window->moveDownAtSpeed(tiltSpeed);
            break;
        case MoveHome:
            window->onMoveHome();
            break;
        case FocusIn:
            window->focusInAtSpeed(focusSpeed);
            break;
        case FocusOut:
            window->focusOutAtSpeed(focusSpeed);
            break;
        case ZoomIn:
            window->zoomInAtSpeed(zoomSpeed);
            break;
        case ZoomOut:
            window->zoomOutAtSpeed(zoomSpeed);
            break;
        default:
            break;
        }
    }
    replyOk({}, resp);
}

void TavimorexApp::onFocusAuto(HttpResponse *resp, bool focusAuto)
{
    if (m_mainWindow)
        m_mainWindow->applyAutoFocus(focusAuto);
    replyOk({}, resp);
}

void TavimorexApp::onCheckImageDownloaded(HttpResponse *resp)
{
    // Read destructively, so each finished download is reported to one poll.
    const bool downloaded = m_mainWindow && m_mainWindow->isImageDownloaded();
    if (downloaded)
        m_mainWindow->setImageDownloaded(false);
    replyOk({{QStringLiteral("downloaded"), downloaded}}, resp);
}

void TavimorexApp::onStopControl(HttpResponse *resp, int controlMethod)
{
    if (m_mainWindow) {
        switch (controlMethod) {
        case PanRight:
        case PanLeft:
        case TiltUp:
        case TiltDown:
            m_mainWindow->onStopMoving();
            break;
        case FocusIn:
        case FocusOut:
            m_mainWindow->onStopFocusing();
            break;
        case ZoomIn:
        case ZoomOut:
            m_mainWindow->onStopZooming();
            break;
        default:
            // Home needs no stop.
            break;
        }
    }
    replyOk({}, resp);
}
