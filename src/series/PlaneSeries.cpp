#include "series/PlaneSeries.h"

#include <utility>
#include <vector>

#include "common/FloatNarrowing.h"
#include "density/DensityGrid.h"
#include "density/Distance.h"
#include "density/EventRuns.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "series/KeptDensities.h"
#include "series/RasterFill.h"
#include "series/SeriesLoop.h"

namespace korvane {

namespace {

// What tells the spatial series from the time series.
struct PlaneSeriesKind {
    const char* prefix;
    PictureKind pictureKind;
    const char* sortedTrace;   // the diagnostic line after sorting
    bool horizontalInclusive;  // a slice's box includes its horizontal bound, a window's not
};

Status RunPlaneSeries(SeriesContext& ctx, const PlaneSeriesKind& kind) {
    const CalculationRequest& request = ctx.request;
    if (request.direction == ViewDirection::Perspective) {
        return Status::Internal("A series of slices or windows needs a direction along x, y or z.");
    }
    const ViewGeometry& view = ctx.geometry;
    const PlaneRange& ranges = view.ranges;
    const PlaneScale& scale = view.scale;
    const AxisMap& axes = view.axes;
    const bool spatial = kind.pictureKind == PictureKind::Spatial;
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
    // Pixels no event reaches show the colour of no density, black in the classic map.
    ctx.work.colours = ColourFunctionOf(request.output.colourMap, request.output.scale);
    const cv::Vec3b none = ctx.work.colours.pixel(0.0, NarrowToFloat(ctx.densityMaximum));
    ctx.work.raster.setTo(cv::Scalar(none[0], none[1], none[2]));

    // Counts of events come out the same whatever the order of events of equal keys; sums of
    // Gaussian or event weights are added in the table's order, which must then be the
    // selection sort's.
    const bool counted = !request.weighting.gaussian && ctx.events.weights.empty();
    if (Status sorted =
            SortEventsAsPhase(ctx, spatial ? axes.depth : TimeColumn,
                              counted ? EqualKeys::InAnyOrder : EqualKeys::AsSelectionSort);
        !sorted.ok()) {
        return sorted;
    }
    ctx.observer.Trace(kind.sortedTrace);

    PixelTests tests;
    tests.hColumn = axes.horizontal;
    tests.vColumn = axes.vertical;
    tests.horizontalInclusive = kind.horizontalInclusive;
    tests.radius = request.weighting.radius;
    tests.hScale = view.radiusStep.horizontal;
    tests.vScale = view.radiusStep.vertical;
    tests.gaussian = request.weighting.gaussian;
    tests.withDepth = spatial;
    tests.depthColumn = axes.depth;
    tests.depthStep = view.depthRadiusStep;
    const double slabHalfWidth = BoxHalfWidth(request.weighting.radius, view.depthRadiusStep);
    // The slabs of a spatial series overlap: an event counts in several slices, and its
    // rectangle of pixels is found once for all of them.
    std::vector<BoxRectangle> rectangles;
    if (spatial) {
        rectangles = PlaneRectanglesOf(grid, ctx.events.rows.data(), ctx.events.count, tests);
    }

    SeriesSteps steps;
    steps.prefix = kind.prefix;
    steps.start = view.positions.min;
    steps.end = view.positions.max;
    steps.step = view.step;
    steps.raster = &ctx.work.raster;
    steps.labels.ranges = ranges;
    steps.labels.direction = request.direction;
    steps.labels.kind = kind.pictureKind;
    steps.labels.densityMaximum = ctx.densityMaximum;
    steps.labels.colourMap = request.output.colourMap;
    steps.labels.scale = request.output.scale;
    steps.labels.pitch = scale;
    SetEventLabels(ctx, steps.labels);
    steps.field = &ctx.work.field;
    steps.densityArea = ctx.work.raster.size();
    steps.grid = &grid;
    steps.extent = ranges;
    steps.scale = scale;
    steps.columns = {axes.horizontal, axes.vertical, spatial ? axes.depth : TimeColumn};
    steps.inPicturePlane = [&](const EventRecord& e) {
        const double h = e.Column(axes.horizontal);
        const double v = e.Column(axes.vertical);
        return ranges.horizontal.min <= h && h <= ranges.horizontal.max &&
               ranges.vertical.min <= v && v <= ranges.vertical.max;
    };
    cv::Mat paintArea;  // the pictures are painted on their canvas
    // Depth down turns the rows over as the picture is composed: painted aside first.
    const bool inPlace = !steps.labels.depthDown;
    steps.paintArea = inPlace ? &paintArea : nullptr;
    cv::Mat& painted = inPlace ? paintArea : ctx.work.raster;
    EventRun previous;
    bool first = true;
    // The events of the picture at `position`, and those its fill adds (to the densities of
    // the picture before, for a cumulative window after the first).
    const auto runsAt = [&](double position) {
        const EventRun run = spatial ? SliceRun(ctx.events, axes.depth, position - slabHalfWidth,
                                                position + slabHalfWidth, previous)
                                     : WindowRun(ctx.events, position, position + view.step,
                                                 request.cumulative, previous);
        tests.slicePosition = position;
        const bool growing = request.cumulative && !spatial && !first;
        tests.addToPrevious = growing;
        const EventRun added = growing ? EventRun{previous.end, run.end} : run;
        tests.rectangles = rectangles.empty() ? nullptr : rectangles.data() + added.begin;
        return std::pair{run, added};
    };
    const auto weightsOf = [&](const EventRun& added) {
        return ctx.events.weights.empty() ? nullptr : ctx.events.weights.data() + added.begin;
    };
    // A maximum from the series' own densities needs them all before the first picture is
    // coloured; they are kept from that pass when they fit, not computed twice.
    KeptDensities kept;
    std::size_t measuredPictures = 0;
    if (MaximumFromSeries(request)) {
        const Status measured = MeasureSeriesMaximum(ctx, steps, [&](double position) {
            const auto [run, added] = runsAt(position);
            ComputePlaneDensities(grid, ctx.events.rows.data() + added.begin, added.size(), tests,
                                  ctx.work.field, nullptr, weightsOf(added));
            kept.Keep(ctx.work.field);
            ++measuredPictures;
            previous = run;
            first = false;
        });
        if (!measured.ok()) {
            return measured;
        }
        previous = EventRun{};
        first = true;
        steps.labels.densityMaximum = ctx.densityMaximum;
        const cv::Vec3b zero = ctx.work.colours.pixel(0.0, NarrowToFloat(ctx.densityMaximum));
        ctx.work.raster.setTo(cv::Scalar(zero[0], zero[1], zero[2]));
    }
    const bool fromKept = measuredPictures > 0 && kept.Holds(measuredPictures);
    std::size_t picture = 0;
    return RunSeriesLoop(ctx, steps, [&](double position, PictureFacts& facts) {
        const auto [run, added] = runsAt(position);
        if (fromKept && picture < measuredPictures) {
            kept.Take(picture, ctx.work.field);
            PaintDensityField(ctx.work.field, NarrowToFloat(ctx.densityMaximum), 0, grid.height - 1,
                              ctx.work.countColours, painted, ctx.work.colours);
        } else {
            FillDensityGrid(grid, ctx.events.rows.data() + added.begin, added.size(), tests,
                            ctx.densityMaximum, ctx.work, &painted, weightsOf(added));
        }
        ++picture;
        previous = run;
        first = false;
        facts.bounds = spatial ? AxisRange{position - slabHalfWidth, position + slabHalfWidth}
                               : AxisRange{position, position + view.step};
        // A slice is captioned with the end of its step, which lies beyond a slab narrower
        // than the step (a radius in coordinates below it): such a slice is captioned with
        // its middle, a value it holds.
        if (spatial && !(position + view.step <= facts.bounds.max)) {
            facts.caption = position;
        }
        facts.run = run;
        facts.events = run.size();
        return Status::Ok();
    });
}

}  // namespace

Status RunSpatialSeries(SeriesContext& ctx) {
    return RunPlaneSeries(ctx,
                          {"space", PictureKind::Spatial, "input[][] sorted by direction!", true});
}

Status RunTimeSeries(SeriesContext& ctx) {
    return RunPlaneSeries(ctx,
                          {"time", PictureKind::TimeResolved, "input[][] sorted by time!", false});
}

}  // namespace korvane
