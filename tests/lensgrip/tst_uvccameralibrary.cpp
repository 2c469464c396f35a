#include "simulatedbackend.h"
#include "stdoutcapture.h"

#include <lensgrip/lensgripresult.h>
#include <lensgrip/uvccameralibrary.h>

#include <linux/usb/video.h>
#include <linux/videodev2.h>

#include <QMap>
#include <QStringList>
#include <QTest>

#include <cerrno>
#include <functional>

using namespace lensgrip;

namespace {

std::shared_ptr<SimulatedDevice> cameraWith(const QString &card, const QString &controls)
{
    auto device = SimulatedDevice::fromDescription(card.toStdString(), controls.toStdString());
    Q_ASSERT(device);
    return device;
}

QString writesOf(const SimulatedDevice &device)
{
    return QString::fromStdString(device.writesText());
}

QStringList listedNames()
{
    static char buffers[256][256];
    char *names[256];
    for (int i = 0; i < 256; ++i) {
        names[i] = buffers[i];
        buffers[i][0] = '\0';
    }
    int count = -1;
    UVCCameraLibrary::listDevices(names, count);
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << QString::fromLatin1(names[i]);
    return result;
}

bool connectTo(UVCCameraLibrary &library, const QString &name)
{
    QByteArray bytes = name.toLatin1();
    return library.connectDevice(bytes.data());
}

QString rangeText(const uvc_ranges_t &range)
{
    return QStringLiteral("%1,%2,%3").arg(range.minimum).arg(range.maximum).arg(range.defaultValue);
}

// One operation of the library and a printable form of its result.
using Operation = std::function<long(UVCCameraLibrary &)>;

const QMap<QString, Operation> &operations()
{
    static const QMap<QString, Operation> table = {
        {QStringLiteral("movePanOneLeft"),
         [](UVCCameraLibrary &l) {
             return l.movePanOneLeft(5);
         }},
        {QStringLiteral("movePanOneRight"),
         [](UVCCameraLibrary &l) {
             return l.movePanOneRight(5);
         }},
        {QStringLiteral("moveTiltOneTop"),
         [](UVCCameraLibrary &l) {
             return l.moveTiltOneTop(5);
         }},
        {QStringLiteral("moveTiltOneBottom"),
         [](UVCCameraLibrary &l) {
             return l.moveTiltOneBottom(5);
         }},
        {QStringLiteral("zoomOneIn"),
         [](UVCCameraLibrary &l) {
             return l.zoomOneIn(5);
         }},
        {QStringLiteral("zoomOneOut"),
         [](UVCCameraLibrary &l) {
             return l.zoomOneOut(5);
         }},
        {QStringLiteral("focusOneIn"),
         [](UVCCameraLibrary &l) {
             return l.focusOneIn(5);
         }},
        {QStringLiteral("focusOneOut"),
         [](UVCCameraLibrary &l) {
             return l.focusOneOut(5);
         }},
        {QStringLiteral("stopMoving"),
         [](UVCCameraLibrary &l) {
             return l.stopMoving();
         }},
        {QStringLiteral("stopZooming"),
         [](UVCCameraLibrary &l) {
             return l.stopZooming();
         }},
        {QStringLiteral("stopFocusing"),
         [](UVCCameraLibrary &l) {
             return l.stopFocusing();
         }},
        {QStringLiteral("moveHome"),
         [](UVCCameraLibrary &l) {
             return l.moveHome();
         }},
        {QStringLiteral("moveAbsPTZ"),
         [](UVCCameraLibrary &l) {
             return l.moveAbsPTZ(100, 100, 100);
         }},
        {QStringLiteral("setAutoFocus"),
         [](UVCCameraLibrary &l) {
             return l.setAutoFocus(true);
         }},
        {QStringLiteral("getAutoFocus"),
         [](UVCCameraLibrary &l) {
             return long(l.getAutoFocus());
         }},
        {QStringLiteral("getPan"),
         [](UVCCameraLibrary &l) {
             return l.getPan();
         }},
        {QStringLiteral("getTilt"),
         [](UVCCameraLibrary &l) {
             return l.getTilt();
         }},
        {QStringLiteral("getZoom"),
         [](UVCCameraLibrary &l) {
             return l.getZoom();
         }},
        {QStringLiteral("getFocus"),
         [](UVCCameraLibrary &l) {
             return l.getFocus();
         }},
        {QStringLiteral("checkOSDMenu"),
         [](UVCCameraLibrary &l) {
             return l.checkOSDMenu();
         }},
        {QStringLiteral("osdMenuOpenClose"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuOpenClose();
         }},
        {QStringLiteral("osdMenuEnter"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuEnter();
         }},
        {QStringLiteral("osdMenuBack"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuBack();
         }},
        {QStringLiteral("osdMenuUp"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuUp();
         }},
        {QStringLiteral("osdMenuDown"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuDown();
         }},
        {QStringLiteral("osdMenuLeft"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuLeft();
         }},
        {QStringLiteral("osdMenuRight"),
         [](UVCCameraLibrary &l) {
             return l.osdMenuRight();
         }},
    };
    return table;
}

const long kEFail = long(int32_t(0x80004005u));
const long kEPointer = long(int32_t(0x80004003u));

} // namespace

class TestUVCCameraLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listDevicesNamesRepeatedProducts();
    void listDevicesSkipsWhatIsNoCamera();
    void listDevicesWithoutDevices();
    void listDevicesLimits();
    void connectDeviceBindsNumberedDevice();
    void connectDeviceMissingName();
    void connectDeviceIdentity_data();
    void connectDeviceIdentity();
    void connectPrintsRanges();

    void motion_data();
    void motion();
    void speedRangesOffered_data();
    void speedRangesOffered();
    void absoluteMoves_data();
    void absoluteMoves();
    void homeAndAutoFocus();
    void readsReturnZeroOnFailure();
    void deviceWithoutCameraControls();
    void unpluggedDevice();
    void disconnectedObjectFails_data();
    void disconnectedObjectFails();

    void menuWithoutUnit_data();
    void menuWithoutUnit();
    void menuUsesTheUnitThatAnswers();
    void menuKeysSendZeroBuffer_data();
    void menuKeysSendZeroBuffer();
    void menuControlUnreadable();
    void menuUnitOutlivesDisconnection();

private:
    std::shared_ptr<SimulatedBackend> m_backend;
};

void TestUVCCameraLibrary::init()
{
    m_backend = std::make_shared<SimulatedBackend>();
    setDeviceBackend(m_backend);
}

void TestUVCCameraLibrary::cleanup()
{
    setDeviceBackend(nullptr);
    m_backend.reset();
}

void TestUVCCameraLibrary::listDevicesNamesRepeatedProducts()
{
    m_backend->addCamera("USB Camera");
    m_backend->addCamera("PTZ Cam");
    m_backend->addCamera("USB Camera");
    m_backend->addCamera("USB Camera");
    QCOMPARE(listedNames(), QStringList({QStringLiteral("USB Camera"), QStringLiteral("PTZ Cam"),
                                         QStringLiteral("USB Camera #1"), QStringLiteral("USB Camera #2")}));
}

void TestUVCCameraLibrary::listDevicesSkipsWhatIsNoCamera()
{
    // Metadata nodes (added after every camera), a node nobody may open, a camera whose node refuses
    // to open, and a second capture node of the first camera: none is listed, and the ones that could
    // not be asked for a name do not count for the numbering.
    const auto first = m_backend->addCamera("USB Camera");
    m_backend->addUnopenableNode();
    auto locked = SimulatedDevice::ptzCamera("USB Camera");
    locked->openable = false;
    m_backend->addCamera(locked);
    m_backend->addCamera(first, false);
    m_backend->addCamera("USB Camera");

    StdoutCapture output;
    const QStringList names = listedNames();
    QCOMPARE(names, QStringList({QStringLiteral("USB Camera"), QStringLiteral("USB Camera #1")}));
    QCOMPARE(output.text().count("Unable to get the device name\n"), 3);
}

void TestUVCCameraLibrary::listDevicesWithoutDevices()
{
    StdoutCapture output;
    QVERIFY(listedNames().isEmpty());
    QCOMPARE(output.text(), QByteArray("no device\n"));

    // A null buffer array is refused, not written through.
    m_backend->addCamera("USB Camera");
    int count = -1;
    UVCCameraLibrary::listDevices(nullptr, count);
    QCOMPARE(count, 0);
}

void TestUVCCameraLibrary::listDevicesLimits()
{
    for (int i = 0; i < 130; ++i)
        m_backend->addCamera(std::make_shared<SimulatedDevice>("Cam " + std::to_string(i)), false);
    const std::string longName(300, 'x');
    QCOMPARE(listedNames().size(), 128);

    init();
    m_backend->addCamera(longName);
    m_backend->addCamera(longName);
    const QStringList names = listedNames();
    QCOMPARE(names.size(), 2);
    QCOMPARE(names[0], QString(255, QLatin1Char('x')));
    QCOMPARE(names[1], QString(255, QLatin1Char('x'))); // the suffix does not fit either
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, names[0]));
}

