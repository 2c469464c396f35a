#pragma once

#include <QString>
#include <QtGlobal>

// Texts of the status bar's value labels.
namespace StatusText {

// prefix + the four parts of a position, each in lower-case hexadecimal without leading zeros, most
// significant first: "Pan:" with {0x0, 0x1, 0xA, 0xF} gives "Pan:01af".
QString position(const QString &prefix, const quint8 (&parts)[4]);

// "Iris:" + the iris table text of irisPos, or the raw number when the table has none.
QString iris(quint8 irisPos);

// "Shutter:" + the shutter table text of position shutterPos (1-based), or the raw number when the table
// has none.
QString shutter(quint8 shutterPos);

QString bright(quint8 brightPos);

} // namespace StatusText
