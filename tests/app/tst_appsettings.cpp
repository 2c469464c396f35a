#include "appsettings.h"
#include "ipcamera.h"
#include "testdatahome.h"
#include "usbcamera.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using Reader = std::function<QVariant(const AppSettings &)>;
Q_DECLARE_METATYPE(Reader)

class tst_AppSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshFolderIsCreated();
    void defaults_data();
    void defaults();
    void roundTrips_data();
    void roundTrips();
    void keysOnDisk();
    void colourKeysAreSwappedOnDisk();
    void cameraList();
    void limitOutsideTableIsNotRead();
    void damagedCameraListIsBounded();
    void viscaTransportRoundTrip();
    void viscaTransportDefaults_data();
    void viscaTransportDefaults();
    void serializedValuesAreDropped_data();
    void serializedValuesAreDropped();
    void joystickSelection_data();
    void joystickSelection();
    void joystickChangesAreAnnounced();

private:
    static QSettings readBack(const AppSettings &settings)
    {
        return QSettings(settings.fileName(), QSettings::IniFormat);
    }
};

void tst_AppSettings::freshFolderIsCreated()
{
    TestDataHome home;
    QVERIFY(!QFileInfo::exists(TestDataHome::dataFolder()));
    AppSettings settings;
    QVERIFY(QFileInfo(TestDataHome::dataFolder()).isDir());
    QVERIFY(QFileInfo(TestDataHome::dataFolder() + "/downloads").isDir());
    QCOMPARE(settings.fileName(), TestDataHome::dataFolder() + "/settings.ini");
}

