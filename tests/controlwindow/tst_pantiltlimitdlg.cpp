// The pan/tilt limit dialog on a network camera connected to the camera simulator (127.0.12.11), inside
// the real application object: the live degrees follow the simulated head, the pad drives it at speed 5,
// the two apply buttons store the limits and send the limit packets.

#include "appservices.h"
#include "appsettings.h"
#include "darkstyle.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "mainwindowstyle.h"
#include "pantiltlimitdlg.h"
#include "ptzsimprocess.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString Cam = QStringLiteral("127.0.12.11");

QByteArray packet(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

bool isInquiry(const QByteArray &p)
{
    return p.size() >= 2 && quint8(p.at(0)) == 0x81 && quint8(p.at(1)) == 0x09;
}

bool saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return true;
    return QDir().mkpath(folder)
           && widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")), "PNG");
}

} // namespace

class TstPanTiltLimitDlg : public QObject
{
    Q_OBJECT

public:
    explicit TstPanTiltLimitDlg(TavimorexApp *app) : m_app(app) {}

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form_data();
    void form();
    void padButtons();
    void storedLimitsShownAtOpen();
    void degreeLabels_data();
    void degreeLabels();
    void pad_data();
    void pad();
    void applyDownLeft_data();
    void applyDownLeft();
    void applyUpRight_data();
    void applyUpRight();
    void reopeningShowsStoredLimits();
    void withoutCameraDoesNothing();
    void menuWithoutConnectedCamera();
    void screenshot();

private:
    // Places the simulated head and waits until the dialog's labels show it.
    bool placeHead(PanTiltLimitDlg *dialog,
                   const QString &pan,
                   const QString &tilt,
                   const QString &panText,
                   const QString &tiltText);
    // Commands (not inquiries) the simulator received since the last clearLog().
    QList<QByteArray> commands() const;
    // Sends a harmless command and waits for it, so everything sent before it has arrived.
    bool flush();
    template<typename T>
    static T *find(QWidget *dialog, const char *name)
    {
        return dialog->findChild<T *>(QLatin1String(name));
    }

    TavimorexApp *m_app;
    PtzSimProcess m_sim;
    std::unique_ptr<IPCamera> m_camera;
};

void TstPanTiltLimitDlg::initTestCase()
{
    QVERIFY2(m_sim.start({Cam}), qPrintable(m_sim.errorString()));
    // A camera of its own, so that the main window (which knows only the application's list) never
    // touches it.
    m_camera = std::make_unique<IPCamera>(Cam, QStringLiteral("Limits"), Cam);
    QSignalSpy connected(m_camera.get(), &CameraWrapper::clientConnected);
    m_camera->connectCamera();
    QVERIFY(connected.wait(5000));
}

void TstPanTiltLimitDlg::init()
{
    // Power-on state: centred, no limits in the camera.
    QVERIFY(m_sim.control(Cam, QStringLiteral("reset")).startsWith(QLatin1String("OK")));
    m_sim.clearLog();
}

void TstPanTiltLimitDlg::cleanupTestCase()
{
    m_camera->disconnectCamera();
    m_camera.reset();
    m_sim.stop();
}

QList<QByteArray> TstPanTiltLimitDlg::commands() const
{
    QList<QByteArray> result;
    for (const QByteArray &p : m_sim.rxPackets(Cam)) {
        if (!isInquiry(p))
            result.append(p);
    }
    return result;
}

bool TstPanTiltLimitDlg::flush()
{
    const QByteArray marker = packet("8101040700ff"); // stop zooming: changes nothing
    const int before = m_sim.countRx(Cam, marker);
    m_camera->stopZooming();
    return m_sim.waitForRx(Cam, marker, 5000, before + 1);
}

bool TstPanTiltLimitDlg::placeHead(PanTiltLimitDlg *dialog,
                                   const QString &pan,
                                   const QString &tilt,
                                   const QString &panText,
                                   const QString &tiltText)
{
    if (!m_sim.control(Cam, QStringLiteral("set pan ") + pan).startsWith(QLatin1String("OK"))
        || !m_sim.control(Cam, QStringLiteral("set tilt ") + tilt).startsWith(QLatin1String("OK")))
        return false;
    // The polling asks for the position once a cycle; asking now spares the test the wait.
    m_camera->inquirePanTiltPosition();
    auto *panLabel = find<QLabel>(dialog, "panLabel");
    auto *tiltLabel = find<QLabel>(dialog, "tiltLabel");
    return QTest::qWaitFor([&] { return panLabel->text() == panText && tiltLabel->text() == tiltText; },
                           8000);
}

