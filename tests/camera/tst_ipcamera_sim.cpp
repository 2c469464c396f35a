#include "ipcamera.h"
#include "ptzsimprocess.h"
#include "snapshotfilepath.h"
#include "testdatahome.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

// IPCamera against the camera simulator, as in production: every packet of the command set as the
// simulator receives it, the polling cycle and the camera's HTTP services. The link's behaviour is in
// tst_ipcamera_link.cpp.

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

const QString PacketsAddress = QStringLiteral("127.0.1.20");
const QString PollingAddress = QStringLiteral("127.0.1.22");
const QString PictureAddress = QStringLiteral("127.0.1.28");
const QString NameAddress = QStringLiteral("127.0.1.29");
const QString ClosedAddress = QStringLiteral("127.0.1.30");
const QString LateAddress = QStringLiteral("127.0.21.40");

const QList<QByteArray> PollingOrder{
    bytes("81 09 04 47 FF"), bytes("81 09 04 48 FF"), bytes("81 09 04 38 FF"), bytes("81 09 04 4A FF"),
    bytes("81 09 04 4B FF"), bytes("81 09 04 4D FF"), bytes("81 09 06 12 FF"), bytes("81 09 04 A1 FF"),
    bytes("81 09 04 A2 FF"), bytes("81 09 04 4F FF"), bytes("81 09 04 39 FF"), bytes("81 09 04 35 FF"),
};

bool isInquiry(const QByteArray &packet)
{
    return packet.size() > 1 && quint8(packet.at(1)) == 0x09;
}

QList<QByteArray> commandsOf(const QList<QByteArray> &packets)
{
    QList<QByteArray> commands;
    for (const QByteArray &packet : packets) {
        if (!isInquiry(packet))
            commands.append(packet);
    }
    return commands;
}

using Operation = std::function<void(CameraWrapper &)>;

struct PacketRow
{
    const char *name;
    Operation operation;
    const char *packet;
};

