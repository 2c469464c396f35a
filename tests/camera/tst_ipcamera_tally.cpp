#include "ipcamera.h"
#include "linktesthelpers.h"
#include "ptzsimprocess.h"
#include "testdatahome.h"

#include <QSignalSpy>
#include <QTest>

// The tally lamp of a network camera against the camera simulator: on and off once per change on the
// control link and on the light link of a camera that is not current, again after a re-open, never in
// the polling, and never again for a camera without the lamp.

using namespace LinkTest;

namespace {

const QString OnceAddress = QStringLiteral("127.0.27.1");
const QString UdpOnceAddress = QStringLiteral("127.0.27.2");
const QString LightAddress = QStringLiteral("127.0.27.3");
const QString CarryAddress = QStringLiteral("127.0.27.4");
const QString NoLampAddress = QStringLiteral("127.0.27.5");
const QString NoLampLightAddress = QStringLiteral("127.0.27.6");
const QString CloseAddress = QStringLiteral("127.0.27.7");
const QString NobodyAddress = QStringLiteral("127.0.27.30");

const QByteArray TallyOn = bytes("81 01 7E 01 0A 00 02 FF");
const QByteArray TallyOff = bytes("81 01 7E 01 0A 00 03 FF");
const QStringList RawArgs{QStringLiteral("--udp-port"), QStringLiteral("1259")};

bool isInquiry(const QByteArray &packet)
{
    return packet.size() > 1 && quint8(packet.at(1)) == 0x09;
}

bool isTally(const QByteArray &packet)
{
    return packet == TallyOn || packet == TallyOff;
}

QList<QByteArray> tallyOf(const QList<QByteArray> &packets)
{
    QList<QByteArray> tally;
    for (const QByteArray &packet : packets) {
        if (isTally(packet))
            tally.append(packet);
    }
    return tally;
}

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

bool lampOf(PtzSimProcess &sim, const QString &address)
{
    return sim.control(address, QStringLiteral("state")).contains(QLatin1String("\"tally\":true"));
}

} // namespace

class TestIPCameraTally : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oncePerChange_data();
    void oncePerChange();
    void againAfterReopen();
    void lightLinkOfCameraNotCurrent();
    void lightLinkCarriesOverToControl();
    void lightLinkOffBeforeClose();
    void lightLinkBacksOff();
    void noLamp_data();
    void noLamp();

private:
    TestDataHome m_home;
};

void TestIPCameraTally::oncePerChange_data()
{
    QTest::addColumn<int>("transport");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("tcp") << int(ViscaTransport::Tcp) << OnceAddress << QStringList();
    QTest::newRow("raw udp") << int(ViscaTransport::Udp) << UdpOnceAddress << RawArgs;
}

void TestIPCameraTally::oncePerChange()
{
    QFETCH(int, transport);
    QFETCH(QString, address);
    QFETCH(QStringList, args);
    PtzSimProcess sim;
    QVERIFY2(sim.start({address}, args), qPrintable(sim.errorString()));
    IPCamera camera(address, QStringLiteral("Cam"), QStringLiteral("Dev"), ViscaTransport(transport));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    camera.setTallySourceLive(true);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    // The link opens with the stops, then the state the switchers give (off).
    QVERIFY(sim.waitForRx(address, TallyOff, 3000));
    // (A datagram link asks the camera something first, to know it is there.)
    QList<QByteArray> received = sim.rxPackets(address);
    while (!received.isEmpty() && isInquiry(received.constFirst()))
        received.removeFirst();
    QCOMPARE(received.mid(0, 4), linkStops() + QList<QByteArray>{TallyOff});

    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(address, TallyOn, 3000));
    QVERIFY(QTest::qWaitFor([&] { return lampOf(sim, address); }, 3000));
    // Told again (as after a camera-list reload) and through a few polling cycles: nothing more.
    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(address, PollingOrder.at(2), 5000));
    camera.setTally(TallyState::Preview);
    camera.setTally(TallyState::Preview);
    camera.setTally(TallyState::Off);
    QVERIFY(sim.waitForRx(address, TallyOff, 3000, 2));
    QTest::qWait(3 * IPCamera::PollInterval);
    QCOMPARE(tallyOf(sim.rxPackets(address)), (QList<QByteArray>{TallyOff, TallyOn, TallyOff}));
    QVERIFY(!lampOf(sim, address));
    QCOMPARE(errors.count(), 0);
}

