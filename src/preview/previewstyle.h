#pragma once

#include <QString>

// Style sheets of the preview window and the preset map dialog, on top of the program's dark dialog
// style.
namespace PreviewStyle {

// The dark dialog style, with the video area's overlay left to its own looks: its plain widgets draw
// no background of their own, so the picture shows through around the box parts.
QString previewWindowStyleSheet();

// The custom preset buttons of the preset map dialog, plain and selected.
QString customPresetButtonStyle();
QString selectedCustomPresetButtonStyle();

} // namespace PreviewStyle
