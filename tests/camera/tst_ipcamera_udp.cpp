#include "ipcamera.h"
#include "linktesthelpers.h"
#include "ptzsimprocess.h"
#include "testdatahome.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// IPCamera over VISCA on UDP against the camera simulator: Sony's VISCA over IP (header, sequence
// numbers, RESET, retransmission, duplicates, matching by number, eight cameras through one local
// port) and the link states of a datagram link. The packets of both UDP transports are in the packet
// table of tst_ipcamera_sim.cpp.

using namespace LinkTest;

namespace {

const QString HeaderAddress = QStringLiteral("127.0.21.1");
const QString AbnormalAddress = QStringLiteral("127.0.21.2");
const QString RetransmitAddress = QStringLiteral("127.0.21.3");
const QString DuplicateAddress = QStringLiteral("127.0.21.4");
const QString MatchingAddress = QStringLiteral("127.0.21.5");
const QString NobodyAddress = QStringLiteral("127.0.21.30");
const QString BackOffAddress = QStringLiteral("127.0.21.31");
const QString SilentAddress = QStringLiteral("127.0.21.32");
const QString OtherPortAddress = QStringLiteral("127.0.21.33");
const QStringList EightAddresses{"127.0.21.11", "127.0.21.12", "127.0.21.13", "127.0.21.14",
                                 "127.0.21.15", "127.0.21.16", "127.0.21.17", "127.0.21.18"};

const QStringList SonyArgs{QStringLiteral("--sony-port"), QStringLiteral("52381")};
const QStringList RawArgs{QStringLiteral("--udp-port"), QStringLiteral("1259")};

struct Datagram
{
    QString from; // ip:port
    QByteArray bytes;
    qint64 msecs = 0;
    quint16 type() const { return quint16(quint8(bytes.at(0)) << 8 | quint8(bytes.at(1))); }
    quint32 sequence() const
    {
        return quint32(quint8(bytes.at(4))) << 24 | quint32(quint8(bytes.at(5))) << 16
               | quint32(quint8(bytes.at(6))) << 8 | quint32(quint8(bytes.at(7)));
    }
    QByteArray payload() const { return bytes.mid(8); }
};

// The Sony datagrams the simulator received on one address, as they arrived.
QList<Datagram> datagrams(const PtzSimProcess &sim, const QString &address)
{
    QList<Datagram> result;
    for (const PtzSimProcess::LogEntry &entry : sim.entries(address, QStringLiteral("DATAGRAM"))) {
        const qsizetype space = entry.text.indexOf(QLatin1Char(' '));
        Datagram datagram;
        datagram.from = entry.text.left(space);
        datagram.bytes = QByteArray::fromHex(entry.text.mid(space + 1).toLatin1());
        datagram.msecs = entry.msecs;
        if (datagram.bytes.size() >= 8)
            result.append(datagram);
    }
    return result;
}

bool isReset(const Datagram &d)
{
    return d.type() == 0x0200 && d.payload() == QByteArray("\x01", 1);
}

std::unique_ptr<IPCamera> sonyCamera(const QString &address)
{
    return std::make_unique<IPCamera>(address, QStringLiteral("Cam"), QStringLiteral("Dev"),
                                      ViscaTransport::SonyUdp);
}

} // namespace

class TestIPCameraUdp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sonyHeaderAndSequence();
    void sonyResetAfterAbnormalSequence();
    void sonyRetransmitsOnce();
    void sonyDuplicateRepliesIgnored();
    void sonyRepliesMatchedBySequence();
    void eightSonyCamerasThroughOneLocalPort();
    void udpNoCameraStaysConnecting();
    void udpBackOffWhileUnanswered();
    void repliesFromAnotherPort_data();
    void repliesFromAnotherPort();
    void udpSilentThenBack_data();
    void udpSilentThenBack();

private:
    TestDataHome m_home;
};

