#include "appsettings.h"
#include "camerawrapper.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "ipcamera.h"
#include "multicameras.h"
#include "screenshot.h"
#include "tallytracker.h"
#include "tavimorexapp.h"
#include "testdatahome.h"
#include "usbcamera.h"

#include <lensgrip/devicebackend.h>
#include <simulatedbackend.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// One element of the stored camera list, as the settings file holds it.
struct StoredCamera
{
    int type = 0;
    QString id;
    QString name;
    QString device;

    bool operator==(const StoredCamera &other) const
    {
        return type == other.type && id == other.id && name == other.name && device == other.device;
    }
};

StoredCamera network(const QString &address, const QString &name)
{
    return {0, address, name, address};
}

StoredCamera usb(const QString &device, const QString &name)
{
    return {1, device, name, device};
}

// What the settings hold before each test: network and USB slots, one USB device that is not attached.
const QList<StoredCamera> InitialList = {
    network("192.168.1.20", "Studio Left"), usb("PTZ Cam", "Desk"),
    usb("USB Camera #1", "Spare"),          usb("Old Cam", "Gone"),
    network("0.0.0.0", "Camera5"),          network("10.0.0.6", "Balcony"),
    network("10.0.0.7", "Pulpit"),          network("10.0.0.8", "Back"),
};

// The switcher fakes the application's links follow. Their usual show: OBS scenes "Camera 1", "Camera 2",
// "Slides"; vMix inputs "Colour Bars", "Camera 1", "Camera 2", a video and a title.
const QString ObsAddress = QStringLiteral("127.0.47.2");
const QString VMixAddress = QStringLiteral("127.0.47.3");
constexpr quint16 ObsPort = 4455;
constexpr quint16 VMixPort = 8088;
const QStringList ObsScenes = {"Camera 1", "Camera 2", "Slides"};
const QStringList VMixTitles = {"Colour Bars", "Camera 1", "Camera 2", "Opener.mp4", "Lower Third.gtzip"};
constexpr int LinkWaitMs = 10000;

// The tally sources stored before each test, by camera id; the other cameras have none.
const QList<std::pair<QString, std::pair<QString, QString>>> InitialSources = {
    {"192.168.1.20", {"Camera 1", ""}},
    {"PTZ Cam", {"", "3"}},
    {"10.0.0.6", {"Slides", "Camera 2"}},
};

// "obs|vmix" as init() stores them for a camera id.
QString initialSourcesOf(const QString &id)
{
    for (const auto &[sourceId, sources] : InitialSources) {
        if (sourceId == id)
            return sources.first + '|' + sources.second;
    }
    return QStringLiteral("|");
}

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

// The simulated cameras, in enumeration order; the library numbers the repeated name.
const QStringList AttachedCards = {"USB Camera", "PTZ Cam", "USB Camera"};
const QStringList ListedDevices = {"USB Camera", "PTZ Cam", "USB Camera #1"};

// What OK without changes stores: a USB slot shows (and so stores) what is attached now.
QList<StoredCamera> unchangedResult(bool devicesAttached)
{
    QList<StoredCamera> list = InitialList;
    if (devicesAttached) {
        list[3] = usb("USB Camera", "Gone");
    } else {
        list[1] = usb(QString(), "Desk");
        list[2] = usb(QString(), "Spare");
        list[3] = usb(QString(), "Gone");
    }
    return list;
}

} // namespace

QT_BEGIN_NAMESPACE
namespace QTest {
template<>
inline char *toString(const StoredCamera &camera)
{
    return qstrdup(QStringLiteral("{type %1, id \"%2\", name \"%3\", device \"%4\"}")
                       .arg(camera.type)
                       .arg(camera.id, camera.name, camera.device)
                       .toUtf8()
                       .constData());
}
} // namespace QTest
QT_END_NAMESPACE

using CloseAction = std::function<void(MultiCameras &)>;

Q_DECLARE_METATYPE(StoredCamera)
Q_DECLARE_METATYPE(CloseAction)

class tst_MultiCameras : public QObject
{
    Q_OBJECT

public:
    explicit tst_MultiCameras(TavimorexApp *app) : m_app(app) {}

private Q_SLOTS:
    void init();
    void cleanup();

