#include "absolutelayout.h"
#include "boundingbox.h"
#include "previewtestapp.h"
#include "testdatahome.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// One preset map box on its own, in a video area of 640 x 360 laid out like the preview's.
class tst_BoundingBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithTheFormLook();
    void numberAndTitle_data();
    void numberAndTitle();
    void looksAndCentreMarks();
    void clickWithoutMovingRecallsThePreset();
    void anyMovementMakesItADrag_data();
    void anyMovementMakesItADrag();
    void dragStoresTheOffsetAtOnce();
    void dragWithoutCameraStoresNothing();
    void otherButtonDragsFromTheCorner();
    void resizingKeepsTheOffset();

private:
    QLabel *label(const char *name) const { return m_box->findChild<QLabel *>(QLatin1String(name)); }
    QString backStyle() const
    {
        return m_box->findChild<QWidget *>(QStringLiteral("backWidget"))->styleSheet();
    }
    // Sends a mouse event at a position given in the area's coordinates.
    void press(const QPoint &areaPos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(m_box, button, Qt::NoModifier, areaPos - m_box->pos());
    }
    void moveTo(const QPoint &areaPos) { QTest::mouseMove(m_box, areaPos - m_box->pos()); }
    void release(const QPoint &areaPos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(m_box, button, Qt::NoModifier, areaPos - m_box->pos());
    }

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<QWidget> m_area;
    AbsoluteLayout *m_layout = nullptr;
    BoundingBox *m_box = nullptr;
};

namespace {
const QString CameraId = QStringLiteral("10.0.0.7");
constexpr int BoxNumber = 3;
} // namespace

void tst_BoundingBox::init()
{
    m_home = std::make_unique<TestDataHome>();
    clearAppSettings();
    m_area = std::make_unique<QWidget>();
    m_area->resize(640, 360);
    m_layout = new AbsoluteLayout(m_area.get());
    // Entries 0-1 are the layers in the preview; box n is entry n + 1.
    m_layout->addWidget(new QWidget(m_area.get()), QPoint(0, 0));
    m_layout->addWidget(new QWidget(m_area.get()), QPoint(0, 0));
    for (int n = 1; n <= 9; ++n) {
        auto *b = new BoundingBox(m_area.get());
        b->setPresetNumber(n);
        m_layout->addWidget(b, QPoint(0, 0));
        if (n == BoxNumber)
            m_box = b;
    }
    m_box->setCameraId(CameraId);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
    m_box->move(100, 100);
}

void tst_BoundingBox::cleanup()
{
    m_area.reset();
    m_home.reset();
}

void tst_BoundingBox::startsWithTheFormLook()
{
    BoundingBox fresh;
    QCOMPARE(fresh.size(), QSize(130, 81));
    QCOMPARE(fresh.presetNumber(), -1);
    QCOMPARE(fresh.findChild<QLabel *>(QStringLiteral("presetNumberLabel"))->text(), QStringLiteral("1"));
    QCOMPARE(fresh.title(), QStringLiteral("Custom Preset1"));
    QCOMPARE(fresh.findChild<QLabel *>(QStringLiteral("centerLabel"))->text(), QStringLiteral("+"));
    QCOMPARE(fresh.cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(fresh.findChild<QWidget *>(QStringLiteral("backWidget"))
                ->styleSheet()
                .contains(QStringLiteral(":/tavimorex-assets/img/transback.png")));

    // The half-transparent tile is compiled in: 10 x 10 black at alpha 128.
    const QImage tile(QStringLiteral(":/tavimorex-assets/img/transback.png"));
    QCOMPARE(tile.size(), QSize(10, 10));
    const QColor pixel = tile.pixelColor(5, 5);
    QCOMPARE(pixel.red() + pixel.green() + pixel.blue(), 0);
    QVERIFY2(qAbs(pixel.alpha() - 128) <= 1, qPrintable(QString::number(pixel.alpha())));
}

void tst_BoundingBox::numberAndTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown");

    QTest::newRow("short") << QStringLiteral("Stage") << QStringLiteral("Stage");
    QTest::newRow("exactly 15") << QStringLiteral("123456789012345") << QStringLiteral("123456789012345");
    QTest::newRow("20 cut to 15") << QStringLiteral("Pulpit left side cam")
                                  << QStringLiteral("Pulpit left sid");
    QTest::newRow("empty") << QString() << QString();
}

void tst_BoundingBox::numberAndTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, shown);

    m_box->setTitle(title);
    QCOMPARE(m_box->title(), shown);
    QCOMPARE(label("presetNameLabel")->text(), shown);
    m_box->setPresetNumber(7);
    QCOMPARE(label("presetNumberLabel")->text(), QStringLiteral("7"));
}

