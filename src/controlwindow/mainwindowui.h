#pragma once

#include <QtGlobal>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;
class QWidget;

// The widget tree of the control window: layout, object names, texts, tooltips, sizes and focus
// policies. It holds no behaviour; MainWindow connects the widgets and fills the combo boxes.
class MainWindowUi
{
public:
    void setupUi(QMainWindow *window);

    QAction *actionMultiCameras = nullptr;
    QAction *actionJoyStick = nullptr;
    QAction *actionPanTiltLimitSetting = nullptr;
    QAction *actionSnapshotPath = nullptr;
    QAction *actionWebServerSetting = nullptr;
    QAction *actionPresetSetting = nullptr;
    QAction *actionExit = nullptr;
    QAction *actionCompactMode = nullptr;
    QAction *actionAdvancedMode = nullptr;
    QAction *actionStatusBar = nullptr;
    QAction *actionPreviewWindow = nullptr;
    QAction *actionBoundingBoxSetting = nullptr;
    QAction *actionAboutUs = nullptr;
    QAction *actionXboxHelp = nullptr;
    QAction *actionHotKeyHelp = nullptr;
    QAction *actionHelp = nullptr;

    QWidget *centralWidget = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;

    // Left panel
    QWidget *leftPanel = nullptr;
    QLabel *logoImg = nullptr;
    QWidget *widget = nullptr;
    QPushButton *tvBtn = nullptr;
    QGroupBox *groupBox = nullptr;
    QLabel *label_5 = nullptr;
    QPushButton *connectCam1 = nullptr;
    QPushButton *connectCam2 = nullptr;
    QPushButton *connectCam3 = nullptr;
    QPushButton *connectCam4 = nullptr;
    QPushButton *connectCam5 = nullptr;
    QPushButton *connectCam6 = nullptr;
    QPushButton *connectCam7 = nullptr;
    QPushButton *connectCam8 = nullptr;
    QGroupBox *groupBox_2 = nullptr;
    QPushButton *angleUpLeft = nullptr;
    QPushButton *MoveLeft = nullptr;
    QPushButton *angleDownLeft = nullptr;
    QPushButton *MoveTop = nullptr;
    QPushButton *MoveHome = nullptr;
    QPushButton *MoveBottom = nullptr;
    QPushButton *angleUpRight = nullptr;
    QPushButton *MoveRight = nullptr;
    QPushButton *angleDownRight = nullptr;
    QPushButton *ZoomIn = nullptr;
    QPushButton *ZoomOut = nullptr;
    QPushButton *focusIn = nullptr;
    QPushButton *focusOut = nullptr;
    QRadioButton *presetMode = nullptr;
    QRadioButton *recallMode = nullptr;
    QCheckBox *lockFocus = nullptr;
    QCheckBox *autoFocus = nullptr;
    QPushButton *mem1 = nullptr;
    QPushButton *mem2 = nullptr;
    QPushButton *mem3 = nullptr;
    QPushButton *mem4 = nullptr;
    QPushButton *mem5 = nullptr;
    QPushButton *mem6 = nullptr;
    QPushButton *mem7 = nullptr;
    QPushButton *mem8 = nullptr;
    QPushButton *mem9 = nullptr;
    QCheckBox *storeExposure = nullptr;

    // Right panel
    QWidget *rightPanel = nullptr;
    QGroupBox *optionsGroup = nullptr;
    QLabel *label = nullptr;
    QComboBox *panSpeed = nullptr;
    QLabel *label_3 = nullptr;
    QComboBox *tiltSpeed = nullptr;
    QCheckBox *panTiltLock = nullptr;
    QLabel *label_4 = nullptr;
    QComboBox *focusSpeed = nullptr;
    QLabel *label_2 = nullptr;
    QComboBox *zoomSpeed = nullptr;
    QLabel *label_13 = nullptr;
    QComboBox *presetSpeed = nullptr;
    QPushButton *applyPresetSpeedBtn = nullptr;
    QPushButton *syncOnBtn = nullptr;
    QPushButton *syncOffBtn = nullptr;
    QGroupBox *exposureGroup = nullptr;
    QLabel *label_9 = nullptr;
    QComboBox *aeModeSelect = nullptr;
    QLabel *label_11 = nullptr;
    QPushButton *shutterUp = nullptr;
    QPushButton *shutterDown = nullptr;
    QComboBox *shutterCombo = nullptr;
    QLabel *label_10 = nullptr;
    QPushButton *irisUp = nullptr;
    QPushButton *irisDown = nullptr;
    QComboBox *irisCombo = nullptr;
    QLabel *label_12 = nullptr;
    QPushButton *brightUp = nullptr;
    QPushButton *brightDown = nullptr;
    QComboBox *brightCombo = nullptr;
    QPushButton *lowLightBtn = nullptr;
    QLabel *label_6 = nullptr;
    QPushButton *sportsDayBtn = nullptr;
    QLabel *label_7 = nullptr;
    QPushButton *sportsNightBtn = nullptr;
    QLabel *label_8 = nullptr;
    QGroupBox *imageGroup = nullptr;
    QLabel *label_14 = nullptr;
    QSlider *luminanceSlider = nullptr;
    QLabel *label_15 = nullptr;
    QSlider *contrastSlider = nullptr;
    QLabel *label_16 = nullptr;
    QSlider *hueSlider = nullptr;
    QGroupBox *colorGroup = nullptr;
    QComboBox *wbCombo = nullptr;
    QPushButton *onePushTriggerBtn = nullptr;
    QGroupBox *osdGroup = nullptr;
    QPushButton *osdMenuBtn = nullptr;
    QPushButton *osdEnterBtn = nullptr;
    QPushButton *osdBackBtn = nullptr;
    QCheckBox *imgFlipBtn = nullptr;
    QCheckBox *imgMirrorBtn = nullptr;

    QMenuBar *menuBar = nullptr;
    QMenu *menuMenu = nullptr;
    QMenu *menuView = nullptr;
    QMenu *menuWindow = nullptr;
    QMenu *menuHelp = nullptr;
    QStatusBar *statusBar = nullptr;

private:
    void setupLeftPanel();
    void setupRightPanel();
    void setupMenus(QMainWindow *window);
};