    void formAndWindow();
    void listsAttachedDevicesInLibraryOrder();
    void loadsSlotsFromCameraList_data();
    void loadsSlotsFromCameraList();
    void okWritesSlotsAsTyped_data();
    void okWritesSlotsAsTyped();
    void okWithoutChangesRewritesTheList_data();
    void okWithoutChangesRewritesTheList();
    void resultAndWritingByHowItCloses_data();
    void resultAndWritingByHowItCloses();
    void transportRows_data();
    void transportRows();
    void sameAddressAndPortRefused();
    void tallyFieldsPerSlot();
    void tallySourcesOffered();
    void tallySourcesSaved_data();
    void tallySourcesSaved();
    void tooLongTallySourceRefused_data();
    void tooLongTallySourceRefused();
    void screenshot();

private:
    void attachDevices(bool attached);
    QList<StoredCamera> storedList() const;
    // Every stored camera's sources, "id obs|vmix", in the list's order.
    QStringList storedSources() const;
    // Until both links have read the fakes' scenes and inputs.
    bool waitForSwitcherLists() const;

    template<class T>
    static T *slotWidget(const MultiCameras &dialog, const char *name, int n)
    {
        return dialog.findChild<T *>(QLatin1String(name) + QString::number(n));
    }
    static void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void clickRadio(QRadioButton *radio)
    {
        // On the indicator: the button may be wider than its clickable part.
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    }

    TavimorexApp *m_app;
};

void tst_MultiCameras::init()
{
    attachDevices(true);
    QList<CameraWrapper *> cameras;
    for (const StoredCamera &stored : InitialList) {
        if (stored.type == 0)
            cameras.append(new IPCamera(stored.id, stored.name, stored.device));
        else
            cameras.append(new USBCamera(stored.id, stored.name, stored.device));
    }
    m_app->settings()->writeCameraList(cameras);
    for (const CameraWrapper *camera : std::as_const(cameras)) {
        m_app->settings()->setTallyObs(camera->cameraId(), QString());
        m_app->settings()->setTallyVmix(camera->cameraId(), QString());
    }
    for (const auto &[id, sources] : InitialSources) {
        m_app->settings()->setTallyObs(id, sources.first);
        m_app->settings()->setTallyVmix(id, sources.second);
    }
    qDeleteAll(cameras);
    m_app->loadCameras();
    m_app->connectCameraSignals();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(storedList(), InitialList);
}

void tst_MultiCameras::cleanup()
{
    lensgrip::setDeviceBackend(nullptr);
}

void tst_MultiCameras::attachDevices(bool attached)
{
    auto backend = std::make_shared<lensgrip::SimulatedBackend>();
    if (attached) {
        for (const QString &card : AttachedCards)
            backend->addCamera(card.toStdString());
    }
    lensgrip::setDeviceBackend(backend);
}

QList<StoredCamera> tst_MultiCameras::storedList() const
{
    // A second QSettings on the same file shares the store's unsaved values within this process.
    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QList<StoredCamera> list;
    const int size = file.beginReadArray(QStringLiteral("cameraslist"));
    for (int i = 0; i < size; ++i) {
        file.setArrayIndex(i);
        list.append({file.value(QStringLiteral("cameratype")).toInt(),
                     file.value(QStringLiteral("cameraid")).toString(),
                     file.value(QStringLiteral("cameraname")).toString(),
                     file.value(QStringLiteral("devicename")).toString()});
    }
    file.endArray();
    return list;
}

QStringList tst_MultiCameras::storedSources() const
{
    QStringList sources;
    for (const StoredCamera &camera : storedList())
        sources.append(camera.id + ' ' + m_app->settings()->tallyObs(camera.id) + '|'
                       + m_app->settings()->tallyVmix(camera.id));
    return sources;
}

bool tst_MultiCameras::waitForSwitcherLists() const
{
    const bool ready = QTest::qWaitFor(
        [this] { return m_app->obsScenes() == ObsScenes && m_app->vmixInputs() == VMixTitles; }, LinkWaitMs);
    if (!ready)
        qWarning() << "the links know" << m_app->obsScenes() << m_app->vmixInputs();
    return ready;
}

