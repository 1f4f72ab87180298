#pragma once
// The exact sum (or count) of one member over its partners, and the all-pairs loop where no
// columns can be made.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

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

template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::KernelOf(const Point<Dims>& a,
                                                  const Point<Dims>& b) const {
    return KernelWeight(std::sqrt(m_squared(a, b)), m_radius, true);
}

// What point j (at b) adds to the sum of the point at a.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::Term(const Point<Dims>& a, const Point<Dims>& b,
                                              int j) const {
    if (m_pointWeights == nullptr) {
        return m_unit ? 1.0 : KernelOf(a, b);
    }
    return m_unit ? m_pointWeights[j] : m_pointWeights[j] * KernelOf(a, b);
}

// The weights of member m's partners, found by bisection in each neighbouring column,
// added in ascending point order.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::SumOfMember(int m, RunCursor& cursor,
                                                     std::vector<int>& partners,
                                                     std::vector<int>& scratch) const {
    const Point<Dims>& p = m_memberPoints[m];
    partners.clear();
    ForEachInRuns(m, cursor, [&](int q) {
        if (PassesGridded(p, m_memberPoints[q])) {
            partners.push_back(m_memberIndex[q]);
        }
    });
    SortIndices(partners, scratch, m_count);
    double sum = 0.0;
    for (int j : partners) {
        sum += Term(p, m_memberPoints[m_position[j]], j);
    }
    return sum;
}

// The exact count of member m's partners, found by bisection in each neighbouring column.
// With `cut` (scratch for the runs the box cuts), the runs wholly inside count first and
// the cut ones after; once the count so far and the cut runs left, counted whole, are no
// more than `highest`, that bound comes back instead: it cannot be the highest count, and
// a sum at or below the highest found changes nothing.
// `unsure` is scratch for the members a cut run's place codes cannot tell.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::CountOfMember(int m, RunCursor& cursor,
                                                       std::vector<CoarseRun>* cut, double highest,
                                                       std::vector<int>* unsure) const {
    const Point<Dims>& p = m_memberPoints[m];
    const PassingCount countPassing = WideCount();
    long long count = 0;
    long long left = 0;  // members of the cut runs not yet counted
    if (cut != nullptr) {
        cut->clear();
    }
    ForEachRun(m, cursor, [&](int lo, int hi) {
        if (std::is_same_v<Extra, AnyTime> && ColumnInside(p, m_memberColumn[lo])) {
            count += hi - lo;
        } else if (cut != nullptr) {
            cut->push_back({lo, hi, 0.0});
            left += hi - lo;
        } else {
            count += CountInRun(p, lo, hi, countPassing);
        }
    });
    if (cut != nullptr) {
        std::array<BoxEdges, 2> edges{};
        const bool coded = unsure != nullptr && EdgesForCodes(p, edges);
        // With place codes a cut run counts no more than its codes' tallies allow, which
        // is close: most counts end here, without a code read one by one. Otherwise a
        // run counts no more than its length, and the runs likely to lose the most
        // members go first, so the bound falls fastest.
        if (coded) {
            left = 0;
            for (CoarseRun& run : *cut) {
                run.bound = MostPassingInCutRun(run.lo, run.hi, edges);
                left += static_cast<long long>(run.bound);
            }
        } else {
            for (CoarseRun& run : *cut) {
                run.bound = OutsideShare(p, m_memberColumn[run.lo]) * (run.hi - run.lo);
            }
        }
        std::sort(cut->begin(), cut->end(),
                  [](const CoarseRun& a, const CoarseRun& b) { return a.bound > b.bound; });
        for (const CoarseRun& run : *cut) {
            if (static_cast<double>(count + left) <= highest) {
                return static_cast<double>(count + left);
            }
            if (coded) {
                count +=
                    run.bound > 0.0 ? CountCutRunByCodes(p, run.lo, run.hi, edges, *unsure) : 0;
                left -= static_cast<long long>(run.bound);
            } else {
                count += CountInRun(p, run.lo, run.hi, countPassing);
                left -= run.hi - run.lo;
            }
        }
    }
    return static_cast<double>(count);
}

// About the share of column k's members outside p's box on the gridded axes, from the
// column's extent (only an order of work: any number will do).
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::OutsideShare(const Point<Dims>& p, int k) const {
    double outside = 0.0;
    for (int axis = 0; axis < Gridded; ++axis) {
        const double low = m_columnLow[k][axis];
        const double high = m_columnHigh[k][axis];
        const double over = std::max(0.0, high - (p.c[axis] + m_half[axis])) +
                            std::max(0.0, (p.c[axis] - m_half[axis]) - low);
        outside += high > low ? over / (high - low) : (over > 0.0 ? 1.0 : 0.0);
    }
    return outside;
}

