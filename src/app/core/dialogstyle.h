#pragma once

#include <QString>

// The dark style of the program's dialogs: the control window's colours on every widget of the dialog,
// plain group boxes with a white title and roomier push buttons.
namespace DialogStyle {

QString darkDialogStyleSheet();

} // namespace DialogStyle