void tst_MultiCameras::formAndWindow()
{
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.windowTitle(), QString("Multi Camera Setting"));
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog.minimumWidth(), 600);
    QVERIFY(dialog.width() >= 600);
    QCOMPARE(dialog.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    for (int n = 1; n <= 8; ++n) {
        const QString groupName = n == 1 ? QString("groupBox") : QString("groupBox_%1").arg(n);
        auto *group = dialog.findChild<QGroupBox *>(groupName);
        QVERIFY2(group, qPrintable(groupName));
        QCOMPARE(group->title(), QString("Camera%1").arg(n));

        auto *name = slotWidget<QLineEdit>(dialog, "camName", n);
        auto *ipRadio = slotWidget<QRadioButton>(dialog, "ipRadio", n);
        auto *address = slotWidget<QLineEdit>(dialog, "camIP", n);
        auto *usbRadio = slotWidget<QRadioButton>(dialog, "usbRadio", n);
        auto *device = slotWidget<QComboBox>(dialog, "usbCam", n);
        QVERIFY(name && ipRadio && address && usbRadio && device);
        for (QWidget *widget :
             {static_cast<QWidget *>(name), static_cast<QWidget *>(ipRadio), static_cast<QWidget *>(address),
              static_cast<QWidget *>(usbRadio), static_cast<QWidget *>(device)})
            QVERIFY(group->isAncestorOf(widget));
        QCOMPARE(name->placeholderText(), QString("Camera Name"));
        QCOMPARE(address->placeholderText(), QString("IP Address"));
        QCOMPARE(ipRadio->text(), QString("IP Camera"));
        QCOMPARE(usbRadio->text(), QString("USB Camera"));
        QVERIFY(!device->isEditable());
        QVERIFY(!group->findChildren<QLabel *>().isEmpty());
        QCOMPARE(group->findChildren<QLabel *>().first()->text(), QString("Camera Name"));

        // The two choices of a slot exclude each other, and only each other; the fields stay usable.
        const bool otherSlotWasNetwork = slotWidget<QRadioButton>(dialog, "ipRadio", n % 8 + 1)->isChecked();
        clickRadio(usbRadio);
        QVERIFY(usbRadio->isChecked());
        QVERIFY(!ipRadio->isChecked());
        clickRadio(ipRadio);
        QVERIFY(ipRadio->isChecked());
        QVERIFY(!usbRadio->isChecked());
        QCOMPARE(slotWidget<QRadioButton>(dialog, "ipRadio", n % 8 + 1)->isChecked(), otherSlotWasNetwork);
        QVERIFY(address->isEnabled() && device->isEnabled());
    }

    // Slots 1-4 on the left, 5-8 on the right, each column top to bottom.
    auto groupAt = [&](int n) {
        return dialog.findChild<QGroupBox *>(n == 1 ? QString("groupBox") : QString("groupBox_%1").arg(n));
    };
    for (int n = 1; n <= 4; ++n) {
        QVERIFY(groupAt(n)->x() < groupAt(n + 4)->x());
        if (n > 1)
            QVERIFY(groupAt(n - 1)->y() < groupAt(n)->y());
    }

    auto *cancel = dialog.findChild<QPushButton *>("multiDlgCancel");
    auto *ok = dialog.findChild<QPushButton *>("multiDlgOK");
    QVERIFY(cancel && ok);
    QCOMPARE(cancel->text(), QString("Cancel"));
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(cancel->x() < ok->x());
    QVERIFY(ok->y() > groupAt(4)->y() + groupAt(4)->height() - 1);

    // The dark dialog style: the dialog's background and the fields' colours as drawn.
    const QImage picture = dialog.grab().toImage();
    QCOMPARE(QColor(picture.pixel(2, 2)), QColor("#333333"));
    auto *address = slotWidget<QLineEdit>(dialog, "camIP", 1);
    const QPoint inside = address->mapTo(&dialog, QPoint(address->width() - 4, address->height() / 2));
    QCOMPARE(QColor(picture.pixel(inside)), QColor("#111111"));
}

void tst_MultiCameras::listsAttachedDevicesInLibraryOrder()
{
    MultiCameras dialog;
    for (int n = 1; n <= 8; ++n) {
        auto *device = slotWidget<QComboBox>(dialog, "usbCam", n);
        QStringList items;
        for (int i = 0; i < device->count(); ++i)
            items.append(device->itemText(i));
        QCOMPARE(items, ListedDevices);
    }

    attachDevices(false);
    MultiCameras empty;
    for (int n = 1; n <= 8; ++n)
        QCOMPARE(slotWidget<QComboBox>(empty, "usbCam", n)->count(), 0);
}

