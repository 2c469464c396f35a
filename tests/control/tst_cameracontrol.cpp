// The control owner driving real network cameras (the simulator on 127.0.20.x): leases, renewals, the
// drive-packet limit, the automatic stops and which camera's signals count.

#include "cameracontrol.h"
#include "ipcamera.h"
#include "ptzsimprocess.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
const QString CamA = QStringLiteral("127.0.20.1");
const QString CamB = QStringLiteral("127.0.20.2");

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

const QByteArray PanLeft10 = hex("81 01 06 01 0a 00 01 03 ff");
const QByteArray PanRight10 = hex("81 01 06 01 0a 00 02 03 ff");
const QByteArray PanTiltStop = hex("81 01 06 01 00 00 03 03 ff");
const QByteArray ZoomIn3 = hex("81 01 04 07 23 ff");
const QByteArray ZoomStop = hex("81 01 04 07 00 ff");
const QByteArray FocusIn4 = hex("81 01 04 08 34 ff");
const QByteArray FocusStop = hex("81 01 04 08 00 ff");

// Lease keys as the web API uses them: the control method.
constexpr int PanLeftKey = 1;
constexpr int PanRightKey = 0;
constexpr int ZoomInKey = 7;
} // namespace

class tst_CameraControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void leaseExpires();
    void renewalsKeepItMoving();
    void renewalOfAnotherMethodDoesNotRenew();
    void explicitStopEndsTheLease();
    void floodOfRenewalsIsThrottled();
    void cameraSwitchStopsTheLeasedMotion();
    void releaseForRebuildStopsTheLeasedMotion();
    void stopsBySource();
    void onlyTheCurrentCameraCounts();

private:
    // Time in ms between the first packet of the simulator's log equal to from and the first one after
    // it equal to to; -1 when either is missing.
    qint64 gapBetween(const QString &camera, const QByteArray &from, const QByteArray &to) const;
    void renewFor(int ms, int everyMs, const std::function<void()> &renew);

    PtzSimProcess m_sim;
    std::unique_ptr<CameraControl> m_control;
    std::unique_ptr<IPCamera> m_camA;
    std::unique_ptr<IPCamera> m_camB;
};

void tst_CameraControl::initTestCase()
{
    QVERIFY2(m_sim.start({CamA, CamB}), qPrintable(m_sim.errorString()));
    m_control = std::make_unique<CameraControl>(nullptr);
    m_camA = std::make_unique<IPCamera>(CamA, QStringLiteral("A"), CamA);
    m_camB = std::make_unique<IPCamera>(CamB, QStringLiteral("B"), CamB);
    m_control->watchCamera(m_camA.get());
    m_control->watchCamera(m_camB.get());
}

void tst_CameraControl::init()
{
    // Every test starts on camera A, connected, with nothing moving.
    if (m_control->currentCamera() != m_camA.get() || !m_control->isCameraConnected()) {
        QSignalSpy connected(m_control.get(), &CameraControl::cameraConnected);
        m_control->selectCamera(m_camA.get());
        QTRY_VERIFY_WITH_TIMEOUT(!connected.isEmpty(), 5000);
    }
    m_control->stopAllMotions(QStringLiteral("test start"));
    QTest::qWait(100);
    m_sim.clearLog();
}

void tst_CameraControl::cleanupTestCase()
{
    m_control.reset();
    m_camA.reset();
    m_camB.reset();
    m_sim.stop();
}

qint64
tst_CameraControl::gapBetween(const QString &camera, const QByteArray &from, const QByteArray &to) const
{
    const QList<QByteArray> packets = m_sim.rxPackets(camera);
    const QList<qint64> times = m_sim.rxTimestamps(camera);
    const qsizetype first = packets.indexOf(from);
    if (first < 0)
        return -1;
    const qsizetype second = packets.indexOf(to, first + 1);
    return second < 0 ? -1 : times.at(second) - times.at(first);
}

void tst_CameraControl::renewFor(int ms, int everyMs, const std::function<void()> &renew)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        renew();
        QTest::qWait(everyMs);
    }
}

