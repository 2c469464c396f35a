#include "qjoysticks.h"
#include "testdatahome.h"
#include "virtualpad.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

// The joystick manager over SDL's virtual joysticks: real device-added/removed events and real input
// events through SDL's queue.
class TestQJoysticks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void noDevice();
    void onePadIsListedAtIndexZero();
    void axisValues_data();
    void axisValues();
    void hatAngles_data();
    void hatAngles();
    void buttonStates();
    void eachOfThreePadsReachesItsIndex();
    void middleOfThreePadsRemoved();
    void removingAPadReleasesWhatItHeld();
    void blacklistingReleasesAndSilencesThePad();
    void sortingPutsBlacklistedPadsLast();

private:
    VirtualPad *attach(const char *name, int axes, int buttons, int hats);
    // Waits until every event queued so far by pad (at list index js) has been handled, then forgets
    // what the spies saw.
    void settle(VirtualPad *pad, int js, int button);
    QStringList takeLog();

    TestDataHome m_home; // before the manager opens its blacklist file
    QJoysticks *m_joysticks = nullptr;
    std::vector<std::unique_ptr<VirtualPad>> m_pads;
    QStringList m_log;
};

void TestQJoysticks::initTestCase()
{
    m_joysticks = QJoysticks::sharedInstance();
    QCOMPARE(QJoysticks::sharedInstance(), m_joysticks);

    connect(m_joysticks, &QJoysticks::axisChanged, this, [this](int js, int axis, qreal value) {
        m_log.append(QStringLiteral("axis %1 %2 %3").arg(js).arg(axis).arg(value));
    });
    connect(m_joysticks, &QJoysticks::buttonChanged, this, [this](int js, int button, bool pressed) {
        m_log.append(QStringLiteral("button %1 %2 %3").arg(js).arg(button).arg(pressed));
    });
    connect(m_joysticks, &QJoysticks::povChanged, this, [this](int js, int pov, int angle) {
        m_log.append(QStringLiteral("pov %1 %2 %3").arg(js).arg(pov).arg(angle));
    });
}

void TestQJoysticks::cleanup()
{
    m_pads.clear();
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 0, 5000);
    m_joysticks->setSortJoysticksByBlacklistState(false);
    m_log.clear();
}

VirtualPad *TestQJoysticks::attach(const char *name, int axes, int buttons, int hats)
{
    m_pads.push_back(std::make_unique<VirtualPad>(name, axes, buttons, hats));
    return m_pads.back().get();
}

void TestQJoysticks::settle(VirtualPad *pad, int js, int button)
{
    // SDL applies a virtual pad's values at its next update: a press and a release set together would
    // cancel out.
    QSignalSpy spy(m_joysticks, &QJoysticks::buttonChanged);
    QVERIFY(pad->setButton(button, true));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, button, true}), 5000);
    QVERIFY(pad->setButton(button, false));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, button, false}), 5000);
    m_log.clear();
}

QStringList TestQJoysticks::takeLog()
{
    const QStringList log = m_log;
    m_log.clear();
    return log;
}

void TestQJoysticks::noDevice()
{
    QCOMPARE(m_joysticks->count(), 0);
    QCOMPARE(m_joysticks->nonBlacklistedCount(), 0);
    QVERIFY(m_joysticks->deviceNames().isEmpty());
    QCOMPARE(m_joysticks->getName(0), QStringLiteral("Invalid Joystick"));
    QCOMPARE(m_joysticks->getNumAxes(0), -1);
    QCOMPARE(m_joysticks->getNumPOVs(0), -1);
    QCOMPARE(m_joysticks->getNumButtons(0), -1);
    QCOMPARE(m_joysticks->getPOV(0, 0), -1);
    QCOMPARE(m_joysticks->getAxis(0, 0), 0.0);
    QCOMPARE(m_joysticks->getButton(0, 0), false);
    QVERIFY(m_joysticks->isBlacklisted(0));
    QVERIFY(m_joysticks->isBlacklisted(-1));
    QVERIFY(!m_joysticks->joystickExists(0));
    QVERIFY(!m_joysticks->deviceAt(0).has_value());
    QCOMPARE(m_joysticks->property("count").toInt(), 0);

    // Polling goes on with nothing attached: a pad attached later is noticed.
    QTest::qWait(200);
    QSignalSpy countSpy(m_joysticks, &QJoysticks::countChanged);
    attach("Late Pad", 2, 2, 0);
    QTRY_VERIFY_WITH_TIMEOUT(!countSpy.isEmpty(), 5000);
    QCOMPARE(m_joysticks->count(), 1);
}

