#include "simulatedbackend.h"
#include "testdatahome.h"
#include "usbcamera.h"

#include <lensgrip/devicebackend.h>

#include <linux/usb/video.h>
#include <linux/videodev2.h>

#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <iterator>
#include <memory>

using namespace lensgrip;

namespace {

QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

// The test environment silences debug output; the camera's debug lines are part of what is checked.
void enableCameraDebug(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), "tavimorex.camera") == 0)
        category->setEnabled(QtDebugMsg, true);
}

// Collects every message written while it lives, and passes none on.
class MessageLog
{
public:
    MessageLog() : m_previous(qInstallMessageHandler(&MessageLog::collect)) { s_lines.clear(); }
    ~MessageLog() { qInstallMessageHandler(m_previous); }
    QStringList lines() const { return s_lines; }

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        s_lines.append(message);
    }

    static QStringList s_lines;
    QtMessageHandler m_previous;
};
QStringList MessageLog::s_lines;

QString bytesOf(const quint8 (&position)[4])
{
    return QString::asprintf("%02X %02X %02X %02X", position[0], position[1], position[2], position[3]);
}

QString speedText(const SpeedRange &range)
{
    return QStringLiteral("%1,%2,%3").arg(range.minimum).arg(range.maximum).arg(range.defaultValue);
}

} // namespace

class TestUSBCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void connectSetsRangesAndPolls();
    void missingDeviceIsSilent();
    void tallyGoesNowhere();
    void reconnectKeepsConnection();
    void reconnectToUnpluggedDevice();
    void operations_data();
    void operations();
    void baseOperationsDoNothing_data();
    void baseOperationsDoNothing();
    void failedCallsAreLogged();
    void presetThroughFile();
    void presetNeverStored();
    void camerasKeepSeparatePresets();
    void pollingCycle();
    void positionBytes_data();
    void positionBytes();
    void disconnectStopsPolling();
    void destructionDisconnects();

private:
    USBCamera *connectedCamera(const QString &id);

    std::unique_ptr<TestDataHome> m_home;
    std::shared_ptr<SimulatedBackend> m_backend;
    std::shared_ptr<SimulatedDevice> m_device;
    std::vector<std::unique_ptr<USBCamera>> m_cameras;
};

void TestUSBCamera::initTestCase()
{
    g_previousFilter = QLoggingCategory::installFilter(enableCameraDebug);
}

void TestUSBCamera::init()
{
    m_home = std::make_unique<TestDataHome>();
    m_backend = std::make_shared<SimulatedBackend>();
    m_device = m_backend->addCamera("USB Camera");
    setDeviceBackend(m_backend);
}

void TestUSBCamera::cleanup()
{
    m_cameras.clear();
    setDeviceBackend(nullptr);
    m_device.reset();
    m_backend.reset();
    m_home.reset();
}

USBCamera *TestUSBCamera::connectedCamera(const QString &id)
{
    m_cameras.push_back(std::make_unique<USBCamera>(id, QStringLiteral("Camera"), id));
    USBCamera *camera = m_cameras.back().get();
    QSignalSpy connected(camera, &CameraWrapper::clientConnected);
    camera->connectCamera();
    if (connected.count() != 1)
        return nullptr;
    // The automatic stops of the connect are not the test's (connectSetsRangesAndPolls checks them).
    m_device->writes.clear();
    return camera;
}

