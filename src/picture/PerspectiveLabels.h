#pragma once
// What a perspective picture shows besides its densities: the three box edges as axes with
// their names, and the window's end time.

#include <opencv2/core.hpp>

#include "density/PerspectiveFrame.h"

namespace korvane {

// Draws the axes and the caption "Time: <windowEnd> sec" onto `picture` (the density area
// with its frame of 100 pixels).
void DrawPerspectiveLabels(const PerspectiveFrame& frame, double windowEnd, cv::Mat& picture);

}  // namespace korvane
