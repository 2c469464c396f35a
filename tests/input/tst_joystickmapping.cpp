// The game controller end to end: SDL virtual pads, the joystick manager, the controller mapping and the
// main window inside the real application object, against the camera simulator on 127.0.15.11-12. Every
// case moves a pad and reads what reaches the camera on the wire.

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "findnamed.h"
#include "joystickwrapper.h"
#include "mainwindow.h"
#include "ptzsimprocess.h"
#include "qjoysticks.h"
#include "tavimorexapp.h"
#include "testdatahome.h"
#include "virtualpad.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

const QString CamA = QStringLiteral("127.0.15.11");
const QString CamB = QStringLiteral("127.0.15.12");

// A button no mapping uses.
constexpr int SpareButton = 13;

QByteArray packet(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

// A picture command with a value 0 to 15: 81 01 04 <command> 00 00 00 0v FF.
QByteArray pictureCommand(quint8 command, int value)
{
    QByteArray p = packet("8101040000000000ff");
    p[3] = char(command);
    p[7] = char(value);
    return p;
}

bool isInquiry(const QByteArray &p)
{
    return p.size() >= 2 && quint8(p.at(0)) == 0x81 && quint8(p.at(1)) == 0x09;
}

QString hexOf(const QList<QByteArray> &packets)
{
    QStringList parts;
    for (const QByteArray &p : packets)
        parts << QString::fromLatin1(p.toHex());
    return QLatin1Char('[') + parts.join(QLatin1Char(' ')) + QLatin1Char(']');
}

using Packets = QList<QByteArray>;

// Speeds the window shows for a network camera never used before: pan 8, tilt 8, zoom 6, focus 6.
const QByteArray Stop = packet("8101060100000303ff");
const QByteArray Up = packet("8101060100080301ff");
const QByteArray Down = packet("8101060100080302ff");
const QByteArray Left = packet("8101060108000103ff");
const QByteArray Right = packet("8101060108000203ff");
const QByteArray ZoomStop = packet("8101040700ff");

} // namespace

class TstJoystickMapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void onlyTheSelectedPadDrives();
    void settingOffDoesNothing();
    void axes_data();
    void axes();
    void deadZoneBoundsExactly_data();
    void deadZoneBoundsExactly();
    void hat_data();
    void hat();
    void unmappedHatAngles();
    void buttons_data();
    void buttons();
    void sliderTriggersNeedThreeEventsPerStep();
    void switchCameraSelectsOneOfTheFirstFour();
    // Last: it detaches and re-attaches a pad.
    void removedPadStopsItsMotion_data();
    void removedPadStopsItsMotion();

private:
    template<typename T>
    T *find(const char *name) const
    {
        return findNamed<T>(m_window, name);
    }
    void select(int js);
    VirtualPad *pad(int js) const { return js == 0 ? m_pad0.get() : m_pad1.get(); }
    // Each change waits until the manager has raised it, that is until the mapping has acted on it.
    void pressButton(int js, int button, bool pressed);
    void moveAxis(int js, int axis, int raw);
    void moveHat(int js, Uint8 value);
    QList<QByteArray> commands(const QString &address) const;
    // Waits until everything sent so far has arrived (a zoom stop changes nothing), then forgets the log.
    bool flushAndClear();
    // The commands since the last flushAndClear(), without the zoom stops sent to flush.
    QList<QByteArray> flushedCommands();
    bool waitConnected(const QString &address, int connects);

    PtzSimProcess m_sim;
    MainWindow *m_window = nullptr;
    AppSettings *m_store = nullptr;
    std::unique_ptr<VirtualPad> m_pad0;
    std::unique_ptr<VirtualPad> m_pad1;
    QList<int> m_flushMarkers;
};

