#pragma once
// What a perspective picture shows besides its densities: the three box edges as axes with
// their names, and the window's end time.

#include <opencv2/core.hpp>
#include <string>

#include "density/PerspectiveFrame.h"

namespace korvane {

// Draws the axes and the caption "Time: <windowEnd> sec" onto `picture` (the density area
// with its frame of 100 pixels); a `calendar` text (the window's end in calendar time) on a
// line of its own below it, inside the picture.
void DrawPerspectiveLabels(const PerspectiveFrame& frame, double windowEnd, cv::Mat& picture,
                           const std::string& calendar = "");

}  // namespace korvane
