// MainWindow: the nine preset buttons, their names and pictures, and the exposure replay after a recall.

#include "mainwindow.h"

#include "appsettings.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "mainwindowstyle.h"
#include "mainwindowui.h"
#include "presetsettingdlg.h"
#include "snapshotfilepath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace {

// Buttons 1 to 6 show the preset's picture; 7 to 9 are text only.
constexpr int PictureButtonCount = 6;
constexpr int ReplayStepMs = 500;

// Replay steps after a recall, one widget per step.
enum ReplayStep {
    AeModeStep,
    ShutterStep,
    IrisStep,
    BrightStep,
    LuminanceStep,
    ContrastStep,
    HueStep,
    WhiteBalanceStep,
};

// Exposure mode table indexes that take a stored value.
constexpr int ManualMode = 1;
constexpr int SaeMode = 2;
constexpr int AaeMode = 3;
constexpr int BrightnessMode = 4;

} // namespace

void MainWindow::connectPresetControls()
{
    const MainWindowUi &ui = *m_ui;
    connect(ui.mem1, &QPushButton::clicked, this, &MainWindow::onMem1Clicked);
    connect(ui.mem2, &QPushButton::clicked, this, &MainWindow::onMem2Clicked);
    connect(ui.mem3, &QPushButton::clicked, this, &MainWindow::onMem3Clicked);
    connect(ui.mem4, &QPushButton::clicked, this, &MainWindow::onMem4Clicked);
    connect(ui.mem5, &QPushButton::clicked, this, &MainWindow::onMem5Clicked);
    connect(ui.mem6, &QPushButton::clicked, this, &MainWindow::onMem6Clicked);
    connect(ui.mem7, &QPushButton::clicked, this, &MainWindow::onMem7Clicked);
    connect(ui.mem8, &QPushButton::clicked, this, &MainWindow::onMem8Clicked);
    connect(ui.mem9, &QPushButton::clicked, this, &MainWindow::onMem9Clicked);
    connect(ui.presetMode, &QRadioButton::clicked, this, &MainWindow::onPresetModeSet);
    connect(ui.recallMode, &QRadioButton::clicked, this, &MainWindow::onRecallModeSet);
}

QPushButton *MainWindow::presetButton(int presetNum) const
{
    const std::array<QPushButton *, PresetButtonCount> buttons
        = {m_ui->mem1, m_ui->mem2, m_ui->mem3, m_ui->mem4, m_ui->mem5,
           m_ui->mem6, m_ui->mem7, m_ui->mem8, m_ui->mem9};
    return buttons.at(presetNum - 1);
}

void MainWindow::onMem1Clicked()
{
    onMemClicked(1);
}

void MainWindow::onMem2Clicked()
{
    onMemClicked(2);
}

void MainWindow::onMem3Clicked()
{
    onMemClicked(3);
}

void MainWindow::onMem4Clicked()
{
    onMemClicked(4);
}

void MainWindow::onMem5Clicked()
{
    onMemClicked(5);
}

void MainWindow::onMem6Clicked()
{
    onMemClicked(6);
}

void MainWindow::onMem7Clicked()
{
    onMemClicked(7);
}

void MainWindow::onMem8Clicked()
{
    onMemClicked(8);
}

void MainWindow::onMem9Clicked()
{
    onMemClicked(9);
}

void MainWindow::onMemClicked(int presetNum)
{
    if (!canSend())
        return;
    if (!m_storeMode) {
        m_control->recallPreset(presetNum);
        return;
    }

    QPushButton *button = presetButton(presetNum);
    if (presetNum <= PictureButtonCount)
        currentCamera()->downloadSnapshot(presetNum);
    // The position is stored before the name is asked: cancelling the name keeps the preset.
    currentCamera()->setPreset(presetNum);
    bool ok = false;
    const QString entered = QInputDialog::getText(nullptr, QStringLiteral("Tavimorex"),
                                                  QStringLiteral("Preset #%1 Name:").arg(presetNum),
                                                  QLineEdit::Normal, button->text(), &ok);
    const QString name = ok && !entered.isEmpty() ? entered : button->text();
    button->setText(name);
    // The naming dialog runs a nested event loop; the camera may have gone meanwhile.
    if (currentCamera())
        savePresetSettings(presetNum, name);
    m_storeMode = false;
    m_ui->recallMode->setChecked(true);
}

void MainWindow::onPresetModeSet()
{
    if (m_control->isCameraConnected())
        m_storeMode = true;
}

void MainWindow::onRecallModeSet()
{
    if (m_control->isCameraConnected())
        m_storeMode = false;
}

void MainWindow::onCallPreset(int presetNum)
{
    m_control->recallPreset(presetNum);
}

