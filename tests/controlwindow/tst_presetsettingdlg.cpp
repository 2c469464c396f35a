// The preset setting dialog inside the real application object: its form, the picture and name of the
// selected preset, the signals of its buttons and pad, the picture refresh after a download and the camera
// change. The last group drives it as the main window hosts it, against the camera simulator on
// 127.0.12.1-127.0.12.2.

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "darkstyle.h"
#include "mainwindow.h"
#include "mainwindowstyle.h"
#include "presetrecord.h"
#include "presetsettingdlg.h"
#include "ptzsimprocess.h"
#include "snapshotfilepath.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Cameras of the application's list, served by the simulator.
const QString SimCam1 = QStringLiteral("127.0.12.1");
const QString SimCam2 = QStringLiteral("127.0.12.2");
// Cameras that only lend the dialog their ids.
const QString IdA = QStringLiteral("192.168.7.1");
const QString IdB = QStringLiteral("192.168.7.2");

const QColor Red(220, 20, 20);
const QColor Blue(20, 20, 220);

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

// Writes a one-colour JPEG as the stored picture of a preset; the size makes files of different pictures
// differ in length, as the camera's pictures do.
bool writePicture(const QString &cameraId, int presetNum, const QColor &colour, const QSize &size)
{
    const QString path = snapshotFilePath(cameraId, presetNum);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "JPG", 95);
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

// What the picture label shows a little above its centre (the centre itself carries the label's text).
QColor shownColour(QLabel *label)
{
    const QImage shot = label->grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2 - 30);
}

// Records (and closes) any modal window that opens while it lives.
class ModalWatch
{
public:
    ModalWatch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                m_seen = true;
                modal->close();
            }
        });
        m_timer.start();
    }
    bool seen() const { return m_seen; }

private:
    QTimer m_timer;
    bool m_seen = false;
};

} // namespace

class TstPresetSettingDlg : public QObject
{
    Q_OBJECT

public:
    explicit TstPresetSettingDlg(TavimorexApp *app) : m_app(app) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    // The dialog on its own.
    void form_data();
    void form();
    void layoutAndLists();
    void dialogStyle();
    void withoutCameraNothingIsShown();
    void selectingShowsStoredPictureAndName();
    void buttonsRaiseTheirSignal_data();
    void buttonsRaiseTheirSignal();
    void padSignals_data();
    void padSignals();
    void finishedDownloadRefreshesOnlyTheShownPreset();
    void anotherCameraShowsPresetOne();
    void clearingAPresetRecord();
    void screenshot();

    // As the main window hosts it, on the simulated camera 1.
    void mainWindowHostsTheDialog();
    void padReleaseStopsWithSelectedSpeeds();
    void setAndCallThroughTheMainWindow();
    void storingRenamesOnlyTheNineButtons_data();
    void storingRenamesOnlyTheNineButtons();
    void disconnectionLeavesTheDialogWithoutCamera();

private:
    static void choose(QComboBox *combo, int index);
    template<typename T>
    static T *find(QWidget *parent, const char *name)
    {
        T *child = parent->findChild<T *>(QLatin1String(name));
        if (!child)
            qWarning("no widget %s", name);
        return child;
    }
    QList<QByteArray> commands(const QString &address) const;
    bool flush(CameraWrapper *camera, const QString &address);
    PresetSettingDlg *hostedDialog() const;
    bool connectSimCamera1();

    TavimorexApp *m_app;
    PtzSimProcess m_sim;
    std::unique_ptr<CameraWrapper> m_cameraA;
    std::unique_ptr<CameraWrapper> m_cameraB;
};

void TstPresetSettingDlg::initTestCase()
{
    m_cameraA = std::make_unique<CameraWrapper>(0, IdA, QStringLiteral("A"), IdA);
    m_cameraB = std::make_unique<CameraWrapper>(0, IdB, QStringLiteral("B"), IdB);
    QVERIFY2(m_sim.start({SimCam1, SimCam2}), qPrintable(m_sim.errorString()));
}

