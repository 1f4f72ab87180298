#include "series/TimeSeries.h"

#include <iostream>

#include "density/DensityFill.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "series/SeriesLoop.h"
#include "events/EventOrdering.h"
#include "events/ViewAxes.h"

namespace korvane {

SeriesResult RunTimeSeries(SeriesContext& ctx, int direction, double hMin, double hMax, double vMin,
                           double vMax, double timeStep, double hScale, double vScale,
                           double Timestart, double Timeend) {
    if (direction < 0 || direction > 2) {
        return SeriesFailure("A time series needs a direction of view along x, y or z.");
    }
    return GuardSeries([&]() -> SeriesResult {
        DensityGrid grid;
        const Status ready =
            MakeGridAndRaster(hMin, hMax, hScale, vMin, vMax, vScale, grid, ctx.work.raster);
        if (!ready.ok()) {
            return SeriesFailure(ready.message());
        }

        SortEventsByColumn(ctx.events, TimeColumn);
        std::cout << "input[][] sorted by time!" << std::endl;

        const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
        PixelTests tests;
        tests.hColumn = axes.horizontal;
        tests.vColumn = axes.vertical;
        tests.horizontalInclusive = false;
        tests.radius = ctx.run.Radius;
        tests.hScale = hScale;
        tests.vScale = vScale;
        tests.gaussian = ctx.run.Gaussiandistance;
        tests.withDepth = false;

        SeriesSteps steps;
        steps.prefix = "time";
        steps.kind = PictureKind::TimeResolved;
        steps.direction = direction;
        steps.start = Timestart;
        steps.end = Timeend;
        steps.step = timeStep;
        steps.hMin = hMin;
        steps.hMax = hMax;
        steps.vMin = vMin;
        steps.vMax = vMax;
        const bool cumulative = ctx.run.Cumulative;
        return RunSeriesLoop(ctx, steps, [&](double T) {
            const EventRun window = WindowRun(ctx.events, T, T + timeStep, cumulative);
            FillDensityGrid(grid, ctx.events.rows.data() + window.begin, window.size(), tests,
                            ctx.run.DensityMaximum, ctx.work);
        });
    });
}

}  // namespace korvane
