#pragma once

#include "fakevmixinput.h"

#include <QByteArray>
#include <QList>

// What the fake vMix holds, and the XML state document vMix would serve for it.
struct FakeVMixState
{
    QList<FakeVMixInput> inputs;
    double masterVolume = 100;
    bool masterMuted = false;
    bool streaming = false;
    bool recording = false;
    bool playList = false;
    bool fadeToBlack = false;
    int preview = 1;
    int active = 1;

    // The input a function's "input" parameter names: by key, by number (1-based) or by title.
    FakeVMixInput *input(const QString &reference);
    int numberOf(const QString &reference) const;

    QByteArray toXml() const;

    // A production like a vMix user has one: a colour bar, two cameras, a video with audio, a title.
    static FakeVMixState typical();
};