void TstPresetSettingDlg::cleanupTestCase()
{
    m_sim.stop();
}

void TstPresetSettingDlg::choose(QComboBox *combo, int index)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

QList<QByteArray> TstPresetSettingDlg::commands(const QString &address) const
{
    QList<QByteArray> result;
    for (const QByteArray &p : m_sim.rxPackets(address)) {
        if (!isInquiry(p))
            result.append(p);
    }
    return result;
}

bool TstPresetSettingDlg::flush(CameraWrapper *camera, const QString &address)
{
    const QByteArray marker = packet("8101040700ff"); // stop zooming: changes nothing
    const int before = m_sim.countRx(address, marker);
    camera->stopZooming();
    return m_sim.waitForRx(address, marker, 5000, before + 1);
}

void TstPresetSettingDlg::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    auto row = [](const char *name, const char *cls, const char *text, const char *tip) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(text) << QString::fromLatin1(tip);
    };
    row("imgLbl", "QLabel", "Preset Preview Image ", "Preset Image");
    row("setBtn", "QPushButton", "Set", "Set Preset");
    row("callBtn", "QPushButton", "Call", "Call Preset");
    row("clearImageBtn", "QPushButton", "Clear Image", "Clear Preset Image");
    row("clearPresetBtn", "QPushButton", "Clear Preset", "Clear Preset");
    row("upBtn", "QPushButton", "", "Move Up");
    row("leftBtn", "QPushButton", "", "Move Left");
    row("homeBtn", "QPushButton", "", "Move Home");
    row("rightBtn", "QPushButton", "", "Move Right");
    row("downBtn", "QPushButton", "", "Move Down");
    row("inBtn", "QPushButton", "", "Zoom In");
    row("outBtn", "QPushButton", "", "Zoom Out");
    row("presetCmb", "QComboBox", "", "Preset Numbers");
    row("presetEdit", "QLineEdit", "", "Preset Name");
    row("widget", "QWidget", "", "");
    row("widget_2", "QWidget", "", "");
}

void TstPresetSettingDlg::form()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);

    PresetSettingDlg dialog;
    QWidget *w = dialog.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->toolTip(), toolTip);
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        QCOMPARE(button->text(), text);
    else if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), text);
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        QCOMPARE(edit->text(), text);
}

void TstPresetSettingDlg::layoutAndLists()
{
    PresetSettingDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preset Setting"));
    QCOMPARE(dialog.size(), QSize(494, 237));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!dialog.isModal());

    auto *combo = find<QComboBox>(&dialog, "presetCmb");
    QCOMPARE(combo->count(), 127);
    for (int i = 0; i < combo->count(); ++i)
        QCOMPARE(combo->itemText(i), QString::number(i + 1));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(dialog.selectedPreset(), 1);

    auto *picture = find<QLabel>(&dialog, "imgLbl");
    QCOMPARE(picture->minimumSize(), QSize(320, 180));
    QCOMPARE(picture->alignment(), Qt::AlignCenter);
    QCOMPARE(find<QWidget>(&dialog, "widget")->maximumWidth(), 180);
    QCOMPARE(find<QWidget>(&dialog, "widget_2")->maximumHeight(), 40);
    // The four preset buttons sit in the row under the picture.
    for (const char *name : {"setBtn", "callBtn", "clearImageBtn", "clearPresetBtn"})
        QCOMPARE(find<QWidget>(&dialog, name)->parentWidget()->objectName(), QStringLiteral("widget_2"));

    const char *pad[][2]
        = {{"upBtn", "uparrow.png"},       {"leftBtn", "leftarrow.png"}, {"homeBtn", "home.png"},
           {"rightBtn", "rightarrow.png"}, {"downBtn", "downarrow.png"}, {"inBtn", "plus.png"},
           {"outBtn", "minus.png"}};
    for (const auto &b : pad) {
        auto *button = find<QPushButton>(&dialog, b[0]);
        QCOMPARE(button->maximumSize(), QSize(44, 44));
        QCOMPARE(button->styleSheet(), MainWindowStyle::padButtonStyle(QLatin1String(b[1])));
        QCOMPARE(button->parentWidget()->objectName(), QStringLiteral("widget"));
    }

    // Grid: up above home; left, home, right in one row; in, down, out in the row below.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto centre = [&](const char *name) {
        return find<QWidget>(&dialog, name)->geometry().center();
    };
    QCOMPARE(centre("upBtn").x(), centre("homeBtn").x());
    QCOMPARE(centre("downBtn").x(), centre("homeBtn").x());
    QVERIFY(centre("upBtn").y() < centre("homeBtn").y());
    QVERIFY(centre("downBtn").y() > centre("homeBtn").y());
    for (const char *name : {"leftBtn", "rightBtn"})
        QCOMPARE(centre(name).y(), centre("homeBtn").y());
    for (const char *name : {"inBtn", "outBtn"})
        QCOMPARE(centre(name).y(), centre("downBtn").y());
    QVERIFY(centre("leftBtn").x() < centre("homeBtn").x() && centre("homeBtn").x() < centre("rightBtn").x());
    QVERIFY(centre("inBtn").x() < centre("downBtn").x() && centre("downBtn").x() < centre("outBtn").x());
    // The picture is to the left of the pad column.
    QVERIFY(find<QWidget>(&dialog, "imgLbl")->geometry().right() < find<QWidget>(&dialog, "widget")->x());
}

