// The main window's preset map commands, raised by the real preset map dialog's signals, inside the real
// application object, with the real preview window playing the camera simulator's RTSP stream (xcb
// platform, under Xvfb when no display is set). The functions run in order: first without a camera,
// then on the connected camera 127.0.16.2.

#include "appservices.h"
#include "appsettings.h"
#include "boundingbox.h"
#include "boundingboxsettings.h"
#include "camerawrapper.h"
#include "datapaths.h"
#include "mainwindow.h"
#include "pictureinpicture.h"
#include "previewwin.h"
#include "ptzsimprocess.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString Cam = QStringLiteral("127.0.16.2");
const QString NoCamera = QStringLiteral("Can not set bounding boxes' property.");
const QString NoSnapshot = QStringLiteral("Can not take a snap shot.");
constexpr int PictureTimeoutMs = 15000;

QByteArray packet(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

// Everything in the settings file, for "nothing stored" checks. QSettings objects of one process share
// the file's contents, so this sees the application's unsaved changes too.
QMap<QString, QVariant> storedValues()
{
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    QMap<QString, QVariant> values;
    for (const QString &key : file.allKeys())
        values.insert(key, file.value(key));
    return values;
}

// Runs action; the modal dialog it opens (if any) is handed to handler from inside its own event loop.
// Returns the class name of that dialog, or an empty string when none opened.
QString withModal(const std::function<void()> &action, const std::function<void(QDialog *)> &handler)
{
    QString seen;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible() && d->isModal())
                    dialog = d;
            }
        }
        if (!dialog)
            return;
        timer.stop();
        seen = QString::fromLatin1(dialog->metaObject()->className());
        handler(dialog);
    });
    timer.start();
    action();
    // A box shown without a nested loop is still open when action returns.
    (void)QTest::qWaitFor([&] { return !seen.isEmpty(); }, 200);
    timer.stop();
    return seen;
}

// The text of the message box that action shows (closing it), or an empty string when none showed.
QString messageOf(const std::function<void()> &action)
{
    QString text;
    const QString kind = withModal(action, [&text](QDialog *dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            text = box->text();
        else
            text = QStringLiteral("<%1>").arg(QString::fromLatin1(dialog->metaObject()->className()));
        dialog->reject();
    });
    Q_UNUSED(kind)
    return text;
}

} // namespace

class tst_PresetMapCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void snapshotPathNaming_data();
    void snapshotPathNaming();
    void mapEntryOpensTheDialog();
    void everyCommandNeedsAConnectedCamera_data();
    void everyCommandNeedsAConnectedCamera();

    // Camera 127.0.16.2 connected, the preview open.
    void connectingStartsTheOpenPreview();
    void osdMenuSwitchesThePreviewToTheFirstStream();
    void snapshotWhileStoppedIsRefused();
    void snapshotsForBackgroundAndBox();
    void useLiveVideoKeepsThePicturePath();
    void setPresetStoresCustomPresetInTheCamera();
    void boxLookAndCentre_data();
    void boxLookAndCentre();
    void showHideToggles_data();
    void showHideToggles();
    void resetAllBoxesReturnsThemToTheGrid();
    void backgroundFileDialog();
    void colourDialog();
    void movingTheWindowRefreshesTheOverlay();
    void snappedScreenshot();
    void disconnectingStopsThePreview();

private:
    template<typename T>
    T *find(const char *name) const
    {
        T *w = m_window->findChild<T *>(QLatin1String(name));
        if (!w)
            qWarning("no %s", name);
        return w;
    }
    BoundingBox *box(int n) const;
    PictureInPicture *pictureInPicture() const { return m_preview->findChild<PictureInPicture *>(); }
    QWidget *playerWrapper() const
    {
        return m_preview->findChild<QWidget *>(QStringLiteral("playerWrapper"));
    }
    AppSettings *store() const { return appServices()->settings(); }
    bool waitForPicture();

    PtzSimProcess m_sim;
    MainWindow *m_window = nullptr;
    PreviewWin *m_preview = nullptr;
    BoundingBoxSettings *m_dialog = nullptr;
};

