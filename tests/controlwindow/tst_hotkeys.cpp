// The main window's keyboard hotkeys inside the real application object, against the camera simulator on
// 127.0.15.1. Keys go in through the window system, as the operator's keyboard delivers them: to the
// widget with the keyboard focus, and on to the window when that widget does not take them.

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "findnamed.h"
#include "mainwindow.h"
#include "ptzsimprocess.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QWindow>

namespace {

const QString Cam = QStringLiteral("127.0.15.1");

QByteArray packet(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

QString hexOf(const QList<QByteArray> &packets)
{
    QStringList parts;
    for (const QByteArray &p : packets)
        parts << QString::fromLatin1(p.toHex());
    return parts.join(QLatin1Char(' '));
}

bool isInquiry(const QByteArray &p)
{
    return p.size() >= 2 && quint8(p.at(0)) == 0x81 && quint8(p.at(1)) == 0x09;
}

// A pan/tilt drive command (81 01 06 01 VV WW XX YY FF) other than a stop.
bool isMove(const QByteArray &p)
{
    return p.size() == 9 && p.startsWith(packet("81010601")) && !(p.at(6) == 3 && p.at(7) == 3);
}

using Keys = QList<int>;

} // namespace

class TstHotkeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void heldKeyMovesOnceAndStopsOnce_data();
    void heldKeyMovesOnceAndStopsOnce();
    void functionKeysRecallOnRelease_data();
    void functionKeysRecallOnRelease();
    void functionKeyReplaysStoredExposure();
    void otherKeysDoNothing();
    void disabledSettingDoesNothing();
    void focusedComboTakesLetterKeys();
    void deactivationStopsHeldMotions_data();
    void deactivationStopsHeldMotions();

private:
    template<typename T>
    T *find(const char *name) const
    {
        return findNamed<T>(m_window, name);
    }
    static void choose(QComboBox *combo, int index);
    void activate();
    // One key event through the window system; repeat marks the events a held key repeats.
    void key(bool press, int code, Qt::KeyboardModifiers modifiers = {}, bool repeat = false);
    void tap(int code, Qt::KeyboardModifiers modifiers = {})
    {
        key(true, code, modifiers);
        key(false, code, modifiers);
    }
    QList<QByteArray> commands() const;
    // Waits until everything sent so far has arrived (a zoom stop changes nothing), then forgets the log.
    bool flushAndClear();
    // The commands that arrived since the last flushAndClear(), after flushing once more.
    QList<QByteArray> flushedCommands();

    PtzSimProcess m_sim;
    MainWindow *m_window = nullptr;
    AppSettings *m_store = nullptr;
    // Positions, among the commands since the last clear, of the zoom stops sent to flush.
    QList<int> m_flushMarkers;
};

void TstHotkeys::choose(QComboBox *combo, int index)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

void TstHotkeys::key(bool press, int code, Qt::KeyboardModifiers modifiers, bool repeat)
{
    QString text;
    if (code >= Qt::Key_A && code <= Qt::Key_Z) {
        text = QChar(QLatin1Char(char('a' + (code - Qt::Key_A))));
        if (modifiers & Qt::ShiftModifier)
            text = text.toUpper();
    }
    QTest::simulateEvent(m_window->windowHandle(), press, code, modifiers, text, repeat);
}

QList<QByteArray> TstHotkeys::commands() const
{
    QList<QByteArray> result;
    for (const QByteArray &p : m_sim.rxPackets(Cam)) {
        if (!isInquiry(p))
            result.append(p);
    }
    return result;
}

bool TstHotkeys::flushAndClear()
{
    const QByteArray marker = packet("8101040700ff");
    const int before = m_sim.countRx(Cam, marker);
    m_window->currentCamera()->stopZooming();
    if (!m_sim.waitForRx(Cam, marker, 5000, before + 1))
        return false;
    m_sim.clearLog();
    m_flushMarkers.clear();
    return true;
}