// Every packet of the command set with the argument encodings that matter.
const std::vector<PacketRow> &packetRows()
{
    static const std::vector<PacketRow> rows = {
        {"moveUp", [](CameraWrapper &c) { c.moveUp(5, 5); }, "81 01 06 01 05 05 03 01 FF"},
        {"moveDown", [](CameraWrapper &c) { c.moveDown(7, 3); }, "81 01 06 01 07 03 03 02 FF"},
        {"moveLeft", [](CameraWrapper &c) { c.moveLeft(5, 5); }, "81 01 06 01 05 05 01 03 FF"},
        {"moveRight", [](CameraWrapper &c) { c.moveRight(24, 20); }, "81 01 06 01 18 14 02 03 FF"},
        {"moveUpLeft", [](CameraWrapper &c) { c.moveUpLeft(1, 2); }, "81 01 06 01 01 02 01 01 FF"},
        {"moveUpRight", [](CameraWrapper &c) { c.moveUpRight(3, 4); }, "81 01 06 01 03 04 02 01 FF"},
        {"moveDownLeft", [](CameraWrapper &c) { c.moveDownLeft(5, 6); }, "81 01 06 01 05 06 01 02 FF"},
        {"moveDownRight", [](CameraWrapper &c) { c.moveDownRight(9, 10); }, "81 01 06 01 09 0A 02 02 FF"},
        {"stopMoving", [](CameraWrapper &c) { c.stopMoving(5, 5); }, "81 01 06 01 05 05 03 03 FF"},
        {"speeds modulo 255", [](CameraWrapper &c) { c.moveUp(255, 256); }, "81 01 06 01 00 01 03 01 FF"},
        {"moveHome", [](CameraWrapper &c) { c.moveHome(); }, "81 01 06 04 FF"},
        {"zoomIn", [](CameraWrapper &c) { c.zoomIn(7); }, "81 01 04 07 27 FF"},
        {"zoomOut", [](CameraWrapper &c) { c.zoomOut(3); }, "81 01 04 07 33 FF"},
        {"stopZooming", [](CameraWrapper &c) { c.stopZooming(); }, "81 01 04 07 00 FF"},
        {"focusIn", [](CameraWrapper &c) { c.focusIn(3); }, "81 01 04 08 33 FF"},
        {"focusOut", [](CameraWrapper &c) { c.focusOut(3); }, "81 01 04 08 23 FF"},
        {"stopFocusing", [](CameraWrapper &c) { c.stopFocusing(); }, "81 01 04 08 00 FF"},
        {"setAutoFocus on", [](CameraWrapper &c) { c.setAutoFocus(true); }, "81 01 04 38 02 FF"},
        {"setAutoFocus off", [](CameraWrapper &c) { c.setAutoFocus(false); }, "81 01 04 38 03 FF"},
        {"setFocusLock on", [](CameraWrapper &c) { c.setFocusLock(true); }, "81 0A 04 68 02 FF"},
        {"setFocusLock off", [](CameraWrapper &c) { c.setFocusLock(false); }, "81 0A 04 68 03 FF"},
        {"setPreset", [](CameraWrapper &c) { c.setPreset(3); }, "81 01 04 3F 01 03 FF"},
        {"callPreset", [](CameraWrapper &c) { c.callPreset(3); }, "81 01 04 3F 02 03 FF"},
        {"callPreset 95 is the menu", [](CameraWrapper &c) { c.callPreset(95); }, "81 01 04 3F 02 5F FF"},
        {"callPreset modulo 255", [](CameraWrapper &c) { c.callPreset(255); }, "81 01 04 3F 02 00 FF"},
        {"clearPreset", [](CameraWrapper &c) { c.clearPreset(9); }, "81 01 04 3F 00 09 FF"},
        {"setPresetSpeed 23", [](CameraWrapper &c) { c.setPresetSpeed(23); }, "81 01 06 01 18 FF"},
        {"setPresetSpeed 0", [](CameraWrapper &c) { c.setPresetSpeed(0); }, "81 01 06 01 01 FF"},
        {"setPresetSpeed 24 wraps", [](CameraWrapper &c) { c.setPresetSpeed(24); }, "81 01 06 01 01 FF"},
        {"setIris", [](CameraWrapper &c) { c.setIris(12); }, "81 01 04 4B 00 00 00 0C FF"},
        {"resetIris", [](CameraWrapper &c) { c.resetIris(); }, "81 01 04 0B 00 FF"},
        {"setShutter 0", [](CameraWrapper &c) { c.setShutter(0); }, "81 01 04 4A 00 00 00 01 FF"},
        {"setShutter 16", [](CameraWrapper &c) { c.setShutter(16); }, "81 01 04 4A 00 00 01 01 FF"},
        {"resetShutter", [](CameraWrapper &c) { c.resetShutter(); }, "81 01 04 0A 00 FF"},
        {"setBright", [](CameraWrapper &c) { c.setBright(17); }, "81 01 04 0D 00 00 01 01 FF"},
        {"brightUp", [](CameraWrapper &c) { c.brightUp(); }, "81 01 04 0D 02 FF"},
        {"brightDown", [](CameraWrapper &c) { c.brightDown(); }, "81 01 04 0D 03 FF"},
        {"resetBright", [](CameraWrapper &c) { c.resetBright(); }, "81 01 04 0D 00 FF"},
        {"setAeMode Auto", [](CameraWrapper &c) { c.setAeMode(0); }, "81 01 04 39 00 FF"},
        {"setAeMode Manual", [](CameraWrapper &c) { c.setAeMode(1); }, "81 01 04 39 03 FF"},
        {"setAeMode SAE", [](CameraWrapper &c) { c.setAeMode(2); }, "81 01 04 39 0A FF"},
        {"setAeMode AAE", [](CameraWrapper &c) { c.setAeMode(3); }, "81 01 04 39 0B FF"},
        {"setAeMode Brightness", [](CameraWrapper &c) { c.setAeMode(4); }, "81 01 04 39 0D FF"},
        {"setAeMode outside the table", [](CameraWrapper &c) { c.setAeMode(7); }, "81 01 04 39 00 FF"},
        {"setWbMode Auto", [](CameraWrapper &c) { c.setWbMode(0); }, "81 01 04 35 00 FF"},
        {"setWbMode OnePush", [](CameraWrapper &c) { c.setWbMode(3); }, "81 01 04 35 03 FF"},
        {"setWbMode Manual", [](CameraWrapper &c) { c.setWbMode(4); }, "81 01 04 35 05 FF"},
        {"setWbMode 5", [](CameraWrapper &c) { c.setWbMode(5); }, "81 01 04 35 10 FF"},
        {"setWbMode other unchanged", [](CameraWrapper &c) { c.setWbMode(7); }, "81 01 04 35 07 FF"},
        {"triggerOnePushWb", [](CameraWrapper &c) { c.triggerOnePushWb(); }, "81 01 04 10 05 FF"},
        {"setLuminance", [](CameraWrapper &c) { c.setLuminance(200); }, "81 01 04 A1 00 00 00 C8 FF"},
        {"setContrast", [](CameraWrapper &c) { c.setContrast(7); }, "81 01 04 A2 00 00 00 07 FF"},
        {"setHue", [](CameraWrapper &c) { c.setHue(7); }, "81 01 04 4F 00 00 00 07 FF"},
        {"setImageFlip on", [](CameraWrapper &c) { c.setImageFlip(true); }, "81 01 04 66 02 FF"},
        {"setImageFlip off", [](CameraWrapper &c) { c.setImageFlip(false); }, "81 01 04 66 03 FF"},
        {"setImageMirror on", [](CameraWrapper &c) { c.setImageMirror(true); }, "81 01 04 61 02 FF"},
        {"setImageMirror off", [](CameraWrapper &c) { c.setImageMirror(false); }, "81 01 04 61 03 FF"},
        {"osdMenu", [](CameraWrapper &c) { c.osdMenu(); }, "81 01 04 3F 02 5F FF"},
        {"osdEnter", [](CameraWrapper &c) { c.osdEnter(); }, "81 01 06 06 05 FF"},
        {"osdBack", [](CameraWrapper &c) { c.osdBack(); }, "81 01 06 06 04 FF"},
        {"setMotionSync on", [](CameraWrapper &c) { c.setMotionSync(true); }, "81 0A 11 13 02 FF"},
        {"setMotionSync off", [](CameraWrapper &c) { c.setMotionSync(false); }, "81 0A 11 13 03 FF"},
        {"setPanTiltLimitUpRight", [](CameraWrapper &c) { c.setPanTiltLimitUpRight(1296, 2448); },
         "81 01 06 07 00 01 00 09 09 00 00 05 01 00 FF"},
        {"setPanTiltLimitDownLeft", [](CameraWrapper &c) { c.setPanTiltLimitDownLeft(65103, 63087); },
         "81 01 06 07 00 00 0F 06 06 0F 0F 0E 04 0F FF"},
        {"limit from negative positions", [](CameraWrapper &c) { c.setPanTiltLimitDownLeft(-433, -2449); },
         "81 01 06 07 00 00 0F 06 06 0F 0F 0E 04 0F FF"},
        {"clearPanTiltLimit down-left", [](CameraWrapper &c) { c.clearPanTiltLimit(0); },
         "81 01 06 07 01 00 07 0F 0F 0F 07 0F 0F 0F FF"},
        {"clearPanTiltLimit up-right", [](CameraWrapper &c) { c.clearPanTiltLimit(1); },
         "81 01 06 07 01 01 07 0F 0F 0F 07 0F 0F 0F FF"},
    };
    return rows;
}

