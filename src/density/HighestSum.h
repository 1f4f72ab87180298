#pragma once
// The estimator behind every automatic top of the colour scale: the highest kernel sum at a
// point's own place, over points in space, in a picture plane or projected.

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <opencv2/core.hpp>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/RunObserver.h"
#include "density/Distance.h"

namespace korvane::estimate {

// Cells along the gridded axes are a little wider than half a box (CellsPerHalfWidth of them
// per half width), so two events closer than the half width along an axis always lie at
// most CellsPerHalfWidth cells apart, even after the rounding of (x - origin) / cell. That
// rounding stays far below the margin while the range spans fewer than MaxCellsPerAxis cells.
constexpr int CellsPerHalfWidth = 1;
constexpr double CellMargin = 1.0 + 1.0 / 1048576.0;  // 1 + 2^-20
constexpr double MaxCellsPerAxis = 1073741824.0;      // 2^30

// An event's coordinates on the box axes, and its time.
template <int Dims>
struct Point {
    std::array<double, Dims> c;
    double t;
};

// The extra test of a sum whose box is the whole condition: every pair passes it. A column
// of events lying wholly inside a point's box then counts without a test per event.
struct AnyTime {
    template <class P>
    bool operator()(const P& /*a*/, const P& /*b*/) const {
        return true;
    }
};

// Sorts distinct indices in [0, limit) ascending: by their 11-bit digits, lowest first (a
// stable counting sort per digit), for the long lists of dense clouds; short lists by
// comparison.
inline void SortIndices(std::vector<int>& values, std::vector<int>& scratch, int limit) {
    constexpr int DigitBits = 11;
    constexpr int Digits = 1 << DigitBits;
    if (values.size() < 256) {
        std::sort(values.begin(), values.end());
        return;
    }
    scratch.resize(values.size());
    std::array<int, Digits + 1> starts;
    for (int shift = 0; shift < 31 && (limit - 1) >> shift > 0; shift += DigitBits) {
        starts.fill(0);
        for (int value : values) {
            ++starts[((value >> shift) & (Digits - 1)) + 1];
        }
        for (int d = 1; d <= Digits; ++d) {
            starts[d] += starts[d - 1];
        }
        for (int value : values) {
            scratch[starts[(value >> shift) & (Digits - 1)]++] = value;
        }
        values.swap(scratch);
    }
}

// The highest kernel sum over a list of points. Point j counts for point i when it lies in
// the strict box around i on every axis and passes `extra(i, j)`; each sum adds the weights
// of i's points in ascending j, exactly as the plain all-pairs loop does, so the result is
// that loop's to the last bit. Kernel weights are never above 1.
//
// Points may carry weights of their own (at least 0, any size): j then adds its weight
// times the kernel weight (or its weight alone for unit kernels), still in ascending j.
//
// The first Dims - 1 axes are cut into cells; within a column of cells the events are sorted
// on the last axis, where an event's partners form one run; as the events of a column are
// visited in order, both ends of each neighbouring column's run only move forward, tested
// with the exact comparison (the difference x_i - x_j never grows as x_j grows).
template <int Dims, class Extra, class Weight>
class HighestSum {
  public:
    static constexpr int Gridded = Dims - 1;
    using Key = std::array<int, Gridded>;

    // `observer` (may be null) sees the events done, every few thousand, and may stop the
    // estimate: Compute() then returns 0 and the caller asks the observer again.
    // `pointWeights` (may be null: every point weighs 1) holds one weight per point.
    HighestSum(const std::vector<Point<Dims>>& points, const std::array<double, Dims>& halfWidths,
               bool unit, Extra extra, Weight weight, const double* pointWeights = nullptr,
               RunObserver* observer = nullptr)
        : m_points(points),
          m_half(halfWidths),
          m_unit(unit),
          m_extra(extra),
          m_weight(weight),
          m_pointWeights(pointWeights),
          m_ticker(observer, TickEvents) {}

    double Compute() {
        const int n = static_cast<int>(m_points.size());
        if (n == 0) {
            return 0.0;
        }
        for (double half : m_half) {
            // A strict test against a half width of zero, below or not a number never
            // passes: every sum stays 0.
            if (!(half > 0.0)) {
                return 0.0;
            }
        }
        m_sums.assign(static_cast<std::size_t>(n), 0.0);
        if (BuildColumns()) {
            if (m_pointWeights != nullptr) {
                SumWeightedHighestFirst();
            } else if (m_unit) {
                CountByColumns();
            } else {
                SumHighestFirst();
            }
        } else {
            SumAllPairs();
        }
        double result = 0.0;
        if (m_ticker.Stopped()) {
            return result;
        }
        for (double sum : m_sums) {
            if (sum > result) {
                result = sum;
            }
        }
        return result;
    }

