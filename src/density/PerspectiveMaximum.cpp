#include "density/PerspectiveMaximum.h"

#include <algorithm>
#include <cmath>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "events/EventOrdering.h"

namespace korvane {

namespace {

// The rules of the estimate for one pair, shared by the grid and the plain loop.
struct PairRules {
    double du, dw;
    double uHalf, wHalf;
    double dt;
    double radius;
    bool cumulative;
    bool gaussian;

    bool TimeCounts(double ti, double tj) const {
        return cumulative ? tj < ti : std::fabs(ti - tj) < dt;
    }

    // Adds j's weight to `sum` when j counts for i.
    void Add(const ProjectedEvent& i, const ProjectedEvent& j, double& sum) const {
        if (WithinStrict(i.u, j.u, uHalf) && WithinStrict(i.w, j.w, wHalf) &&
            TimeCounts(i.t, j.t)) {
            const double d =
                DistanceInPlane(StepsSquared(i.u, j.u, du), StepsSquared(i.w, j.w, dw));
            sum += KernelWeight(d, radius, gaussian);
        }
    }
};

double AllPairs(const std::vector<ProjectedEvent>& kept, const PairRules& rules) {
    double result = 0;
    for (const ProjectedEvent& i : kept) {
        double sum = 0;
        for (const ProjectedEvent& j : kept) {
            rules.Add(i, j, sum);
        }
        if (sum > result) {
            result = sum;
        }
    }
    return result;
}

// Cells at least a little larger than the box, so every event in i's box lies in i's cell
// or one of its eight neighbours, whatever the rounding of the cell coordinate. Members of a
// cell are kept in ascending event order.
class CellGrid {
  public:
    static constexpr int MaxCellsPerAxis = 1024;

    CellGrid(const std::vector<ProjectedEvent>& kept, double uHalf, double wHalf) {
        m_uLow = m_uHigh = kept.front().u;
        m_wLow = m_wHigh = kept.front().w;
        for (const ProjectedEvent& e : kept) {
            m_uLow = std::min(m_uLow, e.u);
            m_uHigh = std::max(m_uHigh, e.u);
            m_wLow = std::min(m_wLow, e.w);
            m_wHigh = std::max(m_wHigh, e.w);
        }
        m_uCell = std::max(uHalf * 1.01, (m_uHigh - m_uLow) / MaxCellsPerAxis);
        m_wCell = std::max(wHalf * 1.01, (m_wHigh - m_wLow) / MaxCellsPerAxis);
        m_uCells = CellsAlong(m_uHigh - m_uLow, m_uCell);
        m_wCells = CellsAlong(m_wHigh - m_wLow, m_wCell);

        const std::size_t cells = static_cast<std::size_t>(m_uCells) * m_wCells;
        m_begin.assign(cells + 1, 0);
        m_cellOf.resize(kept.size());
        for (std::size_t j = 0; j < kept.size(); ++j) {
            m_cellOf[j] = Cell(CellU(kept[j].u), CellW(kept[j].w));
            ++m_begin[static_cast<std::size_t>(m_cellOf[j]) + 1];
        }
        for (std::size_t c = 0; c < cells; ++c) {
            m_begin[c + 1] += m_begin[c];
        }
        m_members.resize(kept.size());
        std::vector<int> next(m_begin.begin(), m_begin.end() - 1);
        for (std::size_t j = 0; j < kept.size(); ++j) {
            m_members[static_cast<std::size_t>(next[static_cast<std::size_t>(m_cellOf[j])]++)] =
                static_cast<int>(j);
        }
    }

    int CellU(double u) const { return Clamp((u - m_uLow) / m_uCell, m_uCells); }
    int CellW(double w) const { return Clamp((w - m_wLow) / m_wCell, m_wCells); }
    int UCells() const { return m_uCells; }
    int WCells() const { return m_wCells; }
    int Cell(int cu, int cw) const { return cw * m_uCells + cu; }

    // Members of `cell` with index in [lo, hi), appended in ascending order.
    void Collect(int cell, int lo, int hi, std::vector<int>& out) const {
        const auto first = m_members.begin() + m_begin[static_cast<std::size_t>(cell)];
        const auto last = m_members.begin() + m_begin[static_cast<std::size_t>(cell) + 1];
        for (auto it = std::lower_bound(first, last, lo); it != last && *it < hi; ++it) {
            out.push_back(*it);
        }
    }