void TestUVCCameraLibrary::connectDeviceBindsNumberedDevice()
{
    const auto first = m_backend->addCamera("USB Camera");
    const auto ptz = m_backend->addCamera("PTZ Cam");
    const auto third = m_backend->addCamera("USB Camera");

    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("USB Camera #1")));
    QCOMPARE(third->openHandles, 1);
    QCOMPARE(first->openHandles, 0);
    QCOMPARE(ptz->openHandles, 0);
    QCOMPARE(library.movePanOneRight(5), kResultOk);
    QCOMPARE(writesOf(*third), QStringLiteral("pan_speed=5,tilt_speed=0"));
    QVERIFY(first->writes.empty());

    library.disconnectDevice();
    QCOMPARE(third->openHandles, 0);
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    QCOMPARE(first->openHandles, 1);
}

void TestUVCCameraLibrary::connectDeviceMissingName()
{
    const auto camera = m_backend->addCamera("USB Camera");
    UVCCameraLibrary library;
    QVERIFY(!connectTo(library, QStringLiteral("PTZ Cam")));
    QVERIFY(!connectTo(library, QStringLiteral("USB Camera #1")));
    QVERIFY(!library.connectDevice(nullptr));
    QCOMPARE(library.movePanOneRight(5), kEFail);

    // Failing to connect to another device leaves the object disconnected, not on the old device.
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    QVERIFY(!connectTo(library, QStringLiteral("Gone")));
    QCOMPARE(camera->openHandles, 0);
    QCOMPARE(library.movePanOneRight(5), kEFail);
    QVERIFY(camera->writes.empty());
}

void TestUVCCameraLibrary::connectDeviceIdentity_data()
{
    QTest::addColumn<QString>("modalias");
    QTest::addColumn<QByteArray>("printed");

    QTest::newRow("usb") << QStringLiteral("usb:v046Dp0825d0012dcEFdsc02dp01ic0Eisc01ip00in00")
                         << QByteArray("vid_46d pid_825\n");
    QTest::newRow("lowercase") << QStringLiteral("usb:v2e7ep0a01d0100") << QByteArray("vid_2e7e pid_a01\n");
    QTest::newRow("not usb") << QStringLiteral("platform:vivid")
                             << QByteArray("Failed to get camera information\nvid_0 pid_0\n");
    QTest::newRow("unreadable") << QString() << QByteArray("Failed to get camera information\nvid_0 pid_0\n");
}

void TestUVCCameraLibrary::connectDeviceIdentity()
{
    QFETCH(QString, modalias);
    QFETCH(QByteArray, printed);
    const auto camera = m_backend->addCamera("USB Camera");
    camera->modalias = modalias.toStdString();

    UVCCameraLibrary library;
    StdoutCapture output;
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    const QByteArray text = output.text();
    QVERIFY2(text.startsWith("device path /dev/video0\n" + printed), text.constData());
}

void TestUVCCameraLibrary::connectPrintsRanges()
{
    m_backend->addCamera(
        cameraWith(QStringLiteral("PTZ"), QStringLiteral("pan_speed=-1:24:12 pan_abs=-612000:612000:0 "
                                                         "zoom_abs=0:16384:100")));
    UVCCameraLibrary library;
    StdoutCapture output;
    QVERIFY(connectTo(library, QStringLiteral("PTZ")));
    QCOMPARE(output.text(), QByteArray("device path /dev/video0\n"
                                       "vid_2e7e pid_a01\n"
                                       "pan continuous movement enabled: true\n"
                                       "Pan - Min 1, Max 24, Default 12\n"
                                       "pan absolute movement enabled: true\n"
                                       "Pan - Min -612000, Max 612000, Default 0\n"
                                       "tilt continuous movement enabled: false\n"
                                       "Tilt - Min 0, Max 0, Default 0\n"
                                       "tilt absolute movement enabled: false\n"
                                       "Tilt - Min 0, Max 0, Default 0\n"
                                       "zoom continuous movement enabled: false\n"
                                       "Zoom - Min 0, Max 0, Default 0\n"
                                       "zoom absolute movement enabled: true\n"
                                       "Zoom - Min 0, Max 16384, Default 100\n"
                                       "focus continuous movement enabled: false\n"
                                       "Focus - Min 0, Max 0, Default 0\n"
                                       "focus absolute movement enabled: false\n"
                                       "Focus - Min 0, Max 0, Default 0\n"));
}

