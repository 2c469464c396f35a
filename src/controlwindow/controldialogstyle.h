#pragma once

#include <QString>

// The style of the dialogs that act on the current camera (preset setting, pan/tilt limits). It is the
// control window's own style sheet, changed where a free-standing dialog needs it: the dark background on
// every widget instead of only the central widget, no input-dialog rule, group boxes reduced to their
// white title, and push buttons with 8px padding instead of 5px. Deriving it keeps both in one family.
namespace ControlDialogStyle {

QString styleSheet();

} // namespace ControlDialogStyle