void TestIPCameraUdp::sonyHeaderAndSequence()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({HeaderAddress}, SonyArgs), qPrintable(sim.errorString()));
    auto camera = sonyCamera(HeaderAddress);
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    QSignalSpy states(camera.get(), &CameraWrapper::clientStateChanged);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    QCOMPARE(statesOf(states).first(), QStringLiteral("Connecting"));
    QCOMPARE(statesOf(states).last(), QStringLiteral("Connected"));
    QVERIFY(sim.waitForRx(HeaderAddress, PollingOrder.at(1), 5000));

    const QList<Datagram> received = datagrams(sim, HeaderAddress);
    QVERIFY(received.size() >= 6);
    // RESET first, byte for byte: type 0200, length 1, sequence 0, payload 01.
    QCOMPARE(received.at(0).bytes, bytes("02 00 00 01 00 00 00 00 01"));
    // Then the three stops as commands, then the first inquiries; one number more per message.
    QCOMPARE(received.at(1).bytes, bytes("01 00 00 09 00 00 00 01 81 01 06 01 05 05 03 03 FF"));
    QCOMPARE(received.at(2).bytes, bytes("01 00 00 06 00 00 00 02 81 01 04 07 00 FF"));
    QCOMPARE(received.at(3).bytes, bytes("01 00 00 06 00 00 00 03 81 01 04 08 00 FF"));
    QCOMPARE(received.at(4).bytes, bytes("01 10 00 05 00 00 00 04 81 09 04 47 FF"));
    for (int i = 1; i < received.size(); ++i)
        QCOMPARE(received.at(i).sequence(), received.at(i - 1).sequence() + 1);

    // A command between the inquiries takes the next number too.
    camera->moveLeft(3, 4);
    QVERIFY(sim.waitForRx(HeaderAddress, bytes("81 01 06 01 03 04 01 03 FF")));
    const QList<Datagram> after = datagrams(sim, HeaderAddress);
    const Datagram &drive = after.last().payload() == bytes("81 01 06 01 03 04 01 03 FF")
                                ? after.last()
                                : after.at(after.size() - 2);
    QCOMPARE(drive.type(), quint16(0x0100));
    QCOMPARE(quint8(drive.bytes.at(3)), quint8(9));
}

void TestIPCameraUdp::sonyResetAfterAbnormalSequence()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({AbnormalAddress}, SonyArgs + QStringList{"--sony-abnormal-every", "6"}),
             qPrintable(sim.errorString()));
    auto camera = sonyCamera(AbnormalAddress);
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    // The 6th message is answered 0F 01: a RESET follows, and counting starts over after it.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QList<Datagram> d = datagrams(sim, AbnormalAddress);
            return d.size() >= 9;
        },
        8000));
    const QList<Datagram> received = datagrams(sim, AbnormalAddress);
    QVERIFY(isReset(received.at(0)));
    QCOMPARE(received.at(6).sequence(), quint32(6));
    QVERIFY2(isReset(received.at(7)), received.at(7).bytes.toHex(' ').constData());
    QCOMPARE(received.at(7).sequence(), quint32(0));
    QCOMPARE(received.at(8).sequence(), quint32(1));
    QCOMPARE(received.at(8).type() == 0x0100 || received.at(8).type() == 0x0110, true);
    // And carries on: still connected, the camera keeps answering.
    QCOMPARE(connected.count(), 1);
    QVERIFY(sim.waitForRx(AbnormalAddress, PollingOrder.at(2), 5000));
}

void TestIPCameraUdp::sonyRetransmitsOnce()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({RetransmitAddress}, SonyArgs + QStringList{"--udp-drop-every", "3"}),
             qPrintable(sim.errorString()));
    auto camera = sonyCamera(RetransmitAddress);
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(QTest::qWaitFor([&] { return datagrams(sim, RetransmitAddress).size() >= 10; }, 8000));

    // Every third datagram is lost: the same bytes come again 250 ms later, once.
    const QList<Datagram> received = datagrams(sim, RetransmitAddress);
    const Datagram &lost = received.at(2);
    int copies = 0;
    qint64 gap = -1;
    for (const Datagram &d : received) {
        if (d.bytes != lost.bytes)
            continue;
        ++copies;
        if (copies == 2)
            gap = d.msecs - lost.msecs;
    }
    QVERIFY2(gap >= 240 && gap < 600, qPrintable(QString::number(gap)));
    QCOMPARE(copies, 2);
}

