#include "absback.h"
#include "boundingbox.h"
#include "datapaths.h"
#include "ipcamera.h"
#include "pictureinpicture.h"
#include "previewtestapp.h"
#include "previewwin.h"
#include "ptzsimprocess.h"
#include "testdatahome.h"
#include "usbcamera.h"

#include <lensgrip/devicebackend.h>
#include <simulatedbackend.h>

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// The preview window with real players on the camera simulator's RTSP streams, its preset map overlay
// and its picture in picture.
class tst_PreviewWin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void startsStoppedWithTheFormWidgets();
    void snapshotFileNames_data();
    void snapshotFileNames();

    // Streams and players
    void playsTheCheckedStreamAndReopensOnChange();
    void startTwiceOpensOnce();
    void startNeedsAnAvailableCamera();
    void takeSnapShotWritesAPng();
    void takeSnapShotWhileStoppedWritesNothing();
    void snapshotButtonWritesToTheChosenFolder_data();
    void snapshotButtonWritesToTheChosenFolder();
    void homeAndPresetClicksOnlyWhilePlaying();
    void closingStopsAndTellsTheMainWindow();
    void unreachableStreamShowsTheMessage();
    void cameraClosingTheStreamStopsPlayback();
    void usbCameraPlaysItsVideoNode();
    void unknownUsbCameraShowsTheMessage();

    // Preset map
    void newCameraHasAHiddenOverlay();
    void shownOverlayUsesTheDefaultGrid_data();
    void shownOverlayUsesTheDefaultGrid();
    void dragStoresTheOffsetAndTheCentreReturnsToTheGrid();
    void storedLookCentreTitleAndVisibilityAreLoaded();
    void colourKeysAreSwappedAndReadBack();
    void backgroundPicture();
    void resizingKeepsEveryOffset();
    void pictureInPicturePlaysOnlyWhileShown();
    void snapIntoAndOutOfTheMainWindow();
    void screenshotsOfTheOverlay();

private:
    BoundingBox *box(int n) const;
    PictureInPicture *pictureInPicture() const { return m_preview->findChild<PictureInPicture *>(); }
    QWidget *playerWrapper() const
    {
        return m_preview->findChild<QWidget *>(QStringLiteral("playerWrapper"));
    }
    AbsBack *backgroundLayer() const;
    template<typename T>
    T *child(const char *name) const
    {
        return m_preview->findChild<T *>(QLatin1String(name));
    }
    QPoint centre() const { return QPoint(playerWrapper()->width() / 2, playerWrapper()->height() / 2); }
    bool startAndWaitForPicture();
    QStringList openMessages() const;
    void closeMessages();
    AppSettings *store() const { return appServices()->settings(); }
    int rtsp(const QString &address, const QString &request) const;
    // RTSP connections open now, by the log since the test began.
    int rtspConnections(const QString &address) const;
    bool waitForRtsp(const QString &address, const QString &request, int count = 1, int timeoutMs = 10000);
    void dragBox(BoundingBox *b, const QPoint &grab, const QPoint &toTopLeft);
    void saveScreenshot(const QString &name);

    PtzSimProcess m_sim;
    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<IPCamera> m_camera;
    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<PreviewWin> m_preview;
};

namespace {
const QString Camera = QStringLiteral("127.0.11.2");
const QString Vanishing = QStringLiteral("127.0.11.3");
const QString Nobody = QStringLiteral("127.0.11.4");
constexpr int PictureTimeoutMs = 15000;
const QString OpenFailed = QStringLiteral("Can not open your live stream.");
const QByteArray HomePacket = QByteArray::fromHex("81010604ff");

QByteArray recallPacket(int preset)
{
    return QByteArray::fromHex("8101043f02") + char(preset) + char(0xff);
}
} // namespace

void tst_PreviewWin::initTestCase()
{
    QVERIFY2(m_sim.start({Camera}), qPrintable(m_sim.errorString()));
}

void tst_PreviewWin::cleanupTestCase()
{
    m_sim.stop();
}

void tst_PreviewWin::init()
{
    m_home = std::make_unique<TestDataHome>();
    clearAppSettings();
    m_camera = std::make_unique<IPCamera>(Camera, QStringLiteral("Stage"), Camera);
    QSignalSpy connected(m_camera.get(), &CameraWrapper::clientConnected);
    m_camera->connectCamera();
    QVERIFY(connected.wait(5000));

    m_preview = std::make_unique<PreviewWin>();
    m_preview->setCamera(m_camera.get());
    m_preview->setCameraAvailable(true);
    m_preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_preview.get()));
    m_sim.clearLog();
}

