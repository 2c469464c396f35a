// MainWindow: direction pad, zoom, focus, speed selectors, preset speed and motion sync.

#include "mainwindow.h"

#include "appsettings.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "controlwindowlog.h"
#include "mainwindowui.h"
#include "speedrange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <algorithm>

namespace {
// A network camera's last tilt index (speeds 1 to 20): a locked pan speed never exceeds what tilt follows.
constexpr int LockedPanIndexLimit = 19;
// Speed 7 on a network camera.
constexpr int LockIndex = 6;
} // namespace

void MainWindow::connectMotionControls()
{
    const MainWindowUi &ui = *m_ui;
    connect(ui.MoveTop, &QPushButton::pressed, this, &MainWindow::onMoveTop);
    connect(ui.MoveBottom, &QPushButton::pressed, this, &MainWindow::onMoveBottom);
    connect(ui.MoveLeft, &QPushButton::pressed, this, &MainWindow::onMoveLeft);
    connect(ui.MoveRight, &QPushButton::pressed, this, &MainWindow::onMoveRight);
    connect(ui.angleUpLeft, &QPushButton::pressed, this, &MainWindow::onAngleUpLeft);
    connect(ui.angleUpRight, &QPushButton::pressed, this, &MainWindow::onAngleUpRight);
    connect(ui.angleDownLeft, &QPushButton::pressed, this, &MainWindow::onAngleDownLeft);
    connect(ui.angleDownRight, &QPushButton::pressed, this, &MainWindow::onAngleDownRight);
    for (QPushButton *button : {ui.MoveTop, ui.MoveBottom, ui.MoveLeft, ui.MoveRight, ui.angleUpLeft,
                                ui.angleUpRight, ui.angleDownLeft, ui.angleDownRight})
        connect(button, &QPushButton::released, this, &MainWindow::onStopMoving);
    connect(ui.MoveHome, &QPushButton::pressed, this, &MainWindow::onMoveHome);

    connect(ui.ZoomIn, &QPushButton::pressed, this, &MainWindow::onZoomIn);
    connect(ui.ZoomOut, &QPushButton::pressed, this, &MainWindow::onZoomOut);
    connect(ui.ZoomIn, &QPushButton::released, this, &MainWindow::onStopZooming);
    connect(ui.ZoomOut, &QPushButton::released, this, &MainWindow::onStopZooming);
    connect(ui.focusIn, &QPushButton::pressed, this, &MainWindow::onFocusIn);
    connect(ui.focusOut, &QPushButton::pressed, this, &MainWindow::onFocusOut);
    connect(ui.focusIn, &QPushButton::released, this, &MainWindow::onStopFocusing);
    connect(ui.focusOut, &QPushButton::released, this, &MainWindow::onStopFocusing);

    // pressed(), not clicked(): the handler runs before the click toggles the box.
    connect(ui.lockFocus, &QCheckBox::pressed, this, &MainWindow::onFocusLockClicked);
    connect(ui.autoFocus, &QCheckBox::clicked, this, &MainWindow::onAutoFocusChanged);

    connect(ui.panTiltLock, &QCheckBox::stateChanged, this, &MainWindow::onPanTiltLockClicked);
    connect(ui.panSpeed, &QComboBox::currentIndexChanged, this, &MainWindow::onPanSpeedChanged);
    connect(ui.tiltSpeed, &QComboBox::currentIndexChanged, this, &MainWindow::onTiltSpeedChanged);
    connect(ui.zoomSpeed, &QComboBox::currentIndexChanged, this, &MainWindow::onZoomSpeedChanged);
    connect(ui.focusSpeed, &QComboBox::currentIndexChanged, this, &MainWindow::onFocusSpeedChanged);
    connect(ui.applyPresetSpeedBtn, &QPushButton::clicked, this, &MainWindow::onSetPresetSpeedBtnClicked);
    connect(ui.syncOnBtn, &QPushButton::clicked, this, &MainWindow::onMotionSyncOnClicked);
    connect(ui.syncOffBtn, &QPushButton::clicked, this, &MainWindow::onMotionSyncOffClicked);

    // The controller moves at the speeds shown here; the control owner keeps a copy of them.
    for (QComboBox *combo : {ui.panSpeed, ui.tiltSpeed, ui.zoomSpeed, ui.focusSpeed})
        connect(combo, &QComboBox::currentTextChanged, this, &MainWindow::shareSelectedSpeeds);
}

void MainWindow::shareSelectedSpeeds()
{
    m_control->setSelectedSpeeds(speedOf(m_ui->panSpeed), speedOf(m_ui->tiltSpeed), speedOf(m_ui->zoomSpeed),
                                 speedOf(m_ui->focusSpeed));
}

