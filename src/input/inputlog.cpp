#include "inputlog.h"

Q_LOGGING_CATEGORY(lcInput, "tavimorex.input")