BoundingBox *tst_PresetMapCommands::box(int n) const
{
    for (BoundingBox *b : m_preview->findChildren<BoundingBox *>()) {
        if (b->presetNumber() == n)
            return b;
    }
    return nullptr;
}

bool tst_PresetMapCommands::waitForPicture()
{
    return QTest::qWaitFor([this] { return m_preview->isPlaying() && m_preview->hasPicture(); },
                           PictureTimeoutMs);
}

void tst_PresetMapCommands::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(m_sim.start({Cam}), qPrintable(m_sim.errorString()));
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(w))
            m_window = window;
    }
    QVERIFY(m_window);
    m_preview = m_window->findChild<PreviewWin *>();
    m_dialog = m_window->findChild<BoundingBoxSettings *>();
    QVERIFY(m_preview);
    QVERIFY(m_dialog);
    QCOMPARE(m_preview->parentWidget(), static_cast<QWidget *>(m_window));
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_PresetMapCommands::cleanupTestCase()
{
    m_sim.stop();
}

void tst_PresetMapCommands::snapshotPathNaming_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("file");
    QTest::newRow("background") << "192.168.1.20"
                                << "_back.png"
                                << "snapshot_192.168.1.20_back.png";
    QTest::newRow("box 3") << "192.168.1.20"
                           << "_3_back.png"
                           << "snapshot_192.168.1.20_3_back.png";
    QTest::newRow("blanks in the id") << "PTZ Cam 2"
                                      << "_9_back.png"
                                      << "snapshot_PTZ_Cam_2_9_back.png";
    QTest::newRow("blanks in the suffix") << "cam"
                                          << " back .png"
                                          << "snapshot_cam_back_.png";
}

void tst_PresetMapCommands::snapshotPathNaming()
{
    QFETCH(QString, id);
    QFETCH(QString, suffix);
    QFETCH(QString, file);
    const QString path = MainWindow::presetMapSnapshotPath(id, suffix);
    QCOMPARE(path, TestDataHome::dataFolder() + QStringLiteral("/downloads/") + file);
}

void tst_PresetMapCommands::mapEntryOpensTheDialog()
{
    QVERIFY(!m_dialog->isVisible());
    find<QAction>("actionBoundingBoxSetting")->trigger();
    QTRY_VERIFY(m_dialog->isVisible());
    QVERIFY(!m_dialog->isModal());
    m_dialog->close();
}

void tst_PresetMapCommands::everyCommandNeedsAConnectedCamera_data()
{
    using Emit = std::function<void(BoundingBoxSettings *)>;
    QTest::addColumn<Emit>("raise");
    QTest::newRow("takeSnapShotForBackground")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->takeSnapShotForBackgroundClicked(); });
    QTest::newRow("uploadFileForBackground")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->uploadFileForBackgroundClicked(); });
    QTest::newRow("useLiveVideoForBackground")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->useLiveVideoForBackgroundClicked(); });
    QTest::newRow("takeSnapShotForBoundingBox")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->takeSnapShotForBoundingBoxClicked(2); });
    QTest::newRow("defaultForBoundingBox")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->defaultForBoundingBoxClicked(2); });
    QTest::newRow("setCustomPreset") << Emit(
        [](BoundingBoxSettings *d) { Q_EMIT d->setCustomPresetClicked(4, QStringLiteral("Desk")); });
    QTest::newRow("showCrossHair") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showCrossHairClicked(1); });
    QTest::newRow("showCenterDiamond")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showCenterDiamondClicked(1); });
    QTest::newRow("removeCenter") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->removeCenterClicked(1); });
    QTest::newRow("resetAllBoxes") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->resetAllBoxesClicked(); });
    QTest::newRow("chooseColor") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->chooseColorClicked(5); });
    QTest::newRow("showHideBoundingBoxes")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showHideBoundingBoxesClicked(); });
    QTest::newRow("showHideCurrentBoundingBox")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showHideCurrentBoundingBoxClicked(6); });
    QTest::newRow("showHidePictureInPicture")
        << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showHidePictureInPictureClicked(); });
}

