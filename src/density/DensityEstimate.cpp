#include "density/DensityEstimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/core.hpp>
#include <vector>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "setup/CalculationSetup.h"

namespace korvane {

namespace {

// One axis of the box around an event: the event column and the strict half width.
struct BoxAxis {
    int column;
    double halfWidth;
};

// Cells a little larger than the box, so that two events closer than the half width along
// an axis always lie in the same or in neighbouring cells, even after the rounding of
// (x - origin) / cell. That rounding stays far below the margin while the range spans fewer
// than MaxCellsPerAxis cells.
constexpr double CellMargin = 1.0 + 1.0 / 1048576.0;  // 1 + 2^-20
constexpr double MaxCellsPerAxis = 1073741824.0;      // 2^30

template <int Dims>
using CellKey = std::array<int, Dims>;

// The highest kernel sum over the events, each sum adding the weights of the events j that
// pass `passes(i, j)` in ascending j, as the plain all-pairs loop does; so the result is
// that loop's to the last bit. `weight(i, j)` is only called for passing pairs.
template <int Dims, class Passes, class Weight>
class HighestSum {
  public:
    HighestSum(const EventTable& events, const std::array<BoxAxis, Dims>& axes, bool unit,
               Passes passes, Weight weight)
        : m_events(events), m_axes(axes), m_unit(unit), m_passes(passes), m_weight(weight) {}

    double Compute() {
        const int n = m_events.count;
        if (n == 0) {
            return 0.0;
        }
        for (const BoxAxis& axis : m_axes) {
            // A strict test against a half width of zero, below or not a number never
            // passes: every sum stays 0.
            if (!(axis.halfWidth > 0.0)) {
                return 0.0;
            }
        }
        m_sums.assign(static_cast<std::size_t>(n), 0.0);
        if (!BuildCells()) {
            SumAllPairs();
        } else {
            SumByCells();
        }
        double result = 0.0;
        for (double sum : m_sums) {
            if (sum > result) {
                result = sum;
            }
        }
        return result;
    }

  private:
    double Coordinate(int i, int axis) const {
        return m_events.rows[i].Column(m_axes[axis].column);
    }

    // Sorts the events with finite coordinates into cells; false when the box is unbounded
    // or the range too wide for safe cell indices, and the plain loop must do.
    bool BuildCells() {
        const int n = m_events.count;
        std::array<double, Dims> low;
        std::array<double, Dims> high;
        low.fill(INFINITY);
        high.fill(-INFINITY);
        std::vector<int> kept;
        kept.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            bool finite = true;
            for (int a = 0; a < Dims; ++a) {
                finite = finite && std::isfinite(Coordinate(i, a));
            }
            // An event with a coordinate that is not finite passes no strict test against
            // anything (the differences are infinite or not a number): its sum stays 0 and
            // it adds to no one's.
            if (!finite) {
                continue;
            }
            kept.push_back(i);
            for (int a = 0; a < Dims; ++a) {
                low[a] = std::min(low[a], Coordinate(i, a));
                high[a] = std::max(high[a], Coordinate(i, a));
            }
        }
        if (kept.empty()) {
            return true;  // no cells, every sum 0
        }
        std::array<double, Dims> cell;
        for (int a = 0; a < Dims; ++a) {
            cell[a] = m_axes[a].halfWidth * CellMargin;
            const double span = (high[a] - low[a]) / cell[a];
            if (!std::isfinite(cell[a]) || !(span < MaxCellsPerAxis)) {
                return false;
            }
        }
        std::vector<std::pair<CellKey<Dims>, int>> placed;
        placed.reserve(kept.size());
        for (int i : kept) {
            CellKey<Dims> key;
            for (int a = 0; a < Dims; ++a) {
                key[a] = static_cast<int>(std::floor((Coordinate(i, a) - low[a]) / cell[a]));
            }
            placed.emplace_back(key, i);
        }
        std::sort(placed.begin(), placed.end());
        m_members.clear();
        m_cellKeys.clear();
        m_cellStarts.clear();
        for (std::size_t p = 0; p < placed.size(); ++p) {
            if (p == 0 || placed[p].first != placed[p - 1].first) {
                m_cellKeys.push_back(placed[p].first);
                m_cellStarts.push_back(static_cast<int>(p));
            }
            m_members.push_back(placed[p].second);
        }
        m_cellStarts.push_back(static_cast<int>(placed.size()));
        return true;
    }

