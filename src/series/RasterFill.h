#pragma once
// A picture's densities from its events, painted into its raster as the fill makes them.

#include <opencv2/core.hpp>

#include "density/DensityFill.h"
#include "density/PerspectiveFill.h"
#include "picture/DensityRaster.h"

namespace korvane {

// Colours every pixel the walk reaches in `target` (work.raster when none; prepared for
// `grid`) from the events run[0..count), weighing weights[0..count) (null: 1 each). Pixels
// the walk does not reach keep their colour.
void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, RasterWork& work,
                     cv::Mat* target = nullptr, const double* weights = nullptr);

// Sets every pixel of the density area (columns 100 .. width + 99, rows 100 .. height + 99
// of `picture`) to the colour of its density in the window.
void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work,
                           const ColourFunction& colours = {});

// The same from the densities already in work.field.
void PaintPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                            cv::Mat& picture, const PerspectiveFillWork& work,
                            const ColourFunction& colours = {});

}  // namespace korvane