  private:
    // How often the estimate reports and asks whether to stop, in events; the parallel loops
    // run in chunks of about this much work so the asking stays on the caller's thread.
    static constexpr long long TickEvents = 4096;
    static constexpr long long ChunkPairs = 1LL << 24;

    // The progress of `steps` steps: one per point, or two with kernel weights (the count of
    // partners, then the sums that can be the highest).
    long long Done(long long steps) const {
        return m_unit && m_pointWeights == nullptr ? steps : steps / 2;
    }

    // What point j adds to point i's sum.
    double Term(int i, int j) const {
        if (m_pointWeights == nullptr) {
            return m_unit ? 1.0 : m_weight(m_points[i], m_points[j]);
        }
        return m_unit ? m_pointWeights[j] : m_pointWeights[j] * m_weight(m_points[i], m_points[j]);
    }

    struct Member {
        Key key;
        double last;
        int index;
        bool operator<(const Member& other) const {
            if (key != other.key) {
                return key < other.key;
            }
            if (last != other.last) {
                return last < other.last;
            }
            return index < other.index;
        }
    };

    bool Passes(const Point<Dims>& a, const Point<Dims>& b) const {
        for (int axis = 0; axis < Dims; ++axis) {
            if (!WithinStrict(a.c[axis], b.c[axis], m_half[axis])) {
                return false;
            }
        }
        return m_extra(a, b);
    }

    // Sorts the events with finite box coordinates into columns of cells; false when a box
    // is unbounded or the range too wide for safe cell indices, and the plain loop must do.
    bool BuildColumns() {
        const int n = static_cast<int>(m_points.size());
        std::array<double, Gridded> low;
        std::array<double, Gridded> high;
        low.fill(INFINITY);
        high.fill(-INFINITY);
        std::vector<int> kept;
        kept.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            bool finite = true;
            for (int a = 0; a < Dims; ++a) {
                finite = finite && std::isfinite(m_points[i].c[a]);
            }
            // An event with a box coordinate that is not finite passes no strict test
            // against anything (the differences are infinite or not a number): its sum
            // stays 0 and it adds to no one's.
            if (!finite) {
                continue;
            }
            kept.push_back(i);
            for (int a = 0; a < Gridded; ++a) {
                low[a] = std::min(low[a], m_points[i].c[a]);
                high[a] = std::max(high[a], m_points[i].c[a]);
            }
        }
        for (double half : m_half) {
            if (!std::isfinite(half)) {
                return false;
            }
        }
        if (kept.empty()) {
            return true;  // no columns, every sum 0
        }
        std::array<double, Gridded> cell;
        for (int a = 0; a < Gridded; ++a) {
            cell[a] = m_half[a] * CellMargin / CellsPerHalfWidth;
            const double span = (high[a] - low[a]) / cell[a];
            if (!(cell[a] > 0.0) || !std::isfinite(cell[a]) || !(span < MaxCellsPerAxis)) {
                return false;
            }
        }
        std::vector<Member> members;
        members.reserve(kept.size());
        for (int i : kept) {
            Member m;
            for (int a = 0; a < Gridded; ++a) {
                m.key[a] = static_cast<int>(std::floor((m_points[i].c[a] - low[a]) / cell[a]));
            }
            m.last = m_points[i].c[Dims - 1];
            m.index = i;
            members.push_back(m);
        }
        std::sort(members.begin(), members.end());
        m_keys.clear();
        m_starts.clear();
        m_memberPoints.clear();
        m_memberIndex.clear();
        m_memberLast.clear();
        m_memberColumn.clear();
        m_columnLow.clear();
        m_columnHigh.clear();
        for (std::size_t p = 0; p < members.size(); ++p) {
            if (p == 0 || members[p].key != members[p - 1].key) {
                m_keys.push_back(members[p].key);
                m_starts.push_back(static_cast<int>(p));
                m_columnLow.emplace_back().fill(INFINITY);
                m_columnHigh.emplace_back().fill(-INFINITY);
            }
            for (int a = 0; a < Gridded; ++a) {
                const double value = m_points[members[p].index].c[a];
                m_columnLow.back()[a] = std::min(m_columnLow.back()[a], value);
                m_columnHigh.back()[a] = std::max(m_columnHigh.back()[a], value);
            }
            m_memberColumn.push_back(static_cast<int>(m_keys.size()) - 1);
            m_memberPoints.push_back(m_points[members[p].index]);
            m_memberIndex.push_back(members[p].index);
            m_memberLast.push_back(members[p].last);
        }
        m_starts.push_back(static_cast<int>(members.size()));
        return true;
    }