void TestIPCameraUdp::sonyDuplicateRepliesIgnored()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({DuplicateAddress}, SonyArgs + QStringList{"--udp-duplicate"}),
             qPrintable(sim.errorString()));
    auto camera = sonyCamera(DuplicateAddress);
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    QSignalSpy updated(camera.get(), &CameraWrapper::clientStatusUpdated);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.waitForRx(DuplicateAddress, PollingOrder.at(2), 5000));
    camera->disconnectCamera();
    QTest::qWait(300);
    // Each reply went out twice (the RESET reply too) and was taken once.
    const int sent = sim.entries(DuplicateAddress, QStringLiteral("TX")).size();
    QVERIFY(sent >= 8);
    QCOMPARE(updated.count(), (sent - 2) / 2);
    QCOMPARE(connected.count(), 1);
}

void TestIPCameraUdp::sonyRepliesMatchedBySequence()
{
    // Zoom and focus answers look alike; their sequence numbers tell them apart. Both come after the
    // give-up, the zoom answer while the focus inquiry is on the wire.
    PtzSimProcess sim;
    QVERIFY2(sim.start({MatchingAddress}, SonyArgs + QStringList{"--late", "3:1150"}),
             qPrintable(sim.errorString()));
    QVERIFY(sim.control(MatchingAddress, QStringLiteral("set zoom 1A2B")).startsWith(QLatin1String("OK")));
    QVERIFY(sim.control(MatchingAddress, QStringLiteral("set focuslock 1")).startsWith(QLatin1String("OK")));
    QVERIFY(sim.control(MatchingAddress, QStringLiteral("set focus 0C0D")).startsWith(QLatin1String("OK")));
    QVERIFY(sim.control(MatchingAddress, QStringLiteral("delay 300")).startsWith(QLatin1String("OK")));
    auto camera = sonyCamera(MatchingAddress);
    QStringList focusSeen;
    connect(camera.get(), &CameraWrapper::clientStatusUpdated, this, [&] {
        const quint8 *f = camera->focusPos;
        focusSeen.append(QString::asprintf("%x%x%x%x", f[0], f[1], f[2], f[3]));
    });
    QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
    camera->connectCamera();
    QVERIFY(waitConnected(connected));
    QTest::qWait(4000);
    QVERIFY(!focusSeen.isEmpty());
    QVERIFY2(!focusSeen.contains(QStringLiteral("1a2b")), qPrintable(focusSeen.join(' ')));
    QCOMPARE(focusSeen.last(), QStringLiteral("0c0d"));
}

void TestIPCameraUdp::eightSonyCamerasThroughOneLocalPort()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start(EightAddresses, SonyArgs), qPrintable(sim.errorString()));
    std::vector<std::unique_ptr<IPCamera>> cameras;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const QString &address : EightAddresses) {
        cameras.push_back(sonyCamera(address));
        spies.push_back(std::make_unique<QSignalSpy>(cameras.back().get(), &CameraWrapper::clientConnected));
        cameras.back()->connectCamera();
    }
    for (auto &spy : spies)
        QVERIFY(waitConnected(*spy));
    for (int i = 0; i < 8; ++i) {
        const QString &address = EightAddresses.at(i);
        QVERIFY(sim.waitForRx(address, PollingOrder.at(0), 5000));
        // Each camera got its own stops and its own sequence, all from the one local port 52381.
        const QList<Datagram> received = datagrams(sim, address);
        QVERIFY(isReset(received.at(0)));
        for (const Datagram &d : received)
            QVERIFY2(d.from.endsWith(QLatin1String(":52381")), qPrintable(d.from));
        QCOMPARE(received.at(1).sequence(), quint32(1));
    }
    // Answers reached the camera that was asked.
    cameras.at(3)->moveRight(7, 7);
    QVERIFY(sim.waitForRx(EightAddresses.at(3), bytes("81 01 06 01 07 07 02 03 FF")));
    for (int i = 0; i < 8; ++i) {
        if (i != 3)
            QCOMPARE(sim.countRx(EightAddresses.at(i), bytes("81 01 06 01 07 07 02 03 FF")), 0);
    }
}

