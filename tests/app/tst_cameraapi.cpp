#include "appsettings.h"
#include "camerawrapper.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "ptzsimprocess.h"
#include "snapshotfilepath.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

// The camera half of the web API, end to end: a real HTTP client, the real program and simulated cameras.
namespace {
const QString Server = QStringLiteral("127.0.6.1");
constexpr int Port = 8080;
const QStringList Cameras = {QStringLiteral("127.0.6.11"), QStringLiteral("127.0.6.12"),
                             QStringLiteral("127.0.6.13"), QStringLiteral("127.0.6.14")};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
} // namespace

class tst_CameraApi : public QObject
{
    Q_OBJECT

public:
    explicit tst_CameraApi(TavimorexApp *app) : m_app(app) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void settingsListTheCameras();
    void noCurrentCamera();
    void connectSelectsTheButton();
    void controlMovesTheCurrentCamera_data();
    void controlMovesTheCurrentCamera();
    void stopControl_data();
    void stopControl();
    void holdLeaseStopsAStaleMotion();
    void holdLeaseEndsWithStopOrCameraSwitch();
    void recallSetsSpeedThenRecalls();
    void setPresetFetchesThePictureAndReportsItOnce();
    void focusAuto();
    void saveSettingsRejectsBadLists_data();
    void saveSettingsRejectsBadLists();
    void saveSettingsRebuildsTheList();
    void saveSettingsTransportAndPort();

private:
    QJsonObject get(const QString &path, const QList<QPair<QString, QString>> &params = {});
    void connectCamera(int index);

    TavimorexApp *m_app;
    PtzSimProcess m_sim;
    QNetworkAccessManager m_network;
};

QJsonObject tst_CameraApi::get(const QString &path, const QList<QPair<QString, QString>> &params)
{
    QUrl url(QStringLiteral("http://%1:%2%3").arg(Server).arg(Port).arg(path));
    if (!params.isEmpty()) {
        // Form encoding, as a browser sends it.
        QUrlQuery query;
        for (const auto &[key, value] : params)
            query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(key)),
                               QString::fromLatin1(QUrl::toPercentEncoding(value)));
        url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    }
    QNetworkReply *reply = m_network.get(QNetworkRequest(url));
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return {{QStringLiteral("error"), reply->errorString()}};
    return QJsonDocument::fromJson(reply->readAll()).object();
}

void tst_CameraApi::connectCamera(int index)
{
    // Selecting the current camera again only asks its open link to connect, which it already is.
    if (m_app->mainWindow()->currentCamera() == m_app->cameras().at(index))
        return;
    m_sim.clearLog();
    QCOMPARE(get("/cam/connect", {{"camNum", QString::number(index)}}).value("status").toString(),
             QString("OK"));
    QVERIFY(m_sim.waitForEvent(Cameras.at(index), "CONNECT"));
    // The window acts once the camera reports the link up.
    QTRY_VERIFY(m_app->mainWindow()->currentCamera() == m_app->cameras().at(index));
    QTRY_COMPARE(m_app->cameras().at(index)->deviceName(), QString("PTZ Simulator"));
}

void tst_CameraApi::initTestCase()
{
    QVERIFY2(m_sim.start(Cameras), qPrintable(m_sim.errorString()));
    QVERIFY(m_app->httpServer());
    QCOMPARE(get("/cam/getCurrentCamInfo").value("status").toString(), QString("OK"));
}

void tst_CameraApi::cleanupTestCase()
{
    m_sim.stop();
}

void tst_CameraApi::settingsListTheCameras()
{
    const QJsonObject reply = get("/cam/settings");
    QCOMPARE(reply.value("status").toString(), QString("OK"));
    QVERIFY(reply.value("usbDevices").isArray());
    const QJsonArray list = reply.value("camList").toArray();
    QCOMPARE(list.size(), 8);
    QCOMPARE(list.at(0).toObject().value("camId").toString(), Cameras.at(0));
    QCOMPARE(list.at(0).toObject().value("camName").toString(), QString("Stage Left"));
    QCOMPARE(list.at(0).toObject().value("isUsbCam").toBool(), false);
    QCOMPARE(list.at(7).toObject().value("camName").toString(), QString("Camera8"));
    // Stored without transport keys: the defaults, the port as a number.
    QCOMPARE(list.at(0).toObject().value("transport").toString(), QString("tcp"));
    QVERIFY(list.at(0).toObject().value("port").isDouble());
    QCOMPARE(list.at(0).toObject().value("port").toInt(), 5678);
}