    // The member ranges of the columns within CellsPerHalfWidth cells of column `c`.
    void NeighbourColumns(int c, std::vector<std::pair<int, int>>& ranges) const {
        ranges.clear();
        Key offset;
        offset.fill(-CellsPerHalfWidth);
        while (true) {
            Key next;
            bool valid = true;
            for (int a = 0; a < Gridded; ++a) {
                const long long index = static_cast<long long>(m_keys[c][a]) + offset[a];
                valid = valid && index >= 0 && index <= MaxCellsPerAxis;
                next[a] = static_cast<int>(index);
            }
            if (valid) {
                const auto found = std::lower_bound(m_keys.begin(), m_keys.end(), next);
                if (found != m_keys.end() && *found == next) {
                    const std::size_t k = static_cast<std::size_t>(found - m_keys.begin());
                    ranges.emplace_back(m_starts[k], m_starts[k + 1]);
                }
            }
            int a = 0;
            while (a < Gridded && offset[a] == CellsPerHalfWidth) {
                offset[a] = -CellsPerHalfWidth;
                ++a;
            }
            if (a == Gridded) {
                break;
            }
            ++offset[a];
        }
    }

    // The box tests on the gridded axes and the extra test; the last axis is settled by the
    // run the members are taken from.
    // Evaluated without early exits: about half the pairs pass, and a branch per test
    // would be mispredicted as often.
    bool PassesGridded(const Point<Dims>& a, const Point<Dims>& b) const {
        bool passes = m_extra(a, b);
        for (int axis = 0; axis < Gridded; ++axis) {
            passes &= WithinStrict(a.c[axis], b.c[axis], m_half[axis]);
        }
        return passes;
    }

    // Whether every member of column k passes the tests on the gridded axes against p. The
    // rounded difference |x - y| never shrinks as y moves away from x on either side, so the
    // column's lowest and highest coordinates bound it for every member between them.
    bool ColumnInside(const Point<Dims>& p, int k) const {
        bool inside = true;
        for (int axis = 0; axis < Gridded; ++axis) {
            inside &= WithinStrict(p.c[axis], m_columnLow[k][axis], m_half[axis]) &&
                      WithinStrict(p.c[axis], m_columnHigh[k][axis], m_half[axis]);
        }
        return inside;
    }

    // The members of a neighbouring column that pass the last axis' test against x. Within
    // the column the members are sorted on the last axis, so they form one run [lo, hi):
    // lo is the first member with x - y < half, hi the first from there with x - y <= -half.
    // The events of a column are visited in ascending x, and x - y never shrinks as x
    // grows, so both ends only move forward.
    struct NeighbourRun {
        int lo;
        int hi;
        int end;
    };

    void AdvanceRun(NeighbourRun& run, double x) const {
        const double half = m_half[Dims - 1];
        const double* values = m_memberLast.data();
        while (run.lo < run.end && x - values[run.lo] >= half) {
            ++run.lo;
        }
        run.hi = std::max(run.hi, run.lo);
        while (run.end > run.hi && x - values[run.hi] > -half) {
            ++run.hi;
        }
    }

    // The weights of member m's partners, found by bisection in each neighbouring column,
    // added in ascending point order.
    double SumOfMember(int m, std::vector<std::pair<int, int>>& neighbours,
                       std::vector<int>& partners, std::vector<int>& scratch) const {
        NeighbourColumns(m_memberColumn[m], neighbours);
        const Point<Dims>& p = m_memberPoints[m];
        const double x = m_memberLast[m];
        const double half = m_half[Dims - 1];
        const double* values = m_memberLast.data();
        partners.clear();
        for (const auto& [begin, end] : neighbours) {
            const double* lo = std::partition_point(values + begin, values + end,
                                                    [&](double y) { return x - y >= half; });
            const double* hi =
                std::partition_point(lo, values + end, [&](double y) { return x - y > -half; });
            const auto stop = static_cast<int>(hi - values);
            for (auto q = static_cast<int>(lo - values); q < stop; ++q) {
                if (PassesGridded(p, m_memberPoints[q])) {
                    partners.push_back(m_memberIndex[q]);
                }
            }
        }
        SortIndices(partners, scratch, static_cast<int>(m_points.size()));
        const int i = m_memberIndex[m];
        double sum = 0.0;
        for (int j : partners) {
            sum += Term(i, j);
        }
        return sum;
    }

