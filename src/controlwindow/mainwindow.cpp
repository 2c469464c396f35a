#include "mainwindow.h"

#include "aboutus.h"
#include "aemodecontrols.h"
#include "appservices.h"
#include "appsettings.h"
#include "boundingboxsettings.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "controlwindowlog.h"
#include "darkstyle.h"
#include "datapaths.h"
#include "helpwin.h"
#include "hotkeyhelp.h"
#include "joystickdlg.h"
#include "joystickwrapper.h"
#include "mainwindowstyle.h"
#include "mainwindowui.h"
#include "multicameras.h"
#include "pantiltlimitdlg.h"
#include "presetsettingdlg.h"
#include "previewwin.h"
#include "tavimorexversion.h"
#include "webserversettings.h"
#include "xboxhelp.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace {
const QString WindowTitle = QStringLiteral("Tavimorex App");
const QString Version = QStringLiteral("v" TAVIMOREX_VERSION);
} // namespace

MainWindow::MainWindow(CameraControl *control, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<MainWindowUi>()), m_control(control)
{
    m_ui->setupUi(this);
    setStyleSheet(DarkStyle::windowStyleSheet());
    setWindowTitle(WindowTitle + QStringLiteral(" - ") + Version);

    connectCameraControl();
    // The controller mapping drives the control owner as the on-screen buttons do.
    m_joystickWrapper = new JoystickWrapper(settings(), this);
    connectJoystickWrapper();

    connectMotionControls();
    connectPresetControls();
    connectExposureControls();
    connectCameraButtons();
    fillComboBoxes();
    connectActions();
    buildStatusBar();
    refreshCameraButtons();
    shareSelectedSpeeds();

    // The tool windows live as long as this window.
    const Qt::WindowFlags toolWindowFlags = Qt::Dialog | Qt::WindowMinimizeButtonHint
                                            | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
    m_helpWin = new HelpWin(this);
    m_helpWin->setWindowFlags(toolWindowFlags);
    m_previewWin = new PreviewWin(this);
    m_previewWin->setWindowFlags(toolWindowFlags);
    // "Snap" puts the preview beside the panels.
    m_previewWin->setSnapLayout(m_ui->horizontalLayout_4);
    connect(m_previewWin, &PreviewWin::previewClosed, this, &MainWindow::onPreviewWindowClosed);
    m_boundingBoxSettings = new BoundingBoxSettings(this);
    m_boundingBoxSettings->setWindowFlags(toolWindowFlags);
    connectBoundingBoxSettings();
    m_presetSettingDlg = new PresetSettingDlg(this);
    m_presetSettingDlg->setWindowFlags(toolWindowFlags);
    connectPresetSettingDlg();
    // Closed until asked for. Hidden explicitly: the preview's native video windows give the tool windows
    // platform windows early, and a window that has one and was never hidden would count as shown with
    // this window.
    for (QWidget *toolWindow :
         {static_cast<QWidget *>(m_helpWin), static_cast<QWidget *>(m_previewWin),
          static_cast<QWidget *>(m_boundingBoxSettings), static_cast<QWidget *>(m_presetSettingDlg)})
        toolWindow->hide();

    onCompactViewClicked();
}

MainWindow::~MainWindow()
{
    delete m_boundingBoxSettings;
    // Nulled first: deleting a snapped preview changes the layout, which may report a move.
    PreviewWin *preview = m_previewWin;
    m_previewWin = nullptr;
    delete preview;
    delete m_helpWin;
    delete m_presetSettingDlg;
}

AppSettings *MainWindow::settings() const
{
    AppServices *services = appServices();
    return services ? services->settings() : nullptr;
}

bool MainWindow::canSend() const
{
    return m_control->canSend();
}

bool MainWindow::canSendExposure() const
{
    return canSend() && m_statusSyncState != StatusSyncState::LoadOnNextStatus;
}

void MainWindow::connectActions()
{
    connect(m_ui->actionMultiCameras, &QAction::triggered, this, &MainWindow::onMultiCameraClicked);
    connect(m_ui->actionJoyStick, &QAction::triggered, this, &MainWindow::onJoyStickClicked);
    connect(m_ui->actionPanTiltLimitSetting, &QAction::triggered, this,
            &MainWindow::onPanTiltLimitSettingClicked);
    connect(m_ui->actionSnapshotPath, &QAction::triggered, this, &MainWindow::onSnapshotPathClicked);
    connect(m_ui->actionWebServerSetting, &QAction::triggered, this, &MainWindow::onWebServerSettingsClicked);
    connect(m_ui->actionPresetSetting, &QAction::triggered, this, &MainWindow::onPresetSettingDlgClicked);
    // Leave through the event loop so the application's teardown runs and the settings reach the disk.
    connect(m_ui->actionExit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });
    connect(m_ui->actionCompactMode, &QAction::triggered, this, &MainWindow::onCompactViewClicked);
    connect(m_ui->actionAdvancedMode, &QAction::triggered, this, &MainWindow::onAdvancedViewClicked);
    connect(m_ui->actionStatusBar, &QAction::triggered, this, &MainWindow::onStatusBarToggle);
    connect(m_ui->actionPreviewWindow, &QAction::triggered, this, &MainWindow::onPreviewWindowClicked);
    connect(m_ui->actionBoundingBoxSetting, &QAction::triggered, this, &MainWindow::onBoudingSettingClicked);
    connect(m_ui->actionAboutUs, &QAction::triggered, this, &MainWindow::onAboutUsClicked);
    connect(m_ui->actionXboxHelp, &QAction::triggered, this, &MainWindow::onXboxHelpClicked);
    connect(m_ui->actionHotKeyHelp, &QAction::triggered, this, &MainWindow::onHotkeyHelpClicked);
    connect(m_ui->actionHelp, &QAction::triggered, this, &MainWindow::onHelpClicked);
    connect(m_ui->tvBtn, &QPushButton::clicked, this, &MainWindow::onPreviewWindowBtnClicked);
}