  private:
    static int CellsAlong(double extent, double cell) {
        const double n = std::floor(extent / cell) + 1;
        return n > MaxCellsPerAxis + 1 ? MaxCellsPerAxis + 1 : static_cast<int>(n);
    }
    static int Clamp(double coordinate, int cells) {
        const double c = std::floor(coordinate);
        if (!(c > 0)) {
            return 0;
        }
        return c >= cells - 1 ? cells - 1 : static_cast<int>(c);
    }

    double m_uLow, m_uHigh, m_wLow, m_wHigh;
    double m_uCell, m_wCell;
    int m_uCells = 1, m_wCells = 1;
    std::vector<int> m_begin;
    std::vector<int> m_members;
    std::vector<int> m_cellOf;
};

bool AllFinite(const std::vector<ProjectedEvent>& kept) {
    return std::all_of(kept.begin(), kept.end(), [](const ProjectedEvent& e) {
        return std::isfinite(e.u) && std::isfinite(e.w);
    });
}

// True when the times are finite and never decrease, so the events a time rule admits for
// i form one run of indices that bisection finds.
bool TimesOrdered(const std::vector<ProjectedEvent>& kept) {
    for (std::size_t j = 0; j < kept.size(); ++j) {
        if (!std::isfinite(kept[j].t) || (j > 0 && kept[j].t < kept[j - 1].t)) {
            return false;
        }
    }
    return true;
}

}  // namespace

double EstimatePerspectiveMaximumOfFrame(const PerspectiveFrame& frame, double dt, double radius,
                                         bool cumulative, bool gaussian) {
    const std::vector<ProjectedEvent>& kept = frame.kept;
    const PairRules rules{frame.du,
                          frame.dw,
                          BoxHalfWidth(radius, frame.du),
                          BoxHalfWidth(radius, frame.dw),
                          dt,
                          radius,
                          cumulative,
                          gaussian};
    if (kept.empty() || !(rules.uHalf > 0) || !(rules.wHalf > 0)) {
        return 0;  // no pair passes a strict test against a box of no width
    }
    if (!AllFinite(kept) || !std::isfinite(rules.uHalf) || !std::isfinite(rules.wHalf)) {
        return AllPairs(kept, rules);
    }

    const CellGrid grid(kept, rules.uHalf, rules.wHalf);
    const bool timeRuns = TimesOrdered(kept) && (cumulative || !std::isnan(dt));
    const int n = static_cast<int>(kept.size());
    std::vector<int> candidates;
    double result = 0;
    for (int i = 0; i < n; ++i) {
        const ProjectedEvent& e = kept[static_cast<std::size_t>(i)];
        int lo = 0, hi = n;
        if (timeRuns) {
            const double ti = e.t;
            auto indexOf = [&](auto predicate) {
                return static_cast<int>(std::partition_point(kept.begin(), kept.end(), predicate) -
                                        kept.begin());
            };
            if (cumulative) {
                hi = indexOf([&](const ProjectedEvent& j) { return j.t < ti; });
            } else {
                // ti - t(j) never increases with j: the admitted j form one run.
                lo = indexOf([&](const ProjectedEvent& j) { return !(ti - j.t < dt); });
                hi = indexOf([&](const ProjectedEvent& j) { return ti - j.t > -dt; });
            }
        }
        candidates.clear();
        const int cu = grid.CellU(e.u);
        const int cw = grid.CellW(e.w);
        for (int v = std::max(cw - 1, 0); v <= std::min(cw + 1, grid.WCells() - 1); ++v) {
            for (int h = std::max(cu - 1, 0); h <= std::min(cu + 1, grid.UCells() - 1); ++h) {
                grid.Collect(grid.Cell(h, v), lo, hi, candidates);
            }
        }
        if (gaussian) {
            // The weights are added in time order, as the plain loop adds them.
            std::sort(candidates.begin(), candidates.end());
        }
        double sum = 0;
        for (int j : candidates) {
            rules.Add(e, kept[static_cast<std::size_t>(j)], sum);
        }
        if (sum > result) {
            result = sum;
        }
    }
    return result;
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
