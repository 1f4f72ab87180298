#include "density/PerspectiveMaximum.h"

#include <array>
#include <vector>

#include "density/Distance.h"
#include "density/HighestSum.h"
#include "density/Kernel.h"
#include "events/EventOrdering.h"

namespace korvane {

double EstimatePerspectiveMaximumOfFrame(const PerspectiveFrame& frame, double dt, double radius,
                                         bool cumulative, bool gaussian) {
    const double du = frame.du;
    const double dw = frame.dw;
    const std::array<double, 2> halves{BoxHalfWidth(radius, du), BoxHalfWidth(radius, dw)};
    auto planeWeight = [=](const auto& i, const auto& j) {
        const double d =
            DistanceInPlane(StepsSquared(i.c[0], j.c[0], du), StepsSquared(i.c[1], j.c[1], dw));
        return KernelWeight(d, radius, gaussian);
    };
    if (cumulative) {
        std::vector<estimate::Point<2>> points;
        points.reserve(frame.kept.size());
        for (const ProjectedEvent& e : frame.kept) {
            points.push_back({{e.u, e.w}, e.t});
        }
        auto earlier = [](const estimate::Point<2>& i, const estimate::Point<2>& j) {
            return j.t < i.t;
        };
        return estimate::Highest<2>(points, halves, !gaussian, earlier, planeWeight);
    }
    // The window rule |t(i) - t(j)| < dt is a third box axis.
    std::vector<estimate::Point<3>> points;
    points.reserve(frame.kept.size());
    for (const ProjectedEvent& e : frame.kept) {
        points.push_back({{e.u, e.w, e.t}, e.t});
    }
    auto anyTime = [](const estimate::Point<3>&, const estimate::Point<3>&) { return true; };
    return estimate::Highest<3>(points, {halves[0], halves[1], dt}, !gaussian, anyTime,
                                planeWeight);
}

double EstimatePerspectiveMaximum(EventTable& events, const PerspectiveBox& box,
                                  const Weighting& weighting, bool cumulative) {
    SortEventsByColumn(events, 3);
    PerspectiveFrame frame;
    BuildPerspectiveFrame(events, box, frame);
    const double dt = (box.end - box.start) / box.windows;
    return EstimatePerspectiveMaximumOfFrame(frame, dt, weighting.radius, cumulative,
                                             weighting.gaussian);
}

}  // namespace korvane
