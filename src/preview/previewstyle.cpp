#include "previewstyle.h"

#include "dialogstyle.h"

namespace PreviewStyle {

QString previewWindowStyleSheet()
{
    return DialogStyle::darkDialogStyleSheet() + QStringLiteral(R"(QWidget#playerWrapper QWidget {
	background : transparent;
}
)");
}

QString customPresetButtonStyle()
{
    return QStringLiteral("QPushButton{background : grey;padding : 8px;border-radius : 3px;}"
                          "QPushButton:pressed{background : #474747;}"
                          "QPushButton:hover{background : #c9c9c9;}");
}

QString selectedCustomPresetButtonStyle()
{
    return QStringLiteral("QPushButton{background : #4f4f4f;padding : 8px;border-radius : 3px;}"
                          "QPushButton:pressed{background : #474747;}"
                          "QPushButton:hover{background : #c9c9c9;}");
}

} // namespace PreviewStyle
