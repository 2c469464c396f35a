#include "previewwin.h"

#include "absback.h"
#include "absolutelayout.h"
#include "appservices.h"
#include "appsettings.h"
#include "boundingbox.h"
#include "camerawrapper.h"
#include "datapaths.h"
#include "mpvplayer.h"
#include "pictureinpicture.h"
#include "previewlog.h"
#include "previewstyle.h"
#include "usbvideonode.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
const char OpenFailedMessage[] = "Can not open your live stream.";
constexpr int OverlayRefreshDelayMs = 150;
constexpr int UsbCameraType = 1;

Qt::WindowFlags floatingWindowFlags()
{
    return Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
           | Qt::WindowCloseButtonHint;
}
} // namespace

PreviewWin::PreviewWin(QWidget *parent)
    : QDialog(parent)
    , m_host(parent)
    , m_mainPlayer(new MpvPlayer(this))
    , m_pictureInPicturePlayer(new MpvPlayer(this))
    , m_refreshTimer(new QTimer(this))
{
    buildWidgets();
    setWindowFlags(floatingWindowFlags());
    setModal(false);

    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(OverlayRefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &PreviewWin::boundingBoxSizeMove);

    connect(m_mainPlayer, &MpvPlayer::playing, this, &PreviewWin::pictureShown);
    connect(m_mainPlayer, &MpvPlayer::failed, this, &PreviewWin::onMainPlayerFailed);
    connect(m_mainPlayer, &MpvPlayer::ended, this, &PreviewWin::onMainPlayerEnded);
    connect(m_pictureInPicturePlayer, &MpvPlayer::failed, this,
            [](const QString &reason) { qCWarning(lcPreview) << "picture in picture:" << reason; });

    for (int n = 1; n <= BoxCount; ++n)
        connect(box(n), &BoundingBox::presetClicked, this, &PreviewWin::onPresetCalled);
    connect(m_startBtn, &QPushButton::clicked, this, &PreviewWin::onStartBtnClicked);
    connect(m_stopBtn, &QPushButton::clicked, this, &PreviewWin::onStopBtnClicked);
    connect(m_firstStream, &QRadioButton::clicked, this, &PreviewWin::onStreamChanged);
    connect(m_secondStream, &QRadioButton::clicked, this, &PreviewWin::onStreamChanged);
    connect(m_snapBox, &QCheckBox::toggled, this, &PreviewWin::onSnapClicked);
    connect(m_homeBtn, &QPushButton::clicked, this, &PreviewWin::onHomeBtnClicked);
    connect(m_takeSnapShotBtn, &QPushButton::clicked, this, &PreviewWin::onTakeSnapShotClicked);
}

PreviewWin::~PreviewWin()
{
    // The players draw into windows that are about to go: stop them first.
    m_pictureInPicturePlayer->stop();
    m_mainPlayer->stop();
}

