#pragma once

#include <QtGlobal>

// Whether an inquiry answer frame (90 50 ... FF, terminator included) has the length and form an answer
// of this inquiry kind can have. After an inquiry was given up its answer may still arrive, late, while
// another inquiry is on the wire; a frame that cannot belong to that one is the late one.
bool viscaAnswerFitsKind(int kind, const quint8 *frame, int length);