void tst_CameraApi::noCurrentCamera()
{
    const QJsonObject reply = get("/cam/getCurrentCamInfo");
    QCOMPARE(reply.value("camIndex").toInt(), -1);
    QCOMPARE(reply.value("camId").toString(), QString());
    QCOMPARE(reply.value("focusAuto").toBool(), false);
    const QJsonArray presets = reply.value("presets").toArray();
    QCOMPARE(presets.size(), 9);
    QCOMPARE(presets.at(0).toString(), QString("Preset1"));
    QCOMPARE(presets.at(8).toString(), QString("Preset9"));
    // Nothing moves without a camera, and the reply is still OK.
    QCOMPARE(get("/cam/control", {{"controlMethod", "2"},
                                  {"panSpeed", "1"},
                                  {"tiltSpeed", "1"},
                                  {"zoomSpeed", "1"},
                                  {"focusSpeed", "1"}})
                 .value("status")
                 .toString(),
             QString("OK"));
}

void tst_CameraApi::connectSelectsTheButton()
{
    m_app->settings()->setPresetName(Cameras.at(3), 2, "Choir");
    connectCamera(3);
    const QJsonObject reply = get("/cam/getCurrentCamInfo");
    QCOMPARE(reply.value("camIndex").toInt(), 3);
    QCOMPARE(reply.value("camId").toString(), Cameras.at(3));
    QCOMPARE(reply.value("presets").toArray().at(1).toString(), QString("Choir"));
    QCOMPARE(reply.value("presets").toArray().at(0).toString(), QString("1"));
    // Out of range: nothing changes.
    get("/cam/connect", {{"camNum", "8"}});
    QCOMPARE(m_app->mainWindow()->currentCamera(), m_app->cameras().at(3));
    connectCamera(0);
    QCOMPARE(get("/cam/getCurrentCamInfo").value("camIndex").toInt(), 0);
}

void tst_CameraApi::controlMovesTheCurrentCamera_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QByteArray>("packet");
    // pan 10, tilt 7, zoom 3, focus 4
    QTest::newRow("pan right") << 0 << hex("81 01 06 01 0a 00 02 03 ff");
    QTest::newRow("pan left") << 1 << hex("81 01 06 01 0a 00 01 03 ff");
    QTest::newRow("tilt up") << 2 << hex("81 01 06 01 00 07 03 01 ff");
    QTest::newRow("tilt down") << 3 << hex("81 01 06 01 00 07 03 02 ff");
    QTest::newRow("home") << 4 << hex("81 01 06 04 ff");
    QTest::newRow("focus in") << 5 << hex("81 01 04 08 34 ff");
    QTest::newRow("focus out") << 6 << hex("81 01 04 08 24 ff");
    QTest::newRow("zoom in") << 7 << hex("81 01 04 07 23 ff");
    QTest::newRow("zoom out") << 8 << hex("81 01 04 07 33 ff");
}

void tst_CameraApi::controlMovesTheCurrentCamera()
{
    QFETCH(int, method);
    QFETCH(QByteArray, packet);
    connectCamera(0);
    m_sim.clearLog();
    const QJsonObject reply = get("/cam/control", {{"controlMethod", QString::number(method)},
                                                   {"panSpeed", "10"},
                                                   {"tiltSpeed", "7"},
                                                   {"zoomSpeed", "3"},
                                                   {"focusSpeed", "4"}});
    QCOMPARE(reply.value("status").toString(), QString("OK"));
    QCOMPARE(reply.value("msg").toString(), QString());
    QVERIFY2(m_sim.waitForRx(Cameras.at(0), packet), qPrintable(m_sim.logLines().join('\n')));
}

void tst_CameraApi::stopControl_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QByteArray>("packet");
    QTest::newRow("pan") << 0 << QByteArray::fromHex("8101060100000303ff");
    QTest::newRow("tilt") << 3 << QByteArray::fromHex("8101060100000303ff");
    QTest::newRow("focus") << 6 << QByteArray::fromHex("8101040800ff");
    QTest::newRow("zoom") << 7 << QByteArray::fromHex("8101040700ff");
    QTest::newRow("home needs no stop") << 4 << QByteArray();
    QTest::newRow("unknown") << 9 << QByteArray();
}

