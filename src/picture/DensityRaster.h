#pragma once
// Densities into colours: the density area of a picture painted from its densities.

#include <opencv2/core.hpp>
#include <vector>

#include "density/BoxFill.h"
#include "density/DensityFill.h"
#include "density/PerspectiveFill.h"

namespace korvane {

// A picture raster and the buffers that fill it, kept for a whole series.
struct RasterWork {
    cv::Mat raster;                       // the picture raster, 8-bit BGR
    DensityField field;                   // the densities of the picture in progress
    std::vector<cv::Vec3b> countColours;  // the colour of each count (unit weights)
};

// Paints every pixel of `field` into `target`: field column k, row j (from the bottom) at
// target column left + k, row bottom - j.
void PaintDensityField(const DensityField& field, float maximum, int left, int bottom,
                       std::vector<cv::Vec3b>& countColours, cv::Mat& target);

// Colours every pixel the walk reaches in work.raster (already prepared for `grid`) from the
// events run[0..count). Pixels the walk does not reach keep their colour.
void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, RasterWork& work);

// Sets every pixel of the density area (columns 100 .. width + 99, rows 100 .. height + 99
// of `picture`) to the colour of its density in the window.
void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work);

}  // namespace korvane
