#include "aboutus.h"

#include "darkstyle.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString aboutText()
{
    const QString version = QCoreApplication::applicationVersion();
    const QString versionLine
        = version.isEmpty() ? QString()
                            : QStringLiteral("<p style=\"color:#c9c9c9;\">Version %1</p>").arg(version);
    return QStringLiteral(
               "<html><body style=\"color:#ffffff; font-size:9pt;\">"
               "<p><b>Tavimorex</b> is a control panel for pan-tilt-zoom cameras in live production: up to "
               "eight network and USB cameras driven from one window, the keyboard, a game controller or "
               "a browser.</p>"
               "%1"
               "<p>Tavimorex is available for PC and Mac, and as a plug-in for OBS (Open Broadcaster "
               "Software).</p>"
               "<p><b>Please note:</b> the picture settings offered here (exposure, image and colour, white "
               "balance) are in beta. A camera may fall back to the values of its own on-screen menu, and "
               "you use these settings at your own risk. Settings that must last belong in the camera's "
               "on-screen menu.</p>"
               "</body></html>")
        .arg(versionLine);
}

} // namespace

AboutUs::AboutUs(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutUs"));
    setWindowTitle(QStringLiteral("About"));
    resize(826, 327);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("label_2"));
    QFont logoFont = logo->font();
    logoFont.setPointSize(12);
    logo->setFont(logoFont);
    logo->setStyleSheet(
        QStringLiteral("QLabel{\n\timage : url(':/tavimorex-assets/img/tavimorex1.png');\n}"));
    logo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);

    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("label"));
    QFont textFont = text->font();
    textFont.setPointSize(10);
    text->setFont(textFont);
    text->setTextFormat(Qt::AutoText);
    text->setWordWrap(true);
    text->setText(aboutText());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(logo);
    layout->addWidget(text);

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

AboutUs::~AboutUs() = default;
