#include "pantiltlimitdlg.h"

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "controlwindowlog.h"
#include "darkstyle.h"
#include "pantiltlimitdlgui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace {

// Indexes of the stored limits.
constexpr int LeftLimit = 0;
constexpr int RightLimit = 1;
constexpr int DownLimit = 2;
constexpr int UpLimit = 3;

AppSettings *settingsStore()
{
    AppServices *services = appServices();
    return services ? services->settings() : nullptr;
}

} // namespace

PanTiltLimitDlg::PanTiltLimitDlg(QWidget *parent, CameraWrapper *camera)
    : QDialog(parent), m_ui(std::make_unique<PanTiltLimitDlgUi>()), m_camera(camera)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    if (m_camera) {
        showStoredLimits();
        connect(m_camera, &CameraWrapper::clientStatusUpdated, this, &PanTiltLimitDlg::panTiltChanged);
    }

    const PanTiltLimitDlgUi &ui = *m_ui;
    connect(ui.moveUpBtn, &QPushButton::pressed, this, &PanTiltLimitDlg::moveUp);
    connect(ui.moveDownBtn, &QPushButton::pressed, this, &PanTiltLimitDlg::moveDown);
    connect(ui.moveLeftBtn, &QPushButton::pressed, this, &PanTiltLimitDlg::moveLeft);
    connect(ui.moveRightBtn, &QPushButton::pressed, this, &PanTiltLimitDlg::moveRight);
    connect(ui.moveHomeBtn, &QPushButton::pressed, this, &PanTiltLimitDlg::moveHome);
    for (QPushButton *button : {ui.moveUpBtn, ui.moveDownBtn, ui.moveLeftBtn, ui.moveRightBtn})
        connect(button, &QPushButton::released, this, &PanTiltLimitDlg::moveStop);
    connect(ui.rightUpBtn, &QPushButton::clicked, this, &PanTiltLimitDlg::applyUpRightLimit);
    connect(ui.leftDownBtn, &QPushButton::clicked, this, &PanTiltLimitDlg::applyDownLeftLimit);
}

PanTiltLimitDlg::~PanTiltLimitDlg() = default;

quint32 PanTiltLimitDlg::decodePosition(const quint8 (&parts)[4])
{
    const QString text = QString::asprintf("%x%x%x%x", parts[0], parts[1], parts[2], parts[3]);
    return text.toUInt(nullptr, 16);
}

bool PanTiltLimitDlg::isNegativeSide(quint32 position)
{
    return position <= 0xFFFF && (position & 0xF000) == 0xF000;
}

void PanTiltLimitDlg::showStoredLimits()
{
    AppSettings *store = settingsStore();
    if (!store)
        return;
    const QString id = m_camera->cameraId();
    m_ui->leftLimitEdit->setText(QString::number(store->cameraLimit(id, LeftLimit)));
    m_ui->rightLimitEdit->setText(QString::number(store->cameraLimit(id, RightLimit)));
    m_ui->downLimitEdit->setText(QString::number(store->cameraLimit(id, DownLimit)));
    m_ui->upLimitEdit->setText(QString::number(store->cameraLimit(id, UpLimit)));
}

void PanTiltLimitDlg::moveUp()
{
    if (m_camera)
        m_camera->moveUp(PadSpeed, PadSpeed);
}

void PanTiltLimitDlg::moveDown()
{
    if (m_camera)
        m_camera->moveDown(PadSpeed, PadSpeed);
}

void PanTiltLimitDlg::moveLeft()
{
    if (m_camera)
        m_camera->moveLeft(PadSpeed, PadSpeed);
}

void PanTiltLimitDlg::moveRight()
{
    if (m_camera)
        m_camera->moveRight(PadSpeed, PadSpeed);
}

void PanTiltLimitDlg::moveHome()
{
    if (m_camera)
        m_camera->moveHome();
}

void PanTiltLimitDlg::moveStop()
{
    if (m_camera)
        m_camera->stopMoving(PadSpeed, PadSpeed);
}

void PanTiltLimitDlg::panTiltChanged()
{
    if (!m_camera)
        return;
    const quint32 pan = decodePosition(m_camera->panPos);
    if (!isNegativeSide(pan))
        m_ui->panLabel->setText(QStringLiteral("Pan(right) :")
                                + QString::number(m_camera->rightPanDegrees(int(pan))));
    else
        m_ui->panLabel->setText(QStringLiteral("Pan(Left) :")
                                + QString::number(m_camera->leftPanDegrees(int(pan))));

    const quint32 tilt = decodePosition(m_camera->tiltPos);
    if (!isNegativeSide(tilt))
        m_ui->tiltLabel->setText(QStringLiteral("Tilt(Up) :")
                                 + QString::number(m_camera->upTiltDegrees(int(tilt))));
    else
        m_ui->tiltLabel->setText(QStringLiteral("Tilt(Down) :")
                                 + QString::number(m_camera->downTiltDegrees(int(tilt))));
}

void PanTiltLimitDlg::applyDownLeftLimit()
{
    if (!m_camera)
        return;
    const quint32 currentPan = decodePosition(m_camera->panPos);
    const quint32 currentTilt = decodePosition(m_camera->tiltPos);
    const int pan = isNegativeSide(currentPan) ? int(currentPan) : WidestLeftPosition;
    const int tilt = isNegativeSide(currentTilt) ? int(currentTilt) : WidestDownPosition;
    const int left = m_camera->leftPanDegrees(pan);
    const int down = m_camera->downTiltDegrees(tilt);

    m_ui->leftLimitEdit->setText(QString::number(left));
    m_ui->downLimitEdit->setText(QString::number(down));
    if (AppSettings *store = settingsStore()) {
        store->setCameraLimit(m_camera->cameraId(), LeftLimit, left);
        store->setCameraLimit(m_camera->cameraId(), DownLimit, down);
    }
    qCDebug(lcControlWindow) << "pan/tilt limit down-left" << Qt::hex << pan << tilt;
    m_camera->setPanTiltLimitDownLeft(tilt, pan);
}

void PanTiltLimitDlg::applyUpRightLimit()
{
    if (!m_camera)
        return;
    const quint32 currentPan = decodePosition(m_camera->panPos);
    const quint32 currentTilt = decodePosition(m_camera->tiltPos);
    const int pan = isNegativeSide(currentPan) ? WidestRightPosition : int(currentPan);
    const int tilt = isNegativeSide(currentTilt) ? WidestUpPosition : int(currentTilt);
    const int right = m_camera->rightPanDegrees(pan);
    const int up = m_camera->upTiltDegrees(tilt);

    m_ui->rightLimitEdit->setText(QString::number(right));
    m_ui->upLimitEdit->setText(QString::number(up));
    if (AppSettings *store = settingsStore()) {
        store->setCameraLimit(m_camera->cameraId(), RightLimit, right);
        store->setCameraLimit(m_camera->cameraId(), UpLimit, up);
    }
    qCDebug(lcControlWindow) << "pan/tilt limit up-right" << Qt::hex << pan << tilt;
    m_camera->setPanTiltLimitUpRight(tilt, pan);
}