void tst_MultiCameras::loadsSlotsFromCameraList_data()
{
    QTest::addColumn<bool>("devicesAttached");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("device");

    QTest::newRow("network slot") << true << 1 << "Studio Left" << true << "192.168.1.20"
                                  << "USB Camera";
    QTest::newRow("default network slot") << true << 5 << "Camera5" << true << "0.0.0.0"
                                          << "USB Camera";
    QTest::newRow("USB slot") << true << 2 << "Desk" << false << "0.0.0.0"
                              << "PTZ Cam";
    QTest::newRow("USB slot, repeated name") << true << 3 << "Spare" << false << "0.0.0.0"
                                             << "USB Camera #1";
    QTest::newRow("USB slot, device absent") << true << 4 << "Gone" << false << "0.0.0.0"
                                             << "USB Camera";
    QTest::newRow("USB slot, no devices") << false << 2 << "Desk" << false << "0.0.0.0"
                                          << "";
}

void tst_MultiCameras::loadsSlotsFromCameraList()
{
    QFETCH(bool, devicesAttached);
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(bool, network);
    QFETCH(QString, address);
    QFETCH(QString, device);

    attachDevices(devicesAttached);
    MultiCameras dialog;
    QCOMPARE(slotWidget<QLineEdit>(dialog, "camName", slot)->text(), name);
    QCOMPARE(slotWidget<QRadioButton>(dialog, "ipRadio", slot)->isChecked(), network);
    QCOMPARE(slotWidget<QRadioButton>(dialog, "usbRadio", slot)->isChecked(), !network);
    QCOMPARE(slotWidget<QLineEdit>(dialog, "camIP", slot)->text(), address);
    QCOMPARE(slotWidget<QComboBox>(dialog, "usbCam", slot)->currentText(), device);
}

void tst_MultiCameras::okWritesSlotsAsTyped_data()
{
    QTest::addColumn<bool>("devicesAttached");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("chooseUsb");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("deviceIndex");
    QTest::addColumn<StoredCamera>("expected");

    QTest::newRow("network slot") << true << 6 << "Stage" << false << "192.168.1.50" << -1
                                  << network("192.168.1.50", "Stage");
    QTest::newRow("USB slot made network")
        << true << 2 << "Desk" << false << "10.1.1.2" << -1 << network("10.1.1.2", "Desk");
    QTest::newRow("empty address") << true << 1 << "Studio Left" << false << "" << -1
                                   << network("", "Studio Left");
    QTest::newRow("empty name") << true << 7 << "" << false << "10.0.0.7" << -1 << network("10.0.0.7", "");
    QTest::newRow("texts kept as typed")
        << true << 8 << " Back Cam " << false << " 10.0.0.8 " << -1 << network(" 10.0.0.8 ", " Back Cam ");
    QTest::newRow("USB slot with devices")
        << true << 5 << "Wide" << true << "" << 2 << usb("USB Camera #1", "Wide");
    QTest::newRow("USB slot, first device")
        << true << 6 << "Balcony" << true << "" << -1 << usb("USB Camera", "Balcony");
    QTest::newRow("USB slot without devices") << false << 5 << "Wide" << true << "" << -1 << usb("", "Wide");
}

