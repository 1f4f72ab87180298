#include "density/PerspectiveMaximum.h"

#include <utility>
#include <vector>

#include "density/DensityEstimate.h"
#include "events/EventOrdering.h"

namespace korvane {

namespace {

std::vector<TimedPlanePoint> PointsOf(const PerspectiveFrame& frame) {
    std::vector<TimedPlanePoint> points;
    points.reserve(frame.kept.size());
    for (const ProjectedEvent& e : frame.kept) {
        points.push_back({e.u, e.w, e.t, e.weight});
    }
    return points;
}

}  // namespace

double EstimatePerspectiveMaximumOfFrame(const PerspectiveFrame& frame, double dt,
                                         const Weighting& weighting, bool cumulative,
                                         RunObserver* observer) {
    return EstimateTimedPlaneMaximum(PointsOf(frame), frame.radiusStep, dt, cumulative, weighting,
                                     observer);
}

double EstimatePerspectiveMaximum(EventTable& events, const PerspectiveBox& box,
                                  const Weighting& weighting, bool cumulative,
                                  RunObserver* observer) {
    SortEventsByColumn(events, 3);
    PerspectiveFrame frame;
    BuildPerspectiveFrame(events, box, frame);
    const double dt = (box.end - box.start) / box.windows;
    std::vector<TimedPlanePoint> points = PointsOf(frame);
    // The projected events are let go before the sums: at ten million events they and the
    // estimate's own copies would not fit beside the table together.
    std::vector<ProjectedEvent>().swap(frame.kept);
    return EstimateTimedPlaneMaximum(std::move(points), frame.radiusStep, dt, cumulative, weighting,
                                     observer);
}

}  // namespace korvane