void PreviewWin::buildWidgets()
{
    setObjectName(QStringLiteral("PreviewWin"));
    setWindowTitle(QStringLiteral("Preview Window"));
    setStyleSheet(PreviewStyle::previewWindowStyleSheet());

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);
    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    m_takeSnapShotBtn = button("takeSnapShotBtn", QStringLiteral("Take a snapshot"));
    m_startBtn = button("startBtn", QStringLiteral("Start"));
    m_stopBtn = button("stopBtn", QStringLiteral("Stop"));
    m_homeBtn = button("homeBtn", QStringLiteral("Home"));
    m_firstStream = new QRadioButton(QStringLiteral("Stream1 (HD)"), this);
    m_firstStream->setObjectName(QStringLiteral("firstStream"));
    m_secondStream = new QRadioButton(QStringLiteral("Stream2 (SD)"), this);
    m_secondStream->setObjectName(QStringLiteral("secondStream"));
    m_secondStream->setChecked(true);
    m_snapBox = new QCheckBox(QStringLiteral("Snap"), this);
    m_snapBox->setObjectName(QStringLiteral("snapBox"));

    top->addWidget(m_frame);
    top->addStretch();
    top->addWidget(m_takeSnapShotBtn);
    top->addWidget(m_startBtn);
    top->addWidget(m_stopBtn);
    top->addWidget(m_homeBtn);
    top->addWidget(m_firstStream);
    top->addWidget(m_secondStream);
    top->addStretch();
    top->addWidget(m_snapBox);
    layout->addLayout(top);

    m_playerWrapper = new QWidget(this);
    m_playerWrapper->setObjectName(QStringLiteral("playerWrapper"));
    m_playerWrapper->setMinimumSize(640, 360);
    m_playerWrapper->setStyleSheet(QStringLiteral("QWidget#playerWrapper{\nbackground : black;\n}"));
    layout->addWidget(m_playerWrapper, 1);

    // Stacking order is the order of the layout: video, background, boxes 1-9, picture in picture.
    // Every overlay item is a native window like the video's: the player's window would cover any
    // item drawn into the parent's window.
    m_overlayLayout = new AbsoluteLayout(m_playerWrapper);
    m_videoLayer = new AbsBack(m_playerWrapper, 1);
    m_backgroundLayer = new AbsBack(m_playerWrapper, 2);
    m_overlayLayout->addWidget(m_videoLayer, QPoint(0, 0));
    m_overlayLayout->addWidget(m_backgroundLayer, QPoint(0, 0));
    for (int n = 1; n <= BoxCount; ++n) {
        auto *b = new BoundingBox(m_playerWrapper);
        b->setPresetNumber(n);
        b->setTitle(QStringLiteral("Custom Preset%1").arg(n));
        m_boxes[n - 1] = b;
        m_overlayLayout->addWidget(b, QPoint(0, 0));
    }
    m_pictureInPicture = new PictureInPicture(m_playerWrapper);
    m_overlayLayout->addWidget(m_pictureInPicture, QPoint(0, 0));

    const QList<QWidget *> natives = {m_videoLayer, m_videoLayer->backFrame(), m_backgroundLayer,
                                      m_pictureInPicture, m_pictureInPicture->videoFrame()};
    for (QWidget *w : natives)
        w->setAttribute(Qt::WA_NativeWindow);
    for (BoundingBox *b : m_boxes)
        b->setAttribute(Qt::WA_NativeWindow);

    m_backgroundLayer->hide();
    for (BoundingBox *b : m_boxes)
        b->hide();
    m_pictureInPicture->hide();

    setMinimumSize(658, 409);
    resize(658, 409);
}

BoundingBox *PreviewWin::box(int n) const
{
    if (n < 1 || n > BoxCount)
        return nullptr;
    return m_boxes[n - 1];
}

AppSettings *PreviewWin::settings() const
{
    AppServices *services = appServices();
    return services ? services->settings() : nullptr;
}

QString PreviewWin::cameraIdOrEmpty() const
{
    return m_camera ? m_camera->cameraId() : QString();
}

void PreviewWin::setCamera(CameraWrapper *camera)
{
    m_camera = camera;
    const QString id = cameraIdOrEmpty();
    for (BoundingBox *b : m_boxes)
        b->setCameraId(id);
    m_pictureInPicture->setCamera(camera);
}

CameraWrapper *PreviewWin::camera() const
{
    return m_camera;
}

void PreviewWin::setCameraAvailable(bool available)
{
    m_cameraAvailable = available;
}

QString PreviewWin::mediaLocation() const
{
    return m_playing ? m_location : QString();
}

bool PreviewWin::hasPicture() const
{
    return m_playing && m_mainPlayer->hasPicture();
}

