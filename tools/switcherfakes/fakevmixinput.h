#pragma once

#include <QString>

// One input of the fake vMix.
struct FakeVMixInput
{
    QString key;
    QString type;
    QString title;
    // Inputs without audio (colours, images, titles) carry no volume or muted attribute.
    bool audio = true;
    double volume = 100;
    bool muted = false;
};