void tst_PreviewWin::cleanup()
{
    closeMessages();
    m_preview.reset();
    m_host.reset();
    // Every player has let go of the camera's streams before the next test counts them.
    QTRY_COMPARE_WITH_TIMEOUT(rtspConnections(Camera), 0, 10000);
    m_camera.reset();
    m_home.reset();
    lensgrip::setDeviceBackend(nullptr);
}

BoundingBox *tst_PreviewWin::box(int n) const
{
    const QList<BoundingBox *> boxes = m_preview->findChildren<BoundingBox *>();
    for (BoundingBox *b : boxes) {
        if (b->presetNumber() == n)
            return b;
    }
    return nullptr;
}

AbsBack *tst_PreviewWin::backgroundLayer() const
{
    const QList<AbsBack *> layers = m_preview->findChildren<AbsBack *>();
    for (AbsBack *layer : layers) {
        if (layer->kind() == 2)
            return layer;
    }
    return nullptr;
}

bool tst_PreviewWin::startAndWaitForPicture()
{
    QSignalSpy shown(m_preview.get(), &PreviewWin::pictureShown);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    if (!m_preview->isPlaying())
        return false;
    if ((shown.count() > 0 || shown.wait(PictureTimeoutMs)) && m_preview->hasPicture())
        return true;
    // What the camera saw, for the failure report.
    for (const PtzSimProcess::LogEntry &entry : m_sim.log()) {
        if (entry.event == QLatin1String("RTSP"))
            qWarning().noquote() << entry.line;
    }
    return false;
}

QStringList tst_PreviewWin::openMessages() const
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->isVisible()) {
            if (box->windowTitle() == QLatin1String("Tavimorex"))
                texts.append(box->text());
            else
                texts.append(QStringLiteral("(wrong title %1) %2").arg(box->windowTitle(), box->text()));
        }
    }
    return texts;
}

void tst_PreviewWin::closeMessages()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            box->close();
    }
}

int tst_PreviewWin::rtsp(const QString &address, const QString &request) const
{
    int count = 0;
    for (const PtzSimProcess::LogEntry &entry : m_sim.entries(address, QStringLiteral("RTSP"))) {
        if (entry.text == request)
            ++count;
    }
    return count;
}

int tst_PreviewWin::rtspConnections(const QString &address) const
{
    int open = 0;
    for (const PtzSimProcess::LogEntry &entry : m_sim.entries(address, QStringLiteral("RTSP"))) {
        if (entry.text.startsWith(QLatin1String("CONNECT ")))
            ++open;
        else if (entry.text.startsWith(QLatin1String("CLOSE ")))
            --open;
    }
    return open;
}

bool tst_PreviewWin::waitForRtsp(const QString &address, const QString &request, int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (rtsp(address, request) < count) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

void tst_PreviewWin::dragBox(BoundingBox *b, const QPoint &grab, const QPoint &toTopLeft)
{
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, grab);
    QTest::mouseMove(b, toTopLeft + grab - b->pos());
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, toTopLeft + grab - b->pos());
}

void tst_PreviewWin::saveScreenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QVERIFY(QDir().mkpath(folder));
    // From the screen, not from the widgets: the video is drawn by the players into their own windows.
    const QPixmap shot = m_preview->screen()->grabWindow(m_preview->winId());
    QVERIFY(shot.save(QDir(folder).filePath(name + QStringLiteral(".png")), "PNG"));
}

void tst_PreviewWin::startsStoppedWithTheFormWidgets()
{
    QCOMPARE(m_preview->windowTitle(), QStringLiteral("Preview Window"));
    QCOMPARE(m_preview->minimumSize(), QSize(658, 409));
    QVERIFY(!m_preview->isPlaying());
    QVERIFY(m_preview->mediaLocation().isEmpty());
    QCOMPARE(child<QPushButton>("takeSnapShotBtn")->text(), QStringLiteral("Take a snapshot"));
    QCOMPARE(child<QPushButton>("startBtn")->text(), QStringLiteral("Start"));
    QCOMPARE(child<QPushButton>("stopBtn")->text(), QStringLiteral("Stop"));
    QCOMPARE(child<QPushButton>("homeBtn")->text(), QStringLiteral("Home"));
    QCOMPARE(child<QRadioButton>("firstStream")->text(), QStringLiteral("Stream1 (HD)"));
    QCOMPARE(child<QRadioButton>("secondStream")->text(), QStringLiteral("Stream2 (SD)"));
    QVERIFY(!m_preview->isFirstStreamChecked());
    QVERIFY(child<QRadioButton>("secondStream")->isChecked());
    QCOMPARE(child<QCheckBox>("snapBox")->text(), QStringLiteral("Snap"));
    QVERIFY(!m_preview->isSnapped());
    QVERIFY(child<QFrame>("frame"));
    QCOMPARE(playerWrapper()->minimumSize(), QSize(640, 360));
    QVERIFY(!backgroundLayer()->isVisible());
    for (int n = 1; n <= 9; ++n)
        QVERIFY(box(n) && !box(n)->isVisible());
    QVERIFY(!pictureInPicture()->isVisible());
}

