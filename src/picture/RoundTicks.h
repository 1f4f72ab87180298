#pragma once
// Ticks on round values: 1, 2 or 5 times a power of ten apart, inside the axis's range,
// labelled with one number of decimals per axis, as far apart as their labels need. Values
// too long to stand side by side are written from a round offset ("+6,543,000" and
// "500", "1000", ...).

#include <functional>
#include <string>
#include <vector>

namespace korvane {

struct RoundTick {
    double value = 0;  // in the axis's units
    int pixel = 0;     // along the axis, as the caller's mapping gives it
    std::string text;  // the label, from the offset when there is one
};

struct RoundAxis {
    std::vector<RoundTick> ticks;
    double step = 0;
    int decimals = 0;
    std::string offset;  // "+6,543,000", or empty: the labels are the values themselves
};

// What the layout of one axis needs to know.
struct RoundAxisSpace {
    double min = 0;  // the range the axis shows
    double max = 0;
    // The pixel of a value along the axis (columns across, rows up).
    std::function<int(double)> pixelOf;
    // The least distance in pixels two ticks may stand apart for labels of `texts`.
    std::function<int(const std::vector<std::string>& texts)> spacingFor;
    // The least distance labels of `texts` themselves need, tried when `spacingFor` leaves
    // fewer than two ticks (unset: none tried).
    std::function<int(const std::vector<std::string>& texts)> tightSpacingFor;
};

// The round ticks of one axis: the smallest 1-2-5 step whose ticks stand at least as far
// apart as their labels need, from an offset when that lets more ticks stand; closer, as
// tightSpacingFor allows, where that alone gives two ticks or more. An axis with no extent
// gets one tick at its value.
RoundAxis LayoutRoundAxis(const RoundAxisSpace& space);

// The texts of `values` with `decimals`, less `offset`, a "-0" shown as "0".
std::vector<std::string> RoundTickTexts(const std::vector<double>& values, int decimals,
                                        double offset);

// "+6,543,000": an offset with a sign and thousands apart.
std::string OffsetText(double offset);

}  // namespace korvane