void TestUVCCameraLibrary::motion_data()
{
    QTest::addColumn<QString>("controls");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<long>("result");
    QTest::addColumn<QString>("writes");

    const QString continuousPan = QStringLiteral("pan_speed=-10:10:5 tilt_speed=-10:10:5");
    QTest::newRow("right beyond maximum")
        << continuousPan << QStringList{"right 24"} << kResultOk << "pan_speed=10,tilt_speed=0";
    QTest::newRow("left within range")
        << continuousPan << QStringList{"left 3"} << kResultOk << "pan_speed=-3,tilt_speed=0";
    QTest::newRow("right 0 is the slowest left")
        << continuousPan << QStringList{"right 0"} << kResultOk << "pan_speed=-1,tilt_speed=0";
    QTest::newRow("down beyond maximum")
        << continuousPan << QStringList{"down 99"} << kResultOk << "pan_speed=0,tilt_speed=-10";
    // Pan and tilt speed are one control on the camera: each write repeats the other's speed.
    QTest::newRow("diagonal keeps tilt") << continuousPan << QStringList{"up 4", "left 3"} << kResultOk
                                         << "pan_speed=0,tilt_speed=4;pan_speed=-3,tilt_speed=4";
    QTest::newRow("stop pan then tilt") << continuousPan << QStringList{"up 4", "left 3", "stop"} << kResultOk
                                        << "pan_speed=0,tilt_speed=4;pan_speed=-3,tilt_speed=4;"
                                           "pan_speed=0,tilt_speed=4;pan_speed=0,tilt_speed=0";
    QTest::newRow("pan without tilt control")
        << QStringLiteral("pan_speed=-10:10:5") << QStringList{"right 2"} << kResultOk << "pan_speed=2";
    QTest::newRow("stop without tilt control") << QStringLiteral("pan_speed=-10:10:5") << QStringList{"stop"}
                                               << resultFromErrno(EINVAL) << "pan_speed=0";
    // A speed range given as magnitudes with a positive slowest speed: the sign on the device is the
    // direction, as with a symmetric range.
    const QString magnitudePan = QStringLiteral("pan_speed=1:10:5 tilt_speed=1:10:5");
    QTest::newRow("1..10 right beyond maximum")
        << magnitudePan << QStringList{"right 24"} << kResultOk << "pan_speed=10,tilt_speed=0";
    QTest::newRow("1..10 left within range")
        << magnitudePan << QStringList{"left 3"} << kResultOk << "pan_speed=-3,tilt_speed=0";
    QTest::newRow("1..10 right 0 is the slowest left")
        << magnitudePan << QStringList{"right 0"} << kResultOk << "pan_speed=-1,tilt_speed=0";
    QTest::newRow("1..10 down below minimum")
        << magnitudePan << QStringList{"down 0"} << kResultOk << "pan_speed=0,tilt_speed=-1";
    QTest::newRow("1..10 left with absolute pan too")
        << QStringLiteral("pan_speed=1:10:5 pan_abs=-100:100:0@50") << QStringList{"left 3"} << kResultOk
        << "pan_speed=-3";
    QTest::newRow("older kernel speed range")
        << QStringLiteral("pan_speed=-1:24:12 tilt_speed=-1:24:12") << QStringList{"right 30", "left 0"}
        << kResultOk << "pan_speed=24,tilt_speed=0;pan_speed=-1,tilt_speed=0";

    const QString absoluteTilt = QStringLiteral("tilt_abs=-90:90:0@85");
    QTest::newRow("absolute tilt up to the limit")
        << absoluteTilt << QStringList{"up 10"} << kResultOk << "tilt_abs=90";
    QTest::newRow("absolute tilt down")
        << absoluteTilt << QStringList{"down 10"} << kResultOk << "tilt_abs=75";
    QTest::newRow("absolute tilt down to the limit")
        << absoluteTilt << QStringList{"down 500"} << kResultOk << "tilt_abs=-90";
    QTest::newRow("stop on absolute-only axis fails")
        << absoluteTilt << QStringList{"stop"} << resultFromErrno(EINVAL) << "";
    QTest::newRow("no pan control at all") << absoluteTilt << QStringList{"left 3"} << kEFail << "";

    const QString zoom = QStringLiteral("zoom_cont=-7:7:3 zoom_abs=0:100:0@50");
    QTest::newRow("zoom in") << zoom << QStringList{"in 5"} << kResultOk << "zoom_cont=5";
    QTest::newRow("zoom out beyond maximum")
        << zoom << QStringList{"out 9", "zoomstop"} << kResultOk << "zoom_cont=-7;zoom_cont=0";
    // Older drivers report the slowest zoom speed as the minimum: the range is of magnitudes, zooming
    // out is a negative speed. 0 lies outside the range, so stopping holds the absolute position.
    const QString magnitudeZoom = QStringLiteral("zoom_cont=1:7:3 zoom_abs=0:100:0@50");
    QTest::newRow("1..7 zoom in") << magnitudeZoom << QStringList{"in 5"} << kResultOk << "zoom_cont=5";
    QTest::newRow("1..7 zoom out") << magnitudeZoom << QStringList{"out 5"} << kResultOk << "zoom_cont=-5";
    QTest::newRow("1..7 zoom out beyond maximum")
        << magnitudeZoom << QStringList{"out 9"} << kResultOk << "zoom_cont=-7";
    QTest::newRow("1..7 zoom stop holds")
        << magnitudeZoom << QStringList{"zoomstop"} << kResultOk << "zoom_abs=50";
    QTest::newRow("1..7 zoom out without absolute")
        << QStringLiteral("zoom_cont=1:7:3") << QStringList{"out 5"} << kResultOk << "zoom_cont=-5";

    QTest::newRow("focus continuous")
        << QStringLiteral("focus_rel=-5:5:1") << QStringList{"near 2", "far 8", "focusstop"} << kResultOk
        << "focus_rel=2;focus_rel=-5;focus_rel=0";
    QTest::newRow("focus absolute steps")
        << QStringLiteral("focus_abs=0:1023:0@500") << QStringList{"near 20", "far 30"} << kResultOk
        << "focus_abs=520;focus_abs=490";
}