void tst_PreviewWin::snapshotFileNames_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("name");
    QTest::newRow("3 March 2021") << QDateTime(QDate(2021, 3, 3), QTime(14, 5, 9, 42))
                                  << QStringLiteral("03-03-2021-14-05-09-042.png");
    QTest::newRow("new year's eve") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999))
                                    << QStringLiteral("31-12-1999-23-59-59-999.png");
}

void tst_PreviewWin::snapshotFileNames()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, name);
    QCOMPARE(PreviewWin::snapshotFileName(time), name);
}

void tst_PreviewWin::playsTheCheckedStreamAndReopensOnChange()
{
    QSignalSpy playing(m_preview.get(), &PreviewWin::playingChanged);
    QVERIFY(startAndWaitForPicture());
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://127.0.11.2/2"));
    QCOMPARE(rtsp(Camera, QStringLiteral("DESCRIBE /2")), 1);
    QVERIFY(child<QRadioButton>("firstStream")->isVisible());
    QVERIFY(child<QRadioButton>("secondStream")->isVisible());

    // Choosing "Stream1 (HD)" closes the second stream and opens the first.
    QSignalSpy shown(m_preview.get(), &PreviewWin::pictureShown);
    QTest::mouseClick(child<QRadioButton>("firstStream"), Qt::LeftButton);
    QVERIFY(m_preview->isFirstStreamChecked());
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://127.0.11.2/1"));
    QVERIFY(waitForRtsp(Camera, QStringLiteral("TEARDOWN /2")));
    QVERIFY(waitForRtsp(Camera, QStringLiteral("DESCRIBE /1")));
    QVERIFY(shown.wait(PictureTimeoutMs));
    QCOMPARE(rtsp(Camera, QStringLiteral("DESCRIBE /2")), 1);
    QCOMPARE(playing.count(), 3); // started, stopped, started
    QVERIFY(m_preview->isPlaying());

    // The main window's switch after an on-screen-menu command does the same.
    m_preview->setFirstStreamChecked(false);
    m_preview->onStreamChanged();
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://127.0.11.2/2"));
    QVERIFY(waitForRtsp(Camera, QStringLiteral("DESCRIBE /2"), 2));
}

