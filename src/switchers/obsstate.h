#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The program's picture of one OBS instance. Both protocol versions write the same fields, so the web API
// cannot tell which one OBS speaks.
struct ObsState
{
    // Values of sources that are not listed (any more, or yet) are kept, so that a source that comes back
    // shows its last values at once; but no more than this many, or a peer that reports ever new names
    // would grow the program's memory for as long as the link lasts.
    static constexpr int MaxUnlistedSources = 256;

    void setVolume(const QString &source, double volume);
    void setMuted(const QString &source, bool muted);

    bool streaming = false;
    bool recording = false;
    // In OBS's order; only these names are reported.
    QStringList sourceNames;
    QStringList transitionNames;
    // Written through setVolume() and setMuted().
    QMap<QString, double> volumes;
    QMap<QString, bool> mutedStates;
    QString currentTransition;
    // The scene on air and, in studio mode only, the scene prepared next; empty while not known.
    QString programScene;
    QString previewScene;
    bool studioMode = false;
    // Every scene, top of OBS's list first, for choosing a camera's tally source.
    QStringList sceneNames;
};
