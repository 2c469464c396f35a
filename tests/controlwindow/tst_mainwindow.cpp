// The control window inside the real application object, driven through its widgets, against the camera
// simulator on 127.0.2.1-127.0.2.3. The test functions run in order and share one window: the first ones
// see no camera at all, later ones work on camera 1, the last ones switch cameras and leave.

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "datapaths.h"
#include "findnamed.h"
#include "joystickdlg.h"
#include "mainwindow.h"
#include "mainwindowstyle.h"
#include "pantiltlimitdlg.h"
#include "presetsettingdlg.h"
#include "ptzsimprocess.h"
#include "snapshotfilepath.h"
#include "tavimorexapp.h"
#include "tavimorexversion.h"
#include "testdatahome.h"
#include "webserversettings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QString Cam1 = QStringLiteral("127.0.2.1");
const QString Cam2 = QStringLiteral("127.0.2.2");
const QString Cam3 = QStringLiteral("127.0.2.3");
const QString Cam1Name = QStringLiteral("Studio Left Wide"); // longer than a button shows
const QString Cam3Name = QStringLiteral("Stage");

const QString ConnectedLine
    = QStringLiteral("-----------------------------------Connected------------------------------------");
const QString DisconnectedLine
    = QStringLiteral("-----------------------------------Disconnected------------------------------------");

QByteArray packet(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

QString hexOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

bool isInquiry(const QByteArray &p)
{
    return p.size() >= 2 && quint8(p.at(0)) == 0x81 && quint8(p.at(1)) == 0x09;
}

// Answers the next modal dialog of type D with handler, from inside its own event loop.
template<typename D>
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(D *)> handler)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, handler] {
            auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            m_seen = true;
            handler(dialog);
        });
        m_timer.start();
    }
    bool seen() const { return m_seen; }

private:
    QTimer m_timer;
    bool m_seen = false;
};

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    // The frame, without any camera.
    void startsCompactWithTitle();
    void widgetTree_data();
    void widgetTree();
    void imageButtons_data();
    void imageButtons();
    void menus();
    void views();
    void statusBarEntry();
    void previewWindowEntry();
    void controlsWithoutCameraSendNothing();
    void panTiltLimitWithoutCamera();
    void presetSettingEntryShowsTheToolWindow();
    void joystickEntryRunsItsDialog();
    void webServerEntryRunsItsDialog();
    void cameraButtonLabels();

    // Camera 1.
    void selectingCameraConnectsAndLoadsOnce();
    void reselectingCurrentCameraOnlyConnectsAgain();
    void panTiltLimitForTheConnectedCamera();
    void pressAndRelease_data();
    void pressAndRelease();
    void focusLockAndAutoFocus();
    void panTiltLockCascade();
    void presetSpeedAndMotionSync_data();
    void presetSpeedAndMotionSync();
    void statusTexts();
    void aeModeEnablesControls_data();
    void aeModeEnablesControls();
    void steppingShutterAndIris_data();
    void steppingShutterAndIris();
    void lowLightWithManualSendsShutterAndIrisOnly();
    void whiteBalanceOnePush();
    void menuAndOrientation_data();
    void menuAndOrientation();
    void controllerSliderSteps();
    void storePresetWithNameAndPicture();
    void storePresetSevenAsksNoPicture();
    void emptyOrCancelledNameKeepsText_data();
    void emptyOrCancelledNameKeepsText();
    void recallReplaysStoredExposure();
    void recallWithoutStoredExposureSendsOnlyRecall();

    // Switching cameras, the log and leaving.
    void speedsRememberedPerCamera();
    void selectingAnotherCameraReleasesTheOld();
    void appLogHasOneLinePerConnectionChange();
    void multiCameraDialogRebuildsTheList();
    void exitQuitsTheEventLoop();

    // Pictures of the window for a reviewer; only with TAVIMOREX_SCREENSHOTS set to a folder.
    void screenshots();

private:
    template<typename T>
    T *find(const char *name) const
    {
        return findNamed<T>(m_window, name);
    }
    QLabel *statusLabel(const char *name) const { return find<QLabel>(name); }
    QList<QByteArray> commandsSinceClear(const QString &address) const;
    // Opens the combo's list and picks the item like the operator does.
    static void choose(QComboBox *combo, int index);
    static void clickCheckBox(QCheckBox *box);
    bool selectAndWaitConnected(const char *buttonName, const QString &address);
    // Waits until everything sent to the camera so far has arrived, then forgets the log.
    void flushAndClear(const QString &address);
    void waitQuiet(int ms = 300) { QTest::qWait(ms); }
    PresetSettingDlg *presetSettingDlg() const { return m_window->findChild<PresetSettingDlg *>(); }
    // Opens the modal dialog of the menu entry, saves a picture of it and closes it.
    template<typename D>
    bool grabModal(const char *actionName, const QString &file);

    PtzSimProcess m_sim;
    MainWindow *m_window = nullptr;
};

void TstMainWindow::choose(QComboBox *combo, int index)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

void TstMainWindow::clickCheckBox(QCheckBox *box)
{
    // A click inside the indicator, where the operator aims.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

QList<QByteArray> TstMainWindow::commandsSinceClear(const QString &address) const
{
    QList<QByteArray> commands;
    for (const QByteArray &p : m_sim.rxPackets(address)) {
        if (!isInquiry(p))
            commands.append(p);
    }
    return commands;
}

void TstMainWindow::flushAndClear(const QString &address)
{
    // A stop of the zoom changes nothing; packets arrive in order, so once it is in, all before it are.
    const QByteArray marker = packet("8101040700ff");
    const int before = m_sim.countRx(address, marker);
    m_window->onStopZooming();
    QVERIFY(m_sim.waitForRx(address, marker, 5000, before + 1));
    m_sim.clearLog();
}

bool TstMainWindow::selectAndWaitConnected(const char *buttonName, const QString &address)
{
    const int connects = m_sim.countEvents(address, QStringLiteral("CONNECT"));
    QTest::mouseClick(find<QPushButton>(buttonName), Qt::LeftButton);
    if (!m_sim.waitForEvent(address, QStringLiteral("CONNECT"), 5000, connects + 1))
        return false;
    return QTest::qWaitFor(
        [this] { return statusLabel("connectionLabel")->text() == QLatin1String("Connected"); }, 5000);
}

void TstMainWindow::initTestCase()
{
    QVERIFY2(m_sim.start({Cam1, Cam2, Cam3},
                         {QStringLiteral("--name"), QStringLiteral("Sim One"), QStringLiteral("--name"),
                          QStringLiteral("Sim Two"), QStringLiteral("--name"), QStringLiteral("Sim Three"),
                          QStringLiteral("--serial"), QStringLiteral("SN-0001"), QStringLiteral("--serial"),
                          QStringLiteral("SN-0002"), QStringLiteral("--serial"), QStringLiteral("SN-0003")}),
             qPrintable(m_sim.errorString()));
    // Camera 1 reports values that differ from every exposure widget's start, so loading them runs every
    // handler; manual focus leaves the focus buttons usable once loaded.
    for (const char *command :
         {"set aemode 3", "set shutter 10", "set iris 5", "set bright 4", "set luminance 3", "set contrast 9",
          "set hue 11", "set wbmode 5", "set autofocus 0"})
        QVERIFY(m_sim.control(Cam1, QLatin1String(command)).startsWith(QLatin1String("OK")));
    QVERIFY(m_sim.control(Cam2, QStringLiteral("set autofocus 0")).startsWith(QLatin1String("OK")));
    QVERIFY(m_sim.control(Cam3, QStringLiteral("set autofocus 0")).startsWith(QLatin1String("OK")));

    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(w))
            m_window = window;
    }
    QVERIFY(m_window);
    QVERIFY(m_window->isVisible());
    QCOMPARE(appServices()->settings()->fileName(), DataPaths::settingsFile());
    QCOMPARE(appServices()->cameras().at(0)->cameraId(), Cam1);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_sim.clearLog();
}

void TstMainWindow::startsCompactWithTitle()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tavimorex App - v" TAVIMOREX_VERSION));
    QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
    QVERIFY(find<QWidget>("leftPanel")->isVisible());
    QVERIFY(find<QWidget>("rightPanel")->isHidden());
    QVERIFY(m_window->statusBar()->isHidden());
    QCOMPARE(m_window->statusBar()->objectName(), QStringLiteral("statusBar"));
    for (const char *name : {"panStatusLabel", "tiltStatusLabel", "zoomStatusLabel", "focusStatusLabel",
                             "shutterStatusLabel", "irisStatusLabel", "brightStatusLabel"})
        QVERIFY2(statusLabel(name)->isHidden(), name);
    for (const char *name : {"deviceNameLabel", "serialNumberLabel", "connectionLabel"})
        QVERIFY2(!statusLabel(name)->isHidden(), name);
    QCOMPARE(statusLabel("connectionLabel")->text(), QStringLiteral("Disconnected"));
    QCOMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Device Name"));
    QCOMPARE(statusLabel("serialNumberLabel")->text(), QStringLiteral("Serial Number"));
    QCOMPARE(statusLabel("panStatusLabel")->text(), QStringLiteral("Pan"));
    // Compact: narrower than the two panels need.
    QVERIFY(m_window->width()
            < find<QWidget>("leftPanel")->width() + find<QWidget>("rightPanel")->sizeHint().width());
}