void TstJoystickMapping::initTestCase()
{
    QVERIFY2(m_sim.start({CamA, CamB}), qPrintable(m_sim.errorString()));
    // Known picture values, loaded by the window after the first poll cycle; manual focus.
    for (const char *command : {"set luminance 4", "set contrast 9", "set hue 11", "set autofocus 0"})
        QVERIFY(m_sim.control(CamA, QLatin1String(command)).startsWith(QLatin1String("OK")));
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(w))
            m_window = window;
    }
    QVERIFY(m_window);
    QVERIFY(m_window->findChild<JoystickWrapper *>());
    m_store = appServices()->settings();

    // The window's controller mapping has started SDL; two pads are attached now.
    m_pad0 = std::make_unique<VirtualPad>("Pad Zero", 6, 14, 1);
    m_pad1 = std::make_unique<VirtualPad>("Pad One", 6, 14, 1);
    QVERIFY(m_pad0->isValid() && m_pad1->isValid());
    QTRY_COMPARE_WITH_TIMEOUT(QJoysticks::sharedInstance()->count(), 2, 5000);
    QCOMPARE(QJoysticks::sharedInstance()->deviceNames(),
             (QStringList{QStringLiteral("Pad Zero"), QStringLiteral("Pad One")}));
    // Let the values SDL reports on opening go by.
    for (int js : {0, 1}) {
        pressButton(js, SpareButton, true);
        pressButton(js, SpareButton, false);
    }

    QVERIFY(waitConnected(CamA, 0));
    QTRY_COMPARE_WITH_TIMEOUT(find<QSlider>("luminanceSlider")->value(), 4, 12000);
    QCOMPARE(find<QSlider>("contrastSlider")->value(), 9);
    QVERIFY(!find<QCheckBox>("storeExposure")->isChecked());
}

void TstJoystickMapping::cleanupTestCase()
{
    m_pad0.reset();
    m_pad1.reset();
}

void TstJoystickMapping::init()
{
    select(1);
}

bool TstJoystickMapping::waitConnected(const QString &address, int connects)
{
    const int index = address == CamA ? 0 : 1;
    if (m_window->currentCamera() != appServices()->cameras().at(index))
        QTest::mouseClick(find<QPushButton>(index == 0 ? "connectCam1" : "connectCam2"), Qt::LeftButton);
    return m_sim.waitForEvent(address, QStringLiteral("CONNECT"), 5000, connects + 1)
           && QTest::qWaitFor(
               [this] { return find<QLabel>("connectionLabel")->text() == QLatin1String("Connected"); },
               5000);
}

void TstJoystickMapping::select(int js)
{
    m_store->setJoystickAvailable(true);
    m_store->setSelectedJoystick(js);
}

void TstJoystickMapping::pressButton(int js, int button, bool pressed)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::buttonChanged);
    QVERIFY(pad(js)->setButton(button, pressed));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, button, pressed}), 5000);
}

void TstJoystickMapping::moveAxis(int js, int axis, int raw)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::axisChanged);
    QVERIFY(pad(js)->setAxis(axis, Sint16(raw)));
    QTRY_VERIFY_WITH_TIMEOUT(spy.contains(QVariantList{js, axis, raw / 32767.0}), 5000);
}

void TstJoystickMapping::moveHat(int js, Uint8 value)
{
    QSignalSpy spy(QJoysticks::sharedInstance(), &QJoysticks::povChanged);
    QVERIFY(pad(js)->setHat(0, value));
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(0).toInt() == js, 5000);
}

QList<QByteArray> TstJoystickMapping::commands(const QString &address) const
{
    QList<QByteArray> result;
    for (const QByteArray &p : m_sim.rxPackets(address)) {
        if (!isInquiry(p))
            result.append(p);
    }
    return result;
}

bool TstJoystickMapping::flushAndClear()
{
    const int before = m_sim.countRx(CamA, ZoomStop);
    m_window->currentCamera()->stopZooming();
    if (!m_sim.waitForRx(CamA, ZoomStop, 5000, before + 1))
        return false;
    m_sim.clearLog();
    m_flushMarkers.clear();
    return true;
}

