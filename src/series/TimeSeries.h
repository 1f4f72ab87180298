#pragma once
// The time-resolved series: one picture per time window (or up to its end, cumulative).

#include "series/SeriesContext.h"

namespace korvane {

// Writes time0001.bmp, time0002.bmp, ... beside the event file. Sorts the event table on
// time first. Reads Radius, Gaussiandistance, Cumulative and DensityMaximum from ctx.run.
SeriesResult RunTimeSeries(SeriesContext& ctx, int direction, double hMin, double hMax, double vMin,
                           double vMax, double timeStep, double hScale, double vScale,
                           double Timestart, double Timeend);

}  // namespace korvane
