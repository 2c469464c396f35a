#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The program's picture of one OBS instance. Both protocol versions write the same fields, so the web API
// cannot tell which one OBS speaks.
struct ObsState
{
    bool streaming = false;
    bool recording = false;
    // In OBS's order; only these names are reported.
    QStringList sourceNames;
    QStringList transitionNames;
    // Replaced, never removed: a source that disappears keeps its last values here.
    QMap<QString, double> volumes;
    QMap<QString, bool> mutedStates;
    QString currentTransition;
};