void tst_CameraControl::leaseExpires()
{
    QSignalSpy stops(m_control.get(), &CameraControl::automaticStop);
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
    QCOMPARE(m_control->motionSource(MotionAxis::PanTilt), MotionSource::WebLease);
    QVERIFY(m_sim.waitForRx(CamA, PanLeft10));
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop, 2000));
    const qint64 gap = gapBetween(CamA, PanLeft10, PanTiltStop);
    QVERIFY2(gap >= 200 && gap < 800, qPrintable(QString::number(gap)));
    QCOMPARE(stops.size(), 1);
    QCOMPARE(stops.at(0).at(1).toString(), QStringLiteral("lease expired"));
    QCOMPARE(m_control->motionSource(MotionAxis::PanTilt), MotionSource::None);
}

void tst_CameraControl::renewalsKeepItMoving()
{
    renewFor(1000, 100, [this] {
        m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
    });
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 0);
    QElapsedTimer sinceLast;
    sinceLast.start();
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop, 2000));
    QVERIFY2(sinceLast.elapsed() >= 150, qPrintable(QString::number(sinceLast.elapsed())));
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 1);
}

void tst_CameraControl::renewalOfAnotherMethodDoesNotRenew()
{
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
    // Zoom renewals are leases of their own axis; they keep the zoom going, not the pan.
    renewFor(900, 100, [this] { m_control->startZoom(true, 3, MotionSource::WebLease, 300, ZoomInKey); });
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop, 100));
    const qint64 gap = gapBetween(CamA, PanLeft10, PanTiltStop);
    QVERIFY2(gap >= 200 && gap < 800, qPrintable(QString::number(gap)));
    QCOMPARE(m_sim.countRx(CamA, ZoomStop), 0);
    QVERIFY(m_sim.waitForRx(CamA, ZoomStop, 2000));

    // Another method on the same axis replaces the motion and its lease.
    m_sim.clearLog();
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
    renewFor(600, 100, [this] {
        m_control->startPanTilt(PanTiltDirection::Right, 10, 0, MotionSource::WebLease, 300, PanRightKey);
    });
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 0);
    QVERIFY(m_sim.countRx(CamA, PanRight10) >= 1);
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop, 2000));
}

void tst_CameraControl::explicitStopEndsTheLease()
{
    QSignalSpy stops(m_control.get(), &CameraControl::automaticStop);
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
    QTest::qWait(100);
    m_control->stop(MotionAxis::PanTilt);
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop));
    QTest::qWait(600);
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 1);
    QCOMPARE(stops.size(), 0);
}

void tst_CameraControl::floodOfRenewalsIsThrottled()
{
    // A thousand renewals a second: the lease goes on, the camera gets no more than one drive packet per
    // 50 ms.
    QElapsedTimer clock;
    clock.start();
    int renewals = 0;
    while (clock.elapsed() < 1000) {
        m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 300, PanLeftKey);
        ++renewals;
        QTest::qWait(1);
    }
    const qint64 floodMs = clock.elapsed();
    QTest::qWait(100);
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 0);
    const int drives = m_sim.countRx(CamA, PanLeft10);
    QVERIFY2(drives >= 2 && drives <= floodMs / CameraControl::MinDriveIntervalMs + 2,
             qPrintable(QStringLiteral("%1 drive packets for %2 renewals").arg(drives).arg(renewals)));
    QVERIFY(renewals > 100);
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop, 2000));
}

void tst_CameraControl::cameraSwitchStopsTheLeasedMotion()
{
    QSignalSpy stops(m_control.get(), &CameraControl::automaticStop);
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WebLease, 2000, PanLeftKey);
    QVERIFY(m_sim.waitForRx(CamA, PanLeft10));
    QSignalSpy connected(m_control.get(), &CameraControl::cameraConnected);
    m_control->selectCamera(m_camB.get());
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop));
    QCOMPARE(stops.size(), 1);
    QCOMPARE(stops.at(0).at(1).toString(), QStringLiteral("camera switched"));
    QTRY_VERIFY_WITH_TIMEOUT(!connected.isEmpty(), 5000);
    QCOMPARE(m_control->currentCamera(), m_camB.get());
    // The old lease does not reach the new camera.
    QTest::qWait(300);
    QCOMPARE(m_sim.countRx(CamB, PanTiltStop), 0);
    QCOMPARE(m_sim.countRx(CamB, PanLeft10), 0);
}

