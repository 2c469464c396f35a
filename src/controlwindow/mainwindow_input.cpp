// MainWindow: the game controller's commands and the keyboard hotkeys, both acting like the on-screen
// controls.

#include "mainwindow.h"

#include "appsettings.h"
#include "camerawrapper.h"
#include "joystickwrapper.h"
#include "mainwindowui.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {
constexpr int FirstPresetKey = Qt::Key_F1;
constexpr int LastPresetKey = Qt::Key_F9;

// Holding a key gives one press and one release; the repeats in between do nothing. The setting is read
// at every key: the joystick dialog may have changed it meanwhile.
bool isHotkeyEvent(const QKeyEvent *event, const AppSettings *store)
{
    return !event->isAutoRepeat() && store && store->isHotkeyAvailable();
}
} // namespace

void MainWindow::connectJoystickWrapper()
{
    JoystickWrapper *js = m_joystickWrapper;
    connect(js, &JoystickWrapper::osdMenuBtnTriggered, this, &MainWindow::onOsdMenuClicked);
    connect(js, &JoystickWrapper::enterBtnTriggered, this, &MainWindow::onOsdEnterClicked);
    connect(js, &JoystickWrapper::backBtnTriggered, this, &MainWindow::onOsdBackClicked);
    connect(js, &JoystickWrapper::moveLeftBtnTriggered, this, &MainWindow::onMoveLeft);
    connect(js, &JoystickWrapper::moveRightBtnTriggered, this, &MainWindow::onMoveRight);
    connect(js, &JoystickWrapper::moveTopBtnTriggered, this, &MainWindow::onMoveTop);
    connect(js, &JoystickWrapper::moveBottomBtnTriggered, this, &MainWindow::onMoveBottom);
    connect(js, &JoystickWrapper::moveTopLeftBtnTriggered, this, &MainWindow::onAngleUpLeft);
    connect(js, &JoystickWrapper::moveTopRightBtnTriggered, this, &MainWindow::onAngleUpRight);
    connect(js, &JoystickWrapper::moveBottomRightBtnTriggered, this, &MainWindow::onAngleDownRight);
    connect(js, &JoystickWrapper::moveBottomLeftBtnTriggered, this, &MainWindow::onAngleDownLeft);
    connect(js, &JoystickWrapper::moveStop, this, &MainWindow::onStopMoving);
    connect(js, &JoystickWrapper::moveHome, this, &MainWindow::onMoveHome);
    connect(js, &JoystickWrapper::zoomInBtnTriggered, this, &MainWindow::onZoomIn);
    connect(js, &JoystickWrapper::zoomOutBtnTriggered, this, &MainWindow::onZoomOut);
    connect(js, &JoystickWrapper::zoomStop, this, &MainWindow::onStopZooming);
    connect(js, &JoystickWrapper::focusInBtnTriggered, this, &MainWindow::onFocusIn);
    connect(js, &JoystickWrapper::focusOutBtnTriggered, this, &MainWindow::onFocusOut);
    connect(js, &JoystickWrapper::focusStop, this, &MainWindow::onStopFocusing);
    connect(js, &JoystickWrapper::focusStateChange, this, &MainWindow::autoFocusClick);
    connect(js, &JoystickWrapper::luminanceChangeTriggered, this, &MainWindow::onLuminanceChangeTriggered);
    connect(js, &JoystickWrapper::contrastChangeTriggered, this, &MainWindow::onContrastChangeTriggered);
    connect(js, &JoystickWrapper::hueChangeTriggered, this, &MainWindow::onHueChangeTriggered);
    connect(js, &JoystickWrapper::switchCamera, this, &MainWindow::onSwitchCamera);
    connect(js, &JoystickWrapper::callPreset, this, &MainWindow::onCallPreset);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (!isHotkeyEvent(event, settings()))
        return;
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    const int zoom = speedOf(m_ui->zoomSpeed);
    if (!canSend())
        return;
    // The key code alone decides; Shift or Ctrl held with it change nothing. Unlike the on-screen pad,
    // a move passes both speeds.
    switch (event->key()) {
    case Qt::Key_W:
        m_currentCamera->moveUp(pan, tilt);
        break;
    case Qt::Key_S:
        m_currentCamera->moveDown(pan, tilt);
        break;
    case Qt::Key_A:
        m_currentCamera->moveLeft(pan, tilt);
        break;
    case Qt::Key_D:
        m_currentCamera->moveRight(pan, tilt);
        break;
    case Qt::Key_Q:
        m_currentCamera->zoomIn(zoom);
        break;
    case Qt::Key_E:
        m_currentCamera->zoomOut(zoom);
        break;
    default:
        break;
    }
}

void MainWindow::keyReleaseEvent(QKeyEvent *event)
{
    if (!isHotkeyEvent(event, settings()))
        return;
    const int pan = speedOf(m_ui->panSpeed);
    const int tilt = speedOf(m_ui->tiltSpeed);
    if (!canSend())
        return;
    const int key = event->key();
    switch (key) {
    case Qt::Key_W:
    case Qt::Key_S:
    case Qt::Key_A:
    case Qt::Key_D:
        m_currentCamera->stopMoving(pan, tilt);
        break;
    case Qt::Key_Q:
    case Qt::Key_E:
        m_currentCamera->stopZooming();
        break;
    default:
        // Presets are recalled on release, with their stored exposure replayed as a button recall does.
        if (key >= FirstPresetKey && key <= LastPresetKey)
            onCallPreset(key - FirstPresetKey + 1);
        break;
    }
}