void TstMainWindow::widgetTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("noFocus");

    auto row = [](const char *name, const char *cls, const char *text, const char *tip, bool noFocus) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(text) << QString::fromLatin1(tip) << noFocus;
    };
    row("tvBtn", "QPushButton", "", "Preview Window", false);
    row("connectCam1", "QPushButton", "*", "Studio Left Wide", true);
    row("connectCam8", "QPushButton", "*", "Camera8", true);
    row("label_5", "QLabel", "Use Settings menu to configure", "", false);
    row("angleUpLeft", "QPushButton", "", "Move Up Left", true);
    row("MoveLeft", "QPushButton", "", "Move Left", true);
    row("angleDownLeft", "QPushButton", "", "Move Down Left", true);
    row("MoveTop", "QPushButton", "", "Move Up", true);
    row("MoveHome", "QPushButton", "", "Move Home", true);
    row("MoveBottom", "QPushButton", "", "Move Down", true);
    row("angleUpRight", "QPushButton", "", "Move Up Right", true);
    row("MoveRight", "QPushButton", "", "Move Right", true);
    row("angleDownRight", "QPushButton", "", "Move Down Right", true);
    row("ZoomIn", "QPushButton", "", "Zoom In", true);
    row("ZoomOut", "QPushButton", "", "Zoom Out", true);
    row("focusIn", "QPushButton", "", "Focus In", true);
    row("focusOut", "QPushButton", "", "Focus Out", true);
    row("presetMode", "QRadioButton", "Set", "", true);
    row("recallMode", "QRadioButton", "Recall", "", true);
    row("lockFocus", "QCheckBox", "Lock Focus", "", false);
    row("autoFocus", "QCheckBox", "Auto Focus", "", true);
    row("mem1", "QPushButton", "1", "", true);
    row("mem3", "QPushButton", "3", "", true);
    row("mem4", "QPushButton", "4", "", false);
    row("mem9", "QPushButton", "9", "", false);
    row("storeExposure", "QCheckBox", "Store exposure settings with each PTZ preset", "", false);
    row("label", "QLabel", "Pan", "", false);
    row("panSpeed", "QComboBox", "", "", true);
    row("label_3", "QLabel", "Tilt", "", false);
    row("tiltSpeed", "QComboBox", "", "", true);
    row("panTiltLock", "QCheckBox", "Pan/Tilt Speed Lock", "", false);
    row("label_4", "QLabel", "Focus", "", false);
    row("focusSpeed", "QComboBox", "", "", true);
    row("label_2", "QLabel", "Zoom", "", false);
    row("zoomSpeed", "QComboBox", "", "", true);
    row("label_13", "QLabel", "Preset", "", false);
    row("presetSpeed", "QComboBox", "", "", false);
    row("applyPresetSpeedBtn", "QPushButton", "Apply", "", false);
    row("syncOnBtn", "QPushButton", "Motion Sync On", "", false);
    row("syncOffBtn", "QPushButton", "Motion Sync Off", "", false);
    row("label_9", "QLabel", "Modes", "", false);
    row("label_11", "QLabel", "Shutter Speed:", "", false);
    row("shutterUp", "QPushButton", "Up", "", false);
    row("shutterDown", "QPushButton", "Down", "", false);
    row("label_10", "QLabel", "Iris:", "", false);
    row("irisUp", "QPushButton", "Brighter", "", true);
    row("irisDown", "QPushButton", "Darker", "", true);
    row("label_12", "QLabel", "Brightness:", "", false);
    row("brightUp", "QPushButton", "Up", "", false);
    row("brightDown", "QPushButton", "Down", "", false);
    row("label_6", "QLabel", "Low Light", "", false);
    row("label_7", "QLabel", "Sports Day", "", false);
    row("label_8", "QLabel", "Sports Night", "", false);
    row("label_14", "QLabel", "Luminance:", "", false);
    row("label_15", "QLabel", "Contrast:", "", false);
    row("label_16", "QLabel", "Hue:", "", false);
    row("onePushTriggerBtn", "QPushButton", "OnePushTrigger", "", false);
    row("osdMenuBtn", "QPushButton", "OSD/PTZ Menu", "", false);
    row("osdEnterBtn", "QPushButton", "Enter", "", false);
    row("osdBackBtn", "QPushButton", "Back", "", false);
    row("imgFlipBtn", "QCheckBox", "Image Flip", "", false);
    row("imgMirrorBtn", "QCheckBox", "Image Mirror", "", false);
}

void TstMainWindow::widgetTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(bool, noFocus);

    QWidget *w = m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->toolTip(), toolTip);
    if (!qobject_cast<QLabel *>(w))
        QCOMPARE(w->focusPolicy() == Qt::NoFocus, noFocus);
    QString shown;
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        shown = button->text();
    else if (auto *label = qobject_cast<QLabel *>(w))
        shown = label->text();
    if (text != QLatin1String("*"))
        QCOMPARE(shown, text);
}

void TstMainWindow::imageButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("states"); // normal, hovered, pressed

    const QSize pad(44, 44);
    const QString padStates = QStringLiteral("top center bottom");
    QTest::newRow("tvBtn") << "tvBtn"
                           << "tv.png" << QSize(30, 30) << "center bottom top";
    const char *padButtons[][2] = {{"angleUpLeft", "upleft.png"},
                                   {"MoveLeft", "leftarrow.png"},
                                   {"angleDownLeft", "downleftarrow.png"},
                                   {"MoveTop", "uparrow.png"},
                                   {"MoveHome", "home.png"},
                                   {"MoveBottom", "downarrow.png"},
                                   {"angleUpRight", "upright.png"},
                                   {"MoveRight", "rightarrow.png"},
                                   {"angleDownRight", "downright.png"},
                                   {"ZoomIn", "plus.png"},
                                   {"ZoomOut", "minus.png"},
                                   {"focusIn", "focusin.png"},
                                   {"focusOut", "focusout.png"}};
    for (const auto &b : padButtons)
        QTest::newRow(b[0]) << QString::fromLatin1(b[0]) << QString::fromLatin1(b[1]) << pad << padStates;
    const QString sceneStates = QStringLiteral("bottom center top");
    QTest::newRow("lowLightBtn") << "lowLightBtn"
                                 << "lowlight.png" << QSize(60, 30) << sceneStates;
    QTest::newRow("sportsDayBtn") << "sportsDayBtn"
                                  << "sports1.png" << QSize(60, 30) << sceneStates;
    QTest::newRow("sportsNightBtn") << "sportsNightBtn"
                                    << "sports2.png" << QSize(60, 30) << sceneStates;
}

void TstMainWindow::imageButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, picture);
    QFETCH(QSize, size);
    QFETCH(QString, states);

    auto *button = m_window->findChild<QPushButton *>(name);
    QVERIFY(button);
    QVERIFY(button->text().isEmpty());
    QCOMPARE(button->height(), size.height());
    const QString url = QStringLiteral(":/tavimorex-assets/img/") + picture;
    const QStringList parts = states.split(QLatin1Char(' '));
    const QString expected
        = QStringLiteral("QPushButton{\n\twidth : %1px;\n\theight : %2px;\n\tbackground :  "
                         "url('%3') center %4 no-repeat;\n}\n"
                         "QPushButton:hover{\n\twidth : %1px;\n\theight : %2px;\n\tbackground :  "
                         "url('%3') center %5 no-repeat;\n}\n"
                         "QPushButton:pressed{\n\twidth : %1px;\n\theight : %2px;\n\tbackground :  "
                         "url('%3') center %6 no-repeat;\n}")
              .arg(size.width())
              .arg(size.height())
              .arg(url, parts.at(0), parts.at(1), parts.at(2));
    QCOMPARE(button->styleSheet(), expected);
    // The picture is compiled in: a vertical strip of the three states.
    const QPixmap sprite(url);
    QVERIFY2(!sprite.isNull(), qPrintable(url));
    QCOMPARE(sprite.size(), QSize(size.width(), size.height() * 3));
}

void TstMainWindow::menus()
{
    auto *bar = find<QMenuBar>("menuBar");
    QVERIFY(bar);
    QStringList titles;
    for (QAction *a : bar->actions())
        titles << a->text();
    QCOMPARE(titles, (QStringList{"Settings", "View", "Window", "Help"}));

    auto entries = [this](const char *menuName) {
        QStringList names;
        for (QAction *a : find<QMenu>(menuName)->actions()) {
            if (!a->isSeparator())
                names << a->objectName() + QLatin1Char('=') + a->text() + (a->isCheckable() ? "[x]" : "");
        }
        return names;
    };
    QCOMPARE(
        entries("menuMenu"),
        (QStringList{"actionMultiCameras=Multi Cameras Setting", "actionJoyStick=Additional Input Setting",
                     "actionPanTiltLimitSetting=Pan/Tilt Limit Setting", "actionSnapshotPath=Snapshot Path",
                     "actionWebServerSetting=Web Server Setting", "actionPresetSetting=Preset Setting",
                     "actionExit=Exit"}));
    QCOMPARE(entries("menuView"),
             (QStringList{"actionCompactMode=Compact View", "actionAdvancedMode=Advanced View",
                          "actionStatusBar=Status Bar[x]"}));
    QCOMPARE(entries("menuWindow"), (QStringList{"actionPreviewWindow=Preview Window[x]",
                                                 "actionBoundingBoxSetting=Image Preview Map"}));
    QCOMPARE(entries("menuHelp"), (QStringList{"actionAboutUs=About Us", "actionXboxHelp=XBox",
                                               "actionHotKeyHelp=HotKey", "actionHelp=Help"}));
    QVERIFY(!find<QAction>("actionStatusBar")->isChecked());
    QVERIFY(!find<QAction>("actionPreviewWindow")->isChecked());
}

