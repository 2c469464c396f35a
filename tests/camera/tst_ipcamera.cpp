#include "ipcamera.h"
#include "snapshotfilepath.h"
#include "testdatahome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHostAddress>
#include <QSet>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <functional>

// IPCamera against a camera of the test's own that writes exact byte sequences: reply framing, reply
// dispatch, the inquiry queue, the storing of every answer kind and the device configuration page.
// The simulator-driven tests (packets, polling, link, pictures) are in tst_ipcamera_sim.cpp.

namespace {

QByteArray bytes(const char *hex)
{
    // fromHex skips the spaces between the byte pairs.
    return QByteArray::fromHex(QByteArray(hex));
}

// One address per test function, so a lingering socket of one test never meets the next.
const QString FramingAddress = QStringLiteral("127.0.1.2");
const QString QueueAddress = QStringLiteral("127.0.1.3");
const QString GiveUpAddress = QStringLiteral("127.0.1.4");
const QString AnswerAddress = QStringLiteral("127.0.1.5");
const QString ConfigAddress = QStringLiteral("127.0.1.6");
const QString DirectWriteAddress = QStringLiteral("127.0.1.7");
const QString ConfigErrorAddress = QStringLiteral("127.0.1.8");
const QString EndlessAddress = QStringLiteral("127.0.14.53");

const QByteArray ZoomInquiry = bytes("81 09 04 47 FF");
const QByteArray FocusInquiry = bytes("81 09 04 48 FF");
const QByteArray BrightInquiry = bytes("81 09 04 4D FF");
const QByteArray HueInquiry = bytes("81 09 04 4F FF");
const QByteArray IrisInquiry = bytes("81 09 04 4B FF");
const QList<QByteArray> FirstPollingInquiries{ZoomInquiry, FocusInquiry, bytes("81 09 04 38 FF")};

// A camera on the VISCA and HTTP ports of one address: records every byte the program sends, writes
// exactly what the test gives it, and answers HTTP requests from a table.
class FakeCamera : public QObject
{
public:
    explicit FakeCamera(const QString &address)
    {
        m_listening = m_visca.listen(QHostAddress(address), IPCamera::ViscaPort)
                      && m_http.listen(QHostAddress(address), 80);
        connect(&m_visca, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_visca.nextPendingConnection()) {
                m_client = socket;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    const int before = int(packets().size());
                    m_received += socket->readAll();
                    const QList<QByteArray> all = packets();
                    for (int i = before; i < all.size(); ++i) {
                        if (m_rejected.contains(all.at(i)))
                            send(QByteArray::fromHex("906002FF"));
                    }
                });
            }
        });
        connect(&m_http, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_http.nextPendingConnection())
                serveHttp(socket);
        });
    }

    bool isListening() const { return m_listening; }
    QTcpSocket *client() const { return m_client; }

    void send(const QByteArray &data)
    {
        m_client->write(data);
        m_client->flush();
    }

    // The packets received so far, each ending with its terminator.
    QList<QByteArray> packets() const
    {
        QList<QByteArray> result;
        QByteArray current;
        for (char c : m_received) {
            current.append(c);
            if (quint8(c) == 0xFF) {
                result.append(current);
                current.clear();
            }
        }
        return result;
    }

    int count(const QByteArray &packet) const { return int(packets().count(packet)); }

    // These packets get a syntax error reply at once: keeps the polling inquiries that come first in the
    // cycle from holding the queue while a test works with other kinds.
    void rejectAtOnce(const QList<QByteArray> &packets) { m_rejected = packets; }

    void setHttpReply(const QString &target, int status, const QByteArray &body)
    {
        m_httpReplies.insert(target, {status, body});
    }

    // Requests for this target get a body that never ends, written as fast as the client reads.
    void setEndlessHttpReply(const QString &target) { m_endless.insert(target); }
    // Endless answers the client has closed.
    int endlessClosed() const { return m_endlessClosed; }