void tst_PresetMapCommands::everyCommandNeedsAConnectedCamera()
{
    using Emit = std::function<void(BoundingBoxSettings *)>;
    QFETCH(Emit, raise);
    m_sim.clearLog();
    const QMap<QString, QVariant> before = storedValues();
    // The message, and no file or colour dialog before or after it.
    QCOMPARE(messageOf([this, raise] { raise(m_dialog); }), NoCamera);
    QCOMPARE(storedValues(), before);
    QTest::qWait(100);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(m_sim.countEvents(Cam, QStringLiteral("RX")), 0);
}

void tst_PresetMapCommands::connectingStartsTheOpenPreview()
{
    // Opened before any camera: shown, nothing to play.
    QAction *entry = find<QAction>("actionPreviewWindow");
    entry->trigger();
    QVERIFY(entry->isChecked());
    QVERIFY(QTest::qWaitForWindowExposed(m_preview));
    QVERIFY(!m_preview->isPlaying());

    QTest::mouseClick(find<QPushButton>("connectCam1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("connectionLabel")->text(), QStringLiteral("Connected"), 10000);
    QCOMPARE(m_preview->camera(), m_window->currentCamera());
    QVERIFY(m_preview->isCameraAvailable());
    QVERIFY(m_preview->isPlaying());
    QCOMPARE(m_preview->mediaLocation(),
             QStringLiteral("rtsp://%1/%2").arg(Cam).arg(m_preview->isFirstStreamChecked() ? 1 : 2));
    QVERIFY(waitForPicture());

    // The button does nothing while the entry is checked.
    QTest::mouseClick(find<QPushButton>("tvBtn"), Qt::LeftButton);
    QVERIFY(m_preview->isPlaying());
}

void tst_PresetMapCommands::osdMenuSwitchesThePreviewToTheFirstStream()
{
    m_preview->setFirstStreamChecked(false);
    m_preview->onStreamChanged();
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://%1/2").arg(Cam));
    m_sim.clearLog();
    find<QPushButton>("osdMenuBtn")->click();
    QVERIFY(m_sim.waitForRx(Cam, packet("8101043f025fff")));
    QVERIFY(m_preview->isFirstStreamChecked());
    QVERIFY(m_preview->isPlaying());
    QCOMPARE(m_preview->mediaLocation(), QStringLiteral("rtsp://%1/1").arg(Cam));

    // On the first stream already: the menu leaves the playback alone.
    QSignalSpy playing(m_preview, &PreviewWin::playingChanged);
    find<QPushButton>("osdMenuBtn")->click();
    QTest::qWait(200);
    QCOMPARE(playing.count(), 0);
    QVERIFY(waitForPicture());
}

void tst_PresetMapCommands::snapshotWhileStoppedIsRefused()
{
    m_preview->stopPlayback();
    const QString back = MainWindow::presetMapSnapshotPath(Cam, QStringLiteral("_back.png"));
    const QString box7 = MainWindow::presetMapSnapshotPath(Cam, QStringLiteral("_7_back.png"));
    const QMap<QString, QVariant> before = storedValues();
    QCOMPARE(messageOf([this] { Q_EMIT m_dialog->takeSnapShotForBackgroundClicked(); }), NoSnapshot);
    QCOMPARE(messageOf([this] { Q_EMIT m_dialog->takeSnapShotForBoundingBoxClicked(7); }), NoSnapshot);
    QCOMPARE(storedValues(), before);
    QVERIFY(!QFile::exists(back));
    QVERIFY(!QFile::exists(box7));
    m_preview->startPlayback();
    QVERIFY(waitForPicture());
}

void tst_PresetMapCommands::snapshotsForBackgroundAndBox()
{
    const QString back = MainWindow::presetMapSnapshotPath(Cam, QStringLiteral("_back.png"));
    QCOMPARE(messageOf([this] { Q_EMIT m_dialog->takeSnapShotForBackgroundClicked(); }), QString());
    QVERIFY(QFile::exists(back));
    QCOMPARE(QImageReader(back).format(), QByteArray("png"));
    QCOMPARE(store()->snapshotBackType(Cam), 1);
    QCOMPARE(store()->snapshotBack(Cam), back);

    const QString box3 = MainWindow::presetMapSnapshotPath(Cam, QStringLiteral("_3_back.png"));
    QCOMPARE(QFileInfo(box3).fileName(), QStringLiteral("snapshot_%1_3_back.png").arg(Cam));
    QCOMPARE(messageOf([this] { Q_EMIT m_dialog->takeSnapShotForBoundingBoxClicked(3); }), QString());
    QVERIFY(QFile::exists(box3));
    QVERIFY(!QImageReader(box3).read().isNull());
    QCOMPARE(store()->snapshotBoxType(Cam, 3), 1);
    QCOMPARE(store()->snapshotBox(Cam, 3), box3);
}

void tst_PresetMapCommands::useLiveVideoKeepsThePicturePath()
{
    const QString back = store()->snapshotBack(Cam);
    QVERIFY(!back.isEmpty());
    Q_EMIT m_dialog->useLiveVideoForBackgroundClicked();
    QCOMPARE(store()->snapshotBackType(Cam), 0);
    QCOMPARE(store()->snapshotBack(Cam), back);
}

void tst_PresetMapCommands::setPresetStoresCustomPresetInTheCamera()
{
    m_sim.clearLog();
    Q_EMIT m_dialog->setCustomPresetClicked(4, QStringLiteral("Lectern"));
    // Memory set 104 (0x68).
    QVERIFY(m_sim.waitForRx(Cam, packet("8101043f0168ff")));
    QCOMPARE(store()->customPresetTitle(Cam, 4), QStringLiteral("Lectern"));
    QCOMPARE(box(4)->title(), QStringLiteral("Lectern"));
    QVERIFY(box(5)->title() != QStringLiteral("Lectern"));
}

void tst_PresetMapCommands::boxLookAndCentre_data()
{
    using Emit = std::function<void(BoundingBoxSettings *)>;
    QTest::addColumn<Emit>("raise");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("centerType");
    QTest::addColumn<int>("boxType");
    QTest::newRow("cross hair") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showCrossHairClicked(2); })
                                << 2 << 1 << 0;
    QTest::newRow("diamond") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->showCenterDiamondClicked(2); })
                             << 2 << 2 << 0;
    QTest::newRow("no centre") << Emit([](BoundingBoxSettings *d) { Q_EMIT d->removeCenterClicked(2); }) << 2
                               << 0 << 0;
    // Box 3 carries the snapshot taken above; "default" returns it to the plain look.
    QTest::newRow("default look") << Emit([](BoundingBoxSettings *d) {
        Q_EMIT d->defaultForBoundingBoxClicked(3);
    }) << 3 << 0 << 0;
}