void TstPanTiltLimitDlg::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");

    auto row = [](const char *name, const char *cls, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(text);
    };
    row("label", "QLabel", "Left");
    row("leftLimitEdit", "QLineEdit", "*");
    row("label_2", "QLabel", "Down");
    row("downLimitEdit", "QLineEdit", "*");
    row("label_3", "QLabel", "Right");
    row("rightLimitEdit", "QLineEdit", "*");
    row("label_4", "QLabel", "Up");
    row("upLimitEdit", "QLineEdit", "*");
    row("panLabel", "QLabel", "Pan: FFFF");
    row("tiltLabel", "QLabel", "Tilt: FFFF");
    row("label_5", "QLabel",
        "After moving to the position you want, please wait for 6 seconds to get the correct position.");
    row("leftDownBtn", "QPushButton", "Apply To Left Down");
    row("rightUpBtn", "QPushButton", "Apply to Right Up");
}

void TstPanTiltLimitDlg::form()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);

    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Pan/Tilt Limit Setting"));
    QCOMPARE(dialog.size(), QSize(240, 383));
    QCOMPARE(dialog.styleSheet(), DarkStyle::dialogStyleSheet());
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    QWidget *w = dialog.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), text);
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        QVERIFY2(edit->isReadOnly(), "the limit fields only show what is stored");

    if (name == QLatin1String("label_5")) {
        auto *note = static_cast<QLabel *>(w);
        QCOMPARE(note->styleSheet(), QStringLiteral("QLabel{\nfont-weight:bold;\n}"));
        QVERIFY(note->wordWrap());
        QCOMPARE(note->alignment(), Qt::AlignCenter);
    }
}

void TstPanTiltLimitDlg::padButtons()
{
    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const char *buttons[][2] = {{"moveUpBtn", "uparrow.png"},
                                {"moveLeftBtn", "leftarrow.png"},
                                {"moveHomeBtn", "home.png"},
                                {"moveRightBtn", "rightarrow.png"},
                                {"moveDownBtn", "downarrow.png"}};
    for (const auto &b : buttons) {
        auto *button = find<QPushButton>(&dialog, b[0]);
        QVERIFY2(button, b[0]);
        QVERIFY(button->text().isEmpty());
        QCOMPARE(button->size(), QSize(44, 44));
        QCOMPARE(button->styleSheet(), MainWindowStyle::padButtonStyle(QLatin1String(b[1])));
    }
    // Up over home over down in the middle column, left and right beside home.
    auto centre = [&](const char *name) {
        return find<QPushButton>(&dialog, name)->geometry().center();
    };
    QCOMPARE(centre("moveUpBtn").x(), centre("moveHomeBtn").x());
    QCOMPARE(centre("moveDownBtn").x(), centre("moveHomeBtn").x());
    QVERIFY(centre("moveUpBtn").y() < centre("moveHomeBtn").y());
    QVERIFY(centre("moveDownBtn").y() > centre("moveHomeBtn").y());
    QCOMPARE(centre("moveLeftBtn").y(), centre("moveHomeBtn").y());
    QCOMPARE(centre("moveRightBtn").y(), centre("moveHomeBtn").y());
    QVERIFY(centre("moveLeftBtn").x() < centre("moveHomeBtn").x());
    QVERIFY(centre("moveRightBtn").x() > centre("moveHomeBtn").x());
}

