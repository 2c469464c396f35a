#pragma once

#include <QLoggingCategory>

// The live preview: players, streams and the preset map ("tavimorex.preview").
Q_DECLARE_LOGGING_CATEGORY(lcPreview)
