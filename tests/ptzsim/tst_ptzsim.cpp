#include "ptzsimprocess.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {
const QString CamA = QStringLiteral("127.0.10.1");
const QString CamB = QStringLiteral("127.0.10.2");
const QString FaultCam = QStringLiteral("127.0.10.3");
const QString SpareCam = QStringLiteral("127.0.10.4");
constexpr quint16 ViscaPort = 15678;
constexpr quint16 HttpPort = 18080;
constexpr quint16 ControlPort = 15680;

const QStringList PortArgs
    = {QStringLiteral("--visca-port"), QString::number(ViscaPort),       QStringLiteral("--http-port"),
       QString::number(HttpPort),      QStringLiteral("--control-port"), QString::number(ControlPort)};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray Ack = hex("90 41 ff");
const QByteArray Completion = hex("90 51 ff");
const QByteArray SyntaxError = hex("90 60 02 ff");
// The power inquiry and its answer: sent after a packet, its answer must be the next thing to
// arrive, which shows that nothing else was sent for that packet without waiting for silence.
const QByteArray Fence = hex("81 09 04 00 ff");
const QByteArray FenceAnswer = hex("90 50 02 ff");

// A plain VISCA client, as a controller would be: whole packets are cut at the FF terminator.
class ViscaClient
{
public:
    bool connectTo(const QString &address, quint16 port = ViscaPort)
    {
        socket.connectToHost(address, port);
        return socket.waitForConnected(3000);
    }

    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    // Waits until count packets have arrived (or the time is up) and returns them.
    QList<QByteArray> receive(int count, int timeoutMs = 3000)
    {
        (void)QTest::qWaitFor(
            [&] {
                pull();
                return packets.size() >= count;
            },
            timeoutMs);
        return take(count);
    }

    // Everything that arrives within the given time.
    QList<QByteArray> receiveFor(int ms)
    {
        QTest::qWait(ms);
        pull();
        return take(int(packets.size()));
    }

    QList<QByteArray> packets;

    QTcpSocket socket;

private:
    void pull()
    {
        buffer += socket.readAll();
        int end = 0;
        while ((end = buffer.indexOf(char(0xff))) >= 0) {
            packets.append(buffer.left(end + 1));
            buffer.remove(0, end + 1);
        }
    }

    QList<QByteArray> take(int count)
    {
        const QList<QByteArray> result = packets.mid(0, count);
        packets = packets.mid(count);
        return result;
    }

    QByteArray buffer;
};

QByteArray httpGet(const QString &url, int *status = nullptr, QByteArray *contentType = nullptr)
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(url)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!finished.wait(5000))
        return {};
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (contentType)
        *contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}
} // namespace

class TestPtzSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void commandReplies_data();
    void commandReplies();
    void inquiryAnswers_data();
    void inquiryAnswers();
    void commandsChangeState_data();
    void commandsChangeState();
    void streamFraming();
    void motionAndLimits();
    void lensMotion();
    void presetRoundTrip();
    void camerasAreIndependent();
    void snapshot();
    void snapshotFollowsState_data();
    void snapshotFollowsState();
    void deviceConfiguration();
    void httpErrors();
    void faultModes_data();
    void faultModes();
    void dropAndSend();
    void controlErrors_data();
    void controlErrors();
    void logFormat();
    void commandLineErrors_data();
    void commandLineErrors();
    void listenFailure();

private:
    void resetCamera(const QString &address);

    PtzSimProcess m_sim;
};

void TestPtzSim::initTestCase()
{
    QStringList args = PortArgs;
    args << QStringLiteral("--name") << QStringLiteral("Cam A") << QStringLiteral("--serial")
         << QStringLiteral("AB123") << QStringLiteral("--name") << QStringLiteral("Cam B");
    QVERIFY2(m_sim.start({CamA, CamB}, args), qPrintable(m_sim.errorString()));
    QCOMPARE(m_sim.controlPort(), ControlPort);
    QCOMPARE(m_sim.viscaPort(), ViscaPort);
}

void TestPtzSim::init()
{
    resetCamera(CamA);
    resetCamera(CamB);
    m_sim.clearLog();
}

void TestPtzSim::cleanupTestCase()
{
    m_sim.stop();
    QCOMPARE(m_sim.exitCode(), 0);
}

void TestPtzSim::resetCamera(const QString &address)
{
    QCOMPARE(m_sim.control(address, QStringLiteral("reset")), QStringLiteral("OK reset"));
    // Back at the power-on state: centred, wide, sharp, default exposure, nothing stored.
    const QJsonObject state = m_sim.state(address);
    QCOMPARE(state.value("pan").toInt(), 0);
    QCOMPARE(state.value("zoom").toInt(), 0);
    QCOMPARE(state.value("focus").toInt(), 0x2000);
    QCOMPARE(state.value("shutter").toInt(), 7);
    QCOMPARE(state.value("presets").toObject(), QJsonObject());
}