int MainWindow::speedOf(const QComboBox *combo)
{
    return combo->currentText().toInt();
}

void MainWindow::startPanTilt(PanTiltDirection direction, bool usesPan, bool usesTilt)
{
    const int pan = usesPan ? speedOf(m_ui->panSpeed) : 0;
    const int tilt = usesTilt ? speedOf(m_ui->tiltSpeed) : 0;
    m_control->startPanTilt(direction, pan, tilt, MotionSource::WindowButton);
}

void MainWindow::onMoveTop()
{
    startPanTilt(PanTiltDirection::Up, false, true);
}

void MainWindow::onMoveBottom()
{
    startPanTilt(PanTiltDirection::Down, false, true);
}

void MainWindow::onMoveLeft()
{
    startPanTilt(PanTiltDirection::Left, true, false);
}

void MainWindow::onMoveRight()
{
    startPanTilt(PanTiltDirection::Right, true, false);
}

void MainWindow::onAngleUpLeft()
{
    startPanTilt(PanTiltDirection::UpLeft, true, true);
}

void MainWindow::onAngleUpRight()
{
    startPanTilt(PanTiltDirection::UpRight, true, true);
}

void MainWindow::onAngleDownLeft()
{
    startPanTilt(PanTiltDirection::DownLeft, true, true);
}

void MainWindow::onAngleDownRight()
{
    startPanTilt(PanTiltDirection::DownRight, true, true);
}

void MainWindow::onStopMoving()
{
    m_control->stop(MotionAxis::PanTilt);
}

void MainWindow::onMoveHome()
{
    m_control->moveHome();
}

void MainWindow::onZoomIn()
{
    m_control->startZoom(true, speedOf(m_ui->zoomSpeed), MotionSource::WindowButton);
}

void MainWindow::onZoomOut()
{
    m_control->startZoom(false, speedOf(m_ui->zoomSpeed), MotionSource::WindowButton);
}

void MainWindow::onStopZooming()
{
    m_control->stop(MotionAxis::Zoom);
}

void MainWindow::onFocusIn()
{
    m_control->startFocus(true, speedOf(m_ui->focusSpeed), MotionSource::WindowButton);
}

void MainWindow::onFocusOut()
{
    m_control->startFocus(false, speedOf(m_ui->focusSpeed), MotionSource::WindowButton);
}

void MainWindow::onStopFocusing()
{
    m_control->stop(MotionAxis::Focus);
}

void MainWindow::moveUpAtSpeed(int tiltSpeed)
{
    m_control->startPanTilt(PanTiltDirection::Up, 0, tiltSpeed, MotionSource::Web);
}

void MainWindow::moveDownAtSpeed(int tiltSpeed)
{
    m_control->startPanTilt(PanTiltDirection::Down, 0, tiltSpeed, MotionSource::Web);
}

void MainWindow::moveLeftAtSpeed(int panSpeed)
{
    m_control->startPanTilt(PanTiltDirection::Left, panSpeed, 0, MotionSource::Web);
}

void MainWindow::moveRightAtSpeed(int panSpeed)
{
    m_control->startPanTilt(PanTiltDirection::Right, panSpeed, 0, MotionSource::Web);
}

void MainWindow::zoomInAtSpeed(int speed)
{
    m_control->startZoom(true, speed, MotionSource::Web);
}

void MainWindow::zoomOutAtSpeed(int speed)
{
    m_control->startZoom(false, speed, MotionSource::Web);
}

void MainWindow::focusInAtSpeed(int speed)
{
    m_control->startFocus(true, speed, MotionSource::Web);
}

void MainWindow::focusOutAtSpeed(int speed)
{
    m_control->startFocus(false, speed, MotionSource::Web);
}

void MainWindow::onAutoFocusChanged()
{
    const bool on = m_ui->autoFocus->isChecked();
    if (!canSendExposure())
        return;
    m_ui->focusIn->setEnabled(!on);
    m_ui->focusOut->setEnabled(!on);
    currentCamera()->setAutoFocus(on);
}

void MainWindow::applyAutoFocus(bool on)
{
    if (canSendExposure())
        m_control->applyAutoFocus(on);
}

void MainWindow::onAutoFocusApplied(bool on)
{
    m_ui->focusIn->setEnabled(!on);
    m_ui->focusOut->setEnabled(!on);
    m_ui->autoFocus->setChecked(on);
}

void MainWindow::autoFocusClick()
{
    m_ui->autoFocus->click();
}