void MainWindow::onCompactViewClicked()
{
    if (!m_advancedView)
        return;
    m_ui->rightPanel->hide();
    for (QLabel *label : valueLabels())
        label->hide();
    fitToContents();
    m_advancedView = false;
}

void MainWindow::onAdvancedViewClicked()
{
    if (m_advancedView)
        return;
    m_ui->rightPanel->show();
    for (QLabel *label : valueLabels())
        label->show();
    fitToContents();
    m_advancedView = true;
}

void MainWindow::fitToContents()
{
    // On a visible window the layouts learn about the hidden or shown panel only from a later layout
    // request; until then their cached size hints would make adjustSize() keep the old size.
    m_ui->horizontalLayout_4->invalidate();
    layout()->invalidate();
    adjustSize();
}

void MainWindow::onStatusBarToggle()
{
    m_ui->statusBar->setVisible(m_ui->actionStatusBar->isChecked());
}

void MainWindow::showPreviewWindow()
{
    m_previewWin->showMaximized();
    if (m_previewWin->isSnapped())
        fitToContents();
    m_previewClosed = false;
    if (m_control->isCameraConnected() && !m_previewWin->isPlaying())
        m_previewWin->startPlayback();
}

void MainWindow::onPreviewWindowClicked()
{
    if (m_ui->actionPreviewWindow->isChecked()) {
        showPreviewWindow();
        return;
    }
    m_previewWin->close();
    m_previewWin->stopPlayback();
    if (m_previewWin->isSnapped())
        fitToContents();
    m_previewClosed = true;
}

void MainWindow::onPreviewWindowBtnClicked()
{
    if (m_ui->actionPreviewWindow->isChecked())
        return;
    showPreviewWindow();
    // setChecked does not trigger: the preview is not opened twice.
    m_ui->actionPreviewWindow->setChecked(true);
}

void MainWindow::onPreviewWindowClosed()
{
    m_ui->actionPreviewWindow->setChecked(false);
    m_previewClosed = true;
}

void MainWindow::onBoudingSettingClicked()
{
    m_boundingBoxSettings->show();
    m_boundingBoxSettings->raise();
}

void MainWindow::onMultiCameraClicked()
{
    MultiCameras dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    AppServices *services = appServices();
    if (!services)
        return;
    // The old camera objects are deleted later; none of them may stay current.
    services->loadCameras();
    services->connectCameraSignals();
    refreshCameraButtons();
    setCurrentCamera(nullptr);
}

void MainWindow::onJoyStickClicked()
{
    // It saves its values itself on OK; the controller mapping and the hotkeys read them at every event.
    JoyStickDlg dlg(settings());
    dlg.exec();
}

void MainWindow::onPanTiltLimitSettingClicked()
{
    // A connection flag without a current camera (after a camera-list rebuild) is no camera either.
    if (!canSend()) {
        if (AppServices *services = appServices())
            services->showMessage(QStringLiteral("No camera connected"));
        return;
    }
    PanTiltLimitDlg dialog(this, currentCamera());
    dialog.exec();
}

void MainWindow::onSnapshotPathClicked()
{
    AppSettings *store = settings();
    if (!store)
        return;
    QString path = store->snapshotPath();
    if (path.isEmpty())
        path = DataPaths::downloadsFolder();
    const QString chosen
        = QFileDialog::getExistingDirectory(this, QStringLiteral("Choose a path to save snapshot"), path,
                                            QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    store->setSnapshotPath(chosen.isEmpty() ? path : chosen);
}

void MainWindow::onWebServerSettingsClicked()
{
    WebServerSettings dialog;
    dialog.exec();
}

void MainWindow::onPresetSettingDlgClicked()
{
    m_presetSettingDlg->show();
    m_presetSettingDlg->raise();
}

void MainWindow::onAboutUsClicked()
{
    AboutUs dialog;
    dialog.exec();
}

void MainWindow::onXboxHelpClicked()
{
    XBoxHelp dialog;
    dialog.exec();
}

void MainWindow::onHotkeyHelpClicked()
{
    HotkeyHelp dialog;
    dialog.exec();
}

void MainWindow::onHelpClicked()
{
    m_helpWin->show();
    m_helpWin->raise();
}

bool MainWindow::appendLog(const QString &line)
{
    QFile file(DataPaths::logFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    file.write((line + QLatin1Char('\n')).toUtf8());
    file.flush();
    file.close();
    return true;
}

bool MainWindow::event(QEvent *event)
{
    // The preset map overlay follows the window (the preview may be snapped into it). Moves also arrive
    // during construction and teardown, without a preview.
    if (event->type() == QEvent::Move && m_previewWin)
        m_previewWin->boundingBoxSizeMove();
    if (event->type() == QEvent::WindowDeactivate && m_control)
        stopHeldMotions();
    return QMainWindow::event(event);
}
