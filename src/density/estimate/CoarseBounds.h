#pragma once
// Every member's first bound, from whole runs of its neighbouring columns: counts, or with kernel
// or point weights the run's weight times the kernel bound at the column's nearest place.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

// Upper bounds of the kernel weight by squared distance, so a bound of a whole sum needs
// no exponential per pair. Entry e holds the weight at the squared distance (e - 1) x
// step, raised by 2^-40. The squared distance of a pair is taken in table steps with one
// multiplication per axis instead of the kernel's divisions: that moves it by a few units
// in the last place, far less than the step of slack, and the computed weight of a larger
// distance cannot exceed the computed weight of a smaller one by more than a few units in
// the last place of each operation (2^-44 all told), far below the raise. The box's
// corner lies at 3 radius^2 at most; beyond the table the last entry serves.
// False when the factors do not come out finite: the bounds are then the counts.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::BuildKernelBounds() {
    constexpr int Entries = 4096;
    m_boundStep = 3.0 * m_radius * m_radius / (Entries - 2);
    m_kernelBounds.resize(Entries);
    for (int e = 0; e < Entries; ++e) {
        const double below = std::max(0, e - 1) * m_boundStep;
        m_kernelBounds[e] =
            KernelWeight(std::sqrt(below), m_radius, true) * (1.0 + 1.0 / 1099511627776.0);
    }
    // Each axis' share of the squared distance per squared unit, probed with the kernel's
    // own distance: 0 on an axis the distance leaves out (the time of a time window).
    bool finite = std::isfinite(m_boundStep) && m_boundStep > 0.0;
    for (int a = 0; a < Dims; ++a) {
        Point<Dims> origin{};
        Point<Dims> along{};
        along.c[a] = m_half[a];
        m_boundFactor[a] = m_squared(origin, along) / (m_half[a] * m_half[a]) / m_boundStep;
        finite = finite && std::isfinite(m_boundFactor[a]);
    }
    return finite;
}

// The kernel bound of the nearest place of column k's gridded extent to p (the last axis
// counted as no distance): no member of the column lies nearer on any gridded axis, as
// the rounded difference never shrinks away from p.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::NearestCornerBound(const Point<Dims>& p, int k) const {
    double steps = 0.0;
    for (int axis = 0; axis < Gridded; ++axis) {
        steps += StepsOutside(p.c[axis], m_columnLow[k][axis], m_columnHigh[k][axis], axis);
    }
    return BoundAtSteps(steps);
}

// The share of `axis` in the squared steps from x to the nearest place of [low, high] on it
// (0 within it, and on an axis the distance leaves out).
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::StepsOutside(double x, double low, double high,
                                                      int axis) const {
    const double d = x < low ? low - x : (x > high ? x - high : 0.0);
    return m_boundFactor[axis] > 0.0 ? d * d * m_boundFactor[axis] : 0.0;
}

// The coarse bound of the members [lo, hi) of one neighbouring column of p: their number, or
// with point weights a bound of their weight, times the kernel bound at the column's
// nearest place to p (unit kernels: 1, or 0 where no member can pass).
template <int Dims, class Extra, class Squared>
inline double HighestSum<Dims, Extra, Squared>::CoarseRunBound(const Point<Dims>& p, int lo,
                                                               int hi) const {
    const int column = m_memberColumn[lo];
    const double weight = m_pointWeights == nullptr ? static_cast<double>(hi - lo)
                                                    : m_runWeights.Bound(m_starts[column], lo, hi);
    if (!m_kernelBounded) {
        return ColumnMayPass(p, column) ? weight : 0.0;
    }
    return weight * NearestCornerBound(p, column);
}

// A sum of `count` bounds of one sign in one order, raised above their sum in any other.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::RaisedBound(double total, int count) {
    constexpr double Ulp = 1.0 / 9007199254740992.0;  // 2^-53
    return total * (1.0 + (4.0 * count + 4.0) * Ulp);
}

// The table's entry for a squared distance of `steps` table steps; beyond the table (or
// not a number) the last.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::BoundAtSteps(double steps) const {
    const double last = static_cast<double>(m_kernelBounds.size() - 1);
    return m_kernelBounds[static_cast<std::size_t>(steps < last ? steps : last)];
}

