#include "appsettings.h"
#include "datapaths.h"
#include "joystickwrapper.h"
#include "qjoysticks.h"
#include "signallog.h"
#include "testdatahome.h"
#include "virtualpad.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The controller-to-camera mapping, driven by two SDL virtual pads through the joystick manager. The
// manager's own signal for each event is the point at which the wrapper has seen it; the wrapper's
// signals are then read from a log of all of them, in order.
class TestJoystickWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void gate_data();
    void gate();
    void settingChangesApplyToTheNextEvent();
    void settingsComeFromTheStore();
    void axes_data();
    void axes();
    void deadZoneBounds_data();
    void deadZoneBounds();
    void smallChangeOfOneAxisStopsThePanOfTheOther();
    void hat_data();
    void hat();
    void unmappedHatAngles_data();
    void unmappedHatAngles();
    void buttons_data();
    void buttons();
    void deviceListChangeKeepsTheSelection();

private:
    enum Setting { Absent, False, True };

    void select(int js);
    void pressButton(VirtualPad *pad, int js, int button, bool pressed);
    void moveAxis(VirtualPad *pad, int js, int axis, int raw);
    void moveHat(VirtualPad *pad, int js, Uint8 hat);
    VirtualPad *pad(int js) { return js == 0 ? m_pad0.get() : m_pad1.get(); }

    TestDataHome m_home;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<VirtualPad> m_pad0;
    std::unique_ptr<VirtualPad> m_pad1;
    JoystickWrapper *m_wrapper = nullptr;
    SignalLog *m_log = nullptr;
};

void TestJoystickWrapper::initTestCase()
{
    m_settings = std::make_unique<AppSettings>();
    m_wrapper = new JoystickWrapper(m_settings.get(), this);
    m_log = new SignalLog(m_wrapper, this);

    m_pad0 = std::make_unique<VirtualPad>("Pad Zero", 6, 14, 1);
    m_pad1 = std::make_unique<VirtualPad>("Pad One", 6, 14, 1);
    QVERIFY(m_pad0->isValid() && m_pad1->isValid());
    QTRY_COMPARE_WITH_TIMEOUT(QJoysticks::sharedInstance()->count(), 2, 5000);
    QCOMPARE(QJoysticks::sharedInstance()->deviceNames(),
             (QStringList{QStringLiteral("Pad Zero"), QStringLiteral("Pad One")}));
    // Let the values SDL reports on opening go by.
    pressButton(m_pad0.get(), 0, 13, true);
    pressButton(m_pad0.get(), 0, 13, false);
    pressButton(m_pad1.get(), 1, 13, true);
    pressButton(m_pad1.get(), 1, 13, false);
}

void TestJoystickWrapper::cleanupTestCase()
{
    m_pad0.reset();
    m_pad1.reset();
}

void TestJoystickWrapper::init()
{
    select(1);
    m_log->entries.clear();
}

void TestJoystickWrapper::select(int js)
{
    m_settings->setJoystickAvailable(true);
    m_settings->setSelectedJoystick(js);
}

void TestJoystickWrapper::pressButton(VirtualPad *pad, int js, int button, bool pressed)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::buttonChanged);
    QVERIFY(pad->setButton(button, pressed));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, button, pressed}), 5000);
}

void TestJoystickWrapper::moveAxis(VirtualPad *pad, int js, int axis, int raw)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::axisChanged);
    QVERIFY(pad->setAxis(axis, Sint16(raw)));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, axis, raw / 32767.0}), 5000);
}

void TestJoystickWrapper::moveHat(VirtualPad *pad, int js, Uint8 hat)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::povChanged);
    QVERIFY(pad->setHat(0, hat));
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(0).toInt() == js, 5000);
}

