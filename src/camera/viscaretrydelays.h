#pragma once

// Waits between attempts to re-open a link once the immediate attempt failed; the last one repeats.
namespace ViscaRetryDelays {

inline constexpr int Delays[] = {1000, 2000, 4000, 8000, 10000};
inline constexpr int Count = int(sizeof(Delays) / sizeof(Delays[0]));

inline int delay(int attempt)
{
    return Delays[attempt < 0 ? 0 : (attempt < Count ? attempt : Count - 1)];
}

} // namespace ViscaRetryDelays
