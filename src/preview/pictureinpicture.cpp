#include "pictureinpicture.h"

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "overlayoffset.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

PictureInPicture::PictureInPicture(QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_frame(new QFrame(this))
{
    setObjectName(QStringLiteral("PictureInPicture"));
    setWindowTitle(QStringLiteral("Form"));
    setMinimumSize(256, 144);
    resize(256, 144);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_label->setObjectName(QStringLiteral("label"));
    m_label->setText(QStringLiteral("Picture In Picture"));
    m_label->setMinimumHeight(20);
    m_label->setCursor(Qt::SizeAllCursor);
    m_label->setStyleSheet(
        QStringLiteral("QLabel{\nfont-weight:bold;\ncolor : white;\nfont-size:13px;\npadding-"
                       "left : 5px;\npadding-right:5px;\nbackground:transparent;\n}"));

    m_frame->setObjectName(QStringLiteral("pictureInPictureFrame"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);
    m_frame->setMinimumSize(256, 144);
    m_frame->setCursor(Qt::SizeAllCursor);
    m_frame->setStyleSheet(QStringLiteral("QFrame#pictureInPictureFrame{\nbackground:black;\n}"));

    layout->addWidget(m_label);
    layout->addWidget(m_frame, 1);
}

void PictureInPicture::setCamera(CameraWrapper *camera)
{
    m_camera = camera;
}

void PictureInPicture::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPosition = event->position().toPoint();
    event->accept();
}

void PictureInPicture::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton)
        return;
    QWidget *area = parentWidget();
    if (!area)
        return;
    const QPoint topLeft = mapToParent(event->position().toPoint()) - m_pressPosition;
    move(topLeft);
    AppServices *services = appServices();
    if (m_camera && services && services->settings()) {
        services->settings()->setPictureInPicturePos(m_camera->cameraId(),
                                                     topLeft - QPoint(area->width() / 2, area->height() / 2));
    }
    event->accept();
}

void PictureInPicture::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressPosition = QPoint();
    event->accept();
}

void PictureInPicture::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    reportOverlayOffset(this, LayoutIndex);
}