void TstMainWindow::views()
{
    QWidget *right = find<QWidget>("rightPanel");
    auto *compact = find<QAction>("actionCompactMode");
    auto *advanced = find<QAction>("actionAdvancedMode");
    const int compactWidth = m_window->width();

    advanced->trigger();
    QVERIFY(!right->isHidden());
    for (const char *name : {"panStatusLabel", "brightStatusLabel"})
        QVERIFY(!statusLabel(name)->isHidden());
    const int advancedWidth = m_window->width();
    QVERIFY(advancedWidth > compactWidth);

    // Again: nothing changes.
    m_window->resize(advancedWidth + 40, m_window->height());
    advanced->trigger();
    QCOMPARE(m_window->width(), advancedWidth + 40);

    compact->trigger();
    QVERIFY(right->isHidden());
    for (const char *name : {"panStatusLabel", "tiltStatusLabel", "zoomStatusLabel", "focusStatusLabel",
                             "shutterStatusLabel", "irisStatusLabel", "brightStatusLabel"})
        QVERIFY2(statusLabel(name)->isHidden(), name);
    QVERIFY(!statusLabel("connectionLabel")->isHidden());
    QVERIFY2(m_window->width() < advancedWidth,
             qPrintable(QStringLiteral("%1 >= %2").arg(m_window->width()).arg(advancedWidth)));

    // The rest of the test works in the advanced view.
    advanced->trigger();
    QVERIFY(!right->isHidden());
}

void TstMainWindow::statusBarEntry()
{
    auto *action = find<QAction>("actionStatusBar");
    action->trigger();
    QVERIFY(action->isChecked());
    QVERIFY(!m_window->statusBar()->isHidden());
    action->trigger();
    QVERIFY(m_window->statusBar()->isHidden());
    action->trigger();
    QVERIFY(!m_window->statusBar()->isHidden());
}

void TstMainWindow::previewWindowEntry()
{
    auto *action = find<QAction>("actionPreviewWindow");
    auto *tv = find<QPushButton>("tvBtn");
    QTest::mouseClick(tv, Qt::LeftButton);
    QVERIFY(action->isChecked());
    QTest::mouseClick(tv, Qt::LeftButton);
    QVERIFY(action->isChecked());
    // The preview window reports its own closing.
    m_window->onPreviewWindowClosed();
    QVERIFY(!action->isChecked());
}

void TstMainWindow::controlsWithoutCameraSendNothing()
{
    for (const char *name :
         {"MoveTop", "MoveLeft", "angleDownRight", "MoveHome", "ZoomIn", "focusOut", "mem1", "mem8",
          "applyPresetSpeedBtn", "syncOnBtn", "brightUp", "osdMenuBtn", "osdBackBtn", "lowLightBtn"}) {
        auto *button = find<QPushButton>(name);
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
    }
    QTest::mouseClick(find<QRadioButton>("presetMode"), Qt::LeftButton);
    QVERIFY(find<QRadioButton>("presetMode")->isChecked()); // on screen only
    {
        // Storing would ask for a name; nothing may be asked.
        ModalAnswer<QInputDialog> guard([](QInputDialog *dialog) { dialog->reject(); });
        QTest::mouseClick(find<QPushButton>("mem2"), Qt::LeftButton);
        QVERIFY(!guard.seen());
    }
    QTest::mouseClick(find<QRadioButton>("recallMode"), Qt::LeftButton);
    clickCheckBox(find<QCheckBox>("autoFocus"));
    QVERIFY(find<QCheckBox>("autoFocus")->isChecked());
    clickCheckBox(find<QCheckBox>("autoFocus"));
    clickCheckBox(find<QCheckBox>("imgFlipBtn"));
    clickCheckBox(find<QCheckBox>("imgFlipBtn"));
    // The scene changed the widgets on screen.
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentText(), QStringLiteral("Manual"));
    QCOMPARE(find<QComboBox>("irisCombo")->currentText(), QStringLiteral("F1.8"));
    // Shutter and iris stepping and the white balance enabling need a camera.
    QTest::mouseClick(find<QPushButton>("irisDown"), Qt::LeftButton);
    QCOMPARE(find<QComboBox>("irisCombo")->currentText(), QStringLiteral("F1.8"));
    choose(find<QComboBox>("wbCombo"), 3);
    QVERIFY(!find<QPushButton>("onePushTriggerBtn")->isEnabled());
    choose(find<QComboBox>("wbCombo"), 0);
    // Speed selectors hold only "0" until a camera connects.
    for (const char *name : {"panSpeed", "tiltSpeed", "zoomSpeed", "focusSpeed"}) {
        QCOMPARE(find<QComboBox>(name)->count(), 1);
        QCOMPARE(find<QComboBox>(name)->currentText(), QStringLiteral("0"));
    }
    m_window->moveUpAtSpeed(5);
    m_window->onCallPreset(3);
    m_window->storePresetWithName(4, QStringLiteral("Web"));
    waitQuiet(500);
    for (const QString &address : {Cam1, Cam2, Cam3}) {
        QCOMPARE(m_sim.countEvents(address, QStringLiteral("CONNECT")), 0);
        QVERIFY(m_sim.rxPackets(address).isEmpty());
    }
    QCOMPARE(find<QPushButton>("mem4")->text(), QStringLiteral("4"));
    // Back to the start values so the first connection has something to load.
    choose(find<QComboBox>("aeModeSelect"), 0);
    choose(find<QComboBox>("shutterCombo"), 0);
    choose(find<QComboBox>("irisCombo"), 0);
}

void TstMainWindow::panTiltLimitWithoutCamera()
{
    QString text;
    ModalAnswer<QMessageBox> answer([&text](QMessageBox *box) {
        text = box->windowTitle() + QLatin1Char('|') + box->text();
        box->accept();
    });
    find<QAction>("actionPanTiltLimitSetting")->trigger();
    QVERIFY(answer.seen());
    QCOMPARE(text, QStringLiteral("Tavimorex App|No camera connected"));
}

void TstMainWindow::presetSettingEntryShowsTheToolWindow()
{
    PresetSettingDlg *dialog = presetSettingDlg();
    QVERIFY(dialog);
    QCOMPARE(dialog->parentWidget(), m_window);
    QVERIFY(dialog->isHidden());
    QVERIFY(!dialog->camera());
    find<QAction>("actionPresetSetting")->trigger();
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    // Closing only hides it; the same dialog comes back.
    dialog->close();
    QVERIFY(dialog->isHidden());
    find<QAction>("actionPresetSetting")->trigger();
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(m_window->findChildren<PresetSettingDlg *>().size(), 1);
    dialog->close();
}

void TstMainWindow::joystickEntryRunsItsDialog()
{
    AppSettings *store = appServices()->settings();
    QVERIFY(!store->isHotkeyAvailable());
    QString title;
    QWidget *parent = m_window;
    bool shownOff = false;
    {
        // The operator turns the hotkeys on.
        ModalAnswer<JoyStickDlg> answer([&](JoyStickDlg *dialog) {
            title = dialog->windowTitle();
            parent = dialog->parentWidget();
            auto *hotkeys = dialog->findChild<QCheckBox *>(QStringLiteral("useHotKeyCheck"));
            shownOff = !hotkeys->isChecked();
            hotkeys->setChecked(true);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("okBtn")), Qt::LeftButton);
        });
        find<QAction>("actionJoyStick")->trigger();
        QVERIFY(answer.seen());
    }
    QCOMPARE(title, QStringLiteral("Additional Input Setting"));
    QCOMPARE(parent, nullptr);
    QVERIFY(shownOff);
    QVERIFY(store->isHotkeyAvailable());
    {
        // Reopened, it shows the stored choice; turned off again for the rest of the test.
        bool shownOn = false;
        ModalAnswer<JoyStickDlg> answer([&shownOn](JoyStickDlg *dialog) {
            auto *hotkeys = dialog->findChild<QCheckBox *>(QStringLiteral("useHotKeyCheck"));
            shownOn = hotkeys->isChecked();
            hotkeys->setChecked(false);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("okBtn")), Qt::LeftButton);
        });
        find<QAction>("actionJoyStick")->trigger();
        QVERIFY(answer.seen());
        QVERIFY(shownOn);
    }
    QVERIFY(!store->isHotkeyAvailable());
}

void TstMainWindow::webServerEntryRunsItsDialog()
{
    AppSettings *store = appServices()->settings();
    const int port = store->serverPortNum();
    QString title;
    QString objectName;
    QWidget *parent = m_window;
    ModalAnswer<WebServerSettings> answer([&](WebServerSettings *dialog) {
        title = dialog->windowTitle();
        objectName = dialog->objectName();
        parent = dialog->parentWidget();
        // Edits without saving are discarded.
        dialog->findChild<QLineEdit *>(QStringLiteral("portEdit"))->setText(QStringLiteral("1"));
        dialog->reject();
    });
    find<QAction>("actionWebServerSetting")->trigger();
    QVERIFY(answer.seen());
    QCOMPARE(title, QStringLiteral("Web Server Setting"));
    QCOMPARE(objectName, QStringLiteral("webserversettings"));
    QCOMPARE(parent, nullptr);
    QCOMPARE(store->serverPortNum(), port);
}

