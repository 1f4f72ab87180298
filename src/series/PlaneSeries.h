#pragma once
// The two series along a direction of view: slices of space (spatial) and windows of time.

#include "common/Status.h"
#include "series/SeriesContext.h"

namespace korvane {

// Sorts the events on the depth column and writes space0001.bmp, ... one slice per picture.
Status RunSpatialSeries(SeriesContext& ctx);

// Sorts the events on time and writes time0001.bmp, ... one window per picture (or,
// cumulative, every event up to the window's end).
Status RunTimeSeries(SeriesContext& ctx);

// Sorts the events, already in a section's frame, across the line and writes
// section0001.bmp, ... one per offset across it (ctx.geometry: SectionGeometryOf).
Status RunSectionSeries(SeriesContext& ctx);

}  // namespace korvane
