// MainWindow: camera selection, the cameras' signals and the status bar.

#include "mainwindow.h"

#include "previewwin.h"

#include "appservices.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "controlwindowlog.h"
#include "mainwindowstyle.h"
#include "mainwindowui.h"
#include "presetsettingdlg.h"
#include "statustext.h"
#include "viscatables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>

namespace {
// A camera button shows up to this many characters of the camera's name; a longer name ends in "…"
// within the same count, and the button's tooltip gives it whole.
constexpr int CameraButtonTextLength = 10;

QString cameraButtonText(const QString &name)
{
    if (name.size() <= CameraButtonTextLength)
        return name;
    return name.left(CameraButtonTextLength - 1) + QChar(0x2026);
}

const QString ConnectedLine
    = QStringLiteral("-----------------------------------Connected------------------------------------");
const QString DisconnectedLine
    = QStringLiteral("-----------------------------------Disconnected------------------------------------");

void setIndexIfValid(QComboBox *combo, int index)
{
    // A value outside the list would blank the selector; the operator's last choice is more useful.
    if (index >= 0 && index < combo->count())
        combo->setCurrentIndex(index);
}
} // namespace

void MainWindow::connectCameraButtons()
{
    connect(m_ui->connectCam1, &QPushButton::clicked, this, &MainWindow::onCam1Clicked);
    connect(m_ui->connectCam2, &QPushButton::clicked, this, &MainWindow::onCam2Clicked);
    connect(m_ui->connectCam3, &QPushButton::clicked, this, &MainWindow::onCam3Clicked);
    connect(m_ui->connectCam4, &QPushButton::clicked, this, &MainWindow::onCam4Clicked);
    connect(m_ui->connectCam5, &QPushButton::clicked, this, &MainWindow::onCam5Clicked);
    connect(m_ui->connectCam6, &QPushButton::clicked, this, &MainWindow::onCam6Clicked);
    connect(m_ui->connectCam7, &QPushButton::clicked, this, &MainWindow::onCam7Clicked);
    connect(m_ui->connectCam8, &QPushButton::clicked, this, &MainWindow::onCam8Clicked);
}

void MainWindow::buildStatusBar()
{
    auto makeLabel = [this](const char *objectName, const QString &text, int stretch) {
        auto *label = new QLabel(text);
        label->setObjectName(QLatin1String(objectName));
        label->setAlignment(Qt::AlignRight);
        m_ui->statusBar->addPermanentWidget(label, stretch);
        return label;
    };
    m_panStatusLabel = makeLabel("panStatusLabel", QStringLiteral("Pan"), 1);
    m_tiltStatusLabel = makeLabel("tiltStatusLabel", QStringLiteral("Tilt"), 1);
    m_zoomStatusLabel = makeLabel("zoomStatusLabel", QStringLiteral("Zoom"), 1);
    m_focusStatusLabel = makeLabel("focusStatusLabel", QStringLiteral("Focus"), 1);
    m_shutterStatusLabel = makeLabel("shutterStatusLabel", QStringLiteral("Shutter"), 1);
    m_irisStatusLabel = makeLabel("irisStatusLabel", QStringLiteral("Iris"), 1);
    m_brightStatusLabel = makeLabel("brightStatusLabel", QStringLiteral("Bright"), 1);
    m_deviceNameLabel = makeLabel("deviceNameLabel", QStringLiteral("Device Name"), 2);
    m_serialNumberLabel = makeLabel("serialNumberLabel", QStringLiteral("Serial Number"), 1);
    m_connectionLabel = makeLabel("connectionLabel", QStringLiteral("Disconnected"), 1);
    m_tallyLabel = makeLabel("tallyLabel", QString(), 2);
    m_ui->statusBar->hide();
}

QList<QLabel *> MainWindow::valueLabels() const
{
    return {m_panStatusLabel,     m_tiltStatusLabel, m_zoomStatusLabel,  m_focusStatusLabel,
            m_shutterStatusLabel, m_irisStatusLabel, m_brightStatusLabel};
}

QPushButton *MainWindow::cameraButton(int cameraNum) const
{
    const std::array<QPushButton *, CameraButtonCount> buttons
        = {m_ui->connectCam1, m_ui->connectCam2, m_ui->connectCam3, m_ui->connectCam4,
           m_ui->connectCam5, m_ui->connectCam6, m_ui->connectCam7, m_ui->connectCam8};
    return buttons.at(cameraNum - 1);
}