void tst_AppSettings::defaults_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QVariant>("expected");
    const QString id = QStringLiteral("192.168.1.20");
    auto row = [](const char *name, Reader r, const QVariant &v) {
        QTest::newRow(name) << r << v;
    };
    row(
        "servernic", [](const AppSettings &s) { return s.serverNic(); }, QString("0.0.0.0"));
    row(
        "serverportnum", [](const AppSettings &s) { return s.serverPortNum(); }, 8080);
    row(
        "startuponlaunch", [](const AppSettings &s) { return s.startupOnLaunch(); }, false);
    row(
        "usedarktheme", [](const AppSettings &s) { return s.useDarkTheme(); }, true);
    row(
        "obsip", [](const AppSettings &s) { return s.obsIp(); }, QString("0.0.0.0"));
    row(
        "obsport", [](const AppSettings &s) { return s.obsPort(); }, 4444);
    row(
        "obspwd", [](const AppSettings &s) { return s.obsPwd(); }, QString());
    row(
        "enableobsctrl", [](const AppSettings &s) { return s.enableObsCtrl(); }, false);
    row(
        "vmixip", [](const AppSettings &s) { return s.vmixIp(); }, QString("0.0.0.0"));
    row(
        "vmixport", [](const AppSettings &s) { return s.vmixPort(); }, 8088);
    row(
        "vmixid", [](const AppSettings &s) { return s.vmixId(); }, QString("admin"));
    row(
        "vmixpwd", [](const AppSettings &s) { return s.vmixPwd(); }, QString());
    row(
        "enablevmixctrl", [](const AppSettings &s) { return s.enableVmixCtrl(); }, false);
    row(
        "is hotkey available", [](const AppSettings &s) { return s.isHotkeyAvailable(); }, false);
    row(
        "is joystick available", [](const AppSettings &s) { return s.isJoystickAvailable(); }, false);
    row(
        "selected_joystick", [](const AppSettings &s) { return s.selectedJoystick(); }, 0);
    row(
        "snapshotpath", [](const AppSettings &s) { return s.snapshotPath(); }, QString());
    row(
        "pan_speed", [id](const AppSettings &s) { return s.panSpeed(id); }, 7);
    row(
        "tilt_speed", [id](const AppSettings &s) { return s.tiltSpeed(id); }, 7);
    row(
        "zoom_speed", [id](const AppSettings &s) { return s.zoomSpeed(id); }, 5);
    row(
        "focus_speed", [id](const AppSettings &s) { return s.focusSpeed(id); }, 5);
    row(
        "pantilt_lock", [id](const AppSettings &s) { return s.panTiltLock(id); }, true);
    row(
        "cameralimit 0", [id](const AppSettings &s) { return s.cameraLimit(id, 0); }, 170);
    row(
        "cameralimit 1", [id](const AppSettings &s) { return s.cameraLimit(id, 1); }, 170);
    row(
        "cameralimit 2", [id](const AppSettings &s) { return s.cameraLimit(id, 2); }, 30);
    row(
        "cameralimit 3", [id](const AppSettings &s) { return s.cameraLimit(id, 3); }, 90);
    row(
        "snapshotback", [id](const AppSettings &s) { return s.snapshotBack(id); }, QString());
    row(
        "snapshotbacktype", [id](const AppSettings &s) { return s.snapshotBackType(id); }, 0);
    row(
        "pictureinpicturepos", [id](const AppSettings &s) { return s.pictureInPicturePos(id); },
        QPoint(0, 0));
    row(
        "pictureinpicturevisibility", [id](const AppSettings &s) { return s.pictureInPictureVisibility(id); },
        false);
    row(
        "wrappervisibility", [id](const AppSettings &s) { return s.wrapperVisibility(id); }, false);
    row(
        "mem4", [id](const AppSettings &s) { return s.presetName(id, 4); }, QString("4"));
    row(
        "aemode", [id](const AppSettings &s) { return s.presetAeMode(id, 3); }, 0);
    row(
        "shutterspeed", [id](const AppSettings &s) { return s.presetShutterSpeed(id, 3); }, 0);
    row(
        "iris", [id](const AppSettings &s) { return s.presetIris(id, 3); }, 0);
    row(
        "brightness", [id](const AppSettings &s) { return s.presetBrightness(id, 3); }, 0);
    row(
        "luminance", [id](const AppSettings &s) { return s.presetLuminance(id, 3); }, 7);
    row(
        "contrast", [id](const AppSettings &s) { return s.presetContrast(id, 3); }, 7);
    row(
        "hue", [id](const AppSettings &s) { return s.presetHue(id, 3); }, 7);
    row(
        "wbmode", [id](const AppSettings &s) { return s.presetWbMode(id, 3); }, 0);
    row(
        "snapshotbox", [id](const AppSettings &s) { return s.snapshotBox(id, 2); }, QString());
    row(
        "snapshotboxtype", [id](const AppSettings &s) { return s.snapshotBoxType(id, 2); }, 0);
    row(
        "snapshotboxcolor", [id](const AppSettings &s) { return s.snapshotBoxColor(id, 2); },
        QColor(0, 0, 0, 255));
    row(
        "boxvisibility", [id](const AppSettings &s) { return s.boxVisibility(id, 2); }, true);
    row(
        "centertype", [id](const AppSettings &s) { return s.centerType(id, 2); }, 0);
    row(
        "custompresetpos", [id](const AppSettings &s) { return s.customPresetPos(id, 2); }, QPoint(0, 0));
    row(
        "custompresettitle", [id](const AppSettings &s) { return s.customPresetTitle(id, 2); },
        QString("Custom Preset2"));
}

void tst_AppSettings::defaults()
{
    QFETCH(Reader, reader);
    QFETCH(QVariant, expected);
    TestDataHome home;
    AppSettings settings;
    QCOMPARE(reader(settings), expected);
}

using Writer = std::function<void(AppSettings &)>;
Q_DECLARE_METATYPE(Writer)