void TstPanTiltLimitDlg::storedLimitsShownAtOpen()
{
    // Nothing stored yet for this camera: the defaults.
    {
        PanTiltLimitDlg dialog(nullptr, m_camera.get());
        QCOMPARE(find<QLineEdit>(&dialog, "leftLimitEdit")->text(), QStringLiteral("170"));
        QCOMPARE(find<QLineEdit>(&dialog, "rightLimitEdit")->text(), QStringLiteral("170"));
        QCOMPARE(find<QLineEdit>(&dialog, "downLimitEdit")->text(), QStringLiteral("30"));
        QCOMPARE(find<QLineEdit>(&dialog, "upLimitEdit")->text(), QStringLiteral("90"));
    }
    // Each field reads its own key.
    AppSettings *store = appServices()->settings();
    const QString other = QStringLiteral("192.168.9.9");
    store->setCameraLimit(other, 0, 11);
    store->setCameraLimit(other, 1, 22);
    store->setCameraLimit(other, 2, 3);
    store->setCameraLimit(other, 3, 44);
    IPCamera camera(other, QStringLiteral("Other"), other);
    PanTiltLimitDlg dialog(nullptr, &camera);
    QCOMPARE(find<QLineEdit>(&dialog, "leftLimitEdit")->text(), QStringLiteral("11"));
    QCOMPARE(find<QLineEdit>(&dialog, "rightLimitEdit")->text(), QStringLiteral("22"));
    QCOMPARE(find<QLineEdit>(&dialog, "downLimitEdit")->text(), QStringLiteral("3"));
    QCOMPARE(find<QLineEdit>(&dialog, "upLimitEdit")->text(), QStringLiteral("44"));
}

void TstPanTiltLimitDlg::degreeLabels_data()
{
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QString>("panText");
    QTest::addColumn<QString>("tiltText");

    QTest::newRow("right 170, up 0") << "0990"
                                     << "0000"
                                     << "Pan(right) :170"
                                     << "Tilt(Up) :0";
    QTest::newRow("left 170, down 30") << "f66f"
                                       << "fe4f"
                                       << "Pan(Left) :170"
                                       << "Tilt(Down) :30";
    QTest::newRow("centre, up 90") << "0000"
                                   << "0510"
                                   << "Pan(right) :0"
                                   << "Tilt(Up) :90";
    // Truncated toward zero: 1000 / 14.4 = 69.4, (65535 - 65000) / 14.4 = 37.2.
    QTest::newRow("truncated") << "03e8"
                               << "fde8"
                               << "Pan(right) :69"
                               << "Tilt(Down) :37";
}

void TstPanTiltLimitDlg::degreeLabels()
{
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QString, panText);
    QFETCH(QString, tiltText);

    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(placeHead(&dialog, pan, tilt, panText, tiltText));
}

void TstPanTiltLimitDlg::pad_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("onPress");

    QTest::newRow("up") << "moveUpBtn" << packet("810106010505 0301ff");
    QTest::newRow("down") << "moveDownBtn" << packet("810106010505 0302ff");
    QTest::newRow("left") << "moveLeftBtn" << packet("810106010505 0103ff");
    QTest::newRow("right") << "moveRightBtn" << packet("810106010505 0203ff");
    QTest::newRow("home") << "moveHomeBtn" << packet("81010604ff");
}

void TstPanTiltLimitDlg::pad()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, onPress);

    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *b = dialog.findChild<QPushButton *>(button);
    QVERIFY(b);

    QTest::mousePress(b, Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(Cam, onPress));
    QTest::mouseRelease(b, Qt::LeftButton);
    QVERIFY(flush());

    const QByteArray stop = packet("8101060105050303ff");
    const QByteArray marker = packet("8101040700ff");
    // Every direction stops with speed 5 on release; home is one command and its release sends nothing.
    const QList<QByteArray> expected = button == QLatin1String("moveHomeBtn")
                                           ? QList<QByteArray>{onPress, marker}
                                           : QList<QByteArray>{onPress, stop, marker};
    QCOMPARE(commands(), expected);
}

void TstPanTiltLimitDlg::applyDownLeft_data()
{
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QString>("panText");
    QTest::addColumn<QString>("tiltText");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("down");
    QTest::addColumn<QByteArray>("sent");

    // Right of centre: the widest left limit (0xF66F, 170 degrees); below centre: the current tilt
    // (0xFF00: 255 / 14.4 = 17 degrees). Tilt goes first to the camera, so the packet carries the pan
    // nibbles F 6 6 F and then the tilt nibbles F F 0 0.
    QTest::newRow("right of centre, below")
        << "0990"
        << "ff00"
        << "Pan(right) :170"
        << "Tilt(Down) :17" << 170 << 17 << packet("8101060700 00 0f06060f 0f0f0000 ff");
    // Left of centre (0xFA00: 1535 / 14.4 = 106) and above: the widest down limit (0xFE4F, 30 degrees).
    QTest::newRow("left of centre, above")
        << "fa00"
        << "0100"
        << "Pan(Left) :106"
        << "Tilt(Up) :17" << 106 << 30 << packet("8101060700 00 0f0a0000 0f0e040f ff");
    // Both on the other side: both widest.
    QTest::newRow("right and above") << "0400"
                                     << "0300"
                                     << "Pan(right) :71"
                                     << "Tilt(Up) :53" << 170 << 30
                                     << packet("8101060700 00 0f06060f 0f0e040f ff");
}

