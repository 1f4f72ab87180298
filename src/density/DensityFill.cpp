#include "density/DensityFill.h"

#include <algorithm>
#include <array>
#include <opencv2/core.hpp>

#include "density/Distance.h"
#include "density/KernelBox.h"

namespace korvane {

namespace {

// Each point's weight times the Gaussian's factor of its steps from the slice position.
void DepthFactors(const EventRecord* run, int count, const PixelTests& tests, BoxPoint* points) {
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
            points[first + i].weight *= factors[static_cast<std::size_t>(i)];
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

// The points of run[0..count), each weighing its event's weight (or 1).
void PlacePoints(const EventRecord* run, int count, const PixelTests& tests, const double* weights,
                 DensityField& field) {
    field.points.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const EventRecord& e = run[i];
        field.points[static_cast<std::size_t>(i)] = {e.Column(tests.hColumn),
                                                     e.Column(tests.vColumn),
                                                     weights != nullptr ? weights[i] : 1.0};
    }
    field.weighted = weights != nullptr;
}

// Only a Gaussian weight looks at the distance from the slice: its factor along the depth.
bool WeighsDepth(const PixelTests& tests) {
    return tests.withDepth && tests.weighting.gaussian;
}

}  // namespace

void ComputePlaneDensities(const DensityGrid& grid, const EventRecord* run, int count,
                           const PixelTests& tests, DensityField& field,
                           const CountRowVisitor* visitor, const double* weights) {
    PlacePoints(run, count, tests, weights, field);
    if (WeighsDepth(tests)) {
        DepthFactors(run, count, tests, field.points.data());
    }
    FillBoxes(ColumnAxisOf(grid, tests), RowAxisOf(grid, tests), tests.weighting, field,
              tests.addToPrevious, visitor, tests.rectangles);
}

void ComputePlaneDensityPair(const DensityGrid& grid, const EventRecord* events,
                             const PixelTests& tests, EventRun first, EventRun second,
                             double secondPosition, DensityField& firstField,
                             DensityField& secondField, const double* weights) {
    const int begin = std::min(first.begin, second.begin);
    const int end = std::max(first.end, second.end);
    PlacePoints(events + begin, end - begin, tests, weights != nullptr ? weights + begin : nullptr,
                firstField);
    secondField.points = firstField.points;
    secondField.weighted = firstField.weighted;
    if (WeighsDepth(tests)) {
        // Each picture's depth factors go over its own run, as a picture alone takes them.
        DepthFactors(events + first.begin, first.size(), tests,
                     firstField.points.data() + (first.begin - begin));
        PixelTests secondTests = tests;
        secondTests.slicePosition = secondPosition;
        DepthFactors(events + second.begin, second.size(), secondTests,
                     secondField.points.data() + (second.begin - begin));
    }
    FillBoxPair(ColumnAxisOf(grid, tests), RowAxisOf(grid, tests), tests.weighting, firstField,
                {first.begin - begin, first.end - begin}, secondField,
                {second.begin - begin, second.end - begin},
                tests.rectangles != nullptr ? tests.rectangles + begin : nullptr);
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
