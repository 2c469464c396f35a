#include "mpvplayer.h"
#include "ptzsimprocess.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// One libmpv player on a real window, playing the camera simulator's RTSP streams.
class tst_MpvPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void playsTheStreamAndShowsAPicture_data();
    void playsTheStreamAndShowsAPicture();
    void savesTheVideoFrame_data();
    void savesTheVideoFrame();
    void pictureFollowsTheCamera();
    void savingFailsWithoutAPicture();
    void stopLetsGoOfTheStream();
    void unreachableOrUnknownStreamsFail_data();
    void unreachableOrUnknownStreamsFail();
    void cameraGoingAwayEndsTheStream();
    void refusesWithoutAWindow();

private:
    bool playUntilPicture(const QString &location);

    PtzSimProcess m_sim;
    QTemporaryDir m_files;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<MpvPlayer> m_player;
};

namespace {
const QString Camera = QStringLiteral("127.0.11.10");
const QString Nobody = QStringLiteral("127.0.11.11"); // nothing listens here
const QString Vanishing = QStringLiteral("127.0.11.12");
constexpr int PictureTimeoutMs = 15000;

int rtspRequests(const PtzSimProcess &sim, const QString &address, const QString &request)
{
    int count = 0;
    for (const PtzSimProcess::LogEntry &entry : sim.entries(address, QStringLiteral("RTSP"))) {
        if (entry.text == request)
            ++count;
    }
    return count;
}

bool waitForRtsp(const PtzSimProcess &sim, const QString &address, const QString &request, int count = 1)
{
    QDeadlineTimer deadline(10000);
    while (rtspRequests(sim, address, request) < count) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

// How different two pictures of the same size are, 0 (equal) to 255.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32).scaled(x.size());
    qint64 sum = 0;
    for (int row = 0; row < x.height(); row += 4) {
        for (int column = 0; column < x.width(); column += 4) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * (x.width() / 4) * (x.height() / 4));
}
} // namespace

void tst_MpvPlayer::initTestCase()
{
    QVERIFY(m_files.isValid());
    QVERIFY2(m_sim.start({Camera}), qPrintable(m_sim.errorString()));
}

void tst_MpvPlayer::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(640, 360);
    m_window->setStyleSheet(QStringLiteral("background: black"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_player = std::make_unique<MpvPlayer>();
    m_sim.clearLog();
}

void tst_MpvPlayer::cleanup()
{
    m_player.reset();
    m_window.reset();
}

void tst_MpvPlayer::cleanupTestCase()
{
    m_sim.stop();
}

bool tst_MpvPlayer::playUntilPicture(const QString &location)
{
    QSignalSpy playing(m_player.get(), &MpvPlayer::playing);
    if (!m_player->play(location, m_window.get())) {
        qWarning() << m_player->errorString();
        return false;
    }
    return playing.wait(PictureTimeoutMs) && m_player->hasPicture();
}

void tst_MpvPlayer::playsTheStreamAndShowsAPicture_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("first stream (HD)") << QStringLiteral("/1");
    QTest::newRow("second stream (SD)") << QStringLiteral("/2");
}

void tst_MpvPlayer::playsTheStreamAndShowsAPicture()
{
    QFETCH(QString, path);
    const QString location = QStringLiteral("rtsp://") + Camera + path;
    QSignalSpy failed(m_player.get(), &MpvPlayer::failed);
    QVERIFY(playUntilPicture(location));
    QVERIFY(m_player->isActive());
    QCOMPARE(m_player->location(), location);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(rtspRequests(m_sim, Camera, QStringLiteral("DESCRIBE ") + path), 1);
    QCOMPARE(rtspRequests(m_sim, Camera, QStringLiteral("PLAY ") + path), 1);
}

void tst_MpvPlayer::savesTheVideoFrame_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");

    QTest::newRow("SD as PNG") << QStringLiteral("/2") << QStringLiteral("sd.png") << QByteArray("png")
                               << QSize(640, 360);
    QTest::newRow("HD as PNG") << QStringLiteral("/1") << QStringLiteral("hd.png") << QByteArray("png")
                               << QSize(1280, 720);
    QTest::newRow("SD as JPEG") << QStringLiteral("/2") << QStringLiteral("sd.jpg") << QByteArray("jpeg")
                                << QSize(640, 360);
}

void tst_MpvPlayer::savesTheVideoFrame()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);

    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Camera + path));
    const QString file = m_files.filePath(fileName);
    QFile::remove(file);
    QVERIFY2(m_player->saveFrame(file), qPrintable(m_player->errorString()));

    // The stream's own frame, at its own size, in the format of the suffix; no partial file is left.
    QImageReader reader(file);
    QCOMPARE(reader.format(), format);
    const QImage picture = reader.read();
    QCOMPARE(picture.size(), size);
    QCOMPARE(QDir(m_files.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("partial")),
             QStringList());

    // Saving again replaces the file.
    const QDateTime first = QFileInfo(file).lastModified();
    QTest::qWait(20);
    QVERIFY(m_player->saveFrame(file));
    QVERIFY(QFileInfo(file).lastModified() > first);
}

