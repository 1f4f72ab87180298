#include "series/SeriesContext.h"

#include <cmath>

#include "density/Distance.h"
#include "events/EventOrdering.h"
#include "series/TimeWindows.h"

namespace korvane {

ViewGeometry ViewGeometryOf(const CalculationRequest& request) {
    ViewGeometry view;
    view.axes = ViewAxes(request.direction);
    view.ranges = {request.box.Column(view.axes.horizontal),
                   request.box.Column(view.axes.vertical)};
    view.scale = request.output.view.trueScale
                     ? TrueScaleOf(view.ranges, request.pictureWidth, request.pictureHeight)
                     : PlaneScale{ScaleOrStep(view.ranges.horizontal, request.pictureWidth),
                                  ScaleOrStep(view.ranges.vertical, request.pictureHeight)};
    view.positions = request.kind == CalculationKind::Spatial ? request.box.Column(view.axes.depth)
                                                              : request.time;
    view.step = ScaleOrStep(view.positions, request.numberOfPictures);
    const RadiusUnit unit = request.output.radiusUnit;
    view.radiusStep = {RadiusStep(unit, view.scale.horizontal),
                       RadiusStep(unit, view.scale.vertical)};
    view.depthRadiusStep = RadiusStep(unit, view.step);
    return view;
}

double SlabHalfWidth(const ViewGeometry& view, double radius) {
    return view.slabHalfWidth.value_or(BoxHalfWidth(radius, view.depthRadiusStep));
}

std::string PictureUnitOf(const CalculationRequest& request, const CatalogueReport* catalogue) {
    if (!request.output.unit.empty()) {
        return request.output.unit;
    }
    if (catalogue != nullptr && catalogue->unitKnown) {
        return request.catalogue.unit == LengthUnit::Metre ? "m" : "km";
    }
    return "m";
}

ViewLook ViewLookOf(const CalculationRequest& request, const CatalogueReport* catalogue) {
    const bool fromCatalogue = catalogue != nullptr && (!catalogue->header.empty() ||
                                                        catalogue->preset != CataloguePreset::None);
    return SettleView(request.output.view, fromCatalogue, request.catalogue.depthDown);
}

void SetEventLabels(const SeriesContext& ctx, PictureLabels& labels) {
    const ViewLook look = ViewLookOf(ctx.request, ctx.catalogue);
    // Depth runs down only where it is the vertical axis: the side views.
    labels.depthDown = look.depthDown && labels.kind != PictureKind::Perspective &&
                       ViewAxes(labels.direction).vertical == 2;
    labels.roundTicks = look.roundTicks;
    labels.exaggerationNote = look.exaggerationNote;
    labels.unit = PictureUnitOf(ctx.request, ctx.catalogue);
    labels.weighted = ctx.request.output.eventWeights != EventWeighting::None;
    if (ctx.catalogue != nullptr && ctx.catalogue->calendarTime) {
        const CalendarInstant reference = ctx.catalogue->timeReference;
        // "2023-02-07 00:00:00 UTC": the ISO text to the second, easier to read.
        labels.calendar = [reference](double seconds) {
            return FormatCalendarCaption(reference, seconds);
        };
        // A calendar or growing window is captioned with its calendar start and end.
        if (!ctx.windows.empty()) {
            labels.calendar = [reference, windows = &ctx.windows,
                               setting = ctx.request.output.windows](double end) {
                const AxisRange* window = WindowEndingAt(*windows, end);
                return window != nullptr ? WindowCalendarText(setting, reference, *window)
                                         : FormatCalendarCaption(reference, end);
            };
        }
    }
}

std::string CalendarTimeOf(const SeriesContext& ctx, double seconds) {
    // An instant outside the calendar's years has no calendar time.
    if (ctx.catalogue == nullptr || !ctx.catalogue->calendarTime ||
        !InCalendarRange(ctx.catalogue->timeReference, seconds)) {
        return "";
    }
    return FormatIsoTime(ctx.catalogue->timeReference, seconds);
}

Status SortEventsAsPhase(SeriesContext& ctx, int column, EqualKeys equalKeys) {
    ctx.observer.PhaseStarted(RunPhase::Sorting, SortingSteps);
    if (ctx.observer.ShouldStop()) {
        return Status::Cancelled();
    }
    // A stop in the middle leaves the table as it was.
    const bool sorted = SortEventsByColumn(
        ctx.events, column,
        [&](double done) {
            ctx.observer.Progress(std::llround(done * SortingSteps));
            return ctx.observer.ShouldStop();
        },
        equalKeys);
    return !sorted || ctx.observer.ShouldStop() ? Status::Cancelled() : Status::Ok();
}

}  // namespace korvane