void TestQJoysticks::onePadIsListedAtIndexZero()
{
    QSignalSpy countSpy(m_joysticks, &QJoysticks::countChanged);
    VirtualPad *pad = attach("Pad One", 6, 12, 1);
    QVERIFY(pad->isValid());
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 1, 5000);
    QVERIFY(!countSpy.isEmpty());

    QCOMPARE(m_joysticks->getName(0), QStringLiteral("Pad One"));
    QCOMPARE(m_joysticks->deviceNames(), QStringList{QStringLiteral("Pad One")});
    QCOMPARE(m_joysticks->property("deviceNames").toStringList(), QStringList{QStringLiteral("Pad One")});
    QCOMPARE(m_joysticks->getNumAxes(0), 6);
    QCOMPARE(m_joysticks->getNumButtons(0), 12);
    QCOMPARE(m_joysticks->getNumPOVs(0), 1);
    QCOMPARE(m_joysticks->nonBlacklistedCount(), 1);
    QVERIFY(m_joysticks->joystickExists(0));
    QVERIFY(!m_joysticks->isBlacklisted(0));
    QCOMPARE(m_joysticks->deviceAt(0)->id, 0);
    QCOMPARE(m_joysticks->deviceAt(0)->name, QStringLiteral("Pad One"));
    settle(pad, 0, 11);

    // The first move of an axis comes after SDL's report of its resting value.
    QSignalSpy axisSpy(m_joysticks, &QJoysticks::axisChanged);
    QVERIFY(pad->setAxis(2, 16384));
    QTRY_VERIFY_WITH_TIMEOUT(axisSpy.contains(QVariantList{0, 2, 16384 / 32767.0}), 5000);
    QCOMPARE(axisSpy.last(), (QVariantList{0, 2, 16384 / 32767.0}));
    QCOMPARE(m_joysticks->getAxis(0, 2), 16384 / 32767.0);

    // Numbers outside the device answer the defaults.
    QCOMPARE(m_joysticks->getAxis(0, 6), 0.0);
    QCOMPARE(m_joysticks->getButton(0, 12), false);
    QCOMPARE(m_joysticks->getPOV(0, 1), -1);
}

void TestQJoysticks::axisValues_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<double>("expected");

    QTest::newRow("minimum") << -32768 << -32768 / 32767.0;
    QTest::newRow("maximum") << 32767 << 1.0;
    QTest::newRow("centre") << 0 << 0.0;
    QTest::newRow("half down") << -16384 << -16384 / 32767.0;
}

void TestQJoysticks::axisValues()
{
    QFETCH(int, raw);
    QFETCH(double, expected);

    VirtualPad *pad = attach("Axis Pad", 4, 2, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 1, 5000);
    // SDL reports changes only: move away from the value first.
    QVERIFY(pad->setAxis(1, 1000));
    settle(pad, 0, 1);

    QSignalSpy axisSpy(m_joysticks, &QJoysticks::axisChanged);
    QVERIFY(pad->setAxis(1, Sint16(raw)));
    QTRY_COMPARE_WITH_TIMEOUT(axisSpy.size(), 1, 5000);
    QCOMPARE(axisSpy.at(0), (QVariantList{0, 1, expected}));
    QCOMPARE(m_joysticks->getAxis(0, 1), expected);
}

void TestQJoysticks::hatAngles_data()
{
    QTest::addColumn<int>("hat");
    QTest::addColumn<int>("angle");

    QTest::newRow("up") << int(SDL_HAT_UP) << 0;
    QTest::newRow("right-up") << int(SDL_HAT_RIGHTUP) << 45;
    QTest::newRow("right") << int(SDL_HAT_RIGHT) << 90;
    QTest::newRow("right-down") << int(SDL_HAT_RIGHTDOWN) << 135;
    QTest::newRow("down") << int(SDL_HAT_DOWN) << 180;
    QTest::newRow("left-down") << int(SDL_HAT_LEFTDOWN) << 225;
    QTest::newRow("left") << int(SDL_HAT_LEFT) << 270;
    QTest::newRow("left-up") << int(SDL_HAT_LEFTUP) << 315;
    QTest::newRow("centred") << int(SDL_HAT_CENTERED) << -1;
}