void TestIPCameraTally::againAfterReopen()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({OnceAddress}), qPrintable(sim.errorString()));
    IPCamera camera(OnceAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.setTallySourceLive(true);
    camera.setTally(TallyState::Program);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.waitForRx(OnceAddress, PollingOrder.at(0), 3000));
    QCOMPARE(packetsOfLink(sim, OnceAddress, 1).mid(0, 5),
             (linkStops() + QList<QByteArray>{TallyOn, PollingOrder.at(0)}));

    QVERIFY(sim.control(OnceAddress, QStringLiteral("drop")).startsWith(QLatin1String("OK")));
    QVERIFY(waitConnected(connected, 2));
    QVERIFY(sim.waitForEvent(OnceAddress, QStringLiteral("CONNECT"), 3000, 2));
    QVERIFY(sim.waitForRx(OnceAddress, PollingOrder.at(0), 3000, 2));
    // The re-opened link tells the lamp again, once, after its stops.
    QCOMPARE(packetsOfLink(sim, OnceAddress, 2).mid(0, 5),
             (linkStops() + QList<QByteArray>{TallyOn, PollingOrder.at(0)}));
    QCOMPARE(tallyOf(packetsOfLink(sim, OnceAddress, 2)), QList<QByteArray>{TallyOn});
}

void TestIPCameraTally::lightLinkOfCameraNotCurrent()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({LightAddress}), qPrintable(sim.errorString()));
    IPCamera camera(LightAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    // No source: no link.
    camera.setTally(TallyState::Program);
    QTest::qWait(300);
    QCOMPARE(sim.countEvents(LightAddress, QStringLiteral("CONNECT")), 0);

    camera.setTallySourceLive(true);
    QVERIFY(sim.waitForRx(LightAddress, TallyOn, 3000));
    QVERIFY(camera.isTallyOnlyLink());
    camera.setTally(TallyState::Off);
    QVERIFY(sim.waitForRx(LightAddress, TallyOff, 3000));
    camera.setTally(TallyState::Preview);
    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(LightAddress, TallyOn, 3000, 2));
    // A few polling intervals: the light link carries the lamp only, and is nothing the operator sees.
    QTest::qWait(3 * IPCamera::PollInterval);
    QCOMPARE(sim.rxPackets(LightAddress), (QList<QByteArray>{TallyOn, TallyOff, TallyOn}));
    QCOMPARE(sim.countEvents(LightAddress, QStringLiteral("CONNECT")), 1);
    QCOMPARE(sim.countEvents(LightAddress, QStringLiteral("HTTP")), 0);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(states.count(), 0);
}

void TestIPCameraTally::lightLinkCarriesOverToControl()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({CarryAddress}), qPrintable(sim.errorString()));
    IPCamera camera(CarryAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.setTallySourceLive(true);
    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(CarryAddress, TallyOn, 3000));

    // Becoming current: the same link goes on as the control link, stops first, then polling.
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(!camera.isTallyOnlyLink());
    QVERIFY(sim.waitForRx(CarryAddress, PollingOrder.at(0), 3000));
    QCOMPARE(sim.rxPackets(CarryAddress).mid(0, 5),
             QList<QByteArray>{TallyOn} + linkStops() + QList<QByteArray>{PollingOrder.at(0)});
    camera.setTally(TallyState::Off);
    QVERIFY(sim.waitForRx(CarryAddress, TallyOff, 3000));

    // Another camera becomes current: the link stays for the lamp, polling ends.
    camera.disconnectCamera();
    QVERIFY(camera.isTallyOnlyLink());
    const int packetsBefore = int(sim.rxPackets(CarryAddress).size());
    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(CarryAddress, TallyOn, 3000, 2));
    QTest::qWait(3 * IPCamera::PollInterval);
    const QList<QByteArray> after = sim.rxPackets(CarryAddress).mid(packetsBefore);
    for (const QByteArray &packet : after)
        QVERIFY2(!isInquiry(packet), packet.toHex(' ').constData());
    QCOMPARE(tallyOf(sim.rxPackets(CarryAddress)), (QList<QByteArray>{TallyOn, TallyOff, TallyOn}));
    QCOMPARE(sim.countEvents(CarryAddress, QStringLiteral("CONNECT")), 1);
}

