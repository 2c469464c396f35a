#include "aboutus.h"
#include "appsettings.h"
#include "boundingboxsettings.h"
#include "camerawrapper.h"
#include "darkstyle.h"
#include "helpwin.h"
#include "hotkeyhelp.h"
#include "joystickdlg.h"
#include "multicameras.h"
#include "pantiltlimitdlg.h"
#include "presetsettingdlg.h"
#include "previewstyle.h"
#include "tavimorexapp.h"
#include "testdatahome.h"
#include "webserversettings.h"
#include "xboxhelp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <memory>

using DialogFactory = std::function<QWidget *()>;
Q_DECLARE_METATYPE(DialogFactory)

namespace {

// How far apart two colours may be and still count as the same (antialiasing, rounding).
bool near(const QColor &a, const QColor &b, int tolerance = 24)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

QString colourText(const QColor &colour)
{
    return colour.name();
}

// The first shown widget of the type without a style sheet of its own (its own would decide its looks).
template<typename T>
QWidget *plain(QWidget *dialog)
{
    for (T *widget : dialog->findChildren<T *>()) {
        if (widget->styleSheet().isEmpty() && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// The label Qt shows as the tooltip, if one is visible.
QLabel *visibleToolTip()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible())
            return qobject_cast<QLabel *>(widget);
    }
    return nullptr;
}

// The middle of the indicator of a radio button or check box as drawn, and a point on its ring.
QPair<QColor, QColor> indicatorColours(QAbstractButton *button, QStyle::SubElement element)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(element, &option, button);
    const QImage picture = button->grab().toImage();
    const QPoint centre = indicator.center();
    return {picture.pixelColor(centre), picture.pixelColor(centre.x(), indicator.top())};
}

} // namespace

// The one dark style reaches the control window and every dialog: the same tooltip and disabled-widget
// rules everywhere, legible tooltips, greyed disabled widgets, and indicators that show their state.
class tst_DarkStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dialogs_data();
    void dialogs();
    void windowSheetHasTheSharedRules();
    void indicators_data();
    void indicators();

private:
    std::unique_ptr<CameraWrapper> m_camera;
    AppSettings *m_settings = nullptr;
};

void tst_DarkStyle::initTestCase()
{
    m_camera = std::make_unique<CameraWrapper>(0, QStringLiteral("127.0.0.1"), QStringLiteral("Cam"),
                                               QStringLiteral("Cam"));
    m_settings = qobject_cast<TavimorexApp *>(qApp)->settings();
}

void tst_DarkStyle::dialogs_data()
{
    QTest::addColumn<DialogFactory>("make");
    CameraWrapper *camera = m_camera.get();
    AppSettings *settings = m_settings;
    QTest::newRow("aboutus") << DialogFactory([] { return new AboutUs; });
    QTest::newRow("helpwin") << DialogFactory([] { return new HelpWin; });
    QTest::newRow("xboxhelp") << DialogFactory([] { return new XBoxHelp; });
    QTest::newRow("hotkeyhelp") << DialogFactory([] { return new HotkeyHelp; });
    QTest::newRow("multicameras") << DialogFactory([] { return new MultiCameras; });
    QTest::newRow("joystickdlg") << DialogFactory([settings] { return new JoyStickDlg(settings); });
    QTest::newRow("webserversettings") << DialogFactory([] { return new WebServerSettings; });
    QTest::newRow("boundingboxsettings") << DialogFactory([] { return new BoundingBoxSettings; });
    QTest::newRow("presetsettingdlg") << DialogFactory([] { return new PresetSettingDlg; });
    QTest::newRow("pantiltlimitdlg") << DialogFactory(
        [camera] { return new PanTiltLimitDlg(nullptr, camera); });
}