void MainWindow::onFocusLockClicked()
{
    if (!canSend())
        return;
    if (!m_ui->lockFocus->isChecked()) {
        currentCamera()->setFocusLock(true);
        m_ui->autoFocus->setEnabled(false);
        m_ui->focusIn->setEnabled(false);
        m_ui->focusOut->setEnabled(false);
    } else {
        currentCamera()->setFocusLock(false);
        m_ui->autoFocus->setEnabled(true);
        const bool manual = !currentCamera()->isAutoFocus;
        m_ui->focusIn->setEnabled(manual);
        m_ui->focusOut->setEnabled(manual);
    }
}

void MainWindow::onSetPresetSpeedBtnClicked()
{
    if (canSend())
        currentCamera()->setPresetSpeed(m_ui->presetSpeed->currentIndex());
}

void MainWindow::applyPresetSpeed(int index)
{
    m_control->applyPresetSpeed(index);
}

void MainWindow::onMotionSyncOnClicked()
{
    if (canSend())
        currentCamera()->setMotionSync(true);
}

void MainWindow::onMotionSyncOffClicked()
{
    if (canSend())
        currentCamera()->setMotionSync(false);
}

void MainWindow::fillSpeedCombo(QComboBox *combo, const SpeedRange &range)
{
    qCDebug(lcControlWindow) << "speed range of" << combo->objectName() << range.minimum << range.maximum
                             << range.defaultValue;
    combo->clear();
    int first = range.minimum;
    if (range.maximum == 0)
        first = 0;
    else if (range.minimum == 0 && range.maximum >= 1)
        first = 1;
    for (int speed = first; speed <= range.maximum; ++speed)
        combo->addItem(QString::number(speed));
    combo->setCurrentText(QString::number(range.defaultValue));
}

void MainWindow::loadSpeedSettings()
{
    AppSettings *store = settings();
    if (!currentCamera() || !store)
        return;
    const QString id = currentCamera()->cameraId();
    m_loadingSpeeds = true;
    m_ui->panTiltLock->setChecked(store->panTiltLock(id));
    fillSpeedCombo(m_ui->panSpeed, currentCamera()->panSpeedRange());
    fillSpeedCombo(m_ui->tiltSpeed, currentCamera()->tiltSpeedRange());
    fillSpeedCombo(m_ui->zoomSpeed, currentCamera()->zoomSpeedRange());
    fillSpeedCombo(m_ui->focusSpeed, currentCamera()->focusSpeedRange());
    m_ui->panSpeed->setCurrentIndex(store->panSpeed(id));
    m_ui->tiltSpeed->setCurrentIndex(store->tiltSpeed(id));
    m_ui->zoomSpeed->setCurrentIndex(store->zoomSpeed(id));
    m_ui->focusSpeed->setCurrentIndex(store->focusSpeed(id));
    m_loadingSpeeds = false;
}

bool MainWindow::canStoreSpeeds() const
{
    return canSend() && !m_loadingSpeeds && settings();
}

void MainWindow::setSpeedIndex(QComboBox *combo, int index)
{
    // Only a real change: that is what ends the mirroring between the two locked combos (an unselected
    // combo would otherwise report -1 again and again).
    if (combo->currentIndex() != index)
        combo->setCurrentIndex(index);
}

void MainWindow::onPanTiltLockClicked()
{
    const bool locked = m_ui->panTiltLock->isChecked();
    if (locked) {
        setSpeedIndex(m_ui->panSpeed, LockIndex);
        setSpeedIndex(m_ui->tiltSpeed, LockIndex);
    }
    if (canStoreSpeeds())
        settings()->setPanTiltLock(currentCamera()->cameraId(), locked);
}

void MainWindow::onPanSpeedChanged(int index)
{
    if (m_ui->panTiltLock->isChecked()) {
        index = std::min(index, LockedPanIndexLimit);
        setSpeedIndex(m_ui->panSpeed, index);
        setSpeedIndex(m_ui->tiltSpeed, index);
    }
    if (canStoreSpeeds())
        settings()->setPanSpeed(currentCamera()->cameraId(), index);
}

void MainWindow::onTiltSpeedChanged(int index)
{
    if (m_ui->panTiltLock->isChecked())
        setSpeedIndex(m_ui->panSpeed, index);
    if (canStoreSpeeds())
        settings()->setTiltSpeed(currentCamera()->cameraId(), index);
}

void MainWindow::onZoomSpeedChanged(int index)
{
    if (canStoreSpeeds())
        settings()->setZoomSpeed(currentCamera()->cameraId(), index);
}

void MainWindow::onFocusSpeedChanged(int index)
{
    if (canStoreSpeeds())
        settings()->setFocusSpeed(currentCamera()->cameraId(), index);
}
