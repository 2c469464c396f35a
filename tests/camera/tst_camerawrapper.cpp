#include "camerawrapper.h"
#include "ipcamera.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

// The camera interface itself: what a camera kind that overrides nothing does, and the degree
// conversions a network camera puts in place of the base ones.
class TestCameraWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storesConstructorValues();
    void baseOperationsDoNothing_data();
    void baseOperationsDoNothing();
    void baseDegreeConversionsReturnZero();
    void networkDegreeConversions_data();
    void networkDegreeConversions();
};

namespace {
using Operation = std::function<void(CameraWrapper &)>;

// A snapshot of everything an operation could change.
struct CacheImage
{
    QByteArray bytes;
    static CacheImage of(const CameraWrapper &c)
    {
        CacheImage image;
        for (const quint8 *member : {c.panPos, c.tiltPos, c.zoomPos, c.focusPos})
            image.bytes.append(reinterpret_cast<const char *>(member), 4);
        for (quint8 v : {quint8(c.isAutoFocus), c.irisPos, c.shutterPos, c.brightPos, c.aeMode, c.luminance,
                         c.contrast, c.hue, c.wbMode})
            image.bytes.append(char(v));
        image.bytes.append(c.cameraName().toUtf8() + '|' + c.deviceName().toUtf8() + '|'
                           + c.serialNumber().toUtf8() + '|' + c.cameraId().toUtf8());
        return image;
    }
};
} // namespace

Q_DECLARE_METATYPE(Operation)

void TestCameraWrapper::storesConstructorValues()
{
    CameraWrapper camera(1, QStringLiteral("USB Cam"), QStringLiteral("Studio left"), QStringLiteral("Dev"));
    QCOMPARE(camera.cameraType(), 1);
    QCOMPARE(camera.cameraId(), QStringLiteral("USB Cam"));
    QCOMPARE(camera.cameraName(), QStringLiteral("Studio left"));
    QCOMPARE(camera.deviceName(), QStringLiteral("Dev"));
    QCOMPARE(camera.serialNumber(), QStringLiteral("xx00000000"));
    const SpeedRange zero{0, 0, 0};
    QCOMPARE(camera.panSpeedRange(), zero);
    QCOMPARE(camera.tiltSpeedRange(), zero);
    QCOMPARE(camera.zoomSpeedRange(), zero);
    QCOMPARE(camera.focusSpeedRange(), zero);
    QCOMPARE(camera.shutterPos, quint8(1));
    QCOMPARE(camera.irisPos, quint8(0));
    QVERIFY(!camera.isAutoFocus);
}

