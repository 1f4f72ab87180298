#include "density/PerspectiveMaximum.h"

#include <utility>
#include <vector>

#include "density/DensityEstimate.h"
#include "events/EventOrdering.h"

namespace korvane {

double EstimatePerspectiveMaximumOfFrame(const PerspectiveFrame& frame, double dt, double radius,
                                         bool cumulative, bool gaussian, RunObserver* observer) {
    std::vector<TimedPlanePoint> points;
    points.reserve(frame.kept.size());
    for (const ProjectedEvent& e : frame.kept) {
        points.push_back({e.u, e.w, e.t, e.weight});
    }
    return EstimateTimedPlaneMaximum(std::move(points), frame.radiusStep, dt, cumulative,
                                     {radius, gaussian}, observer);
}

double EstimatePerspectiveMaximum(EventTable& events, const PerspectiveBox& box,
                                  const Weighting& weighting, bool cumulative,
                                  RunObserver* observer) {
    SortEventsByColumn(events, 3);
    PerspectiveFrame frame;
    BuildPerspectiveFrame(events, box, frame);
    const double dt = (box.end - box.start) / box.windows;
    return EstimatePerspectiveMaximumOfFrame(frame, dt, weighting.radius, cumulative,
                                             weighting.gaussian, observer);
}

}  // namespace korvane