void TstPanTiltLimitDlg::applyDownLeft()
{
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QString, panText);
    QFETCH(QString, tiltText);
    QFETCH(int, left);
    QFETCH(int, down);
    QFETCH(QByteArray, sent);

    AppSettings *store = appServices()->settings();
    store->setCameraLimit(Cam, 0, 1);
    store->setCameraLimit(Cam, 1, 2);
    store->setCameraLimit(Cam, 2, 3);
    store->setCameraLimit(Cam, 3, 4);

    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(placeHead(&dialog, pan, tilt, panText, tiltText));
    m_sim.clearLog();

    QTest::mouseClick(find<QPushButton>(&dialog, "leftDownBtn"), Qt::LeftButton);
    QCOMPARE(find<QLineEdit>(&dialog, "leftLimitEdit")->text(), QString::number(left));
    QCOMPARE(find<QLineEdit>(&dialog, "downLimitEdit")->text(), QString::number(down));
    // The other corner is untouched.
    QCOMPARE(find<QLineEdit>(&dialog, "rightLimitEdit")->text(), QStringLiteral("2"));
    QCOMPARE(find<QLineEdit>(&dialog, "upLimitEdit")->text(), QStringLiteral("4"));
    QCOMPARE(store->cameraLimit(Cam, 0), left);
    QCOMPARE(store->cameraLimit(Cam, 2), down);
    QCOMPARE(store->cameraLimit(Cam, 1), 2);
    QCOMPARE(store->cameraLimit(Cam, 3), 4);

    QVERIFY(flush());
    QCOMPARE(commands(), (QList<QByteArray>{sent, packet("8101040700ff")}));
}

void TstPanTiltLimitDlg::applyUpRight_data()
{
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QString>("panText");
    QTest::addColumn<QString>("tiltText");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("up");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("panMax"); // the corner as the simulated camera keeps it
    QTest::addColumn<int>("tiltMax");

    // Right of centre and above: the current position (0x0500: 88 degrees, 0x0200: 35 degrees).
    QTest::newRow("right and above") << "0500"
                                     << "0200"
                                     << "Pan(right) :88"
                                     << "Tilt(Up) :35" << 88 << 35
                                     << packet("8101060700 01 00050000 00020000 ff") << 0x0500 << 0x0200;
    // Left of centre and below: the widest (0x0990, 170 degrees right; 0x0510, 90 degrees up).
    QTest::newRow("left and below") << "f66f"
                                    << "fe4f"
                                    << "Pan(Left) :170"
                                    << "Tilt(Down) :30" << 170 << 90
                                    << packet("8101060700 01 00090900 00050100 ff") << 0x0990 << 0x0510;
}

void TstPanTiltLimitDlg::applyUpRight()
{
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QString, panText);
    QFETCH(QString, tiltText);
    QFETCH(int, right);
    QFETCH(int, up);
    QFETCH(QByteArray, sent);
    QFETCH(int, panMax);
    QFETCH(int, tiltMax);

    AppSettings *store = appServices()->settings();
    store->setCameraLimit(Cam, 0, 1);
    store->setCameraLimit(Cam, 2, 3);

    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(placeHead(&dialog, pan, tilt, panText, tiltText));
    m_sim.clearLog();

    QTest::mouseClick(find<QPushButton>(&dialog, "rightUpBtn"), Qt::LeftButton);
    QCOMPARE(find<QLineEdit>(&dialog, "rightLimitEdit")->text(), QString::number(right));
    QCOMPARE(find<QLineEdit>(&dialog, "upLimitEdit")->text(), QString::number(up));
    QCOMPARE(find<QLineEdit>(&dialog, "leftLimitEdit")->text(), QStringLiteral("1"));
    QCOMPARE(find<QLineEdit>(&dialog, "downLimitEdit")->text(), QStringLiteral("3"));
    QCOMPARE(store->cameraLimit(Cam, 1), right);
    QCOMPARE(store->cameraLimit(Cam, 3), up);
    QCOMPARE(store->cameraLimit(Cam, 0), 1);
    QCOMPARE(store->cameraLimit(Cam, 2), 3);

    QVERIFY(flush());
    QCOMPARE(commands(), (QList<QByteArray>{sent, packet("8101040700ff")}));
    // The camera took the corner.
    const QJsonObject state = m_sim.state(Cam);
    QCOMPARE(state.value(QStringLiteral("panmax")).toInt(), panMax);
    QCOMPARE(state.value(QStringLiteral("tiltmax")).toInt(), tiltMax);
}

