#include "series/PlaneSeries.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/FloatNarrowing.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "picture/WorldFile.h"
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

// Whether the pictures are a map of a catalogue read from latitude and longitude: east
// across, north up.
bool MapsTheCatalogue(const SeriesContext& ctx, const AxisMap& axes) {
    return ctx.catalogue != nullptr && ctx.catalogue->geographic && axes.horizontal == 0 &&
           axes.vertical == 1;
}

// Two slices filled at once hold about 170 bytes for each event of their slabs, one slice
// alone about 75: slabs of more events than this are filled one at a time, so that the largest
// catalogues need little more memory than one slice at a time takes.
constexpr int PairedEventsAtMost = 1 << 19;

// One series of slices or windows, in the steps it takes: the raster, the sort, the pixel
// tests, the series' steps, the maximum from its own densities if asked, then the pictures.
class PlaneSeries {
  public:
    PlaneSeries(SeriesContext& ctx, const PlaneSeriesKind& kind)
        : m_ctx(ctx),
          m_request(ctx.request),
          m_view(ctx.geometry),
          m_kind(kind),
          // A section is sliced as space is, across its line.
          m_spatial(kind.pictureKind != PictureKind::TimeResolved),
          m_ownWindows(!m_spatial && !ctx.windows.empty()) {}

    Status Run() {
        if (m_request.direction == ViewDirection::Perspective) {
            return Status::Internal(
                "A series of slices or windows needs a direction along x, y or z.");
        }
        if (Status made = MakeRaster(); !made.ok()) {
            return made;
        }
        if (Status sorted = SortEvents(); !sorted.ok()) {
            return sorted;
        }
        SetPixelTests();
        SetSteps();
        if (MaximumFromSeries(m_request)) {
            if (Status measured = MeasureMaximum(); !measured.ok()) {
                return measured;
            }
        }
        return DrawPictures();
    }

  private:
    // The density grid and the raster, in the colour of no density (black in the classic
    // map) where no event reaches.
    Status MakeRaster() {
        const Status gridMade = MakeDensityGrid(m_view.ranges, m_view.scale,
                                                {CanvasExtraWidth, CanvasExtraHeight}, m_grid);
        if (!gridMade.ok()) {
            return gridMade;
        }
        const Status rasterMade = PrepareRaster(m_grid, m_ctx.work.raster);
        if (!rasterMade.ok()) {
            return rasterMade;
        }
        m_ctx.work.colours = ColourFunctionOf(m_request.output.colourMap, m_request.output.scale);
        ClearRaster();
        return Status::Ok();
    }

    void ClearRaster() {
        const cv::Vec3b none = m_ctx.work.colours.pixel(0.0, NarrowToFloat(m_ctx.densityMaximum));
        m_ctx.work.raster.setTo(cv::Scalar(none[0], none[1], none[2]));
    }

    // Counts of events come out the same whatever the order of events of equal keys; sums of
    // Gaussian or event weights are added in the table's order, which must then be the
    // selection sort's.
    Status SortEvents() {
        const bool counted = CountsEvents(m_request.weighting, !m_ctx.events.weights.empty());
        if (Status sorted =
                SortEventsAsPhase(m_ctx, m_spatial ? m_view.axes.depth : TimeColumn,
                                  counted ? EqualKeys::InAnyOrder : EqualKeys::AsSelectionSort);
            !sorted.ok()) {
            return sorted;
        }
        m_ctx.observer.Trace(m_kind.sortedTrace);
        return Status::Ok();
    }