bool waitConnected(QSignalSpy &connected, int count = 1, int timeout = 5000)
{
    return QTest::qWaitFor([&] { return connected.count() >= count; }, timeout) && connected.count() == count;
}

QByteArray fetch(const QString &url)
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(url)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!finished.wait(5000))
        return QByteArray();
    const QByteArray body = reply->readAll();
    delete reply;
    return body;
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestIPCameraSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void packets_data();
    void packets();
    void commandsWhileClosedAreDropped();
    void pollingCycle();
    void lateAnswersNotMisfiled_data();
    void lateAnswersNotMisfiled();
    void pictureBytesOnDisk();
    void twoDownloadsBackToBack();
    void pictureErrorWritesNothing();
    void deviceNameFromSimulator();

private:
    TestDataHome m_home;
    PtzSimProcess m_packetSim;
    // One camera per transport, all on the simulator's address.
    std::map<QString, std::unique_ptr<IPCamera>> m_packetCameras;
};

void TestIPCameraSim::initTestCase()
{
    QVERIFY2(m_packetSim.start({PacketsAddress}, {QStringLiteral("--udp-port"), QStringLiteral("1259"),
                                                  QStringLiteral("--sony-port"), QStringLiteral("52381")}),
             qPrintable(m_packetSim.errorString()));
    for (ViscaTransport transport : {ViscaTransport::Tcp, ViscaTransport::Udp, ViscaTransport::SonyUdp}) {
        auto camera = std::make_unique<IPCamera>(PacketsAddress, QStringLiteral("Cam"), QStringLiteral("Dev"),
                                                 transport);
        QSignalSpy connected(camera.get(), &CameraWrapper::clientConnected);
        camera->connectCamera();
        QVERIFY2(waitConnected(connected), qPrintable(ViscaTransports::name(transport)));
        m_packetCameras[ViscaTransports::name(transport)] = std::move(camera);
    }
    // The automatic stops of the opened links belong to no row.
    QVERIFY(m_packetSim.waitForRx(PacketsAddress, bytes("81 01 04 08 00 FF"), 5000, 3));
}

