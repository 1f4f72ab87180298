#include "series/PerspectiveSeries.h"

#include "common/FloatNarrowing.h"
#include "common/NumberText.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "density/PerspectiveFrame.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "picture/PerspectiveLabels.h"
#include "series/KeptDensities.h"
#include "series/RasterFill.h"
#include "series/SeriesLoop.h"

namespace korvane {

namespace {

// The density area sits 100 pixels inside the picture on every side.
constexpr int Frame = 100;

}  // namespace

PerspectiveBox PerspectiveBoxOf(const CalculationRequest& request) {
    PerspectiveBox box;
    box.xmin = request.box.x.min;
    box.xmax = request.box.x.max;
    box.ymin = request.box.y.min;
    box.ymax = request.box.y.max;
    box.zmin = request.box.z.min;
    box.zmax = request.box.z.max;
    box.start = request.time.min;
    box.end = request.time.max;
    box.width = TruncateToInt(request.pictureWidth);
    box.height = TruncateToInt(request.pictureHeight);
    box.windows = request.numberOfPictures;
    box.radiusUnit = request.output.radiusUnit;
    return box;
}

Status RunPerspectiveSeries(SeriesContext& ctx) {
    PerspectiveBox box = PerspectiveBoxOf(ctx.request);
    box.depthDown = ViewLookOf(ctx.request, ctx.catalogue).depthDown;
    const double pixels = (static_cast<double>(box.width) + 2 * Frame) *
                          (static_cast<double>(box.height) + 2 * Frame);
    if (box.width < 0 || box.height < 0 || pixels > MaxRasterPixels) {
        return Status::NoMemory("The perspective picture of " + FormatInteger(box.width) + " x " +
                                FormatInteger(box.height) +
                                " pixels is too large to be made. Choose a smaller width and "
                                "height.");
    }

    if (Status sorted = SortEventsAsPhase(ctx, TimeColumn); !sorted.ok()) {
        return sorted;
    }
    PerspectiveFrame frame;
    BuildPerspectiveFrame(ctx.events, box, frame);
    const double dt = (box.end - box.start) / box.windows;

    cv::Mat& picture = ctx.work.raster;
    picture.create(box.height + 2 * Frame, box.width + 2 * Frame, CV_8UC3);
    PerspectiveFillWork fill;
    PreparePerspectiveFill(frame, fill);

    PerspectiveWindow window;
    window.cumulative = ctx.request.cumulative;
    window.weighting = ctx.request.weighting;
    window.maximum = NarrowToFloat(ctx.densityMaximum);

    SeriesSteps steps;
    steps.prefix = "perspective";
    steps.start = box.start;
    steps.end = box.end;
    steps.step = dt;
    steps.raster = &picture;
    steps.labels.direction = ViewDirection::Perspective;
    steps.labels.kind = PictureKind::Perspective;
    steps.labels.densityMaximum = ctx.densityMaximum;
    steps.labels.colourMap = ctx.request.output.colourMap;
    steps.labels.scale = ctx.request.output.scale;
    SetEventLabels(ctx, steps.labels);
    const ColourFunction colours =
        ColourFunctionOf(ctx.request.output.colourMap, ctx.request.output.scale);
    // The values and unit at the axes' ends go with the round ticks of the plane pictures.
    const PerspectiveAxisValues axisValues{ViewLookOf(ctx.request, ctx.catalogue).roundTicks,
                                           box.xmin,
                                           box.xmax,
                                           box.ymin,
                                           box.ymax,
                                           box.zmin,
                                           box.zmax,
                                           steps.labels.unit};
    steps.field = &fill.field;
    steps.densityArea = cv::Size(box.width, box.height);
    steps.extent = {{frame.uMin, frame.uMax}, {frame.wMin, frame.wMax}};
    steps.scale = {frame.du, frame.dw};
    steps.inPicturePlane = [&box](const EventRecord& e) {
        return box.xmin <= e.x && e.x <= box.xmax && box.ymin <= e.y && e.y <= box.ymax &&
               box.zmin <= e.z && e.z <= box.zmax;
    };
    // Kept from the pass that finds a maximum from the series, when they fit.
    KeptDensities kept;
    std::size_t measuredPictures = 0;
    if (MaximumFromSeries(ctx.request)) {
        const Status measured = MeasureSeriesMaximum(ctx, steps, [&](double t0) {
            window.t0 = t0;
            window.end = t0 + dt;
            ComputePerspectiveDensities(frame, window, fill);
            kept.Keep(fill.field);
            ++measuredPictures;
        });
        if (!measured.ok()) {
            return measured;
        }
        steps.labels.densityMaximum = ctx.densityMaximum;
        window.maximum = NarrowToFloat(ctx.densityMaximum);
    }
    const bool fromKept = measuredPictures > 0 && kept.Holds(measuredPictures);
    std::size_t number = 0;
    EventRun previous;
    return RunSeriesLoop(ctx, steps, [&](double t0, PictureFacts& facts) {
        window.t0 = t0;
        window.end = t0 + dt;
        picture.setTo(cv::Scalar(0, 0, 0));
        if (fromKept && number < measuredPictures) {
            kept.Take(number, fill.field);
            PaintPerspectiveWindow(frame, window, picture, fill, colours);
        } else {
            FillPerspectiveWindow(frame, window, picture, fill, colours);
        }
        ++number;
        DrawPerspectiveLabels(frame, window.end, picture,
                              steps.labels.calendar ? steps.labels.calendar(window.end) : "",
                              axisValues);
        facts.bounds = {t0, window.end};
        facts.run = WindowRun(ctx.events, t0, window.end, window.cumulative, previous);
        previous = facts.run;
        for (const ProjectedEvent& e : frame.kept) {
            facts.events += InPerspectiveWindow(e.t, window) ? 1 : 0;
        }
        return Status::Ok();
    });
}

}  // namespace korvane