    // Sum over `candidates` (ascending) for event i.
    double SumFor(int i, const std::vector<int>& candidates) const {
        if (m_unit) {
            int count = 0;
            for (int j : candidates) {
                count += m_passes(i, j) ? 1 : 0;
            }
            return static_cast<double>(count);
        }
        double sum = 0.0;
        for (int j : candidates) {
            if (m_passes(i, j)) {
                sum += m_weight(i, j);
            }
        }
        return sum;
    }

    void SumByCells() {
        const int cells = static_cast<int>(m_cellKeys.size());
        cv::parallel_for_(cv::Range(0, cells), [&](const cv::Range& range) {
            std::vector<int> candidates;
            for (int c = range.start; c < range.end; ++c) {
                GatherNeighbours(m_cellKeys[c], candidates);
                for (int p = m_cellStarts[c]; p < m_cellStarts[c + 1]; ++p) {
                    const int i = m_members[p];
                    m_sums[i] = SumFor(i, candidates);
                }
            }
        });
    }

    // Every event of the cells next to `key` (itself included), in ascending table order.
    void GatherNeighbours(const CellKey<Dims>& key, std::vector<int>& candidates) const {
        candidates.clear();
        CellKey<Dims> offset;
        offset.fill(-1);
        while (true) {
            CellKey<Dims> next;
            bool valid = true;
            for (int a = 0; a < Dims; ++a) {
                const long long index = static_cast<long long>(key[a]) + offset[a];
                valid = valid && index >= 0 && index <= MaxCellsPerAxis;
                next[a] = static_cast<int>(index);
            }
            if (valid) {
                const auto found = std::lower_bound(m_cellKeys.begin(), m_cellKeys.end(), next);
                if (found != m_cellKeys.end() && *found == next) {
                    const std::size_t c = static_cast<std::size_t>(found - m_cellKeys.begin());
                    candidates.insert(candidates.end(), m_members.begin() + m_cellStarts[c],
                                      m_members.begin() + m_cellStarts[c + 1]);
                }
            }
            int a = 0;
            while (a < Dims && offset[a] == 1) {
                offset[a] = -1;
                ++a;
            }
            if (a == Dims) {
                break;
            }
            ++offset[a];
        }
        if (!m_unit) {
            std::sort(candidates.begin(), candidates.end());
        }
    }

    void SumAllPairs() {
        const int n = m_events.count;
        cv::parallel_for_(cv::Range(0, n), [&](const cv::Range& range) {
            for (int i = range.start; i < range.end; ++i) {
                double sum = 0.0;
                for (int j = 0; j < n; ++j) {
                    if (m_passes(i, j)) {
                        sum += m_weight(i, j);
                    }
                }
                m_sums[i] = sum;
            }
        });
    }

    const EventTable& m_events;
    std::array<BoxAxis, Dims> m_axes;
    bool m_unit;
    Passes m_passes;
    Weight m_weight;
    std::vector<double> m_sums;
    std::vector<CellKey<Dims>> m_cellKeys;  // occupied cells, ascending
    std::vector<int> m_cellStarts;          // members of cell c: [starts[c], starts[c + 1])
    std::vector<int> m_members;             // event indices, ascending within each cell
};

template <int Dims, class Passes, class Weight>
double Highest(const EventTable& events, const std::array<BoxAxis, Dims>& axes, bool unit,
               Passes passes, Weight weight) {
    return HighestSum<Dims, Passes, Weight>(events, axes, unit, passes, weight).Compute();
}

bool KnownDirection(int direction) {
    return direction >= 0 && direction <= 2;
}

}  // namespace