void tst_PresetMapCommands::boxLookAndCentre()
{
    using Emit = std::function<void(BoundingBoxSettings *)>;
    QFETCH(Emit, raise);
    QFETCH(int, box);
    QFETCH(int, centerType);
    QFETCH(int, boxType);
    QCOMPARE(messageOf([this, raise] { raise(m_dialog); }), QString());
    QCOMPARE(store()->centerType(Cam, box), centerType);
    QCOMPARE(store()->snapshotBoxType(Cam, box), boxType);
}

void tst_PresetMapCommands::showHideToggles_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("all boxes") << 0;
    QTest::newRow("box 6") << 1;
    QTest::newRow("picture in picture") << 2;
}

void tst_PresetMapCommands::showHideToggles()
{
    QFETCH(int, which);
    QVERIFY(m_preview->isPlaying());
    auto stored = [this, which] {
        switch (which) {
        case 0:
            return store()->wrapperVisibility(Cam);
        case 1:
            return store()->boxVisibility(Cam, 6);
        default:
            return store()->pictureInPictureVisibility(Cam);
        }
    };
    auto shown = [this, which] {
        switch (which) {
        case 0:
            return box(1)->isVisible() && box(9)->isVisible();
        case 1:
            return box(6)->isVisible();
        default:
            return pictureInPicture()->isVisible();
        }
    };
    auto toggle = [this, which] {
        switch (which) {
        case 0:
            Q_EMIT m_dialog->showHideBoundingBoxesClicked();
            break;
        case 1:
            Q_EMIT m_dialog->showHideCurrentBoundingBoxClicked(6);
            break;
        default:
            Q_EMIT m_dialog->showHidePictureInPictureClicked();
            break;
        }
    };
    // A single box shows only inside a shown overlay.
    if (which == 1 && !store()->wrapperVisibility(Cam)) {
        Q_EMIT m_dialog->showHideBoundingBoxesClicked();
        QVERIFY(store()->wrapperVisibility(Cam));
    }
    const bool start = stored();
    toggle();
    QCOMPARE(stored(), !start);
    QTRY_COMPARE(shown(), !start);
    toggle();
    QCOMPARE(stored(), start);
    QTRY_COMPARE(shown(), start);
}