void TestUSBCamera::connectSetsRangesAndPolls()
{
    USBCamera camera(QStringLiteral("USB Camera"), QStringLiteral("Front"), QStringLiteral("USB Camera"));
    QCOMPARE(camera.cameraType(), 1);
    QCOMPARE(speedText(camera.panSpeedRange()), QStringLiteral("0,0,0"));

    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    camera.connectCamera();
    QCOMPARE(connected.count(), 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(m_device->openHandles, 1);
    // Every axis stopped first, whatever the device was doing before (focus has no motion to stop).
    QCOMPARE(QString::fromStdString(m_device->writesText()),
             QStringLiteral("pan_speed=0,tilt_speed=0;pan_speed=0,tilt_speed=0;zoom_cont=0"));

    // Ranges as the camera reports them; focus has only an absolute control, so it steps.
    QCOMPARE(speedText(camera.panSpeedRange()), QStringLiteral("1,24,12"));
    QCOMPARE(speedText(camera.tiltSpeedRange()), QStringLiteral("1,20,10"));
    QCOMPARE(speedText(camera.zoomSpeedRange()), QStringLiteral("1,7,3"));
    QCOMPARE(speedText(camera.focusSpeedRange()), QStringLiteral("1,20,7"));

    // The on-screen menu was probed: its control's length, then its value.
    bool askedLength = false;
    for (const ExtensionUnitRequest &request : m_device->extensionUnitRequests)
        askedLength = askedLength || (request.query == UVC_GET_LEN && request.selector == 7);
    QVERIFY(askedLength);

    // The poll timer runs: the first step reads the zoom position.
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 300);
    QVERIFY(updated.wait(3000));
    QCOMPARE(bytesOf(camera.zoomPos), QStringLiteral("00 00 01 2C"));
}

void TestUSBCamera::tallyGoesNowhere()
{
    // A USB camera has no tally lamp: the switchers' verdict writes no control and asks nothing.
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    QSignalSpy errors(camera, &CameraWrapper::clientError);
    const size_t requests = m_device->extensionUnitRequests.size();
    camera->setTallySourceLive(true);
    for (TallyState state : {TallyState::Program, TallyState::Preview, TallyState::Off})
        camera->setTally(state);
    QCOMPARE(QString::fromStdString(m_device->writesText()), QString());
    QCOMPARE(m_device->extensionUnitRequests.size(), requests);
    QCOMPARE(errors.count(), 0);
}

void TestUSBCamera::missingDeviceIsSilent()
{
    USBCamera camera(QStringLiteral("PTZ Cam"), QStringLiteral("Gone"), QStringLiteral("PTZ Cam"));
    QSignalSpy connected(&camera, &CameraWrapper::clientConnected);
    QSignalSpy disconnected(&camera, &CameraWrapper::clientDisconnected);
    QSignalSpy errors(&camera, &CameraWrapper::clientError);
    QSignalSpy updated(&camera, &CameraWrapper::clientStatusUpdated);
    camera.connectCamera();
    camera.disconnectCamera();
    QTest::qWait(700); // longer than a poll tick: nothing may be polling
    QCOMPARE(connected.count(), 0);
    QCOMPARE(disconnected.count(), 0);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(updated.count(), 0);
    QCOMPARE(speedText(camera.panSpeedRange()), QStringLiteral("0,0,0"));
    QCOMPARE(m_device->openHandles, 0);
}

void TestUSBCamera::reconnectKeepsConnection()
{
    // Choosing the current camera again re-opens the device; the camera never stops being connected.
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    QSignalSpy connected(camera, &CameraWrapper::clientConnected);
    QSignalSpy disconnected(camera, &CameraWrapper::clientDisconnected);
    QSignalSpy updated(camera, &CameraWrapper::clientStatusUpdated);
    camera->connectCamera();
    QCOMPARE(disconnected.count(), 0);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(m_device->openHandles, 1);
    // The re-opened device starts from rest, like every opened link.
    QCOMPARE(QString::fromStdString(m_device->writesText()),
             QStringLiteral("pan_speed=0,tilt_speed=0;pan_speed=0,tilt_speed=0;zoom_cont=0"));
    m_device->writes.clear();

    // Still polling from the first step, and commands still reach the device.
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 42);
    QVERIFY(updated.wait(3000));
    QCOMPARE(bytesOf(camera->zoomPos), QStringLiteral("00 00 00 2A"));
    camera->moveLeft(3, 4);
    QCOMPARE(QString::fromStdString(m_device->writesText()), QStringLiteral("pan_speed=-3,tilt_speed=0"));
}

