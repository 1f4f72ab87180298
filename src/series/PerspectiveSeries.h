#pragma once
// The perspective view series: the x/y/z box turned by fixed angles and projected onto one
// plane, one picture per time window.

#include "density/PerspectiveFrame.h"
#include "series/SeriesContext.h"

namespace korvane {

// Writes perspective0001.bmp, ... beside the event file. Sorts the event table on time.
SeriesResult WritePerspectiveSeries(SeriesContext& ctx, const PerspectiveBox& box);

}  // namespace korvane
