#pragma once
// A member's neighbouring columns, and within each the run of members that pass the last axis'
// test, found by cursors that only move forward.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

// The key of the cell of the place c on the gridded axes (BuildColumns). It never falls as c
// rises on an axis.
template <int Dims, class Extra, class Squared>
auto HighestSum<Dims, Extra, Squared>::CellKeyOf(const std::array<double, Dims>& c) const -> Key {
    Key key;
    for (int a = 0; a < Gridded; ++a) {
        key[a] = static_cast<int>(std::floor((c[a] - m_cellLow[a]) / m_cellWidth[a]));
    }
    return key;
}

// Visits, as runs [begin, end) of members, every member whose place lies within [low, high] on
// the last axis and whose column's cells on the gridded axes reach [low, high] there (some
// members of those columns lie a little outside it). Two gridded axes.
template <int Dims, class Extra, class Squared>
template <class Visit>
void HighestSum<Dims, Extra, Squared>::ForEachRunWithin(const std::array<double, Dims>& low,
                                                        const std::array<double, Dims>& high,
                                                        Visit visit) const {
    static_assert(Gridded == 2);
    Key first = CellKeyOf(low);
    const Key last = CellKeyOf(high);
    const double* places = m_memberLast.data();
    for (int x = std::max(first[0], 0); x <= last[0]; ++x) {
        auto found = std::lower_bound(m_keys.begin(), m_keys.end(), Key{x, std::max(first[1], 0)});
        for (; found != m_keys.end() && (*found)[0] == x && (*found)[1] <= last[1]; ++found) {
            const auto c = static_cast<std::size_t>(found - m_keys.begin());
            const double* begin = places + m_starts[c];
            const double* end = places + m_starts[c + 1];
            const double* from = std::lower_bound(begin, end, low[Dims - 1]);
            const double* to = std::upper_bound(from, end, high[Dims - 1]);
            if (to > from) {
                visit(static_cast<int>(from - places), static_cast<int>(to - places));
            }
        }
    }
}

// Whether any member of column k can pass the tests on the gridded axes against p: its
// nearest place on each axis does (see ColumnInside).
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::ColumnMayPass(const Point<Dims>& p, int k) const {
    bool may = true;
    for (int axis = 0; axis < Gridded; ++axis) {
        const double nearest = std::clamp(p.c[axis], m_columnLow[k][axis], m_columnHigh[k][axis]);
        may &= WithinStrict(p.c[axis], nearest, m_half[axis]);
    }
    return may;
}

// The member ranges of the columns within m_cellsPerHalf cells of column `c` on every
// gridded axis. The keys are sorted, so for each choice of the other axes the columns
// along the last gridded axis are one stretch of keys, found by one bisection. A caller
// that visits the columns in ascending order passes `hints` (empty at first): each
// stretch then starts after the previous column's, and is found by a search forward
// from there, which spares the bisections of sparse clouds' many columns.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::NeighbourColumns(int c,
                                                        std::vector<std::pair<int, int>>& ranges,
                                                        std::vector<std::size_t>* hints) const {
    ranges.clear();
    std::size_t stretch = 0;
    const int k = m_cellsPerHalf;
    constexpr int Last = Gridded - 1;
    Key offset;
    offset.fill(-k);
    while (true) {
        Key next;
        bool valid = true;
        for (int a = 0; a < Last; ++a) {
            const long long index = static_cast<long long>(m_keys[c][a]) + offset[a];
            valid = valid && index >= 0 && index <= MaxCellsPerAxis;
            next[a] = static_cast<int>(index);
        }
        if (valid) {
            const int centre = m_keys[c][Last];
            next[Last] = std::max(0, centre - k);
            auto found = hints != nullptr ? FirstKeyFrom(*hints, stretch, next)
                                          : std::lower_bound(m_keys.begin(), m_keys.end(), next);
            for (; found != m_keys.end(); ++found) {
                bool same = (*found)[Last] <= centre + k;
                for (int a = 0; a < Last; ++a) {
                    same = same && (*found)[a] == next[a];
                }
                if (!same) {
                    break;
                }
                const std::size_t index = static_cast<std::size_t>(found - m_keys.begin());
                ranges.emplace_back(m_starts[index], m_starts[index + 1]);
            }
        }
        ++stretch;
        int a = 0;
        while (a < Last && offset[a] == k) {
            offset[a] = -k;
            ++a;
        }
        if (a == Last) {
            break;
        }
        ++offset[a];
    }
}

