#include "previewstyle.h"

#include "darkstyle.h"

namespace PreviewStyle {

QString previewWindowStyleSheet()
{
    return DarkStyle::dialogStyleSheet() + QStringLiteral(R"(QWidget#playerWrapper QWidget {
	background : transparent;
}
)");
}

namespace {

QString presetButtonLook(const char *background)
{
    return QStringLiteral("QPushButton{background : %1;padding : 8px;border-radius : 3px;}"
                          "QPushButton:pressed{background : %2;}"
                          "QPushButton:hover{background : %3;}")
        .arg(QLatin1String(background), QLatin1String(DarkStyle::ButtonPressed),
             QLatin1String(DarkStyle::ButtonHover));
}

} // namespace

QString customPresetButtonStyle()
{
    return presetButtonLook(DarkStyle::Button);
}

QString selectedCustomPresetButtonStyle()
{
    return presetButtonLook(DarkStyle::Current);
}

} // namespace PreviewStyle
