#include "absolutelayout.h"
#include "ipcamera.h"
#include "pictureinpicture.h"
#include "previewtestapp.h"
#include "testdatahome.h"

#include <QFrame>
#include <QLabel>
#include <QSettings>
#include <QTest>

#include <memory>

// The picture-in-picture frame in a 640 x 360 video area laid out like the preview's (entry 11).
class tst_PictureInPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void formLook();
    void dragStoresTheOffsetAtOnce_data();
    void dragStoresTheOffsetAtOnce();
    void dragWithoutCameraStoresNothing();
    void resizingKeepsTheOffset();

private:
    // Takes the frame at grab (in by's coordinates) and drops its top-left corner at to.
    void drag(QWidget *by, const QPoint &grab, const QPoint &to)
    {
        const QPoint inFrame = by->mapTo(m_frame, grab);
        QTest::mousePress(by, Qt::LeftButton, Qt::NoModifier, grab);
        QTest::mouseMove(m_frame, to + inFrame - m_frame->pos());
        QTest::mouseRelease(m_frame, Qt::LeftButton, Qt::NoModifier, to + inFrame - m_frame->pos());
    }

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<IPCamera> m_camera;
    std::unique_ptr<QWidget> m_area;
    AbsoluteLayout *m_layout = nullptr;
    PictureInPicture *m_frame = nullptr;
};

namespace {
const QString CameraId = QStringLiteral("192.168.1.20");
}

void tst_PictureInPicture::init()
{
    m_home = std::make_unique<TestDataHome>();
    clearAppSettings();
    m_camera = std::make_unique<IPCamera>(CameraId, QStringLiteral("Cam"), CameraId);
    m_area = std::make_unique<QWidget>();
    m_area->resize(640, 360);
    m_layout = new AbsoluteLayout(m_area.get());
    for (int i = 0; i < 11; ++i)
        m_layout->addWidget(new QWidget(m_area.get()), QPoint(0, 0));
    m_frame = new PictureInPicture(m_area.get());
    m_layout->addWidget(m_frame, QPoint(0, 0));
    m_frame->setCamera(m_camera.get());
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
    m_frame->move(0, 0);
}

void tst_PictureInPicture::cleanup()
{
    m_area.reset();
    m_camera.reset();
    m_home.reset();
}

void tst_PictureInPicture::formLook()
{
    PictureInPicture fresh;
    QCOMPARE(fresh.minimumSize(), QSize(256, 144));
    QCOMPARE(fresh.windowTitle(), QStringLiteral("Form"));
    auto *title = fresh.findChild<QLabel *>(QStringLiteral("label"));
    QCOMPARE(title->text(), QStringLiteral("Picture In Picture"));
    QCOMPARE(title->cursor().shape(), Qt::SizeAllCursor);
    QCOMPARE(fresh.videoFrame()->objectName(), QStringLiteral("pictureInPictureFrame"));
    QCOMPARE(fresh.videoFrame()->minimumSize(), QSize(256, 144));
    QCOMPARE(fresh.videoFrame()->cursor().shape(), Qt::SizeAllCursor);
}

void tst_PictureInPicture::dragStoresTheOffsetAtOnce_data()
{
    QTest::addColumn<bool>("byTitle");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPoint>("stored");

    QTest::newRow("by the title") << true << QPoint(300, 150) << QPoint(-20, -30);
    QTest::newRow("by the picture") << false << QPoint(20, 10) << QPoint(-300, -170);
    QTest::newRow("onto the centre") << false << QPoint(320, 180) << QPoint(0, 0);
}

void tst_PictureInPicture::dragStoresTheOffsetAtOnce()
{
    QFETCH(bool, byTitle);
    QFETCH(QPoint, to);
    QFETCH(QPoint, stored);

    AppSettings *store = appServices()->settings();
    store->setPictureInPicturePos(CameraId, QPoint(11, 11));
    QWidget *handle = byTitle ? static_cast<QWidget *>(m_frame->findChild<QLabel *>(QStringLiteral("label")))
                              : m_frame->videoFrame();
    const QPoint grab = handle->mapTo(m_frame, QPoint(8, 8));
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QTest::mouseMove(m_frame, to + grab - m_frame->pos());
    // Stored while the button is still held.
    QCOMPARE(m_frame->pos(), to);
    QCOMPARE(store->pictureInPicturePos(CameraId), stored);
    QTest::mouseRelease(m_frame, Qt::LeftButton, Qt::NoModifier, to + grab - m_frame->pos());

    store->sync();
    QSettings file(store->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("pictureinpicturepos") + CameraId).toPoint(), stored);
}

void tst_PictureInPicture::dragWithoutCameraStoresNothing()
{
    m_frame->setCamera(nullptr);
    drag(m_frame->videoFrame(), QPoint(8, 8), QPoint(100, 100));
    QCOMPARE(m_frame->pos(), QPoint(100, 100));
    appServices()->settings()->sync();
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    QVERIFY(file.allKeys().filter(QStringLiteral("pictureinpicture")).isEmpty());
}

void tst_PictureInPicture::resizingKeepsTheOffset()
{
    drag(m_frame->videoFrame(), QPoint(8, 8), QPoint(360, 200));
    QCOMPARE(m_layout->itemOffset(PictureInPicture::LayoutIndex), QPoint(40, 20));
    m_area->resize(900, 600);
    QTRY_COMPARE(m_frame->pos(), QPoint(450 + 40, 300 + 20));
}

int main(int argc, char *argv[])
{
    return runInTavimorexApp<tst_PictureInPicture>(argc, argv);
}
#include "tst_pictureinpicture.moc"