void TstPresetSettingDlg::dialogStyle()
{
    PresetSettingDlg dialog;
    const QString sheet = dialog.styleSheet();
    QCOMPARE(sheet, DarkStyle::dialogStyleSheet());

    // The window's theme, with the dialog's differences.
    QVERIFY(sheet.contains(QStringLiteral("QWidget {\n\tbackground : #333333;\n}")));
    QVERIFY(!sheet.contains(QStringLiteral("centralWidget")));
    QVERIFY(!sheet.contains(QStringLiteral("QInputDialog")));
    QVERIFY(sheet.contains(QStringLiteral("QGroupBox {\n\tcolor : white;\n}")));
    QVERIFY(sheet.contains(
        QStringLiteral("QPushButton {\n\tcolor : white;\n\tbackground : grey;\n\tpadding : 8px;")));
    QVERIFY(!sheet.contains(QStringLiteral("padding : 5px")));
    // The rest is the window's: hover and pressed buttons, the fields, the labels.
    for (const char *rule : {"QPushButton:hover {\n\tbackground : #c9c9c9;\n}",
                             "QPushButton:pressed {\n\tbackground : #474747;\n}", "background : #111111",
                             "QLabel, QRadioButton, QCheckBox {\n\tcolor : white;\n}", "QMenu {"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
    QVERIFY(DarkStyle::windowStyleSheet().contains(QStringLiteral("QWidget#centralWidget")));

    // What the operator sees: dark background, white text on the grey buttons.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    QVERIFY(near(shot.pixelColor(2, 2), QColor(0x33, 0x33, 0x33)));
}

void TstPresetSettingDlg::withoutCameraNothingIsShown()
{
    AppSettings *store = appServices()->settings();
    store->setPresetName(IdA, 7, QStringLiteral("Never shown"));
    PresetSettingDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.camera());
    choose(find<QComboBox>(&dialog, "presetCmb"), 6);
    QCOMPARE(dialog.selectedPreset(), 7);
    QVERIFY(find<QLabel>(&dialog, "imgLbl")->styleSheet().isEmpty());
    QVERIFY(find<QLineEdit>(&dialog, "presetEdit")->text().isEmpty());
    dialog.refreshPresetImage(7);
    QVERIFY(find<QLabel>(&dialog, "imgLbl")->styleSheet().isEmpty());
    // The buttons still raise their signals; without a camera the main window ignores them.
    QSignalSpy recall(&dialog, &PresetSettingDlg::recallPreset);
    QTest::mouseClick(find<QPushButton>(&dialog, "callBtn"), Qt::LeftButton);
    QCOMPARE(recall.count(), 1);
    QCOMPARE(recall.at(0).at(0).toInt(), 7);
}

void TstPresetSettingDlg::selectingShowsStoredPictureAndName()
{
    AppSettings *store = appServices()->settings();
    store->setPresetName(IdA, 42, QStringLiteral("Pulpit"));
    QVERIFY(writePicture(IdA, 42, Red, QSize(160, 90)));
    QFile::remove(snapshotFilePath(IdA, 43));

    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *picture = find<QLabel>(&dialog, "imgLbl");
    auto *name = find<QLineEdit>(&dialog, "presetEdit");
    auto *combo = find<QComboBox>(&dialog, "presetCmb");

    choose(combo, 41);
    QCOMPARE(dialog.selectedPreset(), 42);
    const QString path = snapshotFilePath(IdA, 42);
    QCOMPARE(picture->styleSheet(),
             QStringLiteral("QLabel{\timage : url('") + path + QStringLiteral("');\n}"));
    QCOMPARE(name->text(), QStringLiteral("Pulpit"));
    QVERIFY(near(shownColour(picture), Red));

    // A preset with neither name nor picture: its number, and no picture.
    choose(combo, 42);
    QCOMPARE(picture->styleSheet(), PresetSettingDlg::pictureStyle(snapshotFilePath(IdA, 43)));
    QCOMPARE(name->text(), QStringLiteral("43"));
    QVERIFY(!near(shownColour(picture), Red));

    // A preset cleared earlier has an empty stored name, and shows it empty.
    store->setPresetName(IdA, 127, QString());
    choose(combo, 126);
    QVERIFY(name->text().isEmpty());
}

void TstPresetSettingDlg::buttonsRaiseTheirSignal_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");

    QTest::newRow("Set") << "setBtn"
                         << "Wide Shot";
    QTest::newRow("Set with an empty name") << "setBtn"
                                            << "";
    QTest::newRow("Call") << "callBtn"
                          << "ignored";
    QTest::newRow("Clear Image") << "clearImageBtn"
                                 << "ignored";
    QTest::newRow("Clear Preset") << "clearPresetBtn"
                                  << "ignored";
}

