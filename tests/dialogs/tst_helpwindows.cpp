// The four read-only help windows (AboutUs, HelpWin, XBoxHelp, HotkeyHelp) share one shape, so one table
// covers them; the two help pictures are checked against the controller mapping and the hotkeys.
#include "aboutus.h"
#include "helpwin.h"
#include "hotkeyhelp.h"
#include "screenshot.h"
#include "xboxhelp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>
#include <memory>

using WindowFactory = std::function<QDialog *()>;
Q_DECLARE_METATYPE(WindowFactory)

namespace {

const QString HelpPictureFolder
    = QStringLiteral(TESTS_SOURCE_DIR "/../../resources/tavimorex-assets/img/help/");

// The text of every <g id="..."> of an SVG, including the text of the groups inside it.
QHash<QString, QString> textByGroup(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QHash<QString, QString> texts;
    QStringList open; // ids of the enclosing groups; empty strings for groups without one
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("g"))
                open.append(xml.attributes().value(QLatin1String("id")).toString());
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("g") && !open.isEmpty())
                open.removeLast();
            else if (xml.name() == QLatin1String("text"))
                for (const QString &id : std::as_const(open))
                    texts[id] += QLatin1Char('\n');
            break;
        case QXmlStreamReader::Characters:
            for (const QString &id : std::as_const(open))
                if (!id.isEmpty())
                    texts[id] += xml.text().toString();
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return {};
    return texts;
}

// Share of the widget's pixels that differ from the dialog background: a picture that failed to load
// leaves a plain dark rectangle.
double drawnShare(QWidget *widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = qRgb(0x33, 0x33, 0x33);
    qint64 drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                ++drawn;
    return image.isNull() ? 0.0 : double(drawn) / (double(image.width()) * image.height());
}

} // namespace

class tst_HelpWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows_data();
    void windows();
    void picturesAreShown_data();
    void picturesAreShown();
    void texts();
    void controllerPictureMatchesMapping_data();
    void controllerPictureMatchesMapping();
    void hotkeyPictureMatchesHotkeys_data();
    void hotkeyPictureMatchesHotkeys();

private:
    static void addWindowRows();
};

void tst_HelpWindows::addWindowRows()
{
    QTest::addColumn<WindowFactory>("create");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QString>("shot");

    QTest::newRow("AboutUs") << WindowFactory([] { return new AboutUs; }) << "About" << QSize(826, 327)
                             << QSize() << "aboutus";
    QTest::newRow("HelpWin") << WindowFactory([] { return new HelpWin; }) << "Help" << QSize(498, 368)
                             << QSize() << "helpwin";
    QTest::newRow("XBoxHelp") << WindowFactory([] { return new XBoxHelp; }) << "Xbox Help" << QSize(818, 738)
                              << QSize(818, 738) << "xboxhelp";
    QTest::newRow("HotkeyHelp") << WindowFactory([] { return new HotkeyHelp; }) << "Hotkey Help"
                                << QSize(738, 558) << QSize(738, 558) << "hotkeyhelp";
}

void tst_HelpWindows::windows_data()
{
    addWindowRows();
}

void tst_HelpWindows::windows()
{
    QFETCH(WindowFactory, create);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(QSize, minimum);
    QFETCH(QString, shot);

    std::unique_ptr<QDialog> window(create());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QVERIFY(saveScreenshot(window.get(), shot));
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->size(), size);
    if (minimum.isValid()) {
        QCOMPARE(window->minimumSize(), minimum);
    } else {
        // No minimum of its own: only the layout's, well below the initial size.
        QVERIFY(window->minimumWidth() < size.width() / 2);
        QVERIFY(window->minimumHeight() < size.height() / 2);
    }
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::Dialog));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    // Read-only: nothing to press but the window's close button.
    QVERIFY(window->findChildren<QAbstractButton *>().isEmpty());

    const QImage picture = window->grab().toImage();
    QCOMPARE(QColor(picture.pixel(2, 2)), QColor("#333333"));

    window->close();
    QVERIFY(!window->isVisible());
}