private:
    void serveHttp(QTcpSocket *socket)
    {
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine = request->left(request->indexOf("\r\n")).split(' ');
            const QString target
                = requestLine.size() > 1 ? QString::fromLatin1(requestLine.at(1)) : QString();
            if (m_endless.contains(target)) {
                static const QByteArray chunk(256 * 1024, '\xff');
                connect(socket, &QTcpSocket::disconnected, this, [this] { ++m_endlessClosed; });
                connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                    if (socket->bytesToWrite() < chunk.size())
                        socket->write(chunk);
                });
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + chunk);
                return;
            }
            const auto reply = m_httpReplies.value(target, {404, QByteArray("not here")});
            const QByteArray reason = reply.first == 200 ? "OK" : reply.first == 404 ? "Not Found" : "Error";
            socket->write("HTTP/1.1 " + QByteArray::number(reply.first) + ' ' + reason
                          + "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: "
                          + QByteArray::number(reply.second.size()) + "\r\n\r\n" + reply.second);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_visca;
    QTcpServer m_http;
    bool m_listening = false;
    QTcpSocket *m_client = nullptr;
    QByteArray m_received;
    QList<QByteArray> m_rejected;
    QHash<QString, QPair<int, QByteArray>> m_httpReplies;
    QSet<QString> m_endless;
    int m_endlessClosed = 0;
};

// Connects the camera to the fake and waits until both ends see the link.
bool connectTo(IPCamera &camera, FakeCamera &fake)
{
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    camera.connectCamera();
    // Up once the automatic stops every opened link starts with have arrived, so that what the test
    // counts afterwards is its own.
    return QTest::qWaitFor(
               [&] { return !connected.isEmpty() && fake.client() && fake.packets().size() >= 3; }, 5000)
           && fake.packets().mid(0, 3)
                  == QList<QByteArray>{bytes("81 01 06 01 05 05 03 03 FF"), bytes("81 01 04 07 00 FF"),
                                       bytes("81 01 04 08 00 FF")};
}

// The status cache as text, one entry per member: positions as the status line shows them.
QMap<QString, QString> cacheOf(const CameraWrapper &c)
{
    auto position = [](const quint8 *p) {
        return QString::asprintf("%x%x%x%x", p[0], p[1], p[2], p[3]);
    };
    return {
        {QStringLiteral("zoom"), position(c.zoomPos)},
        {QStringLiteral("focus"), position(c.focusPos)},
        {QStringLiteral("pan"), position(c.panPos)},
        {QStringLiteral("tilt"), position(c.tiltPos)},
        {QStringLiteral("af"), QString::number(int(c.isAutoFocus))},
        {QStringLiteral("iris"), QString::number(c.irisPos)},
        {QStringLiteral("shutter"), QString::number(c.shutterPos)},
        {QStringLiteral("bright"), QString::number(c.brightPos)},
        {QStringLiteral("ae"), QString::number(c.aeMode)},
        {QStringLiteral("lum"), QString::number(c.luminance)},
        {QStringLiteral("con"), QString::number(c.contrast)},
        {QStringLiteral("hue"), QString::number(c.hue)},
        {QStringLiteral("wb"), QString::number(c.wbMode)},
    };
}

// A fresh camera's cache with the "key=value" entries of changes put in; every other member must keep
// its initial value.
QMap<QString, QString> expectedCache(const QString &changes)
{
    IPCamera fresh(QStringLiteral("0.0.0.0"), QString(), QString());
    QMap<QString, QString> cache = cacheOf(fresh);
    for (const QString &entry : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList pair = entry.split(QLatin1Char('='));
        cache.insert(pair.at(0), pair.at(1));
    }
    return cache;
}

using Inquiry = void (CameraWrapper::*)();
const QHash<QString, Inquiry> &inquiries()
{
    static const QHash<QString, Inquiry> table{
        {QStringLiteral("zoom"), &CameraWrapper::inquireZoomPosition},
        {QStringLiteral("focus"), &CameraWrapper::inquireFocusPosition},
        {QStringLiteral("focusMode"), &CameraWrapper::inquireFocusMode},
        {QStringLiteral("shutter"), &CameraWrapper::inquireShutter},
        {QStringLiteral("iris"), &CameraWrapper::inquireIris},
        {QStringLiteral("bright"), &CameraWrapper::inquireBright},
        {QStringLiteral("panTilt"), &CameraWrapper::inquirePanTiltPosition},
        {QStringLiteral("luminance"), &CameraWrapper::inquireLuminance},
        {QStringLiteral("contrast"), &CameraWrapper::inquireContrast},
        {QStringLiteral("hue"), &CameraWrapper::inquireHue},
        {QStringLiteral("aeMode"), &CameraWrapper::inquireAeMode},
        {QStringLiteral("wbMode"), &CameraWrapper::inquireWbMode},
    };
    return table;
}

