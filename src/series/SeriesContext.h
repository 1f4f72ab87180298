#pragma once
// What a picture series works with: the front end (through its observer), the event table,
// the request and the geometry of its view, the density at the top of the colour scale, and
// buffers reused from picture to picture.

#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

#include "common/Ranges.h"
#include "common/Status.h"
#include "density/SectionFrame.h"
#include "events/EventOrdering.h"
#include "events/EventTable.h"
#include "events/ViewAxes.h"
#include "picture/DensityPicture.h"
#include "picture/DensityRaster.h"
#include "series/CalculationRequest.h"
#include "series/SeriesObserver.h"
#include "series/SeriesResults.h"

namespace korvane {

// Buffers a series allocates once and reuses for every picture (a fresh page costs more to
// touch than a unit-weight picture costs to compute); the canvases are the series loop's.
using SeriesWorkspace = RasterWork;

// What a calculation keeps between runs: one instance in the application (or the batch
// front end, or a test), overwritten by each calculation.
struct CalculationWorkspace {
    EventTable events;
    SeriesWorkspace series;
    // What the reading of a catalogue found (empty for a plain event file).
    CatalogueReport catalogue;
};

// The geometry of a view along an axis: the event columns across, up and in depth, the
// world ranges of the picture plane and its units per pixel, and the positions the series
// steps through (depths for slices, times for windows) with their step. The perspective
// works out its own frame from the events.
struct ViewGeometry {
    AxisMap axes{0, 1, 2};
    PlaneRange ranges;
    PlaneScale scale;
    AxisRange positions;
    double step = 0;
    // World units per step of the radius across, up and (slices) in depth: the pixel scales
    // and the slice step, or 1 on every axis with a radius in coordinates.
    PlaneScale radiusStep;
    double depthRadiusStep = 1;
    // How far across its position a slice takes events, when that is not the radius (a
    // cross-section's half width).
    std::optional<double> slabHalfWidth;
};

// The half width of the slab each slice takes its events from: the view's own, else the
// radius in depth steps.
double SlabHalfWidth(const ViewGeometry& view, double radius);

// The geometry of the request's view, worked out once for a run.
ViewGeometry ViewGeometryOf(const CalculationRequest& request);

struct SeriesContext {
    SeriesObserver& observer;
    EventTable& events;
    const CalculationRequest& request;
    double densityMaximum = 0;  // the top of the colour scale
    SeriesWorkspace& work;
    ViewGeometry geometry = ViewGeometryOf(request);
    // What the reading of a catalogue found (null: a plain event file): its unit and its
    // calendar time go into the labels and the index.
    const CatalogueReport* catalogue = nullptr;
    // The line of a cross-section in the events' x and y (null: no section).
    const SectionLine* section = nullptr;
    // The time series' calendar or growing windows, in seconds of the table; empty: the
    // time range in equal steps.
    std::vector<AxisRange> windows{};
    // The overlay files' shapes, placed among the events (null: none).
    std::shared_ptr<const Overlays> overlays = nullptr;
};

// The unit the pictures name: the request's, else the one a catalogue's latitude and
// longitude became, else "m".
std::string PictureUnitOf(const CalculationRequest& request, const CatalogueReport* catalogue);

// The view's automatic choices settled for the events read: a catalogue (with a header or
// a format of its own) or a plain event file.
ViewLook ViewLookOf(const CalculationRequest& request, const CatalogueReport* catalogue);

// The frame texts that follow the events rather than the view: the unit, whether events
// are weighed, the calendar time of a catalogue that has one, and the settled view (depth
// down for a side view, round ticks, the exaggeration note). Needs labels.kind and
// labels.direction set.
void SetEventLabels(const SeriesContext& ctx, PictureLabels& labels);

// The calendar time of a catalogue whose times count from a reference instant: the instant
// `seconds` after it, "2023-02-07T00:00:00.000000Z"; empty when the times are plain seconds.
std::string CalendarTimeOf(const SeriesContext& ctx, double seconds);

// Sorts the events on `column` as the series' sorting phase, reporting progress and stopping
// when asked (the table then as it was). Ok, or Cancelled.
Status SortEventsAsPhase(SeriesContext& ctx, int column,
                         EqualKeys equalKeys = EqualKeys::AsSelectionSort);

}  // namespace korvane