void TestUSBCamera::reconnectToUnpluggedDevice()
{
    // Unplugged meanwhile: re-opening fails, and the open camera is reported lost once.
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    m_device->present = false;
    QSignalSpy connected(camera, &CameraWrapper::clientConnected);
    QSignalSpy disconnected(camera, &CameraWrapper::clientDisconnected);
    QSignalSpy updated(camera, &CameraWrapper::clientStatusUpdated);
    camera->connectCamera();
    QCOMPARE(connected.count(), 0);
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!updated.wait(800));

    // Trying again while it is still missing says nothing more; plugged back in, it connects.
    camera->connectCamera();
    QCOMPARE(connected.count(), 0);
    QCOMPARE(disconnected.count(), 1);
    m_device->present = true;
    camera->connectCamera();
    QCOMPARE(connected.count(), 1);
    QCOMPARE(disconnected.count(), 1);
}

void TestUSBCamera::operations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("writes");

    QTest::newRow("moveUp") << "moveUp"
                            << "pan_speed=0,tilt_speed=4";
    QTest::newRow("moveDown") << "moveDown"
                              << "pan_speed=0,tilt_speed=-4";
    QTest::newRow("moveLeft") << "moveLeft"
                              << "pan_speed=-3,tilt_speed=0";
    QTest::newRow("moveRight") << "moveRight"
                               << "pan_speed=3,tilt_speed=0";
    QTest::newRow("moveUpLeft") << "moveUpLeft"
                                << "pan_speed=0,tilt_speed=4;pan_speed=-3,tilt_speed=4";
    QTest::newRow("moveUpRight") << "moveUpRight"
                                 << "pan_speed=0,tilt_speed=4;pan_speed=3,tilt_speed=4";
    QTest::newRow("moveDownLeft") << "moveDownLeft"
                                  << "pan_speed=0,tilt_speed=-4;pan_speed=-3,tilt_speed=-4";
    QTest::newRow("moveDownRight") << "moveDownRight"
                                   << "pan_speed=0,tilt_speed=-4;pan_speed=3,tilt_speed=-4";
    QTest::newRow("stopMoving") << "stopMoving"
                                << "pan_speed=0,tilt_speed=0;pan_speed=0,tilt_speed=0";
    QTest::newRow("zoomIn") << "zoomIn"
                            << "zoom_cont=5";
    QTest::newRow("zoomOut") << "zoomOut"
                             << "zoom_cont=-5";
    QTest::newRow("stopZooming") << "stopZooming"
                                 << "zoom_cont=0";
    QTest::newRow("focusIn") << "focusIn"
                             << "focus_abs=105";
    QTest::newRow("focusOut") << "focusOut"
                              << "focus_abs=95";
    QTest::newRow("setAutoFocus off") << "setAutoFocus off"
                                      << "focus_auto=0";
    QTest::newRow("setAutoFocus on") << "setAutoFocus on"
                                     << "focus_auto=1";
    QTest::newRow("moveHome") << "moveHome"
                              << "zoom_abs=0;pan_abs=0,tilt_abs=0;focus_auto=1";
}