void tst_AppSettings::roundTrips_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QVariant>("expected");
    const QString id = QStringLiteral("cam-a");
    auto row = [](const char *name, Writer w, Reader r, const QVariant &v) {
        QTest::newRow(name) << w << r << v;
    };
    row(
        "luminance of preset 5", [id](AppSettings &s) { s.setPresetLuminance(id, 5, 12); },
        [id](const AppSettings &s) { return s.presetLuminance(id, 5); }, 12);
    row(
        "luminance of preset 6 untouched", [id](AppSettings &s) { s.setPresetLuminance(id, 5, 12); },
        [id](const AppSettings &s) { return s.presetLuminance(id, 6); }, 7);
    row(
        "other camera untouched", [id](AppSettings &s) { s.setPanSpeed(id, 20); },
        [](const AppSettings &s) { return s.panSpeed("cam-b"); }, 7);
    row(
        "pan speed", [id](AppSettings &s) { s.setPanSpeed(id, 20); },
        [id](const AppSettings &s) { return s.panSpeed(id); }, 20);
    row(
        "pantilt lock", [id](AppSettings &s) { s.setPanTiltLock(id, false); },
        [id](const AppSettings &s) { return s.panTiltLock(id); }, false);
    row(
        "limit", [id](AppSettings &s) { s.setCameraLimit(id, 2, 12); },
        [id](const AppSettings &s) { return s.cameraLimit(id, 2); }, 12);
    row(
        "preset name", [id](AppSettings &s) { s.setPresetName(id, 3, "Pulpit"); },
        [id](const AppSettings &s) { return s.presetName(id, 3); }, QString("Pulpit"));
    row(
        "empty preset name", [id](AppSettings &s) { s.setPresetName(id, 3, QString()); },
        [id](const AppSettings &s) { return s.presetName(id, 3); }, QString());
    row(
        "box colour", [id](AppSettings &s) { s.setSnapshotBoxColor(id, 4, QColor(10, 20, 30)); },
        [id](const AppSettings &s) { return s.snapshotBoxColor(id, 4); }, QColor(10, 20, 30, 255));
    row(
        "custom preset position", [id](AppSettings &s) { s.setCustomPresetPos(id, 9, QPoint(-40, 17)); },
        [id](const AppSettings &s) { return s.customPresetPos(id, 9); }, QPoint(-40, 17));
    row(
        "server port", [](AppSettings &s) { s.setServerPortNum(9000); },
        [](const AppSettings &s) { return s.serverPortNum(); }, 9000);
    row(
        "hotkeys", [](AppSettings &s) { s.setHotkeyAvailable(true); },
        [](const AppSettings &s) { return s.isHotkeyAvailable(); }, true);
}

void tst_AppSettings::roundTrips()
{
    QFETCH(Writer, writer);
    QFETCH(Reader, reader);
    QFETCH(QVariant, expected);
    TestDataHome home;
    {
        AppSettings settings;
        writer(settings);
        QCOMPARE(reader(settings), expected);
    }
    // And from the file, by a store opened afresh.
    AppSettings reopened;
    QCOMPARE(reader(reopened), expected);
}

void tst_AppSettings::keysOnDisk()
{
    TestDataHome home;
    const QString id = QStringLiteral("192.168.1.20");
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
        settings.setPanSpeed(id, 3);
        settings.setCameraLimit(id, 2, 25);
        settings.setPresetName(id, 3, "Stage");
        settings.setPresetAeMode(id, 3, 2);
        settings.setSnapshotBox(id, 3, "box.jpg");
        settings.setHotkeyAvailable(true);
        settings.setSelectedJoystick(1);
        settings.setCustomPresetTitle(id, 12, "Choir");
    }
    QSettings file(fileName, QSettings::IniFormat);
    const QStringList keys = file.childKeys();
    for (const char *key : {"192.168.1.20_pan_speed", "cameralimit_2_192.168.1.20", "mem3192.168.1.20",
                            "192.168.1.20_3_aemode", "snapshotbox192.168.1.203", "is hotkey available",
                            "selected_joystick", "custompresettitle192.168.1.2012"}) {
        QVERIFY2(keys.contains(QLatin1String(key)), key);
    }
    QCOMPARE(file.value("mem3192.168.1.20").toString(), QString("Stage"));
    QCOMPARE(file.value("cameralimit_2_192.168.1.20").toInt(), 25);
}

void tst_AppSettings::colourKeysAreSwappedOnDisk()
{
    TestDataHome home;
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
        settings.setSnapshotBoxColor("cam", 1, QColor(10, 20, 30));
    }
    {
        QSettings file(fileName, QSettings::IniFormat);
        QCOMPARE(file.value("snapshotboxcolor_rcam1").toInt(), 10);
        QCOMPARE(file.value("snapshotboxcolor_gcam1").toInt(), 30);
        QCOMPARE(file.value("snapshotboxcolor_bcam1").toInt(), 20);
        // A file written in this layout by an earlier version keeps its colour.
        file.setValue("snapshotboxcolor_rcam2", 200);
        file.setValue("snapshotboxcolor_gcam2", 10);
        file.setValue("snapshotboxcolor_bcam2", 50);
    }
    AppSettings settings;
    QCOMPARE(settings.snapshotBoxColor("cam", 1), QColor(10, 20, 30, 255));
    QCOMPARE(settings.snapshotBoxColor("cam", 2), QColor(200, 50, 10, 255));
}