void TstMainWindow::cameraButtonLabels()
{
    // A long name ends in an ellipsis within ten characters; the tooltip gives every name whole.
    QCOMPARE(find<QPushButton>("connectCam1")->text(), QStringLiteral("Studio Le\u2026"));
    QCOMPARE(find<QPushButton>("connectCam1")->toolTip(), Cam1Name);
    QCOMPARE(find<QPushButton>("connectCam2")->text(), QStringLiteral("Cam2"));
    QCOMPARE(find<QPushButton>("connectCam2")->toolTip(), QStringLiteral("Cam2"));
    QCOMPARE(find<QPushButton>("connectCam3")->text(), Cam3Name);
    // The shortened name fits its button: nothing of it is cut off.
    auto *first = find<QPushButton>("connectCam1");
    QVERIFY(first->fontMetrics().horizontalAdvance(first->text()) <= first->contentsRect().width());
    // Slots the stored list does not fill get default cameras.
    QCOMPARE(find<QPushButton>("connectCam4")->text(), QStringLiteral("Camera4"));
    QCOMPARE(find<QPushButton>("connectCam8")->text(), QStringLiteral("Camera8"));
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("connectCam") + QString::number(n);
        QCOMPARE(m_window->findChild<QPushButton *>(name)->styleSheet(),
                 MainWindowStyle::cameraButtonStyle());
    }
}

void TstMainWindow::selectingCameraConnectsAndLoadsOnce()
{
    auto *aeMode = find<QComboBox>("aeModeSelect");
    QCOMPARE(aeMode->currentText(), QStringLiteral("Auto"));
    QVERIFY(selectAndWaitConnected("connectCam1", Cam1));
    QCOMPARE(m_window->currentCamera(), appServices()->cameras().at(0));
    QCOMPARE(find<QPushButton>("connectCam1")->styleSheet(), MainWindowStyle::currentCameraButtonStyle());
    QCOMPARE(find<QPushButton>("connectCam2")->styleSheet(), MainWindowStyle::cameraButtonStyle());
    QTRY_COMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Sim One"));
    QCOMPARE(statusLabel("serialNumberLabel")->text(), QStringLiteral("SN-0001"));
    // A network camera's speed ranges with the stored defaults: pan/tilt index 7, zoom/focus index 5.
    QCOMPARE(find<QComboBox>("panSpeed")->count(), 24);
    QCOMPARE(find<QComboBox>("tiltSpeed")->count(), 20);
    QCOMPARE(find<QComboBox>("panSpeed")->currentText(), QStringLiteral("8"));
    QCOMPARE(find<QComboBox>("tiltSpeed")->currentText(), QStringLiteral("8"));
    QCOMPARE(find<QComboBox>("zoomSpeed")->currentText(), QStringLiteral("6"));
    QCOMPARE(find<QComboBox>("focusSpeed")->currentText(), QStringLiteral("6"));
    QVERIFY(find<QCheckBox>("panTiltLock")->isChecked());
    QVERIFY(!find<QPushButton>("focusIn")->isEnabled());

    // The first status updates fill the status bar, not the exposure widgets.
    QTRY_VERIFY(statusLabel("panStatusLabel")->text().startsWith(QLatin1String("Pan:")));
    QCOMPARE(aeMode->currentText(), QStringLiteral("Auto"));
    QCOMPARE(find<QSlider>("hueSlider")->value(), 0);

    // After the first full poll cycle they are loaded once, and nothing is sent back.
    QTRY_COMPARE_WITH_TIMEOUT(aeMode->currentText(), QStringLiteral("Manual"), 12000);
    QCOMPARE(find<QComboBox>("shutterCombo")->currentText(), QStringLiteral("1/725"));
    QCOMPARE(find<QComboBox>("irisCombo")->currentText(), QStringLiteral("F5.6"));
    QCOMPARE(find<QComboBox>("brightCombo")->currentText(), QStringLiteral("4"));
    QCOMPARE(find<QSlider>("luminanceSlider")->value(), 3);
    QCOMPARE(find<QSlider>("contrastSlider")->value(), 9);
    QCOMPARE(find<QSlider>("hueSlider")->value(), 11);
    QCOMPARE(find<QComboBox>("wbCombo")->currentText(), QStringLiteral("Manual"));
    QVERIFY(!find<QCheckBox>("autoFocus")->isChecked());
    QVERIFY(find<QPushButton>("focusIn")->isEnabled());
    QVERIFY(find<QPushButton>("focusOut")->isEnabled());
    QVERIFY(find<QPushButton>("shutterUp")->isEnabled());
    QVERIFY(!find<QPushButton>("brightUp")->isEnabled());
    waitQuiet(700);
    // Only the automatic stops of the opened link: loading the widgets sent nothing back.
    QCOMPARE(commandsSinceClear(Cam1),
             (QList<QByteArray>{QByteArray::fromHex("8101060105050303ff"), QByteArray::fromHex("8101040700ff"),
                                QByteArray::fromHex("8101040800ff")}));

    // From now on the widgets follow the operator.
    m_sim.clearLog();
    choose(find<QComboBox>("shutterCombo"), 8);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101044a00000009ff")));
}

void TstMainWindow::reselectingCurrentCameraOnlyConnectsAgain()
{
    flushAndClear(Cam1);
    QTest::mouseClick(find<QPushButton>("connectCam1"), Qt::LeftButton);
    waitQuiet(500);
    QCOMPARE(m_sim.countEvents(Cam1, QStringLiteral("DISCONNECT")), 0);
    QCOMPARE(m_sim.countEvents(Cam1, QStringLiteral("CONNECT")), 0);
    QCOMPARE(statusLabel("connectionLabel")->text(), QStringLiteral("Connected"));
    QCOMPARE(m_window->currentCamera(), appServices()->cameras().at(0));
}

void TstMainWindow::panTiltLimitForTheConnectedCamera()
{
    flushAndClear(Cam1);
    QWidget *parent = nullptr;
    QString title;
    ModalAnswer<PanTiltLimitDlg> answer([&](PanTiltLimitDlg *dialog) {
        parent = dialog->parentWidget();
        title = dialog->windowTitle();
        // Its pad drives the window's current camera at speed 5.
        auto *up = dialog->findChild<QPushButton *>(QStringLiteral("moveUpBtn"));
        QTest::mousePress(up, Qt::LeftButton);
        QTest::mouseRelease(up, Qt::LeftButton);
        dialog->reject();
    });
    find<QAction>("actionPanTiltLimitSetting")->trigger();
    QVERIFY(answer.seen());
    QCOMPARE(parent, m_window);
    QCOMPARE(title, QStringLiteral("Pan/Tilt Limit Setting"));
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101060105050303ff")));
    QCOMPARE(commandsSinceClear(Cam1),
             (QList<QByteArray>{packet("8101060105050301ff"), packet("8101060105050303ff")}));
    // Built on demand and gone when closed.
    QVERIFY(!m_window->findChild<PanTiltLimitDlg *>());
}

void TstMainWindow::pressAndRelease_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("pressed");
    QTest::addColumn<QByteArray>("released"); // empty: the release sends nothing

    // Speeds shown: pan 8, tilt 8, zoom 6, focus 6.
    const QByteArray stop = packet("8101060100000303ff");
    QTest::newRow("up") << "MoveTop" << packet("8101060100080301ff") << stop;
    QTest::newRow("down") << "MoveBottom" << packet("8101060100080302ff") << stop;
    QTest::newRow("left") << "MoveLeft" << packet("8101060108000103ff") << stop;
    QTest::newRow("right") << "MoveRight" << packet("8101060108000203ff") << stop;
    QTest::newRow("up left") << "angleUpLeft" << packet("8101060108080101ff") << stop;
    QTest::newRow("up right") << "angleUpRight" << packet("8101060108080201ff") << stop;
    QTest::newRow("down left") << "angleDownLeft" << packet("8101060108080102ff") << stop;
    QTest::newRow("down right") << "angleDownRight" << packet("8101060108080202ff") << stop;
    QTest::newRow("home") << "MoveHome" << packet("81010604ff") << QByteArray();
    QTest::newRow("zoom in") << "ZoomIn" << packet("8101040726ff") << packet("8101040700ff");
    QTest::newRow("zoom out") << "ZoomOut" << packet("8101040736ff") << packet("8101040700ff");
    QTest::newRow("focus in") << "focusIn" << packet("8101040836ff") << packet("8101040800ff");
    QTest::newRow("focus out") << "focusOut" << packet("8101040826ff") << packet("8101040800ff");
}

void TstMainWindow::pressAndRelease()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, pressed);
    QFETCH(QByteArray, released);

    auto *w = m_window->findChild<QPushButton *>(button);
    QVERIFY(w && w->isEnabled());
    flushAndClear(Cam1);
    QTest::mousePress(w, Qt::LeftButton);
    QVERIFY2(m_sim.waitForRx(Cam1, pressed), qPrintable(hexOf(pressed)));
    QTest::mouseRelease(w, Qt::LeftButton);
    if (released.isEmpty()) {
        waitQuiet();
        QCOMPARE(commandsSinceClear(Cam1), QList<QByteArray>{pressed});
    } else {
        QVERIFY2(m_sim.waitForRx(Cam1, released), qPrintable(hexOf(released)));
        QCOMPARE(commandsSinceClear(Cam1), (QList<QByteArray>{pressed, released}));
    }
}

