#pragma once

#include <QString>

// One input of vMix's state document.
struct VMixInput
{
    QString title;
    // vMix's unique identifier of the input.
    QString key;
    // The "volume" attribute as vMix writes it; empty for inputs without audio.
    QString volume;
    // True only when the "muted" attribute is exactly "True".
    bool muted = false;

    bool operator==(const VMixInput &other) const
    {
        return title == other.title && key == other.key && volume == other.volume && muted == other.muted;
    }
};