void MainWindow::onPresetRecalled(int presetNum)
{
    restoreExposureStep(presetNum, AeModeStep);
}

void MainWindow::storePresetWithName(int presetNum, const QString &name)
{
    m_control->storePreset(presetNum, name);
}

void MainWindow::onPresetStored(int presetNum, const QString &name)
{
    if (presetNum >= 1 && presetNum <= PresetButtonCount)
        presetButton(presetNum)->setText(name);
    saveExposureWithPreset(presetNum);
}

bool MainWindow::isImageDownloaded() const
{
    return m_control->isImageDownloaded();
}

void MainWindow::setImageDownloaded(bool downloaded)
{
    m_control->setImageDownloaded(downloaded);
}

void MainWindow::savePresetSettings(int presetNum, const QString &name)
{
    AppSettings *store = settings();
    if (!store || !currentCamera())
        return;
    store->setPresetName(currentCamera()->cameraId(), presetNum, name);
    saveExposureWithPreset(presetNum);
}

void MainWindow::saveExposureWithPreset(int presetNum)
{
    AppSettings *store = settings();
    if (!store || !currentCamera() || !m_ui->storeExposure->isChecked())
        return;
    const QString id = currentCamera()->cameraId();
    store->setPresetAeMode(id, presetNum, m_ui->aeModeSelect->currentIndex());
    store->setPresetShutterSpeed(id, presetNum, m_ui->shutterCombo->currentIndex());
    store->setPresetIris(id, presetNum, m_ui->irisCombo->currentIndex());
    store->setPresetBrightness(id, presetNum, m_ui->brightCombo->currentIndex());
    store->setPresetLuminance(id, presetNum, m_ui->luminanceSlider->value());
    store->setPresetContrast(id, presetNum, m_ui->contrastSlider->value());
    store->setPresetHue(id, presetNum, m_ui->hueSlider->value());
    store->setPresetWbMode(id, presetNum, m_ui->wbCombo->currentIndex());
}

void MainWindow::restoreExposureStep(int presetNum, int step)
{
    // Evaluated when each step runs: unchecking the option ends the replay, and a step acts on whatever
    // camera is current by then.
    AppSettings *store = settings();
    if (!m_ui->storeExposure->isChecked() || !currentCamera() || !store)
        return;
    const QString id = currentCamera()->cameraId();
    const int mode = store->presetAeMode(id, presetNum);
    switch (step) {
    case AeModeStep:
        m_ui->aeModeSelect->setCurrentIndex(mode);
        break;
    case ShutterStep:
        if (mode == ManualMode || mode == SaeMode)
            m_ui->shutterCombo->setCurrentIndex(store->presetShutterSpeed(id, presetNum));
        break;
    case IrisStep:
        if (mode == ManualMode || mode == AaeMode)
            m_ui->irisCombo->setCurrentIndex(store->presetIris(id, presetNum));
        break;
    case BrightStep:
        if (mode == BrightnessMode)
            m_ui->brightCombo->setCurrentIndex(store->presetBrightness(id, presetNum));
        break;
    case LuminanceStep:
        m_ui->luminanceSlider->setValue(store->presetLuminance(id, presetNum));
        break;
    case ContrastStep:
        m_ui->contrastSlider->setValue(store->presetContrast(id, presetNum));
        break;
    case HueStep:
        m_ui->hueSlider->setValue(store->presetHue(id, presetNum));
        break;
    case WhiteBalanceStep:
        m_ui->wbCombo->setCurrentIndex(store->presetWbMode(id, presetNum));
        return;
    default:
        return;
    }
    QTimer::singleShot(ReplayStepMs, this,
                       [this, presetNum, step] { restoreExposureStep(presetNum, step + 1); });
}

void MainWindow::showPresetPicture(int presetNum)
{
    if (!currentCamera())
        return;
    const QString path = snapshotFilePath(currentCamera()->cameraId(), presetNum);
    presetButton(presetNum)->setStyleSheet(MainWindowStyle::presetPictureButtonStyle(path));
}

void MainWindow::loadPresetButtons()
{
    AppSettings *store = settings();
    if (!currentCamera() || !store)
        return;
    const QString id = currentCamera()->cameraId();
    for (int n = 1; n <= PresetButtonCount; ++n)
        presetButton(n)->setText(store->presetName(id, n));
    for (int n = 1; n <= PictureButtonCount; ++n)
        showPresetPicture(n);
}

void MainWindow::onCameraDownloadFinished(int presetNum)
{
    if (presetNum >= 1 && presetNum <= PictureButtonCount)
        showPresetPicture(presetNum);
    m_presetSettingDlg->refreshPresetImage(presetNum);
}