void TestUSBCamera::operations()
{
    QFETCH(QString, operation);
    QFETCH(QString, writes);
    m_device->setValue(V4L2_CID_FOCUS_ABSOLUTE, 100);
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);

    const QHash<QString, std::function<void(CameraWrapper &)>> calls = {
        {"moveUp",
         [](CameraWrapper &c) {
             c.moveUp(3, 4);
         }},
        {"moveDown",
         [](CameraWrapper &c) {
             c.moveDown(3, 4);
         }},
        {"moveLeft",
         [](CameraWrapper &c) {
             c.moveLeft(3, 4);
         }},
        {"moveRight",
         [](CameraWrapper &c) {
             c.moveRight(3, 4);
         }},
        {"moveUpLeft",
         [](CameraWrapper &c) {
             c.moveUpLeft(3, 4);
         }},
        {"moveUpRight",
         [](CameraWrapper &c) {
             c.moveUpRight(3, 4);
         }},
        {"moveDownLeft",
         [](CameraWrapper &c) {
             c.moveDownLeft(3, 4);
         }},
        {"moveDownRight",
         [](CameraWrapper &c) {
             c.moveDownRight(3, 4);
         }},
        {"stopMoving",
         [](CameraWrapper &c) {
             c.stopMoving(3, 4);
         }},
        {"zoomIn",
         [](CameraWrapper &c) {
             c.zoomIn(5);
         }},
        {"zoomOut",
         [](CameraWrapper &c) {
             c.zoomOut(5);
         }},
        {"stopZooming",
         [](CameraWrapper &c) {
             c.stopZooming();
         }},
        {"focusIn",
         [](CameraWrapper &c) {
             c.focusIn(5);
         }},
        {"focusOut",
         [](CameraWrapper &c) {
             c.focusOut(5);
         }},
        {"setAutoFocus off",
         [](CameraWrapper &c) {
             c.setAutoFocus(false);
         }},
        {"setAutoFocus on",
         [](CameraWrapper &c) {
             c.setAutoFocus(true);
         }},
        {"moveHome",
         [](CameraWrapper &c) {
             c.moveHome();
         }},
    };
    QVERIFY(calls.contains(operation));
    calls.value(operation)(*camera);
    QCOMPARE(QString::fromStdString(m_device->writesText()), writes);
}

void TestUSBCamera::baseOperationsDoNothing_data()
{
    QTest::addColumn<int>("index");
    const char *names[] = {"setIris",
                           "resetIris",
                           "setShutter",
                           "resetShutter",
                           "setBright",
                           "brightUp",
                           "brightDown",
                           "resetBright",
                           "setAeMode",
                           "setWbMode",
                           "setLuminance",
                           "setContrast",
                           "setHue",
                           "triggerOnePushWb",
                           "osdMenu",
                           "osdEnter",
                           "osdBack",
                           "setImageFlip",
                           "setImageMirror",
                           "setPresetSpeed",
                           "setPanTiltLimitUpRight",
                           "setPanTiltLimitDownLeft",
                           "setFocusLock",
                           "clearPanTiltLimit",
                           "setMotionSync",
                           "clearPreset",
                           "downloadSnapshot",
                           "inquireShutter",
                           "inquireIris",
                           "inquireBright",
                           "inquireLuminance",
                           "inquireContrast",
                           "inquireHue",
                           "inquireAeMode"};
    for (int i = 0; i < int(std::size(names)); ++i)
        QTest::newRow(names[i]) << i;
}

