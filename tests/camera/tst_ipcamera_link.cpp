#include "ipcamera.h"
#include "linktesthelpers.h"
#include "ptzsimprocess.h"
#include "testdatahome.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// The VISCA link of IPCamera against the camera simulator: a link the camera drops is re-opened at once,
// one the user closes is not, and a destroyed camera leaves quietly. The retries after a failed re-open
// and the silent camera are in tst_ipcamera_retry.cpp.

using namespace LinkTest;

namespace {

const QString DroppedAddress = QStringLiteral("127.0.1.21");
const QString UserDisconnectAddress = QStringLiteral("127.0.1.23");
const QString ConnectingAddress = QStringLiteral("127.0.1.32");
const QString DestroyedAddress = QStringLiteral("127.0.1.33");
const QString StopsAddress = QStringLiteral("127.0.1.34");

// The packets the simulator received on the n-th VISCA connection of an address (1 = the first).
QList<QByteArray> packetsOfLink(const PtzSimProcess &sim, const QString &address, int link)
{
    QList<QByteArray> packets;
    int connects = 0;
    for (const PtzSimProcess::LogEntry &entry : sim.log()) {
        if (entry.address != address)
            continue;
        if (entry.event == QLatin1String("CONNECT"))
            ++connects;
        else if (entry.event == QLatin1String("RX") && connects == link)
            packets.append(entry.packet);
    }
    return packets;
}

} // namespace

class TestIPCameraLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void droppedLinkReopened();
    void linkOpensWithStops();
    void userDisconnectNotReopened();
    void disconnectWhileConnecting();
    void destroyedCameraClosesLink();

private:
    TestDataHome m_home;
};