void TstMainWindow::focusLockAndAutoFocus()
{
    auto *lock = find<QCheckBox>("lockFocus");
    auto *autoFocus = find<QCheckBox>("autoFocus");
    auto *in = find<QPushButton>("focusIn");
    auto *out = find<QPushButton>("focusOut");
    QVERIFY(!lock->isChecked());
    QVERIFY(in->isEnabled());

    flushAndClear(Cam1);
    clickCheckBox(lock);
    QVERIFY(lock->isChecked());
    QVERIFY(m_sim.waitForRx(Cam1, packet("810a046802ff")));
    QVERIFY(!autoFocus->isEnabled());
    QVERIFY(!in->isEnabled());
    QVERIFY(!out->isEnabled());

    // Unlocking with manual focus reported enables the focus buttons again.
    clickCheckBox(lock);
    QVERIFY(!lock->isChecked());
    QVERIFY(m_sim.waitForRx(Cam1, packet("810a046803ff")));
    QVERIFY(autoFocus->isEnabled());
    QVERIFY(in->isEnabled());
    QVERIFY(out->isEnabled());

    // Auto focus on: the focus buttons go grey; off: they come back.
    clickCheckBox(autoFocus);
    QVERIFY(autoFocus->isChecked());
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043802ff")));
    QVERIFY(!in->isEnabled());
    QVERIFY(!out->isEnabled());
    clickCheckBox(autoFocus);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043803ff")));
    QVERIFY(in->isEnabled());

    // With the camera reporting auto focus, unlocking leaves the focus buttons grey.
    QVERIFY(m_sim.control(Cam1, QStringLiteral("set autofocus 1")).startsWith(QLatin1String("OK")));
    flushAndClear(Cam1);
    // The focus-mode answer has been read once the inquiry after it goes out.
    QVERIFY(m_sim.waitForRx(Cam1, packet("81090438ff"), 8000));
    QVERIFY(m_sim.waitForRx(Cam1, packet("8109044aff"), 3000));
    QVERIFY(m_window->currentCamera()->isAutoFocus);
    clickCheckBox(lock);
    clickCheckBox(lock);
    QVERIFY(m_sim.waitForRx(Cam1, packet("810a046803ff")));
    QVERIFY(autoFocus->isEnabled());
    QVERIFY(!in->isEnabled());
    QVERIFY(!out->isEnabled());

    // Manual focus again for the rest (the focus buttons stay grey until the next connection).
    QVERIFY(m_sim.control(Cam1, QStringLiteral("set autofocus 0")).startsWith(QLatin1String("OK")));
}

void TstMainWindow::panTiltLockCascade()
{
    auto *lock = find<QCheckBox>("panTiltLock");
    auto *pan = find<QComboBox>("panSpeed");
    auto *tilt = find<QComboBox>("tiltSpeed");
    AppSettings *store = appServices()->settings();
    QVERIFY(lock->isChecked());

    choose(pan, 22);
    QCOMPARE(pan->currentIndex(), 19);
    QCOMPARE(tilt->currentIndex(), 19);
    QCOMPARE(store->panSpeed(Cam1), 19);
    QCOMPARE(store->tiltSpeed(Cam1), 19);

    choose(tilt, 3);
    QCOMPARE(pan->currentIndex(), 3);
    QCOMPARE(tilt->currentIndex(), 3);
    QCOMPARE(store->panSpeed(Cam1), 3);

    clickCheckBox(lock);
    QVERIFY(!lock->isChecked());
    QCOMPARE(store->panTiltLock(Cam1), false);
    choose(pan, 22);
    QCOMPARE(tilt->currentIndex(), 3);
    QCOMPARE(store->panSpeed(Cam1), 22);

    clickCheckBox(lock);
    QCOMPARE(pan->currentIndex(), 6);
    QCOMPARE(tilt->currentIndex(), 6);
    QCOMPARE(pan->currentText(), QStringLiteral("7"));
    QCOMPARE(store->panTiltLock(Cam1), true);
    QCOMPARE(store->panSpeed(Cam1), 6);
    QCOMPARE(store->tiltSpeed(Cam1), 6);

    // Back to speed 8 for the tests after this one.
    choose(pan, 7);
    QCOMPARE(tilt->currentIndex(), 7);
}

void TstMainWindow::presetSpeedAndMotionSync_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("presetSpeedIndex");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("apply 24") << "applyPresetSpeedBtn" << 23 << packet("8101060118ff");
    QTest::newRow("apply 1") << "applyPresetSpeedBtn" << 0 << packet("8101060101ff");
    QTest::newRow("sync on") << "syncOnBtn" << 0 << packet("810a111302ff");
    QTest::newRow("sync off") << "syncOffBtn" << 0 << packet("810a111303ff");
}

void TstMainWindow::presetSpeedAndMotionSync()
{
    QFETCH(QString, button);
    QFETCH(int, presetSpeedIndex);
    QFETCH(QByteArray, expected);

    choose(find<QComboBox>("presetSpeed"), presetSpeedIndex);
    flushAndClear(Cam1);
    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam1, expected));
    QCOMPARE(commandsSinceClear(Cam1), QList<QByteArray>{expected});
}

void TstMainWindow::statusTexts()
{
    flushAndClear(Cam1);
    for (const char *command : {"set pan f66f", "set tilt 0200", "set zoom 4a0", "set focus 1000",
                                "set shutter 0", "set iris 14", "set bright 9", "set aemode 0"})
        QVERIFY(m_sim.control(Cam1, QLatin1String(command)).startsWith(QLatin1String("OK")));
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("panStatusLabel")->text(), QStringLiteral("Pan:f66f"), 8000);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("shutterStatusLabel")->text(), QStringLiteral("Shutter:1/30"),
                              8000);
    // A position outside the table shows as a number.
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("irisStatusLabel")->text(), QStringLiteral("Iris:14"), 8000);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("brightStatusLabel")->text(), QStringLiteral("Bright:9"), 8000);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("zoomStatusLabel")->text(), QStringLiteral("Zoom:04a0"), 8000);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("focusStatusLabel")->text(), QStringLiteral("Focus:1000"), 8000);
    QCOMPARE(statusLabel("tiltStatusLabel")->text(), QStringLiteral("Tilt:0200"));
    // Shutter position 0 is taken as the first position and stored back.
    QCOMPARE(int(m_window->currentCamera()->shutterPos), 1);

    // The exposure widgets were loaded once: a whole cycle later they still show the operator's values.
    QVERIFY(m_sim.waitForRx(Cam1, packet("81090439ff"), 8000));
    QVERIFY(m_sim.waitForRx(Cam1, packet("81090435ff"), 3000));
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentText(), QStringLiteral("Manual"));
    QCOMPARE(find<QComboBox>("irisCombo")->currentText(), QStringLiteral("F5.6"));
    for (const char *command : {"set shutter 7", "set iris 5", "set aemode 3"})
        QVERIFY(m_sim.control(Cam1, QLatin1String(command)).startsWith(QLatin1String("OK")));
}

void TstMainWindow::aeModeEnablesControls_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("shutter");
    QTest::addColumn<bool>("iris");
    QTest::addColumn<bool>("bright");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("Auto") << 0 << false << false << false << packet("8101043900ff");
    QTest::newRow("SAE") << 2 << true << false << false << packet("810104390aff");
    QTest::newRow("AAE") << 3 << false << true << false << packet("810104390bff");
    QTest::newRow("Brightness") << 4 << false << false << true << packet("810104390dff");
    QTest::newRow("Manual") << 1 << true << true << false << packet("8101043903ff");
}

void TstMainWindow::aeModeEnablesControls()
{
    QFETCH(int, index);
    QFETCH(bool, shutter);
    QFETCH(bool, iris);
    QFETCH(bool, bright);
    QFETCH(QByteArray, expected);

    flushAndClear(Cam1);
    choose(find<QComboBox>("aeModeSelect"), index);
    QVERIFY(m_sim.waitForRx(Cam1, expected));
    for (const char *name : {"shutterUp", "shutterDown", "shutterCombo"})
        QVERIFY2(find<QWidget>(name)->isEnabled() == shutter, name);
    for (const char *name : {"irisUp", "irisDown", "irisCombo"})
        QVERIFY2(find<QWidget>(name)->isEnabled() == iris, name);
    for (const char *name : {"brightUp", "brightDown", "brightCombo"})
        QVERIFY2(find<QWidget>(name)->isEnabled() == bright, name);
}

