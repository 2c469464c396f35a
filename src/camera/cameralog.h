#pragma once

#include <QLoggingCategory>

// Link and request events of every camera, whatever kind ("tavimorex.camera").
Q_DECLARE_LOGGING_CATEGORY(lcCamera)
