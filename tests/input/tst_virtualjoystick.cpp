#include "qjoysticks.h"
#include "testdatahome.h"
#include "virtualjoystick.h"
#include "virtualpad.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

// The keyboard-driven joystick: real key events through the application's event filter, on its own and
// as a device listed by the joystick manager.
class TestVirtualJoystick : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void disabledIgnoresKeys();
    void keyMapping_data();
    void keyMapping();
    void axisRange_data();
    void axisRange();
    void keysStillReachTheirWidgets();
    void enabledChangedIsRaised();
    void listedByTheManagerAfterSdlDevices();
    void pressingWThroughTheManager();

private:
    QStringList takeLog();

    TestDataHome m_home;
    VirtualJoystick *m_joystick = nullptr;
    QWidget *m_target = nullptr;
    QStringList m_log;
};

void TestVirtualJoystick::init()
{
    m_joystick = new VirtualJoystick(this);
    m_joystick->setJoystickID(4);
    connect(m_joystick, &VirtualJoystick::povEvent, this, [this](const QJoystickPOVEvent &e) {
        m_log.append(QStringLiteral("pov %1 %2 js%3").arg(e.pov).arg(e.angle).arg(e.joystick.id));
    });
    connect(m_joystick, &VirtualJoystick::axisEvent, this, [this](const QJoystickAxisEvent &e) {
        m_log.append(QStringLiteral("axis %1 %2 js%3").arg(e.axis).arg(e.value).arg(e.joystick.id));
    });
    connect(m_joystick, &VirtualJoystick::buttonEvent, this, [this](const QJoystickButtonEvent &e) {
        m_log.append(QStringLiteral("button %1 %2 js%3").arg(e.button).arg(e.pressed).arg(e.joystick.id));
    });
    m_target = new QWidget;
}

void TestVirtualJoystick::cleanup()
{
    delete m_target;
    delete m_joystick;
    m_log.clear();
}

QStringList TestVirtualJoystick::takeLog()
{
    const QStringList log = m_log;
    m_log.clear();
    return log;
}

void TestVirtualJoystick::disabledIgnoresKeys()
{
    QVERIFY(!m_joystick->isJoystickEnabled());
    QTest::keyClick(m_target, Qt::Key_W);
    QTest::keyClick(m_target, Qt::Key_Up);
    QTest::keyClick(m_target, Qt::Key_3);
    QVERIFY(m_log.isEmpty());
}

