#include "tavimorexapp.h"

#include "appsettings.h"
#include "camerawrapper.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "unixsignalquitter.h"

#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcApp, "tavimorex.app")

namespace {
constexpr int CameraSlots = 8;
const QString MessageTitle = QStringLiteral("Tavimorex App");
} // namespace

TavimorexApp::TavimorexApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setInstance(this);
    setApplicationName(QStringLiteral("tavimorex"));
    setApplicationVersion(QStringLiteral("1.4.1"));
    setQuitOnLastWindowClosed(true);
    m_signalQuitter = new UnixSignalQuitter(this);

    m_settings = new AppSettings(nullptr);
    loadCameras();
    recordFirstCameraList();

    m_mainWindow = new MainWindow(nullptr);
    connectCameraSignals();
    m_mainWindow->show();
}

TavimorexApp::~TavimorexApp()
{
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
        connect(camera, &CameraWrapper::clientError, this, &TavimorexApp::onCameraError, Qt::UniqueConnection);
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
    return false;
}

bool TavimorexApp::stopHttpServer()
{
    return true;
}

bool TavimorexApp::startObsLink()
{
    return true;
}

bool TavimorexApp::stopObsLink()
{
    return true;
}

bool TavimorexApp::startVmixLink()
{
    return true;
}

bool TavimorexApp::stopVmixLink()
{
    return true;
}

void TavimorexApp::onCameraError(const QString &errMsg)
{
    // Camera errors are not shown to the operator; the link state in the status bar tells enough.
    qCDebug(lcApp) << "camera error:" << errMsg;
}
