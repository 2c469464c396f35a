#pragma once

#include <QString>

// The program's dark style, in one place: its colours, and the style sheets of the control window and
// of the dialogs built from one set of rules. Everything else that draws in these colours (camera
// buttons, preset buttons, the preview window) takes them from here.
namespace DarkStyle {

// Colours
inline constexpr const char *Background = "#333333";         // window and dialog background
inline constexpr const char *Text = "white";                 // labels, radio buttons, check boxes, fields
inline constexpr const char *Button = "grey";                // push buttons, menu and status bars
inline constexpr const char *ButtonHover = "#c9c9c9";        // hovered button, selected menu item
inline constexpr const char *ButtonPressed = "#474747";      // pressed button
inline constexpr const char *Current = "#4f4f4f";            // the current camera's button, list selection
inline constexpr const char *Field = "#111111";              // line edits and combo boxes
inline constexpr const char *List = "black";                 // a combo box's open list
inline constexpr const char *Frame = "#1f1f1f";              // group box frames, indicator insides
inline constexpr const char *Indicator = "#c9c9c9";          // the ring or box of a radio button or check box
inline constexpr const char *DisabledText = "#8a8a8a";       // text of a disabled widget on the background
inline constexpr const char *DisabledFrame = "#6f6f6f";      // frame and indicator of a disabled widget
inline constexpr const char *DisabledButtonText = "#474747"; // text of a disabled push button
inline constexpr const char *ToolTip = "#ffffdc";            // tooltip background
inline constexpr const char *ToolTipText = "black";          // tooltip text
inline constexpr const char *TallyProgram = "#ff3b30";       // border of a camera on air
inline constexpr const char *TallyPreview = "#34c759";       // border of the camera next on air

// The control window: dark central widget, menu and status bars, framed group boxes.
QString windowStyleSheet();
// Every free-standing dialog: dark on every widget, group boxes reduced to their white title, push
// buttons with more room.
QString dialogStyleSheet();

// Rules both sheets share, so each dialog's sheet can be checked for them: tooltips, and the looks of
// disabled widgets.
QString toolTipRule();
QString disabledRules();

} // namespace DarkStyle