void TestCameraWrapper::baseOperationsDoNothing_data()
{
    QTest::addColumn<Operation>("operation");
    const std::vector<std::pair<const char *, Operation>> rows = {
        {"downloadSnapshot",
         [](CameraWrapper &c) {
             c.downloadSnapshot(3);
         }},
        {"connectCamera",
         [](CameraWrapper &c) {
             c.connectCamera();
         }},
        {"disconnectCamera",
         [](CameraWrapper &c) {
             c.disconnectCamera();
         }},
        {"moveUp",
         [](CameraWrapper &c) {
             c.moveUp(5, 5);
         }},
        {"moveLeft",
         [](CameraWrapper &c) {
             c.moveLeft(5, 5);
         }},
        {"moveDown",
         [](CameraWrapper &c) {
             c.moveDown(5, 5);
         }},
        {"moveRight",
         [](CameraWrapper &c) {
             c.moveRight(5, 5);
         }},
        {"stopMoving",
         [](CameraWrapper &c) {
             c.stopMoving(5, 5);
         }},
        {"stopZooming",
         [](CameraWrapper &c) {
             c.stopZooming();
         }},
        {"moveHome",
         [](CameraWrapper &c) {
             c.moveHome();
         }},
        {"zoomIn",
         [](CameraWrapper &c) {
             c.zoomIn(3);
         }},
        {"zoomOut",
         [](CameraWrapper &c) {
             c.zoomOut(3);
         }},
        {"moveUpLeft",
         [](CameraWrapper &c) {
             c.moveUpLeft(5, 5);
         }},
        {"moveUpRight",
         [](CameraWrapper &c) {
             c.moveUpRight(5, 5);
         }},
        {"moveDownRight",
         [](CameraWrapper &c) {
             c.moveDownRight(5, 5);
         }},
        {"moveDownLeft",
         [](CameraWrapper &c) {
             c.moveDownLeft(5, 5);
         }},
        {"setAutoFocus",
         [](CameraWrapper &c) {
             c.setAutoFocus(true);
         }},
        {"focusIn",
         [](CameraWrapper &c) {
             c.focusIn(3);
         }},
        {"focusOut",
         [](CameraWrapper &c) {
             c.focusOut(3);
         }},
        {"stopFocusing",
         [](CameraWrapper &c) {
             c.stopFocusing();
         }},
        {"setPreset",
         [](CameraWrapper &c) {
             c.setPreset(2);
         }},
        {"callPreset",
         [](CameraWrapper &c) {
             c.callPreset(2);
         }},
        {"setIris",
         [](CameraWrapper &c) {
             c.setIris(4);
         }},
        {"resetIris",
         [](CameraWrapper &c) {
             c.resetIris();
         }},
        {"setShutter",
         [](CameraWrapper &c) {
             c.setShutter(4);
         }},
        {"resetShutter",
         [](CameraWrapper &c) {
             c.resetShutter();
         }},
        {"setBright",
         [](CameraWrapper &c) {
             c.setBright(9);
         }},
        {"brightUp",
         [](CameraWrapper &c) {
             c.brightUp();
         }},
        {"brightDown",
         [](CameraWrapper &c) {
             c.brightDown();
         }},
        {"resetBright",
         [](CameraWrapper &c) {
             c.resetBright();
         }},
        {"setAeMode",
         [](CameraWrapper &c) {
             c.setAeMode(1);
         }},
        {"setWbMode",
         [](CameraWrapper &c) {
             c.setWbMode(1);
         }},
        {"inquireZoomPosition",
         [](CameraWrapper &c) {
             c.inquireZoomPosition();
         }},
        {"inquireFocusPosition",
         [](CameraWrapper &c) {
             c.inquireFocusPosition();
         }},
        {"inquireFocusMode",
         [](CameraWrapper &c) {
             c.inquireFocusMode();
         }},
        {"inquireShutter",
         [](CameraWrapper &c) {
             c.inquireShutter();
         }},
        {"inquireIris",
         [](CameraWrapper &c) {
             c.inquireIris();
         }},
        {"inquireBright",
         [](CameraWrapper &c) {
             c.inquireBright();
         }},
        {"inquirePanTiltPosition",
         [](CameraWrapper &c) {
             c.inquirePanTiltPosition();
         }},
        {"inquireLuminance",
         [](CameraWrapper &c) {
             c.inquireLuminance();
         }},
        {"inquireContrast",
         [](CameraWrapper &c) {
             c.inquireContrast();
         }},
        {"inquireHue",
         [](CameraWrapper &c) {
             c.inquireHue();
         }},
        {"inquireAeMode",
         [](CameraWrapper &c) {
             c.inquireAeMode();
         }},
        {"inquireWbMode",
         [](CameraWrapper &c) {
             c.inquireWbMode();
         }},
        {"setLuminance",
         [](CameraWrapper &c) {
             c.setLuminance(7);
         }},
        {"setContrast",
         [](CameraWrapper &c) {
             c.setContrast(7);
         }},
        {"setHue",
         [](CameraWrapper &c) {
             c.setHue(7);
         }},
        {"triggerOnePushWb",
         [](CameraWrapper &c) {
             c.triggerOnePushWb();
         }},
        {"osdMenu",
         [](CameraWrapper &c) {
             c.osdMenu();
         }},
        {"osdEnter",
         [](CameraWrapper &c) {
             c.osdEnter();
         }},
        {"osdBack",
         [](CameraWrapper &c) {
             c.osdBack();
         }},
        {"setImageFlip",
         [](CameraWrapper &c) {
             c.setImageFlip(true);
         }},
        {"setImageMirror",
         [](CameraWrapper &c) {
             c.setImageMirror(true);
         }},
        {"setPresetSpeed",
         [](CameraWrapper &c) {
             c.setPresetSpeed(3);
         }},
        {"setPanTiltLimitUpRight",
         [](CameraWrapper &c) {
             c.setPanTiltLimitUpRight(1296, 2448);
         }},
        {"setPanTiltLimitDownLeft",
         [](CameraWrapper &c) {
             c.setPanTiltLimitDownLeft(1296, 2448);
         }},
        {"setFocusLock",
         [](CameraWrapper &c) {
             c.setFocusLock(true);
         }},
        {"clearPanTiltLimit",
         [](CameraWrapper &c) {
             c.clearPanTiltLimit(1);
         }},
        {"setMotionSync",
         [](CameraWrapper &c) {
             c.setMotionSync(true);
         }},
        {"clearPreset",
         [](CameraWrapper &c) {
             c.clearPreset(2);
         }},
    };
    for (const auto &[name, operation] : rows)
        QTest::newRow(name) << operation;
}

