// MainWindow: exposure, image, white balance, on-screen menu and picture orientation.

#include "mainwindow.h"

#include "previewwin.h"

#include "aemodecontrols.h"
#include "camerawrapper.h"
#include "mainwindowui.h"
#include "speedrange.h"
#include "viscatables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace {

constexpr int BrightCount = 18;
constexpr int PresetSpeedCount = 24;

// Scene shortcuts: exposure mode, shutter and iris table indexes.
struct Scene
{
    int aeMode;
    int shutter;
    int iris;
};
constexpr int ManualMode = 1;
constexpr Scene LowLight = {ManualMode, 1, 12};    // 1/60, F1.8
constexpr Scene SportsDay = {ManualMode, 6, 5};    // 1/250, F5.6
constexpr Scene SportsNight = {ManualMode, 4, 12}; // 1/125, F1.8

constexpr int OnePushWbIndex = 3;

} // namespace

void MainWindow::connectExposureControls()
{
    const MainWindowUi &ui = *m_ui;
    m_aeModeControls
        = std::make_unique<AeModeControls>(QList<QWidget *>{ui.shutterUp, ui.shutterDown, ui.shutterCombo},
                                           QList<QWidget *>{ui.irisUp, ui.irisDown, ui.irisCombo},
                                           QList<QWidget *>{ui.brightUp, ui.brightDown, ui.brightCombo});

    connect(ui.aeModeSelect, &QComboBox::currentIndexChanged, this, &MainWindow::onAeModeSelected);
    connect(ui.shutterCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onShutterComboChanged);
    connect(ui.irisCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onIrisComboChanged);
    connect(ui.brightCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onBrightComboChanged);
    connect(ui.shutterUp, &QPushButton::clicked, this, &MainWindow::onShutterUpClicked);
    connect(ui.shutterDown, &QPushButton::clicked, this, &MainWindow::onShutterDownClicked);
    connect(ui.irisUp, &QPushButton::clicked, this, &MainWindow::onIrisUpClicked);
    connect(ui.irisDown, &QPushButton::clicked, this, &MainWindow::onIrisDownClicked);
    connect(ui.brightUp, &QPushButton::clicked, this, &MainWindow::onBrightUpClicked);
    connect(ui.brightDown, &QPushButton::clicked, this, &MainWindow::onBrightDownClicked);
    connect(ui.lowLightBtn, &QPushButton::clicked, this, &MainWindow::onLowLightBtnClicked);
    connect(ui.sportsDayBtn, &QPushButton::clicked, this, &MainWindow::onSportsDayBtnClicked);
    connect(ui.sportsNightBtn, &QPushButton::clicked, this, &MainWindow::onSportsNightBtnClicked);
    connect(ui.luminanceSlider, &QSlider::valueChanged, this, &MainWindow::onLuminanceSliderMoved);
    connect(ui.contrastSlider, &QSlider::valueChanged, this, &MainWindow::onContrastSliderMoved);
    connect(ui.hueSlider, &QSlider::valueChanged, this, &MainWindow::onHueSliderMoved);
    connect(ui.wbCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onWBModeSelected);
    connect(ui.onePushTriggerBtn, &QPushButton::clicked, this, &MainWindow::onOnePushTriggerBtnClicked);
    connect(ui.osdMenuBtn, &QPushButton::clicked, this, &MainWindow::onOsdMenuClicked);
    connect(ui.osdEnterBtn, &QPushButton::clicked, this, &MainWindow::onOsdEnterClicked);
    connect(ui.osdBackBtn, &QPushButton::clicked, this, &MainWindow::onOsdBackClicked);
    // clicked(): the boxes report their state after the click.
    connect(ui.imgFlipBtn, &QCheckBox::clicked, this, &MainWindow::onImageFlip);
    connect(ui.imgMirrorBtn, &QCheckBox::clicked, this, &MainWindow::onImageMirror);
}

void MainWindow::fillComboBoxes()
{
    const SpeedRange none;
    fillSpeedCombo(m_ui->panSpeed, none);
    fillSpeedCombo(m_ui->tiltSpeed, none);
    fillSpeedCombo(m_ui->zoomSpeed, none);
    fillSpeedCombo(m_ui->focusSpeed, none);
    for (int speed = 1; speed <= PresetSpeedCount; ++speed)
        m_ui->presetSpeed->addItem(QString::number(speed));
    m_ui->presetSpeed->setCurrentIndex(0);

    m_ui->aeModeSelect->addItems(ViscaTables::aeModeLabels());
    m_ui->shutterCombo->addItems(ViscaTables::shutterLabels());
    m_ui->irisCombo->addItems(ViscaTables::irisLabels());
    for (int value = 0; value < BrightCount; ++value)
        m_ui->brightCombo->addItem(QString::number(value));
    m_ui->wbCombo->addItems(ViscaTables::wbModeLabels());
    m_ui->onePushTriggerBtn->setEnabled(false);
}

void MainWindow::onAeModeSelected(int index)
{
    m_aeModeControls->apply(index);
    if (canSendExposure())
        currentCamera()->setAeMode(index);
}