void tst_MultiCameras::okWritesSlotsAsTyped()
{
    QFETCH(bool, devicesAttached);
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(bool, chooseUsb);
    QFETCH(QString, address);
    QFETCH(int, deviceIndex);
    QFETCH(StoredCamera, expected);

    attachDevices(devicesAttached);
    QList<QPointer<CameraWrapper>> liveCameras;
    for (CameraWrapper *camera : m_app->cameras())
        liveCameras.append(camera);

    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    typeInto(slotWidget<QLineEdit>(dialog, "camName", slot), name);
    if (chooseUsb) {
        clickRadio(slotWidget<QRadioButton>(dialog, "usbRadio", slot));
        if (deviceIndex >= 0)
            slotWidget<QComboBox>(dialog, "usbCam", slot)->setCurrentIndex(deviceIndex);
    } else {
        clickRadio(slotWidget<QRadioButton>(dialog, "ipRadio", slot));
        typeInto(slotWidget<QLineEdit>(dialog, "camIP", slot), address);
    }
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QList<StoredCamera> expectedList = unchangedResult(devicesAttached);
    expectedList[slot - 1] = expected;
    const QList<StoredCamera> stored = storedList();
    QCOMPARE(stored.size(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(stored.at(i), expectedList.at(i));

    // Rebuilding the live cameras is the caller's business: the dialog leaves them alone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_app->cameras().size(), liveCameras.size());
    for (int i = 0; i < liveCameras.size(); ++i) {
        QVERIFY(liveCameras.at(i));
        QCOMPARE(m_app->cameras().at(i), liveCameras.at(i).data());
    }
}

void tst_MultiCameras::okWithoutChangesRewritesTheList_data()
{
    QTest::addColumn<bool>("devicesAttached");
    QTest::newRow("devices attached") << true;
    QTest::newRow("no devices") << false;
}

void tst_MultiCameras::okWithoutChangesRewritesTheList()
{
    QFETCH(bool, devicesAttached);
    attachDevices(devicesAttached);

    MultiCameras dialog;
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QList<StoredCamera> stored = storedList();
    const QList<StoredCamera> expected = unchangedResult(devicesAttached);
    QCOMPARE(stored.size(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(stored.at(i), expected.at(i));

    // What was written is what the application loads as its new cameras.
    m_app->loadCameras();
    m_app->connectCameraSignals();
    const QList<CameraWrapper *> cameras = m_app->cameras();
    QCOMPARE(cameras.size(), 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(cameras.at(i)->cameraType(), expected.at(i).type);
        QCOMPARE(cameras.at(i)->cameraId(), expected.at(i).id);
        QCOMPARE(cameras.at(i)->cameraName(), expected.at(i).name);
        QCOMPARE(cameras.at(i)->deviceName(), expected.at(i).device);
    }
}

void tst_MultiCameras::resultAndWritingByHowItCloses_data()
{
    using Close = CloseAction;
    QTest::addColumn<Close>("close");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("written");

    QTest::newRow("OK") << Close([](MultiCameras &dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    }) << int(QDialog::Accepted)
                        << true;
    QTest::newRow("Cancel") << Close([](MultiCameras &dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgCancel"), Qt::LeftButton);
    }) << int(QDialog::Rejected)
                            << false;
    QTest::newRow("window close button")
        << Close([](MultiCameras &dialog) { dialog.close(); }) << int(QDialog::Rejected) << false;
    QTest::newRow("Escape") << Close([](MultiCameras &dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); })
                            << int(QDialog::Rejected) << false;
}

void tst_MultiCameras::resultAndWritingByHowItCloses()
{
    QFETCH(CloseAction, close);
    QFETCH(int, result);
    QFETCH(bool, written);

    QList<QPointer<CameraWrapper>> liveCameras;
    for (CameraWrapper *camera : m_app->cameras())
        liveCameras.append(camera);

    // Modal, as the control window runs it: the operator edits two slots, then leaves one way or another.
    MultiCameras dialog;
    bool acted = false;
    QTimer::singleShot(0, &dialog, [&] {
        typeInto(slotWidget<QLineEdit>(dialog, "camName", 1), QStringLiteral("Changed"));
        clickRadio(slotWidget<QRadioButton>(dialog, "usbRadio", 6));
        close(dialog);
        acted = true;
    });
    QCOMPARE(dialog.exec(), result);
    QVERIFY(acted);
    QVERIFY(!dialog.isVisible());

    QList<StoredCamera> expected = InitialList;
    if (written) {
        expected = unchangedResult(true);
        expected[0].name = QStringLiteral("Changed");
        expected[5] = usb("USB Camera", "Balcony");
    }
    QCOMPARE(storedList(), expected);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int i = 0; i < liveCameras.size(); ++i) {
        QVERIFY(liveCameras.at(i));
        QCOMPARE(m_app->cameras().at(i), liveCameras.at(i).data());
    }
    QCOMPARE(m_app->cameras().at(0)->cameraName(), QString("Studio Left"));
}

void tst_MultiCameras::transportRows_data()
{
    QTest::addColumn<int>("transportIndex");
    QTest::addColumn<int>("port"); // 0: keep the one the transport filled in
    QTest::addColumn<QString>("storedTransport");
    QTest::addColumn<int>("storedPort");

    QTest::newRow("VISCA TCP") << 0 << 0 << "tcp" << 5678;
    QTest::newRow("VISCA UDP") << 1 << 0 << "udp" << 1259;
    QTest::newRow("Sony VISCA over IP") << 2 << 0 << "sony-udp" << 52381;
    QTest::newRow("VISCA UDP on another port") << 1 << 1300 << "udp" << 1300;
    QTest::newRow("VISCA TCP on another port") << 0 << 5000 << "tcp" << 5000;
}

void tst_MultiCameras::transportRows()
{
    QFETCH(int, transportIndex);
    QFETCH(int, port);
    QFETCH(QString, storedTransport);
    QFETCH(int, storedPort);

    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *transport = slotWidget<QComboBox>(dialog, "viscaTransport", 6);
    auto *portBox = slotWidget<QSpinBox>(dialog, "viscaPort", 6);
    QVERIFY(transport && portBox);
    QCOMPARE(transport->count(), 3);
    QCOMPARE(transport->itemText(0), QString("VISCA TCP"));
    QCOMPARE(transport->itemText(1), QString("VISCA UDP"));
    QCOMPARE(transport->itemText(2), QString("Sony VISCA over IP"));
    // A stored network camera without the keys shows the defaults.
    QCOMPARE(transport->currentIndex(), 0);
    QCOMPARE(portBox->value(), 5678);

    // Going through another transport first: the port follows the transport chosen.
    transport->setCurrentIndex((transportIndex + 1) % 3);
    transport->setCurrentIndex(transportIndex);
    const int filledIn[] = {5678, 1259, 52381};
    QCOMPARE(portBox->value(), filledIn[transportIndex]);
    if (port)
        portBox->setValue(port);
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value("10.0.0.6_visca_transport").toString(), storedTransport);
    QCOMPARE(file.value("10.0.0.6_visca_port").toInt(), storedPort);

    // And the dialog opened again shows them.
    m_app->loadCameras();
    MultiCameras again;
    QCOMPARE(slotWidget<QComboBox>(again, "viscaTransport", 6)->currentIndex(), transportIndex);
    QCOMPARE(slotWidget<QSpinBox>(again, "viscaPort", 6)->value(), storedPort);
}

void tst_MultiCameras::sameAddressAndPortRefused()
{
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Slot 6 already is 10.0.0.6 on VISCA TCP 5678.
    typeInto(slotWidget<QLineEdit>(dialog, "camIP", 8), "10.0.0.6");
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    auto *error = dialog.findChild<QLabel *>("multiDlgError");
    QVERIFY(error && error->isVisible());
    QCOMPARE(error->text(), QString("Camera 6 and camera 8 both use 10.0.0.6 port 5678: give each camera its "
                                    "own address or port."));
    QCOMPARE(storedList(), InitialList);

    // Another port on the same address is fine.
    slotWidget<QComboBox>(dialog, "viscaTransport", 8)->setCurrentIndex(2);
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedList().at(7).id, QString("10.0.0.6"));
}

