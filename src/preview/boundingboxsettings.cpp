#include "boundingboxsettings.h"

#include "appservices.h"
#include "darkstyle.h"
#include "previewstyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BoundingBoxSettings::BoundingBoxSettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BoundingBoxSettings"));
    setWindowTitle(QStringLiteral("Image Preview Map"));
    setStyleSheet(DarkStyle::dialogStyleSheet());
    resize(302, 447);

    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label("label", QStringLiteral("Background:")));
    QPushButton *snapShotBack = button("snapShotBackBtn", QStringLiteral("Take a SnapShot"));
    QPushButton *fileBack = button("fileBackBtn", QStringLiteral("File"));
    QPushButton *liveVideoBack = button("liveVideoBackBtn", QStringLiteral("Live Video"));
    layout->addWidget(snapShotBack);
    layout->addWidget(fileBack);
    layout->addWidget(liveVideoBack);

    layout->addWidget(label("label_2", QStringLiteral("Bounding Boxes:")));
    auto *presetRow = new QHBoxLayout;
    presetRow->setSpacing(2);
    for (int k = 1; k <= CustomPresetCount; ++k) {
        const QByteArray name = "customPreset" + QByteArray::number(k);
        QPushButton *b = button(name.constData(), QString::number(k));
        b->setStyleSheet(PreviewStyle::customPresetButtonStyle());
        m_customPresetButtons[k - 1] = b;
        presetRow->addWidget(b);
    }
    layout->addLayout(presetRow);

    auto *centreRow = new QHBoxLayout;
    QPushButton *crossHair = button("showCrossHairBtn", QStringLiteral("Show CrossHair"));
    QPushButton *diamond = button("showCenterDiamondBtn", QStringLiteral("Show Center Diamond"));
    QPushButton *removeCentre = button("removeCenterBtn", QStringLiteral("Remove"));
    centreRow->addWidget(crossHair);
    centreRow->addWidget(diamond);
    centreRow->addWidget(removeCentre);
    layout->addLayout(centreRow);

    auto *titleRow = new QHBoxLayout;
    QPushButton *setPreset = button("setPresetBtn", QStringLiteral("Set Preset"));
    m_titleEdit = new QLineEdit(this);
    m_titleEdit->setObjectName(QStringLiteral("presetTitleLabel"));
    titleRow->addWidget(setPreset);
    titleRow->addWidget(m_titleEdit, 1);
    layout->addLayout(titleRow);

    auto *lookRow = new QHBoxLayout;
    QPushButton *defaultLook = button("defaultBtn", QStringLiteral("Default"));
    QPushButton *colour = button("chooseColorBtn", QStringLiteral("Choose Color"));
    QPushButton *snapShotBox = button("snapShotBoxBtn", QStringLiteral("Take a SnapShot"));
    lookRow->addWidget(defaultLook);
    lookRow->addWidget(colour);
    lookRow->addWidget(snapShotBox);
    layout->addLayout(lookRow);

    QPushButton *reset = button("resetBtn", QStringLiteral("Reset all custom presets"));
    QPushButton *pictureInPicture
        = button("showHidePictureInPicture", QStringLiteral("Show/Hide PictureInPicture Box"));
    QPushButton *currentBox = button("showHideCurBox", QStringLiteral("Show/Hide Current Bounding Box"));
    QPushButton *boxes = button("showHideBoxes", QStringLiteral("Show/Hide Bounding Boxes"));
    layout->addWidget(reset);
    layout->addWidget(pictureInPicture);
    layout->addWidget(currentBox);
    layout->addWidget(boxes);
    layout->addStretch();

    connect(snapShotBack, &QPushButton::clicked, this, &BoundingBoxSettings::takeSnapShotForBackground);
    connect(fileBack, &QPushButton::clicked, this, &BoundingBoxSettings::uploadFileForBackground);
    connect(liveVideoBack, &QPushButton::clicked, this, &BoundingBoxSettings::useLiveVideoForBackground);
    using Select = void (BoundingBoxSettings::*)();
    const Select selectSlots[CustomPresetCount] = {
        &BoundingBoxSettings::selectCustomPreset1, &BoundingBoxSettings::selectCustomPreset2,
        &BoundingBoxSettings::selectCustomPreset3, &BoundingBoxSettings::selectCustomPreset4,
        &BoundingBoxSettings::selectCustomPreset5, &BoundingBoxSettings::selectCustomPreset6,
        &BoundingBoxSettings::selectCustomPreset7, &BoundingBoxSettings::selectCustomPreset8,
        &BoundingBoxSettings::selectCustomPreset9,
    };
    for (int k = 0; k < CustomPresetCount; ++k)
        connect(m_customPresetButtons[k], &QPushButton::clicked, this, selectSlots[k]);
    connect(snapShotBox, &QPushButton::clicked, this, &BoundingBoxSettings::takeSnapShotForBoundingBox);
    connect(defaultLook, &QPushButton::clicked, this, &BoundingBoxSettings::defaultForBoundingBox);
    connect(setPreset, &QPushButton::clicked, this, &BoundingBoxSettings::setCustomPreset);
    connect(crossHair, &QPushButton::clicked, this, &BoundingBoxSettings::showCrossHair);
    connect(diamond, &QPushButton::clicked, this, &BoundingBoxSettings::showCenterDiamond);
    connect(removeCentre, &QPushButton::clicked, this, &BoundingBoxSettings::removeCenter);
    connect(reset, &QPushButton::clicked, this, &BoundingBoxSettings::resetAllBoxes);
    connect(colour, &QPushButton::clicked, this, &BoundingBoxSettings::chooseColor);
    connect(pictureInPicture, &QPushButton::clicked, this, &BoundingBoxSettings::showHidePictureInPicture);
    connect(currentBox, &QPushButton::clicked, this, &BoundingBoxSettings::showHideCurrentBoundingBox);
    connect(boxes, &QPushButton::clicked, this, &BoundingBoxSettings::showHideBoundingBoxes);
}

