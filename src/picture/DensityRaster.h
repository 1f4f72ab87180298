#pragma once
// Densities into colours: the density area of a picture painted from its densities.

#include <array>
#include <opencv2/core.hpp>
#include <vector>

#include "density/BoxFill.h"
#include "picture/ColourScale.h"
#include "picture/ColourTable.h"

namespace korvane {

// The colour of each count 0, 1, 2, ... under one maximum, as blue, green, red and a spare
// byte, so that a row is painted with whole four-byte stores. Grown as the counts grow and
// kept while the maximum and the colour function stay; and the table of the colours of sums.
struct CountColours {
    float maximum = 0;
    cv::Vec3b (*pixel)(double, float) = DensityToPixel;
    std::vector<std::array<unsigned char, 4>> colours;
    ColourTable sums;  // the colours of sums (Gaussian or weighted densities), by table
};

// A picture raster and the buffers that fill it, kept for a whole series.
struct RasterWork {
    cv::Mat raster;             // the picture raster, 8-bit BGR
    DensityField field;         // the densities of the picture in progress
    CountColours countColours;  // unit weights
    ColourFunction colours;     // the series' colour map and scale
};

// Paints every pixel of `field` into `target`: field column k, row j (from the bottom) at
// target column left + k, row bottom - j.
void PaintDensityField(const DensityField& field, float maximum, int left, int bottom,
                       CountColours& countColours, cv::Mat& target,
                       const ColourFunction& colours = {});

// Paints one row of counts, counts[0..columns), at `pixels` (8-bit BGR), the colours of
// the counts up to `highest` made ready first.
void PaintCountRow(const int* counts, int columns, int highest, float maximum,
                   CountColours& countColours, unsigned char* pixels,
                   const ColourFunction& colours = {});

}  // namespace korvane