// Lets the camera's socket take in what the fake wrote, as one read of its own.
void letCameraRead()
{
    QTest::qWait(60);
}

} // namespace

class TestIPCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorSetsRanges();
    void framing_data();
    void framing();
    void storesAnswers_data();
    void storesAnswers();
    void inquiryWaitsForAnswerOrError();
    void unansweredInquiryGivenUp();
    void noDuplicateInquiryKinds();
    void commandLeavesInTheCall();
    void deviceConfiguration_data();
    void deviceConfiguration();
    void deviceConfigurationError();
    void endlessHttpAnswerIsGivenUp_data();
    void endlessHttpAnswerIsGivenUp();
    void snapshotFilePathLayout();
    void unsafeCameraIdGetsNoPicture_data();
    void unsafeCameraIdGetsNoPicture();

private:
    TestDataHome m_home;
};

void TestIPCamera::constructorSetsRanges()
{
    IPCamera camera(QStringLiteral("192.168.1.20"), QStringLiteral("Cam1"), QStringLiteral("Dev"));
    QCOMPARE(camera.cameraType(), 0);
    QCOMPARE(camera.cameraId(), QStringLiteral("192.168.1.20"));
    QCOMPARE(camera.cameraName(), QStringLiteral("Cam1"));
    QCOMPARE(camera.deviceName(), QStringLiteral("Dev"));
    QCOMPARE(camera.serialNumber(), QStringLiteral("xx00000000"));
    QCOMPARE(camera.panSpeedRange(), (SpeedRange{1, 24, 5}));
    QCOMPARE(camera.tiltSpeedRange(), (SpeedRange{1, 20, 5}));
    QCOMPARE(camera.zoomSpeedRange(), (SpeedRange{1, 7, 5}));
    QCOMPARE(camera.focusSpeedRange(), (SpeedRange{1, 7, 5}));
}