CameraWrapper *MainWindow::currentCamera() const
{
    return m_control->currentCamera();
}

void MainWindow::setCurrentCamera(CameraWrapper *camera)
{
    m_control->setCurrentCamera(camera);
}

CameraControl *MainWindow::cameraControl() const
{
    return m_control;
}

void MainWindow::connectCameraControl()
{
    CameraControl *control = m_control;
    connect(control, &CameraControl::currentCameraChanged, this, &MainWindow::onCurrentCameraChanged);
    connect(control, &CameraControl::cameraConnected, this, &MainWindow::onCameraConnected);
    connect(control, &CameraControl::cameraDisconnected, this, &MainWindow::onCameraDisconnected);
    connect(control, &CameraControl::cameraStatusUpdated, this, &MainWindow::onCameraStatusUpdated);
    connect(control, &CameraControl::cameraStateChanged, this, &MainWindow::onCameraStateChanged);
    connect(control, &CameraControl::cameraReadOneCycle, this, &MainWindow::onCameraReadOneCycle);
    connect(control, &CameraControl::cameraDownloadFinished, this, &MainWindow::onCameraDownloadFinished);
    connect(control, &CameraControl::cameraNameGetFinished, this, &MainWindow::onCameraNameGetFinished);
    connect(control, &CameraControl::presetRecalled, this, &MainWindow::onPresetRecalled);
    connect(control, &CameraControl::presetStored, this, &MainWindow::onPresetStored);
    connect(control, &CameraControl::autoFocusApplied, this, &MainWindow::onAutoFocusApplied);
}

void MainWindow::onCurrentCameraChanged(CameraWrapper *camera)
{
    if (m_presetSettingDlg)
        m_presetSettingDlg->setCamera(camera);
    if (!camera)
        return;
    // A camera chosen from anywhere (button, controller, browser) is shown as the current one.
    AppServices *services = appServices();
    const int index = services ? int(services->cameras().indexOf(camera)) : -1;
    if (index >= 0 && index < CameraButtonCount)
        highlightCameraButton(index + 1);
    loadPresetButtons();
}

void MainWindow::refreshCameraButtons()
{
    AppServices *services = appServices();
    if (!services)
        return;
    const QList<CameraWrapper *> cameras = services->cameras();
    for (int n = 1; n <= CameraButtonCount && n <= cameras.size(); ++n) {
        const QString name = cameras.at(n - 1)->cameraName();
        cameraButton(n)->setText(cameraButtonText(name));
        cameraButton(n)->setToolTip(name);
    }
    // A new list may put other cameras behind the buttons.
    applyCameraButtonStyles();
    showProgramCameras();
}

void MainWindow::highlightCameraButton(int cameraNum)
{
    m_highlightedCamera = cameraNum;
    applyCameraButtonStyles();
}

void MainWindow::selectCamera(int cameraNum)
{
    highlightCameraButton(cameraNum);

    AppServices *services = appServices();
    if (!services)
        return;
    const QList<CameraWrapper *> cameras = services->cameras();
    if (cameraNum > cameras.size())
        return;
    m_control->selectCamera(cameras.at(cameraNum - 1));
}

void MainWindow::onCam1Clicked()
{
    selectCamera(1);
}

void MainWindow::onCam2Clicked()
{
    selectCamera(2);
}

void MainWindow::onCam3Clicked()
{
    selectCamera(3);
}

void MainWindow::onCam4Clicked()
{
    selectCamera(4);
}

void MainWindow::onCam5Clicked()
{
    selectCamera(5);
}

void MainWindow::onCam6Clicked()
{
    selectCamera(6);
}

void MainWindow::onCam7Clicked()
{
    selectCamera(7);
}

void MainWindow::onCam8Clicked()
{
    selectCamera(8);
}

void MainWindow::onSwitchCamera(int cameraNum)
{
    // A controller reaches the first four cameras only.
    switch (cameraNum) {
    case 1:
        onCam1Clicked();
        break;
    case 2:
        onCam2Clicked();
        break;
    case 3:
        onCam3Clicked();
        break;
    case 4:
        onCam4Clicked();
        break;
    default:
        break;
    }
}