void TestUVCCameraLibrary::motion()
{
    QFETCH(QString, controls);
    QFETCH(QStringList, calls);
    QFETCH(long, result);
    QFETCH(QString, writes);

    const auto camera = cameraWith(QStringLiteral("Cam"), controls);
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));

    long last = 1;
    for (const QString &call : calls) {
        const QStringList parts = call.split(QLatin1Char(' '));
        const int speed = parts.value(1).toInt();
        const QString verb = parts[0];
        if (verb == QLatin1String("left"))
            last = library.movePanOneLeft(speed);
        else if (verb == QLatin1String("right"))
            last = library.movePanOneRight(speed);
        else if (verb == QLatin1String("up"))
            last = library.moveTiltOneTop(speed);
        else if (verb == QLatin1String("down"))
            last = library.moveTiltOneBottom(speed);
        else if (verb == QLatin1String("in"))
            last = library.zoomOneIn(speed);
        else if (verb == QLatin1String("out"))
            last = library.zoomOneOut(speed);
        else if (verb == QLatin1String("near"))
            last = library.focusOneIn(speed);
        else if (verb == QLatin1String("far"))
            last = library.focusOneOut(speed);
        else if (verb == QLatin1String("stop"))
            last = library.stopMoving();
        else if (verb == QLatin1String("zoomstop"))
            last = library.stopZooming();
        else if (verb == QLatin1String("focusstop"))
            last = library.stopFocusing();
        else
            QFAIL(qPrintable(QStringLiteral("unknown call ") + call));
    }
    QCOMPARE(last, result);
    QCOMPARE(writesOf(*camera), writes);
}

void TestUVCCameraLibrary::speedRangesOffered_data()
{
    QTest::addColumn<QString>("controls");
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<QString>("focus");

    QTest::newRow("symmetric speeds")
        << "pan_speed=-10:10:5 tilt_speed=-20:20:0 zoom_cont=-7:7:3 focus_rel=-1:1:1"
        << "1,10,5"
        << "1,20,1"
        << "1,7,3"
        << "1,1,1";
    QTest::newRow("magnitude range") << "pan_speed=1:10:5 tilt_speed=1:10:5"
                                     << "1,10,5"
                                     << "1,10,5"
                                     << "0,0,0"
                                     << "0,0,0";
    QTest::newRow("slowest speed as minimum") << "pan_speed=-2:24:12 zoom_cont=1:7:3"
                                              << "2,24,12"
                                              << "0,0,0"
                                              << "1,7,3"
                                              << "0,0,0";
    QTest::newRow("absolute only") << "pan_abs=-100:100:0 tilt_abs=-90:90:0 zoom_abs=0:100:0 focus_abs=0:10:0"
                                   << "1,20,7"
                                   << "1,20,7"
                                   << "1,20,7"
                                   << "1,20,7";
    QTest::newRow("continuous preferred") << "pan_speed=-10:10:5 pan_abs=-100:100:0"
                                          << "1,10,5"
                                          << "0,0,0"
                                          << "0,0,0"
                                          << "0,0,0";
    QTest::newRow("neither") << "focus_auto=0:1:1"
                             << "0,0,0"
                             << "0,0,0"
                             << "0,0,0"
                             << "0,0,0";
}