void TestJoystickWrapper::gate_data()
{
    QTest::addColumn<int>("available");
    QTest::addColumn<QVariant>("selected"); // invalid: absent
    QTest::addColumn<int>("device");
    QTest::addColumn<bool>("acts");

    QTest::newRow("on, first selected, first pad") << int(True) << QVariant(0) << 0 << true;
    QTest::newRow("on, second selected, second pad") << int(True) << QVariant(1) << 1 << true;
    QTest::newRow("on, second selected, first pad") << int(True) << QVariant(1) << 0 << false;
    QTest::newRow("on, first selected, second pad") << int(True) << QVariant(0) << 1 << false;
    QTest::newRow("on, stored as text") << int(True) << QVariant(QStringLiteral("1")) << 1 << true;
    QTest::newRow("on, nothing selected") << int(True) << QVariant() << 0 << false;
    QTest::newRow("on, empty combo saved") << int(True) << QVariant(-1) << 0 << false;
    QTest::newRow("on, index beyond the list") << int(True) << QVariant(2) << 1 << false;
    QTest::newRow("on, garbage") << int(True) << QVariant(QStringLiteral("first")) << 0 << false;
    QTest::newRow("off, selected pad") << int(False) << QVariant(1) << 1 << false;
    QTest::newRow("absent, selected pad") << int(Absent) << QVariant(0) << 0 << false;
}

void TestJoystickWrapper::gate()
{
    QFETCH(int, available);
    QFETCH(QVariant, selected);
    QFETCH(int, device);
    QFETCH(bool, acts);

    // Values as a file written by hand or by another version could hold them, read by the program
    // when it starts.
    {
        QSettings file(DataPaths::settingsFile(), QSettings::IniFormat);
        if (available == Absent)
            file.remove(QStringLiteral("is joystick available"));
        else
            file.setValue(QStringLiteral("is joystick available"), available == True);
        if (selected.isValid())
            file.setValue(QStringLiteral("selected_joystick"), selected);
        else
            file.remove(QStringLiteral("selected_joystick"));
    }
    AppSettings store;
    JoystickWrapper wrapper(&store);
    SignalLog log(&wrapper);

    pressButton(pad(device), device, 0, true);
    pressButton(pad(device), device, 0, false);
    const QStringList expected = acts ? QStringList{QStringLiteral("callPreset(3)")} : QStringList();
    QCOMPARE(log.entries, expected);
}

void TestJoystickWrapper::settingChangesApplyToTheNextEvent()
{
    pressButton(m_pad1.get(), 1, 10, true);
    pressButton(m_pad1.get(), 1, 10, false);
    QCOMPARE(m_log->entries, QStringList{QStringLiteral("osdMenuBtnTriggered()")});

    m_settings->setJoystickAvailable(false);
    pressButton(m_pad1.get(), 1, 10, true);
    pressButton(m_pad1.get(), 1, 10, false);
    QCOMPARE(m_log->entries.size(), 1);

    m_settings->setJoystickAvailable(true);
    m_settings->setSelectedJoystick(0);
    pressButton(m_pad1.get(), 1, 10, true);
    pressButton(m_pad1.get(), 1, 10, false);
    pressButton(m_pad0.get(), 0, 9, true);
    pressButton(m_pad0.get(), 0, 9, false);
    QCOMPARE(m_log->entries,
             (QStringList{QStringLiteral("osdMenuBtnTriggered()"), QStringLiteral("enterBtnTriggered()")}));
}

void TestJoystickWrapper::settingsComeFromTheStore()
{
    // The wrapper takes its two settings from the store when the store announces a change; it does
    // not read settings.ini at each event, so a value written to the file behind the store's back is
    // not seen.
    {
        QSettings file(DataPaths::settingsFile(), QSettings::IniFormat);
        file.setValue(QStringLiteral("selected_joystick"), 0);
    }
    pressButton(m_pad1.get(), 1, 10, true);
    pressButton(m_pad1.get(), 1, 10, false);
    pressButton(m_pad0.get(), 0, 9, true);
    pressButton(m_pad0.get(), 0, 9, false);
    QCOMPARE(m_log->entries, QStringList{QStringLiteral("osdMenuBtnTriggered()")});
}