void TstPresetSettingDlg::buttonsRaiseTheirSignal()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);

    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    choose(find<QComboBox>(&dialog, "presetCmb"), 41);
    auto *edit = find<QLineEdit>(&dialog, "presetEdit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);

    QSignalSpy set(&dialog, &PresetSettingDlg::setPreset);
    QSignalSpy recall(&dialog, &PresetSettingDlg::recallPreset);
    QSignalSpy clearImage(&dialog, &PresetSettingDlg::clearImage);
    QSignalSpy clearPreset(&dialog, &PresetSettingDlg::clearPreset);
    ModalWatch modal;
    QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY2(!modal.seen(), "the dialog asks nothing");

    const QHash<QString, QSignalSpy *> spies{{QStringLiteral("setBtn"), &set},
                                             {QStringLiteral("callBtn"), &recall},
                                             {QStringLiteral("clearImageBtn"), &clearImage},
                                             {QStringLiteral("clearPresetBtn"), &clearPreset}};
    for (auto it = spies.cbegin(); it != spies.cend(); ++it)
        QCOMPARE(it.value()->count(), it.key() == button ? 1 : 0);
    QSignalSpy *raised = spies.value(button);
    QCOMPARE(raised->at(0).at(0).toInt(), 42);
    if (button == QLatin1String("setBtn"))
        QCOMPARE(raised->at(0).at(1).toString(), typed);
}

void TstPresetSettingDlg::padSignals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("onPress");
    QTest::addColumn<QString>("onRelease"); // empty: nothing

    QTest::newRow("up") << "upBtn"
                        << "moveUpPress"
                        << "moveUpRelease";
    QTest::newRow("down") << "downBtn"
                          << "moveDownPress"
                          << "moveDownRelease";
    QTest::newRow("left") << "leftBtn"
                          << "moveLeftPress"
                          << "moveLeftRelease";
    QTest::newRow("right") << "rightBtn"
                           << "moveRightPress"
                           << "moveRightRelease";
    QTest::newRow("zoom in") << "inBtn"
                             << "zoomInPress"
                             << "zoomInRelease";
    QTest::newRow("zoom out") << "outBtn"
                              << "zoomOutPress"
                              << "zoomOutRelease";
    QTest::newRow("home") << "homeBtn"
                          << "moveHome"
                          << "";
}

