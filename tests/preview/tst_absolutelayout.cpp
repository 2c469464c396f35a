#include "absback.h"
#include "absolutelayout.h"

#include <QFrame>
#include <QPointer>
#include <QSpacerItem>
#include <QTest>

// The overlay layout keeps every item at its offset from the centre of the area, at the item's own size.
class tst_AbsoluteLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes();
    void placesItemsAroundTheCentre_data();
    void placesItemsAroundTheCentre();
    void itemAccessOutsideTheListGivesNothing();
    void setItemOffsetMovesAtTheNextGeometry();
    void movedLayersReportTheirOffset();
    void ownsItsItems();
};

namespace {
// A layout item that records its own deletion.
class TrackedItem : public QSpacerItem
{
public:
    explicit TrackedItem(bool *deleted) : QSpacerItem(4, 4), m_deleted(deleted) {}
    ~TrackedItem() override { *m_deleted = true; }

private:
    bool *m_deleted;
};

QWidget *fixedWidget(QWidget *parent, const QSize &size)
{
    auto *w = new QWidget(parent);
    w->setFixedSize(size);
    return w;
}
} // namespace

void tst_AbsoluteLayout::sizes()
{
    AbsoluteLayout layout;
    QCOMPARE(layout.sizeHint(), QSize(640, 360));
    QCOMPARE(layout.minimumSize(), QSize(0, 0));
    QCOMPARE(layout.count(), 0);
}

void tst_AbsoluteLayout::placesItemsAroundTheCentre_data()
{
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QSize>("itemSize");

    QTest::newRow("centre") << QSize(640, 360) << QPoint(0, 0) << QSize(130, 81);
    QTest::newRow("up left of centre") << QSize(640, 360) << QPoint(-195, -121) << QSize(130, 81);
    QTest::newRow("odd area halves truncate") << QSize(641, 361) << QPoint(10, 20) << QSize(256, 164);
    QTest::newRow("beyond the area") << QSize(300, 200) << QPoint(400, -500) << QSize(30, 30);
}

void tst_AbsoluteLayout::placesItemsAroundTheCentre()
{
    QFETCH(QSize, area);
    QFETCH(QPoint, offset);
    QFETCH(QSize, itemSize);

    QWidget parent;
    auto *layout = new AbsoluteLayout(&parent);
    QWidget *item = fixedWidget(&parent, itemSize);
    QWidget *other = fixedWidget(&parent, QSize(10, 10));
    layout->addWidget(item, offset);
    layout->addWidget(other); // the plain addWidget appends with offset (0, 0)
    QCOMPARE(layout->count(), 2);

    layout->setGeometry(QRect(QPoint(0, 0), area));
    QCOMPARE(item->geometry(), QRect(QPoint(area.width() / 2, area.height() / 2) + offset, itemSize));
    QCOMPARE(other->pos(), QPoint(area.width() / 2, area.height() / 2));
}

void tst_AbsoluteLayout::itemAccessOutsideTheListGivesNothing()
{
    QWidget parent;
    auto *layout = new AbsoluteLayout(&parent);
    layout->addWidget(fixedWidget(&parent, QSize(5, 5)), QPoint(1, 2));
    QVERIFY(layout->itemAt(0));
    QVERIFY(!layout->itemAt(1));
    QVERIFY(!layout->itemAt(-1));
    QVERIFY(!layout->takeAt(1));
    QVERIFY(!layout->takeAt(-1));
    layout->setItemOffset(7, QPoint(9, 9)); // ignored
    QCOMPARE(layout->itemOffset(0), QPoint(1, 2));

    QLayoutItem *taken = layout->takeAt(0);
    QVERIFY(taken);
    QCOMPARE(layout->count(), 0);
    delete taken;
}

void tst_AbsoluteLayout::setItemOffsetMovesAtTheNextGeometry()
{
    QWidget parent;
    auto *layout = new AbsoluteLayout(&parent);
    QWidget *item = fixedWidget(&parent, QSize(20, 20));
    layout->addWidget(item, QPoint(0, 0));
    layout->setGeometry(QRect(0, 0, 400, 300));
    QCOMPARE(item->pos(), QPoint(200, 150));

    layout->setItemOffset(0, QPoint(-50, 30));
    QCOMPARE(item->pos(), QPoint(200, 150)); // not moved by the offset alone
    layout->setGeometry(QRect(0, 0, 800, 600));
    QCOMPARE(item->pos(), QPoint(350, 330));
}

void tst_AbsoluteLayout::movedLayersReportTheirOffset()
{
    // A layer of kind k is entry k - 1: moving it stores its place relative to the centre, so the
    // next resize of the area keeps it there.
    QWidget area;
    area.resize(640, 360);
    auto *layout = new AbsoluteLayout(&area);
    auto *video = new AbsBack(&area, 1);
    auto *background = new AbsBack(&area, 2);
    layout->addWidget(video, QPoint(0, 0));
    layout->addWidget(background, QPoint(0, 0));
    QCOMPARE(video->backFrame()->objectName(), QStringLiteral("backWidget"));

    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    video->move(0, 0);
    background->move(20, 10);
    QCOMPARE(layout->itemOffset(0), QPoint(-320, -180));
    QCOMPARE(layout->itemOffset(1), QPoint(-300, -170));

    area.resize(800, 500);
    QTRY_COMPARE(background->pos(), QPoint(400 - 300, 250 - 170));
    QCOMPARE(video->pos(), QPoint(400 - 320, 250 - 180));
}

void tst_AbsoluteLayout::ownsItsItems()
{
    QWidget parent;
    auto *layout = new AbsoluteLayout(&parent);
    bool keptDeleted = false;
    layout->addItem(new TrackedItem(&keptDeleted));
    QPointer<QWidget> widget = fixedWidget(&parent, QSize(5, 5));
    layout->addWidget(widget, QPoint(0, 0));
    bool takenDeleted = false;
    auto *taken = new TrackedItem(&takenDeleted);
    layout->addItem(taken);
    QCOMPARE(layout->takeAt(2), taken); // an item taken out belongs to the caller

    delete layout;
    QVERIFY(keptDeleted);
    QVERIFY(!takenDeleted);
    delete taken;
    // The widgets stay with their parent widget: the layout owned only the items placing them.
    QVERIFY(!widget.isNull());
    QCOMPARE(widget->parentWidget(), &parent);
}

QTEST_MAIN(tst_AbsoluteLayout)
#include "tst_absolutelayout.moc"