void TestIPCameraLink::droppedLinkReopened()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({DroppedAddress}), qPrintable(sim.errorString()));
    IPCamera camera(DroppedAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy disconnected(&camera, &CameraWrapper::clientDisconnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    // Let the link live for a while, as a real one does before it drops.
    QVERIFY(sim.waitForRx(DroppedAddress, PollingOrder.at(2), 5000));
    // Connecting a connected camera only reports the state.
    states.clear();
    camera.connectCamera();
    QCOMPARE(statesOf(states), QStringList{QStringLiteral("Connected")});
    QCOMPARE(sim.countEvents(DroppedAddress, QStringLiteral("CONNECT")), 1);
    states.clear();

    QVERIFY(sim.control(DroppedAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QVERIFY(waitConnected(connected, 2));
    // The simulator's log reaches us through a pipe, possibly after the link is up on our side.
    QVERIFY(sim.waitForEvent(DroppedAddress, QStringLiteral("CONNECT"), 3000, 2));
    QCOMPARE(sim.countEvents(DroppedAddress, QStringLiteral("CONNECT")), 2);
    // Down (Closing, Unconnected), then the new attempt, then up again.
    const QStringList seen = statesOf(states);
    const QString text = seen.join(QLatin1Char(','));
    QVERIFY2(seen.indexOf(QStringLiteral("Unconnected")) >= 0, qPrintable(text));
    QVERIFY2(seen.lastIndexOf(QStringLiteral("Connecting")) > seen.indexOf(QStringLiteral("Unconnected")),
             qPrintable(text));
    QCOMPARE(seen.last(), QStringLiteral("Connected"));
    // The link going down is reported through the states only.
    QCOMPARE(disconnected.count(), 0);

    // The re-opened link starts with the automatic stops and polls from the start again.
    QVERIFY(sim.waitForRx(DroppedAddress, PollingOrder.at(0), 3000, 2));
    QCOMPARE(packetsOfLink(sim, DroppedAddress, 2).mid(0, 4),
             linkStops() + QList<QByteArray>{PollingOrder.at(0)});
}

void TestIPCameraLink::linkOpensWithStops()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({StopsAddress}), qPrintable(sim.errorString()));
    IPCamera camera(StopsAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    // First connect: the three stops before anything else, the first inquiry after them.
    QVERIFY(sim.waitForRx(StopsAddress, PollingOrder.at(0), 3000));
    QCOMPARE(packetsOfLink(sim, StopsAddress, 1).mid(0, 4),
             linkStops() + QList<QByteArray>{PollingOrder.at(0)});

    // The link drops during a pan: the stop of that pan is lost with it...
    camera.moveLeft(9, 7);
    QVERIFY(sim.waitForRx(StopsAddress, bytes("81 01 06 01 09 07 01 03 FF")));
    QVERIFY(sim.control(StopsAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QVERIFY(waitConnected(connected, 2));
    // ...and the re-opened link starts with the stops, at the speeds of the pan.
    QVERIFY(sim.waitForEvent(StopsAddress, QStringLiteral("CONNECT"), 3000, 2));
    QVERIFY(QTest::qWaitFor([&] { return packetsOfLink(sim, StopsAddress, 2).size() >= 3; }, 3000));
    QCOMPARE(packetsOfLink(sim, StopsAddress, 2).mid(0, 3), linkStops("09 07"));
}

void TestIPCameraLink::userDisconnectNotReopened()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({UserDisconnectAddress}), qPrintable(sim.errorString()));
    IPCamera camera(UserDisconnectAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));

    camera.disconnectCamera();
    QVERIFY(sim.waitForEvent(UserDisconnectAddress, QStringLiteral("DISCONNECT")));
    QTRY_COMPARE(statesOf(states).last(), QStringLiteral("Unconnected"));
    sim.clearLog();
    // Longer than the immediate attempt and the first back-off step together.
    QTest::qWait(2500);
    QCOMPARE(sim.countEvents(UserDisconnectAddress, QStringLiteral("CONNECT")), 0);
    QCOMPARE(connected.count(), 1);
    // A silent link: no polling after the disconnect.
    QCOMPARE(sim.rxPackets(UserDisconnectAddress), QList<QByteArray>());

    // Connecting again is a new start: a later drop of that link is re-opened.
    camera.connectCamera();
    QVERIFY(waitConnected(connected, 2));
    QVERIFY(sim.waitForRx(UserDisconnectAddress, PollingOrder.at(2), 5000));
    QVERIFY(sim.control(UserDisconnectAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QVERIFY(waitConnected(connected, 3));
}

void TestIPCameraLink::disconnectWhileConnecting()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({ConnectingAddress}), qPrintable(sim.errorString()));
    IPCamera camera(ConnectingAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);

    // The attempt the user started goes on...
    camera.connectCamera();
    QVERIFY(statesOf(states).contains(QStringLiteral("Connecting")));
    camera.disconnectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.waitForRx(ConnectingAddress, PollingOrder.at(2), 5000));

    // ...but the disconnect request stands: the loss of this link is not repaired.
    QVERIFY(sim.control(ConnectingAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QTRY_COMPARE(statesOf(states).last(), QStringLiteral("Unconnected"));
    QTest::qWait(1500);
    QCOMPARE(sim.countEvents(ConnectingAddress, QStringLiteral("CONNECT")), 1);
    QCOMPARE(connected.count(), 1);

    // And the one after it is again.
    camera.connectCamera();
    QVERIFY(waitConnected(connected, 2));
    QVERIFY(sim.waitForRx(ConnectingAddress, PollingOrder.at(2), 5000, 2));
    QVERIFY(sim.control(ConnectingAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QVERIFY(waitConnected(connected, 3));
}

void TestIPCameraLink::destroyedCameraClosesLink()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({DestroyedAddress}), qPrintable(sim.errorString()));
    auto camera = std::make_unique<IPCamera>(DestroyedAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.waitForRx(DestroyedAddress, PollingOrder.at(0), 3000));

    camera.reset();
    QVERIFY(sim.waitForEvent(DestroyedAddress, QStringLiteral("DISCONNECT")));
    QTest::qWait(1500);
    QCOMPARE(sim.countEvents(DestroyedAddress, QStringLiteral("CONNECT")), 1);
}

QTEST_GUILESS_MAIN(TestIPCameraLink)
#include "tst_ipcamera_link.moc"
