#pragma once
// The automatic top of the colour scale: the highest density at an event's own position.

#include <functional>

#include "events/EventTable.h"

namespace korvane {

// Highest sum of KernelWeight over the events j in the strict box around event i (all
// three axes of the direction, 3-D distance), over every event i of the table.
double EstimateSpatialMaximum(const EventTable& events, double radius, double hScale, double vScale,
                              double depthStep, int direction, bool gaussian);

// As above in the picture plane (2-D), j counting for i only if, cumulative: j is strictly
// earlier; else |t(i) - t(j)| < timeStep.
double EstimateTimeMaximum(const EventTable& events, double radius, double hScale, double vScale,
                           double timeStep, int direction, bool cumulative, bool gaussian);

// The user's fixed maximum, or 0.8 times the estimate (computed only when needed).
double SelectDensityMaximum(bool fixedDensity, double maxDensity,
                            const std::function<double()>& estimate);

}  // namespace korvane