void tst_CameraApi::stopControl()
{
    QFETCH(int, method);
    QFETCH(QByteArray, packet);
    connectCamera(0);
    m_sim.clearLog();
    QCOMPARE(get("/cam/stopControl", {{"controlMethod", QString::number(method)}}).value("status").toString(),
             QString("OK"));
    if (!packet.isEmpty()) {
        // The window stops with its own selected speeds; only the command part is compared.
        const QByteArray command = packet.left(4);
        // One copy of the log per check: begin and end must come from the same list.
        const auto stopArrived = [&] {
            const QList<QByteArray> received = m_sim.rxPackets(Cameras.at(0));
            return std::any_of(received.cbegin(), received.cend(), [&](const QByteArray &rx) {
                return rx.startsWith(command) && rx.endsWith(packet.right(2));
            });
        };
        QTRY_VERIFY(stopArrived());
        return;
    }
    // A command would have arrived well within this time; inquiries of the polling cycle may.
    QTest::qWait(400);
    for (const QByteArray &rx : m_sim.rxPackets(Cameras.at(0)))
        QVERIFY2(rx.startsWith(QByteArray::fromHex("8109")), rx.toHex(' ').constData());
}

void tst_CameraApi::holdLeaseStopsAStaleMotion()
{
    // A client that vanished mid-motion: the program stops the camera itself once the lease runs out.
    connectCamera(0);
    m_sim.clearLog();
    const QList<QPair<QString, QString>> panLeft
        = {{"controlMethod", "1"}, {"panSpeed", "10"},  {"tiltSpeed", "7"},
           {"zoomSpeed", "3"},     {"focusSpeed", "4"}, {"holdMs", "400"}};
    const QByteArray drive = hex("81 01 06 01 0a 00 01 03 ff");
    const QByteArray stop = hex("81 01 06 01 00 00 03 03 ff");
    QCOMPARE(get("/cam/control", panLeft).value("status").toString(), QString("OK"));
    QVERIFY(m_sim.waitForRx(Cameras.at(0), drive));
    // Renewed every 150 ms for a second: no stop meanwhile.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000) {
        QTest::qWait(150);
        QCOMPARE(get("/cam/control", panLeft).value("status").toString(), QString("OK"));
    }
    QCOMPARE(m_sim.countRx(Cameras.at(0), stop), 0);
    QElapsedTimer sinceLast;
    sinceLast.start();
    QVERIFY(m_sim.waitForRx(Cameras.at(0), stop, 2000));
    QVERIFY2(sinceLast.elapsed() < 1000, qPrintable(QString::number(sinceLast.elapsed())));
    QTest::qWait(300);
    QCOMPARE(m_sim.countRx(Cameras.at(0), stop), 1);

    // Without holdMs nothing stops by itself.
    m_sim.clearLog();
    QList<QPair<QString, QString>> unleased = panLeft;
    unleased.removeLast();
    get("/cam/control", unleased);
    QVERIFY(m_sim.waitForRx(Cameras.at(0), drive));
    QTest::qWait(700);
    QCOMPARE(m_sim.countRx(Cameras.at(0), stop), 0);
    get("/cam/stopControl", {{"controlMethod", "1"}});
    QVERIFY(m_sim.waitForRx(Cameras.at(0), stop));
}

void tst_CameraApi::holdLeaseEndsWithStopOrCameraSwitch()
{
    connectCamera(0);
    m_sim.clearLog();
    const QByteArray zoomStop = hex("81 01 04 07 00 ff");
    const QList<QPair<QString, QString>> zoomIn
        = {{"controlMethod", "7"}, {"panSpeed", "10"},  {"tiltSpeed", "7"},
           {"zoomSpeed", "3"},     {"focusSpeed", "4"}, {"holdMs", "400"}};
    get("/cam/control", zoomIn);
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 07 23 ff")));
    get("/cam/stopControl", {{"controlMethod", "7"}});
    QVERIFY(m_sim.waitForRx(Cameras.at(0), zoomStop));
    // The lease ended with the stop: no second stop when it would have run out.
    QTest::qWait(700);
    QCOMPARE(m_sim.countRx(Cameras.at(0), zoomStop), 1);

    // A lease belongs to the camera that was current: selecting another one stops it first.
    m_sim.clearLog();
    QList<QPair<QString, QString>> longLease = zoomIn;
    longLease.last().second = QStringLiteral("5000");
    get("/cam/control", longLease);
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 07 23 ff")));
    connectCamera(1);
    QVERIFY(m_sim.waitForRx(Cameras.at(0), zoomStop, 1000));
    // The new camera gets no lease stop, only the automatic one of each link it opened.
    QTest::qWait(100);
    QCOMPARE(m_sim.countRx(Cameras.at(1), zoomStop), m_sim.countEvents(Cameras.at(1), "CONNECT"));
}