void TstPanTiltLimitDlg::reopeningShowsStoredLimits()
{
    {
        PanTiltLimitDlg dialog(nullptr, m_camera.get());
        dialog.show();
        QVERIFY(placeHead(&dialog, QStringLiteral("f900"), QStringLiteral("fe80"),
                          QStringLiteral("Pan(Left) :124"), QStringLiteral("Tilt(Down) :26")));
        QTest::mouseClick(find<QPushButton>(&dialog, "leftDownBtn"), Qt::LeftButton);
        QVERIFY(placeHead(&dialog, QStringLiteral("0700"), QStringLiteral("0400"),
                          QStringLiteral("Pan(right) :124"), QStringLiteral("Tilt(Up) :71")));
        QTest::mouseClick(find<QPushButton>(&dialog, "rightUpBtn"), Qt::LeftButton);
    }
    PanTiltLimitDlg reopened(nullptr, m_camera.get());
    QCOMPARE(find<QLineEdit>(&reopened, "leftLimitEdit")->text(), QStringLiteral("124"));
    QCOMPARE(find<QLineEdit>(&reopened, "downLimitEdit")->text(), QStringLiteral("26"));
    QCOMPARE(find<QLineEdit>(&reopened, "rightLimitEdit")->text(), QStringLiteral("124"));
    QCOMPARE(find<QLineEdit>(&reopened, "upLimitEdit")->text(), QStringLiteral("71"));
    // Written to the settings file, not only kept in memory.
    appServices()->settings()->sync();
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("cameralimit_0_") + Cam).toInt(), 124);
    QCOMPARE(file.value(QStringLiteral("cameralimit_3_") + Cam).toInt(), 71);
}

void TstPanTiltLimitDlg::withoutCameraDoesNothing()
{
    PanTiltLimitDlg dialog(nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const char *name : {"leftLimitEdit", "rightLimitEdit", "downLimitEdit", "upLimitEdit"})
        QVERIFY(find<QLineEdit>(&dialog, name)->text().isEmpty());
    for (const char *name : {"moveUpBtn", "moveLeftBtn", "moveHomeBtn", "leftDownBtn", "rightUpBtn"})
        QTest::mouseClick(find<QPushButton>(&dialog, name), Qt::LeftButton);
    QVERIFY(find<QLineEdit>(&dialog, "leftLimitEdit")->text().isEmpty());
    QCOMPARE(find<QLabel>(&dialog, "panLabel")->text(), QStringLiteral("Pan: FFFF"));
    QVERIFY(flush());
    QCOMPARE(commands(), QList<QByteArray>{packet("8101040700ff")});
}

void TstPanTiltLimitDlg::menuWithoutConnectedCamera()
{
    // The main window has no connected camera here: the menu entry only says so.
    QAction *action = m_app->mainWindow()->findChild<QAction *>(QStringLiteral("actionPanTiltLimitSetting"));
    QVERIFY(action);
    QString text;
    QString title;
    bool limitDialogSeen = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (qobject_cast<PanTiltLimitDlg *>(modal)) {
            limitDialogSeen = true;
            static_cast<QDialog *>(modal)->reject();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            text = box->text();
            title = box->windowTitle();
            box->accept();
        }
    });
    answer.start();
    action->trigger();
    answer.stop();
    QCOMPARE(text, QStringLiteral("No camera connected"));
    QCOMPARE(title, QStringLiteral("Tavimorex App"));
    QVERIFY(!limitDialogSeen);
}

void TstPanTiltLimitDlg::screenshot()
{
    PanTiltLimitDlg dialog(nullptr, m_camera.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(placeHead(&dialog, QStringLiteral("f66f"), QStringLiteral("0200"),
                      QStringLiteral("Pan(Left) :170"), QStringLiteral("Tilt(Up) :35")));
    QVERIFY(saveScreenshot(&dialog, QStringLiteral("pantiltlimitdlg")));
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    TavimorexApp app(argc, argv);
    TstPanTiltLimitDlg test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pantiltlimitdlg.moc"