void TestQJoysticks::hatAngles()
{
    QFETCH(int, hat);
    QFETCH(int, angle);

    VirtualPad *pad = attach("Hat Pad", 2, 2, 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 1, 5000);
    // Start from a position other than the one under test.
    QVERIFY(pad->setHat(1, hat == SDL_HAT_DOWN ? SDL_HAT_UP : SDL_HAT_DOWN));
    settle(pad, 0, 0);

    QSignalSpy povSpy(m_joysticks, &QJoysticks::povChanged);
    QVERIFY(pad->setHat(1, Uint8(hat)));
    QTRY_COMPARE_WITH_TIMEOUT(povSpy.size(), 1, 5000);
    QCOMPARE(povSpy.at(0), (QVariantList{0, 1, angle}));
    QCOMPARE(m_joysticks->getPOV(0, 1), angle);
}

void TestQJoysticks::buttonStates()
{
    VirtualPad *pad = attach("Button Pad", 2, 6, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 1, 5000);
    settle(pad, 0, 0);

    QVERIFY(pad->setButton(5, true));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 0 5 1")}, 5000);
    m_log.clear();
    QVERIFY(m_joysticks->getButton(0, 5));
    QVERIFY(pad->setButton(5, false));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 0 5 0")}, 5000);
    m_log.clear();
    QVERIFY(!m_joysticks->getButton(0, 5));
}

void TestQJoysticks::eachOfThreePadsReachesItsIndex()
{
    VirtualPad *pads[] = {attach("Pad A", 2, 2, 0), attach("Pad B", 2, 2, 0), attach("Pad C", 2, 2, 0)};
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 3, 5000);
    QCOMPARE(m_joysticks->deviceNames(),
             (QStringList{QStringLiteral("Pad A"), QStringLiteral("Pad B"), QStringLiteral("Pad C")}));
    for (int i = 0; i < 3; ++i)
        settle(pads[i], i, 0);

    // The third first, then the others: the index follows the device, not the order of events.
    for (int i : {2, 0, 1}) {
        QVERIFY(pads[i]->setButton(1, true));
        QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button %1 1 1").arg(i)}, 5000);
        m_log.clear();
    }
}

void TestQJoysticks::middleOfThreePadsRemoved()
{
    VirtualPad *a = attach("Pad A", 2, 2, 0);
    VirtualPad *b = attach("Pad B", 2, 2, 0);
    VirtualPad *c = attach("Pad C", 2, 2, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 3, 5000);

    b->detach();
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 2, 5000);
    QCOMPARE(m_joysticks->deviceNames(), (QStringList{QStringLiteral("Pad A"), QStringLiteral("Pad C")}));
    settle(a, 0, 0);
    settle(c, 1, 0);

    // The first move of an axis comes after SDL's report of its resting value.
    QVERIFY(c->setAxis(0, 32767));
    QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(QStringLiteral("axis 1 0 1")), 5000);
    QCOMPARE(m_log.filter(QRegularExpression(QStringLiteral("^axis 1 0 "))), m_log);
    m_log.clear();
    QVERIFY(a->setAxis(1, 32767));
    QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(QStringLiteral("axis 0 1 1")), 5000);
    QCOMPARE(m_log.filter(QRegularExpression(QStringLiteral("^axis 0 1 "))), m_log);
    m_log.clear();
    QCOMPARE(m_joysticks->getAxis(1, 0), 1.0);
    QCOMPARE(m_joysticks->getAxis(0, 1), 1.0);
}

void TestQJoysticks::removingAPadReleasesWhatItHeld()
{
    VirtualPad *keep = attach("Staying Pad", 2, 2, 0);
    VirtualPad *leave = attach("Leaving Pad", 2, 4, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 2, 5000);
    settle(leave, 1, 0);
    QVERIFY(leave->setButton(3, true));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 1 3 1")}, 5000);
    m_log.clear();

    // SDL releases what an unplugged device held before it reports the removal, so listeners stop
    // whatever the device was driving.
    QSignalSpy countSpy(m_joysticks, &QJoysticks::countChanged);
    leave->detach();
    QTRY_VERIFY_WITH_TIMEOUT(!countSpy.isEmpty(), 5000);
    QVERIFY2(m_log.contains(QStringLiteral("button 1 3 0")), qPrintable(m_log.join(QLatin1Char('|'))));
    QCOMPARE(m_joysticks->count(), 1);
    QCOMPARE(m_joysticks->getName(0), QStringLiteral("Staying Pad"));
    Q_UNUSED(keep)
}