    // Kernel weights: only the sums that can be the highest. A sum of weights of at most 1
    // never exceeds the number of its terms, even rounded (rounding is monotone and counts
    // are exact), so the sums are taken in order of falling count and stop once no count
    // left is above the highest sum found. The sums left out are 0 and cannot be the highest.
    void SumHighestFirst() {
        CountByColumns();  // every point's count of partners, in m_sums
        if (m_ticker.Stopped()) {
            return;
        }
        const int members = static_cast<int>(m_memberIndex.size());
        std::vector<int> counts(static_cast<std::size_t>(members));
        int top = 0;
        for (int m = 0; m < members; ++m) {
            counts[m] = static_cast<int>(m_sums[m_memberIndex[m]]);
            top = std::max(top, counts[m]);
        }
        std::fill(m_sums.begin(), m_sums.end(), 0.0);
        // The members by falling count (a counting sort).
        std::vector<int> first(static_cast<std::size_t>(top) + 2, 0);
        for (int count : counts) {
            ++first[top - count + 1];
        }
        for (int k = 1; k <= top + 1; ++k) {
            first[k] += first[k - 1];
        }
        std::vector<int> order(static_cast<std::size_t>(members));
        for (int m = 0; m < members; ++m) {
            order[first[top - counts[m]]++] = m;
        }
        SumWhileBoundBeatsHighest(order, [&](int m) { return counts[m]; });
    }