void TestPtzSim::commandReplies_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QList<QByteArray>>("replies");
    const QList<QByteArray> done = {Ack, Completion};
    const QList<QByteArray> rejected = {SyntaxError};

    QTest::newRow("move up") << hex("81 01 06 01 05 05 03 01 ff") << done;
    QTest::newRow("move down left") << hex("81 01 06 01 18 14 01 02 ff") << done;
    QTest::newRow("stop") << hex("81 01 06 01 05 05 03 03 ff") << done;
    QTest::newRow("home") << hex("81 01 06 04 ff") << done;
    QTest::newRow("absolute") << hex("81 01 06 02 18 14 00 01 00 00 00 00 00 00 ff") << done;
    QTest::newRow("zoom in 7") << hex("81 01 04 07 27 ff") << done;
    QTest::newRow("zoom out 1") << hex("81 01 04 07 31 ff") << done;
    QTest::newRow("zoom stop") << hex("81 01 04 07 00 ff") << done;
    QTest::newRow("zoom direct") << hex("81 01 04 47 01 00 00 00 ff") << done;
    QTest::newRow("focus in 3") << hex("81 01 04 08 33 ff") << done;
    QTest::newRow("focus out 3") << hex("81 01 04 08 23 ff") << done;
    QTest::newRow("focus stop") << hex("81 01 04 08 00 ff") << done;
    QTest::newRow("auto focus on") << hex("81 01 04 38 02 ff") << done;
    QTest::newRow("focus lock") << hex("81 0a 04 68 02 ff") << done;
    QTest::newRow("preset set") << hex("81 01 04 3f 01 01 ff") << done;
    QTest::newRow("preset recall") << hex("81 01 04 3f 02 01 ff") << done;
    QTest::newRow("preset clear") << hex("81 01 04 3f 00 01 ff") << done;
    QTest::newRow("preset speed") << hex("81 01 06 01 18 ff") << done;
    QTest::newRow("iris") << hex("81 01 04 4b 00 00 00 0c ff") << done;
    QTest::newRow("iris reset") << hex("81 01 04 0b 00 ff") << done;
    QTest::newRow("shutter") << hex("81 01 04 4a 00 00 00 01 ff") << done;
    QTest::newRow("shutter reset") << hex("81 01 04 0a 00 ff") << done;
    QTest::newRow("bright") << hex("81 01 04 0d 00 00 01 01 ff") << done;
    QTest::newRow("bright up") << hex("81 01 04 0d 02 ff") << done;
    QTest::newRow("bright down") << hex("81 01 04 0d 03 ff") << done;
    QTest::newRow("bright reset") << hex("81 01 04 0d 00 ff") << done;
    QTest::newRow("ae mode") << hex("81 01 04 39 0a ff") << done;
    QTest::newRow("wb mode") << hex("81 01 04 35 05 ff") << done;
    QTest::newRow("wb mode 0x10") << hex("81 01 04 35 10 ff") << done;
    QTest::newRow("one push wb") << hex("81 01 04 10 05 ff") << done;
    QTest::newRow("luminance") << hex("81 01 04 a1 00 00 00 0e ff") << done;
    QTest::newRow("contrast") << hex("81 01 04 a2 00 00 00 03 ff") << done;
    QTest::newRow("hue") << hex("81 01 04 4f 00 00 00 07 ff") << done;
    QTest::newRow("flip") << hex("81 01 04 66 02 ff") << done;
    QTest::newRow("mirror") << hex("81 01 04 61 03 ff") << done;
    QTest::newRow("osd enter") << hex("81 01 06 06 05 ff") << done;
    QTest::newRow("osd back") << hex("81 01 06 06 04 ff") << done;
    QTest::newRow("motion sync") << hex("81 0a 11 13 02 ff") << done;
    QTest::newRow("tally on") << hex("81 01 7e 01 0a 00 02 ff") << done;
    QTest::newRow("tally off") << hex("81 01 7e 01 0a 00 03 ff") << done;
    QTest::newRow("tally other") << hex("81 01 7e 01 0a 00 04 ff") << rejected;
    QTest::newRow("limit up-right") << hex("81 01 06 07 00 01 00 09 09 00 00 05 01 00 ff") << done;
    QTest::newRow("limit clear") << hex("81 01 06 07 01 00 07 0f 0f 0f 07 0f 0f 0f ff") << done;
    QTest::newRow("interface clear") << hex("81 01 00 01 ff") << QList<QByteArray>{hex("90 50 ff")};
    QTest::newRow("cancel") << hex("81 21 ff") << QList<QByteArray>{hex("90 61 04 ff")};

    QTest::newRow("other camera address") << hex("82 01 06 04 ff") << QList<QByteArray>{};
    QTest::newRow("address set broadcast") << hex("88 30 01 ff") << QList<QByteArray>{hex("88 30 02 ff")};

    QTest::newRow("garbage") << hex("12 34 56 ff") << rejected;
    QTest::newRow("lone terminator") << hex("ff") << rejected;
    QTest::newRow("unknown command") << hex("81 01 04 99 02 ff") << rejected;
    QTest::newRow("unknown inquiry") << hex("81 09 04 99 ff") << rejected;
    QTest::newRow("bad pan direction") << hex("81 01 06 01 05 05 04 03 ff") << rejected;
    QTest::newRow("preset speed 0") << hex("81 01 06 01 00 ff") << rejected;
    QTest::newRow("preset speed 25") << hex("81 01 06 01 19 ff") << rejected;
    QTest::newRow("bad ae mode") << hex("81 01 04 39 07 ff") << rejected;
    QTest::newRow("bad switch") << hex("81 01 04 66 05 ff") << rejected;
    QTest::newRow("command too short") << hex("81 01 04 07 ff") << rejected;
    QTest::newRow("non-nibble position") << hex("81 01 04 47 10 00 00 00 ff") << rejected;
}

void TestPtzSim::commandReplies()
{
    QFETCH(QByteArray, packet);
    QFETCH(QList<QByteArray>, replies);
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    client.send(packet + Fence);
    QCOMPARE(client.receive(int(replies.size()) + 1), replies + QList<QByteArray>{FenceAnswer});
    QVERIFY(m_sim.waitForRx(CamA, packet));
}

