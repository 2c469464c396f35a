#include "tavimorexapp.h"

#include "camerafactory.h"

#include "appsettings.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "httpserverwrapper.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "memorytrimmer.h"
#include "obswrapper.h"
#include "tallytracker.h"
#include "tavimorexversion.h"
#include "unixsignalquitter.h"
#include "vmixwrapper.h"
#include "webapi.h"

#include <QLoggingCategory>
#include <QMessageBox>

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
    setApplicationVersion(QStringLiteral(TAVIMOREX_VERSION));
    setQuitOnLastWindowClosed(true);
    m_signalQuitter = new UnixSignalQuitter(this);
    new MemoryTrimmer(this);

    m_settings = new AppSettings(nullptr);
    m_control = new CameraControl(m_settings);
    loadCameras();
    recordFirstCameraList();

    m_vmixLink = new VMixWrapper(m_settings->vmixIp(), m_settings->vmixPort(), m_settings->vmixId(),
                                 m_settings->vmixPwd());
    m_obsLink = new ObsWrapper(m_settings->obsIp(), m_settings->obsPort(), m_settings->obsPwd());

    m_tally = new TallyTracker(m_settings);
    m_tally->attachObs(m_obsLink);
    m_tally->attachVmix(m_vmixLink);
    connect(m_tally, &TallyTracker::tallyChanged, this, [this](const QString &id, TallyState state) {
        for (CameraWrapper *camera : std::as_const(m_cameras)) {
            if (camera->cameraId() == id)
                camera->setTally(state);
        }
    });
    connect(m_tally, &TallyTracker::sourceLiveChanged, this, [this](const QString &id, bool live) {
        for (CameraWrapper *camera : std::as_const(m_cameras)) {
            if (camera->cameraId() == id)
                camera->setTallySourceLive(live);
        }
    });
    refreshTally();

    m_httpServer = new HttpServerWrapper(m_settings);
    m_webApi = new WebApi(m_httpServer, m_control, m_settings, m_obsLink, m_vmixLink);
    m_webApi->setTallyTracker(m_tally);
    if (m_settings->startupOnLaunch())
        startHttpServer();

    if (m_settings->enableVmixCtrl())
        m_vmixLink->startPolling();
    if (m_settings->enableObsCtrl()) {
        m_obsLink->openConnection();
        m_obsLink->startPolling();
    }

    m_mainWindow = new MainWindow(m_control, nullptr);
    connect(m_webApi, &WebApi::cameraListSaved, m_mainWindow, &MainWindow::refreshCameraButtons);
    m_mainWindow->setTallyTracker(m_tally);
    connectCameraSignals();
    m_mainWindow->show();
}

TavimorexApp::~TavimorexApp()
{
    // A camera still moving when the program ends would move on until its end stop: its stops go out
    // first, and the camera's link writes them before it closes.
    m_control->stopAllMotions(QStringLiteral("quit"));
    delete m_httpServer;
    m_httpServer = nullptr;
    delete m_webApi;
    m_webApi = nullptr;
    delete m_tally;
    m_tally = nullptr;
    delete m_vmixLink;
    m_vmixLink = nullptr;
    delete m_obsLink;
    m_obsLink = nullptr;
    delete m_settings;
    m_settings = nullptr;
    delete m_mainWindow;
    m_mainWindow = nullptr;
    delete m_control;
    m_control = nullptr;
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
    QList<CameraRecord> records = m_settings->readCameraRecords();
    while (records.size() < CameraSlots) {
        CameraRecord unset;
        unset.id = QStringLiteral("0.0.0.0");
        unset.name = QStringLiteral("Camera") + QString::number(records.size() + 1);
        unset.deviceName = unset.id;
        records.append(unset);
    }
    for (const CameraRecord &record : std::as_const(records))
        m_cameras.append(CameraFactory::create(record));
    qCDebug(lcApp) << "camera list loaded with" << m_cameras.size() << "cameras";
    refreshTally();
}

void TavimorexApp::refreshTally()
{
    if (!m_tally)
        return;
    QStringList ids;
    for (const CameraWrapper *camera : std::as_const(m_cameras))
        ids.append(camera->cameraId());
    m_tally->setCameraIds(ids);
    // Cameras just built from a new list hear their state too; a camera acts on changes only.
    for (CameraWrapper *camera : std::as_const(m_cameras)) {
        camera->setTally(m_tally->tally(camera->cameraId()));
        camera->setTallySourceLive(m_tally->isSourceLive(camera->cameraId()));
    }
}

void TavimorexApp::recordFirstCameraList()
{
    // On the first start the default list goes into settings.ini, so the operator finds a complete,
    // editable configuration file and later versions read the same eight slots.
    if (m_settings->readCameraRecords().isEmpty()) {
        QList<CameraRecord> records;
        for (const CameraWrapper *camera : std::as_const(m_cameras))
            records.append(CameraFactory::recordOf(*camera));
        m_settings->writeCameraRecords(records);
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
        // The control owner passes the current camera's signals on to the window.
        m_control->watchCamera(camera);
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

QStringList TavimorexApp::obsScenes() const
{
    return m_obsLink ? m_obsLink->scenes() : QStringList();
}

QStringList TavimorexApp::vmixInputs() const
{
    QStringList titles;
    if (!m_vmixLink)
        return titles;
    for (const VMixInput &input : m_vmixLink->inputs()) {
        if (!input.title.isEmpty() && !titles.contains(input.title))
            titles.append(input.title);
    }
    return titles;
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

CameraControl *TavimorexApp::cameraControl() const
{
    return m_control;
}

WebApi *TavimorexApp::webApi() const
{
    return m_webApi;
}

TallyTracker *TavimorexApp::tallyTracker() const
{
    return m_tally;
}
