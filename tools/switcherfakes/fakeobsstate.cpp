#include "fakeobsstate.h"

#include <cmath>
#include <limits>

FakeObsSource *FakeObsState::source(const QString &name)
{
    for (FakeObsSource &entry : sources) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

const FakeObsSource *FakeObsState::source(const QString &name) const
{
    return const_cast<FakeObsState *>(this)->source(name);
}

FakeObsState FakeObsState::typical()
{
    FakeObsState state;
    state.sources = {
        {QStringLiteral("Desktop Audio"), QStringLiteral("wasapi_output_capture"), true, 1.0, false},
        {QStringLiteral("Mic/Aux"), QStringLiteral("wasapi_input_capture"), true, 0.5, true},
        {QStringLiteral("Camera"), QStringLiteral("dshow_input"), true, 0.25, false},
        {QStringLiteral("Logo"), QStringLiteral("image_source"), false, 1.0, false},
        {QStringLiteral("Lower Third"), QStringLiteral("text_gdiplus_v2"), false, 1.0, false},
        {QStringLiteral("Intro Music"), QStringLiteral("ffmpeg_source"), true, 0.8, false},
    };
    state.transitions
        = {QStringLiteral("Cut"),      QStringLiteral("Fade"),    QStringLiteral("Swipe"),
           QStringLiteral("Slide"),    QStringLiteral("Stinger"), QStringLiteral("Fade to Color"),
           QStringLiteral("Luma Wipe")};
    state.currentTransition = QStringLiteral("Fade");
    state.scenes = {QStringLiteral("Camera 1"), QStringLiteral("Camera 2"), QStringLiteral("Slides")};
    state.programScene = QStringLiteral("Camera 1");
    state.previewScene = QStringLiteral("Camera 2");
    state.studioMode = true;
    return state;
}

double FakeObsState::mulToDb(double mul)
{
    return mul > 0 ? 20.0 * std::log10(mul) : -std::numeric_limits<double>::infinity();
}

double FakeObsState::dbToMul(double db)
{
    // OBS takes -100 dB and below as silence.
    return db <= -100.0 ? 0.0 : std::pow(10.0, db / 20.0);
}