void TestIPCamera::framing_data()
{
    QTest::addColumn<QStringList>("queued"); // inquiries on the wire or waiting, in order
    QTest::addColumn<QStringList>("reads");  // what the camera's socket reads, one entry per read
    QTest::addColumn<int>("updates");        // clientStatusUpdated, one per frame that is no error
    QTest::addColumn<QString>("cache");      // the status cache afterwards

    QTest::newRow("two frames in one read") << QStringList() << QStringList{"90 41 FF 90 51 FF"} << 2 << "";
    QTest::newRow("two frames in two reads") << QStringList{"focusMode", "aeMode"}
                                             << QStringList{"90 50 02 FF", "90 50 03 FF"} << 2 << "af=1 ae=3";
    QTest::newRow("one frame over two reads")
        << QStringList{"shutter"} << QStringList{"90 50 00 00", "01 02 FF"} << 1 << "shutter=18";
    QTest::newRow("one frame over three reads")
        << QStringList{"shutter"} << QStringList{"90", "50 00 00 01", "02 FF"} << 1 << "shutter=18";
    QTest::newRow("terminator as last byte of a read closes the frame")
        << QStringList{"focusMode", "aeMode"} << QStringList{"90 50 02 FF", "50 0A FF"} << 1 << "af=1";
    QTest::newRow("notice with no frame open skipped")
        << QStringList{"bright"} << QStringList{"FF 88 30 01 FF"} << 0 << "";
    QTest::newRow("notice before a frame skipped")
        << QStringList{"bright"} << QStringList{"88 30 01 FF 90 50 05 FF"} << 1 << "bright=5";
    QTest::newRow("other camera address skipped")
        << QStringList{"bright"} << QStringList{"A0 41 FF A0 50 07 FF"} << 0 << "";
    QTest::newRow("bytes before the first 0x90 skipped")
        << QStringList{"bright"} << QStringList{"00 11 50 FF", "42 90 50 09 FF"} << 1 << "bright=9";
    QTest::newRow("terminator followed by a foreign byte stays in the frame")
        << QStringList{"shutter"} << QStringList{"90 50 00 FF 01 02 FF"} << 1 << "shutter=18";
    QTest::newRow("terminator followed by a notice stays in the frame")
        << QStringList{"focusMode", "aeMode"} << QStringList{"90 50 02 FF 88 30 01 FF"} << 1 << "af=1";
    QTest::newRow("32 bytes is the longest frame")
        << QStringList{"bright"}
        << QStringList{"90 50 07 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "00 00 00 FF"}
        << 1 << "bright=7";
    QTest::newRow("33 bytes drop the frame")
        << QStringList{"bright"}
        << QStringList{"90 50 07 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "00 00 00 00 FF"}
        << 0 << "";
    QTest::newRow("after an over-long frame the next frame is read")
        << QStringList{"bright"}
        << QStringList{"90 50 07 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 "
                       "01 01 01 01 01 01 01 FF 90 50 05 FF"}
        << 1 << "bright=5";
    QTest::newRow("over-long frame across reads dropped")
        << QStringList{"bright"}
        << QStringList{"90 50 07 00 00 00 00 00 00 00 00 00 00 00 00 00",
                       "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF", "90 50 06 FF"}
        << 1 << "bright=6";
    QTest::newRow("error reply emits nothing")
        << QStringList{"bright"} << QStringList{"90 60 02 FF"} << 0 << "";
    QTest::newRow("error then answer goes to the next inquiry")
        << QStringList{"bright", "hue"} << QStringList{"90 60 02 FF", "90 50 0C FF"} << 1 << "hue=12";
    QTest::newRow("acknowledge and completion store nothing")
        << QStringList{"bright"} << QStringList{"90 41 FF", "90 51 FF", "90 50 04 FF"} << 3 << "bright=4";
}

void TestIPCamera::framing()
{
    QFETCH(QStringList, queued);
    QFETCH(QStringList, reads);
    QFETCH(int, updates);
    QFETCH(QString, cache);

    FakeCamera fake(FramingAddress);
    QVERIFY(fake.isListening());
    IPCamera camera(FramingAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));
    for (const QString &name : queued)
        (camera.*inquiries().value(name))();
    if (!queued.isEmpty())
        QTRY_VERIFY(!fake.packets().isEmpty());

    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    for (const QString &read : reads) {
        fake.send(bytes(read.toLatin1().constData()));
        letCameraRead();
    }
    QCOMPARE(updated.count(), updates);
    QCOMPARE(cacheOf(camera), expectedCache(cache));
}

void TestIPCamera::storesAnswers_data()
{
    // Each step is one inquiry and the answer the camera gives it; all steps run in order.
    QTest::addColumn<QStringList>("steps"); // "inquiry|answer"
    QTest::addColumn<QString>("cache");
    QTest::addColumn<int>("updates");
    QTest::addColumn<int>("cycles"); // clientReadOneCycle

    QTest::newRow("zoom position") << QStringList{"zoom|90 50 01 0A 0B 0C FF"} << "zoom=1abc" << 1 << 0;
    QTest::newRow("focus position") << QStringList{"focus|90 50 0F 00 00 01 FF"} << "focus=f001" << 1 << 0;
    QTest::newRow("auto focus on") << QStringList{"focusMode|90 50 02 FF"} << "af=1" << 1 << 0;
    QTest::newRow("auto focus off again")
        << QStringList{"focusMode|90 50 02 FF", "focusMode|90 50 03 FF"} << "af=0" << 2 << 0;
    QTest::newRow("shutter long form")
        << QStringList{"shutter|90 50 00 00 01 02 FF"} << "shutter=18" << 1 << 0;
    QTest::newRow("shutter short form") << QStringList{"shutter|90 50 05 FF"} << "shutter=5" << 1 << 0;
    QTest::newRow("shutter other length unchanged")
        << QStringList{"shutter|90 50 00 01 02 FF"} << "" << 1 << 0;
    QTest::newRow("iris long form") << QStringList{"iris|90 50 00 00 00 0C FF"} << "iris=12" << 1 << 0;
    QTest::newRow("iris short form") << QStringList{"iris|90 50 09 FF"} << "iris=9" << 1 << 0;
    QTest::newRow("bright") << QStringList{"bright|90 50 11 FF"} << "bright=17" << 1 << 0;
    QTest::newRow("bright long form") << QStringList{"bright|90 50 00 00 01 01 FF"} << "bright=17" << 1 << 0;
    QTest::newRow("pan and tilt") << QStringList{"panTilt|90 50 0F 06 06 0F 00 02 00 00 FF"}
                                  << "pan=f66f tilt=0200" << 1 << 0;
    QTest::newRow("luminance short form") << QStringList{"luminance|90 50 2A FF"} << "lum=42" << 1 << 0;
    QTest::newRow("luminance long form")
        << QStringList{"luminance|90 50 00 00 00 07 FF"} << "lum=7" << 1 << 0;
    QTest::newRow("luminance long form above 15")
        << QStringList{"luminance|90 50 00 00 0C 08 FF"} << "lum=200" << 1 << 0;
    QTest::newRow("contrast long form") << QStringList{"contrast|90 50 00 00 00 0B FF"} << "con=11" << 1 << 0;
    QTest::newRow("contrast short form") << QStringList{"contrast|90 50 80 FF"} << "con=128" << 1 << 0;
    QTest::newRow("hue") << QStringList{"hue|90 50 00 00 00 07 FF"} << "hue=7" << 1 << 0;
    QTest::newRow("hue long form above 15") << QStringList{"hue|90 50 00 00 01 00 FF"} << "hue=16" << 1 << 0;
    QTest::newRow("hue other length unchanged") << QStringList{"hue|90 50 00 07 FF"} << "" << 1 << 0;
    QTest::newRow("exposure mode") << QStringList{"aeMode|90 50 0A FF"} << "ae=10" << 1 << 0;
    QTest::newRow("white balance ends the cycle") << QStringList{"wbMode|90 50 05 FF"} << "wb=5" << 1 << 1;
    QTest::newRow("error answer leaves the value") << QStringList{"zoom|90 60 02 FF"} << "" << 0 << 0;
    QTest::newRow("error answer to white balance is no cycle")
        << QStringList{"wbMode|90 60 41 FF"} << "" << 0 << 0;
    QTest::newRow("short zoom answer stores nothing") << QStringList{"zoom|90 50 01 FF"} << "" << 1 << 0;
    QTest::newRow("short pan/tilt answer stores nothing")
        << QStringList{"panTilt|90 50 01 02 03 04 FF"} << "" << 1 << 0;
    QTest::newRow("later answers go to later inquiries")
        << QStringList{"zoom|90 50 00 01 00 00 FF", "wbMode|90 50 01 FF",
                       "panTilt|90 50 00 00 00 01 0F 0F 0F 0F FF"}
        << "zoom=0100 wb=1 pan=0001 tilt=ffff" << 3 << 1;
}

void TestIPCamera::storesAnswers()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, cache);
    QFETCH(int, updates);
    QFETCH(int, cycles);

    FakeCamera fake(AnswerAddress);
    QVERIFY(fake.isListening());
    IPCamera camera(AnswerAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    QSignalSpy cycled(&camera, &CameraWrapper::clientReadOneCycle);

    for (const QString &step : steps) {
        const QStringList parts = step.split(QLatin1Char('|'));
        const int sent = int(fake.packets().size());
        (camera.*inquiries().value(parts.at(0)))();
        QTRY_COMPARE(int(fake.packets().size()), sent + 1);
        // Answers emit at once; an error reply emits nothing, so give it a moment.
        const int before = int(updated.count());
        fake.send(bytes(parts.at(1).toLatin1().constData()));
        (void)QTest::qWaitFor([&] { return updated.count() > before; }, 200);
    }
    QCOMPARE(cacheOf(camera), expectedCache(cache));
    // Polling inquiries may have gone out meanwhile; they stay unanswered and add no signal.
    QCOMPARE(updated.count(), updates);
    QCOMPARE(cycled.count(), cycles);
}

