#pragma once

#include <QLoggingCategory>

// Camera selection, motions and their automatic stops ("tavimorex.control").
Q_DECLARE_LOGGING_CATEGORY(lcControl)
