#include "density/PerspectiveFrame.h"

#include <algorithm>
#include <cmath>

#include "common/FloatNarrowing.h"

namespace korvane {

PerspectiveView FixedPerspectiveView() {
    // Angles in radians, worked out in single precision with pi to ten digits; their sines
    // and cosines are then taken in double.
    const float pi = 3.141592654f;
    const float a = 30.0f * pi / 180.0f;
    const float b = 0.0f * pi / 180.0f;
    const float c = -60.0f * pi / 180.0f;
    PerspectiveView view;
    view.sinA = std::sin(static_cast<double>(a));
    view.cosA = std::cos(static_cast<double>(a));
    view.sinB = std::sin(static_cast<double>(b));
    view.cosB = std::cos(static_cast<double>(b));
    view.sinC = std::sin(static_cast<double>(c));
    view.cosC = std::cos(static_cast<double>(c));
    return view;
}

ProjectedPoint Project(const PerspectiveView& v, double x, double y, double z) {
    ProjectedPoint p;
    p.u = v.cosB * v.cosC * x - v.cosB * v.sinC * y + v.sinB * z;
    p.w = (v.sinA * v.sinC - v.cosA * v.sinB * v.cosC) * x +
          (v.sinA * v.cosC + v.cosA * v.sinB * v.sinC) * y + v.cosA * v.cosB * z;
    return p;
}

void BuildPerspectiveFrame(const EventTable& events, const PerspectiveBox& box,
                           PerspectiveFrame& frame) {
    const PerspectiveView view = FixedPerspectiveView();
    // Depth down turns z over before the view: the z edge then points down.
    const double up = box.depthDown ? -1.0 : 1.0;
    frame.width = box.width;
    frame.height = box.height;

    // The table is sized for every event, so it can never overflow.
    frame.kept.clear();
    frame.kept.reserve(static_cast<std::size_t>(std::max(events.count, 0)));
    frame.weighted =
        events.count > 0 && events.weights.size() >= static_cast<std::size_t>(events.count);
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& e = events.rows[static_cast<std::size_t>(i)];
        if (box.xmin <= e.x && e.x <= box.xmax && box.ymin <= e.y && e.y <= box.ymax &&
            box.zmin <= e.z && e.z <= box.zmax && box.start <= e.t && e.t <= box.end) {
            const ProjectedPoint p = Project(view, e.x, e.y, up * e.z);
            frame.kept.push_back(
                {p.u, p.w, e.t,
                 frame.weighted ? events.weights[static_cast<std::size_t>(i)] : 1.0});
        }
    }

    const ProjectedPoint corner = Project(view, box.xmin, box.ymin, up * box.zmin);
    frame.edgeStart = {corner, corner, corner};
    frame.edgeEnd = {Project(view, box.xmax, box.ymin, up * box.zmin),
                     Project(view, box.xmin, box.ymax, up * box.zmin),
                     Project(view, box.xmin, box.ymin, up * box.zmax)};

    // The extremes are found in double and then narrowed: narrowing is monotone, so this is
    // the same as keeping the running extremes in single precision.
    double uLow = corner.u, uHigh = corner.u, wLow = corner.w, wHigh = corner.w;
    auto include = [&](double u, double w) {
        if (u < uLow)
            uLow = u;
        if (u > uHigh)
            uHigh = u;
        if (w < wLow)
            wLow = w;
        if (w > wHigh)
            wHigh = w;
    };
    for (const ProjectedEvent& e : frame.kept) {
        include(e.u, e.w);
    }
    for (const ProjectedPoint& p : frame.edgeEnd) {
        include(p.u, p.w);
    }
    frame.uMin = NarrowToFloat(uLow);
    frame.uMax = NarrowToFloat(uHigh);
    frame.wMin = NarrowToFloat(wLow);
    frame.wMax = NarrowToFloat(wHigh);

    frame.du = (static_cast<double>(frame.uMax) - static_cast<double>(frame.uMin)) / box.width;
    frame.dw = (static_cast<double>(frame.wMax) - static_cast<double>(frame.wMin)) / box.height;
    frame.radiusStep = {RadiusStep(box.radiusUnit, frame.du), RadiusStep(box.radiusUnit, frame.dw)};
}

int TruncatePixel(double value) {
    // Far enough outside any picture that drawing clips it, small enough for every sum.
    constexpr double Limit = 1 << 24;
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, -Limit, Limit));
}

int PictureColumnOf(const PerspectiveFrame& frame, double u) {
    return TruncatePixel((u - frame.uMin) / frame.du) + 100;
}

int PictureRowOf(const PerspectiveFrame& frame, double w) {
    return TruncatePixel((frame.wMax - w) / frame.dw) + 100;
}

}  // namespace korvane
