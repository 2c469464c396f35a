#include "absback.h"

#include "overlayoffset.h"

#include <QHBoxLayout>

AbsBack::AbsBack(QWidget *parent, int kind) : QWidget(parent), m_kind(kind), m_backWidget(new QFrame(this))
{
    setObjectName(kind == 1 ? QStringLiteral("videoLayer") : QStringLiteral("backgroundLayer"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_backWidget->setObjectName(QStringLiteral("backWidget"));
    m_backWidget->setFrameShape(QFrame::StyledPanel);
    m_backWidget->setFrameShadow(QFrame::Raised);
    m_backWidget->setStyleSheet(QStringLiteral("QFrame#backWidget{\nbackground:transparent;\n}"));
    layout->addWidget(m_backWidget);
}

void AbsBack::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    reportOverlayOffset(this, m_kind - 1);
}
