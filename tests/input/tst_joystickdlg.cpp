#include "appsettings.h"
#include "datapaths.h"
#include "joystickdlg.h"
#include "qjoysticks.h"
#include "testdatahome.h"
#include "virtualpad.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <memory>

// The joystick dialog on a real settings store in a fresh data folder, listing SDL virtual pads.
class TestJoyStickDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void form();
    void noPadStoresMinusOne();
    void secondOfTwoPadsStoresOne();
    void loadsStoredValues_data();
    void loadsStoredValues();
    void closingWithoutOkStoresNothing_data();
    void closingWithoutOkStoresNothing();

private:
    template<typename T>
    static T *child(JoyStickDlg &dialog, const char *name)
    {
        T *widget = dialog.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    // The three keys as they stand in settings.ini (only those present).
    static QStringList storedKeys();

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<AppSettings> m_settings;
};

void TestJoyStickDlg::initTestCase()
{
    // Starts SDL, which the virtual pads need.
    QJoysticks::sharedInstance();
}

void TestJoyStickDlg::init()
{
    m_home = std::make_unique<TestDataHome>();
    m_settings = std::make_unique<AppSettings>();
}

void TestJoyStickDlg::cleanup()
{
    m_settings.reset();
    m_home.reset();
}

QStringList TestJoyStickDlg::storedKeys()
{
    QSettings file(DataPaths::settingsFile(), QSettings::IniFormat);
    QStringList keys;
    for (const char *key : {"selected_joystick", "is joystick available", "is hotkey available"}) {
        if (file.contains(QLatin1String(key)))
            keys.append(QLatin1String(key));
    }
    return keys;
}

void TestJoyStickDlg::form()
{
    JoyStickDlg dialog(m_settings.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Additional Input Setting"));
    QCOMPARE(dialog.size(), QSize(250, 134));
    QCOMPARE(dialog.minimumWidth(), 250);
    const Qt::WindowFlags flags = dialog.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(child<QLabel>(dialog, "label")->text(), QStringLiteral("Select JoyStick:"));
    QCOMPARE(child<QCheckBox>(dialog, "useJoyStickCheck")->text(), QStringLiteral("Use JoyStick"));
    QCOMPARE(child<QCheckBox>(dialog, "useHotKeyCheck")->text(), QStringLiteral("Use HotKey"));
    QCOMPARE(child<QPushButton>(dialog, "okBtn")->text(), QStringLiteral("OK"));
    QCOMPARE(child<QPushButton>(dialog, "cancelBtn")->text(), QStringLiteral("Cancel"));
    child<QComboBox>(dialog, "joystickCombo");
    QVERIFY(dialog.styleSheet().contains(QLatin1String("#333333")));
}

void TestJoyStickDlg::noPadStoresMinusOne()
{
    QCOMPARE(SDL_NumJoysticks(), 0);
    JoyStickDlg dialog(m_settings.get());
    auto *combo = child<QComboBox>(dialog, "joystickCombo");
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->currentIndex(), -1);

    child<QCheckBox>(dialog, "useJoyStickCheck")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "okBtn"), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(m_settings->selectedJoystick(), -1);
    QCOMPARE(m_settings->isJoystickAvailable(), true);
    QCOMPARE(m_settings->isHotkeyAvailable(), false);
    QCOMPARE(storedKeys().size(), 3);
}

void TestJoyStickDlg::secondOfTwoPadsStoresOne()
{
    VirtualPad first("Pad A", 2, 4, 1);
    VirtualPad second("Pad B", 2, 4, 1);
    QVERIFY(first.isValid() && second.isValid());

    JoyStickDlg dialog(m_settings.get());
    auto *combo = child<QComboBox>(dialog, "joystickCombo");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("Pad A"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Pad B"));
    QCOMPARE(combo->currentIndex(), 0);

    combo->setCurrentIndex(1);
    child<QCheckBox>(dialog, "useJoyStickCheck")->setChecked(true);
    child<QCheckBox>(dialog, "useHotKeyCheck")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "okBtn"), Qt::LeftButton);

    QCOMPARE(m_settings->selectedJoystick(), 1);
    QCOMPARE(m_settings->isJoystickAvailable(), true);
    QCOMPARE(m_settings->isHotkeyAvailable(), true);
    // The file holds them once the store is gone.
    m_settings.reset();
    QSettings file(DataPaths::settingsFile(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("selected_joystick")).toInt(), 1);
}

void TestJoyStickDlg::loadsStoredValues_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("joystick");
    QTest::addColumn<bool>("hotkey");
    QTest::addColumn<int>("currentIndex");

    QTest::newRow("second pad, both on") << 1 << true << true << 1;
    QTest::newRow("first pad, joystick only") << 0 << true << false << 0;
    QTest::newRow("hotkeys only") << 1 << false << true << 1;
    QTest::newRow("index beyond the list") << 5 << true << false << -1;
    QTest::newRow("empty list saved") << -1 << false << false << -1;
}

void TestJoyStickDlg::loadsStoredValues()
{
    QFETCH(int, selected);
    QFETCH(bool, joystick);
    QFETCH(bool, hotkey);
    QFETCH(int, currentIndex);

    VirtualPad first("Pad A", 2, 4, 1);
    VirtualPad second("Pad B", 2, 4, 1);
    m_settings->setSelectedJoystick(selected);
    m_settings->setJoystickAvailable(joystick);
    m_settings->setHotkeyAvailable(hotkey);

    JoyStickDlg dialog(m_settings.get());
    QCOMPARE(child<QComboBox>(dialog, "joystickCombo")->currentIndex(), currentIndex);
    QCOMPARE(child<QCheckBox>(dialog, "useJoyStickCheck")->isChecked(), joystick);
    QCOMPARE(child<QCheckBox>(dialog, "useHotKeyCheck")->isChecked(), hotkey);
}

void TestJoyStickDlg::closingWithoutOkStoresNothing_data()
{
    QTest::addColumn<bool>("useCancelButton");

    QTest::newRow("Cancel") << true;
    QTest::newRow("window's close button") << false;
}

void TestJoyStickDlg::closingWithoutOkStoresNothing()
{
    QFETCH(bool, useCancelButton);

    VirtualPad first("Pad A", 2, 4, 1);
    VirtualPad second("Pad B", 2, 4, 1);
    JoyStickDlg dialog(m_settings.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    child<QComboBox>(dialog, "joystickCombo")->setCurrentIndex(1);
    child<QCheckBox>(dialog, "useJoyStickCheck")->setChecked(true);
    child<QCheckBox>(dialog, "useHotKeyCheck")->setChecked(true);

    if (useCancelButton)
        QTest::mouseClick(child<QPushButton>(dialog, "cancelBtn"), Qt::LeftButton);
    else
        dialog.close();

    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(storedKeys().isEmpty());
    QCOMPARE(m_settings->selectedJoystick(), 0);
    QCOMPARE(m_settings->isJoystickAvailable(), false);
    QCOMPARE(m_settings->isHotkeyAvailable(), false);
}

QTEST_MAIN(TestJoyStickDlg)
#include "tst_joystickdlg.moc"
