#pragma once
// The black-blue-green-red colour scale of the density pictures.

#include <opencv2/core.hpp>

namespace korvane {

// The colour (blue, green, red as doubles) of `density` on a scale whose top is `maximum`.
cv::Scalar DensityToColour(double density, float maximum);

// The same colour as an 8-bit pixel, each component rounded and saturated as OpenCV does
// when it sets a pixel from a scalar.
cv::Vec3b DensityToPixel(double density, float maximum);

}  // namespace korvane