void TstPresetSettingDlg::padSignals()
{
    QFETCH(QString, button);
    QFETCH(QString, onPress);
    QFETCH(QString, onRelease);

    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // One spy per signal of the dialog, by name.
    QHash<QString, std::shared_ptr<QSignalSpy>> spies;
    const QMetaObject *meta = &PresetSettingDlg::staticMetaObject;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            spies.insert(QString::fromLatin1(method.name()), std::make_shared<QSignalSpy>(&dialog, method));
    }
    QCOMPARE(spies.size(), 17);
    auto raised = [&] {
        QStringList names;
        for (auto it = spies.cbegin(); it != spies.cend(); ++it) {
            for (int n = 0; n < it.value()->count(); ++n)
                names.append(it.key());
        }
        return names;
    };

    auto *b = dialog.findChild<QPushButton *>(button);
    QVERIFY(b);
    QTest::mousePress(b, Qt::LeftButton);
    QCOMPARE(raised(), QStringList{onPress});
    QTest::mouseRelease(b, Qt::LeftButton);
    QStringList expected{onPress};
    if (!onRelease.isEmpty())
        expected.append(onRelease);
    expected.sort();
    QStringList got = raised();
    got.sort();
    QCOMPARE(got, expected);
}

void TstPresetSettingDlg::finishedDownloadRefreshesOnlyTheShownPreset()
{
    QVERIFY(writePicture(IdA, 42, Red, QSize(160, 90)));
    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *picture = find<QLabel>(&dialog, "imgLbl");
    choose(find<QComboBox>(&dialog, "presetCmb"), 41);
    QVERIFY(near(shownColour(picture), Red));

    // The camera stores a new picture for preset 42.
    QVERIFY(writePicture(IdA, 42, Blue, QSize(200, 100)));
    dialog.refreshPresetImage(41);
    dialog.refreshPresetImage(43);
    QVERIFY2(near(shownColour(picture), Red), "a download of another preset changes nothing");
    dialog.refreshPresetImage(42);
    QVERIFY(near(shownColour(picture), Blue));
    QCOMPARE(picture->styleSheet(), PresetSettingDlg::pictureStyle(snapshotFilePath(IdA, 42)));
}

void TstPresetSettingDlg::anotherCameraShowsPresetOne()
{
    AppSettings *store = appServices()->settings();
    store->setPresetName(IdA, 42, QStringLiteral("Pulpit"));
    store->setPresetName(IdB, 1, QStringLiteral("B one"));
    QVERIFY(writePicture(IdB, 1, Blue, QSize(160, 90)));

    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *combo = find<QComboBox>(&dialog, "presetCmb");
    auto *picture = find<QLabel>(&dialog, "imgLbl");
    auto *name = find<QLineEdit>(&dialog, "presetEdit");
    choose(combo, 41);
    QCOMPARE(name->text(), QStringLiteral("Pulpit"));

    dialog.setCamera(m_cameraB.get());
    QCOMPARE(dialog.camera(), m_cameraB.get());
    QCOMPARE(combo->currentText(), QStringLiteral("42"));
    QCOMPARE(name->text(), QStringLiteral("B one"));
    QCOMPARE(picture->styleSheet(), PresetSettingDlg::pictureStyle(snapshotFilePath(IdB, 1)));
    QVERIFY(near(shownColour(picture), Blue));

    // No camera (a disconnection): what is shown stays, and choosing a number changes nothing.
    dialog.setCamera(nullptr);
    QCOMPARE(name->text(), QStringLiteral("B one"));
    choose(combo, 2);
    QCOMPARE(name->text(), QStringLiteral("B one"));
    QCOMPARE(picture->styleSheet(), PresetSettingDlg::pictureStyle(snapshotFilePath(IdB, 1)));

    // A camera deleted without being replaced (a camera-list rebuild) is not read any more.
    auto gone = std::make_unique<CameraWrapper>(0, QStringLiteral("10.9.9.9"), QStringLiteral("gone"),
                                                QStringLiteral("gone"));
    dialog.setCamera(gone.get());
    gone.reset();
    QVERIFY(!dialog.camera());
    choose(combo, 3);
    dialog.refreshPresetImage(4);
}