void PreviewWin::startPlayback()
{
    if (m_playing || !m_cameraAvailable || !m_camera)
        return;
    const int stream = m_firstStream->isChecked() ? 1 : 2;
    const bool usb = m_camera->cameraType() == UsbCameraType;
    QString location;
    if (usb) {
        const QString node = usbVideoNode(m_camera->cameraId());
        if (node.isEmpty()) {
            qCWarning(lcPreview) << "no video node for the USB camera" << m_camera->cameraId();
            showPreviewMessage(QString::fromLatin1(OpenFailedMessage));
            return;
        }
        location = QStringLiteral("av://v4l2:") + node;
    } else {
        location = QStringLiteral("rtsp://%1/%2").arg(m_camera->cameraId()).arg(stream);
    }

    if (!m_mainPlayer->play(location, m_videoLayer->backFrame())) {
        qCWarning(lcPreview) << "cannot play" << location << ":" << m_mainPlayer->errorString();
        showPreviewMessage(QString::fromLatin1(OpenFailedMessage));
        return;
    }
    m_location = location;
    m_playing = true;
    m_firstStream->setVisible(!usb);
    m_secondStream->setVisible(!usb);
    loadPresetMap();
    boundingBoxSizeMove();
    Q_EMIT playingChanged(true);
}

void PreviewWin::stopPlayback()
{
    if (!m_playing)
        return;
    m_pictureInPicturePlayer->stop();
    m_mainPlayer->stop();
    m_playing = false;
    m_location.clear();
    hideBoundingBox();
    Q_EMIT playingChanged(false);
}

void PreviewWin::onMainPlayerFailed(const QString &reason)
{
    qCWarning(lcPreview) << "live stream failed:" << m_location << reason;
    const bool hadPicture = m_mainPlayer->hasPicture();
    stopPlayback();
    if (!hadPicture)
        showPreviewMessage(QString::fromLatin1(OpenFailedMessage));
}

void PreviewWin::onMainPlayerEnded()
{
    // The camera closed its stream (restarted, or its link went down): nothing left to show.
    qCInfo(lcPreview) << "live stream ended:" << m_location;
    stopPlayback();
}

void PreviewWin::updatePictureInPicturePlayer()
{
    // The second player costs the camera a second stream: it runs only while its frame is shown.
    const bool wanted = m_playing && !m_pictureInPicture->isHidden();
    if (wanted && !m_pictureInPicturePlayer->isActive()) {
        if (!m_pictureInPicturePlayer->play(m_location, m_pictureInPicture->videoFrame())) {
            qCWarning(lcPreview) << "picture in picture:" << m_pictureInPicturePlayer->errorString();
            showPreviewMessage(QString::fromLatin1(OpenFailedMessage));
        }
    } else if (!wanted && m_pictureInPicturePlayer->isActive()) {
        m_pictureInPicturePlayer->stop();
    }
}

bool PreviewWin::isFirstStreamChecked() const
{
    return m_firstStream->isChecked();
}

void PreviewWin::setFirstStreamChecked(bool checked)
{
    if (checked)
        m_firstStream->setChecked(true);
    else
        m_secondStream->setChecked(true);
}

bool PreviewWin::isSnapped() const
{
    return m_snapBox->isChecked();
}

void PreviewWin::setSnapLayout(QBoxLayout *layout)
{
    m_snapLayout = layout;
}

QString PreviewWin::snapshotFileName(const QDateTime &time)
{
    return time.toString(QStringLiteral("dd-MM-yyyy-hh-mm-ss-zzz")) + QStringLiteral(".png");
}

bool PreviewWin::takeSnapShot(const QString &path)
{
    if (!m_playing)
        return false;
    if (!m_mainPlayer->saveFrame(path)) {
        qCWarning(lcPreview) << "snapshot failed:" << m_mainPlayer->errorString();
        return false;
    }
    return true;
}

void PreviewWin::onTakeSnapShotClicked()
{
    if (!m_playing)
        return;
    AppSettings *store = settings();
    QString folder = store ? store->snapshotPath() : QString();
    if (folder.isEmpty()) {
        // No folder chosen yet: the data folder's downloads, never the root of the file system.
        DataPaths::ensureFolders();
        folder = DataPaths::downloadsFolder();
    }
    const QString path = QDir(folder).filePath(snapshotFileName(QDateTime::currentDateTime()));
    if (takeSnapShot(path))
        qCInfo(lcPreview) << "snapshot saved to" << path;
}