void TestPtzSim::inquiryAnswers_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QByteArray>("inquiry");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("3 zoom") << QStringList{"set zoom 1234"} << hex("81 09 04 47 ff")
                            << hex("90 50 01 02 03 04 ff");
    QTest::newRow("4 focus") << QStringList{"set autofocus 0", "set focus abcd"} << hex("81 09 04 48 ff")
                             << hex("90 50 0a 0b 0c 0d ff");
    QTest::newRow("5 focus mode auto")
        << QStringList{"set autofocus 1"} << hex("81 09 04 38 ff") << hex("90 50 02 ff");
    QTest::newRow("5 focus mode manual")
        << QStringList{"set autofocus 0"} << hex("81 09 04 38 ff") << hex("90 50 03 ff");
    QTest::newRow("6 shutter") << QStringList{"set shutter 18"} << hex("81 09 04 4a ff")
                               << hex("90 50 00 00 01 02 ff");
    QTest::newRow("6 shutter short") << QStringList{"set shutter 5", "answers short"} << hex("81 09 04 4a ff")
                                     << hex("90 50 05 ff");
    QTest::newRow("7 iris") << QStringList{"set iris 12"} << hex("81 09 04 4b ff")
                            << hex("90 50 00 00 00 0c ff");
    QTest::newRow("7 iris short") << QStringList{"set iris 12", "answers short"} << hex("81 09 04 4b ff")
                                  << hex("90 50 0c ff");
    QTest::newRow("8 bright") << QStringList{"set bright 17"} << hex("81 09 04 4d ff") << hex("90 50 11 ff");
    QTest::newRow("8 bright long") << QStringList{"set bright 17", "answers long"} << hex("81 09 04 4d ff")
                                   << hex("90 50 00 00 01 01 ff");
    QTest::newRow("9 pan/tilt") << QStringList{"set pan f66f", "set tilt 0200"} << hex("81 09 06 12 ff")
                                << hex("90 50 0f 06 06 0f 00 02 00 00 ff");
    QTest::newRow("10 luminance") << QStringList{"set luminance 14"} << hex("81 09 04 a1 ff")
                                  << hex("90 50 00 00 00 0e ff");
    QTest::newRow("11 contrast") << QStringList{"set contrast 3"} << hex("81 09 04 a2 ff")
                                 << hex("90 50 00 00 00 03 ff");
    QTest::newRow("12 hue") << QStringList{"set hue 9"} << hex("81 09 04 4f ff")
                            << hex("90 50 00 00 00 09 ff");
    QTest::newRow("12 hue short") << QStringList{"set hue 9", "answers short"} << hex("81 09 04 4f ff")
                                  << hex("90 50 09 ff");
    QTest::newRow("13 ae mode") << QStringList{"set aemode 13"} << hex("81 09 04 39 ff")
                                << hex("90 50 0d ff");
    QTest::newRow("14 wb mode") << QStringList{"set wbmode 5"} << hex("81 09 04 35 ff") << hex("90 50 05 ff");
    QTest::newRow("power") << QStringList{} << hex("81 09 04 00 ff") << hex("90 50 02 ff");
    QTest::newRow("menu") << QStringList{"set menu 1"} << hex("81 09 06 06 ff") << hex("90 50 02 ff");
    QTest::newRow("max speed") << QStringList{} << hex("81 09 06 11 ff") << hex("90 50 18 14 ff");
}

void TestPtzSim::inquiryAnswers()
{
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, inquiry);
    QFETCH(QByteArray, answer);
    for (const QString &command : std::as_const(setup))
        QVERIFY(m_sim.control(CamA, command).startsWith(QLatin1String("OK")));
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    client.send(inquiry + Fence);
    // Inquiries are answered without an ACK.
    QCOMPARE(client.receive(2), (QList<QByteArray>{answer, FenceAnswer}));
}

void TestPtzSim::commandsChangeState_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QJsonValue>("value");

    QTest::newRow("iris 12") << hex("81 01 04 4b 00 00 00 0c ff") << "iris" << QJsonValue(12);
    QTest::newRow("iris down") << hex("81 01 04 0b 03 ff") << "iris" << QJsonValue(7);
    QTest::newRow("shutter index 0") << hex("81 01 04 4a 00 00 00 01 ff") << "shutter" << QJsonValue(1);
    QTest::newRow("shutter up") << hex("81 01 04 0a 02 ff") << "shutter" << QJsonValue(8);
    QTest::newRow("bright 17") << hex("81 01 04 0d 00 00 01 01 ff") << "bright" << QJsonValue(17);
    QTest::newRow("bright up") << hex("81 01 04 0d 02 ff") << "bright" << QJsonValue(8);
    QTest::newRow("bright down") << hex("81 01 04 0d 03 ff") << "bright" << QJsonValue(6);
    QTest::newRow("ae mode manual") << hex("81 01 04 39 03 ff") << "aemode" << QJsonValue(3);
    QTest::newRow("wb manual") << hex("81 01 04 35 05 ff") << "wbmode" << QJsonValue(5);
    QTest::newRow("wb 0x10") << hex("81 01 04 35 10 ff") << "wbmode" << QJsonValue(16);
    QTest::newRow("one push wb") << hex("81 01 04 10 05 ff") << "onepushwb" << QJsonValue(1);
    QTest::newRow("luminance whole byte")
        << hex("81 01 04 a1 00 00 00 0e ff") << "luminance" << QJsonValue(14);
    QTest::newRow("contrast") << hex("81 01 04 a2 00 00 00 02 ff") << "contrast" << QJsonValue(2);
    QTest::newRow("hue") << hex("81 01 04 4f 00 00 00 0b ff") << "hue" << QJsonValue(11);
    QTest::newRow("flip on") << hex("81 01 04 66 02 ff") << "flip" << QJsonValue(true);
    QTest::newRow("mirror on") << hex("81 01 04 61 02 ff") << "mirror" << QJsonValue(true);
    QTest::newRow("motion sync on") << hex("81 0a 11 13 02 ff") << "motionsync" << QJsonValue(true);
    QTest::newRow("tally on") << hex("81 01 7e 01 0a 00 02 ff") << "tally" << QJsonValue(true);
    QTest::newRow("auto focus off") << hex("81 01 04 38 03 ff") << "autofocus" << QJsonValue(false);
    QTest::newRow("auto focus toggle") << hex("81 01 04 38 10 ff") << "autofocus" << QJsonValue(false);
    QTest::newRow("focus lock on") << hex("81 0a 04 68 02 ff") << "focuslock" << QJsonValue(true);
    QTest::newRow("preset speed 23") << hex("81 01 06 01 17 ff") << "presetspeed" << QJsonValue(23);
    QTest::newRow("menu by preset 95") << hex("81 01 04 3f 02 5f ff") << "menu" << QJsonValue(true);
    QTest::newRow("menu open") << hex("81 01 06 06 02 ff") << "menu" << QJsonValue(true);
    QTest::newRow("limit up-right pan")
        << hex("81 01 06 07 00 01 00 09 09 00 00 05 01 00 ff") << "panmax" << QJsonValue(2448);
    QTest::newRow("limit up-right tilt")
        << hex("81 01 06 07 00 01 00 00 06 04 00 00 03 02 ff") << "tiltmax" << QJsonValue(0x32);
    QTest::newRow("limit down-left pan")
        << hex("81 01 06 07 00 00 0f 0f 09 0c 0f 0f 0f 00 ff") << "panmin" << QJsonValue(-100);
}

