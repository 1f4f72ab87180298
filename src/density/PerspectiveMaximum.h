#pragma once
// The automatic top of the colour scale of a perspective calculation.

#include "common/RunObserver.h"
#include "density/Kernel.h"
#include "density/PerspectiveFrame.h"

namespace korvane {

// The highest density found at a kept event's own place on the picture plane: over every
// kept event i, the sum over the kept events j (in time order) with |u(i) - u(j)| < R du
// and |w(i) - w(j)| < R dw of KernelWeight(d), d the distance in pixels, where j also has
// to be strictly earlier than i (cumulative) or within |t(i) - t(j)| < dt.
double EstimatePerspectiveMaximumOfFrame(const PerspectiveFrame& frame, double dt,
                                         const Weighting& weighting, bool cumulative,
                                         RunObserver* observer = nullptr);

// The density maximum of a perspective calculation without a fixed maximum, before the
// 0.8 factor: the highest kernel sum over kept events in the projected plane (see the
// implementation for the exact rule). Sorts the event table on time. `observer` as for
// the other estimates (DensityEstimate.h).
double EstimatePerspectiveMaximum(EventTable& events, const PerspectiveBox& box,
                                  const Weighting& weighting, bool cumulative,
                                  RunObserver* observer = nullptr);

}  // namespace korvane