void MainWindow::onCameraConnected()
{
    appendLog(ConnectedLine);
    m_previewWin->setCamera(currentCamera());
    m_previewWin->setCameraAvailable(true);
    m_ui->focusIn->setEnabled(false);
    m_ui->focusOut->setEnabled(false);
    m_statusSyncState = StatusSyncState::AwaitingFirstCycle;
    if (!currentCamera())
        return;
    loadSpeedSettings();
    if (!m_previewClosed) {
        // Triggering opens the preview as the menu does.
        if (!m_ui->actionPreviewWindow->isChecked())
            m_ui->actionPreviewWindow->trigger();
        m_previewWin->stopPlayback();
        m_previewWin->startPlayback();
    }
    m_connectionLabel->setText(QStringLiteral("Connected"));
    m_deviceNameLabel->setText(currentCamera()->deviceName());
    m_serialNumberLabel->setText(currentCamera()->serialNumber());
}

void MainWindow::onCameraDisconnected()
{
    appendLog(DisconnectedLine);
    m_previewWin->setCameraAvailable(false);
    m_previewWin->stopPlayback();
    m_ui->focusIn->setEnabled(false);
    m_ui->focusOut->setEnabled(false);
    m_statusSyncState = StatusSyncState::Synced;
    m_connectionLabel->setText(QStringLiteral("Unconnected"));
    m_deviceNameLabel->setText(QStringLiteral("Device Name"));
    m_serialNumberLabel->setText(QStringLiteral("Serial Number"));
}

void MainWindow::onCameraStateChanged(const QString &stateStr)
{
    // Only the current camera's link state reaches here.
    m_connectionLabel->setText(stateStr);
}

void MainWindow::onCameraReadOneCycle()
{
    if (m_statusSyncState == StatusSyncState::AwaitingFirstCycle)
        m_statusSyncState = StatusSyncState::LoadOnNextStatus;
}

void MainWindow::onCameraNameGetFinished()
{
    if (!canSend())
        return;
    m_deviceNameLabel->setText(currentCamera()->deviceName());
    m_serialNumberLabel->setText(currentCamera()->serialNumber());
}

void MainWindow::onCameraStatusUpdated()
{
    if (!currentCamera())
        return;
    showStatusValues();
    if (m_statusSyncState == StatusSyncState::LoadOnNextStatus)
        loadExposureFromCamera();
}

void MainWindow::showStatusValues()
{
    CameraWrapper *camera = currentCamera();
    m_panStatusLabel->setText(StatusText::position(QStringLiteral("Pan:"), camera->panPos));
    m_tiltStatusLabel->setText(StatusText::position(QStringLiteral("Tilt:"), camera->tiltPos));
    m_zoomStatusLabel->setText(StatusText::position(QStringLiteral("Zoom:"), camera->zoomPos));
    m_focusStatusLabel->setText(StatusText::position(QStringLiteral("Focus:"), camera->focusPos));
    m_irisStatusLabel->setText(StatusText::iris(camera->irisPos));
    // Position 0 is not a shutter position; it stands for the slowest one.
    if (camera->shutterPos == 0)
        camera->shutterPos = 1;
    m_shutterStatusLabel->setText(StatusText::shutter(camera->shutterPos));
    m_brightStatusLabel->setText(StatusText::bright(camera->brightPos));
}

void MainWindow::loadExposureFromCamera()
{
    // The handlers of these widgets run but send nothing while the state is LoadOnNextStatus.
    CameraWrapper *camera = currentCamera();
    m_ui->hueSlider->setValue(camera->hue);
    m_ui->contrastSlider->setValue(camera->contrast);
    m_ui->luminanceSlider->setValue(camera->luminance);
    setIndexIfValid(m_ui->aeModeSelect, ViscaTables::aeModeIndex(camera->aeMode));
    setIndexIfValid(m_ui->shutterCombo, int(camera->shutterPos) - 1);
    setIndexIfValid(m_ui->irisCombo, camera->irisPos);
    setIndexIfValid(m_ui->brightCombo, camera->brightPos);
    setIndexIfValid(m_ui->wbCombo, ViscaTables::wbModeIndex(camera->wbMode));
    m_ui->autoFocus->setChecked(camera->isAutoFocus);
    m_ui->focusIn->setEnabled(!camera->isAutoFocus);
    m_ui->focusOut->setEnabled(!camera->isAutoFocus);
    m_statusSyncState = StatusSyncState::Synced;
}