void tst_MultiCameras::tallyFieldsPerSlot()
{
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int n = 1; n <= 8; ++n) {
        auto *group
            = dialog.findChild<QGroupBox *>(n == 1 ? QString("groupBox") : QString("groupBox_%1").arg(n));
        auto *obs = slotWidget<QComboBox>(dialog, "tallyObs", n);
        auto *vmix = slotWidget<QComboBox>(dialog, "tallyVmix", n);
        auto *obsLabel = slotWidget<QLabel>(dialog, "tallyObsLabel", n);
        auto *vmixLabel = slotWidget<QLabel>(dialog, "tallyVmixLabel", n);
        QVERIFY(group && obs && vmix && obsLabel && vmixLabel);
        for (QWidget *widget : {static_cast<QWidget *>(obs), static_cast<QWidget *>(vmix),
                                static_cast<QWidget *>(obsLabel), static_cast<QWidget *>(vmixLabel)})
            QVERIFY(group->isAncestorOf(widget));
        QCOMPARE(obsLabel->text(), QString("OBS Tally"));
        QCOMPARE(vmixLabel->text(), QString("vMix Tally"));
        // Free text: a scene or input the links have not listed (yet) can be typed.
        QVERIFY(obs->isEditable() && vmix->isEditable());
        QVERIFY(obs->isVisible() && vmix->isVisible());
        QCOMPARE(obs->lineEdit()->placeholderText(), QString("OBS scene"));
        QCOMPARE(vmix->lineEdit()->placeholderText(), QString("vMix input"));
        // Below the camera's kind, OBS above vMix, each beside its label.
        QVERIFY(obs->y() > slotWidget<QComboBox>(dialog, "usbCam", n)->y());
        QVERIFY(obs->y() < vmix->y());
        QVERIFY(obsLabel->x() < obs->x()
                && qAbs(obsLabel->geometry().center().y() - obs->geometry().center().y()) < 4);
        QVERIFY(vmixLabel->x() < vmix->x()
                && qAbs(vmixLabel->geometry().center().y() - vmix->geometry().center().y()) < 4);
    }

    // Filled from the settings by each slot's camera id.
    const QStringList expected = {"Camera 1|", "|3", "|", "|", "|", "Slides|Camera 2", "|", "|"};
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(slotWidget<QComboBox>(dialog, "tallyObs", n)->currentText() + '|'
                     + slotWidget<QComboBox>(dialog, "tallyVmix", n)->currentText(),
                 expected.at(n - 1));
    }
}