void TestUSBCamera::baseOperationsDoNothing()
{
    QFETCH(int, index);
    const std::function<void(CameraWrapper &)> calls[] = {
        [](CameraWrapper &c) { c.setIris(3); },
        [](CameraWrapper &c) { c.resetIris(); },
        [](CameraWrapper &c) { c.setShutter(3); },
        [](CameraWrapper &c) { c.resetShutter(); },
        [](CameraWrapper &c) { c.setBright(3); },
        [](CameraWrapper &c) { c.brightUp(); },
        [](CameraWrapper &c) { c.brightDown(); },
        [](CameraWrapper &c) { c.resetBright(); },
        [](CameraWrapper &c) { c.setAeMode(1); },
        [](CameraWrapper &c) { c.setWbMode(1); },
        [](CameraWrapper &c) { c.setLuminance(100); },
        [](CameraWrapper &c) { c.setContrast(100); },
        [](CameraWrapper &c) { c.setHue(100); },
        [](CameraWrapper &c) { c.triggerOnePushWb(); },
        [](CameraWrapper &c) { c.osdMenu(); },
        [](CameraWrapper &c) { c.osdEnter(); },
        [](CameraWrapper &c) { c.osdBack(); },
        [](CameraWrapper &c) { c.setImageFlip(true); },
        [](CameraWrapper &c) { c.setImageMirror(true); },
        [](CameraWrapper &c) { c.setPresetSpeed(5); },
        [](CameraWrapper &c) { c.setPanTiltLimitUpRight(100, 200); },
        [](CameraWrapper &c) { c.setPanTiltLimitDownLeft(100, 200); },
        [](CameraWrapper &c) { c.setFocusLock(true); },
        [](CameraWrapper &c) { c.clearPanTiltLimit(1); },
        [](CameraWrapper &c) { c.setMotionSync(true); },
        [](CameraWrapper &c) { c.clearPreset(2); },
        [](CameraWrapper &c) { c.downloadSnapshot(2); },
        [](CameraWrapper &c) { c.inquireShutter(); },
        [](CameraWrapper &c) { c.inquireIris(); },
        [](CameraWrapper &c) { c.inquireBright(); },
        [](CameraWrapper &c) { c.inquireLuminance(); },
        [](CameraWrapper &c) { c.inquireContrast(); },
        [](CameraWrapper &c) { c.inquireHue(); },
        [](CameraWrapper &c) { c.inquireAeMode(); },
    };
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    QSignalSpy updated(camera, &CameraWrapper::clientStatusUpdated);
    QSignalSpy cycle(camera, &CameraWrapper::clientReadOneCycle);
    QSignalSpy download(camera, &CameraWrapper::clientFinishDownload);
    QSignalSpy errors(camera, &CameraWrapper::clientError);
    const size_t menuRequests = m_device->extensionUnitRequests.size();

    calls[index](*camera);
    QVERIFY(m_device->writes.empty());
    QCOMPARE(m_device->extensionUnitRequests.size(), menuRequests);
    QCOMPARE(updated.count() + cycle.count() + download.count() + errors.count(), 0);
    QCOMPARE(camera->shutterPos, quint8(1));
    QCOMPARE(camera->irisPos, quint8(0));
    QCOMPARE(camera->leftPanDegrees(1000), 0);
    QCOMPARE(camera->rightPanDegrees(1000), 0);
    QCOMPARE(camera->upTiltDegrees(1000), 0);
    QCOMPARE(camera->downTiltDegrees(1000), 0);
    QVERIFY(!QFile::exists(TestDataHome::dataFolder() + QStringLiteral("/uvc-presets.ini")));
}

void TestUSBCamera::failedCallsAreLogged()
{
    // This camera has no continuous focus: stopping focus fails, one line per failed call.
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    QTest::ignoreMessage(QtDebugMsg, "UVC Control Failed");
    camera->stopFocusing();

    // Disconnected, a diagonal move fails twice and says so twice.
    camera->disconnectCamera();
    QTest::ignoreMessage(QtDebugMsg, "UVC Control Failed");
    QTest::ignoreMessage(QtDebugMsg, "UVC Control Failed");
    camera->moveDownRight(3, 4);

    // Presets do not log failures, though the library fails them too while disconnected.
    MessageLog log;
    camera->setPreset(1);
    camera->callPreset(1);
    QCOMPARE(log.lines(), QStringList());
}

void TestUSBCamera::presetThroughFile()
{
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, 1200);
    m_device->setValue(V4L2_CID_TILT_ABSOLUTE, -300);
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 50);
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    camera->setPreset(3);

    const QString file = TestDataHome::dataFolder() + QStringLiteral("/uvc-presets.ini");
    QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("USB Camera3_pan")).toInt(), 1200);
    QCOMPARE(stored.value(QStringLiteral("USB Camera3_tilt")).toInt(), -300);
    QCOMPARE(stored.value(QStringLiteral("USB Camera3_zoom")).toInt(), 50);
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    QVERIFY2(text.contains("USB%20Camera3_pan=1200"), text.constData());

    // Move away, then recall: zoom first, then pan and tilt together.
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, 0);
    m_device->setValue(V4L2_CID_TILT_ABSOLUTE, 0);
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 0);
    camera->callPreset(3);
    QCOMPARE(QString::fromStdString(m_device->writesText()),
             QStringLiteral("zoom_abs=50;pan_abs=1200,tilt_abs=-300"));

    // Another camera object (the next run of the program) recalls the same preset from the file.
    m_cameras.clear();
    m_device->writes.clear();
    camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    camera->callPreset(3);
    QCOMPARE(QString::fromStdString(m_device->writesText()),
             QStringLiteral("zoom_abs=50;pan_abs=1200,tilt_abs=-300"));
}