QList<QByteArray> TstJoystickMapping::flushedCommands()
{
    const int before = m_sim.countRx(CamA, ZoomStop);
    m_window->currentCamera()->stopZooming();
    if (!m_sim.waitForRx(CamA, ZoomStop, 5000, before + 1))
        return {QByteArrayLiteral("(no flush)")};
    QList<QByteArray> result = commands(CamA);
    m_flushMarkers.append(result.size() - 1);
    for (auto it = m_flushMarkers.crbegin(); it != m_flushMarkers.crend(); ++it)
        result.removeAt(*it);
    return result;
}

void TstJoystickMapping::onlyTheSelectedPadDrives()
{
    QVERIFY(flushAndClear());
    // Pad 0 is not the selected one.
    moveAxis(0, 3, 16384);
    pressButton(0, 2, true);
    pressButton(0, 2, false);
    moveAxis(0, 3, 0);
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.isEmpty(), qPrintable(hexOf(got)));

    moveAxis(1, 3, 16384);
    moveAxis(1, 3, 0);
    got = flushedCommands();
    QVERIFY2(got == (Packets{Right, Stop}), qPrintable(hexOf(got)));

    // The choice is read at every event: pad 0 takes over at once.
    select(0);
    QVERIFY(flushAndClear());
    pressButton(1, 2, true);
    pressButton(1, 2, false);
    pressButton(0, 2, true);
    pressButton(0, 2, false);
    got = flushedCommands();
    QVERIFY2(got == Packets{packet("8101043f0201ff")}, qPrintable(hexOf(got)));
}

void TstJoystickMapping::settingOffDoesNothing()
{
    m_store->setJoystickAvailable(false);
    QVERIFY(flushAndClear());
    moveAxis(1, 4, -16384);
    moveAxis(1, 4, 0);
    moveHat(1, SDL_HAT_UP);
    moveHat(1, SDL_HAT_CENTERED);
    for (int button : {0, 5, 11}) {
        pressButton(1, button, true);
        pressButton(1, button, false);
    }
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.isEmpty(), qPrintable(hexOf(got)));

    // Turned on again, the next event acts.
    m_store->setJoystickAvailable(true);
    pressButton(1, 3, true);
    pressButton(1, 3, false);
    got = flushedCommands();
    QVERIFY2(got == Packets{packet("8101043f0202ff")}, qPrintable(hexOf(got)));
}

void TstJoystickMapping::axes_data()
{
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("raw"); // SDL's value; the manager reports raw / 32767
    QTest::addColumn<Packets>("expected");
    QTest::addColumn<Packets>("backToCentre");

    QTest::newRow("axis 3 at 0.19999: inside the dead zone") << 3 << 6553 << Packets{Stop} << Packets{Stop};
    QTest::newRow("axis 3 at 0.2001: right") << 3 << 6557 << Packets{Right} << Packets{Stop};
    QTest::newRow("axis 3 at -0.5: left") << 3 << -16384 << Packets{Left} << Packets{Stop};
    QTest::newRow("axis 4 at -0.5: up") << 4 << -16384 << Packets{Up} << Packets{Stop};
    QTest::newRow("axis 4 at 1.0: down") << 4 << 32767 << Packets{Down} << Packets{Stop};
    QTest::newRow("axis 4 at -0.1: inside the dead zone") << 4 << -3277 << Packets{Stop} << Packets{Stop};
    QTest::newRow("axis 0 unused") << 0 << 32767 << Packets{} << Packets{};
    QTest::newRow("axis 5 unused") << 5 << -32767 << Packets{} << Packets{};
}

void TstJoystickMapping::axes()
{
    QFETCH(int, axis);
    QFETCH(int, raw);
    QFETCH(Packets, expected);
    QFETCH(Packets, backToCentre);

    QVERIFY(flushAndClear());
    moveAxis(1, axis, raw);
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got == expected, qPrintable(hexOf(got)));
    moveAxis(1, axis, 0);
    got = flushedCommands();
    QVERIFY2(got == expected + backToCentre, qPrintable(hexOf(got)));
}

