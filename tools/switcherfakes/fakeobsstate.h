#pragma once

#include "fakeobssource.h"

#include <QList>
#include <QStringList>

// What the fake OBS holds: its inputs, transitions and outputs.
struct FakeObsState
{
    QList<FakeObsSource> sources;
    QStringList transitions;
    QString currentTransition;
    bool streaming = false;
    bool recording = false;

    FakeObsSource *source(const QString &name);
    const FakeObsSource *source(const QString &name) const;

    // A scene collection like an OBS user has one: desktop audio, a microphone, a camera with audio, an
    // image and a text without audio, a media source; the stock transitions with "Fade" current.
    static FakeObsState typical();

    static double mulToDb(double mul);
    static double dbToMul(double db);
};
