#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>

// Keeps every item at a fixed offset from the centre of the layout's rectangle, at the size the item
// asks for, so overlay widgets stay on the same spot of the picture when the video area is resized.
// Items are stacked in the order they were added; the layout owns them.
class AbsoluteLayout : public QLayout
{
    Q_OBJECT

public:
    explicit AbsoluteLayout(QWidget *parent = nullptr);
    ~AbsoluteLayout() override;

    using QLayout::addWidget;

    void addItem(QLayoutItem *item) override;
    // Appends widget with its top-left corner at offset from the centre.
    void addWidget(QWidget *widget, const QPoint &offset);
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

    // Sets the offset of entry index from the centre; out-of-range indexes are ignored. Does not move
    // the item (its own move is what usually reports the offset).
    void setItemOffset(int index, const QPoint &offset);
    QPoint itemOffset(int index) const;

private:
    struct Entry
    {
        QLayoutItem *item;
        QPoint offset;
    };

    QList<Entry> m_entries;
};