QList<QByteArray> TstHotkeys::flushedCommands()
{
    const QByteArray marker = packet("8101040700ff");
    const int before = m_sim.countRx(Cam, marker);
    m_window->currentCamera()->stopZooming();
    if (!m_sim.waitForRx(Cam, marker, 5000, before + 1))
        return {QByteArrayLiteral("(no flush)")};
    QList<QByteArray> result = commands();
    // Leave out this flush and the earlier ones since the last clear; a zoom stop of a key stays.
    m_flushMarkers.append(result.size() - 1);
    for (auto it = m_flushMarkers.crbegin(); it != m_flushMarkers.crend(); ++it)
        result.removeAt(*it);
    return result;
}

void TstHotkeys::initTestCase()
{
    QVERIFY2(m_sim.start({Cam}), qPrintable(m_sim.errorString()));
    // Auto exposure, so that a recall's replay of a stored mode is seen on the wire.
    QVERIFY(m_sim.control(Cam, QStringLiteral("set aemode 0")).startsWith(QLatin1String("OK")));
    for (const char *command : {"set luminance 4", "set shutter 3", "set iris 2"})
        QVERIFY(m_sim.control(Cam, QLatin1String(command)).startsWith(QLatin1String("OK")));
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(w))
            m_window = window;
    }
    QVERIFY(m_window);
    m_store = appServices()->settings();
    // The exposure and speed selectors are in the advanced view.
    m_window->findChild<QAction *>(QStringLiteral("actionAdvancedMode"))->trigger();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));

    QTest::mouseClick(find<QPushButton>("connectCam1"), Qt::LeftButton);
    QVERIFY(m_sim.waitForEvent(Cam, QStringLiteral("CONNECT")));
    auto *connection = find<QLabel>("connectionLabel");
    QTRY_COMPARE(connection->text(), QStringLiteral("Connected"));
    // The camera's values are loaded once after the first poll cycle; from then on changes are sent.
    QTRY_COMPARE_WITH_TIMEOUT(find<QSlider>("luminanceSlider")->value(), 4, 12000);

    // Different pan and tilt speeds, so that the order of the speed bytes shows: pan 12, tilt 9, zoom 6.
    auto *lock = find<QCheckBox>("panTiltLock");
    if (lock->isChecked())
        QTest::mouseClick(lock, Qt::LeftButton, {}, QPoint(6, lock->height() / 2));
    QVERIFY(!lock->isChecked());
    choose(find<QComboBox>("panSpeed"), 11);
    choose(find<QComboBox>("tiltSpeed"), 8);
    QCOMPARE(find<QComboBox>("panSpeed")->currentText(), QStringLiteral("12"));
    QCOMPARE(find<QComboBox>("tiltSpeed")->currentText(), QStringLiteral("9"));
    QCOMPARE(find<QComboBox>("zoomSpeed")->currentText(), QStringLiteral("6"));
}

void TstHotkeys::init()
{
    m_store->setHotkeyAvailable(true);
    activate();
    // No child holds the keyboard focus (the activation, delivered a moment later, gives it to the first
    // one): keys reach the window.
    QTest::qWait(50);
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    QCOMPARE(QApplication::focusWidget(), nullptr);
}

void TstHotkeys::activate()
{
    // A closed combo list leaves the window inactive on the offscreen platform.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TstHotkeys::heldKeyMovesOnceAndStopsOnce_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QByteArray>("pressed");
    QTest::addColumn<QByteArray>("released");

    // Moves and stops carry both speeds (pan 12 = 0x0c, tilt 9).
    const QByteArray stop = packet("810106010c090303ff");
    const QByteArray zoomStop = packet("8101040700ff");
    const Qt::KeyboardModifiers none;
    QTest::newRow("W up") << int(Qt::Key_W) << none << packet("810106010c090301ff") << stop;
    QTest::newRow("S down") << int(Qt::Key_S) << none << packet("810106010c090302ff") << stop;
    QTest::newRow("A left") << int(Qt::Key_A) << none << packet("810106010c090103ff") << stop;
    QTest::newRow("D right") << int(Qt::Key_D) << none << packet("810106010c090203ff") << stop;
    QTest::newRow("Q zoom in") << int(Qt::Key_Q) << none << packet("8101040726ff") << zoomStop;
    QTest::newRow("E zoom out") << int(Qt::Key_E) << none << packet("8101040736ff") << zoomStop;
    QTest::newRow("Shift+W up") << int(Qt::Key_W) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                << packet("810106010c090301ff") << stop;
    QTest::newRow("Ctrl+D right") << int(Qt::Key_D) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << packet("810106010c090203ff") << stop;
}