void tst_CameraControl::releaseForRebuildStopsTheLeasedMotion()
{
    m_control->startZoom(true, 3, MotionSource::WebLease, 2000, ZoomInKey);
    QVERIFY(m_sim.waitForRx(CamA, ZoomIn3));
    m_control->releaseCurrentCamera();
    QVERIFY(m_sim.waitForRx(CamA, ZoomStop));
    QCOMPARE(m_control->currentCamera(), nullptr);
    QVERIFY(!m_control->isCameraConnected());
    // Nothing is sent without a current camera.
    m_control->startZoom(true, 3, MotionSource::Web);
    QTest::qWait(200);
    QCOMPARE(m_sim.countRx(CamA, ZoomIn3), 1);
    // The rebuild deletes the old cameras; here the link is closed so the next test connects anew.
    m_camA->disconnectCamera();
    QVERIFY(m_sim.waitForEvent(CamA, QStringLiteral("DISCONNECT")));
    QTest::qWait(100);
}

void tst_CameraControl::stopsBySource()
{
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WindowButton);
    m_control->startZoom(true, 3, MotionSource::Hotkey);
    m_control->startFocus(true, 4, MotionSource::Controller);
    QVERIFY(m_sim.waitForRx(CamA, FocusIn4));
    QCOMPARE(m_control->motionSource(MotionAxis::PanTilt), MotionSource::WindowButton);
    QCOMPARE(m_control->motionSource(MotionAxis::Zoom), MotionSource::Hotkey);

    QSignalSpy stops(m_control.get(), &CameraControl::automaticStop);
    m_control->stopMotionsFrom({MotionSource::WindowButton, MotionSource::Hotkey},
                               QStringLiteral("window deactivated"));
    QVERIFY(m_sim.waitForRx(CamA, PanTiltStop));
    QVERIFY(m_sim.waitForRx(CamA, ZoomStop));
    QCOMPARE(stops.size(), 2);
    QCOMPARE(m_control->motionSource(MotionAxis::Focus), MotionSource::Controller);
    QCOMPARE(m_sim.countRx(CamA, FocusStop), 0);

    m_control->stopMotionsFrom({MotionSource::Controller}, QStringLiteral("controller removed"));
    QVERIFY(m_sim.waitForRx(CamA, FocusStop));
    // Nothing runs any more: a second round sends nothing.
    m_control->stopAllMotions(QStringLiteral("quit"));
    QTest::qWait(200);
    QCOMPARE(m_sim.countRx(CamA, PanTiltStop), 1);
    QCOMPARE(m_sim.countRx(CamA, FocusStop), 1);
}

void tst_CameraControl::onlyTheCurrentCameraCounts()
{
    QSignalSpy connected(m_control.get(), &CameraControl::cameraConnected);
    QSignalSpy disconnected(m_control.get(), &CameraControl::cameraDisconnected);
    QSignalSpy states(m_control.get(), &CameraControl::cameraStateChanged);
    // A camera selected before, connecting late.
    Q_EMIT m_camB->clientConnected();
    Q_EMIT m_camB->clientStateChanged(QStringLiteral("Connected"));
    Q_EMIT m_camB->clientDisconnected();
    QCOMPARE(connected.size(), 0);
    QCOMPARE(disconnected.size(), 0);
    QCOMPARE(states.size(), 0);
    QCOMPARE(m_control->currentCamera(), m_camA.get());
    QVERIFY(m_control->isCameraConnected());
    m_control->startPanTilt(PanTiltDirection::Left, 10, 0, MotionSource::WindowButton);
    QVERIFY(m_sim.waitForRx(CamA, PanLeft10));
    QCOMPARE(m_sim.countRx(CamB, PanLeft10), 0);
    m_control->stop(MotionAxis::PanTilt);
}

QTEST_GUILESS_MAIN(tst_CameraControl)
#include "tst_cameracontrol.moc"