void TestIPCamera::inquiryWaitsForAnswerOrError()
{
    FakeCamera fake(QueueAddress);
    QVERIFY(fake.isListening());
    fake.rejectAtOnce(FirstPollingInquiries);
    IPCamera camera(QueueAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));

    camera.inquireBright();
    camera.inquireHue();
    QTRY_COMPARE(fake.count(BrightInquiry), 1);

    // A command is not queued behind the outstanding inquiry.
    camera.moveUp(5, 5);
    QTRY_COMPARE(fake.count(bytes("81 01 06 01 05 05 03 01 FF")), 1);
    QCOMPARE(fake.count(HueInquiry), 0);

    // Acknowledge and completion of the command release nothing.
    fake.send(bytes("90 41 FF"));
    letCameraRead();
    fake.send(bytes("90 51 FF"));
    letCameraRead();
    QCOMPARE(fake.count(HueInquiry), 0);

    // The answer releases the head; the next inquiry goes out.
    fake.send(bytes("90 50 03 FF"));
    QTRY_COMPARE(fake.count(HueInquiry), 1);
    QCOMPARE(camera.brightPos, quint8(3));

    // An error reply releases the head just as well, and with the queue empty the next inquiry is
    // written at once.
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    fake.send(bytes("90 60 02 FF"));
    letCameraRead();
    QCOMPARE(updated.count(), 0);
    camera.inquireIris();
    QTRY_COMPARE(fake.count(IrisInquiry), 1);
    fake.send(bytes("90 50 06 FF"));
    QTRY_COMPARE(camera.irisPos, quint8(6));
    QCOMPARE(camera.hue, quint8(0));
}