void TestQJoysticks::blacklistingReleasesAndSilencesThePad()
{
    VirtualPad *pad = attach("Blacklisted Pad", 3, 2, 1);
    VirtualPad *sentinel = attach("Sentinel Pad", 1, 1, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 2, 5000);
    settle(pad, 0, 0);
    settle(sentinel, 1, 0);

    m_joysticks->setBlacklisted(0, true);
    QCOMPARE(takeLog(), (QStringList{QStringLiteral("axis 0 0 0"), QStringLiteral("axis 0 1 0"),
                                     QStringLiteral("axis 0 2 0"), QStringLiteral("button 0 0 0"),
                                     QStringLiteral("button 0 1 0"), QStringLiteral("pov 0 0 -1")}));
    QVERIFY(m_joysticks->isBlacklisted(0));
    QCOMPARE(m_joysticks->count(), 2);
    QCOMPARE(m_joysticks->nonBlacklistedCount(), 1);

    // Its events are dropped; the sentinel's later event proves they were handled.
    QVERIFY(pad->setAxis(0, 32767));
    QVERIFY(pad->setButton(1, true));
    QVERIFY(sentinel->setButton(0, true));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 1 0 1")}, 5000);
    m_log.clear();
    QCOMPARE(m_joysticks->getAxis(0, 0), 0.0);

    // The flag is kept under the device's name in the data folder and survives a rebuild.
    m_joysticks->updateInterfaces();
    QVERIFY(m_joysticks->isBlacklisted(0));
    const QString file = TestDataHome::dataFolder() + QStringLiteral("/joysticks.ini");
    const auto fileText = [&file] {
        QFile ini(file);
        return ini.open(QIODevice::ReadOnly) ? QString::fromUtf8(ini.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(fileText().contains(QLatin1String("Blacklisted%20Pad=true")), 5000);
    QVERIFY(fileText().contains(QLatin1String("[Blacklisted%20Joysticks]")));

    m_joysticks->setBlacklisted(0, false);
    QVERIFY(!m_joysticks->isBlacklisted(0));
    QVERIFY(takeLog().isEmpty());
    QVERIFY(pad->setButton(0, true));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 0 0 1")}, 5000);
    m_log.clear();
}

void TestQJoysticks::sortingPutsBlacklistedPadsLast()
{
    VirtualPad *first = attach("Sort First", 2, 2, 0);
    VirtualPad *second = attach("Sort Second", 2, 2, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_joysticks->count(), 2, 5000);
    settle(first, 0, 0);
    settle(second, 1, 0);

    QSignalSpy countSpy(m_joysticks, &QJoysticks::countChanged);
    m_joysticks->setSortJoysticksByBlacklistState(true);
    QCOMPARE(countSpy.size(), 1);
    m_joysticks->setBlacklisted(0, true);
    QCOMPARE(m_joysticks->deviceNames(),
             (QStringList{QStringLiteral("Sort Second"), QStringLiteral("Sort First")}));
    QVERIFY(!m_joysticks->isBlacklisted(0));
    QVERIFY(m_joysticks->isBlacklisted(1));
    m_log.clear();

    // The second pad now sits at index 0 and its events say so; the first pad's are dropped.
    QVERIFY(first->setButton(1, true));
    QVERIFY(second->setButton(0, true));
    QTRY_COMPARE_WITH_TIMEOUT(m_log, QStringList{QStringLiteral("button 0 0 1")}, 5000);
    m_log.clear();

    m_joysticks->setBlacklisted(1, false);
    m_joysticks->setSortJoysticksByBlacklistState(false);
    QCOMPARE(m_joysticks->deviceNames(),
             (QStringList{QStringLiteral("Sort First"), QStringLiteral("Sort Second")}));
}

QTEST_GUILESS_MAIN(TestQJoysticks)
#include "tst_qjoysticks.moc"
