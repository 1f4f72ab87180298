#include "series/RunCalculation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <new>
#include <opencv2/core.hpp>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "catalogue/CatalogueReader.h"
#include "catalogue/EventExtent.h"
#include "common/NumberText.h"
#include "density/DensityEstimate.h"
#include "density/Distance.h"
#include "density/PerspectiveMaximum.h"
#include "series/OverlayFiles.h"
#include "series/PerspectiveSeries.h"
#include "series/PlaneSeries.h"
#include "series/SectionSeries.h"
#include "series/SeriesLoop.h"
#include "series/SeriesVolume.h"
#include "series/TimeWindows.h"

namespace korvane {

namespace {

double EstimatedMaximum(SeriesContext& ctx) {
    RunObserver* const observer = &ctx.observer;
    observer->PhaseStarted(RunPhase::Estimating, ctx.events.count);
    const CalculationRequest& request = ctx.request;
    const ViewGeometry& view = ctx.geometry;
    if (request.direction == ViewDirection::Perspective) {
        // A spatial series has no slices in perspective (it refuses to run): nothing to
        // estimate.
        return request.kind == CalculationKind::Spatial
                   ? 0.0
                   : EstimatePerspectiveMaximum(ctx.events, PerspectiveBoxOf(request),
                                                request.weighting, request.cumulative, observer);
    }
    if (request.kind == CalculationKind::Spatial) {
        return EstimateSpatialMaximum(ctx.events, view.axes, view.radiusStep, view.depthRadiusStep,
                                      request.weighting, observer);
    }
    return EstimateTimeMaximum(ctx.events, view.axes, view.radiusStep, view.step,
                               request.cumulative, request.weighting, observer);
}

// The request with its time range in seconds: a time box typed as calendar time counts from
// the catalogue's time reference, which is known once the catalogue is read. Refused when
// the events' times are no calendar time, or the range then ends before it starts.
Status ResolveCalendarTimes(const CalculationRequest& request, const CatalogueReport& catalogue,
                            CalculationRequest& resolved) {
    resolved = request;
    const std::optional<CalendarInstant>* dates[] = {&request.timeStartInstant,
                                                     &request.timeEndInstant};
    double* seconds[] = {&resolved.time.min, &resolved.time.max};
    const char* boxes[] = {"Start:", "End:"};
    for (int i = 0; i < 2; ++i) {
        if (!dates[i]->has_value()) {
            continue;
        }
        if (!catalogue.calendarTime) {
            return Status::InvalidInput(
                "The box \"" + std::string(boxes[i]) + "\" holds a calendar time, " +
                FormatIsoInstant(**dates[i]) + ", but the times of the event file \"" +
                request.eventFilePath + "\" are plain seconds: type the seconds.");
        }
        *seconds[i] = SecondsFrom(catalogue.timeReference, **dates[i]);
    }
    if (resolved.time.max < resolved.time.min) {
        return Status::InvalidInput("The time range ends before it starts: \"End:\" is " +
                                    FormatShortest(resolved.time.max) + " s, \"Start:\" " +
                                    FormatShortest(resolved.time.min) +
                                    " s from the catalogue's time reference " +
                                    FormatIsoInstant(catalogue.timeReference) + ".");
    }
    return Status::Ok();
}

bool Within(double value, double low, double high) {
    return value >= low && value <= high;
}

// Whether some event can count in some picture: inside the plane the pictures show, widened
// by the reach of the box around a pixel, and inside the slices (widened by a slab's half
// width) or up to the end of the windows. The perspective takes the events of its box.
bool SomeEventCounts(const CalculationRequest& request, const ViewGeometry& view,
                     const EventTable& events) {
    const bool perspective = request.direction == ViewDirection::Perspective;
    const bool spatial = request.kind == CalculationKind::Spatial;
    const double radius = request.weighting.radius;
    const double hReach = BoxHalfWidth(radius, view.radiusStep.horizontal);
    const double vReach = BoxHalfWidth(radius, view.radiusStep.vertical);
    const double depthReach = SlabHalfWidth(view, radius);
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& e = events.rows[static_cast<std::size_t>(i)];
        bool counts = true;
        if (perspective) {
            for (int column = 0; column < 3 && counts; ++column) {
                const AxisRange& range = request.box.Column(column);
                counts = Within(e.Column(column), range.min, range.max);
            }
        } else {
            const PlaneRange& plane = view.ranges;
            counts = Within(e.Column(view.axes.horizontal), plane.horizontal.min - hReach,
                            plane.horizontal.max + hReach) &&
                     Within(e.Column(view.axes.vertical), plane.vertical.min - vReach,
                            plane.vertical.max + vReach);
        }
        if (counts && spatial) {
            counts = Within(e.Column(view.axes.depth), view.positions.min - depthReach,
                            view.positions.max + depthReach);
        } else if (counts) {
            counts = e.t <= request.time.max && (request.cumulative || e.t >= request.time.min);
        }
        if (counts) {
            return true;
        }
    }
    return false;
}

// A run none of whose events can show in any picture writes none: it says so, naming the
// events' extent. (A range the pictures cannot step through at all is the series' to name.)
Status EventsInsideTheRanges(const CalculationRequest& request, const ViewGeometry& view,
                             const EventTable& events, const CatalogueReport& catalogue) {
    const AxisRange stepped =
        request.kind == CalculationKind::Spatial && request.direction != ViewDirection::Perspective
            ? view.positions
            : request.time;
    if (!(stepped.min < stepped.max) || SomeEventCounts(request, view, events)) {
        return Status::Ok();
    }
    if (SectionAsked(request)) {
        // The events are in the section's frame by now: their extent would read as nonsense.
        return Status::NothingMade(
            "No event lies within the width of the section and inside its depth range, so "
            "no picture was written. Widen the section, or move its line nearer the events.");
    }
    return Status::NothingMade(
        "No event lies inside the ranges of this calculation, so no picture was written. The "
        "events span " +
        ExtentText(EventExtentOf(events), catalogue) + ".");
}

// Densities are sums of event weights: where the weights add up beyond what a density (or a
// density file's 32-bit float) holds, a picture would show an infinite maximum as black.
Status WeightsFitTheDensities(const CalculationRequest& request, const EventTable& events) {
    long double total = 0.0L;
    for (const double weight : events.weights) {
        total += weight;
    }
    const std::string weights =
        "The weights of the events of \"" + request.eventFilePath + "\" add up to more than ";
    if (total > static_cast<long double>(DBL_MAX)) {
        return Status::InvalidInput(weights +
                                    "a density can hold (about 1.8e308), so no picture could "
                                    "show them. Scale the weights down.");
    }
    if (request.output.densities && total > static_cast<long double>(FLT_MAX)) {
        return Status::InvalidInput(weights +
                                    "the density data's 32-bit numbers hold (about 3.4e38). "
                                    "Scale the weights down, or write no density data.");
    }
    return Status::Ok();
}

// The calendar or growing windows of a time series (none for equal steps). Refused when
// the perspective is asked for them, when a start typed as calendar time meets times in
// plain seconds, or when no window meets the time range.
Status WindowsOf(const CalculationRequest& request, const CatalogueReport& catalogue,
                 std::vector<AxisRange>& windows) {
    const TimeWindows& setting = request.output.windows;
    windows.clear();
    if (setting.unit == WindowUnit::Steps || request.kind != CalculationKind::Time) {
        return Status::Ok();
    }
    const std::string named = "The time windows \"" + TimeWindowsText(setting) + "\"";
    if (request.direction == ViewDirection::Perspective) {
        return Status::InvalidInput(named +
                                    " are drawn along x, y or z; the perspective steps through "
                                    "equal windows. Choose another direction or equal windows.");
    }
    if (setting.startInstant && !catalogue.calendarTime) {
        return Status::InvalidInput(named +
                                    " begin at a calendar time, but the times of the "
                                    "event file \"" +
                                    request.eventFilePath +
                                    "\" are plain seconds: give the start in seconds.");
    }
    // Times in plain seconds count from 1970-01-01 UTC for the calendar's boundaries.
    const CalendarInstant reference =
        catalogue.calendarTime ? catalogue.timeReference : CalendarInstant{};
    if (Status made = TimeWindowsOver(setting, request.time, reference, windows); !made.ok()) {
        return made;
    }
    if (windows.empty() && request.time.min < request.time.max) {
        return Status::InvalidInput(
            named + " do not meet the time range from " + FormatShortest(request.time.min) +
            " to " + FormatShortest(request.time.max) + " s: they begin after its end.");
    }
    return Status::Ok();
}

Status Calculate(const CalculationRequest& typed, SeriesObserver& observer,
                 CalculationWorkspace& workspace) {
    if (const std::string refusal = VolumeRefusal(typed); !refusal.empty()) {
        return Status::InvalidInput(refusal);
    }
    if (SectionAsked(typed)) {
        if (const std::string refusal = SectionRefusal(typed.output.section); !refusal.empty()) {
            return Status::InvalidInput(refusal);
        }
    }
    // A bad overlay file is named before the events are read and anything is written.
    std::vector<OverlayFile> overlayFiles;
    if (Status read =
            ReadOverlayFiles(typed.output.overlayPoints, typed.output.overlayLines, overlayFiles);
        !read.ok()) {
        return read;
    }
    // The event file passed the input tests, but it may have changed since, or not fit the
    // table: no series runs on a table that does not hold the file.
    // A row without the number its weight needs is skipped as it is read.
    CatalogueOptions reading = typed.catalogue;
    reading.weights = typed.output.eventWeights;
    const Status read = ReadEvents(typed.eventFilePath, reading, workspace.events,
                                   &workspace.catalogue, EventMemoryBudget(), &observer);
    if (read.code() == Status::Code::Cancelled) {
        return read;
    }
    if (!read.ok()) {
        return Status::InvalidInput(read.message());
    }
    CalculationRequest request;
    if (Status resolved = ResolveCalendarTimes(typed, workspace.catalogue, request);
        !resolved.ok()) {
        return resolved;
    }
    if (Status weighed =
            WeighEvents(request.output.eventWeights, request.eventFilePath, workspace.events);
        !weighed.ok()) {
        return weighed;
    }
    if (Status fits = WeightsFitTheDensities(request, workspace.events); !fits.ok()) {
        return fits;
    }
    // A section sees the events in the frame of its line, sliced across it: its parallel
    // sections are the pictures of the series.
    SectionLine line;
    const bool section = SectionAsked(request);
    if (section) {
        if (Status placed =
                SectionLineOf(request.output.section, request, workspace.catalogue, line);
            !placed.ok()) {
            return placed;
        }
        SectionFrame frame;
        if (Status made = MakeSectionFrame(line, frame); !made.ok()) {
            return made;
        }
        PlaceInSectionFrame(frame, workspace.events);
        request.direction = ViewDirection::AlongY;
        request.numberOfPictures = request.output.section.count;
    }
    const ViewGeometry view = section ? SectionGeometryOf(request, line) : ViewGeometryOf(request);
    if (Status inside = EventsInsideTheRanges(request, view, workspace.events, workspace.catalogue);
        !inside.ok()) {
        return inside;
    }
    // The view's geometry is worked out here, once, with the context.
    SeriesContext context{observer, workspace.events, request, 0.0, workspace.series, view};
    context.catalogue = &workspace.catalogue;
    context.section = section ? &line : nullptr;
    if (Status windowed = WindowsOf(request, workspace.catalogue, context.windows);
        !windowed.ok()) {
        return windowed;
    }
    // The estimate of the maximum takes the longest window.
    if (!context.windows.empty()) {
        context.geometry.step = 0;
        for (const AxisRange& window : context.windows) {
            context.geometry.step = std::max(context.geometry.step, window.max - window.min);
        }
    }
    if (!overlayFiles.empty()) {
        auto overlays = std::make_shared<Overlays>();
        if (Status placed = PlaceOverlays(std::move(overlayFiles), &workspace.catalogue,
                                          request.catalogue.depthDown, *overlays);
            !placed.ok()) {
            return placed;
        }
        context.overlays = std::move(overlays);
    }
    // A maximum from the series' own densities is found by the series, before its first
    // picture; the whole file's is estimated here.
    if (!MaximumFromSeries(request)) {
        context.densityMaximum = SelectDensityMaximum(request.fixedDensityMaximum.has_value(),
                                                      request.fixedDensityMaximum.value_or(0.0),
                                                      [&] { return EstimatedMaximum(context); });
    }
    // An estimate cut short by a stop is no maximum: nothing is drawn with it.
    if (observer.ShouldStop()) {
        return Status::Cancelled();
    }

    if (section) {
        return RunSectionSeries(context);
    }
    if (request.kind == CalculationKind::Spatial) {
        return RunSpatialSeries(context);
    }
    if (request.direction == ViewDirection::Perspective) {
        return RunPerspectiveSeries(context);
    }
    return RunTimeSeries(context);
}

constexpr const char* NoMemoryText =
    "Not enough memory for this calculation. Choose a smaller picture size or fewer events.";

}  // namespace

double SecondsFrom(const CalendarInstant& reference, const CalendarInstant& instant) {
    return static_cast<double>(instant.day - reference.day) * 86400.0 +
           (instant.second - reference.second);
}

Status RunCalculation(const CalculationRequest& request, SeriesObserver& observer,
                      CalculationWorkspace& workspace) {
    try {
        return Calculate(request, observer, workspace);
    } catch (const std::bad_alloc&) {
        return Status::NoMemory(NoMemoryText);
    } catch (const cv::Exception& error) {
        return Status::Internal("The calculation stopped: " + error.msg);
    } catch (const std::system_error& error) {
        // The picture writer's thread cannot start: its stack does not fit the address space.
        if (error.code() == std::errc::resource_unavailable_try_again) {
            return Status::NoMemory(NoMemoryText);
        }
        return Status::Internal(std::string("The calculation stopped: ") + error.what());
    }
}

}  // namespace korvane