void TestIPCamera::unansweredInquiryGivenUp()
{
    FakeCamera fake(GiveUpAddress);
    QVERIFY(fake.isListening());
    IPCamera camera(GiveUpAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);

    camera.inquireBright();
    camera.inquireHue();
    QTRY_COMPARE(fake.count(BrightInquiry), 1);
    // Still waiting well inside the give-up time.
    QTest::qWait(IPCamera::InquiryTimeout / 2);
    QCOMPARE(fake.count(HueInquiry), 0);
    // Given up after its time: released like an error reply, without a status update.
    QTRY_COMPARE_WITH_TIMEOUT(fake.count(HueInquiry), 1, 3 * IPCamera::InquiryTimeout);
    QCOMPARE(updated.count(), 0);
    // The next inquiry is read normally.
    fake.send(bytes("90 50 00 00 00 05 FF"));
    QTRY_COMPARE(camera.hue, quint8(5));
    QCOMPARE(camera.brightPos, quint8(0));
}

void TestIPCamera::noDuplicateInquiryKinds()
{
    FakeCamera fake(QueueAddress);
    QVERIFY(fake.isListening());
    fake.rejectAtOnce(FirstPollingInquiries);
    IPCamera camera(QueueAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));

    camera.inquireBright();
    camera.inquireHue();
    camera.inquireHue();
    camera.inquireBright();
    camera.inquireHue();
    QTRY_COMPARE(fake.count(BrightInquiry), 1);

    fake.send(bytes("90 50 01 FF"));
    QTRY_COMPARE(fake.count(HueInquiry), 1);
    fake.send(bytes("90 50 02 FF"));
    letCameraRead();
    QCOMPARE(camera.brightPos, quint8(1));
    QCOMPARE(camera.hue, quint8(2));
    // Nothing else was queued: the repeated calls of a queued kind were skipped. (Bright and hue come late
    // in the polling cycle, so no polling step asks for them in this time.)
    QTest::qWait(100);
    QCOMPARE(fake.count(BrightInquiry), 1);
    QCOMPARE(fake.count(HueInquiry), 1);

    // Once answered, the kind may be asked again.
    camera.inquireHue();
    QTRY_COMPARE(fake.count(HueInquiry), 2);
}

