#pragma once
// The perspective series written out literally, step by step, with a per-pixel scan of the
// kept events: the oracle for the fast fill, the estimate and the whole series.

#include <opencv2/core.hpp>
#include <vector>

#include "density/PerspectiveFrame.h"
#include "events/EventTable.h"

namespace korvane::reference {

// Sets every pixel of the density area of `picture` by scanning the kept events of `frame`
// for that pixel, in time order, stopping at the first one not before t0 + dt.
void FillPerspectiveWindowLiteral(const PerspectiveFrame& frame, double t0, double dt,
                                  bool cumulative, double radius, bool gaussian,
                                  double densityMaximum, cv::Mat& picture);

// Every pair of kept events, in kept order.
double EstimatePerspectiveMaximumAllPairs(const PerspectiveFrame& frame, double dt, double radius,
                                          bool cumulative, bool gaussian);

// The pictures of a whole series ((width + 200) x (height + 200), before the renderer adds
// its canvas), from `events` already sorted on time, with projection, bounds, windows,
// fill, axes, labels and caption all done the plain way.
std::vector<cv::Mat> PerspectivePicturesLiteral(const EventTable& events, const PerspectiveBox& box,
                                                double radius, bool cumulative, bool gaussian,
                                                double densityMaximum);

}  // namespace korvane::reference