void TestPtzSim::commandsChangeState()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, field);
    QFETCH(QJsonValue, value);
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    client.send(packet);
    QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, Completion}));
    QCOMPARE(m_sim.state(CamA).value(field), value);
}

void TestPtzSim::streamFraming()
{
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    QVERIFY(m_sim.control(CamA, "set zoom 0102").startsWith(QLatin1String("OK")));

    // Two packets in one write: both answered, in order.
    client.send(hex("81 09 04 47 ff 81 01 06 04 ff"));
    QCOMPARE(client.receive(3), (QList<QByteArray>{hex("90 50 00 01 00 02 ff"), Ack, Completion}));

    // One packet over three writes.
    client.send(hex("81 09"));
    QTest::qWait(50);
    client.send(hex("04"));
    QTest::qWait(50);
    client.send(hex("47 ff"));
    QCOMPARE(client.receive(1), QList<QByteArray>{hex("90 50 00 01 00 02 ff")});

    // The end of one packet and the start of the next in one write.
    client.send(hex("81 09 04"));
    QTest::qWait(30);
    client.send(hex("47 ff 81 09"));
    QTest::qWait(30);
    client.send(hex("04 38 ff"));
    QCOMPARE(client.receive(2), (QList<QByteArray>{hex("90 50 00 01 00 02 ff"), hex("90 50 02 ff")}));

    // No terminator within sixteen bytes: a message length error, then the stream goes on.
    client.send(QByteArray(17, char(0x01)));
    QCOMPARE(client.receive(1), QList<QByteArray>{hex("90 60 01 ff")});
    client.send(hex("81 09 04 38 ff"));
    QCOMPARE(client.receive(1), QList<QByteArray>{hex("90 50 02 ff")});

    const QList<QByteArray> rx = m_sim.rxPackets(CamA);
    QVERIFY(rx.contains(hex("81 09 04 47 ff")));
    QVERIFY(rx.contains(hex("81 01 06 04 ff")));
    QCOMPARE(rx.count(hex("81 09 04 47 ff")), 3);
}

void TestPtzSim::motionAndLimits()
{
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    client.send(hex("81 01 06 01 18 14 02 01 ff")); // up right, top speeds
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.state(CamA).value("pan").toInt() > 100, 5000);
    QVERIFY(m_sim.state(CamA).value("tilt").toInt() > 0);
    QVERIFY(m_sim.state(CamA).value("moving").toBool());
    client.send(hex("81 01 06 01 18 14 03 03 ff"));
    QCOMPARE(client.receive(4).size(), 4);
    const int stoppedAt = m_sim.state(CamA).value("pan").toInt();
    QTest::qWait(150);
    QCOMPARE(m_sim.state(CamA).value("pan").toInt(), stoppedAt);
    QCOMPARE(m_sim.state(CamA).value("moving").toBool(), false);

    // The inquiry reports the same position.
    client.send(hex("81 09 06 12 ff"));
    const QList<QByteArray> answer = client.receive(1);
    QCOMPARE(answer.size(), 1);
    const quint16 word = quint16((answer.first().at(2) << 12) | (answer.first().at(3) << 8)
                                 | (answer.first().at(4) << 4) | answer.first().at(5));
    QCOMPARE(int(qint16(word)), stoppedAt);

    // Left within a down-left limit of pan -100 (FF9C): the head stops there.
    client.send(hex("81 01 06 07 00 00 0f 0f 09 0c 0f 0e 07 00 ff"));
    client.send(hex("81 01 06 01 18 14 01 03 ff"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("pan").toInt(), -100, 8000);
    QTest::qWait(100);
    QCOMPARE(m_sim.state(CamA).value("pan").toInt(), -100);

    // Cleared, it goes on; home brings it back to the centre.
    client.send(hex("81 01 06 07 01 00 07 0f 0f 0f 07 0f 0f 0f ff"));
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.state(CamA).value("pan").toInt() < -150, 5000);
    client.send(hex("81 01 06 04 ff"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("pan").toInt(), 0, 5000);
    QCOMPARE(m_sim.state(CamA).value("tilt").toInt(), 0);

    // With the menu open, up/down move the menu cursor instead of the head.
    client.send(hex("81 01 04 3f 02 5f ff"));
    client.send(hex("81 01 06 01 05 05 03 02 ff"));
    client.send(hex("81 01 06 01 05 05 03 02 ff"));
    QTRY_COMPARE(m_sim.state(CamA).value("menuitem").toInt(), 2);
    QCOMPARE(m_sim.state(CamA).value("tilt").toInt(), 0);
    client.send(hex("81 01 06 06 05 ff"));
    QTRY_COMPARE(m_sim.state(CamA).value("menulevel").toInt(), 1);
    client.send(hex("81 01 06 06 04 ff 81 01 06 06 04 ff"));
    QTRY_COMPARE(m_sim.state(CamA).value("menu").toBool(), false);
}

void TestPtzSim::lensMotion()
{
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    client.send(hex("81 01 04 07 27 ff")); // zoom in at speed 7
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.state(CamA).value("zoom").toInt() > 0x800, 5000);
    client.send(hex("81 01 04 07 00 ff"));
    QTest::qWait(50);
    const int zoom = m_sim.state(CamA).value("zoom").toInt();
    QTest::qWait(100);
    QCOMPARE(m_sim.state(CamA).value("zoom").toInt(), zoom);
    // Auto focus follows the zoom.
    QTRY_VERIFY(m_sim.state(CamA).value("focus").toInt() != 0x2000);

    // Manual focus does not move while auto focus is on...
    QVERIFY(m_sim.control(CamA, "set focus 4000").startsWith(QLatin1String("OK")));
    client.send(hex("81 01 04 08 37 ff"));
    QTest::qWait(100);
    QCOMPARE(m_sim.state(CamA).value("focus").toInt(), 0x4000);
    // ...and does once it is off: "near" raises the position.
    client.send(hex("81 01 04 38 03 ff 81 01 04 08 37 ff"));
    QTRY_VERIFY(m_sim.state(CamA).value("focus").toInt() > 0x4400);
    client.send(hex("81 01 04 08 00 ff"));
    QTRY_COMPARE(m_sim.state(CamA).value("moving").toBool(), false);

    // Direct zoom goes to the position.
    client.send(hex("81 01 04 47 02 00 00 00 ff"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("zoom").toInt(), 0x2000, 5000);
}

