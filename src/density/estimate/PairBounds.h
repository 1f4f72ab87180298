#pragma once
// A member's bound pair by pair (the kernel bound of each partner), run by run from the largest
// coarse bound, and for unit kernels with point weights by the runs its box cuts.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

// Member m's bound from each partner's kernel bound, found as in SumOfMember but added
// run by run (four at a time in space where the processor can), raised as in
// SumBoundedHighestFirst: the raise covers any order of adding them. The runs go from
// the largest coarse bound down, and once the pairs' bounds so far plus the coarse
// bounds of the runs left are no more than `highest`, that bound is returned at once:
// it already shows the sum cannot beat `highest`. Every term of it is still a bound of
// one pair (or of a run's pairs together), so the same raise holds.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::PairBoundOfMember(int m, RunCursor& cursor,
                                                           std::vector<CoarseRun>& runs,
                                                           std::vector<double>& left,
                                                           double highest) const {
    const Point<Dims>& p = m_memberPoints[m];
    PairBoundTotal sum;
    PairBoundSum wide = nullptr;
    PairBoundFrame frame{};
    if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
        static_assert(sizeof(Point<Dims>) == 4 * sizeof(double));
        wide = WidePairBounds();
        frame = PairBoundFrameOf(p);
    }
    if (m_pointWeights != nullptr) {
        frame.weights = m_memberWeights.empty() ? nullptr : m_memberWeights.data();
        wide = frame.weights != nullptr ? wide : nullptr;
    }
    runs.clear();
    int members = 0;
    ForEachRun(m, cursor, [&](int lo, int hi) {
        runs.push_back({lo, hi, CoarseRunBound(p, lo, hi)});
        members += hi - lo;
    });
    // Most bounds by blocks end within the first hundred runs or so: only those are sorted
    // first (the order changes only how soon a bound ends, never what it bounds).
    constexpr std::size_t BlockRunsSorted = 128;
    SortRunsAndAddUp(runs, left, m_subCells.Empty() ? SIZE_MAX : BlockRunsSorted);
    // Where the columns' blocks were counted by sub-cell, each run's coarse bound gives way
    // to its blocks' (see BlockBoundOfRun), largest coarse bound first, until the bound so
    // far with the coarse bounds left cannot beat `highest`.
    if (!m_subCells.Empty()) {
        double closer = 0.0;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const double sofar = RaisedBound(closer + left[r], members);
            if (sofar <= highest) {
                return sofar;
            }
            runs[r].bound = std::min(runs[r].bound, BlockBoundOfRun(p, runs[r].lo, runs[r].hi));
            closer += runs[r].bound;
        }
        const double blocks = RaisedBound(closer, members);
        if (blocks <= highest) {
            return blocks;
        }
        SortRunsAndAddUp(runs, left);
    }
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const PairBoundTotal run = PairBoundsOf(p, runs[r].lo, runs[r].hi, wide, frame);
        sum.total += run.total;
        sum.count += run.count;
        const double sofar = RaisedBound(sum.total + left[r + 1], members);
        if (sofar <= highest) {
            return sofar;
        }
    }
    return RaisedBound(sum.total, sum.count);
}

// Sorts runs by falling bound, or only the largest `sorted` of them, the rest after them
// in any order; left[r] becomes the bounds of runs r.. added (0 after the last).
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::SortRunsAndAddUp(std::vector<CoarseRun>& runs,
                                                        std::vector<double>& left,
                                                        std::size_t sorted) {
    const auto larger = [](const CoarseRun& a, const CoarseRun& b) { return a.bound > b.bound; };
    if (sorted < runs.size()) {
        std::nth_element(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(sorted),
                         runs.end(), larger);
    }
    std::sort(runs.begin(),
              runs.begin() + static_cast<std::ptrdiff_t>(std::min(sorted, runs.size())), larger);
    left.assign(runs.size() + 1, 0.0);
    for (std::size_t r = runs.size(); r-- > 0;) {
        left[r] = left[r + 1] + runs[r].bound;
    }
}