void tst_HelpWindows::picturesAreShown_data()
{
    QTest::addColumn<WindowFactory>("create");
    QTest::addColumn<QString>("labelName");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("pictureSize");

    QTest::newRow("product logo") << WindowFactory([] { return new AboutUs; }) << "label_2"
                                  << "QLabel{\n\timage : url(':/tavimorex-assets/img/tavimorex1.png');\n}"
                                  << ":/tavimorex-assets/img/tavimorex1.png" << QSize();
    QTest::newRow("game controller") << WindowFactory([] { return new XBoxHelp; }) << "label"
                                     << "QLabel{\nimage: url(:/tavimorex-assets/img/xbox.png);\n}"
                                     << ":/tavimorex-assets/img/xbox.png" << QSize(800, 720);
    QTest::newRow("hotkeys") << WindowFactory([] { return new HotkeyHelp; }) << "label"
                             << "QLabel{\nimage:url(:/tavimorex-assets/img/hotkey.png);\n}"
                             << ":/tavimorex-assets/img/hotkey.png" << QSize(720, 540);
}

void tst_HelpWindows::picturesAreShown()
{
    QFETCH(WindowFactory, create);
    QFETCH(QString, labelName);
    QFETCH(QString, style);
    QFETCH(QString, resource);
    QFETCH(QSize, pictureSize);

    const QPixmap pixmap(resource);
    QVERIFY2(!pixmap.isNull(), qPrintable(resource));
    if (pictureSize.isValid()) {
        // Drawn for the space the window gives it, and twice as fine for high-density screens.
        QCOMPARE(pixmap.size(), pictureSize);
        QString doubleSize = resource;
        doubleSize.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
        QCOMPARE(QPixmap(doubleSize).size(), pictureSize * 2);
    }

    std::unique_ptr<QDialog> window(create());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *label = window->findChild<QLabel *>(labelName);
    QVERIFY(label);
    QVERIFY(label->text().isEmpty());
    QCOMPARE(label->styleSheet(), style);
    if (pictureSize.isValid())
        QCOMPARE(label->size(), pictureSize);
    QVERIFY2(drawnShare(label) > 0.005, "the picture is not drawn");
}