void TestPtzSim::presetRoundTrip()
{
    ViscaClient client;
    QVERIFY(client.connectTo(CamA));
    for (const char *command :
         {"set pan 0100", "set tilt ff00", "set zoom 0800", "set autofocus 0", "set focus 3000"})
        QVERIFY(m_sim.control(CamA, QString::fromLatin1(command)).startsWith(QLatin1String("OK")));
    client.send(hex("81 01 04 3f 01 07 ff")); // store preset 7
    QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, Completion}));
    const QJsonObject stored = m_sim.state(CamA).value("presets").toObject().value("7").toObject();
    QCOMPARE(stored.value("pan").toInt(), 0x100);
    QCOMPARE(stored.value("tilt").toInt(), -0x100);
    QCOMPARE(stored.value("zoom").toInt(), 0x800);
    QCOMPARE(stored.value("focus").toInt(), 0x3000);

    for (const char *command : {"set pan 0", "set tilt 0", "set zoom 0", "set focus 1000"})
        QVERIFY(m_sim.control(CamA, QString::fromLatin1(command)).startsWith(QLatin1String("OK")));
    client.send(hex("81 01 06 01 18 ff 81 01 04 3f 02 07 ff")); // fastest preset speed, recall 7
    QCOMPARE(client.receive(4), (QList<QByteArray>{Ack, Completion, Ack, Completion}));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("pan").toInt(), 0x100, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("tilt").toInt(), -0x100, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("zoom").toInt(), 0x800, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state(CamA).value("focus").toInt(), 0x3000, 5000);

    // A slow recall is still under way right after the command.
    QVERIFY(m_sim.control(CamA, "set pan f000").startsWith(QLatin1String("OK")));
    client.send(hex("81 01 06 01 01 ff 81 01 04 3f 02 07 ff"));
    QCOMPARE(client.receive(4).size(), 4);
    const QJsonObject moving = m_sim.state(CamA);
    QVERIFY(moving.value("moving").toBool());
    QVERIFY(moving.value("pan").toInt() < 0x100);

    // Cleared presets are gone; recalling an empty one moves nothing.
    client.send(hex("81 01 04 3f 00 07 ff"));
    QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, Completion}));
    QVERIFY(!m_sim.state(CamA).value("presets").toObject().contains("7"));
}

void TestPtzSim::camerasAreIndependent()
{
    QVERIFY(m_sim.control(CamA, "set pan 0123").startsWith(QLatin1String("OK")));
    QCOMPARE(m_sim.state(CamA).value("pan").toInt(), 0x123);
    QCOMPARE(m_sim.state(CamB).value("pan").toInt(), 0);
    ViscaClient a;
    ViscaClient b;
    QVERIFY(a.connectTo(CamA));
    QVERIFY(b.connectTo(CamB));
    b.send(hex("81 09 06 12 ff"));
    QCOMPARE(b.receive(1), QList<QByteArray>{hex("90 50 00 00 00 00 00 00 00 00 ff")});
    QVERIFY(m_sim.waitForRx(CamB, hex("81 09 06 12 ff")));
    QCOMPARE(m_sim.rxPackets(CamA), QList<QByteArray>());
}

void TestPtzSim::snapshot()
{
    const QString url = QStringLiteral("http://%1:%2/snapshot.jpg").arg(CamA).arg(HttpPort);
    int status = 0;
    QByteArray type;
    const QByteArray first = httpGet(url, &status, &type);
    QCOMPARE(status, 200);
    QCOMPARE(type, QByteArray("image/jpeg"));
    QVERIFY(first.startsWith("\xff\xd8"));
    const QImage image = QImage::fromData(first, "JPG");
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(640, 360));

    // The picture depends on the state only.
    QCOMPARE(httpGet(url), first);

    QVERIFY(m_sim.control(CamA, "set pan 0200").startsWith(QLatin1String("OK")));
    const QByteArray moved = httpGet(url);
    QVERIFY(!QImage::fromData(moved, "JPG").isNull());
    QVERIFY(moved != first);

    QVERIFY(m_sim.control(CamA, "set zoom 2000").startsWith(QLatin1String("OK")));
    const QByteArray zoomed = httpGet(url);
    QVERIFY(zoomed != moved);

    QVERIFY(m_sim.waitForEvent(CamA, "HTTP", 5000, 4));
    QCOMPARE(m_sim.entries(CamA, "HTTP").constFirst().text, QStringLiteral("GET /snapshot.jpg 200"));
}

void TestPtzSim::snapshotFollowsState_data()
{
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("pan") << QStringList{"set pan ff00"};
    QTest::newRow("tilt") << QStringList{"set tilt 0100"};
    QTest::newRow("zoom") << QStringList{"set zoom 4000"};
    QTest::newRow("focus") << QStringList{"set autofocus 0", "set focus e000"};
    QTest::newRow("iris") << QStringList{"set iris 0"};
    QTest::newRow("white balance") << QStringList{"set wbmode 1"};
    QTest::newRow("flip") << QStringList{"set flip 1"};
    QTest::newRow("mirror") << QStringList{"set mirror 1"};
    QTest::newRow("menu") << QStringList{"set menu 1"};
    QTest::newRow("standby") << QStringList{"set power 0"};
}

void TestPtzSim::snapshotFollowsState()
{
    QFETCH(QStringList, commands);
    const QString url = QStringLiteral("http://%1:%2/snapshot.jpg").arg(CamB).arg(HttpPort);
    const QByteArray before = httpGet(url);
    QVERIFY(!before.isEmpty());
    for (const QString &command : std::as_const(commands))
        QVERIFY(m_sim.control(CamB, command).startsWith(QLatin1String("OK")));
    const QByteArray after = httpGet(url);
    QVERIFY(after != before);
    QCOMPARE(QImage::fromData(after, "JPG").size(), QSize(640, 360));
}