void TstPresetSettingDlg::clearingAPresetRecord()
{
    AppSettings *store = appServices()->settings();
    const int n = 17;
    store->setPresetName(IdA, n, QStringLiteral("Choir"));
    store->setPresetAeMode(IdA, n, 3);
    store->setPresetShutterSpeed(IdA, n, 9);
    store->setPresetIris(IdA, n, 5);
    store->setPresetBrightness(IdA, n, 12);
    store->setPresetLuminance(IdA, n, 11);
    store->setPresetContrast(IdA, n, 10);
    store->setPresetHue(IdA, n, 13);
    store->setPresetWbMode(IdA, n, 4);
    store->setPresetName(IdA, n + 1, QStringLiteral("Neighbour"));
    QVERIFY(writePicture(IdA, n, Red, QSize(32, 18)));
    QVERIFY(writePicture(IdA, n + 1, Red, QSize(32, 18)));

    PresetRecord::clearStored(store, IdA, n);
    QCOMPARE(store->presetName(IdA, n), QString());
    QCOMPARE(store->presetAeMode(IdA, n), 0);
    QCOMPARE(store->presetShutterSpeed(IdA, n), 0);
    QCOMPARE(store->presetIris(IdA, n), 0);
    QCOMPARE(store->presetBrightness(IdA, n), 0);
    // Zero, not the defaults of 7 an absent value would read.
    QCOMPARE(store->presetLuminance(IdA, n), 0);
    QCOMPARE(store->presetContrast(IdA, n), 0);
    QCOMPARE(store->presetHue(IdA, n), 0);
    QCOMPARE(store->presetWbMode(IdA, n), 0);
    QCOMPARE(store->presetName(IdA, n + 1), QStringLiteral("Neighbour"));
    // The picture is a separate command.
    QVERIFY(QFile::exists(snapshotFilePath(IdA, n)));

    QVERIFY(PresetRecord::removePicture(IdA, n));
    QVERIFY(!QFile::exists(snapshotFilePath(IdA, n)));
    QVERIFY(QFile::exists(snapshotFilePath(IdA, n + 1)));
    // Nothing to remove is no failure; an id that cannot name a file is.
    QVERIFY(PresetRecord::removePicture(IdA, n));
    QVERIFY(!PresetRecord::removePicture(QStringLiteral("../x"), n));
}

void TstPresetSettingDlg::screenshot()
{
    appServices()->settings()->setPresetName(IdA, 42, QStringLiteral("Pulpit"));
    QVERIFY(writePicture(IdA, 42, QColor(40, 110, 170), QSize(320, 180)));
    PresetSettingDlg dialog;
    dialog.setCamera(m_cameraA.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    choose(find<QComboBox>(&dialog, "presetCmb"), 41);
    QVERIFY(saveScreenshot(&dialog, QStringLiteral("presetsettingdlg")));
}

PresetSettingDlg *TstPresetSettingDlg::hostedDialog() const
{
    return m_app->mainWindow() ? m_app->mainWindow()->findChild<PresetSettingDlg *>() : nullptr;
}

bool TstPresetSettingDlg::connectSimCamera1()
{
    MainWindow *window = m_app->mainWindow();
    // The speed selectors are in the advanced view.
    window->findChild<QAction *>(QStringLiteral("actionAdvancedMode"))->trigger();
    auto *label = window->findChild<QLabel *>(QStringLiteral("connectionLabel"));
    if (label && label->text() == QLatin1String("Connected"))
        return true;
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("connectCam1")), Qt::LeftButton);
    return m_sim.waitForEvent(SimCam1, QStringLiteral("CONNECT"))
           && QTest::qWaitFor([label] { return label && label->text() == QLatin1String("Connected"); }, 5000);
}