void tst_HelpWindows::texts()
{
    AboutUs about;
    auto *logo = about.findChild<QLabel *>("label_2");
    auto *aboutText = about.findChild<QLabel *>("label");
    QVERIFY(logo && aboutText);
    QCOMPARE(logo->font().pointSize(), 12);
    QCOMPARE(aboutText->font().pointSize(), 10);
    QCOMPARE(aboutText->textFormat(), Qt::AutoText);
    QVERIFY(aboutText->wordWrap());
    for (const char *phrase : {"camera", "PC and Mac", "plug-in for OBS", "Open Broadcaster Software", "beta",
                               "exposure", "white balance", "own risk", "on-screen menu"})
        QVERIFY2(aboutText->text().contains(QLatin1String(phrase)), phrase);

    HelpWin help;
    auto *heading = help.findChild<QLabel *>("label_2");
    auto *helpText = help.findChild<QLabel *>("label");
    QVERIFY(heading && helpText);
    QVERIFY(heading->text().startsWith(QLatin1String("Welcome")));
    QVERIFY(heading->font().bold());
    QCOMPARE(heading->font().pointSize(), 11);
    QVERIFY(heading->alignment().testFlag(Qt::AlignHCenter));
    QCOMPARE(helpText->textFormat(), Qt::RichText);
    QVERIFY(helpText->wordWrap());
    QVERIFY(helpText->openExternalLinks());
    QCOMPARE(helpText->textInteractionFlags(), Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    for (const char *phrase :
         {"IP connection", "USB 3.0", "IP address settings tool", "quick start guide", "static IP address",
          "Multi Cameras Setting", "camera's button", "<b>Window</b> menu", "preview", "help site"})
        QVERIFY2(helpText->text().contains(QLatin1String(phrase)), phrase);

    // The texts name no web address.
    const QRegularExpression webAddress(QStringLiteral(R"((https?:|ftp:|www\.|\.(com|net|org|io)\b|<a\s))"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const QLabel *label : {aboutText, heading, helpText})
        QVERIFY2(!webAddress.match(label->text()).hasMatch(), qPrintable(label->text()));
}

void tst_HelpWindows::controllerPictureMatchesMapping_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("phrases");

    // Button and axis numbers as the joystick manager reports them, with the action each one triggers.
    QTest::newRow("button 0") << "button-0" << QStringList{"A", "button 0", "Recall preset 3", "on release"};
    QTest::newRow("button 1") << "button-1"
                              << QStringList{"B", "button 1", "Auto focus on/off", "on release"};
    QTest::newRow("button 2") << "button-2" << QStringList{"X", "button 2", "Recall preset 1", "on release"};
    QTest::newRow("button 3") << "button-3" << QStringList{"Y", "button 3", "Recall preset 2", "on release"};
    QTest::newRow("button 4") << "button-4" << QStringList{"LB", "button 4", "Zoom out while held"};
    QTest::newRow("button 5") << "button-5" << QStringList{"RB", "button 5", "Zoom in while held"};
    QTest::newRow("button 6") << "button-6" << QStringList{"button 6", "Focus far while held"};
    QTest::newRow("button 7") << "button-7" << QStringList{"button 7", "Focus near while held"};
    QTest::newRow("button 8") << "left-stick" << QStringList{"button 8", "menu Back"};
    QTest::newRow("button 9") << "right-stick" << QStringList{"button 9", "menu Enter"};
    QTest::newRow("button 10") << "button-10" << QStringList{"button 10", "Camera menu open/close"};
    QTest::newRow("button 11") << "button-11"
                               << QStringList{"Button 11", "zoom in while held",
                                              "on release home, then zoom stops"};
    QTest::newRow("axes 0 and 1") << "left-stick" << QStringList{"axes 0, 1", "not used"};
    QTest::newRow("axes 3 and 4") << "right-stick"
                                  << QStringList{"axes 3, 4", "Pan and tilt", "centre: stop"};
    QTest::newRow("axis 2") << "axis-2" << QStringList{"LT", "axis 2", "Not used"};
    QTest::newRow("axis 5") << "axis-5" << QStringList{"RT", "axis 5", "Not used"};
    QTest::newRow("hat") << "hat" << QStringList{"D-pad", "Pan and tilt, 8 directions", "Centre: stop"};
}

void tst_HelpWindows::controllerPictureMatchesMapping()
{
    QFETCH(QString, group);
    QFETCH(QStringList, phrases);
    const QHash<QString, QString> texts = textByGroup(HelpPictureFolder + QStringLiteral("xbox.svg"));
    QVERIFY2(texts.contains(group), qPrintable(group));
    for (const QString &phrase : std::as_const(phrases))
        QVERIFY2(texts.value(group).contains(phrase), qPrintable(phrase + QStringLiteral(" in ") + group));
}

void tst_HelpWindows::hotkeyPictureMatchesHotkeys_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("phrases");

    QTest::newRow("W") << "key-W" << QStringList{"W", "Tilt up", "while held"};
    QTest::newRow("S") << "key-S" << QStringList{"S", "Tilt down", "while held"};
    QTest::newRow("A") << "key-A" << QStringList{"A", "Pan left", "while held"};
    QTest::newRow("D") << "key-D" << QStringList{"D", "Pan right", "while held"};
    QTest::newRow("Q") << "key-Q" << QStringList{"Q", "Zoom in", "while held"};
    QTest::newRow("E") << "key-E" << QStringList{"E", "Zoom out", "while held"};
    QTest::newRow("F1-F9") << "key-F1-F9" << QStringList{"F1", "F9", "Recall preset 1 to 9", "on release"};
}

void tst_HelpWindows::hotkeyPictureMatchesHotkeys()
{
    QFETCH(QString, group);
    QFETCH(QStringList, phrases);
    const QHash<QString, QString> texts = textByGroup(HelpPictureFolder + QStringLiteral("hotkey.svg"));
    QVERIFY2(texts.contains(group), qPrintable(group));
    for (const QString &phrase : std::as_const(phrases))
        QVERIFY2(texts.value(group).contains(phrase), qPrintable(phrase + QStringLiteral(" in ") + group));
}

QTEST_MAIN(tst_HelpWindows)

#include "tst_helpwindows.moc"