void tst_AppSettings::cameraList()
{
    TestDataHome home;
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
        QList<CameraWrapper *> none;
        QCOMPARE(settings.readCameraList(none), 0);
        QVERIFY(none.isEmpty());

        std::vector<std::unique_ptr<CameraWrapper>> owned;
        QList<CameraWrapper *> eight;
        for (int i = 0; i < 8; ++i) {
            if (i == 2)
                owned.emplace_back(new USBCamera("PTZ Cam #1", "Side", "PTZ Cam"));
            else
                owned.emplace_back(
                    new IPCamera(QString("10.0.0.%1").arg(i + 1), QString("Cam %1").arg(i + 1), "0.0.0.0"));
            eight.append(owned.back().get());
        }
        settings.writeCameraList(eight);
        settings.writeCameraList(eight);
    }
    QSettings file(fileName, QSettings::IniFormat);
    QCOMPARE(file.value("cameraslist/size").toInt(), 8);
    QCOMPARE(file.value("cameraslist/3/cameratype").toInt(), 1);
    QCOMPARE(file.value("cameraslist/3/cameraid").toString(), QString("PTZ Cam #1"));
    QCOMPARE(file.value("cameraslist/8/cameraname").toString(), QString("Cam 8"));

    AppSettings settings;
    QList<CameraWrapper *> read;
    settings.readCameraList(read);
    QCOMPARE(read.size(), 8);
    QCOMPARE(read.at(0)->cameraType(), 0);
    QCOMPARE(read.at(0)->cameraId(), QString("10.0.0.1"));
    QCOMPARE(read.at(2)->cameraType(), 1);
    QVERIFY(qobject_cast<USBCamera *>(read.at(2)));
    QCOMPARE(read.at(2)->deviceName(), QString("PTZ Cam"));
    qDeleteAll(read);
}

void tst_AppSettings::viscaTransportRoundTrip()
{
    TestDataHome home;
    QList<CameraRecord> records;
    for (int i = 0; i < 3; ++i) {
        CameraRecord record;
        record.id = QString("10.0.1.%1").arg(i + 1);
        record.name = QString("Cam %1").arg(i + 1);
        record.deviceName = record.id;
        records.append(record);
    }
    records[1].transport = ViscaTransport::Udp;
    records[1].port = 1300;
    records[2].transport = ViscaTransport::SonyUdp;
    records[2].port = 52381;
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
        settings.writeCameraRecords(records);
    }
    {
        QSettings file(fileName, QSettings::IniFormat);
        QCOMPARE(file.value("10.0.1.1_visca_transport").toString(), QString("tcp"));
        QCOMPARE(file.value("10.0.1.1_visca_port").toInt(), 5678);
        QCOMPARE(file.value("10.0.1.2_visca_transport").toString(), QString("udp"));
        QCOMPARE(file.value("10.0.1.2_visca_port").toInt(), 1300);
        QCOMPARE(file.value("10.0.1.3_visca_transport").toString(), QString("sony-udp"));
        QCOMPARE(file.value("10.0.1.3_visca_port").toInt(), 52381);
    }
    AppSettings settings;
    QCOMPARE(settings.readCameraRecords(), records);
    // The cameras built from them use them.
    QList<CameraWrapper *> cameras;
    settings.readCameraList(cameras);
    QCOMPARE(cameras.size(), 3);
    auto *sony = qobject_cast<IPCamera *>(cameras.at(2));
    QVERIFY(sony);
    QCOMPARE(sony->transport(), ViscaTransport::SonyUdp);
    QCOMPARE(sony->port(), quint16(52381));
    QCOMPARE(qobject_cast<IPCamera *>(cameras.at(1))->port(), quint16(1300));
    qDeleteAll(cameras);
}