void tst_CameraApi::recallSetsSpeedThenRecalls()
{
    connectCamera(0);
    m_sim.clearLog();
    QCOMPARE(get("/cam/recallPreset", {{"presetNum", "5"}, {"callSpeed", "24"}}).value("status").toString(),
             QString("OK"));
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 3f 02 05 ff")));
    const QList<QByteArray> packets = m_sim.rxPackets(Cameras.at(0));
    const int speed = packets.indexOf(hex("81 01 06 01 18 ff"));
    QVERIFY(speed >= 0);
    QVERIFY(speed < packets.indexOf(hex("81 01 04 3f 02 05 ff")));

    m_sim.clearLog();
    get("/cam/recallPreset", {{"presetNum", "2"}, {"callSpeed", "1"}});
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 3f 02 02 ff")));
    QVERIFY(m_sim.rxPackets(Cameras.at(0)).contains(hex("81 01 06 01 01 ff")));
}

void tst_CameraApi::setPresetFetchesThePictureAndReportsItOnce()
{
    connectCamera(0);
    m_sim.clearLog();
    const QString picture = snapshotFilePath(Cameras.at(0), 3);
    QFile::remove(picture);
    get("/cam/checkImg"); // forget earlier downloads
    QSignalSpy finished(m_app->cameras().at(0), &CameraWrapper::clientFinishDownload);

    QCOMPARE(get("/cam/setPreset",
                 {{"presetNum", "3"}, {"presetName", "Stage & Pulpit"}, {"isUploadImage", "true"}})
                 .value("status")
                 .toString(),
             QString("OK"));
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 3f 01 03 ff")));
    // The picture may be in before the simulator's log line is.
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
    // The flag is read destructively: once true, then false.
    QCOMPARE(get("/cam/checkImg").value("downloaded").toBool(), true);
    QCOMPARE(get("/cam/checkImg").value("downloaded").toBool(), false);
    QVERIFY(QFile::exists(picture));
    QCOMPARE(get("/cam/getCurrentCamInfo").value("presets").toArray().at(2).toString(),
             QString("Stage & Pulpit"));
}

void tst_CameraApi::focusAuto()
{
    connectCamera(0);
    // The first full polling cycle loads the window from the camera; the API waits for it like a click.
    QTest::qWait(6500);
    m_sim.clearLog();
    get("/cam/focusAuto", {{"focusAuto", "true"}});
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 38 02 ff")));
    m_sim.clearLog();
    get("/cam/focusAuto", {{"focusAuto", "True"}});
    QVERIFY(m_sim.waitForRx(Cameras.at(0), hex("81 01 04 38 03 ff")));
}

void tst_CameraApi::saveSettingsRejectsBadLists_data()
{
    QTest::addColumn<QString>("camList");
    auto entries = [](int count, bool dropName) {
        QJsonArray array;
        for (int i = 0; i < count; ++i) {
            QJsonObject object{{"isUsb", false}, {"name", QString("New%1").arg(i)}, {"camId", "127.0.6.30"}};
            if (dropName && i == 5)
                object.remove("name");
            array.append(object);
        }
        return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    };
    QTest::newRow("seven") << entries(7, false);
    QTest::newRow("nine") << entries(9, false);
    QTest::newRow("missing key") << entries(8, true);
    QTest::newRow("not json") << QString("[{\"isUsb\":");
    QTest::newRow("object") << QString("{\"a\":1}");
    // One entry of eight with a bad transport or port spoils the list.
    auto withLink = [](const QJsonValue &transport, const QJsonValue &port) {
        QJsonArray array;
        for (int i = 0; i < 8; ++i) {
            QJsonObject object{{"isUsb", false}, {"name", QString("New%1").arg(i)}, {"camId", "127.0.6.30"}};
            if (i == 4) {
                if (!transport.isUndefined())
                    object.insert("transport", transport);
                if (!port.isUndefined())
                    object.insert("port", port);
            }
            array.append(object);
        }
        return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    };
    const QJsonValue none(QJsonValue::Undefined);
    QTest::newRow("unknown transport") << withLink("serial", none);
    QTest::newRow("transport in capitals") << withLink("UDP", none);
    QTest::newRow("transport not a string") << withLink(1, none);
    QTest::newRow("transport null") << withLink(QJsonValue::Null, none);
    QTest::newRow("port 0") << withLink("udp", 0);
    QTest::newRow("port 65536") << withLink("tcp", 65536);
    QTest::newRow("negative port") << withLink(none, -5);
    QTest::newRow("port with a fraction") << withLink("udp", 1259.5);
    QTest::newRow("port as text") << withLink("udp", "1259");
    QTest::newRow("port null") << withLink("sony-udp", QJsonValue::Null);
}

