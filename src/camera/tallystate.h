#pragma once

#include <QMetaType>
#include <QString>

// What the video switchers say of one camera: on air (program), next (preview) or neither.
enum class TallyState { Off, Preview, Program };

// "program", "preview" or "off", as the web API and the logs write it.
QString tallyStateName(TallyState state);

Q_DECLARE_METATYPE(TallyState)