void tst_BoundingBox::looksAndCentreMarks()
{
    m_box->setColor(QColor(200, 50, 10));
    QCOMPARE(backStyle(), QStringLiteral("QWidget#backWidget{background: rgb(200,50,10);}"));
    m_box->setImage(QStringLiteral("/data/snapshot_10.0.0.7_3_back.png"));
    QCOMPARE(backStyle(),
             QStringLiteral("QWidget#backWidget{image: url('/data/snapshot_10.0.0.7_3_back.png');}"));
    m_box->setDefaultLook();
    QCOMPARE(backStyle(),
             QStringLiteral("QWidget#backWidget{background: url(:/tavimorex-assets/img/transback.png);}"));

    m_box->showCenterDiamond();
    QCOMPARE(label("centerLabel")->text(), QStringLiteral("*"));
    m_box->removeCenter();
    QCOMPARE(label("centerLabel")->text(), QStringLiteral(" "));
    m_box->showCrossHair();
    QCOMPARE(label("centerLabel")->text(), QStringLiteral("+"));
}

void tst_BoundingBox::clickWithoutMovingRecallsThePreset()
{
    QSignalSpy clicked(m_box, &BoundingBox::presetClicked);
    const QPoint on = m_box->pos() + QPoint(40, 40);
    press(on);
    release(on);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), BoxNumber);
    QCOMPARE(m_box->pos(), QPoint(100, 100));
    QCOMPARE(appServices()->settings()->customPresetPos(CameraId, BoxNumber), QPoint(0, 0));

    // A click on the title label reaches the box as well.
    QTest::mouseClick(label("presetNameLabel"), Qt::LeftButton);
    QCOMPARE(clicked.count(), 2);
    // The right button never recalls.
    press(on, Qt::RightButton);
    release(on, Qt::RightButton);
    QCOMPARE(clicked.count(), 2);
}

void tst_BoundingBox::anyMovementMakesItADrag_data()
{
    QTest::addColumn<QPoint>("by");
    QTest::newRow("one pixel") << QPoint(1, 0);
    QTest::newRow("far") << QPoint(150, -60);
}

void tst_BoundingBox::anyMovementMakesItADrag()
{
    QFETCH(QPoint, by);
    QSignalSpy clicked(m_box, &BoundingBox::presetClicked);
    const QPoint start = m_box->pos() + QPoint(40, 40);
    press(start);
    moveTo(start + by);
    release(start + by);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(m_box->pos(), QPoint(100, 100) + by);
}

void tst_BoundingBox::dragStoresTheOffsetAtOnce()
{
    AppSettings *store = appServices()->settings();
    const QPoint grab(40, 40);
    press(m_box->pos() + grab);

    // Every move is stored before the button is released.
    moveTo(QPoint(500, 300) + grab);
    QCOMPARE(m_box->pos(), QPoint(500, 300));
    QCOMPARE(store->customPresetPos(CameraId, BoxNumber), QPoint(500 - 320, 300 - 180));
    moveTo(QPoint(10, 20) + grab);
    QCOMPARE(store->customPresetPos(CameraId, BoxNumber), QPoint(10 - 320, 20 - 180));

    // Onto the centre: stored as (0, 0), which means "not placed".
    moveTo(QPoint(320, 180) + grab);
    release(QPoint(320, 180) + grab);
    QCOMPARE(store->customPresetPos(CameraId, BoxNumber), QPoint(0, 0));

    // The key is the name, the camera id and the box number without separators.
    store->sync();
    QSettings file(store->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("custompresetpos10.0.0.73")).toPoint(), QPoint(0, 0));
    QVERIFY(file.contains(QStringLiteral("custompresetpos10.0.0.73")));
}

void tst_BoundingBox::dragWithoutCameraStoresNothing()
{
    m_box->setCameraId(QString());
    const QPoint start = m_box->pos() + QPoint(5, 5);
    press(start);
    moveTo(start + QPoint(30, 30));
    release(start + QPoint(30, 30));
    QCOMPARE(m_box->pos(), QPoint(130, 130));
    appServices()->settings()->sync();
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    QVERIFY(file.allKeys().filter(QStringLiteral("custompresetpos")).isEmpty());
}

void tst_BoundingBox::otherButtonDragsFromTheCorner()
{
    // Only a left press remembers where the box was taken; any other button drags its top-left corner.
    const QPoint start = m_box->pos() + QPoint(40, 40);
    press(start, Qt::RightButton);
    moveTo(QPoint(300, 200));
    QCOMPARE(m_box->pos(), QPoint(300, 200));
    release(QPoint(300, 200), Qt::RightButton);
}

void tst_BoundingBox::resizingKeepsTheOffset()
{
    const QPoint grab(10, 10);
    press(m_box->pos() + grab);
    moveTo(QPoint(400, 250) + grab);
    release(QPoint(400, 250) + grab);
    QCOMPARE(m_layout->itemOffset(BoxNumber + 1), QPoint(400 - 320, 250 - 180));

    m_area->resize(1000, 700);
    QTRY_COMPARE(m_box->pos(), QPoint(500 + 80, 350 + 70));
    QCOMPARE(m_box->size(), QSize(130, 81));
}

int main(int argc, char *argv[])
{
    return runInTavimorexApp<tst_BoundingBox>(argc, argv);
}
#include "tst_boundingbox.moc"
