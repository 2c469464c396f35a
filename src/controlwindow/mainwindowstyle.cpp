#include "mainwindowstyle.h"

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

} // namespace

QString windowStyleSheet()
{
    // One dark family for the whole window; the dialogs reuse the same colours.
    return QStringLiteral(R"(QWidget#centralWidget {
	background : #333333;
}
QInputDialog {
	background : #333333;
}
QToolTip {
	color : black;
}
QGroupBox {
	color : white;
	margin-top : 2ex;
	border-radius : 5px;
	padding : 8px;
	padding-top : 13px;
	border : 2px outset #1f1f1f;
}
QGroupBox::title {
	subcontrol-origin : margin;
	subcontrol-position : top left;
	left : 10px;
	padding : 0px 3px;
}
QMenuBar#menuBar {
	background : grey;
	color : white;
	border-bottom : 1px outset #222222;
}
QMenuBar#menuBar::item {
	background : transparent;
	padding : 2px 8px;
}
QMenuBar#menuBar::item:selected {
	background : #c9c9c9;
	color : #1f1f1f;
}
QMenu {
	background : grey;
	color : #1f1f1f;
}
QMenu::item:selected {
	background : #c9c9c9;
}
QStatusBar#statusBar {
	background : grey;
	color : white;
	border-top : 1px outset #222222;
}
QStatusBar#statusBar QLabel {
	color : white;
}
QPushButton {
	color : white;
	background : grey;
	padding : 5px;
	border-radius : 3px;
}
QPushButton:hover {
	background : #c9c9c9;
}
QPushButton:pressed {
	background : #474747;
}
QPushButton:disabled {
	color : #474747;
}
QLineEdit {
	color : white;
	background : #111111;
	padding : 3px;
	border-radius : 3px;
	border : 1px solid white;
}
QComboBox {
	color : white;
	background : #111111;
	padding : 3px;
	min-width : 40px;
	border-radius : 3px;
}
QComboBox:disabled {
	color : #6f6f6f;
}
QComboBox QAbstractItemView {
	color : white;
	background : black;
	selection-background-color : #4f4f4f;
}
QSlider::groove:horizontal {
	height : 4px;
	background : #1f1f1f;
	border-radius : 2px;
}
QSlider::handle:horizontal {
	background : grey;
	width : 14px;
	margin : -6px 0px;
	border-radius : 7px;
}
QSlider::handle:horizontal:hover {
	background : #c9c9c9;
}
QSlider::handle:horizontal:pressed {
	background : #474747;
}
QLabel {
	color : white;
}
QRadioButton {
	color : white;
}
QCheckBox {
	color : white;
}
QLabel:disabled, QRadioButton:disabled, QCheckBox:disabled {
	color : #8a8a8a;
}
QRadioButton::indicator {
	width : 10px;
	height : 10px;
	background : white;
	border : 2px outset #1f1f1f;
	border-radius : 6px;
}
QRadioButton::indicator:checked {
	background : #1f1f1f;
	border : 2px outset white;
}
QCheckBox::indicator {
	width : 10px;
	height : 10px;
	background : white;
	border : 2px outset #1f1f1f;
}
QCheckBox::indicator:checked {
	background : #1f1f1f;
	border : 2px outset white;
}
)");
}

QString cameraButtonStyle()
{
    return QStringLiteral("QPushButton{background : grey;padding : 5px;border-radius : 3px;}"
                          "QPushButton:pressed{background : #474747;}"
                          "QPushButton:hover{background : #c9c9c9;}");
}

QString currentCameraButtonStyle()
{
    return QStringLiteral("QPushButton{background : #4f4f4f;padding : 5px;border-radius : 3px;}"
                          "QPushButton:pressed{background : #474747;}"
                          "QPushButton:hover{background : #c9c9c9;}");
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