    void SetPixelTests() {
        const AxisMap& axes = m_view.axes;
        m_tests.hColumn = axes.horizontal;
        m_tests.vColumn = axes.vertical;
        m_tests.horizontalInclusive = m_kind.horizontalInclusive;
        m_tests.weighting = m_request.weighting;
        m_tests.hScale = m_view.radiusStep.horizontal;
        m_tests.vScale = m_view.radiusStep.vertical;
        m_tests.withDepth = m_spatial;
        m_tests.depthColumn = axes.depth;
        m_tests.depthStep = m_view.depthRadiusStep;
        m_slabHalfWidth = SlabHalfWidth(m_view, m_request.weighting.radius);
        // The slabs of a spatial series overlap: an event counts in several slices, and its
        // rectangle of pixels is found once for all of them.
        if (m_spatial) {
            m_rectangles =
                PlaneRectanglesOf(m_grid, m_ctx.events.rows.data(), m_ctx.events.count, m_tests);
        }
    }

    void SetSteps() {
        const PlaneRange& ranges = m_view.ranges;
        const AxisMap& axes = m_view.axes;
        m_steps.prefix = m_kind.prefix;
        m_steps.start = m_view.positions.min;
        m_steps.end = m_view.positions.max;
        m_steps.step = m_view.step;
        // Calendar or growing windows: each its own length, its start included.
        if (m_ownWindows) {
            m_steps.windows = &m_ctx.windows;
        }
        m_steps.raster = &m_ctx.work.raster;
        m_steps.labels.ranges = ranges;
        m_steps.labels.direction = m_request.direction;
        m_steps.labels.kind = m_kind.pictureKind;
        m_steps.labels.densityMaximum = m_ctx.densityMaximum;
        m_steps.labels.colourMap = m_request.output.colourMap;
        m_steps.labels.scale = m_request.output.scale;
        m_steps.labels.pitch = m_view.scale;
        SetEventLabels(m_ctx, m_steps.labels);
        m_steps.labels.overlays = m_ctx.overlays;
        m_steps.overlayFrame = OverlayFrameOf(ranges);
        m_steps.slabbed = m_spatial;
        if (m_request.output.densities && MapsTheCatalogue(m_ctx, axes)) {
            m_steps.worldFile = WorldFileText(ranges, m_grid.scale, m_ctx.work.raster.size());
        }
        m_steps.field = &m_ctx.work.field;
        m_steps.densityArea = m_ctx.work.raster.size();
        m_steps.grid = &m_grid;
        m_steps.extent = ranges;
        m_steps.scale = m_view.scale;
        m_steps.columns = {axes.horizontal, axes.vertical, m_spatial ? axes.depth : TimeColumn,
                           m_ctx.section != nullptr};
        m_steps.inPicturePlane = [ranges, axes](const EventRecord& e) {
            const double h = e.Column(axes.horizontal);
            const double v = e.Column(axes.vertical);
            return ranges.horizontal.min <= h && h <= ranges.horizontal.max &&
                   ranges.vertical.min <= v && v <= ranges.vertical.max;
        };
        // The pictures are painted on their canvas; depth down turns the rows over as the
        // picture is composed, so those are painted aside first.
        const bool inPlace = !m_steps.labels.depthDown;
        m_steps.paintArea = inPlace ? &m_paintArea : nullptr;
        m_painted = inPlace ? &m_paintArea : &m_ctx.work.raster;
    }

    // The events of the picture at `position`, and those its fill adds (to the densities of
    // the picture before, for a cumulative window after the first).
    // Where the overlays land: a section's events are in the frame of its line, and its
    // overlays are turned into that frame as they are drawn.
    OverlayFrame OverlayFrameOf(const PlaneRange& ranges) const {
        const cv::Size raster = m_ctx.work.raster.size();
        SectionFrame section;
        if (m_ctx.section != nullptr && MakeSectionFrame(*m_ctx.section, section).ok()) {
            return SectionOverlayFrame(section, ranges, m_grid.scale, raster);
        }
        return AxisOverlayFrame(m_view.axes, ranges, m_grid.scale, raster);
    }

