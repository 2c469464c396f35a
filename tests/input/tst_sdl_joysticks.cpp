#include "sdl_joysticks.h"
#include "virtualpad.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The SDL back end on its own, fed by SDL's virtual joysticks. This executable carries its own mapping
// resources at the paths the back end reads, so loading them is checked here.
class TestSdlJoysticks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadsMappingDatabase();
    void appliesGenericMappingToPlainJoysticks();
    void listsAttachedDevices();
    void unknownDeviceNumberGivesEmptyDescription();
    void eventRecordsDescribeTheirDevice();
    void eventsOfRemainingPadsCarryTheirNewDeviceNumber();
    void removalRaisesCountChanged();
    void rumble_data();
    void rumble();

private:
    // Lets the back end open everything attached so far.
    void waitForAttach(QSignalSpy &countSpy, int expectedCount);

    std::unique_ptr<SDL_Joysticks> m_backEnd;
};

void TestSdlJoysticks::init()
{
    m_backEnd = std::make_unique<SDL_Joysticks>();
}

void TestSdlJoysticks::cleanup()
{
    m_backEnd.reset();
}

void TestSdlJoysticks::waitForAttach(QSignalSpy &countSpy, int expectedCount)
{
    QTRY_COMPARE_WITH_TIMEOUT(countSpy.count(), expectedCount, 5000);
}

void TestSdlJoysticks::loadsMappingDatabase()
{
    const SDL_JoystickGUID guid = SDL_JoystickGetGUIDFromString("03000000d00d0000efbe000000000000");
    char *mapping = SDL_GameControllerMappingForGUID(guid);
    QVERIFY(mapping);
    const QString text = QString::fromUtf8(mapping);
    SDL_free(mapping);
    QVERIFY2(text.contains(QLatin1String("Tavimorex Test Pad,a:b0,b:b1")), qPrintable(text));
}

void TestSdlJoysticks::appliesGenericMappingToPlainJoysticks()
{
    QSignalSpy countSpy(m_backEnd.get(), &SDL_Joysticks::countChanged);
    VirtualPad pad("Plain Stick", 4, 4, 0);
    QVERIFY(pad.isValid());
    QVERIFY(!SDL_IsGameController(pad.deviceIndex()));

    waitForAttach(countSpy, 1);

    QVERIFY(SDL_IsGameController(pad.deviceIndex()));
    char *mapping = SDL_GameControllerMappingForDeviceIndex(pad.deviceIndex());
    QVERIFY(mapping);
    const QString text = QString::fromUtf8(mapping);
    SDL_free(mapping);
    QVERIFY2(text.contains(QLatin1String(",Plain Stick,a:b0,b:b1,x:b2,y:b3,leftx:a0,lefty:a1")),
             qPrintable(text));
}

void TestSdlJoysticks::listsAttachedDevices()
{
    QVERIFY(m_backEnd->listJoysticks().isEmpty());

    VirtualPad first("First Pad", 6, 12, 1);
    VirtualPad second("Second Pad", 2, 3, 2);
    QVERIFY(first.isValid() && second.isValid());

    const QList<QJoystickDevice> devices = m_backEnd->listJoysticks();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices[0].id, 0);
    QCOMPARE(devices[0].name, QStringLiteral("First Pad"));
    QCOMPARE(devices[0].instanceId, first.instanceId());
    QCOMPARE(devices[0].axes, QList<double>(6, 0.0));
    QCOMPARE(devices[0].buttons, QList<bool>(12, false));
    QCOMPARE(devices[0].povs, QList<int>(1, 0));
    QVERIFY(!devices[0].blacklisted);
    QCOMPARE(devices[1].id, 1);
    QCOMPARE(devices[1].name, QStringLiteral("Second Pad"));
    QCOMPARE(devices[1].instanceId, second.instanceId());
    QCOMPARE(devices[1].axes.size(), 2);
    QCOMPARE(devices[1].buttons.size(), 3);
    QCOMPARE(devices[1].povs.size(), 2);
}

void TestSdlJoysticks::unknownDeviceNumberGivesEmptyDescription()
{
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("Cannot find joystick with id: 7$")));
    const QJoystickDevice device = m_backEnd->getJoystick(7);
    QCOMPARE(device.id, 7);
    QVERIFY(device.name.isEmpty());
    QVERIFY(device.axes.isEmpty());
    QVERIFY(device.buttons.isEmpty());
    QVERIFY(device.povs.isEmpty());
}

