// MainWindow: direction pad, zoom, focus, speed selectors, preset speed and motion sync.

#include "mainwindow.h"

#include "appsettings.h"
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
}

int MainWindow::speedOf(const QComboBox *combo)
{
    return combo->currentText().toInt();
}

void MainWindow::onMoveTop()
{
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveUp(0, tilt);
}

void MainWindow::onMoveBottom()
{
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveDown(0, tilt);
}

void MainWindow::onMoveLeft()
{
    const int pan = speedOf(m_ui->panSpeed);
    if (canSend())
        m_currentCamera->moveLeft(pan, 0);
}

void MainWindow::onMoveRight()
{
    const int pan = speedOf(m_ui->panSpeed);
    if (canSend())
        m_currentCamera->moveRight(pan, 0);
}

void MainWindow::onAngleUpLeft()
{
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveUpLeft(pan, tilt);
}

void MainWindow::onAngleUpRight()
{
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveUpRight(pan, tilt);
}

void MainWindow::onAngleDownLeft()
{
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveDownLeft(pan, tilt);
}

void MainWindow::onAngleDownRight()
{
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (canSend())
        m_currentCamera->moveDownRight(pan, tilt);
}

void MainWindow::onStopMoving()
{
    if (canSend())
        m_currentCamera->stopMoving(0, 0);
}

void MainWindow::onMoveHome()
{
    if (canSend())
        m_currentCamera->moveHome();
}

void MainWindow::onZoomIn()
{
    const int speed = speedOf(m_ui->zoomSpeed);
    if (canSend())
        m_currentCamera->zoomIn(speed);
}

void MainWindow::onZoomOut()
{
    const int speed = speedOf(m_ui->zoomSpeed);
    if (canSend())
        m_currentCamera->zoomOut(speed);
}

void MainWindow::onStopZooming()
{
    if (canSend())
        m_currentCamera->stopZooming();
}

void MainWindow::onFocusIn()
{
    const int speed = speedOf(m_ui->focusSpeed);
    if (canSend())
        m_currentCamera->focusIn(speed);
}

void MainWindow::onFocusOut()
{
    const int speed = speedOf(m_ui->focusSpeed);
    if (canSend())
        m_currentCamera->focusOut(speed);
}

void MainWindow::onStopFocusing()
{
    if (canSend())
        m_currentCamera->stopFocusing();
}

void MainWindow::moveUpAtSpeed(int tiltSpeed)
{
    if (canSend())
        m_currentCamera->moveUp(0, tiltSpeed);
}

void MainWindow::moveDownAtSpeed(int tiltSpeed)
{
    if (canSend())
        m_currentCamera->moveDown(0, tiltSpeed);
}

void MainWindow::moveLeftAtSpeed(int panSpeed)
{
    if (canSend())
        m_currentCamera->moveLeft(panSpeed, 0);
}

void MainWindow::moveRightAtSpeed(int panSpeed)
{
    if (canSend())
        m_currentCamera->moveRight(panSpeed, 0);
}

void MainWindow::zoomInAtSpeed(int speed)
{
    if (canSend())
        m_currentCamera->zoomIn(speed);
}

void MainWindow::zoomOutAtSpeed(int speed)
{
    if (canSend())
        m_currentCamera->zoomOut(speed);
}

void MainWindow::focusInAtSpeed(int speed)
{
    if (canSend())
        m_currentCamera->focusIn(speed);
}

void MainWindow::focusOutAtSpeed(int speed)
{
    if (canSend())
        m_currentCamera->focusOut(speed);
}

void MainWindow::onAutoFocusChanged()
{
    const bool on = m_ui->autoFocus->isChecked();
    if (!canSendExposure())
        return;
    m_ui->focusIn->setEnabled(!on);
    m_ui->focusOut->setEnabled(!on);
    m_currentCamera->setAutoFocus(on);
}

void MainWindow::applyAutoFocus(bool on)
{
    if (!canSendExposure())
        return;
    m_ui->focusIn->setEnabled(!on);
    m_ui->focusOut->setEnabled(!on);
    m_ui->autoFocus->setChecked(on);
    m_currentCamera->setAutoFocus(on);
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
        m_currentCamera->setFocusLock(true);
        m_ui->autoFocus->setEnabled(false);
        m_ui->focusIn->setEnabled(false);
        m_ui->focusOut->setEnabled(false);
    } else {
        m_currentCamera->setFocusLock(false);
        m_ui->autoFocus->setEnabled(true);
        const bool manual = !m_currentCamera->isAutoFocus;
        m_ui->focusIn->setEnabled(manual);
        m_ui->focusOut->setEnabled(manual);
    }
}

void MainWindow::onSetPresetSpeedBtnClicked()
{
    if (canSend())
        m_currentCamera->setPresetSpeed(m_ui->presetSpeed->currentIndex());
}

void MainWindow::applyPresetSpeed(int index)
{
    if (canSend())
        m_currentCamera->setPresetSpeed(index);
}

void MainWindow::onMotionSyncOnClicked()
{
    if (canSend())
        m_currentCamera->setMotionSync(true);
}

void MainWindow::onMotionSyncOffClicked()
{
    if (canSend())
        m_currentCamera->setMotionSync(false);
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
    if (!m_currentCamera || !store)
        return;
    const QString id = m_currentCamera->cameraId();
    m_loadingSpeeds = true;
    m_ui->panTiltLock->setChecked(store->panTiltLock(id));
    fillSpeedCombo(m_ui->panSpeed, m_currentCamera->panSpeedRange());
    fillSpeedCombo(m_ui->tiltSpeed, m_currentCamera->tiltSpeedRange());
    fillSpeedCombo(m_ui->zoomSpeed, m_currentCamera->zoomSpeedRange());
    fillSpeedCombo(m_ui->focusSpeed, m_currentCamera->focusSpeedRange());
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
        settings()->setPanTiltLock(m_currentCamera->cameraId(), locked);
}

void MainWindow::onPanSpeedChanged(int index)
{
    if (m_ui->panTiltLock->isChecked()) {
        index = std::min(index, LockedPanIndexLimit);
        setSpeedIndex(m_ui->panSpeed, index);
        setSpeedIndex(m_ui->tiltSpeed, index);
    }
    if (canStoreSpeeds())
        settings()->setPanSpeed(m_currentCamera->cameraId(), index);
}

void MainWindow::onTiltSpeedChanged(int index)
{
    if (m_ui->panTiltLock->isChecked())
        setSpeedIndex(m_ui->panSpeed, index);
    if (canStoreSpeeds())
        settings()->setTiltSpeed(m_currentCamera->cameraId(), index);
}

void MainWindow::onZoomSpeedChanged(int index)
{
    if (canStoreSpeeds())
        settings()->setZoomSpeed(m_currentCamera->cameraId(), index);
}

void MainWindow::onFocusSpeedChanged(int index)
{
    if (canStoreSpeeds())
        settings()->setFocusSpeed(m_currentCamera->cameraId(), index);
}