void MainWindow::onShutterComboChanged(int index)
{
    if (canSendExposure())
        currentCamera()->setShutter(index);
}

void MainWindow::onIrisComboChanged(int index)
{
    if (canSendExposure())
        currentCamera()->setIris(index);
}

void MainWindow::onBrightComboChanged(int index)
{
    if (canSendExposure())
        currentCamera()->setBright(index);
}

void MainWindow::stepComboIndex(QComboBox *combo, int delta)
{
    // At either end the index stays, so the combo's handler does not run and nothing is sent.
    const int index = std::clamp(combo->currentIndex() + delta, 0, combo->count() - 1);
    combo->setCurrentIndex(index);
}

void MainWindow::onShutterUpClicked()
{
    if (canSend())
        stepComboIndex(m_ui->shutterCombo, +1);
}

void MainWindow::onShutterDownClicked()
{
    if (canSend())
        stepComboIndex(m_ui->shutterCombo, -1);
}

void MainWindow::onIrisUpClicked()
{
    if (canSend())
        stepComboIndex(m_ui->irisCombo, +1);
}

void MainWindow::onIrisDownClicked()
{
    if (canSend())
        stepComboIndex(m_ui->irisCombo, -1);
}

void MainWindow::onBrightUpClicked()
{
    if (canSend())
        currentCamera()->brightUp();
}

void MainWindow::onBrightDownClicked()
{
    if (canSend())
        currentCamera()->brightDown();
}

void MainWindow::applyScene(int aeModeIndex, int shutterIndex, int irisIndex)
{
    // Each change runs its combo's handler, so the camera gets the mode, shutter and iris in this order;
    // a combo already at its target sends nothing.
    m_ui->aeModeSelect->setCurrentIndex(aeModeIndex);
    m_ui->shutterCombo->setCurrentIndex(shutterIndex);
    m_ui->irisCombo->setCurrentIndex(irisIndex);
}

void MainWindow::onLowLightBtnClicked()
{
    applyScene(LowLight.aeMode, LowLight.shutter, LowLight.iris);
}

void MainWindow::onSportsDayBtnClicked()
{
    applyScene(SportsDay.aeMode, SportsDay.shutter, SportsDay.iris);
}

void MainWindow::onSportsNightBtnClicked()
{
    applyScene(SportsNight.aeMode, SportsNight.shutter, SportsNight.iris);
}

void MainWindow::onLuminanceSliderMoved(int pos)
{
    if (canSendExposure())
        currentCamera()->setLuminance(pos);
}

void MainWindow::onContrastSliderMoved(int pos)
{
    if (canSendExposure())
        currentCamera()->setContrast(pos);
}

void MainWindow::onHueSliderMoved(int pos)
{
    if (canSendExposure())
        currentCamera()->setHue(pos);
}

void MainWindow::stepSlider(QSlider *slider, bool increase)
{
    // A controller repeats its trigger quickly; only every third one, over all three sliders, moves one.
    m_sliderStepCounter = (m_sliderStepCounter + 1) % 3;
    if (m_sliderStepCounter != 0)
        return;
    const int value = std::clamp(slider->value() + (increase ? 1 : -1), slider->minimum(), slider->maximum());
    slider->setValue(value);
}

void MainWindow::onLuminanceChangeTriggered(bool increase)
{
    stepSlider(m_ui->luminanceSlider, increase);
}

void MainWindow::onContrastChangeTriggered(bool increase)
{
    stepSlider(m_ui->contrastSlider, increase);
}

void MainWindow::onHueChangeTriggered(bool increase)
{
    stepSlider(m_ui->hueSlider, increase);
}

void MainWindow::onWBModeSelected(int index)
{
    if (!canSend())
        return;
    if (canSendExposure())
        currentCamera()->setWbMode(index);
    m_ui->onePushTriggerBtn->setEnabled(index == OnePushWbIndex);
}

void MainWindow::onOnePushTriggerBtnClicked()
{
    if (canSend())
        currentCamera()->triggerOnePushWb();
}

void MainWindow::onOsdMenuClicked()
{
    if (!canSend())
        return;
    currentCamera()->osdMenu();
    // The menu shows on the camera's first stream only.
    if (m_previewWin->isPlaying() && !m_previewWin->isFirstStreamChecked()) {
        m_previewWin->setFirstStreamChecked(true);
        m_previewWin->stopPlayback();
        m_previewWin->startPlayback();
    }
}

void MainWindow::onOsdEnterClicked()
{
    if (canSend())
        currentCamera()->osdEnter();
}

void MainWindow::onOsdBackClicked()
{
    if (canSend())
        currentCamera()->osdBack();
}

void MainWindow::onImageFlip()
{
    if (canSend())
        currentCamera()->setImageFlip(m_ui->imgFlipBtn->isChecked());
}

void MainWindow::onImageMirror()
{
    if (canSend())
        currentCamera()->setImageMirror(m_ui->imgMirrorBtn->isChecked());
}