    // The time window that starts at `position`.
    AxisRange WindowAt(double position) const {
        if (!m_ownWindows) {
            return AxisRange{position, position + m_view.step};
        }
        const auto found = std::lower_bound(
            m_ctx.windows.begin(), m_ctx.windows.end(), position,
            [](const AxisRange& window, double start) { return window.min < start; });
        return *found;
    }

    std::pair<EventRun, EventRun> RunsAt(double position) {
        const AxisRange window = WindowAt(position);
        // A window of its own holds the events at its start: the run begins after the
        // largest time below it.
        const double after = m_ownWindows ? std::nextafter(window.min, -HUGE_VAL) : window.min;
        const EventRun run =
            m_spatial
                ? SliceRun(m_ctx.events, m_view.axes.depth, position - m_slabHalfWidth,
                           position + m_slabHalfWidth, m_previous)
                : WindowRun(m_ctx.events, after, window.max, m_request.cumulative, m_previous);
        m_tests.slicePosition = position;
        const bool growing = m_request.cumulative && !m_spatial && !m_first;
        m_tests.addToPrevious = growing;
        const EventRun added = growing ? EventRun{m_previous.end, run.end} : run;
        m_tests.rectangles = m_rectangles.empty() ? nullptr : m_rectangles.data() + added.begin;
        return {run, added};
    }

    const double* WeightsOf(const EventRun& added) const {
        return m_ctx.events.weights.empty() ? nullptr : m_ctx.events.weights.data() + added.begin;
    }

    // The picture at a position is done: the next one follows it.
    void Passed(const EventRun& run) {
        m_previous = run;
        m_first = false;
    }

    // A maximum from the series' own densities needs them all before the first picture is
    // coloured; they are kept from that pass when they fit, not computed twice.
    Status MeasureMaximum() {
        const Status measured = MeasureSeriesMaximum(m_ctx, m_steps, [&](double position) {
            const auto [run, added] = RunsAt(position);
            ComputePlaneDensities(m_grid, m_ctx.events.rows.data() + added.begin, added.size(),
                                  m_tests, m_ctx.work.field, nullptr, WeightsOf(added));
            m_kept.Keep(m_ctx.work.field);
            ++m_measuredPictures;
            Passed(run);
        });
        if (!measured.ok()) {
            return measured;
        }
        m_previous = EventRun{};
        m_first = true;
        m_steps.labels.densityMaximum = m_ctx.densityMaximum;
        ClearRaster();
        return Status::Ok();
    }

    // Whether the slice after the one at `position` (picture `picture`, from 0) is filled with
    // it: slices of sums share most of their events, whose factors along the columns and rows
    // are then found once for both. Counts have no factors to share.
    bool FillsNextWith(double position, std::size_t picture, bool fromKept) const {
        const std::size_t next = picture + 1;
        return m_spatial && !CountsEvents(m_request.weighting, !m_ctx.events.weights.empty()) &&
               !(fromKept && next < m_measuredPictures) &&
               static_cast<long long>(next) + 1 <= SeriesPictureLimit(m_request.numberOfPictures) &&
               position + m_view.step < m_view.positions.max;
    }

    // Fills the slice at `position`, whose run is `run`, into the field, and the slice after it
    // into m_nextField for the next picture; false, filling nothing, where their slabs hold too
    // many events for that.
    bool FillWithNext(double position, const EventRun& run) {
        const double next = position + m_view.step;
        const EventRun nextRun = SliceRun(m_ctx.events, m_view.axes.depth, next - m_slabHalfWidth,
                                          next + m_slabHalfWidth, run);
        if (std::max(run.end, nextRun.end) - std::min(run.begin, nextRun.begin) >
            PairedEventsAtMost) {
            return false;
        }
        PixelTests tests = m_tests;
        tests.rectangles = m_rectangles.empty() ? nullptr : m_rectangles.data();
        const double* weights =
            m_ctx.events.weights.empty() ? nullptr : m_ctx.events.weights.data();
        ComputePlaneDensityPair(m_grid, m_ctx.events.rows.data(), tests, run, nextRun, next,
                                m_ctx.work.field, m_nextField, weights);
        m_nextHeld = true;
        return true;
    }