// The members of [lo, hi) that pass the tests on the gridded axes against p, four at a
// time where the processor can.
// Kept out of line: inlined into the column loop, its loop lost its registers.
template <int Dims, class Extra, class Squared>
int HighestSum<Dims, Extra, Squared>::CountInRun(const Point<Dims>& p, int lo, int hi,
                                                 PassingCount countPassing) const {
    int count = 0;
    int q = lo;
    if constexpr (Dims == 3) {
        if (countPassing != nullptr) {
            const int whole = (hi - lo) / 4 * 4;
            count += countPassing(reinterpret_cast<const double*>(m_memberPoints.data() + q), whole,
                                  {p.c[0], p.c[1]}, {m_half[0], m_half[1]});
            q += whole;
        }
    }
    for (; q < hi; ++q) {
        count += PassesGridded(p, m_memberPoints[q]) ? 1 : 0;
    }
    return count;
}

// Each member's codes of its place within its column on the gridded axes (PlaceCodes.h),
// and their tallies: the cut runs of the exact counts then read four bytes a member rather
// than its point, or only a few tallies. Only for the exact counts of dense unit counts
// where the box is the whole condition in space (see CountBoundedHighestFirst).
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::WantsPlaceCodes() const {
    return Dims == 3 && std::is_same_v<Extra, AnyTime> && m_unit && m_pointWeights == nullptr &&
           m_cellsPerHalf > 1;
}

template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::ReservePlaceCodes() {
    m_placeCodes.resize(m_memberPoints.size());
    m_codeTallies.Reserve(m_starts);
}

// Column k's codes and tallies, from its extent.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::CodeColumn(int k) {
    if constexpr (Dims == 3) {
        const std::array<double, Gridded>& low = m_columnLow[k];
        for (int m = m_starts[k]; m < m_starts[k + 1]; ++m) {
            const Point<Dims>& q = m_memberPoints[m];
            m_placeCodes[m] = PackCodes(PlaceCode(q.c[0], low[0], m_codeScale[0]),
                                        PlaceCode(q.c[1], low[1], m_codeScale[1]));
        }
        m_codeTallies.TallyColumn(k, m_starts[k], m_starts[k + 1], m_placeCodes.data());
    }
}

// The edges of p's box on the gridded axes, where place codes were built and the edges
// are found.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::EdgesForCodes(const Point<Dims>& p,
                                                     std::array<BoxEdges, 2>& edges) const {
    if constexpr (Dims == 3) {
        return !m_placeCodes.empty() && FindBoxEdges(p.c[0], m_half[0], edges[0]) &&
               FindBoxEdges(p.c[1], m_half[1], edges[1]);
    }
    return false;
}

// No fewer than the members of the cut run [lo, hi) that pass the tests on the gridded
// axes against the event whose box has `edges`, from the tallies of their place codes.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::MostPassingInCutRun(
    int lo, int hi, const std::array<BoxEdges, 2>& edges) const {
    if constexpr (Dims == 3) {
        const int column = m_memberColumn[lo];
        return m_codeTallies.MostPassing(column, m_starts[column], lo, hi,
                                         EdgeCodesIn(edges, m_columnLow[column], m_codeScale),
                                         m_placeCodes.data());
    }
    return hi - lo;
}

// The members of the cut run [lo, hi) that pass the tests on the gridded axes against p:
// those whose codes cannot tell by the exact test.
template <int Dims, class Extra, class Squared>
int HighestSum<Dims, Extra, Squared>::CountCutRunByCodes(const Point<Dims>& p, int lo, int hi,
                                                         const std::array<BoxEdges, 2>& edges,
                                                         std::vector<int>& unsure) const {
    if constexpr (Dims == 3) {
        const int n = hi - lo;
        if (unsure.size() < static_cast<std::size_t>(n)) {
            unsure.resize(static_cast<std::size_t>(n));
        }
        const std::array<double, Gridded>& low = m_columnLow[m_memberColumn[lo]];
        int unsureCount = 0;
        int count =
            CountSurePasses(m_placeCodes.data() + lo, n, EdgeCodesIn(edges, low, m_codeScale),
                            unsure.data(), unsureCount);
        for (int u = 0; u < unsureCount; ++u) {
            count += PassesGridded(p, m_memberPoints[lo + unsure[u]]) ? 1 : 0;
        }
        return count;
    }
    return 0;
}

// The wide count of a run, where the box is the whole condition in space.
template <int Dims, class Extra, class Squared>
PassingCount HighestSum<Dims, Extra, Squared>::WideCount() {
    if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
        return WidePassingCount();
    }
    return nullptr;
}

template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::SumAllPairs() {
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
                        sum += Term(m_points[i], m_points[j], j);
                    }
                }
                m_sums[i] = sum;
            }
        });
    }
}

}  // namespace korvane::estimate