void TestPtzSim::deviceConfiguration()
{
    for (const auto &[address, name, serial] :
         {std::tuple{CamA, QStringLiteral("Cam A"), QStringLiteral("AB123")},
          std::tuple{CamB, QStringLiteral("Cam B"), QStringLiteral("SIM0002")}}) {
        int status = 0;
        QByteArray type;
        const QByteArray body = httpGet(
            QStringLiteral("http://%1:%2/cgi-bin/param.cgi?get_device_conf").arg(address).arg(HttpPort),
            &status, &type);
        QCOMPARE(status, 200);
        QVERIFY(type.startsWith("text/plain"));
        QVERIFY(!body.contains('\r'));
        const QList<QByteArray> lines = body.split('\n');
        QVERIFY(lines.size() >= 6);
        QCOMPARE(QString::fromUtf8(lines.at(0)), QStringLiteral("devname=\"%1\"").arg(name));
        QCOMPARE(QString::fromUtf8(lines.at(5)), QStringLiteral("serial=\"%1\"").arg(serial));
    }

    // Odd pages for the parser of the camera code: served exactly as given.
    const QString url
        = QStringLiteral("http://%1:%2/cgi-bin/param.cgi?get_device_conf").arg(CamA).arg(HttpPort);
    QCOMPARE(m_sim.control(CamA, QStringLiteral("devconf devname=\"X\"\\r\\nmodel\\n")),
             QStringLiteral("OK devconf 19 bytes"));
    QCOMPARE(httpGet(url), QByteArray("devname=\"X\"\r\nmodel\n"));
    QCOMPARE(m_sim.control(CamA, "devconf default"), QStringLiteral("OK devconf default"));
    QVERIFY(httpGet(url).startsWith("devname=\"Cam A\"\n"));
}

void TestPtzSim::httpErrors()
{
    int status = 0;
    httpGet(QStringLiteral("http://%1:%2/index.html").arg(CamA).arg(HttpPort), &status);
    QCOMPARE(status, 404);
    httpGet(QStringLiteral("http://%1:%2/cgi-bin/param.cgi?get_other").arg(CamA).arg(HttpPort), &status);
    QCOMPARE(status, 404);

    QCOMPARE(m_sim.control(CamA, "http-status 500"), QStringLiteral("OK http-status 500"));
    httpGet(QStringLiteral("http://%1:%2/snapshot.jpg").arg(CamA).arg(HttpPort), &status);
    QCOMPARE(status, 500);
    QCOMPARE(m_sim.control(CamA, "http-status 0"), QStringLiteral("OK http-status 0"));
    httpGet(QStringLiteral("http://%1:%2/snapshot.jpg").arg(CamA).arg(HttpPort), &status);
    QCOMPARE(status, 200);

    // A raw request with another method.
    QTcpSocket socket;
    socket.connectToHost(CamA, HttpPort);
    QVERIFY(socket.waitForConnected(3000));
    socket.write("POST /snapshot.jpg HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n");
    QByteArray reply;
    QTRY_VERIFY((reply += socket.readAll()).contains("\r\n\r\n"));
    QVERIFY(reply.startsWith("HTTP/1.1 405 "));
    QVERIFY(m_sim.waitForEvent(CamA, "HTTP", 5000, 5));
    QCOMPARE(m_sim.entries(CamA, "HTTP").constLast().text, QStringLiteral("POST /snapshot.jpg 405"));
}

enum class FaultCheck { Silent, Delay, CloseAfter, Refuse, Hangup, Notices, Foreign, Interleave, NoTally };

void TestPtzSim::faultModes_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("check");

    auto both
        = [](const char *name, const QStringList &flags, const QStringList &commands, FaultCheck check) {
              QTest::newRow(qPrintable(QStringLiteral("%1 by flag").arg(QLatin1String(name))))
                  << flags << QStringList() << int(check);
              QTest::newRow(qPrintable(QStringLiteral("%1 by control").arg(QLatin1String(name))))
                  << QStringList() << commands << int(check);
          };
    both("silent pan/tilt", {"--silent", "9"}, {"silent 9"}, FaultCheck::Silent);
    both("delay", {"--delay", "300"}, {"delay 300"}, FaultCheck::Delay);
    both("close after 2", {"--close-after", "2"}, {"close-after 2"}, FaultCheck::CloseAfter);
    both("refuse", {"--refuse"}, {"refuse on"}, FaultCheck::Refuse);
    both("hangup", {"--hangup"}, {"hangup on"}, FaultCheck::Hangup);
    both("notices", {"--notices"}, {"notices on"}, FaultCheck::Notices);
    both("foreign", {"--foreign"}, {"foreign on"}, FaultCheck::Foreign);
    both("interleave", {"--interleave"}, {"interleave on"}, FaultCheck::Interleave);
    both("no tally", {"--no-tally"}, {"no-tally on"}, FaultCheck::NoTally);
}

