#include "boundingboxsettings.h"
#include "previewtestapp.h"
#include "testdatahome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The preset map dialog raises one signal per button; the per-box buttons need a selected preset.
class tst_BoundingBoxSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void layoutAndTexts();
    void buttonsWithoutSelectionRaiseTheirSignal_data();
    void buttonsWithoutSelectionRaiseTheirSignal();
    void perBoxButtonsNeedASelection_data();
    void perBoxButtonsNeedASelection();
    void selectedStyleMoves();
    void setPresetNeedsATitle();
    void selectionSurvivesHiding();

private:
    QPushButton *button(const QString &name) const
    {
        auto *b = m_dialog->findChild<QPushButton *>(name);
        if (!b)
            qWarning() << "no button" << name;
        return b;
    }
    QPushButton *presetButton(int k) const { return button(QStringLiteral("customPreset%1").arg(k)); }

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<BoundingBoxSettings> m_dialog;
};

namespace {
const QString Plain = QStringLiteral("QPushButton{background : grey;padding : 8px;border-radius : 3px;}"
                                     "QPushButton:pressed{background : #474747;}"
                                     "QPushButton:hover{background : #c9c9c9;}");
const QString Selected = QStringLiteral("QPushButton{background : #4f4f4f;padding : 8px;border-radius : 3px;}"
                                        "QPushButton:pressed{background : #474747;}"
                                        "QPushButton:hover{background : #c9c9c9;}");
} // namespace

void tst_BoundingBoxSettings::init()
{
    m_home = std::make_unique<TestDataHome>();
    clearAppSettings();
    m_messages = std::make_unique<MessageRecorder>();
    m_dialog = std::make_unique<BoundingBoxSettings>();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void tst_BoundingBoxSettings::cleanup()
{
    m_dialog.reset();
    m_messages.reset();
    m_home.reset();
}

void tst_BoundingBoxSettings::layoutAndTexts()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Image Preview Map"));
    QCOMPARE(m_dialog->selectedCustomPreset(), -1);
    const QList<QPair<QString, QString>> texts = {
        {"snapShotBackBtn", "Take a SnapShot"},
        {"fileBackBtn", "File"},
        {"liveVideoBackBtn", "Live Video"},
        {"showCrossHairBtn", "Show CrossHair"},
        {"showCenterDiamondBtn", "Show Center Diamond"},
        {"removeCenterBtn", "Remove"},
        {"setPresetBtn", "Set Preset"},
        {"defaultBtn", "Default"},
        {"chooseColorBtn", "Choose Color"},
        {"snapShotBoxBtn", "Take a SnapShot"},
        {"resetBtn", "Reset all custom presets"},
        {"showHidePictureInPicture", "Show/Hide PictureInPicture Box"},
        {"showHideCurBox", "Show/Hide Current Bounding Box"},
        {"showHideBoxes", "Show/Hide Bounding Boxes"},
    };
    for (const auto &[name, text] : texts) {
        QVERIFY2(button(name), qPrintable(name));
        QCOMPARE(button(name)->text(), text);
    }
    for (int k = 1; k <= 9; ++k) {
        QCOMPARE(presetButton(k)->text(), QString::number(k));
        QCOMPARE(presetButton(k)->styleSheet(), Plain);
    }
    QVERIFY(m_dialog->findChild<QLineEdit *>(QStringLiteral("presetTitleLabel")));
}

void tst_BoundingBoxSettings::buttonsWithoutSelectionRaiseTheirSignal_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QByteArray>("signal");

    QTest::newRow("snapshot background")
        << "snapShotBackBtn" << QByteArray(SIGNAL(takeSnapShotForBackgroundClicked()));
    QTest::newRow("file background") << "fileBackBtn" << QByteArray(SIGNAL(uploadFileForBackgroundClicked()));
    QTest::newRow("live video") << "liveVideoBackBtn"
                                << QByteArray(SIGNAL(useLiveVideoForBackgroundClicked()));
    QTest::newRow("reset") << "resetBtn" << QByteArray(SIGNAL(resetAllBoxesClicked()));
    QTest::newRow("picture in picture")
        << "showHidePictureInPicture" << QByteArray(SIGNAL(showHidePictureInPictureClicked()));
    QTest::newRow("all boxes") << "showHideBoxes" << QByteArray(SIGNAL(showHideBoundingBoxesClicked()));
}