void tst_PreviewWin::startTwiceOpensOnce()
{
    QSignalSpy playing(m_preview.get(), &PreviewWin::playingChanged);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QSignalSpy shown(m_preview.get(), &PreviewWin::pictureShown);
    QVERIFY(shown.wait(PictureTimeoutMs));
    m_preview->startPlayback();
    QTest::qWait(500);
    QCOMPARE(playing.count(), 1);
    QCOMPARE(rtsp(Camera, QStringLiteral("DESCRIBE /2")), 1);
    QCOMPARE(rtsp(Camera, QStringLiteral("PLAY /2")), 1);

    // Stop twice: one stop.
    QTest::mouseClick(child<QPushButton>("stopBtn"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("stopBtn"), Qt::LeftButton);
    QCOMPARE(playing.count(), 2);
    QVERIFY(!m_preview->isPlaying());
    QVERIFY(waitForRtsp(Camera, QStringLiteral("TEARDOWN /2")));
}

void tst_PreviewWin::startNeedsAnAvailableCamera()
{
    m_preview->setCameraAvailable(false);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QVERIFY(!m_preview->isPlaying());

    m_preview->setCameraAvailable(true);
    m_preview->setCamera(nullptr);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QVERIFY(!m_preview->isPlaying());
    QTest::qWait(300);
    QCOMPARE(m_sim.countEvents(Camera, QStringLiteral("RTSP")), 0);
    QVERIFY(openMessages().isEmpty());
}

void tst_PreviewWin::takeSnapShotWritesAPng()
{
    QVERIFY(startAndWaitForPicture());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("snapshot_127.0.11.2_back.png"));
    QVERIFY(m_preview->takeSnapShot(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage picture = reader.read();
    QCOMPARE(picture.size(), QSize(640, 360)); // the SD stream's own size, not the window's
}

void tst_PreviewWin::takeSnapShotWhileStoppedWritesNothing()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("stopped.png"));
    QVERIFY(!m_preview->takeSnapShot(path));
    QVERIFY(!QFile::exists(path));

    // After a stop as well.
    QVERIFY(startAndWaitForPicture());
    m_preview->stopPlayback();
    QVERIFY(!m_preview->takeSnapShot(path));
    QVERIFY(!QFile::exists(path));
    QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_PreviewWin::snapshotButtonWritesToTheChosenFolder_data()
{
    QTest::addColumn<bool>("folderChosen");
    QTest::newRow("folder chosen") << true;
    QTest::newRow("no folder: the downloads folder") << false;
}

void tst_PreviewWin::snapshotButtonWritesToTheChosenFolder()
{
    QFETCH(bool, folderChosen);
    QTemporaryDir chosen;
    if (folderChosen)
        store()->setSnapshotPath(chosen.path());
    const QString folder = folderChosen ? chosen.path() : DataPaths::downloadsFolder();
    const QRegularExpression name(QStringLiteral("^\\d{2}-\\d{2}-\\d{4}-\\d{2}-\\d{2}-\\d{2}-\\d{3}\\.png$"));
    auto snapshots = [&] {
        return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
    };

    // Stopped: nothing is written.
    QTest::mouseClick(child<QPushButton>("takeSnapShotBtn"), Qt::LeftButton);
    QVERIFY(snapshots().isEmpty());

    QVERIFY(startAndWaitForPicture());
    QTest::mouseClick(child<QPushButton>("takeSnapShotBtn"), Qt::LeftButton);
    const QStringList files = snapshots();
    QCOMPARE(files.size(), 1);
    QVERIFY2(name.match(files.first()).hasMatch(), qPrintable(files.first()));
    QVERIFY(!QImage(QDir(folder).filePath(files.first())).isNull());
    QVERIFY(!QFile::exists(QStringLiteral("/") + files.first()));
}

void tst_PreviewWin::homeAndPresetClicksOnlyWhilePlaying()
{
    // Stopped: neither home nor a preset recall reaches the camera.
    QTest::mouseClick(child<QPushButton>("homeBtn"), Qt::LeftButton);
    m_preview->onPresetCalled(4);
    QTest::qWait(300);
    QCOMPARE(m_sim.countRx(Camera, HomePacket), 0);
    QCOMPARE(m_sim.countRx(Camera, recallPacket(104)), 0);

    store()->setWrapperVisibility(Camera, true);
    QVERIFY(startAndWaitForPicture());
    QTest::mouseClick(child<QPushButton>("homeBtn"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Camera, HomePacket));

    // A click on box 4 (press and release without moving) recalls camera preset 104.
    QTRY_VERIFY(box(4)->isVisible());
    QTest::mouseClick(box(4), Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
    QVERIFY(m_sim.waitForRx(Camera, recallPacket(104)));
    // A drag recalls nothing.
    dragBox(box(7), QPoint(60, 50), box(7)->pos() + QPoint(1, 0));
    QTest::qWait(300);
    QCOMPARE(m_sim.countRx(Camera, recallPacket(107)), 0);
    QCOMPARE(m_sim.countRx(Camera, recallPacket(104)), 1);
}

void tst_PreviewWin::closingStopsAndTellsTheMainWindow()
{
    QVERIFY(startAndWaitForPicture());
    QSignalSpy closed(m_preview.get(), &PreviewWin::previewClosed);
    QVERIFY(m_preview->close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(!m_preview->isPlaying());
    QVERIFY(!m_preview->isVisible());
    QVERIFY(waitForRtsp(Camera, QStringLiteral("TEARDOWN /2")));
}

void tst_PreviewWin::unreachableStreamShowsTheMessage()
{
    IPCamera unreachable(Nobody, QStringLiteral("Gone"), Nobody);
    m_preview->setCamera(&unreachable);
    QSignalSpy playing(m_preview.get(), &PreviewWin::playingChanged);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://127.0.11.4/2"));
    QTRY_COMPARE_WITH_TIMEOUT(openMessages(), QStringList{OpenFailed}, 10000);
    QVERIFY(!m_preview->isPlaying());
    QCOMPARE(playing.count(), 2);

    // The main window restarting playback while the box is open does not pile up boxes.
    m_preview->startPlayback();
    QVERIFY(m_preview->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!m_preview->isPlaying(), 10000);
    QCOMPARE(openMessages(), QStringList{OpenFailed});
    m_preview->setCamera(m_camera.get());
}

void tst_PreviewWin::cameraClosingTheStreamStopsPlayback()
{
    PtzSimProcess vanishing;
    QVERIFY2(vanishing.start({Vanishing}), qPrintable(vanishing.errorString()));
    IPCamera camera(Vanishing, QStringLiteral("Vanishing"), Vanishing);
    m_preview->setCamera(&camera);
    QVERIFY(startAndWaitForPicture());
    vanishing.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!m_preview->isPlaying(), 15000);
    QVERIFY(m_preview->mediaLocation().isEmpty());
    // It had played: no "Can not open" message for a stream that ends.
    QVERIFY(openMessages().isEmpty());
    m_preview->setCamera(m_camera.get());
}

void tst_PreviewWin::usbCameraPlaysItsVideoNode()
{
    // Two cameras with one product name: the second is "PTZ Cam #1", on the third capture node.
    auto backend = std::make_shared<lensgrip::SimulatedBackend>();
    backend->addCamera("USB Camera");
    backend->addCamera("PTZ Cam");
    backend->addCamera("PTZ Cam");
    lensgrip::setDeviceBackend(backend);
    USBCamera usb(QStringLiteral("PTZ Cam #1"), QStringLiteral("Desk"), QStringLiteral("PTZ Cam #1"));
    m_preview->setCamera(&usb);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("av://v4l2:/dev/video4"));
    QVERIFY(!child<QRadioButton>("firstStream")->isVisible());
    QVERIFY(!child<QRadioButton>("secondStream")->isVisible());
    // The simulated camera has no picture to give: the player gives up with the message.
    QTRY_COMPARE_WITH_TIMEOUT(openMessages(), QStringList{OpenFailed}, 10000);
    QVERIFY(!m_preview->isPlaying());
    m_preview->setCamera(m_camera.get());
}

void tst_PreviewWin::unknownUsbCameraShowsTheMessage()
{
    lensgrip::setDeviceBackend(std::make_shared<lensgrip::SimulatedBackend>());
    USBCamera usb(QStringLiteral("Unplugged Cam"), QStringLiteral("Desk"), QStringLiteral("Unplugged Cam"));
    m_preview->setCamera(&usb);
    QTest::mouseClick(child<QPushButton>("startBtn"), Qt::LeftButton);
    QVERIFY(!m_preview->isPlaying());
    QCOMPARE(openMessages(), QStringList{OpenFailed});
    m_preview->setCamera(m_camera.get());
}

void tst_PreviewWin::newCameraHasAHiddenOverlay()
{
    QVERIFY(startAndWaitForPicture());
    QTest::qWait(200);
    QVERIFY(!backgroundLayer()->isVisible());
    QVERIFY(!pictureInPicture()->isVisible());
    for (int n = 1; n <= 9; ++n) {
        BoundingBox *b = box(n);
        QVERIFY(!b->isVisible());
        QCOMPARE(b->title(), QStringLiteral("Custom Preset%1").arg(n));
        QCOMPARE(b->findChild<QLabel *>(QStringLiteral("centerLabel"))->text(), QStringLiteral(" "));
        QCOMPARE(
            b->findChild<QWidget *>(QStringLiteral("backWidget"))->styleSheet(),
            QStringLiteral("QWidget#backWidget{background: url(:/tavimorex-assets/img/transback.png);}"));
    }
}

void tst_PreviewWin::shownOverlayUsesTheDefaultGrid_data()
{
    QTest::addColumn<int>("spacing");
    QTest::newRow("no spacing") << 0;
    QTest::newRow("spacing 6") << 6;
}

void tst_PreviewWin::shownOverlayUsesTheDefaultGrid()
{
    QFETCH(int, spacing);
    store()->setWrapperVisibility(Camera, true);
    playerWrapper()->layout()->setSpacing(spacing);
    QVERIFY(startAndWaitForPicture());
    QTRY_VERIFY(box(9)->isVisible());
    const QPoint c = centre();
    for (int n = 1; n <= 9; ++n) {
        const int i = n - 1;
        const QPoint expected(c.x() - 195 + (130 + spacing) * (i % 3) - spacing,
                              c.y() - 121 + (81 + spacing) * (i / 3) - spacing);
        QCOMPARE(box(n)->pos(), expected);
        QVERIFY(box(n)->isVisible());
    }
    if (spacing == 0) {
        // Gapless, centred on the picture.
        QCOMPARE(box(1)->pos(), c + QPoint(-195, -121));
        QCOMPARE(box(2)->pos(), c + QPoint(-65, -121));
        QCOMPARE(box(3)->pos(), c + QPoint(65, -121));
        QCOMPARE(box(4)->pos(), c + QPoint(-195, -40));
        QCOMPARE(box(9)->pos(), c + QPoint(65, 41));
    }
    QVERIFY(!backgroundLayer()->isVisible()); // no background picture stored

    // Hiding the overlay hides the boxes; showing it brings them back.
    m_preview->showHideOverlays(false);
    QVERIFY(!box(5)->isVisible());
    m_preview->showHideOverlays(true);
    QVERIFY(box(5)->isVisible());
}

void tst_PreviewWin::dragStoresTheOffsetAndTheCentreReturnsToTheGrid()
{
    store()->setWrapperVisibility(Camera, true);
    QVERIFY(startAndWaitForPicture());
    QTRY_VERIFY(box(2)->isVisible());
    BoundingBox *b = box(2);
    const QPoint grid = b->pos();
    const QPoint c = centre();

    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(b, c + QPoint(100, 60) + QPoint(20, 20) - b->pos());
    // Stored while the button is held.
    QCOMPARE(store()->customPresetPos(Camera, 2), QPoint(100, 60));
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, c + QPoint(100, 60) + QPoint(20, 20) - b->pos());
    m_preview->boundingBoxSizeMove();
    QCOMPARE(b->pos(), c + QPoint(100, 60));

    // Dropped with its corner on the centre: stored as (0, 0), back on the grid at the next refresh.
    dragBox(b, QPoint(20, 20), c);
    QCOMPARE(b->pos(), c);
    QCOMPARE(store()->customPresetPos(Camera, 2), QPoint(0, 0));
    m_preview->boundingBoxSizeMove();
    QCOMPARE(b->pos(), grid);
}