void TestIPCameraSim::cleanupTestCase()
{
    m_packetCameras.clear();
    m_packetSim.stop();
}

void TestIPCameraSim::packets_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QByteArray>("packet");
    for (const char *transport : {"tcp", "udp", "sony-udp"}) {
        for (const PacketRow &row : packetRows())
            QTest::newRow(
                qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(transport), QLatin1String(row.name))))
                << QString::fromLatin1(transport) << row.operation << bytes(row.packet);
    }
}

void TestIPCameraSim::packets()
{
    QFETCH(QString, transport);
    QFETCH(Operation, operation);
    QFETCH(QByteArray, packet);

    IPCamera &camera = *m_packetCameras.at(transport);
    QCOMPARE(ViscaTransports::name(camera.transport()), transport);
    m_packetSim.clearLog();
    operation(camera);
    QVERIFY2(m_packetSim.waitForRx(PacketsAddress, packet),
             qPrintable(m_packetSim.logLines().join(QLatin1Char('\n'))));
    // Exactly this packet, nothing before or after it (the polling inquiries aside).
    QTest::qWait(30);
    QCOMPARE(commandsOf(m_packetSim.rxPackets(PacketsAddress)), QList<QByteArray>{packet});
}

void TestIPCameraSim::commandsWhileClosedAreDropped()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({ClosedAddress}), qPrintable(sim.errorString()));
    IPCamera camera(ClosedAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    QSignalSpy states(&camera, &CameraWrapper::clientStateChanged);
    for (const PacketRow &row : packetRows())
        row.operation(camera);
    QCOMPARE(states.count(), 0);
    // Nothing was answered, so nothing in the status cache changed.
    QCOMPARE(updated.count(), 0);

    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    // Nothing was kept for later: up to the first polling inquiry the simulator receives only the
    // automatic stops of the opened link.
    QVERIFY(sim.waitForRx(ClosedAddress, PollingOrder.first()));
    // The pan-tilt stop carries the speeds of the last pan-tilt call, the table's "speeds modulo 255".
    const QList<QByteArray> linkStops{bytes("81 01 06 01 00 01 03 03 FF"), bytes("81 01 04 07 00 FF"),
                                      bytes("81 01 04 08 00 FF")};
    QCOMPARE(sim.rxPackets(ClosedAddress).mid(0, 4), linkStops + QList<QByteArray>{PollingOrder.first()});
    QCOMPARE(commandsOf(sim.rxPackets(ClosedAddress)), linkStops);
    QCOMPARE(camera.shutterPos, quint8(1));
    QCOMPARE(camera.irisPos, quint8(0));
}