void TstHotkeys::heldKeyMovesOnceAndStopsOnce()
{
    QFETCH(int, code);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QByteArray, pressed);
    QFETCH(QByteArray, released);

    QVERIFY(flushAndClear());
    key(true, code, modifiers);
    QVERIFY(m_sim.waitForRx(Cam, pressed));
    // Held: the keyboard repeats the key as release/press pairs marked as repeats.
    for (int i = 0; i < 8; ++i) {
        key(false, code, modifiers, true);
        key(true, code, modifiers, true);
        QTest::qWait(30);
    }
    QCOMPARE(flushedCommands(), QList<QByteArray>{pressed});
    key(false, code, modifiers);
    QVERIFY(m_sim.waitForRx(Cam, released));
    const QList<QByteArray> got = flushedCommands();
    QVERIFY2(got == (QList<QByteArray>{pressed, released}), qPrintable(hexOf(got)));
}

void TstHotkeys::functionKeysRecallOnRelease_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("preset");

    QTest::newRow("F1") << int(Qt::Key_F1) << 1;
    QTest::newRow("F3") << int(Qt::Key_F3) << 3;
    QTest::newRow("F9") << int(Qt::Key_F9) << 9;
}

void TstHotkeys::functionKeysRecallOnRelease()
{
    QFETCH(int, code);
    QFETCH(int, preset);

    QVERIFY(flushAndClear());
    key(true, code);
    QCOMPARE(flushedCommands(), QList<QByteArray>());
    key(false, code);
    QByteArray recall = packet("8101043f0200ff");
    recall[5] = char(preset);
    QVERIFY(m_sim.waitForRx(Cam, recall));
    QCOMPARE(flushedCommands(), QList<QByteArray>{recall});
}

void TstHotkeys::functionKeyReplaysStoredExposure()
{
    // Preset 3 stored with manual exposure, shutter 1/1000 (index 9) and iris F4.0 (index 7).
    m_store->setPresetAeMode(Cam, 3, 1);
    m_store->setPresetShutterSpeed(Cam, 3, 9);
    m_store->setPresetIris(Cam, 3, 7);
    auto *storeExposure = find<QCheckBox>("storeExposure");
    storeExposure->setChecked(true);
    QVERIFY(flushAndClear());
    tap(Qt::Key_F3);
    // The recall, then the stored values one step after another, as a button recall replays them.
    const QList<QByteArray> expected = {packet("8101043f0203ff"), packet("8101043903ff"),
                                        packet("8101044a0000000aff"), packet("8101044b00000007ff")};
    QVERIFY(m_sim.waitForRx(Cam, expected.last(), 5000));
    // Unchecking the option ends the replay.
    storeExposure->setChecked(false);
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentIndex(), 1);
    const QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.mid(0, 4) == expected, qPrintable(hexOf(got)));
}

void TstHotkeys::otherKeysDoNothing()
{
    QVERIFY(flushAndClear());
    for (int code : Keys{Qt::Key_X, Qt::Key_F10, Qt::Key_Up, Qt::Key_Space, Qt::Key_1})
        tap(code);
    const QList<QByteArray> got = flushedCommands();
    QVERIFY2(got.isEmpty(), qPrintable(hexOf(got)));
}

void TstHotkeys::disabledSettingDoesNothing()
{
    m_store->setHotkeyAvailable(false);
    QVERIFY(flushAndClear());
    for (int code : Keys{Qt::Key_W, Qt::Key_Q, Qt::Key_F1})
        tap(code);
    QCOMPARE(flushedCommands(), QList<QByteArray>());

    // Read at every key: turned on again, the next key acts.
    m_store->setHotkeyAvailable(true);
    tap(Qt::Key_F2);
    QVERIFY(m_sim.waitForRx(Cam, packet("8101043f0202ff")));
}

