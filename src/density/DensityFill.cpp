#include "density/DensityFill.h"

#include <algorithm>
#include <opencv2/core.hpp>

#include "density/Distance.h"

namespace korvane {

namespace {

FillAxis ColumnAxisOf(const DensityGrid& grid, const PixelTests& tests) {
    return {
        &grid.columnPositions,     grid.columnsAscending, BoxHalfWidth(tests.radius, tests.hScale),
        tests.horizontalInclusive, tests.hScale,          grid.scale.horizontal};
}

FillAxis RowAxisOf(const DensityGrid& grid, const PixelTests& tests) {
    return {&grid.rowPositions, grid.rowsAscending, BoxHalfWidth(tests.radius, tests.vScale), false,
            tests.vScale,       grid.scale.vertical};
}

}  // namespace

void ComputePlaneDensities(const DensityGrid& grid, const EventRecord* run, int count,
                           const PixelTests& tests, DensityField& field,
                           const CountRowVisitor* visitor, const double* weights) {
    field.points.resize(static_cast<std::size_t>(count));
    // Only a Gaussian weight looks at the distance from the slice.
    const bool depth = tests.withDepth && tests.gaussian;
    for (int i = 0; i < count; ++i) {
        const EventRecord& e = run[i];
        field.points[static_cast<std::size_t>(i)] = {
            e.Column(tests.hColumn), e.Column(tests.vColumn),
            depth ? StepsSquared(e.Column(tests.depthColumn), tests.slicePosition, tests.depthStep)
                  : 0.0,
            weights != nullptr ? weights[i] : 1.0};
    }
    field.weighted = weights != nullptr;
    FillBoxes(ColumnAxisOf(grid, tests), RowAxisOf(grid, tests), {tests.radius, tests.gaussian},
              field, tests.addToPrevious, visitor, tests.rectangles);
}

std::vector<BoxRectangle> PlaneRectanglesOf(const DensityGrid& grid, const EventRecord* events,
                                            int count, const PixelTests& tests) {
    std::vector<BoxRectangle> rectangles(static_cast<std::size_t>(std::max(count, 0)));
    const FillAxis columns = ColumnAxisOf(grid, tests);
    const FillAxis rows = RowAxisOf(grid, tests);
    cv::parallel_for_(cv::Range(0, std::max(count, 0)), [&](const cv::Range& range) {
        for (int i = range.start; i < range.end; ++i) {
            const EventRecord& e = events[i];
            rectangles[static_cast<std::size_t>(i)] =
                RectangleOf(columns, rows, e.Column(tests.hColumn), e.Column(tests.vColumn));
        }
    });
    return rectangles;
}

}  // namespace korvane