void TestIPCameraTally::lightLinkOffBeforeClose()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({CloseAddress}), qPrintable(sim.errorString()));
    IPCamera camera(CloseAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    camera.setTallySourceLive(true);
    camera.setTally(TallyState::Program);
    QVERIFY(sim.waitForRx(CloseAddress, TallyOn, 3000));
    // The switcher link goes down: the lamp goes off, then the light link closes.
    camera.setTallySourceLive(false);
    QVERIFY(sim.waitForEvent(CloseAddress, QStringLiteral("DISCONNECT"), 3000));
    QCOMPARE(sim.rxPackets(CloseAddress), (QList<QByteArray>{TallyOn, TallyOff}));
    QVERIFY(!lampOf(sim, CloseAddress));
    // The tracker's off that follows finds no link: nothing more, and no new link.
    camera.setTally(TallyState::Off);
    QTest::qWait(500);
    QCOMPARE(sim.countEvents(CloseAddress, QStringLiteral("CONNECT")), 1);
    QVERIFY(!camera.isTallyOnlyLink());
}

void TestIPCameraTally::lightLinkBacksOff()
{
    // Nobody listens: the light link is tried again with growing delays, quietly.
    IPCamera camera(NobodyAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    camera.setTallySourceLive(true);
    QVERIFY(camera.isTallyOnlyLink());
    QTest::qWait(1500);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(states.count(), 0);
    camera.setTallySourceLive(false);
    QVERIFY(QTest::qWaitFor([&] { return !camera.isTallyOnlyLink(); }, 2000));
}

void TestIPCameraTally::noLamp_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("current");
    QTest::newRow("control link") << NoLampAddress << true;
    QTest::newRow("light link") << NoLampLightAddress << false;
}

void TestIPCameraTally::noLamp()
{
    QFETCH(QString, address);
    QFETCH(bool, current);
    PtzSimProcess sim;
    QVERIFY2(sim.start({address}, {QStringLiteral("--no-tally")}), qPrintable(sim.errorString()));
    IPCamera camera(address, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    camera.setTallySourceLive(true);
    camera.setTally(TallyState::Program);
    if (current) {
        camera.connectCamera();
        QVERIFY(waitConnected(connected));
    }
    QVERIFY(sim.waitForRx(address, TallyOn, 3000));
    QVERIFY(sim.waitForTx(address, bytes("90 60 02 FF"), 3000));
    QVERIFY(QTest::qWaitFor([&] { return !camera.hasTallyLight(); }, 3000));
    for (TallyState state : {TallyState::Off, TallyState::Program, TallyState::Preview, TallyState::Program})
        camera.setTally(state);
    QTest::qWait(3 * IPCamera::PollInterval);
    // One attempt, no error per change.
    QCOMPARE(tallyOf(sim.rxPackets(address)), QList<QByteArray>{TallyOn});
    QCOMPARE(errors.count(), 0);
    if (current) {
        // The control link goes on polling.
        QVERIFY(sim.waitForRx(address, PollingOrder.at(2), 5000));
    } else {
        // A light link for a camera without a lamp is closed.
        QVERIFY(sim.waitForEvent(address, QStringLiteral("DISCONNECT"), 3000));
        QVERIFY(!camera.isTallyOnlyLink());
    }
}

QTEST_GUILESS_MAIN(TestIPCameraTally)
#include "tst_ipcamera_tally.moc"
