#pragma once

class QWidget;

// Reports a moved overlay widget's new top-left, relative to the centre of its parent, as the offset
// of its entry in the parent's AbsoluteLayout, so a later resize keeps it on the same spot.
void reportOverlayOffset(QWidget *widget, int layoutIndex);
