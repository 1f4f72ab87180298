#pragma once
// Densities into colours: the density area of a picture painted from its densities.

#include <array>
#include <opencv2/core.hpp>
#include <vector>

#include "density/BoxFill.h"
#include "density/DensityFill.h"
#include "density/PerspectiveFill.h"

namespace korvane {

// The colour of each count 0, 1, 2, ... under one maximum, as blue, green, red and a spare
// byte, so that a row is painted with whole four-byte stores. Grown as the counts grow and
// kept while the maximum stays.
struct CountColours {
    float maximum = 0;
    std::vector<std::array<unsigned char, 4>> colours;
};

// A picture raster and the buffers that fill it, kept for a whole series.
struct RasterWork {
    cv::Mat raster;             // the picture raster, 8-bit BGR
    DensityField field;         // the densities of the picture in progress
    CountColours countColours;  // unit weights
};

// Paints every pixel of `field` into `target`: field column k, row j (from the bottom) at
// target column left + k, row bottom - j.
void PaintDensityField(const DensityField& field, float maximum, int left, int bottom,
                       CountColours& countColours, cv::Mat& target);

// Colours every pixel the walk reaches in `target` (work.raster when none; prepared for
// `grid`) from the events run[0..count). Pixels the walk does not reach keep their colour.
void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, RasterWork& work,
                     cv::Mat* target = nullptr);

// Sets every pixel of the density area (columns 100 .. width + 99, rows 100 .. height + 99
// of `picture`) to the colour of its density in the window.
void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work);

}  // namespace korvane