void TestJoystickWrapper::axes_data()
{
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QStringList>("expected");

    const QStringList stop{QStringLiteral("moveStop()")};
    const QStringList right{QStringLiteral("moveRightBtnTriggered()")};
    const QStringList left{QStringLiteral("moveLeftBtnTriggered()")};
    const QStringList up{QStringLiteral("moveTopBtnTriggered()")};
    const QStringList down{QStringLiteral("moveBottomBtnTriggered()")};

    // 6553 / 32767 lies just inside 0.2, 6554 / 32767 just outside.
    QTest::newRow("3 just inside right") << 3 << 6553 << stop;
    QTest::newRow("3 just outside right") << 3 << 6554 << right;
    QTest::newRow("3 just inside left") << 3 << -6553 << stop;
    QTest::newRow("3 just outside left") << 3 << -6554 << left;
    QTest::newRow("3 full right") << 3 << 32767 << right;
    QTest::newRow("3 full left") << 3 << -32768 << left;
    QTest::newRow("3 centre") << 3 << 0 << stop;
    QTest::newRow("4 half up") << 4 << -16384 << up;
    QTest::newRow("4 half down") << 4 << 16384 << down;
    QTest::newRow("4 just inside down") << 4 << 6553 << stop;
    QTest::newRow("4 just outside up") << 4 << -6554 << up;
    QTest::newRow("4 centre") << 4 << 0 << stop;
    QTest::newRow("0 unmapped") << 0 << 32767 << QStringList();
    QTest::newRow("1 unmapped") << 1 << -32768 << QStringList();
    QTest::newRow("2 unmapped") << 2 << 20000 << QStringList();
    QTest::newRow("5 unmapped") << 5 << -20000 << QStringList();
}

void TestJoystickWrapper::axes()
{
    QFETCH(int, axis);
    QFETCH(int, raw);
    QFETCH(QStringList, expected);

    // SDL reports changes only: start from a value no row uses.
    moveAxis(m_pad1.get(), 1, axis, 100);
    m_log->entries.clear();

    moveAxis(m_pad1.get(), 1, axis, raw);
    QCOMPARE(m_log->entries, expected);
}

void TestJoystickWrapper::deadZoneBounds_data()
{
    QTest::addColumn<int>("axis");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("3 at 0.2") << 3 << 0.2 << QStringLiteral("moveStop()");
    QTest::newRow("3 at 0.2001") << 3 << 0.2001 << QStringLiteral("moveRightBtnTriggered()");
    QTest::newRow("3 at -0.2") << 3 << -0.2 << QStringLiteral("moveStop()");
    QTest::newRow("3 at -0.2001") << 3 << -0.2001 << QStringLiteral("moveLeftBtnTriggered()");
    QTest::newRow("4 at 0.2") << 4 << 0.2 << QStringLiteral("moveStop()");
    QTest::newRow("4 at 0.2001") << 4 << 0.2001 << QStringLiteral("moveBottomBtnTriggered()");
    QTest::newRow("4 at -0.2") << 4 << -0.2 << QStringLiteral("moveStop()");
    QTest::newRow("4 at -0.5") << 4 << -0.5 << QStringLiteral("moveTopBtnTriggered()");
}

void TestJoystickWrapper::deadZoneBounds()
{
    QFETCH(int, axis);
    QFETCH(double, value);
    QFETCH(QString, expected);

    // SDL's whole steps cannot land on these values; they arrive as the manager would pass them.
    m_wrapper->joystickAxisChanged(1, axis, value);
    QCOMPARE(m_log->entries, QStringList{expected});
}

void TestJoystickWrapper::smallChangeOfOneAxisStopsThePanOfTheOther()
{
    // Both sticks centred, at values no other case leaves them at.
    moveAxis(m_pad1.get(), 1, 4, 101);
    moveAxis(m_pad1.get(), 1, 3, 101);
    m_log->entries.clear();

    moveAxis(m_pad1.get(), 1, 3, 25000);
    moveAxis(m_pad1.get(), 1, 3, 26000);
    moveAxis(m_pad1.get(), 1, 4, 3000);
    QCOMPARE(m_log->entries,
             (QStringList{QStringLiteral("moveRightBtnTriggered()"),
                          QStringLiteral("moveRightBtnTriggered()"), QStringLiteral("moveStop()")}));
}

void TestJoystickWrapper::hat_data()
{
    QTest::addColumn<int>("hat");
    QTest::addColumn<QString>("expected");

    QTest::newRow("up") << int(SDL_HAT_UP) << QStringLiteral("moveTopBtnTriggered()");
    QTest::newRow("right-up") << int(SDL_HAT_RIGHTUP) << QStringLiteral("moveTopRightBtnTriggered()");
    QTest::newRow("right") << int(SDL_HAT_RIGHT) << QStringLiteral("moveRightBtnTriggered()");
    QTest::newRow("right-down") << int(SDL_HAT_RIGHTDOWN) << QStringLiteral("moveBottomRightBtnTriggered()");
    QTest::newRow("down") << int(SDL_HAT_DOWN) << QStringLiteral("moveBottomBtnTriggered()");
    QTest::newRow("left-down") << int(SDL_HAT_LEFTDOWN) << QStringLiteral("moveBottomLeftBtnTriggered()");
    QTest::newRow("left") << int(SDL_HAT_LEFT) << QStringLiteral("moveLeftBtnTriggered()");
    QTest::newRow("left-up") << int(SDL_HAT_LEFTUP) << QStringLiteral("moveTopLeftBtnTriggered()");
}