void PreviewWin::onHomeBtnClicked()
{
    if (m_playing && m_camera)
        m_camera->moveHome();
}

void PreviewWin::onStreamChanged()
{
    stopPlayback();
    startPlayback();
}

void PreviewWin::onStartBtnClicked()
{
    startPlayback();
}

void PreviewWin::onStopBtnClicked()
{
    stopPlayback();
}

void PreviewWin::onPresetCalled(int preset)
{
    // Custom preset n of the preset map is the camera's preset n + 100.
    if (m_playing && m_camera)
        m_camera->callPreset(preset + 100);
}

void PreviewWin::onSnapClicked()
{
    const bool snapped = m_snapBox->isChecked();
    // Changing between window and child widget re-creates the native windows the players draw into.
    const bool wasPlaying = m_playing;
    stopPlayback();
    if (snapped) {
        setWindowFlags(Qt::Widget);
        if (m_snapLayout)
            m_snapLayout->addWidget(this);
        show();
    } else {
        if (m_snapLayout)
            m_snapLayout->removeWidget(this);
        setWindowFlags(floatingWindowFlags());
    }
    if (m_host)
        m_host->adjustSize();
    Q_EMIT snapChanged(snapped);
    if (!snapped)
        showMaximized();
    if (wasPlaying)
        startPlayback();
}

void PreviewWin::showPreviewMessage(const QString &text)
{
    // One box at a time: a camera that keeps failing must not pile them up.
    if (m_message && m_message->isVisible() && m_message->text() == text)
        return;
    auto *box
        = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Tavimorex"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    m_message = box;
    box->show();
}

void PreviewWin::scheduleOverlayRefresh()
{
    m_refreshTimer->start();
}

void PreviewWin::resizeEvent(QResizeEvent *event)
{
    scheduleOverlayRefresh();
    QDialog::resizeEvent(event);
}

void PreviewWin::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        scheduleOverlayRefresh();
    QDialog::changeEvent(event);
}

void PreviewWin::closeEvent(QCloseEvent *event)
{
    stopPlayback();
    Q_EMIT previewClosed();
    event->accept();
}

// Preset map

void PreviewWin::loadPresetMap()
{
    AppSettings *store = settings();
    if (!store || !m_camera)
        return;
    const QString id = m_camera->cameraId();
    if (store->snapshotBackType(id) != 0) {
        m_backgroundLayer->show();
        m_backgroundLayer->backFrame()->setStyleSheet(
            QStringLiteral("QFrame{image : url('%1') center center;background : black}")
                .arg(store->snapshotBack(id)));
        fitLayers();
        placeOverlay();
    } else {
        m_backgroundLayer->hide();
    }
    for (int n = 1; n <= BoxCount; ++n)
        loadBox(n);
}

void PreviewWin::loadBox(int n)
{
    AppSettings *store = settings();
    BoundingBox *b = box(n);
    if (!store || !b || !m_camera)
        return;
    const QString id = m_camera->cameraId();
    switch (store->snapshotBoxType(id, n)) {
    case 0:
        b->setDefaultLook();
        break;
    case 1:
        b->setImage(store->snapshotBox(id, n));
        break;
    case 2:
        b->setColor(store->snapshotBoxColor(id, n));
        break;
    default:
        break;
    }
    switch (store->centerType(id, n)) {
    case 0:
        b->removeCenter();
        break;
    case 1:
        b->showCrossHair();
        break;
    case 2:
        b->showCenterDiamond();
        break;
    default:
        break;
    }
    if (store->boxVisibility(id, n)) {
        b->show();
        placeOverlay();
    } else {
        b->hide();
    }
    b->setTitle(store->customPresetTitle(id, n));
}

