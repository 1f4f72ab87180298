#include "density/DensityFill.h"

#include "density/Distance.h"

namespace korvane {

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
    const FillAxis columns{
        &grid.columnPositions,     grid.columnsAscending, BoxHalfWidth(tests.radius, tests.hScale),
        tests.horizontalInclusive, tests.hScale,          grid.scale.horizontal};
    const FillAxis rows{
        &grid.rowPositions, grid.rowsAscending, BoxHalfWidth(tests.radius, tests.vScale), false,
        tests.vScale,       grid.scale.vertical};
    field.weighted = weights != nullptr;
    FillBoxes(columns, rows, {tests.radius, tests.gaussian}, field, tests.addToPrevious, visitor);
}

}  // namespace korvane