void TestCameraWrapper::baseOperationsDoNothing()
{
    QFETCH(Operation, operation);
    CameraWrapper camera(1, QStringLiteral("dev"), QStringLiteral("name"), QStringLiteral("device"));
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientConnected));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientDisconnected));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientError));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientFinishDownload));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientStatusUpdated));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientStateChanged));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientReadOneCycle));
    spies.emplace_back(new QSignalSpy(&camera, &CameraWrapper::clientFinishGetName));
    const CacheImage before = CacheImage::of(camera);

    operation(camera);
    // Anything queued by the operation would arrive now.
    QTest::qWait(20);

    for (const auto &spy : spies)
        QCOMPARE(spy->count(), 0);
    QCOMPARE(CacheImage::of(camera).bytes, before.bytes);
}

void TestCameraWrapper::baseDegreeConversionsReturnZero()
{
    CameraWrapper camera(1, QStringLiteral("dev"), QStringLiteral("name"), QStringLiteral("device"));
    for (int position : {0, 1296, 2448, 63087, 65535}) {
        QCOMPARE(camera.leftPanDegrees(position), 0);
        QCOMPARE(camera.rightPanDegrees(position), 0);
        QCOMPARE(camera.upTiltDegrees(position), 0);
        QCOMPARE(camera.downTiltDegrees(position), 0);
    }
}

void TestCameraWrapper::networkDegreeConversions_data()
{
    QTest::addColumn<QString>("conversion");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("degrees");
    QTest::newRow("right 2448") << "right" << 2448 << 170;
    QTest::newRow("up 2448") << "up" << 2448 << 170;
    QTest::newRow("left 63087") << "left" << 63087 << 170;
    QTest::newRow("down 63087") << "down" << 63087 << 170;
    QTest::newRow("up 1296") << "up" << 1296 << 90;
    QTest::newRow("right 1296") << "right" << 1296 << 90;
    QTest::newRow("down 65103") << "down" << 65103 << 30;
    QTest::newRow("left 65103") << "left" << 65103 << 30;
    QTest::newRow("left 65535") << "left" << 65535 << 0;
    QTest::newRow("right 0") << "right" << 0 << 0;
    // Truncation toward zero, not rounding: 14.4 * 170 = 2448, one unit less is still 169.
    QTest::newRow("right 2447") << "right" << 2447 << 169;
}

void TestCameraWrapper::networkDegreeConversions()
{
    QFETCH(QString, conversion);
    QFETCH(int, position);
    QFETCH(int, degrees);
    IPCamera camera(QStringLiteral("127.0.1.59"), QStringLiteral("name"), QStringLiteral("device"));
    const CameraWrapper &wrapper = camera;
    int result = -1;
    if (conversion == QLatin1String("left"))
        result = wrapper.leftPanDegrees(position);
    else if (conversion == QLatin1String("right"))
        result = wrapper.rightPanDegrees(position);
    else if (conversion == QLatin1String("up"))
        result = wrapper.upTiltDegrees(position);
    else if (conversion == QLatin1String("down"))
        result = wrapper.downTiltDegrees(position);
    QCOMPARE(result, degrees);
}

QTEST_GUILESS_MAIN(TestCameraWrapper)
#include "tst_camerawrapper.moc"