void TestIPCameraSim::pollingCycle()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({PollingAddress}), qPrintable(sim.errorString()));
    // Focus lock first, so that switching auto focus on does not move the focus.
    const QStringList settings{"pan F66F",    "tilt 0200",  "zoom 1A2B", "focuslock 1", "focus 0C0D",
                               "autofocus 1", "shutter 18", "iris 12",   "bright 17",   "luminance 200",
                               "contrast 9",  "hue 31",     "aemode 10", "wbmode 5"};
    for (const QString &setting : settings)
        QVERIFY(
            sim.control(PollingAddress, QStringLiteral("set ") + setting).startsWith(QLatin1String("OK")));

    IPCamera camera(PollingAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy cycles(&camera, &CameraWrapper::clientReadOneCycle);
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    int rxAtFirstCycle = -1;
    connect(&camera, &CameraWrapper::clientReadOneCycle, this, [&] {
        rxAtFirstCycle = rxAtFirstCycle < 0 ? int(sim.rxPackets(PollingAddress).size()) : rxAtFirstCycle;
    });
    camera.connectCamera();
    QVERIFY(waitConnected(connected));

    QVERIFY(QTest::qWaitFor([&] { return !cycles.isEmpty(); }, 15000));
    const QList<QByteArray> sent = sim.rxPackets(PollingAddress);
    // After the three automatic stops of the opened link.
    QCOMPARE(sent.mid(3, 12), PollingOrder);
    // The cycle ends with the answer to the white balance inquiry, the last of the twelve.
    QCOMPARE(cycles.count(), 1);
    QVERIFY(rxAtFirstCycle >= 15);
    QCOMPARE(sim.rxPackets(PollingAddress).at(14), PollingOrder.last());
    // Every answer is followed by a status update.
    QVERIFY(updated.count() >= 12);

    // One step every 500 ms from the connection on: the first at 500 ms, pan/tilt at 3.5 s, white
    // balance at 6 s. The lower bounds leave room only for the two ends stamping the connection a few
    // milliseconds apart; the upper bounds leave room for a loaded machine.
    const QList<PtzSimProcess::LogEntry> connects = sim.entries(PollingAddress, QStringLiteral("CONNECT"));
    QCOMPARE(connects.size(), 1);
    const QList<qint64> times = sim.rxTimestamps(PollingAddress);
    for (int step = 0; step < 12; ++step) {
        const qint64 offset = times.at(step + 3) - connects.first().msecs;
        const qint64 due = qint64(IPCamera::PollInterval) * (step + 1);
        QVERIFY2(offset >= due - 50 && offset <= due + 1500,
                 qPrintable(QStringLiteral("step %1 at %2 ms, due at %3 ms").arg(step).arg(offset).arg(due)));
    }

    // Every value of the camera's state landed in its member, as the camera reported it.
    auto position = [](const quint8 *p) {
        return QString::asprintf("%x%x%x%x", p[0], p[1], p[2], p[3]);
    };
    QCOMPARE(position(camera.panPos), QStringLiteral("f66f"));
    QCOMPARE(position(camera.tiltPos), QStringLiteral("0200"));
    QCOMPARE(position(camera.zoomPos), QStringLiteral("1a2b"));
    QCOMPARE(position(camera.focusPos), QStringLiteral("0c0d"));
    QCOMPARE(camera.isAutoFocus, true);
    QCOMPARE(camera.shutterPos, quint8(18));
    QCOMPARE(camera.irisPos, quint8(12));
    QCOMPARE(camera.brightPos, quint8(17));
    QCOMPARE(camera.luminance, quint8(200));
    QCOMPARE(camera.contrast, quint8(9));
    QCOMPARE(camera.hue, quint8(31));
    QCOMPARE(camera.aeMode, quint8(10));
    QCOMPARE(camera.wbMode, quint8(5));

    // The next cycle starts over with the zoom position.
    QVERIFY(sim.waitForRx(PollingAddress, PollingOrder.first(), 5000, 2));
    QCOMPARE(sim.rxPackets(PollingAddress).at(15), PollingOrder.first());
}

