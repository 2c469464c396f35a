#include "helpwin.h"

#include "darkstyle.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString helpText()
{
    return QStringLiteral(
        "<html><body style=\"color:#ffffff; font-size:9pt;\">"
        "<p>Tavimorex controls cameras over an IP connection or a USB 3.0 connection, so you need either "
        "the IP address of your camera or a camera connected to a USB 3.0 port of this computer.</p>"
        "<p>An IP address settings tool is available from the download page of your camera's maker, and "
        "the camera's quick start guide explains how to give it a static IP address.</p>"
        "<p>Declare your cameras under <b>Settings &gt; Multi Cameras Setting</b>, then press a camera's "
        "button in the main window to control it.</p>"
        "<p>Open the live preview from the <b>Window</b> menu. The camera button also chooses which camera "
        "the preview shows.</p>"
        "<p>If you have questions, the help site of your camera's maker is there for you.</p>"
        "</body></html>");
}

} // namespace

HelpWin::HelpWin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWin"));
    setWindowTitle(QStringLiteral("Help"));
    resize(498, 368);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    auto *heading = new QLabel(QStringLiteral("Welcome to the Tavimorex camera control application!"), this);
    heading->setObjectName(QStringLiteral("label_2"));
    heading->setAlignment(Qt::AlignCenter);
    heading->setWordWrap(true);
    QFont headingFont = heading->font();
    headingFont.setPointSize(11);
    headingFont.setBold(true);
    heading->setFont(headingFont);

    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("label"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setText(helpText());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(text, 1);

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

HelpWin::~HelpWin() = default;
