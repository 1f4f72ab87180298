#pragma once
// The members whose bound beats the highest sum found are summed, highest bound first, a batch
// at a time on every core, until no bound left can beat it.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

// The estimate: the cells per half width for the points' crowding, the columns, then the bounds
// and sums of the kind of weights at hand.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::Compute() {
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
    // Finer cells pay where a column can pass at once (the box is the whole condition), where
    // whole runs bound counts (earlier-only counts too, see BoundColumnBySlabs) and where
    // whole runs bound sums (the nearer corners of finer columns bound them closer).
    m_cellsPerHalf = CellsPerHalfWidthFor(SampledPartners(), !m_unit);
    m_grid = WantsKernelGrid();
    bool columns = BuildColumns();
    // Finer cells can overrun the cells an axis may span where coarser ones do not: rather
    // than visit every pair, take coarser cells.
    while (!columns && m_cellsPerHalf > 1) {
        m_cellsPerHalf /= 2;
        columns = BuildColumns();
    }
    if (m_ticker.Stopped()) {
        return 0.0;
    }
    m_sums.resize(static_cast<std::size_t>(n));  // after the columns: a lower peak
    FillOnEveryCore(m_sums, 0.0);
    if (columns) {
        if (m_unit && m_pointWeights == nullptr) {
            if (m_cellsPerHalf > 1) {
                CountBoundedHighestFirst();
            } else {
                CountByColumns();
            }
        } else if (m_grid) {
            SumGridBoundedHighestFirst();
        } else {
            SumBoundedHighestFirst();
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

// The progress of `steps` steps: one per point, or two where bounds come first (kernel
// or point weights, dense unit counts): the bounds, then the sums that can be the highest.
template <int Dims, class Extra, class Squared>
long long HighestSum<Dims, Extra, Squared>::Done(long long steps) const {
    return m_unit && m_pointWeights == nullptr && m_cellsPerHalf == 1 ? steps : steps / 2;
}

// Kernel or point weights: only the sums that can be the highest. Each term is at most
// its bound (the kernel bound of its distance, times the partner's weight; a unit kernel
// weighs 1, the weights are at least 0, and rounding is monotone), so the sum in
// ascending order is at most the sum of the bounds in that order; a member's bound is
// their sum in column order, raised by more than the relative gap two orders of summing
// n terms of one sign can open, 2 (n - 1) 2^-53 (plus the rounding of the raising
// itself). The sums are taken in order of falling bound and stop once no bound left is
// above the highest sum found. The sums left out are 0 and cannot be the highest.
//
// The sums start with a coarser bound that visits no pair: each neighbouring column's run
// (with point weights, a bound of its weight from the columns' running totals) times the
// kernel bound at the column's nearest corner (1 for unit kernels). Where only earlier
// points count, it counts the later ones too: still a bound, and the closer bounds that
// follow leave them out. Only the members whose coarse bound beats the highest sum found
// are bounded pair by pair (see RefinedBound), and only those whose closer bound beats it
// are summed. Where the kernel bounds cannot be built, every member is bounded pair by pair.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::SumBoundedHighestFirst() {
    m_kernelBounded = !m_unit && BuildKernelBounds();
    m_coarse = m_kernelBounded || m_unit;
    if (m_memberIndex.empty()) {
        return;
    }
    PlaceEveryPoint();
    // Coarse bounds start from a sum in the middle of the fullest column: where the whole
    // neighbouring columns, each member at the kernel's peak, add up to no more, no sum
    // can beat it and the members are not bounded one by one (their bounds left 0).
    int first = -1;
    if (m_coarse) {
        first = MiddleOfFullestColumn();
        RunCursor cursor;
        std::vector<int> partners;
        std::vector<int> indices;
        m_firstSum = SumOfMember(first, cursor, partners, indices);
    }
    if (m_coarse && m_pointWeights != nullptr) {
        m_runWeights.Build(m_starts, m_pointWeights, m_memberIndex);
    }
    CountSubCells();
    const auto sumOf = [&](int m, MemberScratch& scratch) {
        // A coarse bound is checked against the pairs' own bounds first: a sum that
        // cannot beat the highest so far is left out (0).
        if (!m_coarse || RefinedBound(m, scratch) > scratch.highest) {
            m_sums[m_memberIndex[m]] =
                SumOfMember(m, scratch.cursor, scratch.partners, scratch.indices);
        }
    };
    WeighMembers();
    const BatchWork work{LargestTermBound(), m_coarse && m_kernelBounded ? PairBoundBatchPartners
                                                                         : WholeSumBatchPartners};
    BoundThenSumHighestFirst(first, sumOf, work);
}

// No one partner adds more to a sum, or to a bound of it, than this (0 where the point
// weights leave it unknown: not finite).
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::LargestTermBound() const {
    double largest = m_kernelBounded ? m_kernelBounds.front() : 1.0;
    if (m_pointWeights != nullptr) {
        largest *= *std::max_element(m_pointWeights, m_pointWeights + m_count);
    }
    return std::isfinite(largest) ? largest : 0.0;
}

// Unit counts in dense clouds: most of the work of counting every member goes to the
// neighbouring columns the box only partly covers. Their whole runs bound a count from
// above at the cost of moving the runs' ends; only the members whose bound beats the
// highest count found are counted exactly, highest bound first. The counts are whole
// numbers, so the order of counting changes nothing. A first count from the middle of
// the fullest column spares the columns whose whole neighbourhood holds no more members:
// their runs stay unmoved (the bounds left 0).
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::CountBoundedHighestFirst() {
    if (m_memberIndex.empty()) {
        return;
    }
    if constexpr (std::is_same_v<Extra, Earlier>) {
        BinTimes();
    }
    const int first = MiddleOfFullestColumn();
    RunCursor cursor;
    m_firstSum = CountOfMember(first, cursor);
    m_runBounds = true;
    BoundThenSumHighestFirst(first, [&](int m, MemberScratch& scratch) {
        m_sums[m_memberIndex[m]] =
            CountOfMember(m, scratch.cursor, &scratch.runs, scratch.highest, &scratch.unsure);
    });
}

// Every member's bound (CountByColumns, into m_sums), then the sums of the members bounded
// above the first sum (of member `first`, m_firstSum; none when `first` is -1), highest
// bound first, by `sumOf` (see SumWhileBoundBeatsHighest). The sums left out are 0 and
// cannot be the highest.
template <int Dims, class Extra, class Squared>
template <typename SumOf>
void HighestSum<Dims, Extra, Squared>::BoundThenSumHighestFirst(int first, SumOf sumOf,
                                                                BatchWork work) {
    CountByColumns();
    if (m_ticker.Stopped()) {
        return;
    }
    // Only the bounds above the first sum are kept: in a dense cloud a few per cent. The
    // members are looked at a stretch per core (the order is settled by the sort).
    const CoreStretches stretches{m_memberIndex.size()};
    std::vector<std::vector<BoundedMember>> kept(static_cast<std::size_t>(stretches.count));
    stretches.ForEach([&](int k, std::size_t begin, std::size_t end) {
        for (auto m = static_cast<int>(begin); m < static_cast<int>(end); ++m) {
            const double bound = m_sums[m_memberIndex[m]];
            if (bound > m_firstSum && m != first) {
                kept[k].push_back({bound, m});
            }
        }
    });
    std::vector<BoundedMember> ranked;
    for (const std::vector<BoundedMember>& some : kept) {
        ranked.insert(ranked.end(), some.begin(), some.end());
    }
    kept = {};
    FillOnEveryCore(m_sums, 0.0);
    if (first >= 0) {
        m_sums[m_memberIndex[first]] = m_firstSum;
    }
    std::sort(ranked.begin(), ranked.end(), [](const BoundedMember& a, const BoundedMember& b) {
        return a.bound != b.bound ? a.bound > b.bound : a.member < b.member;
    });
    SumWhileBoundBeatsHighest(ranked, sumOf, m_firstSum, work);
}

// The member in the middle of the column with the most members, on the last axis: in
// the densest part of the cloud, so its sum is a high first mark. There is a member.
// Where only earlier points count, the latest member within a quarter of the half width
// of the middle: an early one counts few.
template <int Dims, class Extra, class Squared>
int HighestSum<Dims, Extra, Squared>::MiddleOfFullestColumn() const {
    int fullest = 0;
    for (int c = 1; c + 1 < static_cast<int>(m_starts.size()); ++c) {
        fullest =
            m_starts[c + 1] - m_starts[c] > m_starts[fullest + 1] - m_starts[fullest] ? c : fullest;
    }
    const int begin = m_starts[fullest];
    const int end = m_starts[fullest + 1];
    const int middle = (begin + end) / 2;
    if constexpr (!std::is_same_v<Extra, Earlier>) {
        return middle;
    }
    const double near = m_half[Dims - 1] / 4.0;
    int latest = middle;
    for (int m = middle; m < end && m_memberLast[m] - m_memberLast[middle] < near; ++m) {
        latest = m_memberPoints[m].t > m_memberPoints[latest].t ? m : latest;
    }
    for (int m = middle; m >= begin && m_memberLast[middle] - m_memberLast[m] < near; --m) {
        latest = m_memberPoints[m].t > m_memberPoints[latest].t ? m : latest;
    }
    return latest;
}

// Sums the `ranked` members (highest bound first), a batch at a time on every core,
// while the next member's bound beats the highest sum found so far (from `highest` on):
// no member from there on can hold a higher sum. Within a batch the members go in column
// order, so those taken one after the other share their neighbouring columns in the
// cache, and each starts from the highest sum any thread has found by then: the sooner
// a bound falls below it, the fewer pairs it visits. Batches of at most a few hundred,
// fewer where `work` finds them standing for many partners, keep the threads from
// waiting on each other and the asking whether to stop frequent.
template <int Dims, class Extra, class Squared>
template <typename SumOf>
void HighestSum<Dims, Extra, Squared>::SumWhileBoundBeatsHighest(
    const std::vector<BoundedMember>& ranked, SumOf sumOf, double highest, BatchWork work) {
    const int members = static_cast<int>(ranked.size());
    constexpr int Batch = 256;
    std::atomic<double> shared{highest};
    std::vector<int> batch;
    int next = 0;
    while (next < members && ranked[next].bound > highest) {
        if (m_ticker.Check(Done(static_cast<long long>(m_memberIndex.size()) + next))) {
            return;
        }
        const int end = BatchEnd(ranked, next, Batch, work);
        batch.clear();
        for (int k = next; k < end; ++k) {
            batch.push_back(ranked[k].member);
        }
        std::sort(batch.begin(), batch.end());
        cv::parallel_for_(cv::Range(0, end - next), [&](const cv::Range& range) {
            MemberScratch scratch{highest, {}, {}, {}, {}, {}, {}};
            for (int k = range.start; k < range.end; ++k) {
                scratch.highest = shared.load(std::memory_order_relaxed);
                sumOf(batch[k], scratch);
                RaiseTo(shared, m_sums[m_memberIndex[batch[k]]]);
            }
        });
        highest = shared.load();
        next = end;
    }
}

// shared = max(shared, value), whichever threads race for it.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::RaiseTo(std::atomic<double>& shared, double value) {
    double current = shared.load(std::memory_order_relaxed);
    while (value > current &&
           !shared.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
    }
}

}  // namespace korvane::estimate
