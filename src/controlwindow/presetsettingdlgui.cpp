#include "presetsettingdlgui.h"

#include "mainwindowstyle.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int PadButtonSize = 44;

template<typename W>
W *make(QWidget *parent, const char *objectName)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(objectName));
    return w;
}

QPushButton *textButton(QWidget *parent, const char *objectName, const QString &text, const QString &toolTip)
{
    auto *button = make<QPushButton>(parent, objectName);
    button->setText(text);
    button->setToolTip(toolTip);
    return button;
}

// A picture button of the pad: no text, at most 44 x 44, the same sprite as the main window's button.
QPushButton *padButton(QWidget *parent, const char *objectName, const QString &toolTip, const char *picture)
{
    auto *button = make<QPushButton>(parent, objectName);
    button->setToolTip(toolTip);
    button->setMaximumSize(PadButtonSize, PadButtonSize);
    button->setStyleSheet(MainWindowStyle::padButtonStyle(QLatin1String(picture)));
    return button;
}

} // namespace

void PresetSettingDlgUi::setupUi(QDialog *dialog)
{
    dialog->setObjectName(QStringLiteral("PresetSettingDlg"));
    dialog->setWindowTitle(QStringLiteral("Preset Setting"));
    dialog->resize(494, 237);

    auto *mainLayout = new QHBoxLayout(dialog);

    // Left: the picture of the selected preset and the preset commands under it.
    auto *left = new QVBoxLayout;
    imgLbl = make<QLabel>(dialog, "imgLbl");
    imgLbl->setText(QStringLiteral("Preset Preview Image "));
    imgLbl->setToolTip(QStringLiteral("Preset Image"));
    imgLbl->setMinimumSize(320, 180);
    imgLbl->setAlignment(Qt::AlignCenter);
    left->addWidget(imgLbl, 1);

    widget_2 = make<QWidget>(dialog, "widget_2");
    widget_2->setMaximumHeight(40);
    auto *buttonRow = new QHBoxLayout(widget_2);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    setBtn = textButton(widget_2, "setBtn", QStringLiteral("Set"), QStringLiteral("Set Preset"));
    callBtn = textButton(widget_2, "callBtn", QStringLiteral("Call"), QStringLiteral("Call Preset"));
    clearImageBtn = textButton(widget_2, "clearImageBtn", QStringLiteral("Clear Image"),
                               QStringLiteral("Clear Preset Image"));
    clearPresetBtn = textButton(widget_2, "clearPresetBtn", QStringLiteral("Clear Preset"),
                                QStringLiteral("Clear Preset"));
    buttonRow->addWidget(setBtn);
    buttonRow->addWidget(callBtn);
    buttonRow->addWidget(clearImageBtn);
    buttonRow->addWidget(clearPresetBtn);
    left->addWidget(widget_2);
    mainLayout->addLayout(left, 1);

    // Right: the pad, the preset number and its name.
    widget = make<QWidget>(dialog, "widget");
    widget->setMaximumWidth(180);
    auto *right = new QVBoxLayout(widget);
    right->setContentsMargins(0, 0, 0, 0);
    auto *pad = new QGridLayout;
    pad->setSpacing(5);
    upBtn = padButton(widget, "upBtn", QStringLiteral("Move Up"), "uparrow.png");
    leftBtn = padButton(widget, "leftBtn", QStringLiteral("Move Left"), "leftarrow.png");
    homeBtn = padButton(widget, "homeBtn", QStringLiteral("Move Home"), "home.png");
    rightBtn = padButton(widget, "rightBtn", QStringLiteral("Move Right"), "rightarrow.png");
    downBtn = padButton(widget, "downBtn", QStringLiteral("Move Down"), "downarrow.png");
    inBtn = padButton(widget, "inBtn", QStringLiteral("Zoom In"), "plus.png");
    outBtn = padButton(widget, "outBtn", QStringLiteral("Zoom Out"), "minus.png");
    pad->addWidget(upBtn, 0, 1);
    pad->addWidget(leftBtn, 1, 0);
    pad->addWidget(homeBtn, 1, 1);
    pad->addWidget(rightBtn, 1, 2);
    pad->addWidget(inBtn, 2, 0);
    pad->addWidget(downBtn, 2, 1);
    pad->addWidget(outBtn, 2, 2);
    right->addLayout(pad);
    right->addStretch(1);

    presetCmb = make<QComboBox>(widget, "presetCmb");
    presetCmb->setToolTip(QStringLiteral("Preset Numbers"));
    right->addWidget(presetCmb);
    presetEdit = make<QLineEdit>(widget, "presetEdit");
    presetEdit->setToolTip(QStringLiteral("Preset Name"));
    right->addWidget(presetEdit);
    mainLayout->addWidget(widget);
}