void TestIPCameraSim::lateAnswersNotMisfiled_data()
{
    QTest::addColumn<QStringList>("late"); // --late values

    // The late 90 50 02 FF arrives when the shutter and iris inquiries after it have been answered.
    QTest::newRow("focus mode late") << QStringList{"5:1300"};
    // The late pan/tilt answer arrives while the late luminance inquiry is on the wire, the luminance
    // answer after its own give-up.
    QTest::newRow("pan/tilt and luminance late") << QStringList{"9,10:1200"};
    // The late zoom answer arrives after the focus inquiry was answered in time, while the late focus
    // mode inquiry is on the wire.
    QTest::newRow("zoom and focus mode late") << QStringList{"3,5:1150"};
}

void TestIPCameraSim::lateAnswersNotMisfiled()
{
    QFETCH(QStringList, late);

    QStringList args;
    for (const QString &value : late)
        args << QStringLiteral("--late") << value;
    PtzSimProcess sim;
    QVERIFY2(sim.start({LateAddress}, args), qPrintable(sim.errorString()));
    const QStringList settings{"pan F66F",    "tilt 0200",  "zoom 1A2B", "focuslock 1", "focus 0C0D",
                               "autofocus 1", "shutter 18", "iris 12",   "bright 17",   "luminance 200",
                               "contrast 9",  "hue 31",     "aemode 10", "wbmode 5"};
    for (const QString &setting : settings)
        QVERIFY(sim.control(LateAddress, QStringLiteral("set ") + setting).startsWith(QLatin1String("OK")));

    IPCamera camera(LateAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    const IPCamera fresh(LateAddress, QStringLiteral("Fresh"), QStringLiteral("Dev"));
    // After every status update each value is either still the one before the first reading or the
    // camera's own: never the answer of another kind.
    QStringList misfiled;
    auto check = [&](const char *what, int value, int before, int expected) {
        if (value != before && value != expected)
            misfiled.append(QStringLiteral("%1=%2").arg(QLatin1String(what)).arg(value));
    };
    auto position = [](const quint8 *p) {
        return (p[0] << 12) | (p[1] << 8) | (p[2] << 4) | p[3];
    };
    connect(&camera, &CameraWrapper::clientStatusUpdated, this, [&] {
        check("zoom", position(camera.zoomPos), position(fresh.zoomPos), 0x1A2B);
        check("focus", position(camera.focusPos), position(fresh.focusPos), 0x0C0D);
        check("pan", position(camera.panPos), position(fresh.panPos), 0xF66F);
        check("tilt", position(camera.tiltPos), position(fresh.tiltPos), 0x0200);
        check("autofocus", camera.isAutoFocus, fresh.isAutoFocus, 1);
        check("shutter", camera.shutterPos, fresh.shutterPos, 18);
        check("iris", camera.irisPos, fresh.irisPos, 12);
        check("bright", camera.brightPos, fresh.brightPos, 17);
        check("luminance", camera.luminance, fresh.luminance, 200);
        check("contrast", camera.contrast, fresh.contrast, 9);
        check("hue", camera.hue, fresh.hue, 31);
        check("aemode", camera.aeMode, fresh.aeMode, 10);
        check("wbmode", camera.wbMode, fresh.wbMode, 5);
    });
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    // Two whole cycles with their late answers.
    QTest::qWait(2 * IPCamera::PollSteps * IPCamera::PollInterval + 1500);
    QVERIFY2(misfiled.isEmpty(), qPrintable(misfiled.join(QLatin1Char(' '))));
    // The kinds answered in time were read all the same.
    QVERIFY(updated.count() >= 6);
    QCOMPARE(camera.hue, quint8(31));
    QCOMPARE(camera.wbMode, quint8(5));
}

void TestIPCameraSim::pictureBytesOnDisk()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({PictureAddress}), qPrintable(sim.errorString()));
    IPCamera camera(PictureAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy finished(&camera, &CameraWrapper::clientFinishDownload);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);

    // An older picture of the preset is replaced.
    const QString path = snapshotFilePath(PictureAddress, 3);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(
            "an older and much longer picture than the new one could ever be, padded ........................"
            "..............................................................................................."
            ".");
    }

    camera.downloadSnapshot(3);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 3);
    QCOMPARE(errors.count(), 0);
    QVERIFY(path.endsWith(QStringLiteral("/snapshot_") + PictureAddress + QStringLiteral("3.jpg")));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray onDisk = file.readAll();
    const QByteArray served = fetch(QStringLiteral("http://%1/snapshot.jpg").arg(PictureAddress));
    QVERIFY(served.startsWith("\xFF\xD8"));
    QCOMPARE(onDisk, served);
    QVERIFY(sim.waitForEvent(PictureAddress, QStringLiteral("HTTP"), 3000, 2));
    QCOMPARE(sim.countEvents(PictureAddress, QStringLiteral("HTTP")), 2);
}