void tst_PreviewWin::storedLookCentreTitleAndVisibilityAreLoaded()
{
    store()->setWrapperVisibility(Camera, true);
    store()->setCustomPresetTitle(Camera, 1, QStringLiteral("Pulpit left side cam"));
    store()->setCenterType(Camera, 2, 1);
    store()->setCenterType(Camera, 3, 2);
    store()->setCenterType(Camera, 4, 7); // unknown: left as it was
    store()->setSnapshotBoxType(Camera, 5, 1);
    store()->setSnapshotBox(Camera, 5, QStringLiteral("/pictures/box5.png"));
    store()->setSnapshotBoxType(Camera, 6, 9); // unknown: left as it was
    store()->setBoxVisibility(Camera, 8, false);
    QVERIFY(startAndWaitForPicture());
    QTRY_VERIFY(box(1)->isVisible());

    auto centreMark = [this](int n) {
        return box(n)->findChild<QLabel *>(QStringLiteral("centerLabel"))->text();
    };
    auto look = [this](int n) {
        return box(n)->findChild<QWidget *>(QStringLiteral("backWidget"))->styleSheet();
    };
    QCOMPARE(box(1)->title(), QStringLiteral("Pulpit left sid"));
    QCOMPARE(centreMark(2), QStringLiteral("+"));
    QCOMPARE(centreMark(3), QStringLiteral("*"));
    QCOMPARE(centreMark(4), QStringLiteral("+")); // the form's initial mark
    QCOMPARE(look(5), QStringLiteral("QWidget#backWidget{image: url('/pictures/box5.png');}"));
    QVERIFY(look(6).contains(QStringLiteral("background-image"))); // the form's initial look
    // A box hidden on its own stays hidden when the overlay is refreshed.
    QVERIFY(!box(8)->isVisible());
    m_preview->boundingBoxSizeMove();
    QVERIFY(!box(8)->isVisible());
    QVERIFY(box(9)->isVisible());
    m_preview->setBoxVisible(8, true);
    QVERIFY(box(8)->isVisible());
    m_preview->setBoxVisible(8, false);
    QVERIFY(!box(8)->isVisible());

    // The main window's box commands act on one box.
    m_preview->setBoxTitle(2, QStringLiteral("A title of twenty ch"));
    QCOMPARE(box(2)->title(), QStringLiteral("A title of twen"));
    m_preview->setBoxCenterDiamond(2);
    QCOMPARE(centreMark(2), QStringLiteral("*"));
    m_preview->removeBoxCenter(2);
    QCOMPARE(centreMark(2), QStringLiteral(" "));
    m_preview->setBoxCrossHair(2);
    QCOMPARE(centreMark(2), QStringLiteral("+"));
    m_preview->setBoxImage(2, QStringLiteral("/p/2.png"));
    QCOMPARE(look(2), QStringLiteral("QWidget#backWidget{image: url('/p/2.png');}"));
    m_preview->setBoxDefault(2);
    QCOMPARE(look(2),
             QStringLiteral("QWidget#backWidget{background: url(:/tavimorex-assets/img/transback.png);}"));
    QCOMPARE(centreMark(3), QStringLiteral("*"));
}

