// MainWindow: the commands of the preset setting dialog, performed on the current camera.

#include "mainwindow.h"

#include "cameracontrol.h"

#include "camerawrapper.h"
#include "mainwindowui.h"
#include "presetrecord.h"
#include "presetsettingdlg.h"

#include <QComboBox>

void MainWindow::connectPresetSettingDlg()
{
    PresetSettingDlg *dlg = m_presetSettingDlg;
    connect(dlg, &PresetSettingDlg::setPreset, this, &MainWindow::presetSettingDlgSet);
    connect(dlg, &PresetSettingDlg::recallPreset, this, &MainWindow::presetSettingDlgRecall);
    connect(dlg, &PresetSettingDlg::clearImage, this, &MainWindow::presetSettingDlgClearImage);
    connect(dlg, &PresetSettingDlg::clearPreset, this, &MainWindow::presetSettingDlgClearPreset);
    connect(dlg, &PresetSettingDlg::moveUpPress, this, &MainWindow::presetSettingDlgMoveUpPress);
    connect(dlg, &PresetSettingDlg::moveDownPress, this, &MainWindow::presetSettingDlgMoveDownPress);
    connect(dlg, &PresetSettingDlg::moveLeftPress, this, &MainWindow::presetSettingDlgMoveLeftPress);
    connect(dlg, &PresetSettingDlg::moveRightPress, this, &MainWindow::presetSettingDlgMoveRightPress);
    connect(dlg, &PresetSettingDlg::zoomInPress, this, &MainWindow::presetSettingDlgZoomInPress);
    connect(dlg, &PresetSettingDlg::zoomOutPress, this, &MainWindow::presetSettingDlgZoomOutPress);
    connect(dlg, &PresetSettingDlg::moveHome, this, &MainWindow::presetSettingDlgMoveHome);
    connect(dlg, &PresetSettingDlg::moveUpRelease, this, &MainWindow::presetSettingDlgMoveUpRelease);
    connect(dlg, &PresetSettingDlg::moveDownRelease, this, &MainWindow::presetSettingDlgMoveDownRelease);
    connect(dlg, &PresetSettingDlg::moveLeftRelease, this, &MainWindow::presetSettingDlgMoveLeftRelease);
    connect(dlg, &PresetSettingDlg::moveRightRelease, this, &MainWindow::presetSettingDlgMoveRightRelease);
    connect(dlg, &PresetSettingDlg::zoomInRelease, this, &MainWindow::presetSettingDlgZoomInRelease);
    connect(dlg, &PresetSettingDlg::zoomOutRelease, this, &MainWindow::presetSettingDlgZoomOutRelease);
}

void MainWindow::presetSettingDlgSet(int index, const QString &presetText)
{
    storePresetWithName(index, presetText);
}

void MainWindow::presetSettingDlgRecall(int index)
{
    onCallPreset(index);
}

void MainWindow::presetSettingDlgClearImage(int index)
{
    if (canSend())
        PresetRecord::removePicture(currentCamera()->cameraId(), index);
}

void MainWindow::presetSettingDlgClearPreset(int index)
{
    if (!canSend())
        return;
    currentCamera()->clearPreset(index);
    // The main window's button keeps its text until the next camera selection.
    PresetRecord::clearStored(settings(), currentCamera()->cameraId(), index);
}

void MainWindow::presetSettingDlgMoveUpPress()
{
    onMoveTop();
}

void MainWindow::presetSettingDlgMoveDownPress()
{
    onMoveBottom();
}

void MainWindow::presetSettingDlgMoveLeftPress()
{
    onMoveLeft();
}

void MainWindow::presetSettingDlgMoveRightPress()
{
    onMoveRight();
}

void MainWindow::presetSettingDlgZoomInPress()
{
    onZoomIn();
}

void MainWindow::presetSettingDlgZoomOutPress()
{
    onZoomOut();
}

void MainWindow::presetSettingDlgMoveHome()
{
    onMoveHome();
}

void MainWindow::stopMovingAtSelectedSpeeds()
{
    // Unlike the window's own pad, which stops with 0, the dialog's pad stops with the selected speeds.
    m_control->stop(MotionAxis::PanTilt, speedOf(m_ui->panSpeed), speedOf(m_ui->tiltSpeed));
}

void MainWindow::presetSettingDlgMoveUpRelease()
{
    stopMovingAtSelectedSpeeds();
}

void MainWindow::presetSettingDlgMoveDownRelease()
{
    stopMovingAtSelectedSpeeds();
}

void MainWindow::presetSettingDlgMoveLeftRelease()
{
    stopMovingAtSelectedSpeeds();
}

void MainWindow::presetSettingDlgMoveRightRelease()
{
    stopMovingAtSelectedSpeeds();
}

void MainWindow::presetSettingDlgZoomInRelease()
{
    onStopZooming();
}

void MainWindow::presetSettingDlgZoomOutRelease()
{
    onStopZooming();
}
