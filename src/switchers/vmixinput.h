#pragma once

#include <QString>

// One input of vMix's state document.
struct VMixInput
{
    // The input's number as vMix shows it (1-based); 0 when the document names none.
    int number = 0;
    QString title;
    // vMix's unique identifier of the input.
    QString key;
    // The "volume" attribute as vMix writes it; empty for inputs without audio.
    QString volume;
    // True only when the "muted" attribute is exactly "True".
    bool muted = false;

    bool operator==(const VMixInput &other) const
    {
        return number == other.number && title == other.title && key == other.key && volume == other.volume
               && muted == other.muted;
    }
};