void TstMainWindow::steppingShutterAndIris_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QByteArray>("expected"); // empty: nothing is sent

    QTest::newRow("shutter up at 1/10000") << "shutterUp"
                                           << "shutterCombo" << 16 << 16 << QByteArray();
    QTest::newRow("shutter down at 1/30") << "shutterDown"
                                          << "shutterCombo" << 0 << 0 << QByteArray();
    QTest::newRow("shutter up") << "shutterUp"
                                << "shutterCombo" << 4 << 5 << packet("8101044a00000006ff");
    QTest::newRow("shutter down") << "shutterDown"
                                  << "shutterCombo" << 4 << 3 << packet("8101044a00000004ff");
    QTest::newRow("brighter at F1.8") << "irisUp"
                                      << "irisCombo" << 12 << 12 << QByteArray();
    QTest::newRow("darker at Close") << "irisDown"
                                     << "irisCombo" << 0 << 0 << QByteArray();
    QTest::newRow("brighter") << "irisUp"
                              << "irisCombo" << 9 << 10 << packet("8101044b0000000aff");
    QTest::newRow("darker") << "irisDown"
                            << "irisCombo" << 9 << 8 << packet("8101044b00000008ff");
}

void TstMainWindow::steppingShutterAndIris()
{
    QFETCH(QString, button);
    QFETCH(QString, combo);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QByteArray, expected);

    auto *box = m_window->findChild<QComboBox *>(combo);
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentText(), QStringLiteral("Manual"));
    if (box->currentIndex() != start)
        choose(box, start);
    flushAndClear(Cam1);
    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(box->currentIndex(), end);
    if (!expected.isEmpty())
        QVERIFY(m_sim.waitForRx(Cam1, expected));
    else
        waitQuiet();
    QCOMPARE(commandsSinceClear(Cam1),
             expected.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{expected});
}

void TstMainWindow::lowLightWithManualSendsShutterAndIrisOnly()
{
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentText(), QStringLiteral("Manual"));
    choose(find<QComboBox>("shutterCombo"), 8);
    choose(find<QComboBox>("irisCombo"), 3);
    flushAndClear(Cam1);
    QTest::mouseClick(find<QPushButton>("lowLightBtn"), Qt::LeftButton);
    const QByteArray shutter = packet("8101044a00000002ff"); // 1/60
    const QByteArray iris = packet("8101044b0000000cff");    // F1.8
    QVERIFY(m_sim.waitForRx(Cam1, iris));
    QCOMPARE(commandsSinceClear(Cam1), (QList<QByteArray>{shutter, iris}));

    // From Auto a scene sends the mode first.
    choose(find<QComboBox>("aeModeSelect"), 0);
    flushAndClear(Cam1);
    QTest::mouseClick(find<QPushButton>("sportsDayBtn"), Qt::LeftButton);
    const QByteArray day[]
        = {packet("8101043903ff"), packet("8101044a00000007ff"), packet("8101044b00000005ff")};
    QVERIFY(m_sim.waitForRx(Cam1, day[2]));
    QCOMPARE(commandsSinceClear(Cam1), (QList<QByteArray>{day[0], day[1], day[2]}));
    QVERIFY(find<QPushButton>("shutterUp")->isEnabled());
}

void TstMainWindow::whiteBalanceOnePush()
{
    auto *wb = find<QComboBox>("wbCombo");
    auto *trigger = find<QPushButton>("onePushTriggerBtn");
    flushAndClear(Cam1);
    choose(wb, 3);
    QVERIFY(trigger->isEnabled());
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043503ff")));
    QTest::mouseClick(trigger, Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101041005ff")));
    choose(wb, 4);
    QVERIFY(!trigger->isEnabled());
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043505ff")));
    choose(wb, 1);
    QVERIFY(!trigger->isEnabled());
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043501ff")));
}

void TstMainWindow::menuAndOrientation_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("menu") << "osdMenuBtn" << packet("8101043f025fff");
    QTest::newRow("enter") << "osdEnterBtn" << packet("8101060605ff");
    QTest::newRow("back") << "osdBackBtn" << packet("8101060604ff");
    QTest::newRow("bright up") << "brightUp" << packet("8101040d02ff");
    QTest::newRow("bright down") << "brightDown" << packet("8101040d03ff");
    QTest::newRow("flip on") << "imgFlipBtn" << packet("8101046602ff");
    QTest::newRow("flip off") << "imgFlipBtn" << packet("8101046603ff");
    QTest::newRow("mirror on") << "imgMirrorBtn" << packet("8101046102ff");
    QTest::newRow("mirror off") << "imgMirrorBtn" << packet("8101046103ff");
}

void TstMainWindow::menuAndOrientation()
{
    QFETCH(QString, widget);
    QFETCH(QByteArray, expected);

    if (widget.startsWith(QLatin1String("bright")))
        choose(find<QComboBox>("aeModeSelect"), 4);
    flushAndClear(Cam1);
    if (auto *box = m_window->findChild<QCheckBox *>(widget))
        clickCheckBox(box);
    else
        QTest::mouseClick(m_window->findChild<QPushButton *>(widget), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam1, expected));
    QCOMPARE(commandsSinceClear(Cam1), QList<QByteArray>{expected});
    if (widget == QLatin1String("osdMenuBtn"))
        QCOMPARE(m_sim.control(Cam1, QStringLiteral("set menu 0")), QStringLiteral("OK menu 0"));
}

void TstMainWindow::controllerSliderSteps()
{
    auto *luminance = find<QSlider>("luminanceSlider");
    auto *hue = find<QSlider>("hueSlider");
    luminance->setValue(5);
    hue->setValue(5);
    flushAndClear(Cam1);
    // One counter for all three sliders: every third trigger moves one step.
    m_window->onLuminanceChangeTriggered(true);
    m_window->onLuminanceChangeTriggered(true);
    QCOMPARE(luminance->value(), 5);
    m_window->onLuminanceChangeTriggered(true);
    QCOMPARE(luminance->value(), 6);
    QVERIFY(m_sim.waitForRx(Cam1, packet("810104a100000006ff")));
    m_window->onLuminanceChangeTriggered(false);
    m_window->onContrastChangeTriggered(false);
    m_window->onHueChangeTriggered(false);
    QCOMPARE(luminance->value(), 6);
    QCOMPARE(hue->value(), 4);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101044f00000004ff")));

    // Moving a slider by keys sends every value it passes.
    flushAndClear(Cam1);
    luminance->setFocus();
    QTest::keyClick(luminance, Qt::Key_Right);
    QTest::keyClick(luminance, Qt::Key_Right);
    QVERIFY(m_sim.waitForRx(Cam1, packet("810104a100000008ff")));
    QCOMPARE(commandsSinceClear(Cam1),
             (QList<QByteArray>{packet("810104a100000007ff"), packet("810104a100000008ff")}));
}

void TstMainWindow::storePresetWithNameAndPicture()
{
    auto *mem2 = find<QPushButton>("mem2");
    const QString picture = snapshotFilePath(Cam1, 2);
    QFile::remove(picture);
    mem2->setStyleSheet(QString());
    m_window->setImageDownloaded(false);

    QTest::mouseClick(find<QRadioButton>("presetMode"), Qt::LeftButton);
    flushAndClear(Cam1);
    QString asked;
    ModalAnswer<QInputDialog> answer([&asked](QInputDialog *dialog) {
        asked = dialog->windowTitle() + QLatin1Char('|') + dialog->labelText() + QLatin1Char('|')
                + dialog->textValue();
        dialog->setTextValue(QStringLiteral("Stage"));
        dialog->accept();
    });
    QTest::mouseClick(mem2, Qt::LeftButton);
    QVERIFY(answer.seen());
    QCOMPARE(asked, QStringLiteral("Tavimorex|Preset #2 Name:|2"));
    QCOMPARE(mem2->text(), QStringLiteral("Stage"));
    QVERIFY(find<QRadioButton>("recallMode")->isChecked());
    QCOMPARE(appServices()->settings()->presetName(Cam1, 2), QStringLiteral("Stage"));
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043f0102ff")));
    QVERIFY(m_sim.waitForEvent(Cam1, QStringLiteral("HTTP")));
    QVERIFY(
        m_sim.entries(Cam1, QStringLiteral("HTTP")).first().text.contains(QLatin1String("/snapshot.jpg")));

    // The picture arrives and the button shows it.
    QTRY_VERIFY(m_window->isImageDownloaded());
    QVERIFY(QFile(picture).size() > 0);
    QCOMPARE(mem2->styleSheet(), MainWindowStyle::presetPictureButtonStyle(picture));

    // The next click recalls.
    flushAndClear(Cam1);
    QTest::mouseClick(mem2, Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043f0202ff")));
}

void TstMainWindow::storePresetSevenAsksNoPicture()
{
    const QString mem7Style = find<QPushButton>("mem7")->styleSheet();
    m_window->setImageDownloaded(false);
    QTest::mouseClick(find<QRadioButton>("presetMode"), Qt::LeftButton);
    flushAndClear(Cam1);
    QString label;
    ModalAnswer<QInputDialog> answer([&label](QInputDialog *dialog) {
        label = dialog->labelText();
        dialog->setTextValue(QStringLiteral("Door"));
        dialog->accept();
    });
    QTest::mouseClick(find<QPushButton>("mem7"), Qt::LeftButton);
    QVERIFY(answer.seen());
    QCOMPARE(label, QStringLiteral("Preset #7 Name:"));
    QCOMPARE(find<QPushButton>("mem7")->text(), QStringLiteral("Door"));
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043f0107ff")));
    waitQuiet(500);
    QCOMPARE(m_sim.countEvents(Cam1, QStringLiteral("HTTP")), 0);

    // A picture of a preset without a picture button only raises the flag.
    m_window->storePresetWithName(8, QStringLiteral("Web eight"));
    QCOMPARE(find<QPushButton>("mem8")->text(), QStringLiteral("Web eight"));
    QTRY_VERIFY(m_window->isImageDownloaded());
    QCOMPARE(find<QPushButton>("mem7")->styleSheet(), mem7Style);
    QCOMPARE(find<QPushButton>("mem8")->styleSheet(), mem7Style);
    QVERIFY(find<QRadioButton>("recallMode")->isChecked());
}

void TstMainWindow::emptyOrCancelledNameKeepsText_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<bool>("cancel");

    QTest::newRow("empty name") << 4 << false;
    QTest::newRow("cancelled") << 5 << true;
}

