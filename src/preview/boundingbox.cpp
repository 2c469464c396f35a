#include "boundingbox.h"

#include "appservices.h"
#include "appsettings.h"
#include "overlayoffset.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

BoundingBox::BoundingBox(QWidget *parent)
    : QWidget(parent)
    , m_backWidget(new QWidget(this))
    , m_numberLabel(new QLabel)
    , m_nameLabel(new QLabel)
    , m_centerLabel(new QLabel)
{
    setObjectName(QStringLiteral("BoundingBox"));
    setFixedSize(130, 81);
    setCursor(Qt::PointingHandCursor);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);
    m_backWidget->setObjectName(QStringLiteral("backWidget"));
    m_backWidget->setCursor(Qt::PointingHandCursor);
    m_backWidget->setStyleSheet(QStringLiteral(
        "QWidget#backWidget{\nbackground-image: url(:/tavimorex-assets/img/transback.png);\n}"));
    outer->addWidget(m_backWidget);

    auto *inner = new QVBoxLayout(m_backWidget);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);

    auto *top = new QWidget(m_backWidget);
    top->setObjectName(QStringLiteral("widget"));
    top->setFixedHeight(30);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    m_numberLabel->setObjectName(QStringLiteral("presetNumberLabel"));
    m_numberLabel->setFixedSize(30, 30);
    m_numberLabel->setAlignment(Qt::AlignCenter);
    m_numberLabel->setTextFormat(Qt::PlainText);
    m_numberLabel->setStyleSheet(QStringLiteral(
        "QLabel#presetNumberLabel{\nfont-size : 16px;\nfont-weight : bold;\nbackground : black;\n}"));
    m_numberLabel->setText(QStringLiteral("1"));
    m_nameLabel->setObjectName(QStringLiteral("presetNameLabel"));
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setStyleSheet(QStringLiteral(
        "QLabel#presetNameLabel{\ncolor:white;\nbackground : transparent;\npadding-right : 8px;\n}"));
    m_nameLabel->setText(QStringLiteral("Custom Preset1"));
    topLayout->addWidget(m_numberLabel);
    topLayout->addWidget(m_nameLabel, 1);

    auto *middle = new QWidget(m_backWidget);
    middle->setObjectName(QStringLiteral("widget_4"));
    auto *middleLayout = new QHBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->setSpacing(0);
    m_centerLabel->setObjectName(QStringLiteral("centerLabel"));
    m_centerLabel->setAlignment(Qt::AlignCenter);
    m_centerLabel->setTextFormat(Qt::PlainText);
    m_centerLabel->setStyleSheet(
        QStringLiteral("QLabel#centerLabel{\nfont-size : 16px;\nbackground : transparent;\ncolor:white;\n}"));
    m_centerLabel->setText(QStringLiteral("+"));
    middleLayout->addWidget(m_centerLabel);

    auto *bottom = new QWidget(m_backWidget);
    bottom->setObjectName(QStringLiteral("widget_3"));
    bottom->setFixedHeight(30);

    inner->addWidget(top);
    inner->addWidget(middle, 1);
    inner->addWidget(bottom);
}

void BoundingBox::setPresetNumber(int n)
{
    m_presetNumber = n;
    m_numberLabel->setText(QString::number(n));
}

void BoundingBox::setTitle(const QString &text)
{
    m_nameLabel->setText(text.left(MaxTitleLength));
}

QString BoundingBox::title() const
{
    return m_nameLabel->text();
}

void BoundingBox::setCameraId(const QString &id)
{
    m_cameraId = id;
}

void BoundingBox::setColor(const QColor &colour)
{
    m_backWidget->setStyleSheet(QStringLiteral("QWidget#backWidget{background: rgb(%1,%2,%3);}")
                                    .arg(colour.red())
                                    .arg(colour.green())
                                    .arg(colour.blue()));
}

void BoundingBox::setImage(const QString &path)
{
    m_backWidget->setStyleSheet(QStringLiteral("QWidget#backWidget{image: url('%1');}").arg(path));
}

void BoundingBox::setDefaultLook()
{
    m_backWidget->setStyleSheet(
        QStringLiteral("QWidget#backWidget{background: url(:/tavimorex-assets/img/transback.png);}"));
}

void BoundingBox::showCrossHair()
{
    m_centerLabel->setText(QStringLiteral("+"));
}

void BoundingBox::showCenterDiamond()
{
    m_centerLabel->setText(QStringLiteral("*"));
}

void BoundingBox::removeCenter()
{
    m_centerLabel->setText(QStringLiteral(" "));
}

void BoundingBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_clicked = true;
        m_pressPosition = event->position().toPoint();
    }
    event->accept();
}

void BoundingBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton)
        return;
    // Any movement makes the press a drag, which recalls nothing.
    m_clicked = false;
    QWidget *area = parentWidget();
    if (!area)
        return;
    const QPoint topLeft = mapToParent(event->position().toPoint()) - m_pressPosition;
    move(topLeft);
    AppServices *services = appServices();
    if (!m_cameraId.isEmpty() && services && services->settings()) {
        services->settings()->setCustomPresetPos(m_cameraId, m_presetNumber,
                                                 topLeft - QPoint(area->width() / 2, area->height() / 2));
    }
    event->accept();
}

void BoundingBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = m_clicked;
    m_clicked = false;
    m_pressPosition = QPoint();
    event->accept();
    if (clicked)
        Q_EMIT presetClicked(m_presetNumber);
}

void BoundingBox::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    reportOverlayOffset(this, m_presetNumber + 1);
}