void tst_AppSettings::viscaTransportDefaults_data()
{
    QTest::addColumn<QVariant>("transport"); // invalid: key absent
    QTest::addColumn<QVariant>("port");
    QTest::addColumn<QString>("readTransport");
    QTest::addColumn<int>("readPort");

    QTest::newRow("both absent") << QVariant() << QVariant() << "tcp" << 5678;
    QTest::newRow("udp, port absent") << QVariant("udp") << QVariant() << "udp" << 1259;
    QTest::newRow("sony-udp, port absent") << QVariant("sony-udp") << QVariant() << "sony-udp" << 52381;
    QTest::newRow("tcp on another port") << QVariant("tcp") << QVariant(5000) << "tcp" << 5000;
    QTest::newRow("unknown transport") << QVariant("serial") << QVariant() << "tcp" << 5678;
    QTest::newRow("unknown transport keeps its port") << QVariant("UDP") << QVariant(1300) << "tcp" << 1300;
    QTest::newRow("port 0") << QVariant("udp") << QVariant(0) << "udp" << 1259;
    QTest::newRow("port 65536") << QVariant("sony-udp") << QVariant(65536) << "sony-udp" << 52381;
    QTest::newRow("negative port") << QVariant("tcp") << QVariant(-1) << "tcp" << 5678;
    QTest::newRow("port as text") << QVariant("udp") << QVariant("many") << "udp" << 1259;
    QTest::newRow("highest port") << QVariant("udp") << QVariant(65535) << "udp" << 65535;
}

void tst_AppSettings::viscaTransportDefaults()
{
    QFETCH(QVariant, transport);
    QFETCH(QVariant, port);
    QFETCH(QString, readTransport);
    QFETCH(int, readPort);

    TestDataHome home;
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
    }
    {
        QSettings file(fileName, QSettings::IniFormat);
        file.setValue("cameraslist/size", 1);
        file.setValue("cameraslist/1/cameratype", 0);
        file.setValue("cameraslist/1/cameraid", "10.0.2.1");
        if (transport.isValid())
            file.setValue("10.0.2.1_visca_transport", transport);
        if (port.isValid())
            file.setValue("10.0.2.1_visca_port", port);
    }
    AppSettings settings;
    const QList<CameraRecord> records = settings.readCameraRecords();
    QCOMPARE(records.size(), 1);
    QCOMPARE(ViscaTransports::name(records.at(0).transport), readTransport);
    QCOMPARE(int(records.at(0).port), readPort);
}

void tst_AppSettings::limitOutsideTableIsNotRead()
{
    TestDataHome home;
    QString fileName;
    {
        AppSettings settings;
        fileName = settings.fileName();
    }
    {
        QSettings file(fileName, QSettings::IniFormat);
        file.setValue("cameralimit_7_cam", 12);
    }
    AppSettings settings;
    QCOMPARE(settings.cameraLimit("cam", 7), 170);
    QCOMPARE(settings.cameraLimit("cam", -1), 170);
}