    // Point weights: as SumHighestFirst, with a bound per member instead of its count. Each
    // term is at most the partner's weight (a kernel weight is at most 1, the weights are at
    // least 0, and rounding is monotone), so the sum in ascending order is at most the sum of
    // the partners' weights in that order; the bound is their sum in column order, raised by
    // more than the relative gap two orders of summing n terms of one sign can open,
    // 2 (n - 1) 2^-53 (plus the rounding of the raising itself).
    void SumWeightedHighestFirst() {
        CountByColumns();  // every point's bound, in m_sums
        if (m_ticker.Stopped()) {
            return;
        }
        const int members = static_cast<int>(m_memberIndex.size());
        std::vector<double> bounds(static_cast<std::size_t>(members));
        for (int m = 0; m < members; ++m) {
            bounds[m] = m_sums[m_memberIndex[m]];
        }
        std::fill(m_sums.begin(), m_sums.end(), 0.0);
        std::vector<int> order(static_cast<std::size_t>(members));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return bounds[a] != bounds[b] ? bounds[a] > bounds[b] : a < b;
        });
        SumWhileBoundBeatsHighest(order, [&](int m) { return bounds[m]; });
    }

    // Sums the members in `order` (highest bound first), a batch at a time on every core,
    // while the next member's bound beats the highest sum found so far: no member from there
    // on can hold a higher sum.
    template <typename BoundOf>
    void SumWhileBoundBeatsHighest(const std::vector<int>& order, BoundOf boundOf) {
        const int members = static_cast<int>(order.size());
        constexpr int Batch = 32;
        double highest = 0.0;
        int next = 0;
        while (next < members && boundOf(order[next]) > highest) {
            if (m_ticker.Check(Done(members + next))) {
                return;
            }
            const int end = std::min(members, next + Batch);
            cv::parallel_for_(cv::Range(next, end), [&](const cv::Range& range) {
                std::vector<std::pair<int, int>> neighbours;
                std::vector<int> partners;
                std::vector<int> scratch;
                for (int k = range.start; k < range.end; ++k) {
                    const int m = order[k];
                    m_sums[m_memberIndex[m]] = SumOfMember(m, neighbours, partners, scratch);
                }
            });
            for (int k = next; k < end; ++k) {
                const double sum = m_sums[m_memberIndex[order[k]]];
                if (sum > highest) {
                    highest = sum;
                }
            }
            next = end;
        }
    }

    // Every member's count of partners (into m_sums; with point weights the bound of
    // SumWeightedHighestFirst), walking each column's members in
    // ascending last coordinate while the neighbouring columns' runs move forward.
    void CountByColumns() {
        const int columns = static_cast<int>(m_keys.size());
        // Columns in chunks of about TickEvents members (a column is never split).
        for (int first = 0; first < columns;) {
            if (m_ticker.Tick(Done(m_starts[first]))) {
                return;
            }
            int last = first + 1;
            while (last < columns && m_starts[last] - m_starts[first] < TickEvents) {
                ++last;
            }
            if (m_pointWeights != nullptr) {
                CountColumns<true>(first, last);
            } else {
                CountColumns<false>(first, last);
            }
            first = last;
        }
    }

    template <bool Weighted>
    void CountColumns(int firstColumn, int endColumn) {
        cv::parallel_for_(cv::Range(firstColumn, endColumn), [&](const cv::Range& range) {
            std::vector<std::pair<int, int>> neighbours;
            std::vector<NeighbourRun> runs;
            for (int c = range.start; c < range.end; ++c) {
                NeighbourColumns(c, neighbours);
                runs.clear();
                for (const auto& [begin, end] : neighbours) {
                    runs.push_back({begin, begin, end});
                }
                for (int m = m_starts[c]; m < m_starts[c + 1]; ++m) {
                    const Point<Dims>& p = m_memberPoints[m];
                    int count = 0;
                    double total = 0.0;
                    for (NeighbourRun& run : runs) {
                        AdvanceRun(run, m_memberLast[m]);
                        if constexpr (!Weighted && std::is_same_v<Extra, AnyTime>) {
                            if (run.lo < run.hi && ColumnInside(p, m_memberColumn[run.lo])) {
                                count += run.hi - run.lo;
                                continue;
                            }
                        }
                        for (int q = run.lo; q < run.hi; ++q) {
                            if constexpr (Weighted) {
                                if (PassesGridded(p, m_memberPoints[q])) {
                                    ++count;
                                    total += m_pointWeights[m_memberIndex[q]];
                                }
                            } else {
                                count += PassesGridded(p, m_memberPoints[q]) ? 1 : 0;
                            }
                        }
                    }
                    if constexpr (Weighted) {
                        constexpr double Ulp = 1.0 / 9007199254740992.0;  // 2^-53
                        m_sums[m_memberIndex[m]] = total * (1.0 + (4.0 * count + 4.0) * Ulp);
                    } else {
                        m_sums[m_memberIndex[m]] = static_cast<double>(count);
                    }
                }
            }
        });
    }

    void SumAllPairs() {
        const int n = static_cast<int>(m_points.size());
        // Each point costs n tests: chunks of about ChunkPairs tests.
        const int chunk = static_cast<int>(std::max<long long>(1, ChunkPairs / std::max(n, 1)));
        for (int first = 0; first < n; first += std::min(chunk, n - first)) {
            if (m_ticker.Tick(first)) {
                return;
            }
            const int end = first + std::min(chunk, n - first);
            cv::parallel_for_(cv::Range(first, end), [&](const cv::Range& range) {
                for (int i = range.start; i < range.end; ++i) {
                    double sum = 0.0;
                    for (int j = 0; j < n; ++j) {
                        if (Passes(m_points[i], m_points[j])) {
                            sum += Term(i, j);
                        }
                    }
                    m_sums[i] = sum;
                }
            });
        }
    }

    const std::vector<Point<Dims>>& m_points;  // in the order the sums add them
    std::array<double, Dims> m_half;
    bool m_unit;
    Extra m_extra;
    Weight m_weight;
    const double* m_pointWeights;  // one per point, or null: every point weighs 1
    std::vector<double> m_sums;    // in the order of the points
    std::vector<Key> m_keys;       // occupied columns, ascending
    std::vector<int> m_starts;     // members of column c: [starts[c], starts[c + 1])
    std::vector<std::array<double, Gridded>> m_columnLow;   // the lowest and highest gridded
    std::vector<std::array<double, Gridded>> m_columnHigh;  // coordinates of each column
    std::vector<Point<Dims>> m_memberPoints;                // by column, then on the last axis
    std::vector<int> m_memberIndex;
    std::vector<double> m_memberLast;
    std::vector<int> m_memberColumn;  // the column of each member
    PhaseTicker m_ticker;
};

// The highest sum over `points` (see HighestSum).
template <int Dims, class Extra, class Weight>
double Highest(const std::vector<Point<Dims>>& points, const std::array<double, Dims>& halfWidths,
               bool unit, Extra extra, Weight weight, const double* pointWeights = nullptr,
               RunObserver* observer = nullptr) {
    return HighestSum<Dims, Extra, Weight>(points, halfWidths, unit, extra, weight, pointWeights,
                                           observer)
        .Compute();
}

}  // namespace korvane::estimate
