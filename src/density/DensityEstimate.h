#pragma once
// The automatic top of the colour scale: the highest density at an event's own position.

#include <functional>
#include <vector>

#include "common/Ranges.h"
#include "common/RunObserver.h"
#include "density/Kernel.h"
#include "events/EventTable.h"
#include "events/ViewAxes.h"

namespace korvane {

// Highest sum of KernelWeight over the events j in the strict box around event i (the
// weight of j times KernelWeight when the table has weights; the same below) (the
// columns `axes` puts across, up and in depth, 3-D distance), over every event i of the
// table. `scale` and `depthStep` are the world units per step of the radius (see
// RadiusStep): the pixel scales and the slice step, or 1 with a radius in coordinates.
//
// Every estimate reports the events done to `observer` (may be null) every few thousand
// events and stops early when it asks to: the result is then 0, and the caller, asking
// the observer again, knows it is no estimate.
double EstimateSpatialMaximum(const EventTable& events, const AxisMap& axes,
                              const PlaneScale& scale, double depthStep, const Weighting& weighting,
                              RunObserver* observer = nullptr);

// As above in the picture plane (2-D), j counting for i only if, cumulative: j is strictly
// earlier; else |t(i) - t(j)| < timeStep.
// `timeStep` is the window length.
double EstimateTimeMaximum(const EventTable& events, const AxisMap& axes, const PlaneScale& scale,
                           double timeStep, bool cumulative, const Weighting& weighting,
                           RunObserver* observer = nullptr);

// A point in a picture plane with its time.
struct TimedPlanePoint {
    double across = 0;
    double up = 0;
    double t = 0;
    double weight = 1;  // what the point adds, times its kernel weight
};

// The highest sum of KernelWeight over the points j in the strict box around point i in the
// plane (2-D distance in radius steps of `scale`), j counting only if, cumulative: j is strictly
// earlier; else |t(i) - t(j)| < timeStep; over every point i, each sum added in point order.
// Each term is the weight of j times KernelWeight (the same bits when every weight is 1).
// The points are taken over and let go before the sums: at millions of events a second copy
// would set the peak of the run.
double EstimateTimedPlaneMaximum(std::vector<TimedPlanePoint> points, const PlaneScale& scale,
                                 double timeStep, bool cumulative, const Weighting& weighting,
                                 RunObserver* observer = nullptr);

// The user's fixed maximum, or 0.8 times the estimate (computed only when needed).
double SelectDensityMaximum(bool fixedDensity, double maxDensity,
                            const std::function<double()>& estimate);

}  // namespace korvane