void TstHotkeys::focusedComboTakesLetterKeys()
{
    auto *aeMode = find<QComboBox>("aeModeSelect");
    if (aeMode->currentIndex() != 1)
        choose(aeMode, 1);
    activate();
    QCOMPARE(aeMode->currentText(), QStringLiteral("Manual"));
    aeMode->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(aeMode));
    QVERIFY(flushAndClear());
    // "S" picks "SAE" in the focused list instead of moving the camera down.
    tap(Qt::Key_S);
    QCOMPARE(aeMode->currentText(), QStringLiteral("SAE"));
    QVERIFY(m_sim.waitForRx(Cam, packet("810104390aff")));
    const QList<QByteArray> got = flushedCommands();
    for (const QByteArray &p : got)
        QVERIFY2(!isMove(p), qPrintable(hexOf(got)));

    // A focused button does not use letters: they go on to the window and move the camera.
    auto *tv = find<QPushButton>("tvBtn");
    tv->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(tv));
    QVERIFY(flushAndClear());
    key(true, Qt::Key_S);
    QVERIFY(m_sim.waitForRx(Cam, packet("810106010c090302ff")));
    key(false, Qt::Key_S);
    QVERIFY(m_sim.waitForRx(Cam, packet("810106010c090303ff")));
    QCOMPARE(aeMode->currentText(), QStringLiteral("SAE"));
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        AppSettings store;
        CameraWrapper one(0, Cam, QStringLiteral("Hotkey Cam"), Cam);
        store.writeCameraList({&one});
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    TstHotkeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkeys.moc"

void TstHotkeys::deactivationStopsHeldMotions_data()
{
    QTest::addColumn<int>("code");       // a hotkey held, or 0
    QTest::addColumn<QString>("button"); // an on-screen button held, or empty
    QTest::addColumn<QByteArray>("pressed");
    QTest::addColumn<QByteArray>("stop");

    QTest::newRow("hotkey A") << int(Qt::Key_A) << QString() << packet("810106010c090103ff")
                              << packet("810106010c090303ff");
    QTest::newRow("hotkey Q") << int(Qt::Key_Q) << QString() << packet("8101040726ff")
                              << packet("8101040700ff");
    QTest::newRow("button MoveLeft") << 0 << QStringLiteral("MoveLeft") << packet("810106010c000103ff")
                                     << packet("8101060100000303ff");
    QTest::newRow("button ZoomIn") << 0 << QStringLiteral("ZoomIn") << packet("8101040726ff")
                                   << packet("8101040700ff");
    QTest::newRow("button focusOut") << 0 << QStringLiteral("focusOut") << QByteArray()
                                     << packet("8101040800ff");
}

void TstHotkeys::deactivationStopsHeldMotions()
{
    QFETCH(int, code);
    QFETCH(QString, button);
    QFETCH(QByteArray, pressed);
    QFETCH(QByteArray, stop);
    QVERIFY(flushAndClear());
    QPushButton *held = button.isEmpty() ? nullptr : find<QPushButton>(button.toLatin1().constData());
    if (held && !held->isEnabled()) {
        // Manual focus, so that the focus buttons take a press.
        auto *autoFocus = find<QCheckBox>("autoFocus");
        if (autoFocus->isChecked())
            QTest::mouseClick(autoFocus, Qt::LeftButton, {}, QPoint(6, autoFocus->height() / 2));
        QTRY_VERIFY(held->isEnabled());
        QVERIFY(flushAndClear());
    }
    if (code)
        key(true, code);
    else
        QTest::mousePress(held, Qt::LeftButton);
    if (!pressed.isEmpty())
        QVERIFY(m_sim.waitForRx(Cam, pressed));
    else
        QTRY_VERIFY(!commands().isEmpty());

    // Another window takes the focus: the release will go there, so the motion stops now.
    QWidget other;
    other.setWindowTitle(QStringLiteral("another program"));
    other.resize(200, 100);
    other.show();
    QElapsedTimer deactivated;
    deactivated.start();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(m_sim.waitForRx(Cam, stop, 2000));
    qInfo("window deactivated: stop seen by the camera %lld ms later", deactivated.elapsed());
    if (held)
        QVERIFY(!held->isDown());
    other.close();
    activate();
    // The late release is a release like any other.
    if (code)
        key(false, code);
    else
        QTest::mouseRelease(held, Qt::LeftButton);
    QVERIFY(flushAndClear());
}