void tst_PreviewWin::colourKeysAreSwappedAndReadBack()
{
    // What "Choose Color" stores for box 5: red 200, green 50, blue 10.
    store()->setSnapshotBoxColor(Camera, 5, QColor(200, 50, 10));
    store()->setSnapshotBoxType(Camera, 5, 2);
    store()->setWrapperVisibility(Camera, true);
    store()->sync();
    QSettings file(store()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("snapshotboxcolor_r127.0.11.25")).toInt(), 200);
    QCOMPARE(file.value(QStringLiteral("snapshotboxcolor_g127.0.11.25")).toInt(), 10);
    QCOMPARE(file.value(QStringLiteral("snapshotboxcolor_b127.0.11.25")).toInt(), 50);

    const QString shown = QStringLiteral("QWidget#backWidget{background: rgb(200,50,10);}");
    auto look = [this] {
        return box(5)->findChild<QWidget *>(QStringLiteral("backWidget"))->styleSheet();
    };
    m_preview->setBoxColor(5, QColor(200, 50, 10));
    QCOMPARE(look(), shown);

    // Reloaded at every start of playback.
    m_preview->setBoxDefault(5);
    QVERIFY(startAndWaitForPicture());
    QCOMPARE(look(), shown);
}

void tst_PreviewWin::backgroundPicture()
{
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("snapshot_127.0.11.2_back.png"));
    QImage(64, 36, QImage::Format_RGB32).save(picture);
    store()->setSnapshotBackType(Camera, 1);
    store()->setSnapshotBack(Camera, picture);
    QVERIFY(startAndWaitForPicture());
    // Stored, but the overlay is hidden.
    QTRY_VERIFY(!backgroundLayer()->isVisible());

    store()->setWrapperVisibility(Camera, true);
    m_preview->boundingBoxSizeMove();
    QVERIFY(backgroundLayer()->isVisible());
    QCOMPARE(backgroundLayer()->size(), playerWrapper()->size());
    QCOMPARE(backgroundLayer()->pos(), QPoint(0, 0));
    QCOMPARE(backgroundLayer()->backFrame()->styleSheet(),
             QStringLiteral("QFrame{image : url('%1') center center;background : black}").arg(picture));

    m_preview->hideBackground();
    QVERIFY(!backgroundLayer()->isVisible());
    m_preview->setBackgroundImage(QStringLiteral("/other.png"));
    QVERIFY(backgroundLayer()->isVisible());
    QVERIFY(backgroundLayer()->backFrame()->styleSheet().contains(QStringLiteral("url('/other.png')")));

    // Stopping hides the overlay.
    m_preview->stopPlayback();
    QVERIFY(!backgroundLayer()->isVisible());
    QVERIFY(!box(1)->isVisible());
}

