#pragma once

#include "fakeobssource.h"

#include <QList>
#include <QStringList>

// What the fake OBS holds: its inputs, scenes, transitions and outputs.
struct FakeObsState
{
    QList<FakeObsSource> sources;
    QStringList transitions;
    QString currentTransition;
    bool streaming = false;
    bool recording = false;
    QStringList scenes;
    QString programScene;
    // Only meaningful in studio mode; OBS keeps it while studio mode is off.
    QString previewScene;
    bool studioMode = false;

    FakeObsSource *source(const QString &name);
    const FakeObsSource *source(const QString &name) const;

    // A scene collection like an OBS user has one: desktop audio, a microphone, a camera with audio, an
    // image and a text without audio, a media source; the stock transitions with "Fade" current; three
    // scenes in studio mode, "Camera 1" on air and "Camera 2" in preview.
    static FakeObsState typical();

    static double mulToDb(double mul);
    static double dbToMul(double db);
};