void tst_PresetMapCommands::resetAllBoxesReturnsThemToTheGrid()
{
    if (!store()->wrapperVisibility(Cam))
        Q_EMIT m_dialog->showHideBoundingBoxesClicked();
    for (int n = 1; n <= 9; ++n) {
        if (!store()->boxVisibility(Cam, n))
            Q_EMIT m_dialog->showHideCurrentBoundingBoxClicked(n);
    }
    QTRY_VERIFY(box(9)->isVisible());
    const QPoint c(playerWrapper()->width() / 2, playerWrapper()->height() / 2);
    // Offsets of some boxes and of the picture-in-picture frame away from their spots.
    for (int n = 1; n <= 9; ++n)
        store()->setCustomPresetPos(Cam, n, QPoint(n * 3, -n * 2));
    store()->setPictureInPicturePos(Cam, QPoint(40, 30));
    m_preview->boundingBoxSizeMove();
    const QPoint offsetPos = box(1)->pos();

    Q_EMIT m_dialog->resetAllBoxesClicked();
    for (int n = 1; n <= 9; ++n)
        QCOMPARE(store()->customPresetPos(Cam, n), QPoint(0, 0));
    QCOMPARE(store()->pictureInPicturePos(Cam), QPoint(0, 0));
    // At once, without waiting for a refresh, on the default grid of the picture's spacing.
    const int s = playerWrapper()->layout()->spacing();
    QVERIFY(box(1)->pos() != offsetPos);
    for (int n : {1, 5, 9}) {
        const int i = n - 1;
        QCOMPARE(box(n)->pos(),
                 QPoint(c.x() - 195 + (130 + s) * (i % 3) - s, c.y() - 121 + (81 + s) * (i / 3) - s));
    }
}

void tst_PresetMapCommands::backgroundFileDialog()
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("stage.png"));
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(picture));
    Q_EMIT m_dialog->useLiveVideoForBackgroundClicked();
    const QString oldBack = store()->snapshotBack(Cam);

    // Cancelled: nothing changes.
    QString caption;
    QCOMPARE(withModal([this] { Q_EMIT m_dialog->uploadFileForBackgroundClicked(); },
                       [&caption](QDialog *d) {
                           caption = d->windowTitle();
                           d->reject();
                       }),
             QStringLiteral("QFileDialog"));
    QCOMPARE(caption, QStringLiteral("Choose background image"));
    QCOMPARE(store()->snapshotBackType(Cam), 0);
    QCOMPARE(store()->snapshotBack(Cam), oldBack);

    // Chosen: stored as the background picture.
    QCOMPARE(withModal([this] { Q_EMIT m_dialog->uploadFileForBackgroundClicked(); },
                       [&picture](QDialog *d) {
                           auto *files = static_cast<QFileDialog *>(d);
                           files->setDirectory(QFileInfo(picture).absolutePath());
                           files->selectFile(picture);
                           // What the operator types: read even before the folder listing arrives.
                           if (auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                               edit->setText(QFileInfo(picture).fileName());
                           // done() rather than accept(): accept() waits for the folder to be read.
                           static_cast<QDialog *>(files)->done(QDialog::Accepted);
                       }),
             QStringLiteral("QFileDialog"));
    QCOMPARE(store()->snapshotBackType(Cam), 1);
    QCOMPARE(store()->snapshotBack(Cam), picture);
    Q_EMIT m_dialog->useLiveVideoForBackgroundClicked();
}

