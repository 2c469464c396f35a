#include "mainwindowui.h"

#include "mainwindowstyle.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr int PanelMargin = 11;
constexpr int RowSpacing = 6;
constexpr int PadButtonSize = 44;

template<typename W>
W *make(QWidget *parent, const char *objectName)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(objectName));
    return w;
}

QPushButton *textButton(QWidget *parent, const char *objectName, const QString &text)
{
    auto *button = make<QPushButton>(parent, objectName);
    button->setText(text);
    return button;
}

QLabel *textLabel(QWidget *parent, const char *objectName, const QString &text)
{
    auto *label = make<QLabel>(parent, objectName);
    label->setText(text);
    return label;
}

QCheckBox *checkBox(QWidget *parent, const char *objectName, const QString &text)
{
    auto *box = make<QCheckBox>(parent, objectName);
    box->setText(text);
    return box;
}

// A picture button of the direction pad or the zoom/focus row: no text, a tooltip, 44 x 44, no focus so
// that key presses reach the window.
QPushButton *padButton(QWidget *parent, const char *objectName, const QString &toolTip, const char *picture)
{
    auto *button = make<QPushButton>(parent, objectName);
    button->setToolTip(toolTip);
    button->setFixedSize(PadButtonSize, PadButtonSize);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(MainWindowStyle::padButtonStyle(QLatin1String(picture)));
    return button;
}

QHBoxLayout *row(int spacing = RowSpacing)
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(spacing);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

QVBoxLayout *column(int spacing = RowSpacing)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(spacing);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

QGroupBox *makeGroupBox(QWidget *parent, const char *objectName, const QString &title)
{
    auto *box = make<QGroupBox>(parent, objectName);
    box->setTitle(title);
    return box;
}

QComboBox *combo(QWidget *parent, const char *objectName, bool noFocus)
{
    auto *box = make<QComboBox>(parent, objectName);
    if (noFocus)
        box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QSlider *slider(QWidget *parent, const char *objectName)
{
    auto *s = make<QSlider>(parent, objectName);
    s->setOrientation(Qt::Horizontal);
    s->setRange(0, 14);
    s->setPageStep(3);
    return s;
}

QLabel *rightAligned(QLabel *label)
{
    label->setAlignment(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
    return label;
}

} // namespace

void MainWindowUi::setupUi(QMainWindow *window)
{
    window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(682, 628);
    window->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);

    centralWidget = make<QWidget>(window, "centralWidget");
    horizontalLayout_4 = new QHBoxLayout(centralWidget);
    horizontalLayout_4->setObjectName(QStringLiteral("horizontalLayout_4"));
    horizontalLayout_4->setSpacing(0);
    horizontalLayout_4->setContentsMargins(0, 0, 0, 0);

    setupLeftPanel();
    setupRightPanel();
    horizontalLayout_4->addWidget(leftPanel);
    horizontalLayout_4->addWidget(rightPanel);
    window->setCentralWidget(centralWidget);

    setupMenus(window);

    statusBar = make<QStatusBar>(window, "statusBar");
    window->setStatusBar(statusBar);
}

