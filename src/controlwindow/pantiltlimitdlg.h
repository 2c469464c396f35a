#pragma once

#include <QDialog>
#include <QPointer>
#include <QtGlobal>

#include <memory>

class CameraWrapper;
class PanTiltLimitDlgUi;

// Sets a network camera's pan/tilt movement limits: the operator drives the camera to the extreme
// position wanted with the pad, waits until the shown position is current and applies it as the down-left
// or the up-right corner of the allowed range. Shows the position in degrees from the centre and the
// limits stored for the camera. Unlike the preset setting dialog it calls the camera directly; the main
// window builds it only while its current camera is connected and runs it modally.
class PanTiltLimitDlg : public QDialog
{
    Q_OBJECT

public:
    // The pad's pan and tilt speed, whatever the main window's speed selectors show.
    static constexpr int PadSpeed = 5;
    // The widest corner on each axis, taken when the camera is on the other side of the centre.
    static constexpr int WidestLeftPosition = 0xF66F;  // 170 degrees left
    static constexpr int WidestDownPosition = 0xFE4F;  // 30 degrees down
    static constexpr int WidestRightPosition = 0x0990; // 170 degrees right
    static constexpr int WidestUpPosition = 0x0510;    // 90 degrees up

    PanTiltLimitDlg(QWidget *parent, CameraWrapper *camera);
    ~PanTiltLimitDlg() override;

    // A position of the status cache as the status bar prints it ("%x%x%x%x") read back as one
    // hexadecimal number: for a network camera the 16-bit VISCA position.
    static quint32 decodePosition(const quint8 (&parts)[4]);
    // A first nibble of 0xF marks a position left of (pan) or below (tilt) the centre.
    static bool isNegativeSide(quint32 position);

public Q_SLOTS:
    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();
    void moveHome();
    void moveStop();
    void panTiltChanged();
    void applyUpRightLimit();
    void applyDownLeftLimit();

private:
    void showStoredLimits();

    std::unique_ptr<PanTiltLimitDlgUi> m_ui;
    // Not owned; a camera-list rebuild during the modal loop may delete it, hence the guard.
    QPointer<CameraWrapper> m_camera;
};
