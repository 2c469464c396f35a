#pragma once

#include "vmixinput.h"

#include <QList>

// What one vMix state document says.
struct VMixState
{
    QList<VMixInput> inputs;
    bool streaming = false;
    bool recording = false;
    bool playListOn = false;
    // A document without a master element says nothing about the master audio.
    bool hasMaster = false;
    double masterVolume = 0;
    bool masterMuted = false;
    // The numbers of the input on air and of the input in preview; 0 when the document names none.
    int active = 0;
    int preview = 0;
};
