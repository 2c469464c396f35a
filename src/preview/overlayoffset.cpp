#include "overlayoffset.h"

#include "absolutelayout.h"

#include <QWidget>

void reportOverlayOffset(QWidget *widget, int layoutIndex)
{
    QWidget *parent = widget->parentWidget();
    if (!parent)
        return;
    auto *layout = qobject_cast<AbsoluteLayout *>(parent->layout());
    if (!layout)
        return;
    const QPoint centre(parent->width() / 2, parent->height() / 2);
    layout->setItemOffset(layoutIndex, widget->pos() - centre);
}