void tst_PreviewWin::resizingKeepsEveryOffset()
{
    store()->setWrapperVisibility(Camera, true);
    store()->setPictureInPictureVisibility(Camera, true);
    store()->setCustomPresetPos(Camera, 1, QPoint(-300, 100));
    store()->setPictureInPicturePos(Camera, QPoint(40, -170));
    QVERIFY(startAndWaitForPicture());
    QTRY_VERIFY(box(1)->isVisible());
    QCOMPARE(box(1)->pos(), centre() + QPoint(-300, 100));
    QCOMPARE(pictureInPicture()->pos(), centre() + QPoint(40, -170));

    m_preview->resize(1100, 800);
    QTRY_VERIFY(playerWrapper()->width() > 900);
    // The layout keeps the offsets at once; the refresh 150 ms later re-places from the settings.
    QTRY_COMPARE(box(1)->pos(), centre() + QPoint(-300, 100));
    QTRY_COMPARE(pictureInPicture()->pos(), centre() + QPoint(40, -170));
    QTRY_COMPARE(box(5)->pos(), centre() + QPoint(-65, -40));
    QTRY_COMPARE(backgroundLayer()->size(), playerWrapper()->size());
    QTest::qWait(300);
    QCOMPARE(box(1)->pos(), centre() + QPoint(-300, 100));
    QCOMPARE(box(5)->pos(), centre() + QPoint(-65, -40)); // the grid's middle box, whatever the spacing
}