void BoundingBoxSettings::selectCustomPreset(int k)
{
    for (QPushButton *b : m_customPresetButtons)
        b->setStyleSheet(PreviewStyle::customPresetButtonStyle());
    m_selected = k;
    m_customPresetButtons[k - 1]->setStyleSheet(PreviewStyle::selectedCustomPresetButtonStyle());
}

void BoundingBoxSettings::selectCustomPreset1()
{
    selectCustomPreset(1);
}

void BoundingBoxSettings::selectCustomPreset2()
{
    selectCustomPreset(2);
}

void BoundingBoxSettings::selectCustomPreset3()
{
    selectCustomPreset(3);
}

void BoundingBoxSettings::selectCustomPreset4()
{
    selectCustomPreset(4);
}

void BoundingBoxSettings::selectCustomPreset5()
{
    selectCustomPreset(5);
}

void BoundingBoxSettings::selectCustomPreset6()
{
    selectCustomPreset(6);
}

void BoundingBoxSettings::selectCustomPreset7()
{
    selectCustomPreset(7);
}

void BoundingBoxSettings::selectCustomPreset8()
{
    selectCustomPreset(8);
}

void BoundingBoxSettings::selectCustomPreset9()
{
    selectCustomPreset(9);
}

void BoundingBoxSettings::takeSnapShotForBackground()
{
    Q_EMIT takeSnapShotForBackgroundClicked();
}

void BoundingBoxSettings::uploadFileForBackground()
{
    Q_EMIT uploadFileForBackgroundClicked();
}

void BoundingBoxSettings::useLiveVideoForBackground()
{
    Q_EMIT useLiveVideoForBackgroundClicked();
}

void BoundingBoxSettings::takeSnapShotForBoundingBox()
{
    if (hasSelection())
        Q_EMIT takeSnapShotForBoundingBoxClicked(m_selected);
}

void BoundingBoxSettings::defaultForBoundingBox()
{
    if (hasSelection())
        Q_EMIT defaultForBoundingBoxClicked(m_selected);
}

void BoundingBoxSettings::setCustomPreset()
{
    const QString title = m_titleEdit->text();
    if (title.isEmpty()) {
        if (AppServices *services = appServices())
            services->showMessage(QStringLiteral("Please enter preset title"));
        return;
    }
    if (hasSelection())
        Q_EMIT setCustomPresetClicked(m_selected, title);
}

void BoundingBoxSettings::showCrossHair()
{
    if (hasSelection())
        Q_EMIT showCrossHairClicked(m_selected);
}

void BoundingBoxSettings::showCenterDiamond()
{
    if (hasSelection())
        Q_EMIT showCenterDiamondClicked(m_selected);
}

void BoundingBoxSettings::removeCenter()
{
    if (hasSelection())
        Q_EMIT removeCenterClicked(m_selected);
}

void BoundingBoxSettings::resetAllBoxes()
{
    Q_EMIT resetAllBoxesClicked();
}

void BoundingBoxSettings::chooseColor()
{
    if (hasSelection())
        Q_EMIT chooseColorClicked(m_selected);
}

void BoundingBoxSettings::showHidePictureInPicture()
{
    Q_EMIT showHidePictureInPictureClicked();
}

void BoundingBoxSettings::showHideCurrentBoundingBox()
{
    if (hasSelection())
        Q_EMIT showHideCurrentBoundingBoxClicked(m_selected);
}

void BoundingBoxSettings::showHideBoundingBoxes()
{
    Q_EMIT showHideBoundingBoxesClicked();
}