void tst_BoundingBoxSettings::buttonsWithoutSelectionRaiseTheirSignal()
{
    QFETCH(QString, buttonName);
    QFETCH(QByteArray, signal);
    QSignalSpy spy(m_dialog.get(), signal.constData());
    QTest::mouseClick(button(buttonName), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).isEmpty());
}

void tst_BoundingBoxSettings::perBoxButtonsNeedASelection_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QByteArray>("signal");

    QTest::newRow("snapshot box") << "snapShotBoxBtn"
                                  << QByteArray(SIGNAL(takeSnapShotForBoundingBoxClicked(int)));
    QTest::newRow("default look") << "defaultBtn" << QByteArray(SIGNAL(defaultForBoundingBoxClicked(int)));
    QTest::newRow("cross hair") << "showCrossHairBtn" << QByteArray(SIGNAL(showCrossHairClicked(int)));
    QTest::newRow("diamond") << "showCenterDiamondBtn" << QByteArray(SIGNAL(showCenterDiamondClicked(int)));
    QTest::newRow("remove centre") << "removeCenterBtn" << QByteArray(SIGNAL(removeCenterClicked(int)));
    QTest::newRow("colour") << "chooseColorBtn" << QByteArray(SIGNAL(chooseColorClicked(int)));
    QTest::newRow("current box") << "showHideCurBox"
                                 << QByteArray(SIGNAL(showHideCurrentBoundingBoxClicked(int)));
}

void tst_BoundingBoxSettings::perBoxButtonsNeedASelection()
{
    QFETCH(QString, buttonName);
    QFETCH(QByteArray, signal);
    QSignalSpy spy(m_dialog.get(), signal.constData());

    QTest::mouseClick(button(buttonName), Qt::LeftButton);
    QCOMPARE(spy.count(), 0);

    QTest::mouseClick(presetButton(6), Qt::LeftButton);
    QTest::mouseClick(button(buttonName), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 6);
    QVERIFY(m_messages->messages.isEmpty());
}

void tst_BoundingBoxSettings::selectedStyleMoves()
{
    QTest::mouseClick(presetButton(4), Qt::LeftButton);
    QCOMPARE(m_dialog->selectedCustomPreset(), 4);
    QCOMPARE(presetButton(4)->styleSheet(), Selected);
    QTest::mouseClick(presetButton(7), Qt::LeftButton);
    QCOMPARE(m_dialog->selectedCustomPreset(), 7);
    for (int k = 1; k <= 9; ++k)
        QCOMPARE(presetButton(k)->styleSheet(), k == 7 ? Selected : Plain);
}

void tst_BoundingBoxSettings::setPresetNeedsATitle()
{
    QSignalSpy setPreset(m_dialog.get(), &BoundingBoxSettings::setCustomPresetClicked);
    auto *title = m_dialog->findChild<QLineEdit *>(QStringLiteral("presetTitleLabel"));

    // Empty title: the message and nothing else, with or without a selection.
    QTest::mouseClick(button(QStringLiteral("setPresetBtn")), Qt::LeftButton);
    QCOMPARE(m_messages->messages, QStringList{QStringLiteral("Please enter preset title")});
    QTest::mouseClick(presetButton(2), Qt::LeftButton);
    QTest::mouseClick(button(QStringLiteral("setPresetBtn")), Qt::LeftButton);
    QCOMPARE(m_messages->messages.size(), 2);
    QCOMPARE(setPreset.count(), 0);

    QTest::keyClicks(title, QStringLiteral("Choir"));
    QTest::mouseClick(button(QStringLiteral("setPresetBtn")), Qt::LeftButton);
    QCOMPARE(setPreset.count(), 1);
    QCOMPARE(setPreset.at(0).at(0).toInt(), 2);
    QCOMPARE(setPreset.at(0).at(1).toString(), QStringLiteral("Choir"));
    QCOMPARE(m_messages->messages.size(), 2);
}

void tst_BoundingBoxSettings::selectionSurvivesHiding()
{
    QTest::mouseClick(presetButton(9), Qt::LeftButton);
    m_dialog->hide();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QSignalSpy colour(m_dialog.get(), &BoundingBoxSettings::chooseColorClicked);
    QTest::mouseClick(button(QStringLiteral("chooseColorBtn")), Qt::LeftButton);
    QCOMPARE(colour.count(), 1);
    QCOMPARE(colour.at(0).at(0).toInt(), 9);
}

int main(int argc, char *argv[])
{
    return runInTavimorexApp<tst_BoundingBoxSettings>(argc, argv);
}
#include "tst_boundingboxsettings.moc"
