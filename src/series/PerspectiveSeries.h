#pragma once
// The perspective view series: the x/y/z box turned by fixed angles and projected onto one
// plane, one picture per time window.

#include "common/Status.h"
#include "density/PerspectiveFrame.h"
#include "series/SeriesContext.h"

namespace korvane {

// The box, time range, density area and number of windows of a perspective request (the
// width and height boxes truncated to whole pixels).
PerspectiveBox PerspectiveBoxOf(const CalculationRequest& request);

// Writes perspective0001.bmp, ... beside the event file. Sorts the event table on time.
Status RunPerspectiveSeries(SeriesContext& ctx);

}  // namespace korvane
