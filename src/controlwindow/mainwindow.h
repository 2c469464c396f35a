#pragma once

#include "motion.h"
#include "statussyncstate.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class AeModeControls;
class AppSettings;
class BoundingBoxSettings;
class CameraControl;
class CameraWrapper;
class HelpWin;
class JoystickWrapper;
class MainWindowUi;
class PresetSettingDlg;
class PreviewWin;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class TallyTracker;
struct SpeedRange;

// The operator's control window. It shows the state of the control owner (the current camera, its
// connection, its status) and sends it the operator's intents from the buttons, the hotkeys and the
// controller mapping; it turns the current camera's signals into status text, preset pictures and the
// one-time loading of the exposure widgets after a connection.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int CameraButtonCount = 8;
    static constexpr int PresetButtonCount = 9;

    explicit MainWindow(CameraControl *control, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The camera every control acts on, or none; the control owner keeps it, the cameras themselves
    // belong to the application.
    CameraWrapper *currentCamera() const;
    CameraControl *cameraControl() const;
    // Replaces the current camera without connecting or disconnecting anything (after a camera-list
    // rebuild the web API sets none).
    void setCurrentCamera(CameraWrapper *camera);

    // Relabels the eight camera buttons from the application's camera list.
    void refreshCameraButtons();
    // Shows each camera's tally on its button (red border on air, green in preview) and the camera on
    // air in the status bar; the tracker belongs to the application.
    void setTallyTracker(TallyTracker *tally);

    // Operations with explicit values for the web API; each does nothing without a connected camera.
    void moveUpAtSpeed(int tiltSpeed);
    void moveDownAtSpeed(int tiltSpeed);
    void moveLeftAtSpeed(int panSpeed);
    void moveRightAtSpeed(int panSpeed);
    void zoomInAtSpeed(int speed);
    void zoomOutAtSpeed(int speed);
    void focusInAtSpeed(int speed);
    void focusOutAtSpeed(int speed);
    void applyAutoFocus(bool on);
    void applyPresetSpeed(int index);

    // Stores preset presetNum of the current camera under name without asking (web API, preset dialog).
    void storePresetWithName(int presetNum, const QString &name);
    bool isImageDownloaded() const;
    void setImageDownloaded(bool downloaded);

    // Appends one line to app.log in the data folder; false when the file cannot be opened.
    bool appendLog(const QString &line);

    // Where a preset map snapshot of the camera cameraId goes: "snapshot_" + id + suffix in the data
    // folder's downloads, blanks of both replaced by "_".
    static QString presetMapSnapshotPath(const QString &cameraId, const QString &suffix);

public Q_SLOTS:
    // Menus and the preview window button.
    void onMultiCameraClicked();
    void onJoyStickClicked();
    void onPanTiltLimitSettingClicked();
    void onSnapshotPathClicked();
    void onWebServerSettingsClicked();
    void onPresetSettingDlgClicked();
    void onCompactViewClicked();
    void onAdvancedViewClicked();
    void onStatusBarToggle();
    void onPreviewWindowClicked();
    void onPreviewWindowBtnClicked();
    void onBoudingSettingClicked();
    void onAboutUsClicked();
    void onXboxHelpClicked();
    void onHotkeyHelpClicked();
    void onHelpClicked();
    void onPreviewWindowClosed();

    // Motion, zoom, focus and speeds.
    void onMoveTop();
    void onMoveBottom();
    void onMoveLeft();
    void onMoveRight();
    void onAngleUpLeft();
    void onAngleUpRight();
    void onAngleDownLeft();
    void onAngleDownRight();
    void onStopMoving();
    void onMoveHome();
    void onZoomIn();
    void onZoomOut();
    void onStopZooming();
    void onFocusIn();
    void onFocusOut();
    void onStopFocusing();
    void onFocusLockClicked();
    void onAutoFocusChanged();
    void autoFocusClick();
    void onPanTiltLockClicked();
    void onPanSpeedChanged(int index);
    void onTiltSpeedChanged(int index);
    void onZoomSpeedChanged(int index);
    void onFocusSpeedChanged(int index);
    void onSetPresetSpeedBtnClicked();
    void onMotionSyncOnClicked();
    void onMotionSyncOffClicked();

    // Presets.
    void onMem1Clicked();
    void onMem2Clicked();
    void onMem3Clicked();
    void onMem4Clicked();
    void onMem5Clicked();
    void onMem6Clicked();
    void onMem7Clicked();
    void onMem8Clicked();
    void onMem9Clicked();
    void onPresetModeSet();
    void onRecallModeSet();
    void onCallPreset(int presetNum);

    // Exposure, image, white balance and the on-screen menu.
    void onAeModeSelected(int index);
    void onShutterComboChanged(int index);
    void onIrisComboChanged(int index);
    void onBrightComboChanged(int index);
    void onShutterUpClicked();
    void onShutterDownClicked();
    void onIrisUpClicked();
    void onIrisDownClicked();
    void onBrightUpClicked();
    void onBrightDownClicked();
    void onLowLightBtnClicked();
    void onSportsDayBtnClicked();
    void onSportsNightBtnClicked();
    void onLuminanceSliderMoved(int pos);
    void onContrastSliderMoved(int pos);
    void onHueSliderMoved(int pos);
    void onLuminanceChangeTriggered(bool increase);
    void onContrastChangeTriggered(bool increase);
    void onHueChangeTriggered(bool increase);
    void onWBModeSelected(int index);
    void onOnePushTriggerBtnClicked();
    void onOsdMenuClicked();
    void onOsdEnterClicked();
    void onOsdBackClicked();
    void onImageFlip();
    void onImageMirror();

    // Camera selection and the cameras' signals.
    void onCam1Clicked();
    void onCam2Clicked();
    void onCam3Clicked();
    void onCam4Clicked();
    void onCam5Clicked();
    void onCam6Clicked();
    void onCam7Clicked();
    void onCam8Clicked();
    void onSwitchCamera(int cameraNum);
    void onCameraConnected();
    void onCameraDisconnected();
    void onCameraStatusUpdated();
    void onCameraStateChanged(const QString &stateStr);
    void onCameraReadOneCycle();
    void onCameraDownloadFinished(int presetNum);
    void onCameraNameGetFinished();
    void onCurrentCameraChanged(CameraWrapper *camera);
    void onPresetRecalled(int presetNum);
    void onPresetStored(int presetNum, const QString &name);
    void onAutoFocusApplied(bool on);

    // The preset setting dialog's commands, performed on the current camera.
    void presetSettingDlgSet(int index, const QString &presetText);
    void presetSettingDlgRecall(int index);
    void presetSettingDlgClearImage(int index);
    void presetSettingDlgClearPreset(int index);
    void presetSettingDlgMoveUpPress();
    void presetSettingDlgMoveDownPress();
    void presetSettingDlgMoveLeftPress();
    void presetSettingDlgMoveRightPress();
    void presetSettingDlgZoomInPress();
    void presetSettingDlgZoomOutPress();
    void presetSettingDlgMoveHome();
    void presetSettingDlgMoveUpRelease();
    void presetSettingDlgMoveDownRelease();
    void presetSettingDlgMoveLeftRelease();
    void presetSettingDlgMoveRightRelease();
    void presetSettingDlgZoomInRelease();
    void presetSettingDlgZoomOutRelease();

    // The preset map settings dialog's commands, on the current camera's preset map and the preview.
    void takeSnapShotForBackground();
    void uploadFileForBackground();
    void useLiveVideoForBackground();
    void takeSnapShotForBoundingBox(int curCustomPreset);
    void defaultForBoundingBox(int curCustomPreset);
    void setCustomPreset(int curCustomPreset, const QString &title);
    void showCrossHair(int curCustomPreset);
    void showCenterDiamond(int curCustomPreset);
    void removeCenter(int curCustomPreset);
    void resetAllBoxes();
    void chooseColor(int curCustomPreset);
    void showHideBoundingBoxes();
    void showHideCurrentBoundingBox(int curCustomPreset);
    void showHidePictureInPicture();

protected:
    bool event(QEvent *event) override;
    // Keyboard hotkeys: W/A/S/D move and Q/E zoom while held, F1 to F9 recall a preset when released.
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // Construction steps.
    void connectMotionControls();
    void connectPresetControls();
    void connectExposureControls();
    void connectCameraButtons();
    void fillComboBoxes();
    void connectActions();
    void connectJoystickWrapper();
    void connectCameraControl();
    void connectPresetSettingDlg();
    void connectBoundingBoxSettings();
    void showPreviewWindow();
    void buildStatusBar();
    void fitToContents();

    // True when a camera call may be made: a current camera that reported itself connected.
    bool canSend() const;
    // canSend(), and not while the exposure widgets are being loaded from the camera.
    bool canSendExposure() const;
    AppSettings *settings() const;

    // Camera selection.
    void selectCamera(int cameraNum);
    void highlightCameraButton(int cameraNum);
    // The look of every camera button: current or not, and its tally.
    void applyCameraButtonStyles();
    void showProgramCameras();
    QPushButton *cameraButton(int cameraNum) const;

    // Motion and speeds.
    void startPanTilt(PanTiltDirection direction, bool usesPan, bool usesTilt);
    void stopHeldMotions();
    void shareSelectedSpeeds();
    void stopMovingAtSelectedSpeeds();
    void fillSpeedCombo(QComboBox *combo, const SpeedRange &range);
    void loadSpeedSettings();
    bool canStoreSpeeds() const;
    static void setSpeedIndex(QComboBox *combo, int index);
    static int speedOf(const QComboBox *combo);

    // Preset map commands: the current camera's id when a command may act on it; otherwise tells the
    // operator and gives an empty id.
    QString presetMapCameraId() const;

    // Presets.
    QPushButton *presetButton(int presetNum) const;
    void onMemClicked(int presetNum);
    void loadPresetButtons();
    void showPresetPicture(int presetNum);
    void savePresetSettings(int presetNum, const QString &name);
    void saveExposureWithPreset(int presetNum);
    void restoreExposureStep(int presetNum, int step);

    // Exposure.
    static void stepComboIndex(QComboBox *combo, int delta);
    void stepSlider(QSlider *slider, bool increase);
    void applyScene(int aeModeIndex, int shutterIndex, int irisIndex);
    void loadExposureFromCamera();

    // Status bar.
    void showStatusValues();
    QList<QLabel *> valueLabels() const;

    std::unique_ptr<MainWindowUi> m_ui;
    std::unique_ptr<AeModeControls> m_aeModeControls;
    // Child of the window; goes with it.
    JoystickWrapper *m_joystickWrapper = nullptr;
    HelpWin *m_helpWin = nullptr;
    PreviewWin *m_previewWin = nullptr;
    BoundingBoxSettings *m_boundingBoxSettings = nullptr;
    PresetSettingDlg *m_presetSettingDlg = nullptr;

    // Owned by the application; outlives the window.
    CameraControl *m_control = nullptr;
    bool m_previewClosed = true;
    bool m_storeMode = false;
    bool m_advancedView = true;
    StatusSyncState m_statusSyncState = StatusSyncState::AwaitingFirstCycle;
    // One counter for the three sliders: a controller moves a slider on every third trigger.
    int m_sliderStepCounter = 0;
    // Set while a connected camera's stored speeds are being loaded, so that the cascade of the speed
    // combos stores nothing.
    bool m_loadingSpeeds = false;

    QLabel *m_panStatusLabel = nullptr;
    QLabel *m_tiltStatusLabel = nullptr;
    QLabel *m_zoomStatusLabel = nullptr;
    QLabel *m_focusStatusLabel = nullptr;
    QLabel *m_shutterStatusLabel = nullptr;
    QLabel *m_irisStatusLabel = nullptr;
    QLabel *m_brightStatusLabel = nullptr;
    QLabel *m_deviceNameLabel = nullptr;
    QLabel *m_serialNumberLabel = nullptr;
    QLabel *m_connectionLabel = nullptr;
    QLabel *m_tallyLabel = nullptr;

    QPointer<TallyTracker> m_tally;
    // The button shown as the current camera's, 0 for none.
    int m_highlightedCamera = 0;
};
