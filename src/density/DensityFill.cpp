#include "density/DensityFill.h"

#include <algorithm>
#include <array>
#include <opencv2/core.hpp>

#include "density/Distance.h"
#include "density/KernelBox.h"

namespace korvane {

namespace {

// Each point's weight times the Gaussian's factor of its steps from the slice position.
void DepthFactors(const EventRecord* run, int count, const PixelTests& tests, DensityField& field) {
    constexpr int Chunk = 256;
    std::array<double, Chunk> depths{};
    std::array<double, Chunk> factors{};
    const GaussianAxis axis = GaussianAxisOf(tests.depthStep, tests.weighting.radius);
    for (int first = 0; first < count; first += Chunk) {
        const int n = std::min(Chunk, count - first);
        for (int i = 0; i < n; ++i) {
            depths[static_cast<std::size_t>(i)] = run[first + i].Column(tests.depthColumn);
        }
        GaussianFactors(tests.slicePosition, depths.data(), n, axis, factors.data());
        for (int i = 0; i < n; ++i) {
            field.points[static_cast<std::size_t>(first) + static_cast<std::size_t>(i)].weight *=
                factors[static_cast<std::size_t>(i)];
        }
    }
}

FillAxis ColumnAxisOf(const DensityGrid& grid, const PixelTests& tests) {
    return {&grid.columnPositions,
            grid.columnsAscending,
            BoxHalfWidth(tests.weighting.radius, tests.hScale),
            tests.horizontalInclusive,
            tests.hScale,
            grid.scale.horizontal};
}

FillAxis RowAxisOf(const DensityGrid& grid, const PixelTests& tests) {
    return {&grid.rowPositions,
            grid.rowsAscending,
            BoxHalfWidth(tests.weighting.radius, tests.vScale),
            false,
            tests.vScale,
            grid.scale.vertical};
}

}  // namespace

void ComputePlaneDensities(const DensityGrid& grid, const EventRecord* run, int count,
                           const PixelTests& tests, DensityField& field,
                           const CountRowVisitor* visitor, const double* weights) {
    field.points.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const EventRecord& e = run[i];
        field.points[static_cast<std::size_t>(i)] = {e.Column(tests.hColumn),
                                                     e.Column(tests.vColumn),
                                                     weights != nullptr ? weights[i] : 1.0};
    }
    // Only a Gaussian weight looks at the distance from the slice: its factor along the depth.
    if (tests.withDepth && tests.weighting.gaussian) {
        DepthFactors(run, count, tests, field);
    }
    field.weighted = weights != nullptr;
    FillBoxes(ColumnAxisOf(grid, tests), RowAxisOf(grid, tests), tests.weighting, field,
              tests.addToPrevious, visitor, tests.rectangles);
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