void TestIPCameraUdp::udpNoCameraStaysConnecting()
{
    IPCamera camera(NobodyAddress, QStringLiteral("Cam"), QStringLiteral("Dev"), ViscaTransport::Udp);
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QTest::qWait(3500);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(statesOf(states), QStringList{QStringLiteral("Connecting")});
}

void TestIPCameraUdp::udpBackOffWhileUnanswered()
{
    // Every datagram is lost: the opening inquiry goes at 0, again after 2 s + 1 s, then after 2 s + 2 s.
    PtzSimProcess sim;
    QVERIFY2(sim.start({BackOffAddress}, RawArgs + QStringList{"--udp-drop-every", "1"}),
             qPrintable(sim.errorString()));
    IPCamera camera(BackOffAddress, QStringLiteral("Cam"), QStringLiteral("Dev"), ViscaTransport::Udp);
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    QVERIFY(sim.waitForEvent(BackOffAddress, QStringLiteral("DROPPED"), 10000, 3));
    const QList<PtzSimProcess::LogEntry> drops = sim.entries(BackOffAddress, QStringLiteral("DROPPED"));
    const qint64 first = drops.at(1).msecs - drops.at(0).msecs;
    const qint64 second = drops.at(2).msecs - drops.at(1).msecs;
    // The two ends stamp with their own clocks through a pipe: a few tens of milliseconds either way.
    QVERIFY2(first >= 2800 && first < 3600, qPrintable(QString::number(first)));
    QVERIFY2(second >= 3800 && second < 4600, qPrintable(QString::number(second)));
    QCOMPARE(connected.count(), 0);
}

void TestIPCameraUdp::repliesFromAnotherPort_data()
{
    QTest::addColumn<int>("transport");
    QTest::newRow("udp") << int(ViscaTransport::Udp);
    QTest::newRow("sony-udp") << int(ViscaTransport::SonyUdp);
}

void TestIPCameraUdp::repliesFromAnotherPort()
{
    // The camera's address is what counts, not the port its answers leave from.
    QFETCH(int, transport);
    PtzSimProcess sim;
    QVERIFY2(sim.start({OtherPortAddress}, RawArgs + SonyArgs + QStringList{"--udp-other-port"}),
             qPrintable(sim.errorString()));
    QVERIFY(sim.control(OtherPortAddress, QStringLiteral("set zoom 1A2B")).startsWith(QLatin1String("OK")));
    IPCamera camera(OtherPortAddress, QStringLiteral("Cam"), QStringLiteral("Dev"),
                    ViscaTransport(transport));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QTRY_COMPARE_WITH_TIMEOUT(QString::asprintf("%x%x%x%x", camera.zoomPos[0], camera.zoomPos[1],
                                                camera.zoomPos[2], camera.zoomPos[3]),
                              QStringLiteral("1a2b"), 3000);
}

void TestIPCameraUdp::udpSilentThenBack_data()
{
    QTest::addColumn<int>("transport");
    QTest::newRow("udp") << int(ViscaTransport::Udp);
    QTest::newRow("sony-udp") << int(ViscaTransport::SonyUdp);
}

void TestIPCameraUdp::udpSilentThenBack()
{
    QFETCH(int, transport);
    PtzSimProcess sim;
    QVERIFY2(sim.start({SilentAddress}, RawArgs + SonyArgs), qPrintable(sim.errorString()));
    IPCamera camera(SilentAddress, QStringLiteral("Cam"), QStringLiteral("Dev"), ViscaTransport(transport));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(sim.control(SilentAddress, QStringLiteral("silent all")).startsWith(QLatin1String("OK")));
    QTRY_VERIFY_WITH_TIMEOUT(statesOf(states).contains(QStringLiteral("Unresponsive")), 8000);
    QVERIFY(sim.control(SilentAddress, QStringLiteral("silent none")).startsWith(QLatin1String("OK")));
    QTRY_COMPARE_WITH_TIMEOUT(statesOf(states).last(), QStringLiteral("Connected"), 5000);
    QCOMPARE(connected.count(), 1);
}

QTEST_GUILESS_MAIN(TestIPCameraUdp)
#include "tst_ipcamera_udp.moc"
