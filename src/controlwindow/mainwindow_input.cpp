// MainWindow: the game controller's commands and the keyboard hotkeys, both acting like the on-screen
// controls.

#include "mainwindow.h"

#include "appsettings.h"
#include "cameracontrol.h"
#include "camerawrapper.h"
#include "joystickwrapper.h"
#include "mainwindowui.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

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

    // Motion goes to the control owner as the controller's own, at the speeds selected here, with the
    // same pairs of speeds as the on-screen pad.
    CameraControl *control = m_control;
    using D = PanTiltDirection;
    const struct
    {
        void (JoystickWrapper::*signal)();
        D direction;
        bool usesPan;
        bool usesTilt;
    } moves[] = {
        {&JoystickWrapper::moveLeftBtnTriggered, D::Left, true, false},
        {&JoystickWrapper::moveRightBtnTriggered, D::Right, true, false},
        {&JoystickWrapper::moveTopBtnTriggered, D::Up, false, true},
        {&JoystickWrapper::moveBottomBtnTriggered, D::Down, false, true},
        {&JoystickWrapper::moveTopLeftBtnTriggered, D::UpLeft, true, true},
        {&JoystickWrapper::moveTopRightBtnTriggered, D::UpRight, true, true},
        {&JoystickWrapper::moveBottomRightBtnTriggered, D::DownRight, true, true},
        {&JoystickWrapper::moveBottomLeftBtnTriggered, D::DownLeft, true, true},
    };
    for (const auto &move : moves) {
        connect(js, move.signal, control, [control, move] {
            control->startPanTilt(move.direction, move.usesPan ? control->selectedPanSpeed() : 0,
                                  move.usesTilt ? control->selectedTiltSpeed() : 0, MotionSource::Controller);
        });
    }
    connect(js, &JoystickWrapper::moveStop, control, [control] { control->stop(MotionAxis::PanTilt); });
    connect(js, &JoystickWrapper::moveHome, control, &CameraControl::moveHome);
    connect(js, &JoystickWrapper::zoomInBtnTriggered, control,
            [control] { control->startZoom(true, control->selectedZoomSpeed(), MotionSource::Controller); });
    connect(js, &JoystickWrapper::zoomOutBtnTriggered, control,
            [control] { control->startZoom(false, control->selectedZoomSpeed(), MotionSource::Controller); });
    connect(js, &JoystickWrapper::zoomStop, control, [control] { control->stop(MotionAxis::Zoom); });
    connect(js, &JoystickWrapper::focusInBtnTriggered, control, [control] {
        control->startFocus(true, control->selectedFocusSpeed(), MotionSource::Controller);
    });
    connect(js, &JoystickWrapper::focusOutBtnTriggered, control, [control] {
        control->startFocus(false, control->selectedFocusSpeed(), MotionSource::Controller);
    });
    connect(js, &JoystickWrapper::focusStop, control, [control] { control->stop(MotionAxis::Focus); });
    // A controller that goes away, or goes quiet, while it drives the camera must not leave it moving.
    connect(js, &JoystickWrapper::controllerLost, control, [control](const QString &reason) {
        control->stopMotionsFrom({MotionSource::Controller}, reason);
    });

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
    // a move passes both speeds, and so does its stop.
    CameraControl *control = m_control;
    const MotionSource hotkey = MotionSource::Hotkey;
    switch (event->key()) {
    case Qt::Key_W:
        control->startPanTilt(PanTiltDirection::Up, pan, tilt, hotkey, 0, -1, pan, tilt);
        break;
    case Qt::Key_S:
        control->startPanTilt(PanTiltDirection::Down, pan, tilt, hotkey, 0, -1, pan, tilt);
        break;
    case Qt::Key_A:
        control->startPanTilt(PanTiltDirection::Left, pan, tilt, hotkey, 0, -1, pan, tilt);
        break;
    case Qt::Key_D:
        control->startPanTilt(PanTiltDirection::Right, pan, tilt, hotkey, 0, -1, pan, tilt);
        break;
    case Qt::Key_Q:
        control->startZoom(true, zoom, hotkey);
        break;
    case Qt::Key_E:
        control->startZoom(false, zoom, hotkey);
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
        m_control->stop(MotionAxis::PanTilt, pan, tilt);
        break;
    case Qt::Key_Q:
    case Qt::Key_E:
        m_control->stop(MotionAxis::Zoom);
        break;
    default:
        // Presets are recalled on release, with their stored exposure replayed as a button recall does.
        if (key >= FirstPresetKey && key <= LastPresetKey)
            onCallPreset(key - FirstPresetKey + 1);
        break;
    }
}

void MainWindow::stopHeldMotions()
{
    // The release of a held button or key goes to whichever window is active now: the motions they
    // started stop here, and the buttons no longer show as held.
    m_control->stopMotionsFrom({MotionSource::WindowButton, MotionSource::Hotkey},
                               QStringLiteral("window deactivated"));
    const MainWindowUi &ui = *m_ui;
    for (QPushButton *button :
         {ui.MoveTop, ui.MoveBottom, ui.MoveLeft, ui.MoveRight, ui.angleUpLeft, ui.angleUpRight,
          ui.angleDownLeft, ui.angleDownRight, ui.ZoomIn, ui.ZoomOut, ui.focusIn, ui.focusOut}) {
        if (button->isDown())
            button->setDown(false);
    }
}
