#include "series/RasterFill.h"

#include "common/FloatNarrowing.h"

namespace korvane {

namespace {

// The density area's place in a perspective picture.
constexpr int PerspectiveAreaLeft = 100;
constexpr int PerspectiveAreaTop = 100;

}  // namespace

void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, RasterWork& work,
                     cv::Mat* target, const double* weights) {
    const float maximum = NarrowToFloat(densityMaximum);
    cv::Mat& raster = target != nullptr ? *target : work.raster;
    if (!CountsEvents(tests.weighting, weights != nullptr)) {
        ComputePlaneDensities(grid, run, count, tests, work.field, nullptr, weights);
        PaintDensityField(work.field, maximum, 0, grid.height - 1, work.countColours, raster,
                          work.colours);
        return;
    }
    // Counts are painted row by row as the fill makes them.
    const int bottom = grid.height - 1;
    const CountRowVisitor paintRow = [&](int row, const int* counts, int highest) {
        PaintCountRow(counts, work.field.columns, highest, maximum, work.countColours,
                      raster.ptr<unsigned char>(bottom - row), work.colours);
    };
    ComputePlaneDensities(grid, run, count, tests, work.field, &paintRow);
}

void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work,
                           const ColourFunction& colours) {
    if (frame.width <= 0 || frame.height <= 0) {
        return;
    }
    ComputePerspectiveDensities(frame, window, work);
    PaintPerspectiveWindow(frame, window, picture, work, colours);
}

void PaintPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                            cv::Mat& picture, const PerspectiveFillWork& work,
                            const ColourFunction& colours) {
    if (frame.width <= 0 || frame.height <= 0) {
        return;
    }
    CountColours countColours;
    PaintDensityField(work.field, window.maximum, PerspectiveAreaLeft,
                      PerspectiveAreaTop + frame.height - 1, countColours, picture, colours);
}

}  // namespace korvane