// The kernel bounds of the members [lo, hi) that pass the tests on the gridded axes
// against p (times their weights, with point weights), `wide` taking all but the last few.
template <int Dims, class Extra, class Squared>
PairBoundTotal HighestSum<Dims, Extra, Squared>::PairBoundsOf(const Point<Dims>& p, int lo, int hi,
                                                              PairBoundSum wide,
                                                              const PairBoundFrame& frame) const {
    PairBoundTotal sum;
    if (wide != nullptr) {
        const int whole = (hi - lo) / 4 * 4;
        PairBoundFrame runFrame = frame;
        runFrame.weights = frame.weights != nullptr ? frame.weights + lo : nullptr;
        sum = wide(reinterpret_cast<const double*>(m_memberPoints.data() + lo), whole, runFrame);
        lo += whole;
    }
    for (int q = lo; q < hi; ++q) {
        const bool passes = PassesGridded(p, m_memberPoints[q]);
        double bound = KernelBound(p, m_memberPoints[q]);
        if (m_pointWeights != nullptr) {
            bound *= m_pointWeights[m_memberIndex[q]];
        }
        sum.count += passes ? 1 : 0;
        sum.total += passes ? bound : 0.0;
    }
    return sum;
}

// Unit kernels with point weights: member m's bound from the exact weights of the members of
// the runs its box cuts and the weight bounds of the runs wholly inside, cut runs of the
// largest weight first; as in PairBoundOfMember, once the bound so far and the runs left
// are no more than `highest`, that comes back at once.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::CutBoundOfMember(int m, RunCursor& cursor,
                                                          std::vector<CoarseRun>& cut,
                                                          std::vector<double>& left,
                                                          double highest) const {
    const Point<Dims>& p = m_memberPoints[m];
    double total = 0.0;  // of the runs inside, then of the cut runs' passing members
    int members = 0;
    cut.clear();
    ForEachRun(m, cursor, [&](int lo, int hi) {
        const double bound = CoarseRunBound(p, lo, hi);
        if (ColumnInside(p, m_memberColumn[lo])) {
            total += bound;
        } else if (bound > 0.0) {
            cut.push_back({lo, hi, bound});
        }
        members += hi - lo;
    });
    SortRunsAndAddUp(cut, left);
    for (std::size_t r = 0; r < cut.size(); ++r) {
        const double sofar = RaisedBound(total + left[r], members);
        if (sofar <= highest) {
            return sofar;
        }
        for (int q = cut[r].lo; q < cut[r].hi; ++q) {
            total += PassesGridded(p, m_memberPoints[q]) ? m_pointWeights[m_memberIndex[q]] : 0.0;
        }
    }
    return RaisedBound(total, members);
}

// What the wide pair bounds of p share (three box axes only), unweighted.
template <int Dims, class Extra, class Squared>
PairBoundFrame HighestSum<Dims, Extra, Squared>::PairBoundFrameOf(const Point<Dims>& p) const {
    static_assert(Dims == 3);
    return {{p.c[0], p.c[1], p.c[2]},
            {m_half[0], m_half[1]},
            {m_boundFactor[0], m_boundFactor[1], m_boundFactor[2]},
            m_kernelBounds.data(),
            static_cast<int>(m_kernelBounds.size() - 1)};
}

// The point weights in member order, where kernel bounds weighted by them are added four
// or eight pairs at a time: the wide sums read them beside the members' records.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::WeighMembers() {
    if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
        if (m_pointWeights != nullptr && m_kernelBounded && WidePairBounds() != nullptr) {
            m_memberWeights.resize(m_memberIndex.size());
            const CoreStretches stretches{m_memberIndex.size()};
            stretches.ForEach([&](int, std::size_t begin, std::size_t end) {
                for (std::size_t m = begin; m < end; ++m) {
                    m_memberWeights[m] = m_pointWeights[m_memberIndex[m]];
                }
            });
        }
    }
}

// A coarse bound made closer by visiting pairs: the kernel bound of each, or for unit
// kernels the weight of each member of the runs the box cuts.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::RefinedBound(int m, MemberScratch& scratch) const {
    return m_kernelBounded
               ? PairBoundOfMember(m, scratch.cursor, scratch.runs, scratch.left, scratch.highest)
               : CutBoundOfMember(m, scratch.cursor, scratch.runs, scratch.left, scratch.highest);
}

}  // namespace korvane::estimate
