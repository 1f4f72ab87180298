#pragma once
// What a perspective picture shows besides its densities: the three box edges as axes with
// their names, and the window's end time.

#include <opencv2/core.hpp>
#include <string>

#include "density/PerspectiveFrame.h"

namespace korvane {

// What the axes say besides their names: the box's values at their ends, in `unit`.
struct PerspectiveAxisValues {
    bool shown = false;  // off: the names alone, and the caption where it always stood
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    std::string unit;
};

// Draws the axes and the caption "Time: <windowEnd> sec" onto `picture` (the density area
// with its frame of 100 pixels); a `calendar` text (the window's end in calendar time) on a
// line of its own below it, inside the picture. With `values` shown, each far end also
// gives its value and the unit ("x 10 km"), the corner the three minimums, and the caption
// is moved left as far as it needs to stay whole.
void DrawPerspectiveLabels(const PerspectiveFrame& frame, double windowEnd, cv::Mat& picture,
                           const std::string& calendar = "",
                           const PerspectiveAxisValues& values = {});

// A value at an axis end: at most three decimals, no trailing zeros ("10", "-52.668").
std::string AxisEndText(double value);

}  // namespace korvane
