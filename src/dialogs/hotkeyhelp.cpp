#include "hotkeyhelp.h"

#include "darkstyle.h"

#include <QHBoxLayout>
#include <QLabel>

HotkeyHelp::HotkeyHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HotkeyHelp"));
    setWindowTitle(QStringLiteral("Hotkey Help"));
    resize(738, 558);
    setMinimumSize(738, 558);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("label"));
    picture->setStyleSheet(QStringLiteral("QLabel{\nimage:url(:/tavimorex-assets/img/hotkey.png);\n}"));

    // The picture is drawn for the 720 x 540 that these margins leave at the minimum size.
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    layout->addWidget(picture);

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

HotkeyHelp::~HotkeyHelp() = default;