void TestPtzSim::faultModes()
{
    QFETCH(QStringList, flags);
    QFETCH(QStringList, commands);
    QFETCH(int, check);

    PtzSimProcess sim;
    QVERIFY2(sim.start({FaultCam}, PortArgs + flags), qPrintable(sim.errorString()));
    for (const QString &command : std::as_const(commands))
        QVERIFY(sim.control(FaultCam, command).startsWith(QLatin1String("OK")));

    ViscaClient client;
    const bool connected = client.connectTo(FaultCam);
    switch (FaultCheck(check)) {
    case FaultCheck::Silent:
        QVERIFY(connected);
        client.send(hex("81 09 06 12 ff") + Fence);
        QCOMPARE(client.receive(1), QList<QByteArray>{FenceAnswer});
        // Other kinds are still answered, and the silence can be lifted.
        client.send(hex("81 09 04 47 ff"));
        QCOMPARE(client.receive(1), QList<QByteArray>{hex("90 50 00 00 00 00 ff")});
        QCOMPARE(sim.control(FaultCam, "silent none"), QStringLiteral("OK silent none"));
        client.send(hex("81 09 06 12 ff"));
        QCOMPARE(client.receive(1).size(), 1);
        QCOMPARE(sim.control(FaultCam, "silent all"), QStringLiteral("OK silent all"));
        client.send(hex("81 09 04 47 ff 81 09 04 35 ff 81 01 06 04 ff"));
        QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, Completion}));
        break;
    case FaultCheck::Delay: {
        QVERIFY(connected);
        client.send(hex("81 01 06 04 ff"));
        QCOMPARE(client.receiveFor(100), QList<QByteArray>());
        QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, Completion}));
        QVERIFY(sim.waitForTx(FaultCam, Completion));
        const qint64 received = sim.entries(FaultCam, "RX").constFirst().msecs;
        const qint64 sent = sim.entries(FaultCam, "TX").constFirst().msecs;
        QVERIFY2(sent - received >= 300, qPrintable(QString::number(sent - received)));
        break;
    }
    case FaultCheck::CloseAfter: {
        QVERIFY(connected);
        QSignalSpy closed(&client.socket, &QTcpSocket::disconnected);
        client.send(hex("81 09 04 47 ff"));
        QCOMPARE(client.receive(1).size(), 1);
        client.send(hex("81 09 04 48 ff"));
        QVERIFY(closed.wait(3000));
        QCOMPARE(client.receiveFor(0), QList<QByteArray>());
        QVERIFY(sim.waitForEvent(FaultCam, "DISCONNECT"));
        QCOMPARE(sim.rxPackets(FaultCam).size(), 2);
        break;
    }
    case FaultCheck::Refuse:
        QVERIFY(!connected);
        QCOMPARE(client.socket.error(), QAbstractSocket::ConnectionRefusedError);
        QCOMPARE(sim.control(FaultCam, "refuse off"), QStringLiteral("OK refuse off"));
        client.socket.abort();
        QVERIFY(client.connectTo(FaultCam));
        QVERIFY(sim.waitForEvent(FaultCam, "CONNECT"));
        break;
    case FaultCheck::Hangup: {
        QSignalSpy closed(&client.socket, &QTcpSocket::disconnected);
        QVERIFY(connected);
        QVERIFY(closed.count() == 1 || closed.wait(3000));
        QVERIFY(sim.waitForEvent(FaultCam, "DISCONNECT"));
        break;
    }
    case FaultCheck::Notices:
    case FaultCheck::Foreign: {
        QVERIFY(connected);
        const char lead = FaultCheck(check) == FaultCheck::Notices ? char(0x88) : char(0xa0);
        QList<QByteArray> noise;
        QVERIFY(QTest::qWaitFor(
            [&] {
                noise += client.receiveFor(50);
                return noise.size() >= 2;
            },
            3000));
        for (const QByteArray &packet : std::as_const(noise))
            QCOMPARE(packet.at(0), lead);
        // Replies still come whole and in order.
        client.send(hex("81 09 04 38 ff"));
        QList<QByteArray> replies;
        QVERIFY(QTest::qWaitFor(
            [&] {
                replies += client.receiveFor(20);
                return replies.contains(hex("90 50 02 ff"));
            },
            3000));
        for (const QByteArray &packet : std::as_const(replies))
            QVERIFY(packet == hex("90 50 02 ff") || packet.at(0) == lead);
        break;
    }
    case FaultCheck::Interleave:
        QVERIFY(connected);
        client.send(hex("81 09 04 38 ff"));
        QCOMPARE(client.receive(2), (QList<QByteArray>{Ack, hex("90 50 02 ff")}));
        client.send(hex("81 09 04 38 ff"));
        QCOMPARE(client.receive(3), (QList<QByteArray>{Ack, hex("90 50 02 ff"), Completion}));
        // Commands are answered as usual; the third answer has no completion after it.
        client.send(hex("81 01 06 04 ff") + Fence);
        QCOMPARE(client.receive(4), (QList<QByteArray>{Ack, Completion, Ack, FenceAnswer}));
        client.send(Fence);
        QCOMPARE(client.receive(3), (QList<QByteArray>{Ack, FenceAnswer, Completion}));
        break;
    case FaultCheck::NoTally:
        QVERIFY(connected);
        // No lamp: the tally command is unknown; everything else is answered as usual.
        client.send(hex("81 01 7e 01 0a 00 02 ff") + Fence);
        QCOMPARE(client.receive(2), (QList<QByteArray>{SyntaxError, FenceAnswer}));
        break;
    }
    sim.stop();
}

void TestPtzSim::dropAndSend()
{
    ViscaClient first;
    ViscaClient second;
    QVERIFY(first.connectTo(CamA));
    QVERIFY(second.connectTo(CamA));
    QVERIFY(m_sim.waitForEvent(CamA, "CONNECT", 5000, 2));
    QCOMPARE(m_sim.control(CamA, "connections"), QStringLiteral("OK 2"));

    // Raw bytes reach every connection unchanged, even a partial frame.
    QCOMPARE(m_sim.control(CamA, "send 90 50 00 00"), QStringLiteral("OK sent to 2"));
    for (ViscaClient *client : {&first, &second}) {
        QTRY_COMPARE(client->socket.bytesAvailable(), qint64(4));
        QCOMPARE(client->socket.readAll(), hex("90 50 00 00"));
    }
    QVERIFY(m_sim.waitForTx(CamA, hex("90 50 00 00"), 5000, 2));

    QSignalSpy firstClosed(&first.socket, &QTcpSocket::disconnected);
    QSignalSpy secondClosed(&second.socket, &QTcpSocket::disconnected);
    QCOMPARE(m_sim.control(CamA, "drop"), QStringLiteral("OK dropped 2"));
    QVERIFY(firstClosed.count() == 1 || firstClosed.wait(3000));
    QVERIFY(secondClosed.count() == 1 || secondClosed.wait(3000));
    QVERIFY(m_sim.waitForEvent(CamA, "DISCONNECT", 5000, 2));
    QCOMPARE(m_sim.control(CamA, "connections"), QStringLiteral("OK 0"));

    // The camera takes new connections after a drop.
    ViscaClient third;
    QVERIFY(third.connectTo(CamA));
    third.send(hex("81 09 04 38 ff"));
    QCOMPARE(third.receive(1), QList<QByteArray>{hex("90 50 02 ff")});
}

