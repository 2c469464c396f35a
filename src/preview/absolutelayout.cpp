#include "absolutelayout.h"

#include <QWidget>

AbsoluteLayout::AbsoluteLayout(QWidget *parent) : QLayout(parent) {}

AbsoluteLayout::~AbsoluteLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void AbsoluteLayout::addItem(QLayoutItem *item)
{
    m_entries.append({item, QPoint(0, 0)});
}

void AbsoluteLayout::addWidget(QWidget *widget, const QPoint &offset)
{
    addChildWidget(widget);
    m_entries.append({new QWidgetItem(widget), offset});
    invalidate();
}

int AbsoluteLayout::count() const
{
    return int(m_entries.size());
}

QLayoutItem *AbsoluteLayout::itemAt(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.at(index).item;
}

QLayoutItem *AbsoluteLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

QSize AbsoluteLayout::sizeHint() const
{
    return QSize(640, 360);
}

QSize AbsoluteLayout::minimumSize() const
{
    return QSize(0, 0);
}

void AbsoluteLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    for (const Entry &entry : std::as_const(m_entries)) {
        const QPoint topLeft(rect.width() / 2 + entry.offset.x(), rect.height() / 2 + entry.offset.y());
        const QRect geometry(topLeft, entry.item->sizeHint());
        // A widget item would pull a widget partly left of or above the area back inside; overlay
        // items may hang over the edge.
        QWidget *widget = entry.item->widget();
        if (!widget)
            entry.item->setGeometry(geometry);
        else if (!widget->isHidden())
            widget->setGeometry(geometry);
    }
}

void AbsoluteLayout::setItemOffset(int index, const QPoint &offset)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_entries[index].offset = offset;
}

QPoint AbsoluteLayout::itemOffset(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return QPoint();
    return m_entries.at(index).offset;
}