void TestUVCCameraLibrary::speedRangesOffered()
{
    QFETCH(QString, controls);
    m_backend->addCamera(cameraWith(QStringLiteral("Cam"), controls));
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QTEST(rangeText(library.getPanCtrlRanges()), "pan");
    QTEST(rangeText(library.getTiltCtrlRanges()), "tilt");
    QTEST(rangeText(library.getZoomCtrlRanges()), "zoom");
    QTEST(rangeText(library.getFocusCtrlRanges()), "focus");
}

void TestUVCCameraLibrary::absoluteMoves_data()
{
    QTest::addColumn<QString>("controls");
    QTest::addColumn<long>("result");
    QTest::addColumn<QString>("writes");

    // Zoom first, then pan and tilt together (one control on the camera), each limited to its range.
    QTest::newRow("all axes") << "pan_abs=-100:100:0 tilt_abs=-90:90:0 zoom_abs=0:50:0" << kResultOk
                              << "zoom_abs=50;pan_abs=60,tilt_abs=-90";
    QTest::newRow("no absolute zoom")
        << "pan_abs=-100:100:0 tilt_abs=-90:90:0 zoom_cont=-7:7:3" << kResultOk << "pan_abs=60,tilt_abs=-90";
    QTest::newRow("zoom only") << "zoom_abs=0:1000:0" << kResultOk << "zoom_abs=70";
    QTest::newRow("nothing absolute") << "pan_speed=-10:10:5" << kResultOk << "";
}

void TestUVCCameraLibrary::absoluteMoves()
{
    QFETCH(QString, controls);
    const auto camera = cameraWith(QStringLiteral("Cam"), controls);
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QTEST(library.moveAbsPTZ(60, -300, 70), "result");
    QTEST(writesOf(*camera), "writes");
}

void TestUVCCameraLibrary::homeAndAutoFocus()
{
    const auto camera
        = cameraWith(QStringLiteral("Cam"), QStringLiteral("pan_abs=-100:100:10@50 tilt_abs=-90:90:-5@20 "
                                                           "zoom_abs=0:50:1@30 focus_auto=0:1:1@0"));
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));

    QCOMPARE(library.getAutoFocus(), false);
    QCOMPARE(library.moveHome(), kResultOk);
    QCOMPARE(writesOf(*camera), QStringLiteral("zoom_abs=1;pan_abs=10,tilt_abs=-5;focus_auto=1"));
    QCOMPARE(library.getAutoFocus(), true);
    QCOMPARE(library.getPan(), 10L);
    QCOMPARE(library.getTilt(), -5L);
    QCOMPARE(library.getZoom(), 1L);

    QCOMPARE(library.setAutoFocus(false), kResultOk);
    QCOMPARE(camera->value(V4L2_CID_FOCUS_AUTO), 0);
    QCOMPARE(library.getAutoFocus(), false);

    // Without an auto-focus control the positions still go home, but the result reports the failure.
    camera->removeControl(V4L2_CID_FOCUS_AUTO);
    camera->writes.clear();
    QVERIFY(library.moveHome() < 0);
    QCOMPARE(writesOf(*camera), QStringLiteral("zoom_abs=1;pan_abs=10,tilt_abs=-5"));
}

void TestUVCCameraLibrary::readsReturnZeroOnFailure()
{
    const auto camera = cameraWith(
        QStringLiteral("Cam"), QStringLiteral("pan_abs=-100:100:0@-40 tilt_abs=-90:90:0@12 "
                                              "zoom_abs=0:50:0@7 focus_abs=0:99:0@33 focus_auto=0:1:1@1"));
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QCOMPARE(library.getPan(), -40L);
    QCOMPARE(library.getTilt(), 12L);
    QCOMPARE(library.getZoom(), 7L);
    QCOMPARE(library.getFocus(), 33L);
    QCOMPARE(library.getAutoFocus(), true);

    for (auto &entry : camera->controls)
        entry.second.failGet = true;
    QCOMPARE(library.getPan(), 0L);
    QCOMPARE(library.getTilt(), 0L);
    QCOMPARE(library.getZoom(), 0L);
    QCOMPARE(library.getFocus(), 0L);
    QCOMPARE(library.getAutoFocus(), false);
    QVERIFY(library.setAutoFocus(true) < 0);
}