    void PaintField() {
        PaintDensityField(m_ctx.work.field, NarrowToFloat(m_ctx.densityMaximum), 0,
                          m_grid.height - 1, m_ctx.work.countColours, *m_painted,
                          m_ctx.work.colours);
    }

    Status DrawPictures() {
        const bool fromKept = m_measuredPictures > 0 && m_kept.Holds(m_measuredPictures);
        std::size_t picture = 0;
        return RunSeriesLoop(m_ctx, m_steps, [&](double position, PictureFacts& facts) {
            const auto [run, added] = RunsAt(position);
            if (fromKept && picture < m_measuredPictures) {
                m_kept.Take(picture, m_ctx.work.field);
                PaintField();
            } else if (m_nextHeld) {
                // Both fields have the same size and kind; the sums are the picture.
                std::swap(m_ctx.work.field.sums, m_nextField.sums);
                m_nextHeld = false;
                PaintField();
            } else if (FillsNextWith(position, picture, fromKept) && FillWithNext(position, run)) {
                PaintField();
            } else {
                FillDensityGrid(m_grid, m_ctx.events.rows.data() + added.begin, added.size(),
                                m_tests, m_ctx.densityMaximum, m_ctx.work, m_painted,
                                WeightsOf(added));
            }
            ++picture;
            Passed(run);
            DescribePicture(position, run, facts);
            return Status::Ok();
        });
    }

    void DescribePicture(double position, const EventRun& run, PictureFacts& facts) const {
        facts.bounds = m_spatial ? AxisRange{position - m_slabHalfWidth, position + m_slabHalfWidth}
                                 : WindowAt(position);
        if (m_ownWindows) {
            facts.caption = facts.bounds.max;
        }
        // A slice is captioned with the end of its step, which lies beyond a slab narrower
        // than the step (a radius in coordinates below it): such a slice is captioned with
        // its middle, a value it holds. A section is captioned with its offset from the line.
        if (m_kind.pictureKind == PictureKind::Section ||
            (m_spatial && !(position + m_view.step <= facts.bounds.max))) {
            facts.caption = position;
        }
        facts.run = run;
        facts.events = run.size();
    }

    SeriesContext& m_ctx;
    const CalculationRequest& m_request;
    const ViewGeometry& m_view;
    const PlaneSeriesKind& m_kind;
    const bool m_spatial;
    const bool m_ownWindows;  // calendar or growing time windows rather than equal steps
    DensityGrid m_grid;
    PixelTests m_tests;
    double m_slabHalfWidth = 0;
    std::vector<BoxRectangle> m_rectangles;
    SeriesSteps m_steps;
    cv::Mat m_paintArea;
    cv::Mat* m_painted = &m_paintArea;  // where the fill paints: the canvas, or aside
    EventRun m_previous;
    bool m_first = true;
    KeptDensities m_kept;
    std::size_t m_measuredPictures = 0;
    DensityField m_nextField;  // the next slice's densities, filled with the one before
    bool m_nextHeld = false;
};

}  // namespace

Status RunSectionSeries(SeriesContext& ctx) {
    const PlaneSeriesKind kind{"section", PictureKind::Section,
                               "input[][] sorted across the section!", true};
    return PlaneSeries(ctx, kind).Run();
}

Status RunSpatialSeries(SeriesContext& ctx) {
    const PlaneSeriesKind kind{"space", PictureKind::Spatial, "input[][] sorted by direction!",
                               true};
    return PlaneSeries(ctx, kind).Run();
}

Status RunTimeSeries(SeriesContext& ctx) {
    const PlaneSeriesKind kind{"time", PictureKind::TimeResolved, "input[][] sorted by time!",
                               false};
    return PlaneSeries(ctx, kind).Run();
}

}  // namespace korvane