void TstJoystickMapping::deadZoneBoundsExactly_data()
{
    QTest::addColumn<int>("axis");
    QTest::addColumn<double>("value");
    QTest::addColumn<Packets>("expected");

    // Values an SDL axis cannot report exactly, given as the manager raises them.
    QTest::newRow("axis 3 at 0.2") << 3 << 0.2 << Packets{Stop};
    QTest::newRow("axis 3 at 0.2001") << 3 << 0.2001 << Packets{Right};
    QTest::newRow("axis 3 at -0.2") << 3 << -0.2 << Packets{Stop};
    QTest::newRow("axis 4 at -0.2001") << 4 << -0.2001 << Packets{Up};
}

void TstJoystickMapping::deadZoneBoundsExactly()
{
    QFETCH(int, axis);
    QFETCH(double, value);
    QFETCH(Packets, expected);

    QVERIFY(flushAndClear());
    Q_EMIT QJoysticks::sharedInstance()->axisChanged(1, axis, value);
    Q_EMIT QJoysticks::sharedInstance()->axisChanged(1, axis, 0.0);
    const QList<QByteArray> got = flushedCommands();
    QVERIFY2(got == expected + Packets{Stop}, qPrintable(hexOf(got)));
}

void TstJoystickMapping::hat_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("expected");

    // Diagonals move both axes at the selected speeds, like the window's diagonal buttons.
    QTest::newRow("up (0)") << int(SDL_HAT_UP) << Up;
    QTest::newRow("right up (45)") << int(SDL_HAT_RIGHTUP) << packet("8101060108080201ff");
    QTest::newRow("right (90)") << int(SDL_HAT_RIGHT) << Right;
    QTest::newRow("right down (135)") << int(SDL_HAT_RIGHTDOWN) << packet("8101060108080202ff");
    QTest::newRow("down (180)") << int(SDL_HAT_DOWN) << Down;
    QTest::newRow("left down (225)") << int(SDL_HAT_LEFTDOWN) << packet("8101060108080102ff");
    QTest::newRow("left (270)") << int(SDL_HAT_LEFT) << Left;
    QTest::newRow("left up (315)") << int(SDL_HAT_LEFTUP) << packet("8101060108080101ff");
}

void TstJoystickMapping::hat()
{
    QFETCH(int, value);
    QFETCH(QByteArray, expected);

    QVERIFY(flushAndClear());
    moveHat(1, Uint8(value));
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got == Packets{expected}, qPrintable(hexOf(got)));
    // Centred (-1) stops.
    moveHat(1, SDL_HAT_CENTERED);
    got = flushedCommands();
    QVERIFY2(got == (Packets{expected, Stop}), qPrintable(hexOf(got)));
}

void TstJoystickMapping::unmappedHatAngles()
{
    QVERIFY(flushAndClear());
    // Angles an SDL hat never reports, given as the manager raises them.
    for (int angle : {360, 30, -90})
        Q_EMIT QJoysticks::sharedInstance()->povChanged(1, 0, angle);
    const QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.isEmpty(), qPrintable(hexOf(got)));
}