void TestUVCCameraLibrary::deviceWithoutCameraControls()
{
    m_backend->addCamera(std::make_shared<SimulatedDevice>("Webcam"));
    UVCCameraLibrary library;
    {
        StdoutCapture output;
        QVERIFY(connectTo(library, QStringLiteral("Webcam")));
        QVERIFY(output.text().endsWith("This device does not support IAMCameraControl\n"));
    }
    StdoutCapture output;
    QCOMPARE(library.movePanOneLeft(3), kResultNoInterface);
    QCOMPARE(library.moveAbsPTZ(1, 2, 3), kResultNoInterface);
    QCOMPARE(library.setAutoFocus(true), kResultNoInterface);
    QCOMPARE(library.getPan(), 0L);
    QCOMPARE(library.getAutoFocus(), false);
    QCOMPARE(output.text().count("This device does not support IAMCameraControl\n"), 5);
    QCOMPARE(rangeText(library.getPanCtrlRanges()), QStringLiteral("0,0,0"));
}

void TestUVCCameraLibrary::unpluggedDevice()
{
    const auto camera = m_backend->addCamera("USB Camera");
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    QCOMPARE(library.getZoom(), 0L);
    camera->setValue(V4L2_CID_ZOOM_ABSOLUTE, 40);
    QCOMPARE(library.getZoom(), 40L);

    camera->present = false;
    QCOMPARE(library.movePanOneLeft(3), resultFromErrno(ENODEV));
    QCOMPARE(library.getZoom(), 0L);
    QVERIFY(library.osdMenuEnter() < 0);
    QVERIFY(listedNames().isEmpty());

    camera->present = true;
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    QCOMPARE(library.movePanOneLeft(3), kResultOk);
}

void TestUVCCameraLibrary::disconnectedObjectFails_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<long>("result");

    const QStringList failing
        = {"movePanOneLeft", "movePanOneRight", "moveTiltOneTop", "moveTiltOneBottom", "zoomOneIn",
           "zoomOneOut",     "focusOneIn",      "focusOneOut",    "stopMoving",        "stopZooming",
           "stopFocusing",   "moveHome",        "moveAbsPTZ",     "setAutoFocus",      "checkOSDMenu"};
    for (const QString &name : failing)
        QTest::newRow(qPrintable(name)) << name << kEFail;
    for (const char *name : {"getAutoFocus", "getPan", "getTilt", "getZoom", "getFocus"})
        QTest::newRow(name) << QString::fromLatin1(name) << 0L;
    for (const char *name : {"osdMenuOpenClose", "osdMenuEnter", "osdMenuBack", "osdMenuUp", "osdMenuDown",
                             "osdMenuLeft", "osdMenuRight"})
        QTest::newRow(name) << QString::fromLatin1(name) << kEPointer;
}

void TestUVCCameraLibrary::disconnectedObjectFails()
{
    QFETCH(QString, operation);
    QFETCH(long, result);
    const auto camera = m_backend->addCamera("USB Camera");
    camera->setValue(V4L2_CID_PAN_ABSOLUTE, 1000);

    UVCCameraLibrary never;
    QCOMPARE(operations().value(operation)(never), result);

    UVCCameraLibrary after;
    QVERIFY(connectTo(after, QStringLiteral("USB Camera")));
    after.disconnectDevice();
    QCOMPARE(operations().value(operation)(after), result);
    QVERIFY(camera->writes.empty());
    QCOMPARE(camera->openHandles, 0);
}

void TestUVCCameraLibrary::menuWithoutUnit_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("no extension unit") << 0;
    QTest::newRow("unit of another vendor") << 1;
    QTest::newRow("descriptors unreadable") << 2;
    QTest::newRow("unit without the menu control") << 3;
}

void TestUVCCameraLibrary::menuWithoutUnit()
{
    QFETCH(int, variant);
    auto camera = cameraWith(QStringLiteral("Cam"), QStringLiteral("pan_speed=-10:10:5"));
    switch (variant) {
    case 1: {
        SimulatedExtensionUnit &unit = camera->addMenuUnit(4, 2);
        unit.guid[0] ^= 0xFF;
        break;
    }
    case 2:
        camera->addMenuUnit(4, 2);
        camera->descriptorsReadable = false;
        break;
    case 3:
        camera->addMenuUnit(4, 2).controls.erase(7);
        break;
    default:
        break;
    }
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QCOMPARE(library.checkOSDMenu(), kEFail);
    for (const char *key : {"osdMenuOpenClose", "osdMenuEnter", "osdMenuBack", "osdMenuUp", "osdMenuDown",
                            "osdMenuLeft", "osdMenuRight"})
        QCOMPARE(operations().value(QString::fromLatin1(key))(library), kEPointer);
    for (const ExtensionUnitRequest &request : camera->extensionUnitRequests)
        QVERIFY(request.query != UVC_SET_CUR);
}

