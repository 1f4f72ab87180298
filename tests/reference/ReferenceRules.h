#pragma once
// The small rules the pictures are made of, written out here on their own: which event
// columns a direction of view shows, the kernel weight, narrowing to single precision, the
// colour scale and its 8-bit pixel, the picture names and fixed-point text. The reference
// algorithms use these and never the program's helpers, so a fault in a helper shows up as
// a difference instead of moving both sides together.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "events/EventTable.h"

namespace korvane::reference {

// Column 0, 1, 2 or 3 of an event: x, y, z or t.
double Coordinate(const EventRecord& e, int column);

// The event columns (0 x, 1 y, 2 z, 3 t) across, up and in depth of a view along an axis.
struct Axes {
    int horizontal;
    int vertical;
    int depth;
};

// Direction 0 (along x): y across, z up, x in depth; 1 (along y): x across, z up, y in depth;
// 2 (along z): x across, y up, z in depth.
Axes AxesOf(int direction);

// 1 without Gaussian weighting, else exp(-0.5 (d / radius x 2.506628)^2), d in steps; in long
// double, as every sum of the reference is added.
long double Weight(long double d, double radius, bool gaussian);

// The double rounded to the nearest float; beyond the float range it becomes the largest
// float or an infinity, whichever rounding to nearest gives. NaN stays NaN.
float ToSingle(double value);

// The colour scale: blue, green, red (and 0) of `density` for the maximum `m`, whose third
// is kept in single precision.
cv::Scalar Colour(double density, float m);

// The colour as an 8-bit pixel: each component rounded to the nearest integer (halves to
// the even one) and held to 0..255.
cv::Vec3b Pixel(double density, float m);

// prefix, zeros up to four digits, n in decimal, ".bmp".
std::string PictureName(const std::string& prefix, int n);

// PictureName(prefix, 1) .. PictureName(prefix, count).
std::vector<std::string> NumberedNames(const std::string& prefix, int count);

// The value with `decimals` digits after the point, rounded as "%.Nf" rounds in the "C"
// locale.
std::string FixedText(double value, int decimals);

}  // namespace korvane::reference
