#include "xboxhelp.h"

#include "darkstyle.h"

#include <QLabel>
#include <QVBoxLayout>

XBoxHelp::XBoxHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("XBoxHelp"));
    setWindowTitle(QStringLiteral("Xbox Help"));
    resize(818, 738);
    setMinimumSize(818, 738);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("label"));
    picture->setStyleSheet(QStringLiteral("QLabel{\nimage: url(:/tavimorex-assets/img/xbox.png);\n}"));

    // The picture is drawn for the 800 x 720 that these margins leave at the minimum size.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    layout->addWidget(picture);

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

XBoxHelp::~XBoxHelp() = default;