void PreviewWin::boundingBoxSizeMove()
{
    AppSettings *store = settings();
    if (!m_playing || !store || !m_camera)
        return;
    const QString id = m_camera->cameraId();
    if (store->wrapperVisibility(id)) {
        m_backgroundLayer->setVisible(store->snapshotBackType(id) != 0);
        // A box the operator hid on its own stays hidden.
        for (int n = 1; n <= BoxCount; ++n)
            box(n)->setVisible(store->boxVisibility(id, n));
    } else {
        hideBoundingBox();
    }
    m_pictureInPicture->setVisible(store->pictureInPictureVisibility(id));
    fitLayers();
    placeOverlay();
    updatePictureInPicturePlayer();
}

void PreviewWin::hideBoundingBox()
{
    m_backgroundLayer->hide();
    for (BoundingBox *b : m_boxes)
        b->hide();
}

void PreviewWin::fitLayers()
{
    const QSize area = m_playerWrapper->size();
    m_videoLayer->setFixedSize(area);
    m_backgroundLayer->setFixedSize(area);
}

void PreviewWin::placeOverlay()
{
    AppSettings *store = settings();
    const QString id = cameraIdOrEmpty();
    const int cx = m_playerWrapper->width() / 2;
    const int cy = m_playerWrapper->height() / 2;
    // The layout sets no spacing; a style that reports none (-1) means no gaps.
    const int s = qMax(0, m_overlayLayout->spacing());

    m_videoLayer->move(0, 0);
    m_backgroundLayer->move(0, 0);
    for (int n = 1; n <= BoxCount; ++n) {
        const int i = n - 1;
        const QPoint p = store && !id.isEmpty() ? store->customPresetPos(id, n) : QPoint();
        if (p.isNull())
            box(n)->move(cx - 195 + (130 + s) * (i % 3) - s, cy - 121 + (81 + s) * (i / 3) - s);
        else
            box(n)->move(cx + p.x(), cy + p.y());
    }
    const QPoint q = store && !id.isEmpty() ? store->pictureInPicturePos(id) : QPoint();
    m_pictureInPicture->move(q.isNull() ? QPoint(0, 0) : QPoint(cx + q.x(), cy + q.y()));
}

void PreviewWin::showHideOverlays(bool visible)
{
    if (visible)
        boundingBoxSizeMove();
    else
        hideBoundingBox();
}

void PreviewWin::setBoxVisible(int n, bool visible)
{
    BoundingBox *b = box(n);
    if (!b)
        return;
    if (!visible) {
        b->hide();
        return;
    }
    b->show();
    placeOverlay();
}

void PreviewWin::setBackgroundImage(const QString &path)
{
    m_backgroundLayer->show();
    m_backgroundLayer->backFrame()->setStyleSheet(
        QStringLiteral("QFrame{image : url('%1') center center;background : black}").arg(path));
    fitLayers();
    placeOverlay();
}

void PreviewWin::hideBackground()
{
    m_backgroundLayer->hide();
}

void PreviewWin::setBoxImage(int n, const QString &path)
{
    if (BoundingBox *b = box(n))
        b->setImage(path);
}

void PreviewWin::setBoxColor(int n, const QColor &colour)
{
    if (BoundingBox *b = box(n))
        b->setColor(colour);
}

void PreviewWin::setBoxDefault(int n)
{
    if (BoundingBox *b = box(n))
        b->setDefaultLook();
}

void PreviewWin::setBoxTitle(int n, const QString &text)
{
    if (BoundingBox *b = box(n))
        b->setTitle(text);
}

void PreviewWin::setBoxCrossHair(int n)
{
    if (BoundingBox *b = box(n))
        b->showCrossHair();
}

void PreviewWin::setBoxCenterDiamond(int n)
{
    if (BoundingBox *b = box(n))
        b->showCenterDiamond();
}

void PreviewWin::removeBoxCenter(int n)
{
    if (BoundingBox *b = box(n))
        b->removeCenter();
}

void PreviewWin::setPictureInPictureVisible(bool visible)
{
    if (!visible) {
        m_pictureInPicture->hide();
    } else {
        m_pictureInPicture->show();
        fitLayers();
        placeOverlay();
    }
    updatePictureInPicturePlayer();
}
