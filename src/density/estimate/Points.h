#pragma once
// What the estimate works on: the points, the extra test of a pair, and the cells of the
// gridded axes.

#include <array>

#include "common/FillLaterVector.h"

namespace korvane::estimate {

// Cells along the gridded axes are a little wider than 1/k of a half width (k cells per half
// width), so two events closer than the half width along an axis always lie at most k cells
// apart, even after the rounding of (x - origin) / cell. That rounding stays far below the
// margin while the range spans fewer than MaxCellsPerAxis cells. One cell per half width
// suits sparse clouds; in dense ones finer cells let the columns wholly inside a box count
// at once, so fewer events are tested one by one (see CellsPerHalfWidthFor).
constexpr double CellMargin = 1.0 + 1.0 / 1048576.0;  // 1 + 2^-20
constexpr double MaxCellsPerAxis = 1073741824.0;      // 2^30

// The cells per half width for points with about `partners` partners each: the columns
// around a point grow as (2k + 1)^2 while the events tested one by one shrink as 1 / k, so
// finer cells only pay once the boxes are full. Kernel sums are bounded at each column's
// nearest corner, which finer cells bring nearer: 8 paid for them at ten million clustered
// events (about 23,000 partners), not at one million. Only the speed depends on the choice.
inline int CellsPerHalfWidthFor(double partners, bool kernel) {
    if (partners < 256.0) {
        return 1;
    }
    if (partners < 2048.0) {
        return 2;
    }
    return partners < (kernel ? 8192.0 : 65536.0) ? 4 : 8;
}

// An event's coordinates on the box axes, and its time.
template <int Dims>
struct Point {
    std::array<double, Dims> c;
    double t;
};

// The points of an estimate: millions, filled by the caller.
template <int Dims>
using Points = FillLaterVector<Point<Dims>>;

// The extra test of a sum whose box is the whole condition: every pair passes it. A column
// of events lying wholly inside a point's box then counts without a test per event.
struct AnyTime {
    template <class P>
    bool operator()(const P& /*a*/, const P& /*b*/) const {
        return true;
    }
};

// The extra test of a cumulative window: only points strictly earlier than the event count.
struct Earlier {
    template <class P>
    bool operator()(const P& a, const P& b) const {
        return b.t < a.t;
    }
};

}  // namespace korvane::estimate