void TstMainWindow::emptyOrCancelledNameKeepsText()
{
    QFETCH(int, preset);
    QFETCH(bool, cancel);

    auto *button = m_window->findChild<QPushButton *>(QStringLiteral("mem") + QString::number(preset));
    const QString before = button->text();
    QTest::mouseClick(find<QRadioButton>("presetMode"), Qt::LeftButton);
    flushAndClear(Cam1);
    QString prefilled;
    ModalAnswer<QInputDialog> answer([&prefilled, cancel](QInputDialog *dialog) {
        prefilled = dialog->textValue();
        dialog->setTextValue(QString());
        if (cancel)
            dialog->reject();
        else
            dialog->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(answer.seen());
    QCOMPARE(prefilled, before);
    QCOMPARE(button->text(), before);
    QVERIFY(find<QRadioButton>("recallMode")->isChecked());
    // The position was stored before the name was asked.
    const QByteArray set = packet("8101043f01ff").insert(5, char(preset));
    QVERIFY(m_sim.waitForRx(Cam1, set));
    QCOMPARE(appServices()->settings()->presetName(Cam1, preset), before);
}

void TstMainWindow::recallReplaysStoredExposure()
{
    auto *ae = find<QComboBox>("aeModeSelect");
    auto *shutter = find<QComboBox>("shutterCombo");
    auto *iris = find<QComboBox>("irisCombo");
    auto *bright = find<QComboBox>("brightCombo");
    auto *luminance = find<QSlider>("luminanceSlider");
    auto *contrast = find<QSlider>("contrastSlider");
    auto *hue = find<QSlider>("hueSlider");
    auto *wb = find<QComboBox>("wbCombo");

    // Store preset 3 with AAE, iris F4.0 and picture values.
    clickCheckBox(find<QCheckBox>("storeExposure"));
    QVERIFY(find<QCheckBox>("storeExposure")->isChecked());
    choose(ae, 1);
    choose(shutter, 9);
    choose(iris, 7);
    choose(ae, 4);
    choose(bright, 5);
    choose(ae, 3);
    luminance->setValue(4);
    contrast->setValue(5);
    hue->setValue(6);
    choose(wb, 2);
    QTest::mouseClick(find<QRadioButton>("presetMode"), Qt::LeftButton);
    ModalAnswer<QInputDialog> answer([](QInputDialog *dialog) { dialog->accept(); });
    QTest::mouseClick(find<QPushButton>("mem3"), Qt::LeftButton);
    QVERIFY(answer.seen());
    AppSettings *store = appServices()->settings();
    QCOMPARE(store->presetAeMode(Cam1, 3), 3);
    QCOMPARE(store->presetIris(Cam1, 3), 7);
    QCOMPARE(store->presetShutterSpeed(Cam1, 3), 9);
    QCOMPARE(store->presetWbMode(Cam1, 3), 2);

    // Move every widget away from the stored values.
    choose(ae, 1);
    choose(shutter, 2);
    choose(iris, 2);
    luminance->setValue(10);
    contrast->setValue(11);
    hue->setValue(12);
    choose(wb, 0);
    waitQuiet();

    flushAndClear(Cam1);
    QTest::mouseClick(find<QPushButton>("mem3"), Qt::LeftButton);
    const QList<QByteArray> expected
        = {packet("8101043f0203ff"),     packet("810104390bff"),       packet("8101044b00000007ff"),
           packet("810104a100000004ff"), packet("810104a200000005ff"), packet("8101044f00000006ff"),
           packet("8101043502ff")};
    const QList<int> offsets = {0, 0, 1000, 2000, 2500, 3000, 3500};
    QVERIFY(m_sim.waitForRx(Cam1, expected.last(), 8000));
    waitQuiet(700);

    QList<QByteArray> commands;
    QList<qint64> times;
    const QList<QByteArray> rx = m_sim.rxPackets(Cam1);
    const QList<qint64> stamps = m_sim.rxTimestamps(Cam1);
    for (int i = 0; i < rx.size(); ++i) {
        if (!isInquiry(rx.at(i))) {
            commands << rx.at(i);
            times << stamps.at(i);
        }
    }
    // Shutter and brightness are not part of an AAE preset.
    QCOMPARE(commands, expected);
    for (int i = 1; i < times.size(); ++i) {
        const qint64 offset = times.at(i) - times.first();
        QVERIFY2(
            offset >= offsets.at(i) - 50 && offset <= offsets.at(i) + 600,
            qPrintable(
                QStringLiteral("step %1 at %2 ms, expected %3 ms").arg(i).arg(offset).arg(offsets.at(i))));
    }
    QCOMPARE(ae->currentIndex(), 3);
    QCOMPARE(shutter->currentIndex(), 2);
    QCOMPARE(wb->currentIndex(), 2);
}

void TstMainWindow::recallWithoutStoredExposureSendsOnlyRecall()
{
    clickCheckBox(find<QCheckBox>("storeExposure"));
    QVERIFY(!find<QCheckBox>("storeExposure")->isChecked());
    choose(find<QComboBox>("aeModeSelect"), 1);
    flushAndClear(Cam1);
    QTest::mouseClick(find<QPushButton>("mem3"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043f0203ff")));
    waitQuiet(1300);
    QCOMPARE(commandsSinceClear(Cam1), QList<QByteArray>{packet("8101043f0203ff")});
    QCOMPARE(find<QComboBox>("aeModeSelect")->currentIndex(), 1);

    // The web API and the controller recall the same way.
    flushAndClear(Cam1);
    m_window->onCallPreset(6);
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101043f0206ff")));
}

void TstMainWindow::speedsRememberedPerCamera()
{
    auto *pan = find<QComboBox>("panSpeed");
    auto *tilt = find<QComboBox>("tiltSpeed");
    auto *zoom = find<QComboBox>("zoomSpeed");
    auto *focus = find<QComboBox>("focusSpeed");
    choose(pan, 3);
    choose(zoom, 2);
    choose(focus, 4);
    QCOMPARE(tilt->currentIndex(), 3);

    // A camera never used shows the defaults, and loading them stores nothing.
    QVERIFY(selectAndWaitConnected("connectCam2", Cam2));
    QTRY_COMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Sim Two"));
    QCOMPARE(pan->currentIndex(), 7);
    QCOMPARE(tilt->currentIndex(), 7);
    QCOMPARE(zoom->currentIndex(), 5);
    QCOMPARE(focus->currentIndex(), 5);
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    for (const char *key : {"_pan_speed", "_tilt_speed", "_zoom_speed", "_focus_speed", "_pantilt_lock"})
        QVERIFY2(!file.contains(Cam2 + QLatin1String(key)), key);

    // Back on camera 1 its own choices return.
    QVERIFY(selectAndWaitConnected("connectCam1", Cam1));
    QCOMPARE(pan->currentIndex(), 3);
    QCOMPARE(tilt->currentIndex(), 3);
    QCOMPARE(zoom->currentIndex(), 2);
    QCOMPARE(focus->currentIndex(), 4);
    m_sim.clearLog();
    m_window->onAngleDownLeft();
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101060104040102ff")));
    m_window->onStopMoving();
    m_window->onZoomIn();
    QVERIFY(m_sim.waitForRx(Cam1, packet("8101040723ff")));
    m_window->onStopZooming();
}

void TstMainWindow::selectingAnotherCameraReleasesTheOld()
{
    appServices()->settings()->setPresetName(Cam3, 1, QStringLiteral("Wide"));
    for (const char *command : {"set shutter 18", "set iris 13"})
        QVERIFY(m_sim.control(Cam3, QLatin1String(command)).startsWith(QLatin1String("OK")));
    m_sim.clearLog();
    QVERIFY(selectAndWaitConnected("connectCam3", Cam3));
    QVERIFY(m_sim.waitForEvent(Cam1, QStringLiteral("DISCONNECT")));
    QCOMPARE(m_window->currentCamera(), appServices()->cameras().at(2));
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("connectCam") + QString::number(n);
        QCOMPARE(m_window->findChild<QPushButton *>(name)->styleSheet(),
                 n == 3 ? MainWindowStyle::currentCameraButtonStyle() : MainWindowStyle::cameraButtonStyle());
    }
    QTRY_COMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Sim Three"));
    QCOMPARE(statusLabel("serialNumberLabel")->text(), QStringLiteral("SN-0003"));
    QCOMPARE(statusLabel("connectionLabel")->text(), QStringLiteral("Connected"));
    // Camera 3's status; positions outside the tables show as numbers.
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("shutterStatusLabel")->text(), QStringLiteral("Shutter:18"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("irisStatusLabel")->text(), QStringLiteral("Iris:13"), 5000);
    // Camera 3's preset names.
    QCOMPARE(find<QPushButton>("mem1")->text(), QStringLiteral("Wide"));
    QCOMPARE(find<QPushButton>("mem2")->text(), QStringLiteral("2"));
    // Controls now reach camera 3 only.
    m_sim.clearLog();
    QTest::mousePress(find<QPushButton>("MoveHome"), Qt::LeftButton);
    QTest::mouseRelease(find<QPushButton>("MoveHome"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam3, packet("81010604ff")));
    QVERIFY(m_sim.rxPackets(Cam1).isEmpty());

    // A controller reaches cameras 1 to 4 only.
    m_window->onSwitchCamera(5);
    QCOMPARE(m_window->currentCamera(), appServices()->cameras().at(2));
}

void TstMainWindow::appLogHasOneLinePerConnectionChange()
{
    auto readLog = [] {
        QFile log(DataPaths::logFile());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))
                                             : QStringList{QStringLiteral("(no log)")};
    };
    // Cameras 1, 2, 1 and 3 connected; a network camera released by a selection reports no disconnection,
    // so the connections follow each other without a line between them.
    QCOMPARE(readLog().join(QLatin1Char('\n')),
             (QStringList{ConnectedLine, ConnectedLine, ConnectedLine, ConnectedLine, QString()}.join(
                 QLatin1Char('\n'))));

    // The current camera reports its link down.
    CameraWrapper *camera = m_window->currentCamera();
    QVERIFY(camera);
    Q_EMIT camera->clientDisconnected();
    QCOMPARE(readLog().join(QLatin1Char('\n')), (QStringList{ConnectedLine, ConnectedLine, ConnectedLine,
                                                             ConnectedLine, DisconnectedLine, QString()}
                                                     .join(QLatin1Char('\n'))));
    QCOMPARE(m_window->currentCamera(), nullptr);
    QCOMPARE(statusLabel("connectionLabel")->text(), QStringLiteral("Unconnected"));
    QCOMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Device Name"));
    QCOMPARE(statusLabel("serialNumberLabel")->text(), QStringLiteral("Serial Number"));
    QVERIFY(!find<QPushButton>("focusIn")->isEnabled());
    // Nothing reaches any camera any more.
    m_sim.clearLog();
    QTest::mousePress(find<QPushButton>("MoveHome"), Qt::LeftButton);
    QTest::mouseRelease(find<QPushButton>("MoveHome"), Qt::LeftButton);
    m_window->zoomInAtSpeed(3);
    waitQuiet();
    QCOMPARE(commandsSinceClear(Cam3), QList<QByteArray>());
    QVERIFY(m_window->appendLog(QStringLiteral("x")));
}

void TstMainWindow::multiCameraDialogRebuildsTheList()
{
    const QList<CameraWrapper *> before = appServices()->cameras();
    {
        ModalAnswer<QDialog> answer([](QDialog *dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("multiDlgCancel")),
                              Qt::LeftButton);
        });
        find<QAction>("actionMultiCameras")->trigger();
        QVERIFY(answer.seen());
    }
    QCOMPARE(appServices()->cameras(), before);

    // Connected to camera 1, then the list is saved with new names for cameras 2 and 6.
    QVERIFY(selectAndWaitConnected("connectCam1", Cam1));
    QCOMPARE(presetSettingDlg()->camera(), appServices()->cameras().at(0));
    QString modalName;
    bool okFound = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("MultiCameras"))
            return;
        answer.stop();
        modalName = dialog->objectName();
        dialog->findChild<QLineEdit *>(QStringLiteral("camName2"))->setText(QStringLiteral("Balcony Camera"));
        dialog->findChild<QLineEdit *>(QStringLiteral("camName6"))->setText(QStringLiteral("Gallery"));
        auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("multiDlgOK"));
        okFound = ok != nullptr;
        if (ok)
            QTest::mouseClick(ok, Qt::LeftButton);
    });
    answer.start();
    find<QAction>("actionMultiCameras")->trigger();
    answer.stop();
    QCOMPARE(modalName, QStringLiteral("MultiCameras"));
    QVERIFY(okFound);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(appServices()->cameras() != before);
    // Relabelled from the new list; names the dialog kept stay as they were.
    QCOMPARE(find<QPushButton>("connectCam1")->text(), QStringLiteral("Studio Le\u2026"));
    QCOMPARE(find<QPushButton>("connectCam2")->text(), QStringLiteral("Balcony C\u2026"));
    QCOMPARE(find<QPushButton>("connectCam3")->text(), Cam3Name);
    QCOMPARE(find<QPushButton>("connectCam6")->text(), QStringLiteral("Gallery"));
    // No camera is current, for the window and for its preset setting dialog.
    QCOMPARE(m_window->currentCamera(), nullptr);
    QCOMPARE(presetSettingDlg()->camera(), nullptr);
    m_sim.clearLog();
    QTest::mousePress(find<QPushButton>("MoveHome"), Qt::LeftButton);
    QTest::mouseRelease(find<QPushButton>("MoveHome"), Qt::LeftButton);
    m_window->onCallPreset(2);
    waitQuiet();
    QCOMPARE(commandsSinceClear(Cam1), QList<QByteArray>());
    // Nothing is sent until a camera is selected again; then the new camera objects report to the window.
    m_sim.clearLog();
    QVERIFY(selectAndWaitConnected("connectCam2", Cam2));
    QCOMPARE(m_window->currentCamera(), appServices()->cameras().at(1));
    QTRY_COMPARE(statusLabel("deviceNameLabel")->text(), QStringLiteral("Sim Two"));
}

