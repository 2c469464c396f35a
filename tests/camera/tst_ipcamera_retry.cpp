#include "ipcamera.h"
#include "linktesthelpers.h"
#include "ptzsimprocess.h"
#include "testdatahome.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The VISCA link of IPCamera against the camera simulator, when the camera is gone or silent: the back-off
// retries after a failed re-open find a camera that comes back and stop when the user disconnects, links
// that close at once are not re-opened in a loop, and a camera that stops answering is reported
// "Unresponsive" while it stays connected.

using namespace LinkTest;

namespace {

const QString BackOffAddress = QStringLiteral("127.0.1.24");
const QString StopRetryAddress = QStringLiteral("127.0.1.25");
const QString SilentAddress = QStringLiteral("127.0.1.26");
const QString HangupAddress = QStringLiteral("127.0.1.27");

} // namespace

class TestIPCameraRetry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backOffFindsReturningCamera();
    void userDisconnectStopsRetries();
    void shortLivedLinksBackOff();
    void unresponsiveAndBack();

private:
    TestDataHome m_home;
};

void TestIPCameraRetry::backOffFindsReturningCamera()
{
    auto sim = std::make_unique<PtzSimProcess>();
    QVERIFY2(sim->start({BackOffAddress}), qPrintable(sim->errorString()));
    IPCamera camera(BackOffAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim->waitForRx(BackOffAddress, PollingOrder.at(2), 5000));

    // The camera goes away for five seconds.
    QElapsedTimer clock;
    QList<qint64> attempts;
    connect(&camera, &CameraWrapper::clientStateChanged, this, [&](const QString &state) {
        if (state == QLatin1String("Connecting"))
            attempts.append(clock.elapsed());
    });
    clock.start();
    sim->stop();
    QTest::qWait(5000);
    QVERIFY(connected.count() == 1);
    sim = std::make_unique<PtzSimProcess>();
    QVERIFY2(sim->start({BackOffAddress}), qPrintable(sim->errorString()));

    QVERIFY(waitConnected(connected, 2, 20000));
    // The immediate attempt, then 1, 2, 4 s apart (at about 0, 1, 3, 7 s): at least four attempts, the
    // last one finding the camera, with growing gaps between them.
    QStringList times;
    for (qint64 t : std::as_const(attempts))
        times.append(QString::number(t));
    const QByteArray text = times.join(QLatin1Char(' ')).toLatin1();
    QVERIFY2(attempts.size() >= 4, text.constData());
    QVERIFY2(attempts.at(0) < 1000, text.constData());
    // The retry timer may fire a little early (a coarse timer keeps within 5 %).
    QVERIFY2(attempts.at(1) - attempts.at(0) >= 900, text.constData());
    QVERIFY2(attempts.at(2) - attempts.at(1) >= 1800, text.constData());
    QVERIFY2(attempts.at(3) - attempts.at(2) >= 3600, text.constData());
    // The simulator's log reaches us through a pipe, possibly after the link is up on our side.
    QVERIFY(sim->waitForEvent(BackOffAddress, QStringLiteral("CONNECT"), 3000));
    QCOMPARE(sim->countEvents(BackOffAddress, QStringLiteral("CONNECT")), 1);
}

void TestIPCameraRetry::userDisconnectStopsRetries()
{
    auto sim = std::make_unique<PtzSimProcess>();
    QVERIFY2(sim->start({StopRetryAddress}), qPrintable(sim->errorString()));
    IPCamera camera(StopRetryAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim->waitForRx(StopRetryAddress, PollingOrder.at(2), 5000));

    sim->stop();
    // Wait for the immediate attempt and the first retry to fail.
    QVERIFY(QTest::qWaitFor([&] { return statesOf(states).count(QStringLiteral("Connecting")) >= 2; }, 5000));
    QTRY_COMPARE(statesOf(states).last(), QStringLiteral("Unconnected"));
    camera.disconnectCamera();
    states.clear();

    sim = std::make_unique<PtzSimProcess>();
    QVERIFY2(sim->start({StopRetryAddress}), qPrintable(sim->errorString()));
    // The next retry would have come 2 s after the first one.
    QTest::qWait(4500);
    QCOMPARE(sim->countEvents(StopRetryAddress, QStringLiteral("CONNECT")), 0);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(statesOf(states).count(QStringLiteral("Connecting")), 0);
}

void TestIPCameraRetry::shortLivedLinksBackOff()
{
    // A camera that accepts and closes at once must not keep the program in a connect loop.
    PtzSimProcess sim;
    QVERIFY2(sim.start({HangupAddress}, {QStringLiteral("--hangup")}), qPrintable(sim.errorString()));
    IPCamera camera(HangupAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    camera.connectCamera();
    QVERIFY(sim.waitForEvent(HangupAddress, QStringLiteral("CONNECT")));
    QTest::qWait(3500);
    // First connection at 0, retries at about 1 and 3 s.
    const int connects = sim.countEvents(HangupAddress, QStringLiteral("CONNECT"));
    QVERIFY2(connects >= 2 && connects <= 4, qPrintable(QString::number(connects)));
    camera.disconnectCamera();
}

void TestIPCameraRetry::unresponsiveAndBack()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({SilentAddress}), qPrintable(sim.errorString()));
    IPCamera camera(SilentAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy disconnected(&camera, &CameraWrapper::clientDisconnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.waitForRx(SilentAddress, PollingOrder.at(0), 3000));
    QVERIFY(sim.control(SilentAddress, QStringLiteral("silent all")).startsWith(QLatin1String("OK")));
    states.clear();

    // Three inquiries in a row go unanswered, each given up after its time.
    QVERIFY(QTest::qWaitFor([&] { return !states.isEmpty(); }, 10000));
    QCOMPARE(statesOf(states), QStringList{QStringLiteral("Unresponsive")});
    // Still connected.
    QCOMPARE(disconnected.count(), 0);
    QCOMPARE(sim.countEvents(SilentAddress, QStringLiteral("DISCONNECT")), 0);

    // Said once, not at each further give-up.
    QTest::qWait(IPCamera::InquiryTimeout + 300);
    QCOMPARE(states.count(), 1);

    QVERIFY(sim.control(SilentAddress, QStringLiteral("silent none")).startsWith(QLatin1String("OK")));
    QVERIFY(QTest::qWaitFor([&] { return states.count() >= 2; }, 5000));
    QCOMPARE(statesOf(states).at(1), QStringLiteral("Connected"));
    QCOMPARE(connected.count(), 1);
    QTest::qWait(200);
    QCOMPARE(states.count(), 2);
}

QTEST_GUILESS_MAIN(TestIPCameraRetry)
#include "tst_ipcamera_retry.moc"