void tst_MultiCameras::tallySourcesOffered()
{
    QVERIFY(waitForSwitcherLists());
    MultiCameras dialog;
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(items(slotWidget<QComboBox>(dialog, "tallyObs", n)), ObsScenes);
        QCOMPARE(items(slotWidget<QComboBox>(dialog, "tallyVmix", n)), VMixTitles);
    }
    // The lists offer; they do not choose: a slot without a source stays empty, a stored one shows as is.
    QCOMPARE(slotWidget<QComboBox>(dialog, "tallyObs", 3)->currentText(), QString());
    QCOMPARE(slotWidget<QComboBox>(dialog, "tallyVmix", 1)->currentText(), QString());
    QCOMPARE(slotWidget<QComboBox>(dialog, "tallyVmix", 2)->currentText(), QString("3"));

    // Choosing from the drop-down fills the field with the name.
    auto *obs = slotWidget<QComboBox>(dialog, "tallyObs", 3);
    obs->setCurrentIndex(2);
    QCOMPARE(obs->currentText(), QString("Slides"));
}

void tst_MultiCameras::tallySourcesSaved_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("obsIndex"); // -1: type obsText
    QTest::addColumn<QString>("obsText");
    QTest::addColumn<int>("vmixIndex"); // -1: type vmixText
    QTest::addColumn<QString>("vmixText");
    QTest::addColumn<QString>("expected"); // the slot's stored "id obs|vmix"

    QTest::newRow("chosen from the lists") << 8 << 1 << "" << 3 << ""
                                           << "10.0.0.8 Camera 2|Opener.mp4";
    QTest::newRow("typed, not listed") << 7 << -1 << "Wide Shot" << -1 << "4"
                                       << "10.0.0.7 Wide Shot|4";
    QTest::newRow("vMix key") << 1 << -1 << "Camera 1" << -1 << "a1b2c3d4-0000-4e00-8000-000000000001"
                              << "192.168.1.20 Camera 1|a1b2c3d4-0000-4e00-8000-000000000001";
    QTest::newRow("cleared") << 6 << -1 << "" << -1 << ""
                             << "10.0.0.6 |";
    QTest::newRow("exactly 200 characters") << 7 << -1 << QString(200, 'o') << -1 << QString(200, 'v')
                                            << "10.0.0.7 " + QString(200, 'o') + '|' + QString(200, 'v');
}