double EstimateSpatialMaximum(const EventTable& events, double radius, double hScale, double vScale,
                              double depthStep, int direction, bool gaussian) {
    if (!KnownDirection(direction)) {
        return 0.0;
    }
    const AxisMap axes = ViewAxes(direction);
    const double hHalf = BoxHalfWidth(radius, hScale);
    const double vHalf = BoxHalfWidth(radius, vScale);
    const double dHalf = BoxHalfWidth(radius, depthStep);
    const EventRecord* rows = events.rows.data();
    auto passes = [=](int i, int j) {
        const EventRecord& a = rows[i];
        const EventRecord& b = rows[j];
        return WithinStrict(a.Column(axes.horizontal), b.Column(axes.horizontal), hHalf) &&
               WithinStrict(a.Column(axes.vertical), b.Column(axes.vertical), vHalf) &&
               WithinStrict(a.Column(axes.depth), b.Column(axes.depth), dHalf);
    };
    auto weight = [=](int i, int j) {
        const EventRecord& a = rows[i];
        const EventRecord& b = rows[j];
        const double d = DistanceInSpace(
            StepsSquared(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale),
            StepsSquared(a.Column(axes.vertical), b.Column(axes.vertical), vScale),
            StepsSquared(a.Column(axes.depth), b.Column(axes.depth), depthStep));
        return KernelWeight(d, radius, gaussian);
    };
    const std::array<BoxAxis, 3> box = {BoxAxis{axes.horizontal, hHalf},
                                        BoxAxis{axes.vertical, vHalf}, BoxAxis{axes.depth, dHalf}};
    return Highest<3>(events, box, !gaussian, passes, weight);
}

double EstimateTimeMaximum(const EventTable& events, double radius, double hScale, double vScale,
                           double timeStep, int direction, bool cumulative, bool gaussian) {
    if (!KnownDirection(direction)) {
        return 0.0;
    }
    const AxisMap axes = ViewAxes(direction);
    const double hHalf = BoxHalfWidth(radius, hScale);
    const double vHalf = BoxHalfWidth(radius, vScale);
    const EventRecord* rows = events.rows.data();
    auto inPlane = [=](const EventRecord& a, const EventRecord& b) {
        return WithinStrict(a.Column(axes.horizontal), b.Column(axes.horizontal), hHalf) &&
               WithinStrict(a.Column(axes.vertical), b.Column(axes.vertical), vHalf);
    };
    auto weight = [=](int i, int j) {
        const EventRecord& a = rows[i];
        const EventRecord& b = rows[j];
        const double d = DistanceInPlane(
            StepsSquared(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale),
            StepsSquared(a.Column(axes.vertical), b.Column(axes.vertical), vScale));
        return KernelWeight(d, radius, gaussian);
    };
    if (cumulative) {
        auto passes = [=](int i, int j) {
            return inPlane(rows[i], rows[j]) && rows[j].t < rows[i].t;
        };
        const std::array<BoxAxis, 2> box = {BoxAxis{axes.horizontal, hHalf},
                                            BoxAxis{axes.vertical, vHalf}};
        return Highest<2>(events, box, !gaussian, passes, weight);
    }
    auto passes = [=](int i, int j) {
        return inPlane(rows[i], rows[j]) && WithinStrict(rows[i].t, rows[j].t, timeStep);
    };
    const std::array<BoxAxis, 3> box = {BoxAxis{axes.horizontal, hHalf},
                                        BoxAxis{axes.vertical, vHalf}, BoxAxis{3, timeStep}};
    return Highest<3>(events, box, !gaussian, passes, weight);
}

double SelectDensityMaximum(bool fixedDensity, double maxDensity,
                            const std::function<double()>& estimate) {
    if (fixedDensity) {
        return maxDensity;
    }
    return 0.8 * estimate();
}

}  // namespace korvane