// The first key not below `target`, searched forward from hint `stretch` (no key before
// it is below the targets that come there, as they only grow) by doubling steps; the hint
// moves to it.
template <int Dims, class Extra, class Squared>
auto HighestSum<Dims, Extra, Squared>::FirstKeyFrom(std::vector<std::size_t>& hints,
                                                    std::size_t stretch, const Key& target) const ->
    typename std::vector<Key>::const_iterator {
    if (hints.size() <= stretch) {
        hints.resize(stretch + 1, 0);
    }
    std::size_t low = hints[stretch];
    std::size_t high = low;
    for (std::size_t step = 1; high < m_keys.size() && m_keys[high] < target; step *= 2) {
        low = high + 1;
        high += step;
    }
    high = std::min(high, m_keys.size());
    const auto found = std::lower_bound(m_keys.begin() + static_cast<std::ptrdiff_t>(low),
                                        m_keys.begin() + static_cast<std::ptrdiff_t>(high), target);
    hints[stretch] = static_cast<std::size_t>(found - m_keys.begin());
    return found;
}

// The box tests on the gridded axes and the extra test; the last axis is settled by the
// run the members are taken from.
// Evaluated without early exits: about half the pairs pass, and a branch per test
// would be mispredicted as often.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::PassesGridded(const Point<Dims>& a,
                                                     const Point<Dims>& b) const {
    bool passes = m_extra(a, b);
    for (int axis = 0; axis < Gridded; ++axis) {
        passes &= WithinStrict(a.c[axis], b.c[axis], m_half[axis]);
    }
    return passes;
}

// Whether every member of column k passes the tests on the gridded axes against p. The
// rounded difference |x - y| never shrinks as y moves away from x on either side, so the
// column's lowest and highest coordinates bound it for every member between them.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::ColumnInside(const Point<Dims>& p, int k) const {
    bool inside = true;
    for (int axis = 0; axis < Gridded; ++axis) {
        inside &= WithinStrict(p.c[axis], m_columnLow[k][axis], m_half[axis]) &&
                  WithinStrict(p.c[axis], m_columnHigh[k][axis], m_half[axis]);
    }
    return inside;
}

template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::AdvanceRun(NeighbourRun& run, double x) const {
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

// The run of the members of [begin, end) (a neighbouring column) that pass the last
// axis' test against x, by bisection: where a piece's cursors start.
template <int Dims, class Extra, class Squared>
auto HighestSum<Dims, Extra, Squared>::RunAt(int begin, int end, double x) const -> NeighbourRun {
    const double half = m_half[Dims - 1];
    const double* values = m_memberLast.data();
    const double* lo =
        std::partition_point(values + begin, values + end, [&](double y) { return x - y >= half; });
    const double* hi =
        std::partition_point(lo, values + end, [&](double y) { return x - y > -half; });
    return {static_cast<int>(lo - values), static_cast<int>(hi - values), end};
}

// AdvanceRun's ends, found by steps that double from where they were, then by bisection:
// as cheap as a bisection after a long way, and one test after none.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::LeapRun(NeighbourRun& run, double x) const {
    const double half = m_half[Dims - 1];
    run.lo = FirstFailing(run.lo, run.end, [&](double y) { return x - y >= half; });
    run.hi =
        FirstFailing(std::max(run.hi, run.lo), run.end, [&](double y) { return x - y > -half; });
}

// The first member from `from` on whose place fails `holds`, which holds up to some
// point of [from, end) and fails from there.
template <int Dims, class Extra, class Squared>
template <class Holds>
int HighestSum<Dims, Extra, Squared>::FirstFailing(int from, int end, Holds holds) const {
    const double* values = m_memberLast.data();
    if (from >= end || !holds(values[from])) {
        return from;
    }
    int known = from;  // holds here
    for (int step = 1;; step *= 2) {
        const int probe = step < end - known ? known + step : end;
        if (probe == end || !holds(values[probe])) {
            return static_cast<int>(
                std::partition_point(values + known + 1, values + probe, holds) - values);
        }
        known = probe;
    }
}

// Visits every member q of a neighbouring column of member m that passes the last axis'
// test against it: within each column they form one run.
template <int Dims, class Extra, class Squared>
template <class Visit>
void HighestSum<Dims, Extra, Squared>::ForEachInRuns(int m, RunCursor& cursor, Visit visit) const {
    ForEachRun(m, cursor, [&](int lo, int hi) {
        for (int q = lo; q < hi; ++q) {
            visit(q);
        }
    });
}

// The same runs, each as the members [lo, hi), found from where `cursor` left them.
template <int Dims, class Extra, class Squared>
template <class Visit>
void HighestSum<Dims, Extra, Squared>::ForEachRun(int m, RunCursor& cursor, Visit visit) const {
    const int column = m_memberColumn[m];
    const double x = m_memberLast[m];
    if (column != cursor.column || !(x >= cursor.last)) {
        NeighbourColumns(column, cursor.neighbours);
        cursor.runs.clear();
        for (const auto& [begin, end] : cursor.neighbours) {
            cursor.runs.push_back({begin, begin, end});
        }
        cursor.column = column;
    }
    cursor.last = x;
    for (NeighbourRun& run : cursor.runs) {
        LeapRun(run, x);
        if (run.lo < run.hi) {
            visit(run.lo, run.hi);
        }
    }
}

}  // namespace korvane::estimate