void TestIPCamera::commandLeavesInTheCall()
{
    FakeCamera fake(DirectWriteAddress);
    QVERIFY(fake.isListening());
    IPCamera camera(DirectWriteAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QVERIFY(connectTo(camera, fake));
    QTcpSocket *peer = fake.client();

    // No event loop runs between the call and the blocking read: bytes that were only buffered by the
    // camera's socket would never arrive.
    camera.moveUp(5, 5);
    QVERIFY(peer->waitForReadyRead(3000));
    QTRY_COMPARE(fake.count(bytes("81 01 06 01 05 05 03 01 FF")), 1);

    // One stop came with the opened link.
    camera.stopMoving(5, 5);
    QVERIFY(peer->waitForReadyRead(3000));
    QTRY_COMPARE(fake.count(bytes("81 01 06 01 05 05 03 03 FF")), 2);
}

void TestIPCamera::deviceConfiguration_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("deviceName");
    QTest::addColumn<QString>("serialNumber");

    const QString keptName = QStringLiteral("Dev");
    const QString keptSerial = QStringLiteral("xx00000000");
    QTest::newRow("name and serial") << QByteArray(
        "devname=\"Cam A\"\nmodel=\"X\"\nfw=\"1\"\nhw=\"2\"\nmac=\"00\"\nserial=\"AB123\"\n")
                                     << "Cam A"
                                     << "AB123";
    QTest::newRow("three lines change only the name")
        << QByteArray("devname=\"Cam B\"\nmodel=\"X\"\nfw=\"1\"\n") << "Cam B" << keptSerial;
    QTest::newRow("first line without =")
        << QByteArray("devname\nb=1\nc=2\nd=3\ne=4\nserial=\"S1\"\n") << keptName << "S1";
    QTest::newRow("empty lines dropped")
        << QByteArray("\n\ndevname=Studio\n\nb=1\nc=2\n\nd=3\ne=4\nserial=Z9\n") << "Studio"
        << "Z9";
    QTest::newRow("carriage return kept")
        << QByteArray("devname=\"Cam\"\r\nb=1\r\nc=2\r\nd=3\r\ne=4\r\nserial=\"Q7\"\r\n") << "Cam\r"
        << "Q7\r";
    QTest::newRow("only the second piece") << QByteArray("devname=a=b\n") << "a" << keptSerial;
    QTest::newRow("empty value keeps the name")
        << QByteArray("devname=\nb=1\nc=2\nd=3\ne=4\nserial=\n") << keptName << keptSerial;
    QTest::newRow("quotes inside removed") << QByteArray("devname=\"a\"b\"\"\n") << "ab" << keptSerial;
    QTest::newRow("UTF-8 decoded") << QByteArray("devname=\"Kamera \xc3\xa9\"\n")
                                   << QString::fromUtf8("Kamera \xc3\xa9") << keptSerial;
    QTest::newRow("empty body") << QByteArray() << keptName << keptSerial;
}

