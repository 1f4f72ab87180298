#pragma once
// The raster of one picture and the world position of each pixel column and row.

#include <opencv2/core.hpp>
#include <vector>

#include "common/Ranges.h"
#include "common/Status.h"

namespace korvane {

// Neither a raster nor its labelled canvas ever holds more pixels than this; a larger one is
// refused before allocation.
constexpr double MaxRasterPixels = 268435456.0;  // 2^28

// The size of the raster and the positions the pixel walk visits. Positions are summed by
// repeated addition of the scale, the way every picture of the program has always been
// placed, so they are worked out once per series and then only looked up.
struct DensityGrid {
    int width = 0;   // trunc((hMax - hMin) / hScale) + 2
    int height = 0;  // trunc((vMax - vMin) / vScale) + 2
    // h(k) of column k, for the columns the walk reaches: while h(k) <= hMax and k < width.
    std::vector<double> columnPositions;
    // v(k) of the k-th row from the bottom (raster row height - 1 - k), while v(k) <= vMax
    // and k < height.
    std::vector<double> rowPositions;
    // Whether the positions are finite and never decrease; the fill then finds an event's
    // columns and rows by bisection instead of testing every one.
    bool columnsAscending = true;
    bool rowsAscending = true;
    PlaneScale scale;  // world units per column and row
};

// The columns and rows a picture adds around its raster (axes, labels, colour bar).
struct CanvasMargins {
    double columns = 0;
    double rows = 0;
};

// Works out the raster size and positions. Fails, saying why, when the ranges give no
// sensible raster (a size that is not a number, not positive, or more than MaxRasterPixels,
// alone or with its margins), before anything large is allocated.
Status MakeDensityGrid(const PlaneRange& ranges, const PlaneScale& scale,
                       const CanvasMargins& margins, DensityGrid& grid);

// (Re)allocates `raster` as width x height, 8-bit BGR, and makes it black. Reuses the
// memory when the size is unchanged. Fails instead of throwing when memory runs out.
Status PrepareRaster(const DensityGrid& grid, cv::Mat& raster);

}  // namespace korvane