void tst_CameraApi::saveSettingsRejectsBadLists()
{
    QFETCH(QString, camList);
    const QList<CameraWrapper *> before = m_app->cameras();
    const QJsonObject reply = get("/cam/saveSettings", {{"camList", camList}});
    QCOMPARE(reply.value("status").toString(), QString("FAILED"));
    QCOMPARE(reply.value("msg").toString(), QString("Wrong camera settings!"));
    QCOMPARE(m_app->cameras(), before);
    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value("cameraslist/1/cameraname").toString(), QString("Stage Left"));
}

void tst_CameraApi::saveSettingsRebuildsTheList()
{
    connectCamera(1);
    QJsonArray array;
    for (int i = 0; i < 8; ++i) {
        // Strings are not booleans: every camera here is a network camera.
        array.append(
            QJsonObject{{"isUsb", i == 2 ? QJsonValue("true") : QJsonValue(false)},
                        {"name", i == 0 ? QString("Stage Left, \"wide\"") : QString("Cam %1").arg(i + 1)},
                        {"camId", i < 4 ? Cameras.at(i) : QString("0.0.0.0")}});
    }
    const QString text = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    QCOMPARE(get("/cam/saveSettings", {{"camList", text}}).value("status").toString(), QString("OK"));

    const QJsonObject info = get("/cam/getCurrentCamInfo");
    QCOMPARE(info.value("camIndex").toInt(), -1);
    QCOMPARE(info.value("camId").toString(), QString());
    const QList<CameraWrapper *> cameras = m_app->cameras();
    QCOMPARE(cameras.size(), 8);
    QCOMPARE(cameras.at(0)->cameraName(), QString("Stage Left, \"wide\""));
    for (CameraWrapper *camera : cameras)
        QCOMPARE(camera->cameraType(), 0);
    QCOMPARE(m_app->mainWindow()->currentCamera(), nullptr);
    auto *button = m_app->mainWindow()->findChild<QPushButton *>("connectCam1");
    QVERIFY(button);
    QCOMPARE(button->text(), QString("Stage Lef\u2026"));
    QCOMPARE(button->toolTip(), QString("Stage Left, \"wide\""));
    // The new list is on disk.
    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value("cameraslist/size").toInt(), 8);
    QCOMPARE(file.value("cameraslist/5/cameraname").toString(), QString("Cam 5"));
}

void tst_CameraApi::saveSettingsTransportAndPort()
{
    QJsonArray array;
    for (int i = 0; i < 8; ++i) {
        QJsonObject object{{"isUsb", false},
                           {"name", QString("Cam %1").arg(i + 1)},
                           {"camId", QString("127.0.6.%1").arg(40 + i)}};
        if (i == 1)
            object.insert("transport", "udp");
        if (i == 2) {
            object.insert("transport", "sony-udp");
            object.insert("port", 52390);
        }
        if (i == 3)
            object.insert("port", 5000);
        array.append(object);
    }
    const QString text = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    QCOMPARE(get("/cam/saveSettings", {{"camList", text}}).value("status").toString(), QString("OK"));

    // Absent = the defaults; what was given as given; "/cam/settings" reports them as stored.
    const QJsonArray list = get("/cam/settings").value("camList").toArray();
    QCOMPARE(list.size(), 8);
    const QList<QPair<QString, int>> expected{
        {"tcp", 5678}, {"udp", 1259}, {"sony-udp", 52390}, {"tcp", 5000}, {"tcp", 5678}};
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject entry = list.at(i).toObject();
        QCOMPARE(entry.value("transport").toString(), expected.at(i).first);
        QVERIFY(entry.value("port").isDouble());
        QCOMPARE(entry.value("port").toInt(), expected.at(i).second);
    }
    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value("127.0.6.42_visca_transport").toString(), QString("sony-udp"));
    QCOMPARE(file.value("127.0.6.42_visca_port").toInt(), 52390);
    QCOMPARE(file.value("127.0.6.41_visca_port").toInt(), 1259);
}

int main(int argc, char **argv)
{
    TestDataHome home;
    QList<QPair<QString, QString>> cameras;
    for (int i = 0; i < Cameras.size(); ++i)
        cameras.append({Cameras.at(i), i == 0 ? QString("Stage Left") : QString("Camera%1").arg(i + 1)});
    if (!TestDataHome::writeStartupSettings(
            {{"startuponlaunch", true}, {"servernic", Server}, {"serverportnum", Port}}, cameras))
        return 1;
    TavimorexApp app(argc, argv);
    tst_CameraApi test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cameraapi.moc"