void TstPresetSettingDlg::mainWindowHostsTheDialog()
{
    PresetSettingDlg *dialog = hostedDialog();
    QVERIFY(dialog);
    QCOMPARE(m_app->mainWindow()->findChildren<PresetSettingDlg *>().size(), 1);
    QCOMPARE(dialog->parentWidget(), m_app->mainWindow());
    QVERIFY(dialog->isHidden());
    // A tool window of its own, with the minimise and maximise buttons the window gives it.
    const Qt::WindowFlags flags = dialog->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowMaximizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!dialog->camera());
    m_app->mainWindow()->findChild<QAction *>(QStringLiteral("actionPresetSetting"))->trigger();
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(connectSimCamera1());
    QCOMPARE(dialog->camera(), appServices()->cameras().at(0));
}

void TstPresetSettingDlg::padReleaseStopsWithSelectedSpeeds()
{
    PresetSettingDlg *dialog = hostedDialog();
    QVERIFY(dialog);
    QVERIFY(connectSimCamera1());
    MainWindow *window = m_app->mainWindow();
    CameraWrapper *camera = appServices()->cameras().at(0);

    // Different pan and tilt speeds, so the order of the speed bytes shows.
    auto *lock = window->findChild<QCheckBox *>(QStringLiteral("panTiltLock"));
    if (lock->isChecked())
        QTest::mouseClick(lock, Qt::LeftButton, {}, QPoint(6, lock->height() / 2));
    QVERIFY(!lock->isChecked());
    auto *pan = window->findChild<QComboBox *>(QStringLiteral("panSpeed"));
    auto *tilt = window->findChild<QComboBox *>(QStringLiteral("tiltSpeed"));
    QVERIFY(pan->findText(QStringLiteral("12")) >= 0 && tilt->findText(QStringLiteral("9")) >= 0);
    choose(pan, pan->findText(QStringLiteral("12")));
    choose(tilt, tilt->findText(QStringLiteral("9")));
    QVERIFY(flush(camera, SimCam1));
    m_sim.clearLog();

    auto *left = find<QPushButton>(dialog, "leftBtn");
    QTest::mousePress(left, Qt::LeftButton);
    // The press moves as the window's own left button does (pan speed only); the release stops with both
    // selected speeds, where the window's own buttons stop with 0.
    QVERIFY(m_sim.waitForRx(SimCam1, packet("810106010c000103ff")));
    QTest::mouseRelease(left, Qt::LeftButton);
    QVERIFY(flush(camera, SimCam1));
    QCOMPARE(commands(SimCam1), (QList<QByteArray>{packet("810106010c000103ff"), packet("810106010c090303ff"),
                                                   packet("8101040700ff")}));
}

