#pragma once

#include <QString>

// One input of the fake OBS.
struct FakeObsSource
{
    QString name;
    // OBS's input kind, e.g. "wasapi_input_capture" or "image_source".
    QString kind;
    // Inputs without audio (images, texts) refuse volume and mute requests in 5.x.
    bool audio = true;
    // Volume as OBS keeps it: a multiplier, 1.0 = 0 dB, 0 = silent.
    double volumeMul = 1.0;
    bool muted = false;
};
