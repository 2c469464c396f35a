#include "pantiltlimitdlgui.h"

#include "mainwindowstyle.h"

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

QLabel *textLabel(QWidget *parent, const char *objectName, const QString &text)
{
    auto *label = make<QLabel>(parent, objectName);
    label->setText(text);
    return label;
}

QLineEdit *limitField(QWidget *parent, const char *objectName)
{
    auto *edit = make<QLineEdit>(parent, objectName);
    edit->setReadOnly(true);
    return edit;
}

// A pad button: no text, exactly 44 x 44, the same sprite as the main window's button.
QPushButton *padButton(QWidget *parent, const char *objectName, const char *picture)
{
    auto *button = make<QPushButton>(parent, objectName);
    button->setFixedSize(PadButtonSize, PadButtonSize);
    button->setStyleSheet(MainWindowStyle::padButtonStyle(QLatin1String(picture)));
    return button;
}

} // namespace

void PanTiltLimitDlgUi::setupUi(QDialog *dialog)
{
    dialog->setObjectName(QStringLiteral("PanTiltLimitDlg"));
    dialog->setWindowTitle(QStringLiteral("Pan/Tilt Limit Setting"));
    dialog->resize(240, 383);

    auto *mainLayout = new QVBoxLayout(dialog);

    // The stored limits: left and down on the left, right and up on the right.
    auto *limits = new QHBoxLayout;
    auto *leftColumn = new QVBoxLayout;
    label = textLabel(dialog, "label", QStringLiteral("Left"));
    leftLimitEdit = limitField(dialog, "leftLimitEdit");
    label_2 = textLabel(dialog, "label_2", QStringLiteral("Down"));
    downLimitEdit = limitField(dialog, "downLimitEdit");
    leftColumn->addWidget(label);
    leftColumn->addWidget(leftLimitEdit);
    leftColumn->addWidget(label_2);
    leftColumn->addWidget(downLimitEdit);
    auto *rightColumn = new QVBoxLayout;
    label_3 = textLabel(dialog, "label_3", QStringLiteral("Right"));
    rightLimitEdit = limitField(dialog, "rightLimitEdit");
    label_4 = textLabel(dialog, "label_4", QStringLiteral("Up"));
    upLimitEdit = limitField(dialog, "upLimitEdit");
    rightColumn->addWidget(label_3);
    rightColumn->addWidget(rightLimitEdit);
    rightColumn->addWidget(label_4);
    rightColumn->addWidget(upLimitEdit);
    limits->addLayout(leftColumn);
    limits->addLayout(rightColumn);
    mainLayout->addLayout(limits);

    // The pad, centred.
    auto *padRow = new QHBoxLayout;
    auto *pad = new QGridLayout;
    pad->setSpacing(5);
    moveUpBtn = padButton(dialog, "moveUpBtn", "uparrow.png");
    moveLeftBtn = padButton(dialog, "moveLeftBtn", "leftarrow.png");
    moveHomeBtn = padButton(dialog, "moveHomeBtn", "home.png");
    moveRightBtn = padButton(dialog, "moveRightBtn", "rightarrow.png");
    moveDownBtn = padButton(dialog, "moveDownBtn", "downarrow.png");
    pad->addWidget(moveUpBtn, 0, 1);
    pad->addWidget(moveLeftBtn, 1, 0);
    pad->addWidget(moveHomeBtn, 1, 1);
    pad->addWidget(moveRightBtn, 1, 2);
    pad->addWidget(moveDownBtn, 2, 1);
    padRow->addStretch(1);
    padRow->addLayout(pad);
    padRow->addStretch(1);
    mainLayout->addLayout(padRow);

    // The live position.
    auto *position = new QHBoxLayout;
    panLabel = textLabel(dialog, "panLabel", QStringLiteral("Pan: FFFF"));
    tiltLabel = textLabel(dialog, "tiltLabel", QStringLiteral("Tilt: FFFF"));
    position->addWidget(panLabel);
    position->addWidget(tiltLabel);
    mainLayout->addLayout(position);

    label_5
        = textLabel(dialog, "label_5",
                    QStringLiteral("After moving to the position you want, please wait for 6 seconds to get "
                                   "the correct position."));
    label_5->setStyleSheet(QStringLiteral("QLabel{\nfont-weight:bold;\n}"));
    label_5->setAlignment(Qt::AlignCenter);
    label_5->setWordWrap(true);
    mainLayout->addWidget(label_5);
    mainLayout->addStretch(1);

    auto *applyRow = new QHBoxLayout;
    leftDownBtn = make<QPushButton>(dialog, "leftDownBtn");
    leftDownBtn->setText(QStringLiteral("Apply To Left Down"));
    rightUpBtn = make<QPushButton>(dialog, "rightUpBtn");
    rightUpBtn->setText(QStringLiteral("Apply to Right Up"));
    applyRow->addWidget(leftDownBtn);
    applyRow->addWidget(rightUpBtn);
    mainLayout->addLayout(applyRow);
}
