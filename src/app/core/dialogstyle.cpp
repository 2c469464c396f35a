#include "dialogstyle.h"

namespace DialogStyle {

QString darkDialogStyleSheet()
{
    return QStringLiteral(R"(QWidget {
	background : #333333;
}
QToolTip {
	color : black;
}
QGroupBox {
	color : white;
}
QPushButton {
	color : white;
	background : grey;
	padding : 8px;
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
QComboBox QAbstractItemView {
	color : white;
	background : black;
	selection-background-color : #4f4f4f;
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

} // namespace DialogStyle