void TestVirtualJoystick::keyMapping_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("onPress");
    QTest::addColumn<QStringList>("onRelease");

    const QString released = QStringLiteral("pov 0 0 js4");
    auto row = [&](const char *name, int key, const QString &pressPov, const QStringList &pressRest,
                   const QStringList &releaseRest, int modifiers = Qt::NoModifier) {
        QTest::newRow(name) << key << modifiers << (QStringList{pressPov} + pressRest)
                            << (QStringList{released} + releaseRest);
    };
    const QString centred = QStringLiteral("pov 0 0 js4");

    row("W", Qt::Key_W, centred, {QStringLiteral("axis 1 -1 js4")}, {QStringLiteral("axis 1 0 js4")});
    row("S", Qt::Key_S, centred, {QStringLiteral("axis 1 1 js4")}, {QStringLiteral("axis 1 0 js4")});
    row("D", Qt::Key_D, centred, {QStringLiteral("axis 0 1 js4")}, {QStringLiteral("axis 0 0 js4")});
    row("A", Qt::Key_A, centred, {QStringLiteral("axis 0 -1 js4")}, {QStringLiteral("axis 0 0 js4")});
    row("E", Qt::Key_E, centred, {QStringLiteral("axis 2 1 js4")}, {QStringLiteral("axis 2 0 js4")});
    row("Q", Qt::Key_Q, centred, {QStringLiteral("axis 2 -1 js4")}, {QStringLiteral("axis 2 0 js4")});
    row("O", Qt::Key_O, centred, {QStringLiteral("axis 3 1 js4")}, {QStringLiteral("axis 3 0 js4")});
    row("U", Qt::Key_U, centred, {QStringLiteral("axis 3 -1 js4")}, {QStringLiteral("axis 3 0 js4")});
    row("L", Qt::Key_L, centred, {QStringLiteral("axis 4 1 js4")}, {QStringLiteral("axis 4 0 js4")});
    row("J", Qt::Key_J, centred, {QStringLiteral("axis 4 -1 js4")}, {QStringLiteral("axis 4 0 js4")});
    row("I", Qt::Key_I, centred, {QStringLiteral("axis 5 1 js4")}, {QStringLiteral("axis 5 0 js4")});
    row("K", Qt::Key_K, centred, {QStringLiteral("axis 5 -1 js4")}, {QStringLiteral("axis 5 0 js4")});
    row("up arrow", Qt::Key_Up, QStringLiteral("pov 0 360 js4"), {}, {});
    row("right arrow", Qt::Key_Right, QStringLiteral("pov 0 90 js4"), {}, {});
    row("down arrow", Qt::Key_Down, QStringLiteral("pov 0 180 js4"), {}, {});
    row("left arrow", Qt::Key_Left, QStringLiteral("pov 0 270 js4"), {}, {});
    row("0", Qt::Key_0, centred, {QStringLiteral("button 0 1 js4")}, {QStringLiteral("button 0 0 js4")});
    row("7", Qt::Key_7, centred, {QStringLiteral("button 7 1 js4")}, {QStringLiteral("button 7 0 js4")});
    row("9", Qt::Key_9, centred, {QStringLiteral("button 9 1 js4")}, {QStringLiteral("button 9 0 js4")});
    row("keypad 7 is no button", Qt::Key_7, centred, {}, {}, Qt::KeypadModifier);
    row("unmapped letter", Qt::Key_X, centred, {}, {});
    row("space", Qt::Key_Space, centred, {}, {});
}

