#include "presetsettingdlg.h"

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "darkstyle.h"
#include "presetsettingdlgui.h"
#include "snapshotfilepath.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PresetSettingDlg::PresetSettingDlg(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<PresetSettingDlgUi>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    for (int n = 1; n <= PresetCount; ++n)
        m_ui->presetCmb->addItem(QString::number(n));

    const PresetSettingDlgUi &ui = *m_ui;
    connect(ui.setBtn, &QPushButton::clicked, this, &PresetSettingDlg::onSetBtnClicked);
    connect(ui.callBtn, &QPushButton::clicked, this, &PresetSettingDlg::onRecallBtnClicked);
    connect(ui.clearImageBtn, &QPushButton::clicked, this, &PresetSettingDlg::onClearImageBtnClicked);
    connect(ui.clearPresetBtn, &QPushButton::clicked, this, &PresetSettingDlg::onClearPresetBtnClicked);
    connect(ui.upBtn, &QPushButton::pressed, this, &PresetSettingDlg::onMoveUpBtnPressed);
    connect(ui.downBtn, &QPushButton::pressed, this, &PresetSettingDlg::onMoveDownBtnPressed);
    connect(ui.leftBtn, &QPushButton::pressed, this, &PresetSettingDlg::onMoveLeftBtnPressed);
    connect(ui.rightBtn, &QPushButton::pressed, this, &PresetSettingDlg::onMoveRightBtnPressed);
    connect(ui.inBtn, &QPushButton::pressed, this, &PresetSettingDlg::onZoomInBtnPressed);
    connect(ui.outBtn, &QPushButton::pressed, this, &PresetSettingDlg::onZoomOutBtnPressed);
    // Home is a single command: its release sends nothing.
    connect(ui.homeBtn, &QPushButton::pressed, this, &PresetSettingDlg::onMoveHomeBtnClicked);
    connect(ui.upBtn, &QPushButton::released, this, &PresetSettingDlg::onMoveUpBtnReleased);
    connect(ui.downBtn, &QPushButton::released, this, &PresetSettingDlg::onMoveDownBtnReleased);
    connect(ui.leftBtn, &QPushButton::released, this, &PresetSettingDlg::onMoveLeftBtnReleased);
    connect(ui.rightBtn, &QPushButton::released, this, &PresetSettingDlg::onMoveRightBtnReleased);
    connect(ui.inBtn, &QPushButton::released, this, &PresetSettingDlg::onZoomInBtnReleased);
    connect(ui.outBtn, &QPushButton::released, this, &PresetSettingDlg::onZoomOutBtnReleased);
    connect(ui.presetCmb, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &PresetSettingDlg::onPresetCmbChanged);

    onPresetCmbChanged(0);
}

PresetSettingDlg::~PresetSettingDlg() = default;

void PresetSettingDlg::setCamera(CameraWrapper *camera)
{
    m_camera = camera;
    // The list keeps its number; picture and name switch to preset 1 of the new camera.
    onPresetCmbChanged(0);
}

CameraWrapper *PresetSettingDlg::camera() const
{
    return m_camera;
}

int PresetSettingDlg::selectedPreset() const
{
    return m_ui->presetCmb->currentIndex() + 1;
}

void PresetSettingDlg::refreshPresetImage(int presetNum)
{
    if (m_camera && presetNum == selectedPreset())
        showPicture(presetNum);
}

QString PresetSettingDlg::pictureStyle(const QString &path)
{
    return QStringLiteral("QLabel{\timage : url('") + path + QStringLiteral("');\n}");
}

void PresetSettingDlg::onPresetCmbChanged(int index)
{
    if (!m_camera)
        return;
    const int presetNum = index + 1;
    showPicture(presetNum);
    QString name;
    if (AppServices *services = appServices(); services && services->settings())
        name = services->settings()->presetName(m_camera->cameraId(), presetNum);
    else
        name = QString::number(presetNum);
    m_ui->presetEdit->setText(name);
}

void PresetSettingDlg::showPicture(int presetNum)
{
    const QString path = snapshotFilePath(m_camera->cameraId(), presetNum);
    // An id that cannot name a picture file has no picture to show.
    m_ui->imgLbl->setStyleSheet(path.isEmpty() ? QString() : pictureStyle(path));
}

void PresetSettingDlg::onSetBtnClicked()
{
    Q_EMIT setPreset(selectedPreset(), m_ui->presetEdit->text());
}

void PresetSettingDlg::onRecallBtnClicked()
{
    Q_EMIT recallPreset(selectedPreset());
}

void PresetSettingDlg::onClearImageBtnClicked()
{
    Q_EMIT clearImage(selectedPreset());
}

void PresetSettingDlg::onClearPresetBtnClicked()
{
    Q_EMIT clearPreset(selectedPreset());
}

void PresetSettingDlg::onMoveUpBtnPressed()
{
    Q_EMIT moveUpPress();
}

void PresetSettingDlg::onMoveDownBtnPressed()
{
    Q_EMIT moveDownPress();
}

void PresetSettingDlg::onMoveLeftBtnPressed()
{
    Q_EMIT moveLeftPress();
}

void PresetSettingDlg::onMoveRightBtnPressed()
{
    Q_EMIT moveRightPress();
}

void PresetSettingDlg::onZoomInBtnPressed()
{
    Q_EMIT zoomInPress();
}

void PresetSettingDlg::onZoomOutBtnPressed()
{
    Q_EMIT zoomOutPress();
}

void PresetSettingDlg::onMoveHomeBtnClicked()
{
    Q_EMIT moveHome();
}

void PresetSettingDlg::onMoveUpBtnReleased()
{
    Q_EMIT moveUpRelease();
}

void PresetSettingDlg::onMoveDownBtnReleased()
{
    Q_EMIT moveDownRelease();
}

void PresetSettingDlg::onMoveLeftBtnReleased()
{
    Q_EMIT moveLeftRelease();
}

void PresetSettingDlg::onMoveRightBtnReleased()
{
    Q_EMIT moveRightRelease();
}

void PresetSettingDlg::onZoomInBtnReleased()
{
    Q_EMIT zoomInRelease();
}

void PresetSettingDlg::onZoomOutBtnReleased()
{
    Q_EMIT zoomOutRelease();
}