// An axis the distance leaves out adds nothing, even where the square of its difference
// overflows (infinity times 0 is not a number).
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::KernelBound(const Point<Dims>& a,
                                                     const Point<Dims>& b) const {
    double steps = 0.0;
    for (int axis = 0; axis < Dims; ++axis) {
        const double d = a.c[axis] - b.c[axis];
        steps += m_boundFactor[axis] > 0.0 ? d * d * m_boundFactor[axis] : 0.0;
    }
    return BoundAtSteps(steps);
}

// Unit bounds for the members of a piece of a column, a slab of the last axis at a time:
// every member from `low` to `high` on it gets the members of the neighbouring columns'
// runs from the run of `low`'s first end to the run of `high`'s last, which hold the runs
// of all of them (both ends only move forward as the coordinate grows). A slab half the
// half width thick loosens the bound a little and moves the runs once per slab rather
// than once per member.
//
// Where only earlier points count, the runs' members are tallied by time bin as the ends
// move, and each member gets only those of its own bin and the bins before: no later
// bin holds a point earlier than it. Early members then get bounds well below late ones.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::BoundColumnBySlabs(const Piece& piece,
                                                          std::vector<NeighbourRun>& runs) {
    constexpr bool timed = std::is_same_v<Extra, Earlier>;
    const double half = m_half[Dims - 1];
    const double slab = half / 2.0;
    const double* values = m_memberLast.data();
    const std::uint8_t* bins = m_timeBin.data();
    std::array<int, TimeBins> inRuns{};  // the runs' members by time bin
    if constexpr (timed) {
        for (const NeighbourRun& run : runs) {
            for (int q = run.lo; q < run.hi; ++q) {
                ++inRuns[bins[q]];
            }
        }
    }
    std::array<int, TimeBins> upTo{};  // the runs' members of each bin and the bins before
    for (int m = piece.begin; m < piece.end;) {
        const double low = values[m];
        int end = m + 1;
        while (end < piece.end && values[end] - low < slab) {
            ++end;
        }
        const double high = values[end - 1];
        int count = 0;
        for (NeighbourRun& run : runs) {
            while (run.lo < run.end && low - values[run.lo] >= half) {
                if constexpr (timed) {
                    inRuns[bins[run.lo]] -= run.lo < run.hi ? 1 : 0;
                }
                ++run.lo;
            }
            run.hi = std::max(run.hi, run.lo);
            while (run.end > run.hi && high - values[run.hi] > -half) {
                if constexpr (timed) {
                    ++inRuns[bins[run.hi]];
                }
                ++run.hi;
            }
            count += run.hi - run.lo;
        }
        if constexpr (timed) {
            int below = 0;
            for (int b = 0; b < TimeBins; ++b) {
                below += inRuns[b];
                upTo[b] = below;
            }
            for (; m < end; ++m) {
                m_sums[m_memberIndex[m]] = static_cast<double>(upTo[bins[m]]);
            }
        } else {
            for (; m < end; ++m) {
                m_sums[m_memberIndex[m]] = static_cast<double>(count);
            }
        }
    }
}

// Each member's time bin, for the bounds of earlier-only counts: TimeBins equal spans
// between the earliest and latest finite time, rising with the time (a time not a number
// in the last bin, as it counts for no one).
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::BinTimes() {
    double first = std::numeric_limits<double>::infinity();
    double last = -std::numeric_limits<double>::infinity();
    for (const Point<Dims>& p : m_memberPoints) {
        if (std::isfinite(p.t)) {
            first = std::min(first, p.t);
            last = std::max(last, p.t);
        }
    }
    const double perBin = last > first ? TimeBins / (last - first) : 0.0;
    m_timeBin.resize(m_memberPoints.size());
    for (std::size_t m = 0; m < m_memberPoints.size(); ++m) {
        const double bin = (m_memberPoints[m].t - first) * perBin;
        m_timeBin[m] = static_cast<std::uint8_t>(
            std::isnan(bin) ? TimeBins - 1 : std::clamp(bin, 0.0, TimeBins - 1.0));
    }
}