void TestVirtualJoystick::keyMapping()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, onPress);
    QFETCH(QStringList, onRelease);

    m_joystick->setJoystickEnabled(true);
    QTest::keyPress(m_target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(takeLog(), onPress);
    QTest::keyRelease(m_target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(takeLog(), onRelease);
}

void TestVirtualJoystick::axisRange_data()
{
    QTest::addColumn<double>("range");
    QTest::addColumn<double>("expected");

    QTest::newRow("negative beyond one") << -3.0 << 1.0;
    QTest::newRow("half") << 0.5 << 0.5;
    QTest::newRow("negative half") << -0.5 << 0.5;
    QTest::newRow("above one") << 2.0 << 1.0;
    QTest::newRow("zero") << 0.0 << 0.0;
}

void TestVirtualJoystick::axisRange()
{
    QFETCH(double, range);
    QFETCH(double, expected);

    QSignalSpy axisSpy(m_joystick, &VirtualJoystick::axisEvent);
    m_joystick->setJoystickEnabled(true);
    m_joystick->setAxisRange(range);
    QTest::keyPress(m_target, Qt::Key_D);
    QTest::keyPress(m_target, Qt::Key_A);
    QCOMPARE(axisSpy.size(), 2);
    QCOMPARE(axisSpy.at(0).at(0).value<QJoystickAxisEvent>().value, expected);
    QCOMPARE(axisSpy.at(1).at(0).value<QJoystickAxisEvent>().value, -expected);
}

void TestVirtualJoystick::keysStillReachTheirWidgets()
{
    m_joystick->setJoystickEnabled(true);
    QLineEdit edit;
    QTest::keyClicks(&edit, QStringLiteral("wasd"));
    QCOMPARE(edit.text(), QStringLiteral("wasd"));
    QVERIFY(!m_log.isEmpty());
}

void TestVirtualJoystick::enabledChangedIsRaised()
{
    QSignalSpy spy(m_joystick, &VirtualJoystick::enabledChanged);
    m_joystick->setJoystickEnabled(true);
    QVERIFY(m_joystick->isJoystickEnabled());
    m_joystick->setJoystickEnabled(false);
    QVERIFY(!m_joystick->isJoystickEnabled());
    QCOMPARE(spy.size(), 2);

    const QJoystickDevice &device = m_joystick->virtualDevice();
    QCOMPARE(device.id, 4);
    QCOMPARE(device.name, QStringLiteral("Virtual Joystick"));
    QCOMPARE(device.povs, QList<int>{0});
    QCOMPARE(device.axes, QList<double>(6, 0.0));
    QCOMPARE(device.buttons, QList<bool>(10, false));
    QVERIFY(!device.blacklisted);
}

void TestVirtualJoystick::listedByTheManagerAfterSdlDevices()
{
    QJoysticks *joysticks = QJoysticks::sharedInstance();
    QSignalSpy countSpy(joysticks, &QJoysticks::countChanged);
    joysticks->setVirtualJoystickEnabled(true);
    QCOMPARE(countSpy.size(), 1);
    QCOMPARE(joysticks->count(), 1);
    QCOMPARE(joysticks->getName(0), QStringLiteral("Virtual Joystick"));
    QCOMPARE(joysticks->getNumAxes(0), 6);
    QCOMPARE(joysticks->getNumPOVs(0), 1);
    QCOMPARE(joysticks->getNumButtons(0), 10);
    QCOMPARE(joysticks->deviceAt(0)->id, 0);

    // An SDL pad attached later is listed first; the virtual joystick stays last with its new index.
    VirtualPad pad("Real Pad", 2, 2, 0);
    QVERIFY(pad.isValid());
    QTRY_COMPARE_WITH_TIMEOUT(joysticks->count(), 2, 5000);
    QCOMPARE(joysticks->deviceNames(),
             (QStringList{QStringLiteral("Real Pad"), QStringLiteral("Virtual Joystick")}));

    QSignalSpy buttonSpy(joysticks, &QJoysticks::buttonChanged);
    QTest::keyClick(m_target, Qt::Key_2);
    QCOMPARE(buttonSpy.size(), 2);
    QCOMPARE(buttonSpy.at(0), (QVariantList{1, 2, true}));
    QCOMPARE(buttonSpy.at(1), (QVariantList{1, 2, false}));

    pad.detach();
    QTRY_COMPARE_WITH_TIMEOUT(joysticks->count(), 1, 5000);
    joysticks->setVirtualJoystickEnabled(false);
    QCOMPARE(joysticks->count(), 0);
}

void TestVirtualJoystick::pressingWThroughTheManager()
{
    QJoysticks *joysticks = QJoysticks::sharedInstance();
    joysticks->setVirtualJoystickEnabled(true);
    const int js = joysticks->count() - 1;
    QCOMPARE(joysticks->getName(js), QStringLiteral("Virtual Joystick"));

    QStringList log;
    QObject context;
    connect(joysticks, &QJoysticks::povChanged, &context, [&log](int j, int pov, int angle) {
        log.append(QStringLiteral("pov %1 %2 %3").arg(j).arg(pov).arg(angle));
    });
    connect(joysticks, &QJoysticks::axisChanged, &context, [&log](int j, int axis, qreal value) {
        log.append(QStringLiteral("axis %1 %2 %3").arg(j).arg(axis).arg(value));
    });

    QTest::keyPress(m_target, Qt::Key_W);
    QCOMPARE(log,
             (QStringList{QStringLiteral("pov %1 0 0").arg(js), QStringLiteral("axis %1 1 -1").arg(js)}));
    QCOMPARE(joysticks->getAxis(js, 1), -1.0);
    log.clear();
    QTest::keyRelease(m_target, Qt::Key_W);
    QCOMPARE(log, (QStringList{QStringLiteral("pov %1 0 0").arg(js), QStringLiteral("axis %1 1 0").arg(js)}));
    QCOMPARE(joysticks->getAxis(js, 1), 0.0);

    joysticks->setVirtualJoystickRange(0.25);
    log.clear();
    QTest::keyPress(m_target, Qt::Key_S);
    QCOMPARE(log.last(), QStringLiteral("axis %1 1 0.25").arg(js));
    QTest::keyRelease(m_target, Qt::Key_S);
    joysticks->setVirtualJoystickRange(1.0);
    joysticks->setVirtualJoystickEnabled(false);
}

QTEST_MAIN(TestVirtualJoystick)
#include "tst_virtualjoystick.moc"
