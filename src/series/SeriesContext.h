#pragma once
// What a picture series works with: the front end (through its observer), the event table,
// the request, the density at the top of the colour scale, and buffers reused from picture
// to picture.

#include <opencv2/core.hpp>

#include "events/EventTable.h"
#include "picture/DensityRaster.h"
#include "series/CalculationRequest.h"
#include "series/SeriesObserver.h"

namespace korvane {

// Buffers a series allocates once and reuses for every picture (a fresh page costs more to
// touch than a unit-weight picture costs to compute); the canvases are the series loop's.
using SeriesWorkspace = RasterWork;

// What a calculation keeps between runs: one instance in the application (or the batch
// front end, or a test), overwritten by each calculation.
struct CalculationWorkspace {
    EventTable events;
    SeriesWorkspace series;
};

struct SeriesContext {
    SeriesObserver& observer;
    EventTable& events;
    const CalculationRequest& request;
    double densityMaximum = 0;  // the top of the colour scale
    SeriesWorkspace& work;
};

}  // namespace korvane
