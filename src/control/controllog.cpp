#include "controllog.h"

Q_LOGGING_CATEGORY(lcControl, "tavimorex.control")
