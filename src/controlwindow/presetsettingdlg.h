#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class CameraWrapper;
class PresetSettingDlgUi;

// Presets 1 to 127 of the current camera, beyond the main window's nine buttons: the operator picks a
// number, sees the preset's stored picture and name, steers with a small pad and stores, recalls or clears
// the preset or its picture. The dialog never calls the camera: every command is a signal that the main
// window performs on its current camera. It only reads the camera's id, to find the stored picture and
// name.
class PresetSettingDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PresetCount = 127;

    explicit PresetSettingDlg(QWidget *parent = nullptr);
    ~PresetSettingDlg() override;

    // The camera whose presets are shown, or none. Shows preset 1 (picture and name) whatever number the
    // list shows; with none, picture and name stay as they are.
    void setCamera(CameraWrapper *camera);
    CameraWrapper *camera() const;

    // The number of the preset chosen in the list (1 to 127).
    int selectedPreset() const;

    // A picture download finished: shows the new file when it belongs to the selected preset.
    void refreshPresetImage(int presetNum);

    // The picture style of the preview label for a picture file.
    static QString pictureStyle(const QString &path);

Q_SIGNALS:
    void setPreset(int index, const QString &presetText);
    void recallPreset(int index);
    void clearImage(int index);
    void clearPreset(int index);
    void moveUpPress();
    void moveDownPress();
    void moveLeftPress();
    void moveRightPress();
    void zoomInPress();
    void zoomOutPress();
    void moveHome();
    void moveUpRelease();
    void moveDownRelease();
    void moveLeftRelease();
    void moveRightRelease();
    void zoomInRelease();
    void zoomOutRelease();

public Q_SLOTS:
    void onPresetCmbChanged(int index);

private Q_SLOTS:
    void onSetBtnClicked();
    void onRecallBtnClicked();
    void onClearImageBtnClicked();
    void onClearPresetBtnClicked();
    void onMoveUpBtnPressed();
    void onMoveDownBtnPressed();
    void onMoveLeftBtnPressed();
    void onMoveRightBtnPressed();
    void onZoomInBtnPressed();
    void onZoomOutBtnPressed();
    void onMoveHomeBtnClicked();
    void onMoveUpBtnReleased();
    void onMoveDownBtnReleased();
    void onMoveLeftBtnReleased();
    void onMoveRightBtnReleased();
    void onZoomInBtnReleased();
    void onZoomOutBtnReleased();

private:
    void showPicture(int presetNum);

    std::unique_ptr<PresetSettingDlgUi> m_ui;
    // Not owned; the application deletes cameras when the camera list is rebuilt, hence the guard.
    QPointer<CameraWrapper> m_camera;
};
