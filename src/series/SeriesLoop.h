#pragma once
// The loop every picture series shares: picture after picture along one axis (slice
// positions or window starts), each composed on the series' canvas, written on the writer's
// thread while the next one is computed, reported to the observer and followed by the
// question whether to stop. After the series comes the series index.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Status.h"
#include "density/BoxFill.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "picture/DensityPicture.h"
#include "series/SeriesContext.h"

namespace korvane {

struct SeriesSteps {
    const char* prefix = "";          // picture file prefix: "space", "time", "perspective"
    double start = 0;                 // first position (slice p or window start T)
    double end = 0;                   // the loop runs while the position is below this
    double step = 0;                  // added to the position after each picture
    const cv::Mat* raster = nullptr;  // what `compute` fills, the same size for every picture
    // When set, `compute` paints here instead: the loop points it, before each picture, at
    // the raster area of the canvas the picture is composed on, first filled from `raster`.
    cv::Mat* paintArea = nullptr;
    PictureLabels labels;  // the frame of the pictures; the caption is the
                           // position plus the step
    // The densities `compute` leaves, and the size of the area they cover (the raster, or
    // the perspective's density area): the density files are copied from them.
    const DensityField* field = nullptr;
    cv::Size densityArea;
    // The plane series' pixel positions, for a density volume (null: the series makes none).
    const DensityGrid* grid = nullptr;
    PictureColumns columns;  // for the front ends: what the pictures' axes and caption show
    // For the series index and the summary:
    PlaneRange extent;  // the plane a picture shows (the perspective: its projected plane)
    PlaneScale scale;   // units per pixel column and row
    // Where the overlays land on the pictures (no toPlane: none are drawn); with `slabbed`
    // each picture draws those within its facts' bounds along the direction of view.
    OverlayFrame overlayFrame;
    bool slabbed = false;
    // The world file written beside every density file (empty: none): a map view of a
    // catalogue read from latitude and longitude, placed in its local east/north frame.
    std::string worldFile;
    // Whether an event lies in the plane a picture shows (the perspective: in the box).
    std::function<bool(const EventRecord&)> inPicturePlane;
    // Windows of their own (calendar or growing), in place of start, end and step: the loop
    // visits each window's start, one picture per window.
    const std::vector<AxisRange>* windows = nullptr;
};

// What one picture was made of, for the index and the summary.
struct PictureFacts {
    AxisRange bounds;      // the slice (depth) or window (time) the picture draws from
    EventRun run;          // its rows of the sorted event table
    long long events = 0;  // the events it counted (the perspective: those inside the box)
    // The caption's value when it is not the position plus the step.
    std::optional<double> caption;
};

// Computes the raster of the picture at `position` and says what it was made of.
using PictureComputer = std::function<Status(double position, PictureFacts& facts)>;

// The most pictures a series of `numberOfPictures` writes: trunc(N) + 1, so that a position
// that stops advancing cannot write pictures for ever.
long long SeriesPictureLimit(double numberOfPictures);

// How many pictures the series loop writes over `range` cut into `numberOfPictures` steps:
// positions from range.min, each the one before plus the step (ScaleOrStep), while below
// range.max. Rounding of the sums may make it one more than the number asked.
long long SeriesPictureCount(const AxisRange& range, double numberOfPictures);

// Runs the pictures of a series into the output folder (the event file's unless the
// request names one), numbered from 1. Stops at the first picture that cannot be computed
// or written (its Status), when the user cancelled (Cancelled: the picture computed ahead
// is dropped, never written), or after trunc(N) + 1 pictures even if the position has not
// reached the end (a step below the position's precision); otherwise Ok. Then, unless the
// request turned it off, writes the series index of the pictures on disk (also after a
// cancel or a failure); a failure to write it is the result of a series that was Ok.
Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureComputer& compute);

// Computes the densities of the picture at `position` into the series' field, colouring and
// writing nothing.
using DensityMeasure = std::function<void(double position)>;

// Whether the request takes the top of its colour scale from the series' own densities.
bool MaximumFromSeries(const CalculationRequest& request);

// For a request whose maximum comes from the series: a first pass over the positions the
// loop will visit, computing each picture's densities with `measure` into *steps.field, then
// ctx.densityMaximum set to the highest of them (series) or to the P-th percentile (nearest
// rank) of the non-zero ones (percentile; 0 when there are none). Reported as the estimating
// phase, one unit per picture, asking whether to stop after each (Cancelled).
Status MeasureSeriesMaximum(SeriesContext& ctx, const SeriesSteps& steps,
                            const DensityMeasure& measure);

// The P-th percentile, nearest rank, of `values` (reordered): the smallest value that at
// least P % of them do not exceed; 0 for none.
double NearestRankPercentile(std::vector<float>& values, double percentile);

}  // namespace korvane