void TstPresetSettingDlg::setAndCallThroughTheMainWindow()
{
    PresetSettingDlg *dialog = hostedDialog();
    QVERIFY(dialog);
    QVERIFY(connectSimCamera1());
    CameraWrapper *camera = appServices()->cameras().at(0);
    dialog->show();
    choose(find<QComboBox>(dialog, "presetCmb"), 41);
    auto *edit = find<QLineEdit>(dialog, "presetEdit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QStringLiteral("Lectern"));
    m_sim.clearLog();

    ModalWatch modal;
    QTest::mouseClick(find<QPushButton>(dialog, "setBtn"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(SimCam1, packet("8101043f012aff")));
    QVERIFY2(!modal.seen(), "storing from the dialog asks no name");
    QCOMPARE(appServices()->settings()->presetName(SimCam1, 42), QStringLiteral("Lectern"));
    // The picture of the stored preset arrives from the camera and the dialog shows it.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(snapshotFilePath(SimCam1, 42)), 10000);
    QCOMPARE(find<QLabel>(dialog, "imgLbl")->styleSheet(),
             PresetSettingDlg::pictureStyle(snapshotFilePath(SimCam1, 42)));

    QTest::mouseClick(find<QPushButton>(dialog, "callBtn"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(SimCam1, packet("8101043f022aff")));

    QTest::mouseClick(find<QPushButton>(dialog, "clearPresetBtn"), Qt::LeftButton);
    QVERIFY(m_sim.waitForRx(SimCam1, packet("8101043f002aff")));
    QCOMPARE(appServices()->settings()->presetName(SimCam1, 42), QString());
    QCOMPARE(appServices()->settings()->presetHue(SimCam1, 42), 0);

    QTest::mouseClick(find<QPushButton>(dialog, "clearImageBtn"), Qt::LeftButton);
    QTRY_VERIFY(!QFile::exists(snapshotFilePath(SimCam1, 42)));
    QVERIFY(flush(camera, SimCam1));
}

void TstPresetSettingDlg::storingRenamesOnlyTheNineButtons_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<QString>("name");

    QTest::newRow("5 renames button 5") << 5 << QStringLiteral("Altar");
    QTest::newRow("12 renames none") << 12 << QStringLiteral("Balcony");
}

void TstPresetSettingDlg::storingRenamesOnlyTheNineButtons()
{
    QFETCH(int, preset);
    QFETCH(QString, name);

    PresetSettingDlg *dialog = hostedDialog();
    QVERIFY(dialog);
    QVERIFY(connectSimCamera1());
    MainWindow *window = m_app->mainWindow();
    auto buttonTexts = [window] {
        QStringList texts;
        for (int n = 1; n <= MainWindow::PresetButtonCount; ++n)
            texts << window->findChild<QPushButton *>(QStringLiteral("mem%1").arg(n))->text();
        return texts;
    };
    QStringList expected = buttonTexts();
    if (preset <= MainWindow::PresetButtonCount)
        expected[preset - 1] = name;

    dialog->show();
    choose(find<QComboBox>(dialog, "presetCmb"), preset - 1);
    auto *edit = find<QLineEdit>(dialog, "presetEdit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, name);
    m_sim.clearLog();
    QTest::mouseClick(find<QPushButton>(dialog, "setBtn"), Qt::LeftButton);
    QByteArray set = packet("8101043f0100ff");
    set[5] = char(preset);
    QVERIFY(m_sim.waitForRx(SimCam1, set));
    QCOMPARE(buttonTexts(), expected);
    QCOMPARE(appServices()->settings()->presetName(SimCam1, preset), name);
    // Let the picture download finish before the next row stores again.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(snapshotFilePath(SimCam1, preset)), 10000);
}

void TstPresetSettingDlg::disconnectionLeavesTheDialogWithoutCamera()
{
    PresetSettingDlg *dialog = hostedDialog();
    QVERIFY(dialog);
    QVERIFY(connectSimCamera1());
    CameraWrapper *camera = appServices()->cameras().at(0);
    QCOMPARE(dialog->camera(), camera);
    Q_EMIT camera->clientDisconnected();
    QVERIFY(!dialog->camera());
    // Its buttons now reach no camera.
    m_sim.clearLog();
    QTest::mouseClick(find<QPushButton>(dialog, "callBtn"), Qt::LeftButton);
    QTest::mousePress(find<QPushButton>(dialog, "upBtn"), Qt::LeftButton);
    QTest::mouseRelease(find<QPushButton>(dialog, "upBtn"), Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(commands(SimCam1), QList<QByteArray>());
}

int main(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        // The application's camera list: two network cameras served by the simulator.
        AppSettings store;
        CameraWrapper one(0, SimCam1, QStringLiteral("Sim 1"), SimCam1);
        CameraWrapper two(0, SimCam2, QStringLiteral("Sim 2"), SimCam2);
        store.writeCameraList({&one, &two});
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    TstPresetSettingDlg test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_presetsettingdlg.moc"
