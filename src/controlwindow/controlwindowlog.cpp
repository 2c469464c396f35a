#include "controlwindowlog.h"

Q_LOGGING_CATEGORY(lcControlWindow, "tavimorex.controlwindow")