// Every member's count of partners (into m_sums; with kernel or point weights the bound
// of SumBoundedHighestFirst), walking each column's members in
// ascending last coordinate while the neighbouring columns' runs move forward.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::CountByColumns() {
    const int columns = static_cast<int>(m_keys.size());
    // Pieces in chunks of about TickEvents members, in column order.
    std::vector<Piece> pieces;
    for (int c = 0, m = 0; c < columns;) {
        if (m_ticker.Tick(Done(m))) {
            return;
        }
        pieces.clear();
        for (int members = 0; c < columns && members < TickEvents;) {
            const int end = std::min(m_starts[c + 1], m + PieceMembers);
            pieces.push_back({c, m, end});
            members += end - m;
            m = end;
            c += m == m_starts[c + 1] ? 1 : 0;
        }
        if (m_kernelBounded) {
            if (m_pointWeights != nullptr) {
                CountPieces<true, true>(pieces);
            } else {
                CountPieces<false, true>(pieces);
            }
        } else if (m_pointWeights != nullptr) {
            CountPieces<true, false>(pieces);
        } else {
            CountPieces<false, false>(pieces);
        }
    }
}

template <int Dims, class Extra, class Squared>
template <bool Weighted, bool Kernel>
void HighestSum<Dims, Extra, Squared>::CountPieces(const std::vector<Piece>& pieces) {
    const PassingCount countPassing = WideCount();
    const int count = static_cast<int>(pieces.size());
    cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
        std::vector<std::pair<int, int>> neighbours;
        std::vector<NeighbourRun> runs;
        std::vector<std::size_t> hints;
        for (int k = range.start; k < range.end; ++k) {
            const Piece& piece = pieces[k];
            const int c = piece.column;
            NeighbourColumns(c, neighbours, &hints);
            runs.clear();
            // A column's first piece starts its cursors at the columns' starts; a later
            // one where its first member's runs lie.
            const bool first = piece.begin == m_starts[c];
            for (const auto& [begin, end] : neighbours) {
                runs.push_back(first ? NeighbourRun{begin, begin, end}
                                     : RunAt(begin, end, m_memberLast[piece.begin]));
            }
            // Columns whose whole neighbourhood, every member at the kernel's peak (with
            // point weights: the columns' weights), cannot beat the first sum keep their
            // bounds at 0.
            if (m_coarse || (!Weighted && m_runBounds)) {
                int whole = 0;
                double weight = 0.0;
                for (const auto& [begin, end] : neighbours) {
                    whole += end - begin;
                    if constexpr (Weighted) {
                        weight += m_runWeights.Bound(begin, begin, end);
                    }
                }
                const double largest = Kernel ? m_kernelBounds.front() : 1.0;
                if (RaisedBound((Weighted ? weight : whole) * largest, whole) <= m_firstSum) {
                    continue;
                }
            }
            if constexpr (!Weighted && !Kernel) {
                if (m_runBounds) {
                    BoundColumnBySlabs(piece, runs);
                    continue;
                }
            }
            for (int m = piece.begin; m < piece.end; ++m) {
                const Point<Dims>& p = m_memberPoints[m];
                int count = 0;
                double total = 0.0;
                for (NeighbourRun& run : runs) {
                    AdvanceRun(run, m_memberLast[m]);
                    if constexpr (Kernel || Weighted) {
                        if (m_coarse) {
                            if (run.lo < run.hi) {
                                count += run.hi - run.lo;
                                total += CoarseRunBound(p, run.lo, run.hi);
                            }
                            continue;
                        }
                    }
                    const bool inside = std::is_same_v<Extra, AnyTime> && run.lo < run.hi &&
                                        ColumnInside(p, m_memberColumn[run.lo]);
                    if constexpr (Weighted || Kernel) {
                        // Without a branch per pair: about half the pairs pass.
                        for (int q = run.lo; q < run.hi; ++q) {
                            const bool passes = inside || PassesGridded(p, m_memberPoints[q]);
                            double bound = 1.0;
                            if constexpr (Kernel) {
                                bound = KernelBound(p, m_memberPoints[q]);
                            }
                            if constexpr (Weighted) {
                                bound *= m_pointWeights[m_memberIndex[q]];
                            }
                            count += passes ? 1 : 0;
                            total += passes ? bound : 0.0;
                        }
                    } else if (inside) {
                        count += run.hi - run.lo;
                    } else {
                        count += CountInRun(p, run.lo, run.hi, countPassing);
                    }
                }
                if constexpr (Weighted || Kernel) {
                    m_sums[m_memberIndex[m]] = RaisedBound(total, count);
                } else {
                    m_sums[m_memberIndex[m]] = static_cast<double>(count);
                }
            }
        }
    });
}

}  // namespace korvane::estimate
