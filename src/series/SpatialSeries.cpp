#include "series/SpatialSeries.h"

#include <iostream>

#include "density/DensityFill.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "series/SeriesLoop.h"
#include "events/EventOrdering.h"
#include "events/ViewAxes.h"

namespace korvane {

SeriesResult RunSpatialSeries(SeriesContext& ctx, int direction, double vMax, double vMin,
                              double hMin, double hMax, double depthMin, double depthMax,
                              double hScale, double vScale, double depthStep) {
    if (direction < 0 || direction > 2) {
        return SeriesFailure("A spatial series needs a direction of view along x, y or z.");
    }
    return GuardSeries([&]() -> SeriesResult {
        DensityGrid grid;
        const Status ready =
            MakeGridAndRaster(hMin, hMax, hScale, vMin, vMax, vScale, grid, ctx.work.raster);
        if (!ready.ok()) {
            return SeriesFailure(ready.message());
        }

        const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
        SortEventsByColumn(ctx.events, axes.depth);
        std::cout << "input[][] sorted by direction!" << std::endl;

        PixelTests tests;
        tests.hColumn = axes.horizontal;
        tests.vColumn = axes.vertical;
        tests.horizontalInclusive = true;
        tests.radius = ctx.run.Radius;
        tests.hScale = hScale;
        tests.vScale = vScale;
        tests.gaussian = ctx.run.Gaussiandistance;
        tests.withDepth = true;
        tests.depthColumn = axes.depth;
        tests.depthStep = depthStep;
        const double slabHalfWidth = ctx.run.Radius * depthStep;

        SeriesSteps steps;
        steps.prefix = "space";
        steps.kind = PictureKind::Spatial;
        steps.direction = direction;
        steps.start = depthMin;
        steps.end = depthMax;
        steps.step = depthStep;
        steps.hMin = hMin;
        steps.hMax = hMax;
        steps.vMin = vMin;
        steps.vMax = vMax;
        return RunSeriesLoop(ctx, steps, [&](double p) {
            const EventRun slice =
                SliceRun(ctx.events, axes.depth, p - slabHalfWidth, p + slabHalfWidth);
            tests.slicePosition = p;
            FillDensityGrid(grid, ctx.events.rows.data() + slice.begin, slice.size(), tests,
                            ctx.run.DensityMaximum, ctx.work);
        });
    });
}

}  // namespace korvane
