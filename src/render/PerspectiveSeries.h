#pragma once
// The perspective view series: the x/y/z box turned by fixed angles and projected onto one
// plane, one picture per time window.

#include "density/SeriesContext.h"

namespace korvane {

// The box, window and picture size, as read from the dialog's boxes.
struct PerspectiveBox {
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    double start = 0, end = 0;   // time range
    int width = 0, height = 0;   // density area, pixels (the boxes truncated)
    double windows = 0;          // number of pictures N
};

// Writes perspective0001.bmp, ... beside the event file. Sorts the event table on time.
SeriesResult WritePerspectiveSeries(SeriesContext& ctx, const PerspectiveBox& box);

// The density maximum of a perspective calculation without a fixed maximum, before the
// 0.8 factor: the highest kernel sum over kept events in the projected plane (see the
// implementation for the exact rule). Sorts the event table on time.
double EstimatePerspectiveMaximum(EventTable& events, const PerspectiveBox& box, double radius,
                                  bool cumulative, bool gaussian);

}  // namespace korvane