void TstJoystickMapping::buttons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<Packets>("onPress");
    QTest::addColumn<Packets>("onRelease");

    const QByteArray focusStop = packet("8101040800ff");
    QTest::newRow("0: preset 3 on release") << 0 << Packets{} << Packets{packet("8101043f0203ff")};
    QTest::newRow("1: auto focus on") << 1 << Packets{} << Packets{packet("8101043802ff")};
    QTest::newRow("1: auto focus off") << 1 << Packets{} << Packets{packet("8101043803ff")};
    QTest::newRow("2: preset 1") << 2 << Packets{} << Packets{packet("8101043f0201ff")};
    QTest::newRow("3: preset 2") << 3 << Packets{} << Packets{packet("8101043f0202ff")};
    QTest::newRow("4: zoom out while held") << 4 << Packets{packet("8101040736ff")} << Packets{ZoomStop};
    QTest::newRow("5: zoom in while held") << 5 << Packets{packet("8101040726ff")} << Packets{ZoomStop};
    QTest::newRow("6: focus out while held") << 6 << Packets{packet("8101040826ff")} << Packets{focusStop};
    QTest::newRow("7: focus in while held") << 7 << Packets{packet("8101040836ff")} << Packets{focusStop};
    QTest::newRow("8: menu back") << 8 << Packets{} << Packets{packet("8101060604ff")};
    QTest::newRow("9: menu enter") << 9 << Packets{} << Packets{packet("8101060605ff")};
    QTest::newRow("10: menu") << 10 << Packets{} << Packets{packet("8101043f025fff")};
    QTest::newRow("11: zoom in, then home and zoom stop")
        << 11 << Packets{packet("8101040726ff")} << Packets{packet("81010604ff"), ZoomStop};
    QTest::newRow("12: nothing") << 12 << Packets{} << Packets{};
    QTest::newRow("13: nothing") << 13 << Packets{} << Packets{};
}

void TstJoystickMapping::buttons()
{
    QFETCH(int, button);
    QFETCH(Packets, onPress);
    QFETCH(Packets, onRelease);

    QVERIFY(flushAndClear());
    pressButton(1, button, true);
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got == onPress, qPrintable(hexOf(got)));
    pressButton(1, button, false);
    got = flushedCommands();
    QVERIFY2(got == onPress + onRelease, qPrintable(hexOf(got)));
    if (button == 10)
        QCOMPARE(m_sim.control(CamA, QStringLiteral("set menu 0")), QStringLiteral("OK menu 0"));
}

void TstJoystickMapping::sliderTriggersNeedThreeEventsPerStep()
{
    // No controller input is mapped to the picture triggers; they reach the window all the same.
    auto *wrapper = m_window->findChild<JoystickWrapper *>();
    auto *luminance = find<QSlider>("luminanceSlider");
    auto *contrast = find<QSlider>("contrastSlider");
    auto *hue = find<QSlider>("hueSlider");
    QCOMPARE(luminance->value(), 4);
    QCOMPARE(contrast->value(), 9);
    QCOMPARE(hue->value(), 11);
    QVERIFY(flushAndClear());

    Q_EMIT wrapper->luminanceChangeTriggered(true);
    Q_EMIT wrapper->luminanceChangeTriggered(true);
    QCOMPARE(luminance->value(), 4);
    QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.isEmpty(), qPrintable(hexOf(got)));
    Q_EMIT wrapper->luminanceChangeTriggered(true);
    QCOMPARE(luminance->value(), 5);
    got = flushedCommands();
    QVERIFY2(got == Packets{pictureCommand(0xa1, 5)}, qPrintable(hexOf(got)));

    // One count for the three sliders: the third trigger moves whichever slider it names.
    QVERIFY(flushAndClear());
    Q_EMIT wrapper->hueChangeTriggered(true);
    Q_EMIT wrapper->luminanceChangeTriggered(false);
    Q_EMIT wrapper->contrastChangeTriggered(false);
    QCOMPARE(contrast->value(), 8);
    QCOMPARE(luminance->value(), 5);
    QCOMPARE(hue->value(), 11);
    for (int i = 0; i < 3; ++i)
        Q_EMIT wrapper->hueChangeTriggered(false);
    QCOMPARE(hue->value(), 10);
    got = flushedCommands();
    QVERIFY2(got == (Packets{pictureCommand(0xa2, 8), pictureCommand(0x4f, 10)}), qPrintable(hexOf(got)));
}

