#include "switcherslog.h"

Q_LOGGING_CATEGORY(lcSwitchers, "tavimorex.switchers")
