#pragma once
// Ranges of world coordinates, and the scale of a range cut into steps.

namespace korvane {

// [min, max] along one axis, in the units of the event file (or seconds for time).
struct AxisRange {
    double min = 0;
    double max = 0;
};

// The world ranges a picture shows across and up.
struct PlaneRange {
    AxisRange horizontal;
    AxisRange vertical;
};

// World units per pixel column (horizontal) and row (vertical).
struct PlaneScale {
    double horizontal = 1;
    double vertical = 1;
};

// World units per pixel, or per step: (max - min) / divisor, and 1000 when the range is
// empty (max equals min).
inline double ScaleOrStep(const AxisRange& range, double divisor) {
    if (range.max == range.min) {
        return 1000.0;
    }
    return (range.max - range.min) / divisor;
}

}  // namespace korvane