void TestPtzSim::controlErrors_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("replyStart");

    QTest::newRow("unknown") << "fly away"
                             << "ERR unknown command";
    QTest::newRow("silent kind 2") << "silent 2"
                                   << "ERR inquiry kind must be 3..14";
    QTest::newRow("silent kind 15") << "silent 15"
                                    << "ERR inquiry kind must be 3..14";
    QTest::newRow("silent no kind") << "silent"
                                    << "ERR usage: silent";
    QTest::newRow("delay word") << "delay soon"
                                << "ERR delay takes a number";
    QTest::newRow("refuse maybe") << "refuse maybe"
                                  << "ERR refuse takes on or off";
    QTest::newRow("set unknown") << "set colour 3"
                                 << "ERR unknown field";
    QTest::newRow("set pan 5 digits") << "set pan 12345"
                                      << "ERR pan takes up to four hex digits";
    QTest::newRow("set pan not hex") << "set pan zz"
                                     << "ERR pan takes up to four hex digits";
    QTest::newRow("set iris 300") << "set iris 300"
                                  << "ERR iris takes an integer";
    QTest::newRow("send odd hex") << "send 9"
                                  << "ERR send takes hex bytes";
    QTest::newRow("answers odd") << "answers medium"
                                 << "ERR answer form must be";
    QTest::newRow("help") << "help"
                          << "OK silent";
    QTest::newRow("faults") << "faults"
                            << "OK {";
    QTest::newRow("several kinds") << "silent 3,9,14"
                                   << "OK silent 3,9,14";
}

void TestPtzSim::controlErrors()
{
    QFETCH(QString, command);
    QFETCH(QString, replyStart);
    const QString reply = m_sim.control(CamB, command);
    QVERIFY2(reply.startsWith(replyStart), qPrintable(reply));
    QCOMPARE(m_sim.control(CamB, "silent none"), QStringLiteral("OK silent none"));
    // A bad command changes nothing.
    QCOMPARE(m_sim.state(CamB).value("pan").toInt(), 0);
}

void TestPtzSim::logFormat()
{
    ViscaClient client;
    QVERIFY(client.connectTo(CamB));
    client.send(hex("81 01 06 01 05 05 03 01 ff"));
    QCOMPARE(client.receive(2).size(), 2);
    client.socket.disconnectFromHost();
    httpGet(QStringLiteral("http://%1:%2/cgi-bin/param.cgi?get_device_conf").arg(CamB).arg(HttpPort));
    QVERIFY(m_sim.waitForEvent(CamB, "DISCONNECT"));
    QVERIFY(m_sim.waitForEvent(CamB, "HTTP"));

    const QRegularExpression stamp(QStringLiteral("^(\\d{13}) 127\\.0\\.10\\.2 "));
    const QStringList expected = {
        QStringLiteral("CONNECT 127\\.0\\.0\\.1:\\d+"),
        QStringLiteral("RX 81 01 06 01 05 05 03 01 ff"),
        QStringLiteral("TX 90 41 ff"),
        QStringLiteral("TX 90 51 ff"),
        QStringLiteral("DISCONNECT"),
        QStringLiteral("HTTP GET /cgi-bin/param\\.cgi\\?get_device_conf 200"),
    };
    QStringList lines;
    for (const QString &line : m_sim.logLines()) {
        if (!line.contains(QLatin1String(" CONTROL ")) && !line.contains(QLatin1String(" 127.0.10.1 ")))
            lines.append(line);
    }
    QCOMPARE(lines.size(), expected.size());
    qint64 previous = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpression pattern(stamp.pattern() + expected.at(i) + QLatin1Char('$'));
        const QRegularExpressionMatch match = pattern.match(lines.at(i));
        QVERIFY2(match.hasMatch(), qPrintable(lines.at(i)));
        const qint64 msecs = match.captured(1).toLongLong();
        QVERIFY(msecs >= previous);
        previous = msecs;
    }
    const QList<qint64> stamps = m_sim.rxTimestamps(CamB);
    QCOMPARE(stamps.size(), 1);
    QVERIFY(qAbs(stamps.first() - QDateTime::currentMSecsSinceEpoch()) < 60000);
}

void TestPtzSim::commandLineErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("no address") << QStringList{} << "give at least one camera address";
    QTest::newRow("bad address") << QStringList{"camera-one"} << "is not an IP address";
    QTest::newRow("same address twice") << QStringList{SpareCam, SpareCam} << "is given twice";
    QTest::newRow("bad port") << QStringList{"--visca-port", "70000", SpareCam}
                              << "--visca-port needs a port";
    QTest::newRow("bad silent") << QStringList{"--silent", "20", SpareCam} << "--silent: inquiry kind";
    QTest::newRow("bad answers") << QStringList{"--answers", "tiny", SpareCam} << "answer form must be";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", SpareCam} << "Unknown option";
}

void TestPtzSim::commandLineErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QProcess process;
    process.start(QStringLiteral(TAVIMOREX_BIN_DIR "/tavimorex-ptzsim"), args);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString stderrText = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(stderrText.contains(message), qPrintable(stderrText));
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

void TestPtzSim::listenFailure()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress(SpareCam), HttpPort));
    PtzSimProcess sim;
    QVERIFY(!sim.start({SpareCam}, PortArgs));
    QVERIFY2(sim.errorString().contains(
                 QStringLiteral("cannot listen for HTTP on %1:%2").arg(SpareCam).arg(HttpPort)),
             qPrintable(sim.errorString()));
    QCOMPARE(sim.exitCode(), 1);
    QVERIFY(!sim.isRunning());

    // --help documents the log format and the control commands.
    QProcess help;
    help.start(QStringLiteral(TAVIMOREX_BIN_DIR "/tavimorex-ptzsim"), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(10000));
    QCOMPARE(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char *word : {"--silent", "--delay", "--close-after", "--refuse", "--notices", "--foreign",
                             "--interleave", "READY", "CONNECT", "close-after <n|0>", "set <field> <value>"})
        QVERIFY2(text.contains(QLatin1String(word)), word);
}

QTEST_MAIN(TestPtzSim)
#include "tst_ptzsim.moc"
