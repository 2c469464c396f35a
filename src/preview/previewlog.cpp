#include "previewlog.h"

Q_LOGGING_CATEGORY(lcPreview, "tavimorex.preview")
