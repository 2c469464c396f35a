#pragma once

// The speeds a camera accepts for one kind of motion; selectors offer minimum..maximum and preselect
// defaultValue.
struct SpeedRange
{
    int minimum = 0;
    int maximum = 0;
    int defaultValue = 0;
};

inline bool operator==(const SpeedRange &a, const SpeedRange &b)
{
    return a.minimum == b.minimum && a.maximum == b.maximum && a.defaultValue == b.defaultValue;
}