void TestIPCamera::deviceConfiguration()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, deviceName);
    QFETCH(QString, serialNumber);

    FakeCamera fake(ConfigAddress);
    QVERIFY(fake.isListening());
    fake.setHttpReply(QStringLiteral("/cgi-bin/param.cgi?get_device_conf"), 200, body);
    IPCamera camera(ConfigAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy got(&camera, &CameraWrapper::clientFinishGetName);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    QVERIFY(connectTo(camera, fake));
    QVERIFY(got.wait(5000) || got.count() == 1);
    QCOMPARE(got.count(), 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(camera.deviceName(), deviceName);
    QCOMPARE(camera.serialNumber(), serialNumber);
}

void TestIPCamera::deviceConfigurationError()
{
    FakeCamera fake(ConfigErrorAddress);
    QVERIFY(fake.isListening());
    fake.setHttpReply(QStringLiteral("/cgi-bin/param.cgi?get_device_conf"), 500, "devname=\"Broken\"\n");
    IPCamera camera(ConfigErrorAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy got(&camera, &CameraWrapper::clientFinishGetName);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    QVERIFY(connectTo(camera, fake));
    QTRY_COMPARE(errors.count(), 1);
    QVERIFY(!errors.at(0).at(0).toString().isEmpty());
    QTest::qWait(100);
    QCOMPARE(got.count(), 0);
    QCOMPARE(camera.deviceName(), QStringLiteral("Dev"));
    QCOMPARE(camera.serialNumber(), QStringLiteral("xx00000000"));
}

void TestIPCamera::endlessHttpAnswerIsGivenUp_data()
{
    QTest::addColumn<bool>("picture");
    QTest::newRow("preset picture") << true;
    QTest::newRow("device configuration") << false;
}

void TestIPCamera::endlessHttpAnswerIsGivenUp()
{
    // A body that keeps coming never lets the transfer time out; it once grew the memory without bound.
    QFETCH(bool, picture);
    FakeCamera fake(EndlessAddress);
    QVERIFY(fake.isListening());
    fake.setEndlessHttpReply(picture ? QStringLiteral("/snapshot.jpg")
                                     : QStringLiteral("/cgi-bin/param.cgi?get_device_conf"));
    fake.setHttpReply(QStringLiteral("/cgi-bin/param.cgi?get_device_conf"), 200, "devname=\"Endless\"\n");
    IPCamera camera(EndlessAddress, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    QSignalSpy downloaded(&camera, &CameraWrapper::clientFinishDownload);
    QSignalSpy named(&camera, &CameraWrapper::clientFinishGetName);
    QVERIFY(connectTo(camera, fake));
    if (picture) {
        QVERIFY(named.wait(5000) || named.count() == 1);
        camera.downloadSnapshot(2);
    }
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(fake.endlessClosed(), 1, 5000);
    QCOMPARE(downloaded.count(), 0);
    QVERIFY(!QFile::exists(snapshotFilePath(EndlessAddress, 2)));
    QCOMPARE(named.count(), picture ? 1 : 0);
}

void TestIPCamera::snapshotFilePathLayout()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                              + QStringLiteral("/tavimorex-controller/downloads");
    QVERIFY(downloads.startsWith(m_home.path()));
    QCOMPARE(snapshotFilePath(QStringLiteral("192.168.1.20"), 3),
             downloads + QStringLiteral("/snapshot_192.168.1.203.jpg"));
    QCOMPARE(snapshotFilePath(QStringLiteral("10.0.0.5"), 12),
             downloads + QStringLiteral("/snapshot_10.0.0.512.jpg"));
    QCOMPARE(snapshotFilePath(QStringLiteral("../../etc"), 1), QString());
    QCOMPARE(snapshotFilePath(QStringLiteral("a/b"), 1), QString());
    QCOMPARE(snapshotFilePath(QStringLiteral("a\\b"), 1), QString());
}

void TestIPCamera::unsafeCameraIdGetsNoPicture_data()
{
    QTest::addColumn<QString>("cameraId");
    QTest::addColumn<QString>("reason");
    QTest::newRow("parent steps") << "../../x"
                                  << "path separator";
    QTest::newRow("slash") << "127.0.1.9/x"
                           << "path separator";
    QTest::newRow("backslash") << "..\\x"
                               << "path separator";
    QTest::newRow("parent step alone") << ".."
                                       << "parent folder";
}

void TestIPCamera::unsafeCameraIdGetsNoPicture()
{
    QFETCH(QString, cameraId);
    QFETCH(QString, reason);
    IPCamera camera(cameraId, QStringLiteral("Cam"), QStringLiteral("Dev"));
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    QSignalSpy finished(&camera, &CameraWrapper::clientFinishDownload);

    camera.downloadSnapshot(1);
    QTRY_COMPARE(errors.count(), 1);
    QVERIFY2(errors.at(0).at(0).toString().contains(reason), qPrintable(errors.at(0).at(0).toString()));
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
    // Nothing written anywhere below the data home.
    QDirIterator it(m_home.path(), QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

QTEST_GUILESS_MAIN(TestIPCamera)
#include "tst_ipcamera.moc"
