#pragma once
// The world file beside a density file: the six numbers with which map programs place a
// raster (the size of a pixel across and up, two rotation terms, and the position of the
// middle of the top-left pixel), so that the densities of a map view land where they belong.

#include <opencv2/core.hpp>
#include <string>

#include "common/Ranges.h"

namespace korvane {

// The world file of a raster of `area` whose column k stands for the position
// ranges.horizontal.min + k scale.horizontal and whose bottom row for ranges.vertical.min,
// each row above it one scale.vertical higher (the grid of the pictures): pixel width,
// 0, 0, minus the pixel height, and the top-left pixel's middle, one number a line.
std::string WorldFileText(const PlaneRange& ranges, const PlaneScale& scale, cv::Size area);

}  // namespace korvane
