#include "cameralog.h"

Q_LOGGING_CATEGORY(lcCamera, "tavimorex.camera")
