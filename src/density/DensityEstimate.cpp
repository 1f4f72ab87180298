#include "density/DensityEstimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/core.hpp>
#include <utility>
#include <vector>

#include "common/CoreStretches.h"
#include "density/Distance.h"
#include "density/Kernel.h"
#include "density/estimate/HighestSum.h"
#include "events/ViewAxes.h"

namespace korvane {

namespace {

// The events' coordinates on the box axes `columns`, and their times, in table order: a
// stretch of the table per core.
template <int Dims>
estimate::Points<Dims> PointsOf(const EventTable& events, const std::array<int, Dims>& columns) {
    estimate::Points<Dims> points(static_cast<std::size_t>(events.count));
    CoreStretches{points.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            for (int a = 0; a < Dims; ++a) {
                points[i].c[a] = events.rows[i].Column(columns[a]);
            }
            points[i].t = events.rows[i].t;
        }
    });
    return points;
}

// The table's weights, or null when every event weighs 1.
const double* WeightsOf(const EventTable& events) {
    return events.weights.size() >= static_cast<std::size_t>(events.count) && events.count > 0
               ? events.weights.data()
               : nullptr;
}

template <int Dims, class Extra, class Squared>
double Highest(const EventTable& events, const std::array<int, Dims>& columns,
               const std::array<double, Dims>& halfWidths, const Weighting& weighting, Extra extra,
               Squared squared, RunObserver* observer) {
    return estimate::Highest<Dims>(PointsOf<Dims>(events, columns), halfWidths, weighting, extra,
                                   squared, WeightsOf(events), observer);
}

// The points' weights, or empty when every one is 1 (the sums are then the same bits
// without them).
std::vector<double> WeightsOf(const std::vector<TimedPlanePoint>& points) {
    std::vector<double> weights;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].weight != 1.0) {
            weights.resize(points.size());
            for (std::size_t k = 0; k < points.size(); ++k) {
                weights[k] = points[k].weight;
            }
            break;
        }
    }
    return weights;
}

}  // namespace

double EstimateSpatialMaximum(const EventTable& events, const AxisMap& axes,
                              const PlaneScale& scale, double depthStep, const Weighting& weighting,
                              RunObserver* observer) {
    const double radius = weighting.radius;
    const double hScale = scale.horizontal;
    const double vScale = scale.vertical;
    const estimate::AnyTime anyTime;
    auto squared = [=](const estimate::Point<3>& a, const estimate::Point<3>& b) {
        return SquaredInSpace(StepsSquared(a.c[0], b.c[0], hScale),
                              StepsSquared(a.c[1], b.c[1], vScale),
                              StepsSquared(a.c[2], b.c[2], depthStep));
    };
    return Highest<3>(events, {axes.horizontal, axes.vertical, axes.depth},
                      {BoxHalfWidth(radius, hScale), BoxHalfWidth(radius, vScale),
                       BoxHalfWidth(radius, depthStep)},
                      weighting, anyTime, squared, observer);
}

double EstimateTimedPlaneMaximum(std::vector<TimedPlanePoint> points, const PlaneScale& scale,
                                 double timeStep, bool cumulative, const Weighting& weighting,
                                 RunObserver* observer) {
    const double radius = weighting.radius;
    const double hScale = scale.horizontal;
    const double vScale = scale.vertical;
    const double hHalf = BoxHalfWidth(radius, hScale);
    const double vHalf = BoxHalfWidth(radius, vScale);
    auto squared = [=](const auto& a, const auto& b) {
        return SquaredInPlane(StepsSquared(a.c[0], b.c[0], hScale),
                              StepsSquared(a.c[1], b.c[1], vScale));
    };
    const std::vector<double> pointWeights = WeightsOf(points);
    const double* weights = pointWeights.empty() ? nullptr : pointWeights.data();
    if (cumulative) {
        estimate::Points<2> plane(points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            plane[i] = {{points[i].across, points[i].up}, points[i].t};
        }
        std::vector<TimedPlanePoint>().swap(points);
        return estimate::Highest<2>(std::move(plane), {hHalf, vHalf}, weighting,
                                    estimate::Earlier{}, squared, weights, observer);
    }
    // The time is the third box axis, with the window length as its half width.
    estimate::Points<3> timed(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        timed[i] = {{points[i].across, points[i].up, points[i].t}, points[i].t};
    }
    std::vector<TimedPlanePoint>().swap(points);
    const estimate::AnyTime anyTime;
    return estimate::Highest<3>(std::move(timed), {hHalf, vHalf, timeStep}, weighting, anyTime,
                                squared, weights, observer);
}

double EstimateTimeMaximum(const EventTable& events, const AxisMap& axes, const PlaneScale& scale,
                           double timeStep, bool cumulative, const Weighting& weighting,
                           RunObserver* observer) {
    std::vector<TimedPlanePoint> points(static_cast<std::size_t>(events.count));
    const double* weights = WeightsOf(events);
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& e = events.rows[static_cast<std::size_t>(i)];
        points[static_cast<std::size_t>(i)] = {e.Column(axes.horizontal), e.Column(axes.vertical),
                                               e.t, weights != nullptr ? weights[i] : 1.0};
    }
    return EstimateTimedPlaneMaximum(std::move(points), scale, timeStep, cumulative, weighting,
                                     observer);
}

double SelectDensityMaximum(bool fixedDensity, double maxDensity,
                            const std::function<double()>& estimate) {
    if (fixedDensity) {
        return maxDensity;
    }
    return 0.8 * estimate();
}

}  // namespace korvane