void TestJoystickWrapper::hat()
{
    QFETCH(int, hat);
    QFETCH(QString, expected);

    moveHat(m_pad1.get(), 1, Uint8(hat));
    QCOMPARE(m_log->entries, QStringList{expected});
    moveHat(m_pad1.get(), 1, SDL_HAT_CENTERED);
    QCOMPARE(m_log->entries, (QStringList{expected, QStringLiteral("moveStop()")}));
}

void TestJoystickWrapper::unmappedHatAngles_data()
{
    QTest::addColumn<int>("angle");

    QTest::newRow("360") << 360;
    QTest::newRow("10") << 10;
    QTest::newRow("-90") << -90;
}

void TestJoystickWrapper::unmappedHatAngles()
{
    QFETCH(int, angle);

    // Angles SDL never reports (the keyboard joystick reports 360 for up) come only through the slot.
    m_wrapper->joystickPOVChanged(1, 0, angle);
    QVERIFY(m_log->entries.isEmpty());
}

void TestJoystickWrapper::buttons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("onPress");
    QTest::addColumn<QStringList>("onRelease");

    const QStringList none;
    QTest::newRow("0") << 0 << none << QStringList{QStringLiteral("callPreset(3)")};
    QTest::newRow("1") << 1 << none << QStringList{QStringLiteral("focusStateChange()")};
    QTest::newRow("2") << 2 << none << QStringList{QStringLiteral("callPreset(1)")};
    QTest::newRow("3") << 3 << none << QStringList{QStringLiteral("callPreset(2)")};
    QTest::newRow("4") << 4 << QStringList{QStringLiteral("zoomOutBtnTriggered()")}
                       << QStringList{QStringLiteral("zoomStop()")};
    QTest::newRow("5") << 5 << QStringList{QStringLiteral("zoomInBtnTriggered()")}
                       << QStringList{QStringLiteral("zoomStop()")};
    QTest::newRow("6") << 6 << QStringList{QStringLiteral("focusOutBtnTriggered()")}
                       << QStringList{QStringLiteral("focusStop()")};
    QTest::newRow("7") << 7 << QStringList{QStringLiteral("focusInBtnTriggered()")}
                       << QStringList{QStringLiteral("focusStop()")};
    QTest::newRow("8") << 8 << none << QStringList{QStringLiteral("backBtnTriggered()")};
    QTest::newRow("9") << 9 << none << QStringList{QStringLiteral("enterBtnTriggered()")};
    QTest::newRow("10") << 10 << none << QStringList{QStringLiteral("osdMenuBtnTriggered()")};
    QTest::newRow("11") << 11 << QStringList{QStringLiteral("zoomInBtnTriggered()")}
                        << QStringList{QStringLiteral("moveHome()"), QStringLiteral("zoomStop()")};
    QTest::newRow("12") << 12 << none << none;
    QTest::newRow("13") << 13 << none << none;
}

void TestJoystickWrapper::buttons()
{
    QFETCH(int, button);
    QFETCH(QStringList, onPress);
    QFETCH(QStringList, onRelease);

    pressButton(m_pad1.get(), 1, button, true);
    QCOMPARE(m_log->entries, onPress);
    m_log->entries.clear();
    pressButton(m_pad1.get(), 1, button, false);
    QCOMPARE(m_log->entries, onRelease);
}

void TestJoystickWrapper::deviceListChangeKeepsTheSelection()
{
    QSignalSpy countSpy(QJoysticks::sharedInstance(), &QJoysticks::countChanged);
    QJoysticks::sharedInstance()->updateInterfaces();
    QCOMPARE(countSpy.size(), 1);
    QVERIFY(m_log->entries.isEmpty());

    pressButton(m_pad1.get(), 1, 2, true);
    pressButton(m_pad1.get(), 1, 2, false);
    QCOMPARE(m_log->entries, QStringList{QStringLiteral("callPreset(1)")});
}

QTEST_GUILESS_MAIN(TestJoystickWrapper)
#include "tst_joystickwrapper.moc"