void TestSdlJoysticks::eventRecordsDescribeTheirDevice()
{
    QSignalSpy countSpy(m_backEnd.get(), &SDL_Joysticks::countChanged);
    QSignalSpy axisSpy(m_backEnd.get(), &SDL_Joysticks::axisEvent);
    QSignalSpy povSpy(m_backEnd.get(), &SDL_Joysticks::POVEvent);
    QSignalSpy buttonSpy(m_backEnd.get(), &SDL_Joysticks::buttonEvent);
    VirtualPad pad("Event Pad", 5, 8, 1);
    waitForAttach(countSpy, 1);

    QVERIFY(pad.setAxis(4, 12345));
    QVERIFY(pad.setHat(0, SDL_HAT_RIGHTDOWN));
    QVERIFY(pad.setButton(7, true));
    QTRY_VERIFY_WITH_TIMEOUT(!buttonSpy.isEmpty(), 5000);

    const auto axisEvent = axisSpy.last().at(0).value<QJoystickAxisEvent>();
    QCOMPARE(axisEvent.axis, 4);
    QCOMPARE(axisEvent.value, 12345 / 32767.0);
    QCOMPARE(axisEvent.joystick.id, 0);
    QCOMPARE(axisEvent.joystick.instanceId, pad.instanceId());
    QCOMPARE(axisEvent.joystick.name, QStringLiteral("Event Pad"));
    QCOMPARE(axisEvent.joystick.axes.size(), 5);
    QCOMPARE(axisEvent.joystick.buttons.size(), 8);

    QVERIFY(!povSpy.isEmpty());
    const auto povEvent = povSpy.last().at(0).value<QJoystickPOVEvent>();
    QCOMPARE(povEvent.pov, 0);
    QCOMPARE(povEvent.angle, 135);
    QCOMPARE(povEvent.joystick.instanceId, pad.instanceId());

    const auto buttonEvent = buttonSpy.last().at(0).value<QJoystickButtonEvent>();
    QCOMPARE(buttonEvent.button, 7);
    QCOMPARE(buttonEvent.pressed, true);
    QCOMPARE(buttonEvent.joystick.id, 0);
}

void TestSdlJoysticks::eventsOfRemainingPadsCarryTheirNewDeviceNumber()
{
    QSignalSpy countSpy(m_backEnd.get(), &SDL_Joysticks::countChanged);
    QSignalSpy buttonSpy(m_backEnd.get(), &SDL_Joysticks::buttonEvent);
    VirtualPad a("Pad A", 2, 2, 0);
    VirtualPad b("Pad B", 2, 2, 0);
    VirtualPad c("Pad C", 2, 2, 0);
    waitForAttach(countSpy, 3);

    b.detach();
    waitForAttach(countSpy, 4);
    buttonSpy.clear();

    QVERIFY(c.setButton(1, true));
    QTRY_VERIFY_WITH_TIMEOUT(!buttonSpy.isEmpty(), 5000);
    const auto event = buttonSpy.last().at(0).value<QJoystickButtonEvent>();
    QCOMPARE(event.joystick.name, QStringLiteral("Pad C"));
    QCOMPARE(event.joystick.instanceId, c.instanceId());
    QCOMPARE(event.joystick.id, 1);
}

void TestSdlJoysticks::removalRaisesCountChanged()
{
    QSignalSpy countSpy(m_backEnd.get(), &SDL_Joysticks::countChanged);
    VirtualPad pad("Short Lived", 1, 1, 0);
    waitForAttach(countSpy, 1);
    pad.detach();
    QTRY_COMPARE_WITH_TIMEOUT(countSpy.count(), 2, 5000);
    QCOMPARE(SDL_NumJoysticks(), 0);
}

void TestSdlJoysticks::rumble_data()
{
    QTest::addColumn<double>("strength");
    QTest::addColumn<int>("expectedLevel");

    QTest::newRow("half") << 0.5 << int(Uint16(0.5 * 0xFFFF));
    QTest::newRow("full") << 1.0 << 0xFFFF;
    QTest::newRow("above full is full") << 3.0 << 0xFFFF;
    QTest::newRow("quarter") << 0.25 << int(Uint16(0.25 * 0xFFFF));
}

void TestSdlJoysticks::rumble()
{
    QFETCH(double, strength);
    QFETCH(int, expectedLevel);

    QSignalSpy countSpy(m_backEnd.get(), &SDL_Joysticks::countChanged);
    VirtualPad pad("Rumble Pad", 2, 2, 0);
    waitForAttach(countSpy, 1);

    QJoystickRumble request;
    request.length = 250;
    request.strength = strength;
    request.joystick = m_backEnd->listJoysticks().value(0);
    m_backEnd->rumble(request);

    QCOMPARE(pad.rumbleCount(), 1);
    QCOMPARE(int(pad.lastRumbleLow()), expectedLevel);
    QCOMPARE(int(pad.lastRumbleHigh()), expectedLevel);

    // A device that is not attached does not rumble, and nothing else does instead.
    QJoystickRumble stray;
    stray.strength = 1.0;
    stray.length = 100;
    stray.joystick.id = 9;
    stray.joystick.instanceId = 9999;
    m_backEnd->rumble(stray);
    QCOMPARE(pad.rumbleCount(), 1);
}

QTEST_GUILESS_MAIN(TestSdlJoysticks)
#include "tst_sdl_joysticks.moc"