void TstMainWindow::exitQuitsTheEventLoop()
{
    // "Exit" leaves through the event loop (code 0), so the application's teardown runs after it.
    QTimer::singleShot(0, m_window, [this] { find<QAction>("actionExit")->trigger(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(m_window->isVisible());
}

void TstMainWindow::screenshots()
{
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("set TAVIMOREX_SCREENSHOTS to a folder to save pictures of the window");
    QVERIFY(QDir().mkpath(folder));

    // Camera 1, connected and with its exposure values loaded (the first poll cycle has been answered once
    // the next cycle's first inquiry goes out).
    m_sim.clearLog();
    QVERIFY(selectAndWaitConnected("connectCam1", Cam1));
    QVERIFY(m_sim.waitForRx(Cam1, packet("81090435ff"), 9000));
    QVERIFY(m_sim.waitForRx(Cam1, packet("81090447ff"), 3000));
    const char *names[] = {"Wide", "Stage", "Pulpit", "Choir", "Door", "Audience"};
    m_window->setImageDownloaded(false);
    for (int n = 1; n <= 6; ++n) {
        m_window->storePresetWithName(n, QLatin1String(names[n - 1]));
        QTRY_VERIFY(QFile::exists(snapshotFilePath(Cam1, n)));
    }
    QTRY_VERIFY(m_window->isImageDownloaded());
    m_window->storePresetWithName(7, QStringLiteral("Lectern"));
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel("panStatusLabel")->text().size(), 8, 8000);

    auto *statusBarAction = find<QAction>("actionStatusBar");
    if (!statusBarAction->isChecked())
        statusBarAction->trigger();
    find<QAction>("actionCompactMode")->trigger();
    waitQuiet(200);
    QVERIFY(m_window->grab().save(folder + QStringLiteral("/mainwindow-compact.png")));
    find<QAction>("actionAdvancedMode")->trigger();
    waitQuiet(200);
    QVERIFY(m_window->grab().save(folder + QStringLiteral("/mainwindow-advanced.png")));

    // The dialogs the window opens: the preset setting tool window, then the three modal ones.
    find<QAction>("actionPresetSetting")->trigger();
    PresetSettingDlg *preset = presetSettingDlg();
    QVERIFY(QTest::qWaitForWindowExposed(preset));
    choose(preset->findChild<QComboBox *>(QStringLiteral("presetCmb")), 1);
    waitQuiet(200);
    QVERIFY(preset->grab().save(folder + QStringLiteral("/presetsettingdlg.png")));
    preset->close();
    QVERIFY(grabModal<PanTiltLimitDlg>("actionPanTiltLimitSetting",
                                       folder + QStringLiteral("/pantiltlimitdlg.png")));
    QVERIFY(grabModal<JoyStickDlg>("actionJoyStick", folder + QStringLiteral("/joystickdlg.png")));
    QVERIFY(grabModal<WebServerSettings>("actionWebServerSetting",
                                         folder + QStringLiteral("/webserversettings.png")));
    qInfo("saved mainwindow-compact.png, mainwindow-advanced.png, presetsettingdlg.png, pantiltlimitdlg.png, "
          "joystickdlg.png and webserversettings.png in %s",
          qPrintable(folder));
}

template<typename D>
bool TstMainWindow::grabModal(const char *actionName, const QString &file)
{
    bool saved = false;
    ModalAnswer<D> answer([&saved, &file](D *dialog) {
        // Long enough for a status update to reach a dialog that shows the camera's position.
        QTest::qWait(1200);
        saved = dialog->grab().save(file);
        dialog->reject();
    });
    find<QAction>(actionName)->trigger();
    return answer.seen() && saved;
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        // The camera list the window is built from.
        AppSettings store;
        CameraWrapper one(0, Cam1, Cam1Name, Cam1);
        CameraWrapper two(0, Cam2, QStringLiteral("Cam2"), Cam2);
        CameraWrapper three(0, Cam3, Cam3Name, Cam3);
        store.writeCameraList({&one, &two, &three});
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    TstMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
