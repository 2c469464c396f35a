#include "mainwindowstyle.h"

#include "darkstyle.h"

namespace MainWindowStyle {

namespace {

const QString PicturePrefix = QStringLiteral(":/tavimorex-assets/img/");

QString partName(SpritePart part)
{
    switch (part) {
    case SpritePart::Top:
        return QStringLiteral("top");
    case SpritePart::Center:
        return QStringLiteral("center");
    case SpritePart::Bottom:
        return QStringLiteral("bottom");
    }
    return QStringLiteral("top");
}

QString imageBlock(const QString &selector, const QString &picture, int width, int height, SpritePart part)
{
    return selector
           + QStringLiteral("{\n\twidth : %1px;\n\theight : %2px;\n\tbackground :  url('%3%4') center %5 "
                            "no-repeat;\n}")
                 .arg(width)
                 .arg(height)
                 .arg(PicturePrefix, picture, partName(part));
}

QString cameraButtonLook(const char *background)
{
    return QStringLiteral("QPushButton{background : %1;padding : 5px;border-radius : 3px;}"
                          "QPushButton:pressed{background : %2;}"
                          "QPushButton:hover{background : %3;}")
        .arg(QLatin1String(background), QLatin1String(DarkStyle::ButtonPressed),
             QLatin1String(DarkStyle::ButtonHover));
}

} // namespace

QString cameraButtonStyle()
{
    return cameraButtonLook(DarkStyle::Button);
}

QString currentCameraButtonStyle()
{
    return cameraButtonLook(DarkStyle::Current);
}

QString cameraButtonStyle(bool current, TallyState tally)
{
    if (tally == TallyState::Off)
        return current ? currentCameraButtonStyle() : cameraButtonStyle();
    // The border takes its width from the padding, so a button keeps its size whatever it shows.
    const QString colour
        = tally == TallyState::Program ? QStringLiteral("#ff3b30") : QStringLiteral("#34c759");
    const QString background = current ? QStringLiteral("#4f4f4f") : QStringLiteral("grey");
    return QStringLiteral(
               "QPushButton{background : %1;border : 3px solid %2;padding : 2px;border-radius : 3px;}"
               "QPushButton:pressed{background : #474747;}"
               "QPushButton:hover{background : #c9c9c9;}")
        .arg(background, colour);
}

QString logoStyle()
{
    return QStringLiteral("QLabel{\n\timage : url(:/tavimorex-assets/img/tavimorex1.png);\n}");
}

QString imageButtonStyle(
    const QString &picture, int width, int height, SpritePart normal, SpritePart hovered, SpritePart pressed)
{
    return imageBlock(QStringLiteral("QPushButton"), picture, width, height, normal) + QLatin1Char('\n')
           + imageBlock(QStringLiteral("QPushButton:hover"), picture, width, height, hovered)
           + QLatin1Char('\n')
           + imageBlock(QStringLiteral("QPushButton:pressed"), picture, width, height, pressed);
}

QString padButtonStyle(const QString &picture)
{
    return imageButtonStyle(picture, 44, 44, SpritePart::Top, SpritePart::Center, SpritePart::Bottom);
}

QString previewButtonStyle()
{
    return imageButtonStyle(QStringLiteral("tv.png"), 30, 30, SpritePart::Center, SpritePart::Bottom,
                            SpritePart::Top);
}

QString sceneButtonStyle(const QString &picture)
{
    return imageButtonStyle(picture, 60, 30, SpritePart::Bottom, SpritePart::Center, SpritePart::Top);
}

QString presetButtonStyle()
{
    return QStringLiteral("QPushButton{\n\theight : 40px;\n}");
}

QString presetPictureButtonStyle(const QString &path)
{
    return QStringLiteral("QPushButton{\n\theight : 40px;\n\timage : url('") + path
           + QStringLiteral("');\n}");
}

} // namespace MainWindowStyle
