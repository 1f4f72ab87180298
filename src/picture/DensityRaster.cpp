#include "picture/DensityRaster.h"

#include <algorithm>

#include "common/FloatNarrowing.h"
#include "picture/ColourScale.h"

namespace korvane {

namespace {

// The density area's place in a perspective picture.
constexpr int PerspectiveAreaLeft = 100;
constexpr int PerspectiveAreaTop = 100;

}  // namespace

void PaintDensityField(const DensityField& field, float maximum, int left, int bottom,
                       std::vector<cv::Vec3b>& countColours, cv::Mat& target) {
    const int columns = field.columns;
    const int rows = field.rows;
    if (columns == 0 || rows == 0) {
        return;
    }
    if (field.counted) {
        countColours.resize(static_cast<std::size_t>(field.highestCount) + 1);
        for (int c = 0; c <= field.highestCount; ++c) {
            countColours[static_cast<std::size_t>(c)] =
                DensityToPixel(static_cast<double>(c), maximum);
        }
    }
    const cv::Vec3b* colours = countColours.data();
    const cv::Vec3b zero = DensityToPixel(0.0, maximum);
    cv::parallel_for_(cv::Range(0, rows), [&](const cv::Range& band) {
        for (int j = band.start; j < band.end; ++j) {
            cv::Vec3b* pixels = target.ptr<cv::Vec3b>(bottom - j) + left;
            if (field.counted) {
                const int* row = &field.counts[static_cast<std::size_t>(j) * (columns + 1)];
                for (int k = 0; k < columns; ++k) {
                    pixels[k] = colours[row[k]];
                }
            } else {
                const double* row = &field.sums[static_cast<std::size_t>(j) * columns];
                for (int k = 0; k < columns; ++k) {
                    pixels[k] = row[k] == 0.0 ? zero : DensityToPixel(row[k], maximum);
                }
            }
        }
    });
}

void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, RasterWork& work) {
    ComputePlaneDensities(grid, run, count, tests, work.field);
    PaintDensityField(work.field, NarrowToFloat(densityMaximum), 0, grid.height - 1,
                      work.countColours, work.raster);
}

void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work) {
    if (frame.width <= 0 || frame.height <= 0) {
        return;
    }
    ComputePerspectiveDensities(frame, window, work);
    std::vector<cv::Vec3b> colours;
    PaintDensityField(work.field, window.maximum, PerspectiveAreaLeft,
                      PerspectiveAreaTop + frame.height - 1, colours, picture);
}

}  // namespace korvane