void tst_PreviewWin::pictureInPicturePlaysOnlyWhileShown()
{
    QVERIFY(startAndWaitForPicture());
    QTest::qWait(500);
    // Hidden (the default): the camera serves one client.
    QVERIFY(!pictureInPicture()->isVisible());
    QCOMPARE(rtspConnections(Camera), 1);
    QCOMPARE(rtsp(Camera, QStringLiteral("PLAY /2")), 1);

    // Shown: at the corner of the picture, with a second player on the same stream.
    m_preview->setPictureInPictureVisible(true);
    QVERIFY(pictureInPicture()->isVisible());
    QCOMPARE(pictureInPicture()->pos(), QPoint(0, 0));
    QVERIFY(waitForRtsp(Camera, QStringLiteral("PLAY /2"), 2));
    QCOMPARE(rtspConnections(Camera), 2);

    // Hidden again: the second player goes, the main one stays.
    m_preview->setPictureInPictureVisible(false);
    QVERIFY(!pictureInPicture()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(rtspConnections(Camera), 1, 10000);
    QVERIFY(m_preview->isPlaying());
    QVERIFY(m_preview->hasPicture());

    // Stored visible: the refresh at the start of playback shows it and starts its player.
    m_preview->stopPlayback();
    QTRY_COMPARE_WITH_TIMEOUT(rtspConnections(Camera), 0, 10000);
    store()->setPictureInPictureVisibility(Camera, true);
    QVERIFY(startAndWaitForPicture());
    QVERIFY(pictureInPicture()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(rtspConnections(Camera), 2, 10000);
    QVERIFY(waitForRtsp(Camera, QStringLiteral("PLAY /2"), 4));
}

void tst_PreviewWin::snapIntoAndOutOfTheMainWindow()
{
    // A stand-in for the main window: a window with a vertical layout. It outlives the preview (see
    // cleanup()), which it owns as a child once snapped.
    m_host = std::make_unique<QWidget>();
    QWidget &host = *m_host;
    auto *hostLayout = new QVBoxLayout(&host);
    hostLayout->addWidget(new QLabel(QStringLiteral("controls"), &host));
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    m_preview.reset();
    m_preview = std::make_unique<PreviewWin>(&host);
    m_preview->setCamera(m_camera.get());
    m_preview->setCameraAvailable(true);
    m_preview->setSnapLayout(hostLayout);
    m_preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_preview.get()));
    QVERIFY(m_preview->isWindow());
    QVERIFY(startAndWaitForPicture());

    QSignalSpy snapped(m_preview.get(), &PreviewWin::snapChanged);
    QSignalSpy shown(m_preview.get(), &PreviewWin::pictureShown);
    child<QCheckBox>("snapBox")->setChecked(true);
    QCOMPARE(snapped.count(), 1);
    QCOMPARE(snapped.at(0).at(0).toBool(), true);
    QVERIFY(m_preview->isSnapped());
    QVERIFY(!m_preview->isWindow());
    QVERIFY(hostLayout->indexOf(m_preview.get()) >= 0);
    QCOMPARE(m_preview->window(), &host);
    // Playback goes on in the new place.
    QVERIFY(m_preview->isPlaying());
    QVERIFY(shown.wait(PictureTimeoutMs));

    child<QCheckBox>("snapBox")->setChecked(false);
    QCOMPARE(snapped.count(), 2);
    QCOMPARE(snapped.at(1).at(0).toBool(), false);
    QVERIFY(m_preview->isWindow());
    QCOMPARE(hostLayout->indexOf(m_preview.get()), -1);
    QTRY_VERIFY(m_preview->windowState() & Qt::WindowMaximized);
    QVERIFY(m_preview->isPlaying());
    QVERIFY(shown.wait(PictureTimeoutMs));
}

void tst_PreviewWin::screenshotsOfTheOverlay()
{
    store()->setWrapperVisibility(Camera, true);
    store()->setPictureInPictureVisibility(Camera, true);
    store()->setCustomPresetTitle(Camera, 1, QStringLiteral("Pulpit"));
    store()->setCenterType(Camera, 1, 1);
    store()->setSnapshotBoxColor(Camera, 3, QColor(200, 50, 10));
    store()->setSnapshotBoxType(Camera, 3, 2);
    store()->setCenterType(Camera, 5, 2);
    store()->setCustomPresetPos(Camera, 9, QPoint(180, 90));
    store()->setPictureInPicturePos(Camera, QPoint(-320, -180));
    QVERIFY(startAndWaitForPicture());
    QTRY_VERIFY(box(9)->isVisible());
    QVERIFY(pictureInPicture()->isVisible());
    QVERIFY(waitForRtsp(Camera, QStringLiteral("PLAY /2"), 2));
    QTest::qWait(1500); // both pictures on screen
    saveScreenshot(QStringLiteral("preview-overlay-pip"));

    m_preview->showHideOverlays(false);
    QTest::qWait(300);
    saveScreenshot(QStringLiteral("preview-live-pip"));
}

int main(int argc, char *argv[])
{
    return runInTavimorexApp<tst_PreviewWin>(argc, argv);
}
#include "tst_previewwin.moc"