void TestUSBCamera::presetNeverStored()
{
    // A preset never stored recalls 0, 0, 0, limited to the device's ranges.
    auto device = SimulatedDevice::fromDescription("Narrow Cam", "pan_abs=100:900:500 tilt_abs=-90:-10:-50 "
                                                                 "zoom_abs=10:20:10");
    m_backend->addCamera(device);
    USBCamera *camera = connectedCamera(QStringLiteral("Narrow Cam"));
    QVERIFY(camera);
    camera->callPreset(7);
    QCOMPARE(QString::fromStdString(device->writesText()),
             QStringLiteral("zoom_abs=10;pan_abs=100,tilt_abs=-10"));
}

void TestUSBCamera::camerasKeepSeparatePresets()
{
    const auto second = m_backend->addCamera("PTZ Cam");
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, 111);
    second->setValue(V4L2_CID_PAN_ABSOLUTE, -222);
    second->setValue(V4L2_CID_ZOOM_ABSOLUTE, 9);
    USBCamera *first = connectedCamera(QStringLiteral("USB Camera"));
    USBCamera *other = connectedCamera(QStringLiteral("PTZ Cam"));
    QVERIFY(first && other);
    first->setPreset(1);
    other->setPreset(1);
    m_device->writes.clear();
    second->writes.clear();

    first->callPreset(1);
    other->callPreset(1);
    QCOMPARE(QString::fromStdString(m_device->writesText()),
             QStringLiteral("zoom_abs=0;pan_abs=111,tilt_abs=0"));
    QCOMPARE(QString::fromStdString(second->writesText()),
             QStringLiteral("zoom_abs=9;pan_abs=-222,tilt_abs=0"));
}

void TestUSBCamera::pollingCycle()
{
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 4000);
    m_device->setValue(V4L2_CID_FOCUS_ABSOLUTE, 77);
    m_device->setValue(V4L2_CID_FOCUS_AUTO, 1);
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, -300);
    m_device->setValue(V4L2_CID_TILT_ABSOLUTE, 3600);

    QSignalSpy updated(camera, &CameraWrapper::clientStatusUpdated);
    QSignalSpy cycle(camera, &CameraWrapper::clientReadOneCycle);
    // Signals after each of the twelve steps: zoom, focus, focus mode, then four silent steps,
    // pan/tilt, four silent steps, and the end of the cycle.
    const int updatesAfter[12] = {1, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4};
    for (int round = 0; round < 2; ++round) {
        for (int step = 0; step < 12; ++step) {
            camera->onTimer();
            QCOMPARE(updated.count(), updatesAfter[step] + 4 * round);
            QCOMPARE(cycle.count(), step == 11 ? round + 1 : round);
        }
    }
    QCOMPARE(bytesOf(camera->zoomPos), QStringLiteral("00 00 0F A0"));
    QCOMPARE(bytesOf(camera->focusPos), QStringLiteral("00 00 00 4D"));
    QCOMPARE(camera->isAutoFocus, true);
    QCOMPARE(bytesOf(camera->panPos), QStringLiteral("00 00 FF D4"));
    QCOMPARE(bytesOf(camera->tiltPos), QStringLiteral("00 00 0E 10"));
    // What a USB camera cannot read keeps its initial value.
    QCOMPARE(camera->irisPos, quint8(0));
    QCOMPARE(camera->shutterPos, quint8(1));
    QCOMPARE(camera->brightPos, quint8(0));
    QCOMPARE(camera->aeMode, quint8(0));
    QCOMPARE(camera->luminance, quint8(0));
    QCOMPARE(camera->contrast, quint8(0));
    QCOMPARE(camera->hue, quint8(0));
    QCOMPARE(camera->wbMode, quint8(0));

    m_device->setValue(V4L2_CID_FOCUS_AUTO, 0);
    camera->inquireFocusMode();
    QCOMPARE(camera->isAutoFocus, false);
}

