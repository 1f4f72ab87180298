#include "series/PlaneSeries.h"

#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "series/RasterFill.h"
#include "series/SeriesLoop.h"

namespace korvane {

namespace {

// What tells the spatial series from the time series.
struct PlaneSeriesKind {
    const char* prefix;
    PictureKind pictureKind;
    const char* sortedTrace;   // the diagnostic line after sorting
    int sortColumn;            // the column the events are sorted on
    AxisRange positions;       // depth range, or time range
    double step;               // slice step, or window length
    bool horizontalInclusive;  // a slice's box includes its horizontal bound, a window's not
};

Status RunPlaneSeries(SeriesContext& ctx, const PlaneSeriesKind& kind) {
    const CalculationRequest& request = ctx.request;
    if (request.direction == ViewDirection::Perspective) {
        return Status::Internal("A series of slices or windows needs a direction along x, y or z.");
    }
    const PlaneRange ranges = PictureRanges(request);
    const PlaneScale scale = PictureScale(request);
    DensityGrid grid;
    const Status gridMade =
        MakeDensityGrid(ranges, scale, {CanvasExtraWidth, CanvasExtraHeight}, grid);
    if (!gridMade.ok()) {
        return gridMade;
    }
    const Status rasterMade = PrepareRaster(grid, ctx.work.raster);
    if (!rasterMade.ok()) {
        return rasterMade;
    }

    SortEventsByColumn(ctx.events, kind.sortColumn);
    ctx.observer.Trace(kind.sortedTrace);

    const AxisMap axes = ViewAxes(request.direction);
    const bool spatial = kind.pictureKind == PictureKind::Spatial;
    PixelTests tests;
    tests.hColumn = axes.horizontal;
    tests.vColumn = axes.vertical;
    tests.horizontalInclusive = kind.horizontalInclusive;
    tests.radius = request.weighting.radius;
    tests.hScale = scale.horizontal;
    tests.vScale = scale.vertical;
    tests.gaussian = request.weighting.gaussian;
    tests.withDepth = spatial;
    tests.depthColumn = axes.depth;
    tests.depthStep = kind.step;
    const double slabHalfWidth = request.weighting.radius * kind.step;

    SeriesSteps steps;
    steps.prefix = kind.prefix;
    steps.start = kind.positions.min;
    steps.end = kind.positions.max;
    steps.step = kind.step;
    steps.raster = &ctx.work.raster;
    steps.labels.ranges = ranges;
    steps.labels.direction = request.direction;
    steps.labels.kind = kind.pictureKind;
    steps.labels.densityMaximum = ctx.densityMaximum;
    steps.field = &ctx.work.field;
    steps.densityArea = ctx.work.raster.size();
    steps.extent = ranges;
    steps.scale = scale;
    steps.inPicturePlane = [&](const EventRecord& e) {
        const double h = e.Column(axes.horizontal);
        const double v = e.Column(axes.vertical);
        return ranges.horizontal.min <= h && h <= ranges.horizontal.max &&
               ranges.vertical.min <= v && v <= ranges.vertical.max;
    };
    cv::Mat paintArea;  // the pictures are painted on their canvas
    steps.paintArea = &paintArea;
    EventRun previous;
    bool first = true;
    return RunSeriesLoop(ctx, steps, [&](double position, PictureFacts& facts) {
        const EventRun run = spatial ? SliceRun(ctx.events, axes.depth, position - slabHalfWidth,
                                                position + slabHalfWidth, previous)
                                     : WindowRun(ctx.events, position, position + kind.step,
                                                 request.cumulative, previous);
        tests.slicePosition = position;
        // A cumulative window holds the one before it and the events after: only those are
        // added to the densities it had.
        const bool growing = request.cumulative && !spatial && !first;
        const EventRun added = growing ? EventRun{previous.end, run.end} : run;
        tests.addToPrevious = growing;
        FillDensityGrid(grid, ctx.events.rows.data() + added.begin, added.size(), tests,
                        ctx.densityMaximum, ctx.work, &paintArea);
        previous = run;
        first = false;
        facts.bounds = spatial ? AxisRange{position - slabHalfWidth, position + slabHalfWidth}
                               : AxisRange{position, position + kind.step};
        facts.run = run;
        facts.events = run.size();
        return Status::Ok();
    });
}

}  // namespace

PlaneRange PictureRanges(const CalculationRequest& request) {
    const AxisMap axes = ViewAxes(request.direction);
    return {request.box.Column(axes.horizontal), request.box.Column(axes.vertical)};
}

PlaneScale PictureScale(const CalculationRequest& request) {
    const PlaneRange ranges = PictureRanges(request);
    return {ScaleOrStep(ranges.horizontal, request.pictureWidth),
            ScaleOrStep(ranges.vertical, request.pictureHeight)};
}

Status RunSpatialSeries(SeriesContext& ctx) {
    const AxisRange depth = ctx.request.box.Column(ViewAxes(ctx.request.direction).depth);
    const double step = ScaleOrStep(depth, ctx.request.numberOfPictures);
    return RunPlaneSeries(ctx, {"space", PictureKind::Spatial, "input[][] sorted by direction!",
                                ViewAxes(ctx.request.direction).depth, depth, step, true});
}

Status RunTimeSeries(SeriesContext& ctx) {
    const double step = ScaleOrStep(ctx.request.time, ctx.request.numberOfPictures);
    return RunPlaneSeries(ctx, {"time", PictureKind::TimeResolved, "input[][] sorted by time!",
                                TimeColumn, ctx.request.time, step, false});
}

}  // namespace korvane