void tst_MultiCameras::tallySourcesSaved()
{
    QFETCH(int, slot);
    QFETCH(int, obsIndex);
    QFETCH(QString, obsText);
    QFETCH(int, vmixIndex);
    QFETCH(QString, vmixText);
    QFETCH(QString, expected);

    QVERIFY(waitForSwitcherLists());
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *obs = slotWidget<QComboBox>(dialog, "tallyObs", slot);
    auto *vmix = slotWidget<QComboBox>(dialog, "tallyVmix", slot);
    if (obsIndex >= 0) {
        obs->setCurrentIndex(obsIndex);
    } else {
        obs->clearEditText();
        QTest::keyClicks(obs->lineEdit(), obsText);
    }
    if (vmixIndex >= 0) {
        vmix->setCurrentIndex(vmixIndex);
    } else {
        vmix->clearEditText();
        QTest::keyClicks(vmix->lineEdit(), vmixText);
    }
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // The other slots keep theirs (slot 4's absent device became the first attached one, without sources).
    QStringList expectedSources;
    for (const StoredCamera &camera : unchangedResult(true))
        expectedSources.append(camera.id + ' ' + initialSourcesOf(camera.id));
    expectedSources[slot - 1] = expected;
    QCOMPARE(storedSources(), expectedSources);
    // The settings file holds the keys by the camera id.
    const QString id = storedList().at(slot - 1).id;
    m_app->settings()->sync();
    QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(id + "_tally_obs").toString() + '|' + file.value(id + "_tally_vmix").toString(),
             expected.mid(id.size() + 1));

    // Rebuilt as the control window does after OK: the tally owner judges the camera by the new sources,
    // and the dialog opened again shows them.
    m_app->loadCameras();
    m_app->connectCameraSignals();
    TallyTracker *tally = m_app->tallyTracker();
    QVERIFY(tally);
    QCOMPARE(id + ' ' + tally->obsSource(id) + '|' + tally->vmixSource(id), expected);
    MultiCameras again;
    QCOMPARE(id + ' ' + slotWidget<QComboBox>(again, "tallyObs", slot)->currentText() + '|'
                 + slotWidget<QComboBox>(again, "tallyVmix", slot)->currentText(),
             expected);
}

void tst_MultiCameras::tooLongTallySourceRefused_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("obsField");
    QTest::addColumn<QString>("message");

    QTest::newRow("OBS scene") << 2 << true
                               << "Camera 2: the OBS tally source is longer than 200 characters.";
    QTest::newRow("vMix input") << 8 << false
                                << "Camera 8: the vMix tally source is longer than 200 characters.";
}

void tst_MultiCameras::tooLongTallySourceRefused()
{
    QFETCH(int, slot);
    QFETCH(bool, obsField);
    QFETCH(QString, message);

    const QStringList before = storedSources();
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Another slot changed too: nothing of the list may be written.
    typeInto(slotWidget<QLineEdit>(dialog, "camName", 1), QStringLiteral("Changed"));
    auto *field = slotWidget<QComboBox>(dialog, obsField ? "tallyObs" : "tallyVmix", slot);
    field->setEditText(QString(201, 'x'));
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);

    QVERIFY(dialog.isVisible());
    auto *error = dialog.findChild<QLabel *>("multiDlgError");
    QVERIFY(error && error->isVisible());
    QCOMPARE(error->text(), message);
    QCOMPARE(storedList(), InitialList);
    QCOMPARE(storedSources(), before);
    // What was typed stays for the operator to shorten; then OK goes through.
    QCOMPARE(field->currentText(), QString(201, 'x'));
    field->setEditText(QString(200, 'x'));
    QTest::mouseClick(dialog.findChild<QPushButton *>("multiDlgOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QString id = storedList().at(slot - 1).id;
    QCOMPARE(obsField ? m_app->settings()->tallyObs(id) : m_app->settings()->tallyVmix(id),
             QString(200, 'x'));
}

void tst_MultiCameras::screenshot()
{
    QVERIFY(waitForSwitcherLists());
    MultiCameras dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(saveScreenshot(&dialog, QStringLiteral("multicameras")));
}

int main(int argc, char **argv)
{
    TestDataHome home;
    if (!TestDataHome::writeStartupSettings({{"enableobsctrl", true},
                                             {"obsip", ObsAddress},
                                             {"obsport", ObsPort},
                                             {"enablevmixctrl", true},
                                             {"vmixip", VMixAddress},
                                             {"vmixport", VMixPort}}))
        return 1;
    TavimorexApp app(argc, argv);
    // Sockets need the application's event loop; the links find the switchers at one of their retries.
    FakeObs5Server obs;
    FakeVMix vmix;
    if (!obs.listen(QHostAddress(ObsAddress), ObsPort) || !vmix.listen(QHostAddress(VMixAddress), VMixPort)) {
        qCritical("cannot start the fake switchers");
        return 1;
    }
    tst_MultiCameras test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_multicameras.moc"