void TestIPCameraSim::twoDownloadsBackToBack()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({PictureAddress}), qPrintable(sim.errorString()));
    IPCamera camera(PictureAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy finished(&camera, &CameraWrapper::clientFinishDownload);
    QFile::remove(snapshotFilePath(PictureAddress, 1));
    QFile::remove(snapshotFilePath(PictureAddress, 2));

    camera.downloadSnapshot(1);
    camera.downloadSnapshot(2);
    QTRY_COMPARE(finished.count(), 2);
    QList<int> presets{finished.at(0).at(0).toInt(), finished.at(1).at(0).toInt()};
    std::sort(presets.begin(), presets.end());
    QCOMPARE(presets, (QList<int>{1, 2}));
    for (int preset : {1, 2}) {
        QFile file(snapshotFilePath(PictureAddress, preset));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QVERIFY(file.readAll().startsWith("\xFF\xD8"));
    }
}

void TestIPCameraSim::pictureErrorWritesNothing()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({PictureAddress}, {QStringLiteral("--http-status"), QStringLiteral("404")}),
             qPrintable(sim.errorString()));
    IPCamera camera(PictureAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy finished(&camera, &CameraWrapper::clientFinishDownload);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    const QString missing = snapshotFilePath(PictureAddress, 4);
    QFile::remove(missing);
    // The picture the operator already has stays as it was.
    const QString kept = snapshotFilePath(PictureAddress, 5);
    QVERIFY(QDir().mkpath(QFileInfo(kept).path()));
    {
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }

    camera.downloadSnapshot(4);
    camera.downloadSnapshot(5);
    QTRY_COMPARE(errors.count(), 2);
    QVERIFY2(errors.at(0).at(0).toString().contains(QLatin1String("Not Found"), Qt::CaseInsensitive),
             qPrintable(errors.at(0).at(0).toString()));
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFile::exists(missing));
    QFile file(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("kept"));
}

void TestIPCameraSim::deviceNameFromSimulator()
{
    PtzSimProcess sim;
    QVERIFY2(sim.start({NameAddress}, {QStringLiteral("--name"), QStringLiteral("Stage Left"),
                                       QStringLiteral("--serial"), QStringLiteral("SN4711")}),
             qPrintable(sim.errorString()));
    IPCamera camera(NameAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy gotName(&camera, &CameraWrapper::clientFinishGetName);
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QCOMPARE(camera.serialNumber(), QStringLiteral("xx00000000"));
    camera.connectCamera();
    QVERIFY(waitConnected(connected));
    QVERIFY(gotName.wait(5000) || gotName.count() == 1);
    QCOMPARE(camera.deviceName(), QStringLiteral("Stage Left"));
    QCOMPARE(camera.serialNumber(), QStringLiteral("SN4711"));
}

QTEST_GUILESS_MAIN(TestIPCameraSim)
#include "tst_ipcamera_sim.moc"