namespace {
void writeSettingsFile(const QByteArray &content)
{
    QDir().mkpath(TestDataHome::dataFolder());
    QFile file(TestDataHome::dataFolder() + "/settings.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

void tst_AppSettings::damagedCameraListIsBounded()
{
    // A size that claims billions of elements once made start-up build a camera object for each.
    TestDataHome home;
    writeSettingsFile("[cameraslist]\n1\\cameraid=10.0.0.1\n9\\cameraid=10.0.0.9\nsize=2147483647\n");
    AppSettings settings;
    QList<CameraWrapper *> read;
    settings.readCameraList(read);
    QCOMPARE(read.size(), AppSettings::MaxStoredCameras);
    QCOMPARE(read.at(0)->cameraId(), QString("10.0.0.1"));
    QCOMPARE(read.at(7)->cameraId(), QString("0.0.0.0"));
    QCOMPARE(read.at(7)->cameraName(), QString("Camera8"));
    // Beyond the eight slots the stored list stays whole.
    QCOMPARE(read.at(8)->cameraId(), QString("10.0.0.9"));
    qDeleteAll(read);
}

void tst_AppSettings::serializedValuesAreDropped_data()
{
    QTest::addColumn<QByteArray>("line");
    // A QVariant list nested 200000 deep: reading it ran the stream reader out of stack at start-up.
    const QByteArray nested = "@Variant(" + QByteArray("\\0\\0\\0\t\\0\\0\\0\\x1").repeated(200000) + ")";
    // A list that claims 0x7f000000 elements.
    const QByteArray huge = "@Variant(\\0\\0\\0\t\\x7f\\0\\0\\0\\aunknown)";
    QTest::newRow("nested lists") << "1\\cameraid=" + nested;
    QTest::newRow("huge list") << "1\\cameraid=" + huge;
    QTest::newRow("quoted") << "1\\cameraid=\"" + huge + "\"";
    QTest::newRow("hex escape for @") << "1\\cameraid=\\x40" + huge.mid(1);
    QTest::newRow("octal escape for @") << "1\\cameraid=\\100" + huge.mid(1);
    QTest::newRow("list element") << "1\\cameraid=a, " + huge;
    QTest::newRow("date time") << QByteArray("1\\cameraid=@DateTime(\\0\\0\\0\\x10\\xff\\xff\\xff\\xff)");
}

void tst_AppSettings::serializedValuesAreDropped()
{
    QFETCH(QByteArray, line);
    TestDataHome home;
    const QByteArray original = "[General]\nservernic=192.168.1.5\nvmixid=op\n\n[cameraslist]\n" + line
                                + "\n1\\cameraname=Stage\n2\\cameraid=10.0.0.2\nsize=2\n";
    writeSettingsFile(original);

    AppSettings settings;
    QCOMPARE(settings.serverNic(), QString("192.168.1.5"));
    QCOMPARE(settings.vmixId(), QString("op"));
    QList<CameraWrapper *> read;
    settings.readCameraList(read);
    QCOMPARE(read.size(), 2);
    // The unreadable value reads as its default, its neighbours as they were.
    QCOMPARE(read.at(0)->cameraId(), QString("0.0.0.0"));
    QCOMPARE(read.at(0)->cameraName(), QString("Stage"));
    QCOMPARE(read.at(1)->cameraId(), QString("10.0.0.2"));
    qDeleteAll(read);

    QFile kept(settings.fileName() + ".unreadable");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), original);
    QFile cleaned(settings.fileName());
    QVERIFY(cleaned.open(QIODevice::ReadOnly));
    const QByteArray now = cleaned.readAll();
    QVERIFY(!now.contains(line));
    QVERIFY(now.contains("servernic=192.168.1.5"));
}

void tst_AppSettings::joystickSelection_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: absent
    QTest::addColumn<int>("selection");   // -2: none
    QTest::newRow("absent") << QVariant() << -2;
    QTest::newRow("index") << QVariant(1) << 1;
    QTest::newRow("text of a number") << QVariant(QStringLiteral("0")) << 0;
    QTest::newRow("empty list saved") << QVariant(-1) << -1;
    QTest::newRow("not a number") << QVariant(QStringLiteral("first")) << -2;
}

void tst_AppSettings::joystickSelection()
{
    QFETCH(QVariant, stored);
    QFETCH(int, selection);
    TestDataHome home;
    AppSettings settings;
    {
        QSettings file(settings.fileName(), QSettings::IniFormat);
        if (stored.isValid())
            file.setValue(QStringLiteral("selected_joystick"), stored);
    }
    AppSettings reopened;
    QCOMPARE(reopened.joystickSelection().value_or(-2), selection);
}

void tst_AppSettings::joystickChangesAreAnnounced()
{
    // Once per change of either controller setting; storing what is there already says nothing.
    TestDataHome home;
    AppSettings settings;
    QSignalSpy changed(&settings, &AppSettings::joystickSettingsChanged);
    settings.setJoystickAvailable(true);
    QCOMPARE(changed.count(), 1);
    settings.setJoystickAvailable(true);
    QCOMPARE(changed.count(), 1);
    settings.setSelectedJoystick(0); // absent before: a selection now
    QCOMPARE(changed.count(), 2);
    settings.setSelectedJoystick(0);
    QCOMPARE(changed.count(), 2);
    settings.setSelectedJoystick(1);
    settings.setJoystickAvailable(false);
    QCOMPARE(changed.count(), 4);
    QCOMPARE(settings.joystickSelection().value_or(-2), 1);
    QVERIFY(!settings.isJoystickAvailable());
}

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_appsettings.moc"