void TestUVCCameraLibrary::menuUsesTheUnitThatAnswers()
{
    auto camera = cameraWith(QStringLiteral("Cam"), QStringLiteral("pan_speed=-10:10:5"));
    camera->addMenuUnit(3, 2, false); // another function of a composite device
    camera->addMenuUnit(4, 2);
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QCOMPARE(library.checkOSDMenu(), kResultOk);

    camera->extensionUnitRequests.clear();
    QCOMPARE(library.osdMenuOpenClose(), kResultOk);
    QCOMPARE(library.osdMenuDown(), kResultOk);
    QCOMPARE(camera->extensionUnitRequests.size(), size_t(2));
    for (const ExtensionUnitRequest &request : camera->extensionUnitRequests)
        QCOMPARE(request.unit, uint8_t(4));
}

void TestUVCCameraLibrary::menuKeysSendZeroBuffer_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("selector");
    QTest::newRow("up") << "osdMenuUp" << 1;
    QTest::newRow("down") << "osdMenuDown" << 2;
    QTest::newRow("left") << "osdMenuLeft" << 3;
    QTest::newRow("right") << "osdMenuRight" << 4;
    QTest::newRow("enter") << "osdMenuEnter" << 5;
    QTest::newRow("back") << "osdMenuBack" << 6;
    QTest::newRow("open/close") << "osdMenuOpenClose" << 7;
}

void TestUVCCameraLibrary::menuKeysSendZeroBuffer()
{
    QFETCH(QString, key);
    QFETCH(int, selector);
    auto camera = cameraWith(QStringLiteral("Cam"), QStringLiteral("pan_speed=-10:10:5"));
    SimulatedExtensionUnit &unit = camera->addMenuUnit(9, 2);
    unit.controls[uint8_t(selector)] = {0x12, 0x34}; // the last value must not be sent back
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QCOMPARE(library.checkOSDMenu(), kResultOk);

    // The check asked selector 7 for its length and read it once with that length.
    const auto &probe = camera->extensionUnitRequests;
    QCOMPARE(probe.size(), size_t(3));
    QCOMPARE(probe[1].query, uint8_t(UVC_GET_LEN));
    QCOMPARE(probe[2].query, uint8_t(UVC_GET_CUR));
    QCOMPARE(probe[2].data.size(), size_t(2));

    camera->extensionUnitRequests.clear();
    QCOMPARE(operations().value(key)(library), kResultOk);
    QCOMPARE(camera->extensionUnitRequests.size(), size_t(1));
    const ExtensionUnitRequest &press = camera->extensionUnitRequests.front();
    QCOMPARE(press.unit, uint8_t(9));
    QCOMPARE(int(press.selector), selector);
    QCOMPARE(press.query, uint8_t(UVC_SET_CUR));
    QCOMPARE(press.data, std::vector<uint8_t>({0, 0}));
}

void TestUVCCameraLibrary::menuControlUnreadable()
{
    auto camera = cameraWith(QStringLiteral("Cam"), QStringLiteral("pan_speed=-10:10:5"));
    camera->addMenuUnit(5, 3).failingQueries.insert(UVC_GET_CUR);
    m_backend->addCamera(camera);
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("Cam")));
    QCOMPARE(library.checkOSDMenu(), kEFail);
    // The unit itself was found and answers: its keys still work, with the length it reported.
    QCOMPARE(library.osdMenuEnter(), kResultOk);
    QCOMPARE(camera->extensionUnitRequests.back().data, std::vector<uint8_t>({0, 0, 0}));
}

void TestUVCCameraLibrary::menuUnitOutlivesDisconnection()
{
    const auto camera = m_backend->addCamera("USB Camera");
    UVCCameraLibrary library;
    QVERIFY(connectTo(library, QStringLiteral("USB Camera")));
    QCOMPARE(library.checkOSDMenu(), kResultOk);
    library.disconnectDevice();
    QCOMPARE(library.checkOSDMenu(), kEFail);
    QCOMPARE(library.osdMenuBack(), kResultOk);
    QCOMPARE(camera->extensionUnitRequests.back().selector, uint8_t(6));
    QCOMPARE(library.movePanOneLeft(1), kEFail);
}

QTEST_GUILESS_MAIN(TestUVCCameraLibrary)
#include "tst_uvccameralibrary.moc"