void TstJoystickMapping::switchCameraSelectsOneOfTheFirstFour()
{
    auto *wrapper = m_window->findChild<JoystickWrapper *>();
    const QList<CameraWrapper *> cameras = appServices()->cameras();
    Q_EMIT wrapper->switchCamera(5);
    QCOMPARE(m_window->currentCamera(), cameras.at(0));

    const int connects = m_sim.countEvents(CamB, QStringLiteral("CONNECT"));
    Q_EMIT wrapper->switchCamera(2);
    QCOMPARE(m_window->currentCamera(), cameras.at(1));
    QVERIFY(m_sim.waitForEvent(CamB, QStringLiteral("CONNECT"), 5000, connects + 1));
    QTRY_COMPARE(find<QLabel>("connectionLabel")->text(), QStringLiteral("Connected"));
    // The pad now drives camera 2.
    m_sim.clearLog();
    pressButton(1, 2, true);
    pressButton(1, 2, false);
    QVERIFY(m_sim.waitForRx(CamB, packet("8101043f0201ff")));
    QCOMPARE(commands(CamA), QList<QByteArray>());
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        AppSettings store;
        CameraWrapper one(0, CamA, QStringLiteral("Pad Cam A"), CamA);
        CameraWrapper two(0, CamB, QStringLiteral("Pad Cam B"), CamB);
        store.writeCameraList({&one, &two});
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    TstJoystickMapping test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_joystickmapping.moc"

void TstJoystickMapping::removedPadStopsItsMotion_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("moving");
    QTest::addColumn<QByteArray>("stop");
    QTest::newRow("stick") << QStringLiteral("axis") << Right << Stop;
    QTest::newRow("hat") << QStringLiteral("hat") << Up << Stop;
    QTest::newRow("zoom button") << QStringLiteral("button") << packet("8101040726ff") << ZoomStop;
}

void TstJoystickMapping::removedPadStopsItsMotion()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, moving);
    QFETCH(QByteArray, stop);
    QVERIFY(waitConnected(CamA, m_sim.countEvents(CamA, QStringLiteral("CONNECT")) - 1));
    select(1);
    QVERIFY(flushAndClear());
    if (input == QLatin1String("axis"))
        moveAxis(1, 3, 32767);
    else if (input == QLatin1String("hat"))
        moveHat(1, SDL_HAT_UP);
    else
        pressButton(1, 5, true);
    QVERIFY(m_sim.waitForRx(CamA, moving));
    const int stopsBefore = m_sim.countRx(CamA, stop);

    // Unplugged while deflected or held: no release ever comes.
    const qint64 unplugged = QDateTime::currentMSecsSinceEpoch();
    m_pad1->detach();
    QVERIFY(m_sim.waitForRx(CamA, stop, 2000, stopsBefore + 1));
    const QList<QByteArray> packets = m_sim.rxPackets(CamA);
    const QList<qint64> times = m_sim.rxTimestamps(CamA);
    qint64 stoppedAt = -1;
    for (qsizetype i = packets.size() - 1; i >= 0; --i) {
        if (packets.at(i) == stop) {
            stoppedAt = times.at(i);
            break;
        }
    }
    qInfo("controller removed: stop %lld ms after the unplug", stoppedAt - unplugged);
    QVERIFY2(stoppedAt - unplugged < 300, qPrintable(QString::number(stoppedAt - unplugged)));

    // Plugged in again, it starts from rest: nothing moves until it is moved.
    QVERIFY(flushAndClear());
    m_pad1 = std::make_unique<VirtualPad>("Pad One", 6, 14, 1);
    QVERIFY(m_pad1->isValid());
    QTRY_COMPARE_WITH_TIMEOUT(QJoysticks::sharedInstance()->count(), 2, 5000);
    pressButton(1, SpareButton, true);
    pressButton(1, SpareButton, false);
    QTest::qWait(200);
    const Packets after = flushedCommands();
    QVERIFY2(!after.contains(moving), qPrintable(hexOf(after)));
}