void MainWindowUi::setupLeftPanel()
{
    leftPanel = make<QWidget>(centralWidget, "leftPanel");
    auto *panelLayout = new QVBoxLayout(leftPanel);
    panelLayout->setSpacing(RowSpacing);
    panelLayout->setContentsMargins(PanelMargin, PanelMargin, PanelMargin, PanelMargin);

    // Header: logo and the preview window button.
    auto *header = row();
    logoImg = make<QLabel>(leftPanel, "logoImg");
    logoImg->setMinimumSize(205, 28);
    logoImg->setStyleSheet(MainWindowStyle::logoStyle());
    header->addWidget(logoImg);
    header->addStretch(1);
    widget = make<QWidget>(leftPanel, "widget");
    widget->setMaximumWidth(40);
    auto *tvLayout = new QHBoxLayout(widget);
    tvLayout->setContentsMargins(0, 0, 0, 0);
    tvBtn = make<QPushButton>(widget, "tvBtn");
    tvBtn->setToolTip(QStringLiteral("Preview Window"));
    tvBtn->setMaximumHeight(30);
    tvBtn->setFixedSize(30, 30);
    tvBtn->setStyleSheet(MainWindowStyle::previewButtonStyle());
    tvLayout->addWidget(tvBtn);
    header->addWidget(widget);
    panelLayout->addLayout(header);

    // Camera selection.
    groupBox = makeGroupBox(leftPanel, "groupBox", QStringLiteral("SELECT CAMERA"));
    groupBox->setMinimumWidth(320);
    auto *cameraLayout = column();
    groupBox->setLayout(cameraLayout);
    label_5 = textLabel(groupBox, "label_5", QStringLiteral("Use Settings menu to configure"));
    QFont smallFont = label_5->font();
    smallFont.setPointSize(7);
    label_5->setFont(smallFont);
    label_5->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter);
    cameraLayout->addWidget(label_5);
    auto *gridLayout = new QGridLayout;
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(6);
    QPushButton **cameraButtons[8] = {&connectCam1, &connectCam2, &connectCam3, &connectCam4,
                                      &connectCam5, &connectCam6, &connectCam7, &connectCam8};
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("connectCam") + QString::number(i + 1);
        auto *button = new QPushButton(QStringLiteral("Camera") + QString::number(i + 1), groupBox);
        button->setObjectName(name);
        button->setFocusPolicy(Qt::NoFocus);
        *cameraButtons[i] = button;
        gridLayout->addWidget(button, i / 4, i % 4);
    }
    cameraLayout->addLayout(gridLayout);
    panelLayout->addWidget(groupBox);

    // Motion, zoom, focus and presets.
    groupBox_2 = makeGroupBox(leftPanel, "groupBox_2", QStringLiteral("CONTROL"));
    auto *controlLayout = column();
    groupBox_2->setLayout(controlLayout);

    auto *pad = row(5);
    auto *padLeft = column(5);
    angleUpLeft = padButton(groupBox_2, "angleUpLeft", QStringLiteral("Move Up Left"), "upleft.png");
    MoveLeft = padButton(groupBox_2, "MoveLeft", QStringLiteral("Move Left"), "leftarrow.png");
    angleDownLeft
        = padButton(groupBox_2, "angleDownLeft", QStringLiteral("Move Down Left"), "downleftarrow.png");
    padLeft->addWidget(angleUpLeft);
    padLeft->addWidget(MoveLeft);
    padLeft->addWidget(angleDownLeft);
    auto *padMiddle = column(5);
    MoveTop = padButton(groupBox_2, "MoveTop", QStringLiteral("Move Up"), "uparrow.png");
    MoveHome = padButton(groupBox_2, "MoveHome", QStringLiteral("Move Home"), "home.png");
    MoveBottom = padButton(groupBox_2, "MoveBottom", QStringLiteral("Move Down"), "downarrow.png");
    padMiddle->addWidget(MoveTop);
    padMiddle->addWidget(MoveHome);
    padMiddle->addWidget(MoveBottom);
    auto *padRight = column(5);
    angleUpRight = padButton(groupBox_2, "angleUpRight", QStringLiteral("Move Up Right"), "upright.png");
    MoveRight = padButton(groupBox_2, "MoveRight", QStringLiteral("Move Right"), "rightarrow.png");
    angleDownRight
        = padButton(groupBox_2, "angleDownRight", QStringLiteral("Move Down Right"), "downright.png");
    padRight->addWidget(angleUpRight);
    padRight->addWidget(MoveRight);
    padRight->addWidget(angleDownRight);
    pad->addStretch(1);
    pad->addLayout(padLeft);
    pad->addLayout(padMiddle);
    pad->addLayout(padRight);
    pad->addStretch(1);
    controlLayout->addLayout(pad);

    auto *lensRow = row(5);
    ZoomIn = padButton(groupBox_2, "ZoomIn", QStringLiteral("Zoom In"), "plus.png");
    ZoomOut = padButton(groupBox_2, "ZoomOut", QStringLiteral("Zoom Out"), "minus.png");
    focusIn = padButton(groupBox_2, "focusIn", QStringLiteral("Focus In"), "focusin.png");
    focusOut = padButton(groupBox_2, "focusOut", QStringLiteral("Focus Out"), "focusout.png");
    lensRow->addStretch(1);
    lensRow->addWidget(ZoomIn);
    lensRow->addWidget(ZoomOut);
    lensRow->addSpacing(16);
    lensRow->addWidget(focusIn);
    lensRow->addWidget(focusOut);
    lensRow->addStretch(1);
    controlLayout->addLayout(lensRow);

    auto *modeRow = row();
    presetMode = make<QRadioButton>(groupBox_2, "presetMode");
    presetMode->setText(QStringLiteral("Set"));
    presetMode->setChecked(false);
    presetMode->setFocusPolicy(Qt::NoFocus);
    recallMode = make<QRadioButton>(groupBox_2, "recallMode");
    recallMode->setText(QStringLiteral("Recall"));
    recallMode->setChecked(true);
    recallMode->setFocusPolicy(Qt::NoFocus);
    lockFocus = checkBox(groupBox_2, "lockFocus", QStringLiteral("Lock Focus"));
    autoFocus = checkBox(groupBox_2, "autoFocus", QStringLiteral("Auto Focus"));
    autoFocus->setFocusPolicy(Qt::NoFocus);
    modeRow->addWidget(presetMode);
    modeRow->addWidget(recallMode);
    modeRow->addStretch(1);
    modeRow->addWidget(lockFocus);
    modeRow->addWidget(autoFocus);
    controlLayout->addLayout(modeRow);

    auto presetButton = [this](const char *objectName, int n, bool noFocus) {
        auto *button = textButton(groupBox_2, objectName, QString::number(n));
        if (noFocus)
            button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    auto *presetGrid = row();
    mem1 = presetButton("mem1", 1, true);
    mem2 = presetButton("mem2", 2, true);
    mem3 = presetButton("mem3", 3, true);
    mem4 = presetButton("mem4", 4, false);
    mem5 = presetButton("mem5", 5, false);
    mem6 = presetButton("mem6", 6, false);
    QPushButton *gridColumns[3][2] = {{mem1, mem4}, {mem2, mem5}, {mem3, mem6}};
    for (auto &pair : gridColumns) {
        auto *presetColumn = column();
        for (QPushButton *button : pair) {
            button->setStyleSheet(MainWindowStyle::presetButtonStyle());
            presetColumn->addWidget(button);
        }
        presetGrid->addLayout(presetColumn);
    }
    controlLayout->addLayout(presetGrid);
    auto *presetRow = row();
    mem7 = presetButton("mem7", 7, false);
    mem8 = presetButton("mem8", 8, false);
    mem9 = presetButton("mem9", 9, false);
    presetRow->addWidget(mem7);
    presetRow->addWidget(mem8);
    presetRow->addWidget(mem9);
    controlLayout->addLayout(presetRow);

    storeExposure = checkBox(groupBox_2, "storeExposure",
                             QStringLiteral("Store exposure settings with each PTZ preset"));
    controlLayout->addWidget(storeExposure);
    panelLayout->addWidget(groupBox_2);
    panelLayout->addStretch(1);
}

