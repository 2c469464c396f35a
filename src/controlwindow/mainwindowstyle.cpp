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

QString cameraButtonLook(const char *background, const char *border = nullptr)
{
    // A border takes its width from the padding, so a button keeps its size whatever it shows.
    const QString frame
        = border ? QStringLiteral("border : 3px solid %1;padding : 2px;").arg(QLatin1String(border))
                 : QStringLiteral("padding : 5px;");
    return QStringLiteral("QPushButton{background : %1;%2border-radius : 3px;}"
                          "QPushButton:pressed{background : %3;}"
                          "QPushButton:hover{background : %4;}")
        .arg(QLatin1String(background), frame, QLatin1String(DarkStyle::ButtonPressed),
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
    const char *background = current ? DarkStyle::Current : DarkStyle::Button;
    switch (tally) {
    case TallyState::Program:
        return cameraButtonLook(background, DarkStyle::TallyProgram);
    case TallyState::Preview:
        return cameraButtonLook(background, DarkStyle::TallyPreview);
    case TallyState::Off:
        break;
    }
    return cameraButtonLook(background);
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
