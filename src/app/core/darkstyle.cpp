#include "darkstyle.h"

#include <QStringList>

namespace DarkStyle {

namespace {

// "selector {\n\tdeclaration;\n...}\n" with the colour names filled in: %1 ... in the declarations are
// replaced by the arguments, in order.
QString rule(const QString &selector, const QString &declarations)
{
    QString block = selector + QStringLiteral(" {\n");
    for (const QString &declaration : declarations.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = declaration.trimmed();
        if (!trimmed.isEmpty())
            block += QLatin1Char('\t') + trimmed + QStringLiteral(";\n");
    }
    return block + QStringLiteral("}\n");
}

QString c(const char *colour)
{
    return QString::fromLatin1(colour);
}

// A dot of the given colour inside the indicator's ring, with the inside colour around it.
QString dot(const char *colour)
{
    return QStringLiteral(
               "qradialgradient(cx : 0.5, cy : 0.5, radius : 0.5, fx : 0.5, fy : 0.5, stop : 0 %1, "
               "stop : 0.55 %1, stop : 0.7 %2, stop : 1 %2)")
        .arg(c(colour), c(Frame));
}

// Push buttons, fields, sliders, texts and indicators: the same in the window and in every dialog but
// for the buttons' padding.
QString controlRules(int buttonPadding)
{
    QString sheet;
    sheet
        += rule(QStringLiteral("QPushButton"), QStringLiteral("color : %1; background : %2; padding : %3px; "
                                                              "border-radius : 3px")
                                                   .arg(c(Text), c(Button))
                                                   .arg(buttonPadding));
    sheet += rule(QStringLiteral("QPushButton:hover"), QStringLiteral("background : ") + c(ButtonHover));
    sheet += rule(QStringLiteral("QPushButton:pressed"), QStringLiteral("background : ") + c(ButtonPressed));
    sheet += rule(QStringLiteral("QLineEdit"), QStringLiteral("color : %1; background : %2; padding : 3px; "
                                                              "border-radius : 3px; border : 1px solid %1")
                                                   .arg(c(Text), c(Field)));
    sheet += rule(QStringLiteral("QComboBox"), QStringLiteral("color : %1; background : %2; padding : 3px; "
                                                              "min-width : 40px; border-radius : 3px")
                                                   .arg(c(Text), c(Field)));
    // Only the colours: a spin box styled any further loses its native arrows.
    sheet += rule(QStringLiteral("QSpinBox"),
                  QStringLiteral("color : %1; background : %2").arg(c(Text), c(Field)));
    sheet += rule(QStringLiteral("QComboBox QAbstractItemView"),
                  QStringLiteral("color : %1; background : %2; selection-background-color : %3")
                      .arg(c(Text), c(List), c(Current)));
    sheet += rule(QStringLiteral("QSlider::groove:horizontal"),
                  QStringLiteral("height : 4px; background : %1; border-radius : 2px").arg(c(Frame)));
    sheet += rule(QStringLiteral("QSlider::handle:horizontal"),
                  QStringLiteral("background : %1; width : 14px; margin : -6px 0px; border-radius : 7px")
                      .arg(c(Button)));
    sheet += rule(QStringLiteral("QSlider::handle:horizontal:hover"),
                  QStringLiteral("background : ") + c(ButtonHover));
    sheet += rule(QStringLiteral("QSlider::handle:horizontal:pressed"),
                  QStringLiteral("background : ") + c(ButtonPressed));
    sheet += rule(QStringLiteral("QLabel, QRadioButton, QCheckBox"), QStringLiteral("color : ") + c(Text));
    // Menus, also the context menus of fields in a dialog.
    sheet += rule(QStringLiteral("QMenu"),
                  QStringLiteral("background : %1; color : %2").arg(c(Button), c(Frame)));
    sheet += rule(QStringLiteral("QMenu::item:selected"), QStringLiteral("background : ") + c(ButtonHover));
    // Unchecked is a hollow ring or box; checked fills it, a dot in the ring for a radio button.
    sheet += rule(QStringLiteral("QRadioButton::indicator"),
                  QStringLiteral("width : 10px; height : 10px; background : %1; border : 2px solid %2; "
                                 "border-radius : 7px")
                      .arg(c(Frame), c(Indicator)));
    sheet += rule(QStringLiteral("QRadioButton::indicator:checked"),
                  QStringLiteral("background : %1; border : 2px solid %2").arg(dot(Text), c(Text)));
    sheet += rule(QStringLiteral("QCheckBox::indicator"),
                  QStringLiteral("width : 10px; height : 10px; background : %1; border : 2px solid %2")
                      .arg(c(Frame), c(Indicator)));
    sheet += rule(QStringLiteral("QCheckBox::indicator:checked"),
                  QStringLiteral("background : %1; border : 2px solid %1").arg(c(Text)));
    return sheet;
}

} // namespace

QString toolTipRule()
{
    // Tooltips are widgets too: without their own colours a dialog's dark background would put their
    // text on dark grey.
    return rule(QStringLiteral("QToolTip"),
                QStringLiteral("color : %1; background : %2; border : 1px solid %3; "
                               "padding : 2px")
                    .arg(c(ToolTipText), c(ToolTip), c(Frame)));
}

QString disabledRules()
{
    QString sheet;
    sheet += rule(QStringLiteral("QPushButton:disabled"), QStringLiteral("color : ") + c(DisabledButtonText));
    sheet += rule(QStringLiteral("QLineEdit:disabled"),
                  QStringLiteral("color : %1; border : 1px solid %2").arg(c(DisabledText), c(DisabledFrame)));
    sheet += rule(QStringLiteral("QComboBox:disabled, QSpinBox:disabled"),
                  QStringLiteral("color : ") + c(DisabledText));
    sheet += rule(QStringLiteral("QLabel:disabled, QRadioButton:disabled, QCheckBox:disabled"),
                  QStringLiteral("color : ") + c(DisabledText));
    sheet += rule(QStringLiteral("QRadioButton::indicator:disabled, QCheckBox::indicator:disabled"),
                  QStringLiteral("border-color : ") + c(DisabledFrame));
    sheet += rule(QStringLiteral("QRadioButton::indicator:checked:disabled"),
                  QStringLiteral("background : ") + dot(DisabledText));
    sheet += rule(QStringLiteral("QCheckBox::indicator:checked:disabled"),
                  QStringLiteral("background : ") + c(DisabledFrame));
    sheet += rule(QStringLiteral("QSlider::handle:horizontal:disabled"),
                  QStringLiteral("background : ") + c(DisabledFrame));
    return sheet;
}

QString windowStyleSheet()
{
    QString sheet;
    sheet += rule(QStringLiteral("QWidget#centralWidget"), QStringLiteral("background : ") + c(Background));
    sheet += rule(QStringLiteral("QInputDialog"), QStringLiteral("background : ") + c(Background));
    sheet += toolTipRule();
    sheet += rule(QStringLiteral("QGroupBox"),
                  QStringLiteral("color : %1; margin-top : 2ex; border-radius : 5px; "
                                 "padding : 8px; padding-top : 13px; border : 2px "
                                 "outset %2")
                      .arg(c(Text), c(Frame)));
    sheet += rule(QStringLiteral("QGroupBox::title"),
                  QStringLiteral("subcontrol-origin : margin; subcontrol-position : top left; left : 10px; "
                                 "padding : 0px 3px"));
    sheet += rule(QStringLiteral("QMenuBar#menuBar"),
                  QStringLiteral("background : %1; color : %2; border-bottom : 1px outset #222222")
                      .arg(c(Button), c(Text)));
    sheet += rule(QStringLiteral("QMenuBar#menuBar::item"),
                  QStringLiteral("background : transparent; padding : 2px 8px"));
    sheet += rule(QStringLiteral("QMenuBar#menuBar::item:selected"),
                  QStringLiteral("background : %1; color : %2").arg(c(ButtonHover), c(Frame)));
    sheet += rule(QStringLiteral("QStatusBar#statusBar"),
                  QStringLiteral("background : %1; color : %2; border-top : 1px outset #222222")
                      .arg(c(Button), c(Text)));
    sheet += rule(QStringLiteral("QStatusBar#statusBar QLabel"), QStringLiteral("color : ") + c(Text));
    return sheet + controlRules(5) + disabledRules();
}

QString dialogStyleSheet()
{
    QString sheet;
    sheet += rule(QStringLiteral("QWidget"), QStringLiteral("background : ") + c(Background));
    sheet += toolTipRule();
    sheet += rule(QStringLiteral("QGroupBox"), QStringLiteral("color : ") + c(Text));
    return sheet + controlRules(8) + disabledRules();
}

} // namespace DarkStyle
