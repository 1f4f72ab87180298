#include "density/DensityGrid.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "common/NumberText.h"
#include "density/BoxFill.h"

namespace korvane {

namespace {

// Positions from `low` upward by repeated addition while they stay <= `high`, never more
// than `limit` of them (with coordinates far from the origin the sums can drift past the
// raster, or a step below their precision never advances them).
std::vector<double> WalkPositions(double low, double high, double step, int limit) {
    std::vector<double> positions;
    positions.reserve(static_cast<std::size_t>(limit));
    double position = low;
    for (int k = 0; position <= high && k < limit; ++k) {
        positions.push_back(position);
        position = position + step;
    }
    return positions;
}

std::string SizeText(double width, double height) {
    return FormatFixed(width, 0) + " x " + FormatFixed(height, 0);
}

}  // namespace

Status MakeDensityGrid(const PlaneRange& ranges, const PlaneScale& scale,
                       const CanvasMargins& margins, DensityGrid& grid) {
    const double hMin = ranges.horizontal.min;
    const double hMax = ranges.horizontal.max;
    const double vMin = ranges.vertical.min;
    const double vMax = ranges.vertical.max;
    const double hScale = scale.horizontal;
    const double vScale = scale.vertical;
    const double across = std::trunc((hMax - hMin) / hScale) + 2.0;
    const double up = std::trunc((vMax - vMin) / vScale) + 2.0;
    if (!std::isfinite(across) || !std::isfinite(up)) {
        return Status::Internal("The picture size cannot be computed from these ranges.");
    }
    if (across < 1.0 || up < 1.0) {
        return Status::Internal("A picture of " + SizeText(across, up) +
                                " pixels cannot be computed.");
    }
    // The labelled picture around the raster must fit as well: a raster of 1 x 80,000,000
    // pixels is allowed by itself, but its canvas would need tens of gigabytes.
    if (across * up > MaxRasterPixels ||
        (across + margins.columns) * (up + margins.rows) > MaxRasterPixels) {
        return Status::NoMemory("A picture of " + SizeText(across, up) +
                                " pixels is too large to compute.");
    }
    grid.width = static_cast<int>(across);
    grid.scale = scale;
    grid.height = static_cast<int>(up);
    try {
        grid.columnPositions = WalkPositions(hMin, hMax, hScale, grid.width);
        grid.rowPositions = WalkPositions(vMin, vMax, vScale, grid.height);
    } catch (const std::bad_alloc&) {
        return Status::NoMemory("A picture of " + SizeText(across, up) +
                                " pixels is too large to compute.");
    }
    grid.columnsAscending = PositionsOrdered(grid.columnPositions);
    grid.rowsAscending = PositionsOrdered(grid.rowPositions);
    return Status::Ok();
}

Status PrepareRaster(const DensityGrid& grid, cv::Mat& raster) {
    try {
        raster.create(grid.height, grid.width, CV_8UC3);
        raster.setTo(cv::Scalar::all(0));
    } catch (const cv::Exception&) {
        raster.release();
    } catch (const std::bad_alloc&) {
        raster.release();
    }
    if (raster.empty()) {
        return Status::NoMemory("A picture of " + SizeText(grid.width, grid.height) +
                                " pixels is too large to compute.");
    }
    return Status::Ok();
}

}  // namespace korvane
