#pragma once
// The densities of one plane picture: the events of a run seen along an axis, on the pixel
// positions of a density grid.

#include "density/BoxFill.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "events/EventTable.h"

namespace korvane {

// How a series decides which events count for a pixel and what they weigh.
struct PixelTests {
    int hColumn = 0;                   // event column across the picture (0 x, 1 y, 2 z)
    int vColumn = 1;                   // event column up the picture
    bool horizontalInclusive = false;  // |dh| <= half width (spatial) or < (time)
    Weighting weighting;               // box half width and kernel width in radius steps,
                                       // and whether the distance weighs
    double hScale = 1;                 // world units per radius step across (see RadiusStep)
    double vScale = 1;                 // world units per radius step up
    bool withDepth = false;            // distance includes the offset from the slice position
    int depthColumn = 2;               // event column of the slice axis (withDepth only)
    double slicePosition = 0;          // p of the slice (withDepth only)
    double depthStep = 1;              // world units per radius step in depth (withDepth only)
    bool addToPrevious = false;        // the run's events come after those of the picture
                                       // before and add to its densities (cumulative windows)
    const BoxRectangle* rectangles = nullptr;  // the run's events' rectangles
                                               // (PlaneRectanglesOf), or null
};

// The densities of the pixels the walk reaches (the grid's positions; the vertical test is
// always strict) from the events run[0..count), in table order. `weights` (may be null: every
// event weighs 1) holds the events' weights, weights[0..count) beside the run.
void ComputePlaneDensities(const DensityGrid& grid, const EventRecord* run, int count,
                           const PixelTests& tests, DensityField& field,
                           const CountRowVisitor* visitor = nullptr,
                           const double* weights = nullptr);

// Two slices of a spatial series at once, from the sorted table `events`: the pictures of the
// runs `first` (at tests.slicePosition) and `second` (at `secondPosition`), each the densities
// ComputePlaneDensities gives of its run alone, into `firstField` and `secondField`. Each event
// of both runs has its factors along the columns and rows found once. `tests.rectangles` (may be
// null) and `weights` (may be null) are the whole table's, beside `events`.
void ComputePlaneDensityPair(const DensityGrid& grid, const EventRecord* events,
                             const PixelTests& tests, EventRun first, EventRun second,
                             double secondPosition, DensityField& firstField,
                             DensityField& secondField, const double* weights = nullptr);

// The rectangle of pixels each of events[0..count) covers on the grid with these tests: a
// series whose pictures share most of their events (slices of a thick slab) finds each box
// once rather than in every picture.
std::vector<BoxRectangle> PlaneRectanglesOf(const DensityGrid& grid, const EventRecord* events,
                                            int count, const PixelTests& tests);

}  // namespace korvane
