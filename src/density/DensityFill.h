#pragma once
// Filling one picture's raster: every pixel the walk reaches gets the colour of the summed
// kernel weights of the events in its box.

#include "density/DensityGrid.h"
#include "series/SeriesContext.h"
#include "events/EventTable.h"

namespace korvane {

// How a series decides which events count for a pixel and what they weigh.
struct PixelTests {
    int hColumn = 0;                   // event column across the picture (0 x, 1 y, 2 z)
    int vColumn = 1;                   // event column up the picture
    bool horizontalInclusive = false;  // |dh| <= half width (spatial) or < (time)
    double radius = 0;                 // box half width and kernel width, in steps
    double hScale = 1;                 // world units per column
    double vScale = 1;                 // world units per row
    bool gaussian = false;             // Gaussian distance weighting, else every event is 1
    bool withDepth = false;            // distance includes the offset from the slice position
    int depthColumn = 2;               // event column of the slice axis (withDepth only)
    double slicePosition = 0;          // p of the slice (withDepth only)
    double depthStep = 1;              // slice step (withDepth only)
};

// Colours every pixel the walk reaches in work.raster (already prepared for `grid`) from the
// events run[0..count) (the vertical test is always strict). Each pixel adds its events'
// weights in table order, so the sums are those of a plain per-pixel scan to the last bit.
// Pixels the walk does not reach keep their colour.
void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, SeriesWorkspace& work);

}  // namespace korvane
