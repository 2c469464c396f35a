#include "weblog.h"

Q_LOGGING_CATEGORY(lcWeb, "tavimorex.web")
