#pragma once

#include <QStringList>
#include <QtGlobal>

// The value tables shared by the camera, the exposure panel and the status display: labels indexed as
// the user interface offers them, and the VISCA codes they stand for.
namespace ViscaTables {

// Exposure mode: "Auto", "Manual", "SAE", "AAE", "Brightness".
const QStringList &aeModeLabels();
// Code sent for a table index; an index outside the table sends Auto (0x00).
quint8 aeModeCode(int index);
// Table index of a code the camera reports, or -1 when the code has none.
int aeModeIndex(quint8 code);

// Iris: the index is the VISCA iris position, 0 "Close" to 12 "F1.8".
const QStringList &irisLabels();

// Shutter: index i is VISCA shutter position i + 1, "1/30" to "1/10000".
const QStringList &shutterLabels();

// White balance: "Auto", "Indoor", "Outdoor", "OnePush", "Manual".
const QStringList &wbModeLabels();
// Code sent for a table index: the table's codes, 0x10 for index 5, any other index unchanged.
quint8 wbModeCode(int index);
// Table index of a code the camera reports, or -1 when the code has none.
int wbModeIndex(quint8 code);

} // namespace ViscaTables