void MainWindowUi::setupRightPanel()
{
    rightPanel = make<QWidget>(centralWidget, "rightPanel");
    auto *panelLayout = new QVBoxLayout(rightPanel);
    panelLayout->setSpacing(RowSpacing);
    panelLayout->setContentsMargins(PanelMargin, PanelMargin, PanelMargin, PanelMargin);

    // Speeds.
    optionsGroup = makeGroupBox(rightPanel, "optionsGroup", QStringLiteral("CONTROL/SPEED OPTIONS"));
    optionsGroup->setMinimumWidth(320);
    auto *optionsLayout = column();
    optionsGroup->setLayout(optionsLayout);
    auto *panTiltRow = row();
    label = rightAligned(textLabel(optionsGroup, "label", QStringLiteral("Pan")));
    panSpeed = combo(optionsGroup, "panSpeed", true);
    label_3 = rightAligned(textLabel(optionsGroup, "label_3", QStringLiteral("Tilt")));
    tiltSpeed = combo(optionsGroup, "tiltSpeed", true);
    panTiltLock = checkBox(optionsGroup, "panTiltLock", QStringLiteral("Pan/Tilt Speed Lock"));
    panTiltRow->addWidget(label);
    panTiltRow->addWidget(panSpeed);
    panTiltRow->addWidget(label_3);
    panTiltRow->addWidget(tiltSpeed);
    panTiltRow->addWidget(panTiltLock);
    optionsLayout->addLayout(panTiltRow);

    auto *lowerRow = row();
    auto *speedColumn = column(5);
    auto *lensSpeedRow = row();
    label_4 = rightAligned(textLabel(optionsGroup, "label_4", QStringLiteral("Focus")));
    focusSpeed = combo(optionsGroup, "focusSpeed", true);
    label_2 = rightAligned(textLabel(optionsGroup, "label_2", QStringLiteral("Zoom")));
    zoomSpeed = combo(optionsGroup, "zoomSpeed", true);
    lensSpeedRow->addWidget(label_4);
    lensSpeedRow->addWidget(focusSpeed);
    lensSpeedRow->addWidget(label_2);
    lensSpeedRow->addWidget(zoomSpeed);
    speedColumn->addLayout(lensSpeedRow);
    auto *presetSpeedRow = row();
    label_13 = rightAligned(textLabel(optionsGroup, "label_13", QStringLiteral("Preset")));
    presetSpeed = combo(optionsGroup, "presetSpeed", false);
    applyPresetSpeedBtn = textButton(optionsGroup, "applyPresetSpeedBtn", QStringLiteral("Apply"));
    presetSpeedRow->addWidget(label_13);
    presetSpeedRow->addWidget(presetSpeed);
    presetSpeedRow->addWidget(applyPresetSpeedBtn);
    speedColumn->addLayout(presetSpeedRow);
    auto *syncColumn = column(5);
    syncOnBtn = textButton(optionsGroup, "syncOnBtn", QStringLiteral("Motion Sync On"));
    syncOffBtn = textButton(optionsGroup, "syncOffBtn", QStringLiteral("Motion Sync Off"));
    syncColumn->addWidget(syncOnBtn);
    syncColumn->addWidget(syncOffBtn);
    lowerRow->addLayout(speedColumn);
    lowerRow->addLayout(syncColumn);
    optionsLayout->addLayout(lowerRow);
    panelLayout->addWidget(optionsGroup);

    // Exposure.
    exposureGroup = makeGroupBox(rightPanel, "exposureGroup", QStringLiteral("EXPOSURE"));
    auto *exposureLayout = column();
    exposureGroup->setLayout(exposureLayout);
    constexpr int CaptionWidth = 100;
    auto caption = [this](const char *objectName, const QString &text) {
        QLabel *l = textLabel(exposureGroup, objectName, text);
        l->setMinimumWidth(CaptionWidth);
        return l;
    };

    auto *modeRow = row();
    label_9 = caption("label_9", QStringLiteral("Modes"));
    aeModeSelect = combo(exposureGroup, "aeModeSelect", false);
    modeRow->addWidget(label_9);
    modeRow->addWidget(aeModeSelect, 1);
    exposureLayout->addLayout(modeRow);

    auto *shutterRow = row();
    label_11 = caption("label_11", QStringLiteral("Shutter Speed:"));
    shutterUp = textButton(exposureGroup, "shutterUp", QStringLiteral("Up"));
    shutterDown = textButton(exposureGroup, "shutterDown", QStringLiteral("Down"));
    shutterCombo = combo(exposureGroup, "shutterCombo", false);
    shutterRow->addWidget(label_11);
    shutterRow->addWidget(shutterUp);
    shutterRow->addWidget(shutterDown);
    shutterRow->addWidget(shutterCombo, 1);
    exposureLayout->addLayout(shutterRow);

    auto *irisRow = row();
    label_10 = caption("label_10", QStringLiteral("Iris:"));
    irisUp = textButton(exposureGroup, "irisUp", QStringLiteral("Brighter"));
    irisUp->setFocusPolicy(Qt::NoFocus);
    irisDown = textButton(exposureGroup, "irisDown", QStringLiteral("Darker"));
    irisDown->setFocusPolicy(Qt::NoFocus);
    irisCombo = combo(exposureGroup, "irisCombo", false);
    irisRow->addWidget(label_10);
    irisRow->addWidget(irisUp);
    irisRow->addWidget(irisDown);
    irisRow->addWidget(irisCombo, 1);
    exposureLayout->addLayout(irisRow);

    auto *brightRow = row();
    label_12 = caption("label_12", QStringLiteral("Brightness:"));
    brightUp = textButton(exposureGroup, "brightUp", QStringLiteral("Up"));
    brightDown = textButton(exposureGroup, "brightDown", QStringLiteral("Down"));
    brightCombo = combo(exposureGroup, "brightCombo", false);
    brightRow->addWidget(label_12);
    brightRow->addWidget(brightUp);
    brightRow->addWidget(brightDown);
    brightRow->addWidget(brightCombo, 1);
    exposureLayout->addLayout(brightRow);

    auto *sceneRow = row();
    auto scene = [this, sceneRow](QPushButton *&button, const char *buttonName, const char *picture,
                                  QLabel *&label, const char *labelName, const QString &text) {
        auto *sceneColumn = column(5);
        button = make<QPushButton>(exposureGroup, buttonName);
        button->setFixedSize(60, 30);
        button->setToolTip(text);
        button->setStyleSheet(MainWindowStyle::sceneButtonStyle(QLatin1String(picture)));
        label = textLabel(exposureGroup, labelName, text);
        label->setAlignment(Qt::AlignCenter);
        sceneColumn->addWidget(button, 0, Qt::AlignHCenter);
        sceneColumn->addWidget(label);
        sceneRow->addLayout(sceneColumn);
    };
    scene(lowLightBtn, "lowLightBtn", "lowlight.png", label_6, "label_6", QStringLiteral("Low Light"));
    scene(sportsDayBtn, "sportsDayBtn", "sports1.png", label_7, "label_7", QStringLiteral("Sports Day"));
    scene(sportsNightBtn, "sportsNightBtn", "sports2.png", label_8, "label_8",
          QStringLiteral("Sports Night"));
    exposureLayout->addLayout(sceneRow);
    panelLayout->addWidget(exposureGroup);

    // Image.
    imageGroup = makeGroupBox(rightPanel, "imageGroup", QStringLiteral("IMAGE/COLOR"));
    auto *imageLayout = row();
    imageGroup->setLayout(imageLayout);
    auto sliderColumn = [this, imageLayout](QLabel *&label, const char *labelName, const QString &text,
                                            QSlider *&s, const char *sliderName) {
        auto *sliderLayout = column(5);
        label = textLabel(imageGroup, labelName, text);
        s = slider(imageGroup, sliderName);
        sliderLayout->addWidget(label);
        sliderLayout->addWidget(s);
        imageLayout->addLayout(sliderLayout);
    };
    sliderColumn(label_14, "label_14", QStringLiteral("Luminance:"), luminanceSlider, "luminanceSlider");
    sliderColumn(label_15, "label_15", QStringLiteral("Contrast:"), contrastSlider, "contrastSlider");
    sliderColumn(label_16, "label_16", QStringLiteral("Hue:"), hueSlider, "hueSlider");
    panelLayout->addWidget(imageGroup);

    // White balance.
    colorGroup = makeGroupBox(rightPanel, "colorGroup", QStringLiteral("WHITE BALANCE"));
    auto *colorLayout = row();
    colorGroup->setLayout(colorLayout);
    wbCombo = combo(colorGroup, "wbCombo", false);
    onePushTriggerBtn = textButton(colorGroup, "onePushTriggerBtn", QStringLiteral("OnePushTrigger"));
    colorLayout->addWidget(wbCombo, 1);
    colorLayout->addWidget(onePushTriggerBtn);
    panelLayout->addWidget(colorGroup);

    // The camera's own on-screen menu and picture orientation.
    osdGroup = makeGroupBox(rightPanel, "osdGroup", QStringLiteral("OSD MENU CONTROL"));
    auto *osdLayout = column();
    osdGroup->setLayout(osdLayout);
    auto *keyRow = row();
    osdMenuBtn = textButton(osdGroup, "osdMenuBtn", QStringLiteral("OSD/PTZ Menu"));
    osdEnterBtn = textButton(osdGroup, "osdEnterBtn", QStringLiteral("Enter"));
    osdBackBtn = textButton(osdGroup, "osdBackBtn", QStringLiteral("Back"));
    keyRow->addWidget(osdMenuBtn);
    keyRow->addWidget(osdEnterBtn);
    keyRow->addWidget(osdBackBtn);
    osdLayout->addLayout(keyRow);
    auto *flipRow = row();
    imgFlipBtn = checkBox(osdGroup, "imgFlipBtn", QStringLiteral("Image Flip"));
    imgMirrorBtn = checkBox(osdGroup, "imgMirrorBtn", QStringLiteral("Image Mirror"));
    flipRow->addWidget(imgFlipBtn);
    flipRow->addWidget(imgMirrorBtn);
    osdLayout->addLayout(flipRow);
    panelLayout->addWidget(osdGroup);
    panelLayout->addStretch(1);
}