void tst_DarkStyle::dialogs()
{
    QFETCH(DialogFactory, make);
    std::unique_ptr<QWidget> dialog(make());

    // The rules come from the one source.
    const QString sheet = dialog->styleSheet();
    QVERIFY(sheet.contains(DarkStyle::toolTipRule()));
    QVERIFY(sheet.contains(DarkStyle::disabledRules()));

    // Some widgets disabled, as the operator meets them: greyed, not white.
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QList<QWidget *> candidates
        = {plain<QLabel>(dialog.get()),    plain<QCheckBox>(dialog.get()), plain<QRadioButton>(dialog.get()),
           plain<QLineEdit>(dialog.get()), plain<QComboBox>(dialog.get()), plain<QPushButton>(dialog.get())};
    QWidget *label = nullptr;
    for (QWidget *widget : candidates) {
        if (!widget)
            continue;
        widget->setEnabled(false);
        label = label ? label : qobject_cast<QLabel *>(widget);
    }
    if (label) {
        label->ensurePolished();
        QCOMPARE(colourText(label->palette().color(QPalette::Disabled, QPalette::WindowText)),
                 QColor(QLatin1String(DarkStyle::DisabledText)).name());
    }

    // A tooltip over the dialog: dark text on its own light background, not on the dialog's grey.
    const QPoint where = dialog->mapToGlobal(QPoint(40, 40));
    QToolTip::showText(where, QStringLiteral("Tooltip text for review"), dialog.get());
    QTRY_VERIFY(visibleToolTip());
    QLabel *tip = visibleToolTip();
    const QImage tipPicture = tip->grab().toImage();
    QVERIFY2(near(tipPicture.pixelColor(3, 3), QColor(QLatin1String(DarkStyle::ToolTip))),
             qPrintable(tipPicture.pixelColor(3, 3).name()));
    QCOMPARE(colourText(tip->palette().color(QPalette::WindowText)), QColor(Qt::black).name());

    // For review: the dialog with its disabled widgets and the tooltip drawn where it shows.
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QImage picture = dialog->grab().toImage();
        QPainter painter(&picture);
        painter.drawImage(dialog->mapFromGlobal(tip->mapToGlobal(QPoint(0, 0))), tipPicture);
        painter.end();
        QVERIFY(picture.save(QDir(folder).filePath(QString::fromLatin1(QTest::currentDataTag())
                                                   + QStringLiteral("-tooltip-disabled.png"))));
    }
    QToolTip::hideText();
}

void tst_DarkStyle::windowSheetHasTheSharedRules()
{
    // The control window and the preview window take the same rules.
    for (const QString &sheet : {DarkStyle::windowStyleSheet(), PreviewStyle::previewWindowStyleSheet()}) {
        QVERIFY(sheet.contains(DarkStyle::toolTipRule()));
        QVERIFY(sheet.contains(DarkStyle::disabledRules()));
    }
}

void tst_DarkStyle::indicators_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<bool>("radio");
    QTest::newRow("window, radio button") << DarkStyle::windowStyleSheet() << true;
    QTest::newRow("window, check box") << DarkStyle::windowStyleSheet() << false;
    QTest::newRow("dialog, radio button") << DarkStyle::dialogStyleSheet() << true;
    QTest::newRow("dialog, check box") << DarkStyle::dialogStyleSheet() << false;
}

void tst_DarkStyle::indicators()
{
    QFETCH(QString, sheet);
    QFETCH(bool, radio);
    // Checked fills the ring or box; unchecked leaves it hollow: the middle tells them apart, the ring
    // is light in both.
    QWidget frame;
    frame.setObjectName(QStringLiteral("centralWidget"));
    frame.setStyleSheet(sheet);
    std::unique_ptr<QAbstractButton> checked;
    std::unique_ptr<QAbstractButton> unchecked;
    if (radio) {
        checked = std::make_unique<QRadioButton>(QStringLiteral("Set"), &frame);
        unchecked = std::make_unique<QRadioButton>(QStringLiteral("Recall"), &frame);
    } else {
        checked = std::make_unique<QCheckBox>(QStringLiteral("On"), &frame);
        unchecked = std::make_unique<QCheckBox>(QStringLiteral("Off"), &frame);
    }
    checked->setAutoExclusive(false);
    unchecked->setAutoExclusive(false);
    checked->setChecked(true);
    unchecked->move(0, 30);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QStyle::SubElement element = radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator;
    const auto on = indicatorColours(checked.get(), element);
    const auto off = indicatorColours(unchecked.get(), element);
    QVERIFY2(near(on.first, QColor(Qt::white), 40), qPrintable(on.first.name()));
    QVERIFY2(near(off.first, QColor(QLatin1String(DarkStyle::Frame)), 40), qPrintable(off.first.name()));
    QVERIFY2(off.second.lightness() > 150, qPrintable(off.second.name()));
    QVERIFY2(on.second.lightness() > 150, qPrintable(on.second.name()));
}

int main(int argc, char **argv)
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    TavimorexApp app(argc, argv);
    tst_DarkStyle test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_darkstyle.moc"