void tst_MpvPlayer::pictureFollowsTheCamera()
{
    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Camera + QStringLiteral("/2")));
    const QString before = m_files.filePath(QStringLiteral("before.png"));
    QVERIFY(m_player->saveFrame(before));

    // Turn the head far to the right: the landmarks leave the picture. Two frames of an unchanged
    // camera differ only in the clock (a mean difference well below 1).
    QCOMPARE(m_sim.control(Camera, QStringLiteral("set pan 0900")).left(2), QStringLiteral("OK"));
    const QString after = m_files.filePath(QStringLiteral("after.png"));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_player->saveFrame(after) && meanDifference(QImage(before), QImage(after)) > 3.0, 10000);
    QCOMPARE(m_sim.control(Camera, QStringLiteral("reset")).left(2), QStringLiteral("OK"));
}

void tst_MpvPlayer::savingFailsWithoutAPicture()
{
    const QString file = m_files.filePath(QStringLiteral("never.png"));
    QVERIFY(!m_player->saveFrame(file)); // no player at all
    QVERIFY(!QFile::exists(file));

    // A stream that never delivers a picture has nothing to save either.
    QVERIFY(m_player->play(QStringLiteral("rtsp://") + Nobody + QStringLiteral("/2"), m_window.get()));
    QVERIFY(!m_player->saveFrame(file));
    QVERIFY(!QFile::exists(file));

    // A folder that does not exist: no file, no leftovers, false.
    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Camera + QStringLiteral("/2")));
    const QString missing = m_files.filePath(QStringLiteral("no/such/folder/shot.png"));
    QVERIFY(!m_player->saveFrame(missing));
    QVERIFY(!QFile::exists(missing));
}

void tst_MpvPlayer::stopLetsGoOfTheStream()
{
    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Camera + QStringLiteral("/2")));
    m_player->stop();
    QVERIFY(!m_player->isActive());
    QVERIFY(!m_player->hasPicture());
    QVERIFY(m_player->location().isEmpty());
    QVERIFY(waitForRtsp(m_sim, Camera, QStringLiteral("TEARDOWN /2")));
    QVERIFY(!m_player->saveFrame(m_files.filePath(QStringLiteral("stopped.png"))));
    m_player->stop(); // twice is harmless

    // The window can be destroyed right away; a new play on a new window works.
    m_window.reset(new QWidget);
    m_window->resize(320, 180);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Camera + QStringLiteral("/1")));
}

void tst_MpvPlayer::unreachableOrUnknownStreamsFail_data()
{
    QTest::addColumn<QString>("location");
    QTest::newRow("no RTSP server") << QStringLiteral("rtsp://") + Nobody + QStringLiteral("/2");
    QTest::newRow("no such stream") << QStringLiteral("rtsp://") + Camera + QStringLiteral("/3");
    QTest::newRow("no such device") << QStringLiteral("av://v4l2:/dev/video-does-not-exist");
}

void tst_MpvPlayer::unreachableOrUnknownStreamsFail()
{
    QFETCH(QString, location);
    QSignalSpy playing(m_player.get(), &MpvPlayer::playing);
    QSignalSpy failed(m_player.get(), &MpvPlayer::failed);
    QVERIFY(m_player->play(location, m_window.get()));
    QVERIFY(failed.wait(PictureTimeoutMs));
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QCOMPARE(playing.count(), 0);
    QVERIFY(!m_player->hasPicture());
}

void tst_MpvPlayer::cameraGoingAwayEndsTheStream()
{
    PtzSimProcess vanishing;
    QVERIFY2(vanishing.start({Vanishing}, {QStringLiteral("--control-port"), QStringLiteral("5681")}),
             qPrintable(vanishing.errorString()));
    QVERIFY(playUntilPicture(QStringLiteral("rtsp://") + Vanishing + QStringLiteral("/2")));
    QSignalSpy ended(m_player.get(), &MpvPlayer::ended);
    QSignalSpy failed(m_player.get(), &MpvPlayer::failed);
    vanishing.stop();
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() + failed.count() > 0, 15000);
    QCOMPARE(ended.count(), 1);
}

void tst_MpvPlayer::refusesWithoutAWindow()
{
    QVERIFY(!m_player->play(QStringLiteral("rtsp://") + Camera + QStringLiteral("/2"), nullptr));
    QVERIFY(!m_player->errorString().isEmpty());
    QVERIFY(!m_player->isActive());
}

QTEST_MAIN(tst_MpvPlayer)
#include "tst_mpvplayer.moc"
