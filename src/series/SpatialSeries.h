#pragma once
// The spatial-resolved series: one picture per slice along the direction of view.

#include "series/SeriesContext.h"

namespace korvane {

// Writes space0001.bmp, space0002.bmp, ... beside the event file. Sorts the event table on
// the depth column first. Reads Radius, Gaussiandistance and DensityMaximum from ctx.run.
SeriesResult RunSpatialSeries(SeriesContext& ctx, int direction, double vMax, double vMin,
                              double hMin, double hMax, double depthMin, double depthMax,
                              double hScale, double vScale, double depthStep);

}  // namespace korvane