void TestUSBCamera::positionBytes_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("zero") << 0 << "00 00 00 00";
    QTest::newRow("1200") << 1200 << "00 00 04 B0";
    QTest::newRow("-1") << -1 << "00 00 00 FF";
    QTest::newRow("-300") << -300 << "00 00 FF D4";
    QTest::newRow("-612000") << -612000 << "00 F7 AA 60";
    QTest::newRow("612000") << 612000 << "00 09 56 A0";
}

void TestUSBCamera::positionBytes()
{
    QFETCH(int, position);
    QFETCH(QString, bytes);
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, position);
    m_device->setValue(V4L2_CID_TILT_ABSOLUTE, position);
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    camera->inquirePanTiltPosition();
    QCOMPARE(bytesOf(camera->panPos), bytes);
    QCOMPARE(bytesOf(camera->tiltPos), bytes);
}

void TestUSBCamera::disconnectStopsPolling()
{
    USBCamera *camera = connectedCamera(QStringLiteral("USB Camera"));
    QVERIFY(camera);
    m_device->setValue(V4L2_CID_PAN_ABSOLUTE, 1200);
    camera->inquirePanTiltPosition();

    QSignalSpy disconnected(camera, &CameraWrapper::clientDisconnected);
    QSignalSpy updated(camera, &CameraWrapper::clientStatusUpdated);
    camera->disconnectCamera();
    QCOMPARE(disconnected.count(), 1);
    camera->disconnectCamera();
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!updated.wait(800));

    // The status cache keeps the last values; an inquiry while disconnected does not wipe them.
    camera->inquirePanTiltPosition();
    QCOMPARE(bytesOf(camera->panPos), QStringLiteral("00 00 04 B0"));
    camera->moveLeft(3, 4);
    QVERIFY(m_device->writes.empty());

    // Connecting again starts over at the first step.
    QSignalSpy connected(camera, &CameraWrapper::clientConnected);
    camera->connectCamera();
    QCOMPARE(connected.count(), 1);
    m_device->setValue(V4L2_CID_ZOOM_ABSOLUTE, 7);
    camera->onTimer();
    QCOMPARE(bytesOf(camera->zoomPos), QStringLiteral("00 00 00 07"));
}

void TestUSBCamera::destructionDisconnects()
{
    auto camera = std::make_unique<USBCamera>(QStringLiteral("USB Camera"), QStringLiteral("Front"),
                                              QStringLiteral("USB Camera"));
    camera->connectCamera();
    QSignalSpy disconnected(camera.get(), &CameraWrapper::clientDisconnected);
    QTest::ignoreMessage(QtDebugMsg, "delete usb");
    camera.reset();
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(m_device->openHandles, 0);

    // A camera that was never connected goes quietly.
    camera = std::make_unique<USBCamera>(QStringLiteral("USB Camera"), QStringLiteral("Front"),
                                         QStringLiteral("USB Camera"));
    QSignalSpy quiet(camera.get(), &CameraWrapper::clientDisconnected);
    QTest::ignoreMessage(QtDebugMsg, "delete usb");
    camera.reset();
    QCOMPARE(quiet.count(), 0);
}

QTEST_GUILESS_MAIN(TestUSBCamera)
#include "tst_usbcamera.moc"