void MainWindowUi::setupMenus(QMainWindow *window)
{
    auto action = [window](const char *objectName, const QString &text, bool checkable = false) {
        auto *a = new QAction(window);
        a->setObjectName(QLatin1String(objectName));
        a->setText(text);
        a->setCheckable(checkable);
        return a;
    };
    actionMultiCameras = action("actionMultiCameras", QStringLiteral("Multi Cameras Setting"));
    actionJoyStick = action("actionJoyStick", QStringLiteral("Additional Input Setting"));
    actionPanTiltLimitSetting = action("actionPanTiltLimitSetting", QStringLiteral("Pan/Tilt Limit Setting"));
    actionSnapshotPath = action("actionSnapshotPath", QStringLiteral("Snapshot Path"));
    actionWebServerSetting = action("actionWebServerSetting", QStringLiteral("Web Server Setting"));
    actionPresetSetting = action("actionPresetSetting", QStringLiteral("Preset Setting"));
    actionExit = action("actionExit", QStringLiteral("Exit"));
    actionCompactMode = action("actionCompactMode", QStringLiteral("Compact View"));
    actionAdvancedMode = action("actionAdvancedMode", QStringLiteral("Advanced View"));
    actionStatusBar = action("actionStatusBar", QStringLiteral("Status Bar"), true);
    actionPreviewWindow = action("actionPreviewWindow", QStringLiteral("Preview Window"), true);
    actionBoundingBoxSetting = action("actionBoundingBoxSetting", QStringLiteral("Image Preview Map"));
    actionAboutUs = action("actionAboutUs", QStringLiteral("About Us"));
    actionXboxHelp = action("actionXboxHelp", QStringLiteral("XBox"));
    actionHotKeyHelp = action("actionHotKeyHelp", QStringLiteral("HotKey"));
    actionHelp = action("actionHelp", QStringLiteral("Help"));

    menuBar = make<QMenuBar>(window, "menuBar");
    menuBar->setGeometry(0, 0, 682, 21);
    menuMenu = make<QMenu>(menuBar, "menuMenu");
    menuMenu->setTitle(QStringLiteral("Settings"));
    menuView = make<QMenu>(menuBar, "menuView");
    menuView->setTitle(QStringLiteral("View"));
    menuWindow = make<QMenu>(menuBar, "menuWindow");
    menuWindow->setTitle(QStringLiteral("Window"));
    menuHelp = make<QMenu>(menuBar, "menuHelp");
    menuHelp->setTitle(QStringLiteral("Help"));
    window->setMenuBar(menuBar);

    menuBar->addAction(menuMenu->menuAction());
    menuBar->addAction(menuView->menuAction());
    menuBar->addAction(menuWindow->menuAction());
    menuBar->addAction(menuHelp->menuAction());
    menuMenu->addAction(actionMultiCameras);
    menuMenu->addAction(actionJoyStick);
    menuMenu->addAction(actionPanTiltLimitSetting);
    menuMenu->addAction(actionSnapshotPath);
    menuMenu->addAction(actionWebServerSetting);
    menuMenu->addAction(actionPresetSetting);
    menuMenu->addSeparator();
    menuMenu->addAction(actionExit);
    menuView->addAction(actionCompactMode);
    menuView->addAction(actionAdvancedMode);
    menuView->addAction(actionStatusBar);
    menuWindow->addAction(actionPreviewWindow);
    menuWindow->addAction(actionBoundingBoxSetting);
    menuHelp->addAction(actionAboutUs);
    menuHelp->addAction(actionXboxHelp);
    menuHelp->addAction(actionHotKeyHelp);
    menuHelp->addAction(actionHelp);
}