void tst_PresetMapCommands::colourDialog()
{
    Q_EMIT m_dialog->defaultForBoundingBoxClicked(8);
    const QColor oldColour = store()->snapshotBoxColor(Cam, 8);

    QColor initial;
    QCOMPARE(withModal([this] { Q_EMIT m_dialog->chooseColorClicked(8); },
                       [&initial](QDialog *d) {
                           initial = static_cast<QColorDialog *>(d)->currentColor();
                           d->reject();
                       }),
             QStringLiteral("QColorDialog"));
    QCOMPARE(initial, QColor(Qt::yellow));
    QCOMPARE(store()->snapshotBoxType(Cam, 8), 0);
    QCOMPARE(store()->snapshotBoxColor(Cam, 8), oldColour);

    QCOMPARE(withModal([this] { Q_EMIT m_dialog->chooseColorClicked(8); },
                       [](QDialog *d) {
                           static_cast<QColorDialog *>(d)->setCurrentColor(QColor(200, 50, 10));
                           d->accept();
                       }),
             QStringLiteral("QColorDialog"));
    QCOMPARE(store()->snapshotBoxType(Cam, 8), 2);
    QCOMPARE(store()->snapshotBoxColor(Cam, 8), QColor(200, 50, 10));
}

void tst_PresetMapCommands::movingTheWindowRefreshesTheOverlay()
{
    QVERIFY(store()->wrapperVisibility(Cam));
    QVERIFY(store()->boxVisibility(Cam, 2));
    // Hidden behind the store's back; the move makes the preview lay the overlay out from the store.
    box(2)->hide();
    m_window->move(m_window->pos() + QPoint(30, 20));
    QTRY_VERIFY(box(2)->isVisible());
}

void tst_PresetMapCommands::snappedScreenshot()
{
    auto *snap = m_preview->findChild<QCheckBox *>(QStringLiteral("snapBox"));
    QVERIFY(snap);
    snap->setChecked(true);
    QVERIFY(m_preview->isSnapped());
    QTRY_VERIFY(m_window->isAncestorOf(m_preview));
    QVERIFY(!m_preview->isWindow());
    QVERIFY(waitForPicture());
    QTRY_VERIFY(box(9)->isVisible());

    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QTest::qWait(500); // a few frames more in the picture
        QVERIFY(QDir().mkpath(folder));
        // From the screen: the video is drawn by the player into its own window.
        const QPixmap shot = m_window->screen()->grabWindow(m_window->winId());
        QVERIFY(shot.save(QDir(folder).filePath(QStringLiteral("mainwindow-preview-snapped.png")), "PNG"));
    }

    snap->setChecked(false);
    QTRY_VERIFY(m_preview->isWindow());
    QVERIFY(!m_window->isAncestorOf(m_preview) || m_preview->isWindow());
}

void tst_PresetMapCommands::disconnectingStopsThePreview()
{
    QVERIFY(m_preview->isPlaying());
    QVERIFY(m_window->currentCamera());
    // As a camera reports its disconnection.
    Q_EMIT m_window->currentCamera()->clientDisconnected();
    QVERIFY(!m_preview->isPlaying());
    QVERIFY(!m_preview->isCameraAvailable());
    QCOMPARE(messageOf([this] { Q_EMIT m_dialog->showHidePictureInPictureClicked(); }), NoCamera);

    // Closing the preview unchecks its entry.
    m_preview->close();
    QVERIFY(!find<QAction>("actionPreviewWindow")->isChecked());
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    // The file and colour dialogs as Qt widgets, so the test can answer them.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    {
        AppSettings store;
        CameraWrapper one(0, Cam, QStringLiteral("Stage"), Cam);
        store.writeCameraList({&one});
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    tst_PresetMapCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_presetmapcommands.moc"
