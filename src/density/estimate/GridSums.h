#pragma once
// Gaussian sums in space, where every box axis has a share of the distance (the spatial
// estimate), in three steps, each closer and dearer than the one before:
//
// 1. a coarse kernel grid (KernelGrid.h) over the whole cloud bounds every member's sum, within
//    a few tens of per cent, at the cost of eight look-ups a member;
// 2. finer grids over boxes around the members whose bound beats the highest sum found bound
//    those again, from eight nodes and then from a window of nodes, within a few per cent;
// 3. the members whose bound still beats the highest sum are summed exactly, highest bound
//    first, eight partners at a time (WideSums.h).

#include <cmath>

#include "density/estimate/HighestSum.h"
#include "density/estimate/KernelGrid.h"
#include "density/estimate/WideSums.h"

namespace korvane::estimate {

// The Gaussian's exponent per squared unit along each box axis: the kernel of a pair is
// exp(-sum kappa_a d_a^2), the squared distance in radius steps (m_squared) times
// 0.5 (2.506628 / radius)^2. Probed axis by axis: 0 on an axis the distance leaves out.
template <int Dims, class Extra, class Squared>
auto HighestSum<Dims, Extra, Squared>::GaussianExponents() const -> std::array<double, Dims> {
    const double perStep = GaussianWidthFactor / m_radius;
    std::array<double, Dims> kappa{};
    for (int a = 0; a < Dims; ++a) {
        Point<Dims> origin{};
        Point<Dims> along{};
        along.c[a] = m_half[a];
        kappa[a] = 0.5 * perStep * perStep * (m_squared(origin, along) / (m_half[a] * m_half[a]));
    }
    return kappa;
}

// Whether the grids serve: Gaussian sums over three box axes, each with a finite share of the
// distance, and no extra test.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::WantsKernelGrid() const {
    if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
        if (m_unit) {
            return false;
        }
        for (double kappa : GaussianExponents()) {
            if (!(kappa > 0.0) || !std::isfinite(kappa)) {
                return false;
            }
        }
        return true;
    }
    return false;
}

// The sum of member m's partners: its neighbouring runs, each eight partners at a time where
// the processor can.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::KernelSumOfMember(int m, RunCursor& cursor) const {
    static_assert(sizeof(Point<Dims>) == 4 * sizeof(double));
    const Point<Dims>& p = m_memberPoints[m];
    const std::array<double, Dims> kappa = GaussianExponents();
    KernelSumFrame frame{{p.c[0], p.c[1], p.c[2]}, {m_half[0], m_half[1]}, {}, nullptr};
    std::copy(kappa.begin(), kappa.end(), frame.kappa);
    const KernelSum wide = WideKernelSum();
    const double* weights = m_memberWeights.empty() ? nullptr : m_memberWeights.data();
    const auto* records = reinterpret_cast<const double*>(m_memberPoints.data());
    double sum = 0.0;
    ForEachRun(m, cursor, [&](int lo, int hi) {
        if (wide != nullptr) {
            frame.weights = weights != nullptr ? weights + lo : nullptr;
            sum += wide(records + static_cast<std::ptrdiff_t>(4) * lo, hi - lo, frame);
            return;
        }
        for (int q = lo; q < hi; ++q) {
            const Point<Dims>& o = m_memberPoints[q];
            if (PassesGridded(p, o)) {
                double exponent = 0.0;
                for (int a = Dims - 1; a >= 0; --a) {
                    const double d = p.c[a] - o.c[a];
                    exponent += d * d * kappa[a];
                }
                sum += std::exp(-exponent) * (weights != nullptr ? weights[q] : 1.0);
            }
        }
    });
    return sum;
}

// The region a grid must cover to bound the members of [low, high]: every member of their
// boxes, the half width beyond them on every axis (and a little more for the rounding).
template <int Dims, class Extra, class Squared>
auto HighestSum<Dims, Extra, Squared>::GridRegion(const std::array<double, Dims>& low,
                                                  const std::array<double, Dims>& high,
                                                  const std::array<double, Dims>& kappa) const
    -> std::array<KernelGrid::Axis, 3> {
    std::array<KernelGrid::Axis, 3> axes{};
    for (int a = 0; a < 3; ++a) {
        const double margin = m_half[a] * (1.0 + 0x1p-20);
        axes[a] = {low[a] - margin, high[a] + margin, m_half[a], kappa[a]};
    }
    return axes;
}

// Step 2: the members of `hot` (bounded above `highest`) are cut into boxes whose grid of
// FineNodesPerHalf takes at most FineGridNodes, halving the members at the middle of the
// longest side; each box's members get the closer of their bounds and the box grid's. The
// members whose bound no longer beats `highest` are dropped.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::RefineInBoxes(std::vector<BoundedMember>& hot,
                                                     double highest, int perHalf) {
    if constexpr (Dims == 3) {
        const std::array<double, Dims> kappa = GaussianExponents();
        const auto* records = reinterpret_cast<const double*>(m_memberPoints.data());
        const double* weights = m_memberWeights.empty() ? nullptr : m_memberWeights.data();
        std::vector<std::pair<std::size_t, std::size_t>> boxes{{0, hot.size()}};
        KernelGrid grid;
        while (!boxes.empty() && !m_ticker.Check(Done(static_cast<long long>(m_count) / 2))) {
            const auto [begin, end] = boxes.back();
            boxes.pop_back();
            std::array<double, Dims> low;
            std::array<double, Dims> high;
            low.fill(INFINITY);
            high.fill(-INFINITY);
            for (std::size_t k = begin; k < end; ++k) {
                const Point<Dims>& p = m_memberPoints[hot[k].member];
                for (int a = 0; a < 3; ++a) {
                    low[a] = std::min(low[a], p.c[a]);
                    high[a] = std::max(high[a], p.c[a]);
                }
            }
            const std::array<KernelGrid::Axis, 3> region = GridRegion(low, high, kappa);
            double nodes = 1.0;
            int longest = 0;
            for (int a = 0; a < 3; ++a) {
                nodes *= (region[a].high - region[a].low) / m_half[a] * perHalf + 2.0;
                longest = (high[a] - low[a]) / m_half[a] >
                                  (high[longest] - low[longest]) / m_half[longest]
                              ? a
                              : longest;
            }
            if (nodes > static_cast<double>(FineGridNodes) && end - begin > 1) {
                const std::size_t middle = begin + (end - begin) / 2;
                std::nth_element(hot.begin() + static_cast<std::ptrdiff_t>(begin),
                                 hot.begin() + static_cast<std::ptrdiff_t>(middle),
                                 hot.begin() + static_cast<std::ptrdiff_t>(end),
                                 [&](const BoundedMember& x, const BoundedMember& y) {
                                     return m_memberPoints[x.member].c[longest] <
                                            m_memberPoints[y.member].c[longest];
                                 });
                boxes.push_back({begin, middle});
                boxes.push_back({middle, end});
                continue;
            }
            const bool windows = perHalf <= KernelGrid::MostWindowPerHalf;
            if (!grid.Prepare(region, perHalf, FineGridNodes, windows)) {
                continue;  // a box this wide keeps its members' coarse bounds
            }
            std::array<double, Dims> from;
            std::array<double, Dims> to;
            for (int a = 0; a < 3; ++a) {
                from[a] = region[a].low;
                to[a] = region[a].high;
            }
            ForEachRunWithin(from, to, [&](int lo, int hi) {
                grid.Spread(records, weights, static_cast<std::size_t>(lo),
                            static_cast<std::size_t>(hi));
            });
            grid.Finish();
            cv::parallel_for_(cv::Range(static_cast<int>(begin), static_cast<int>(end)),
                              [&](const cv::Range& range) {
                                  for (int k = range.start; k < range.end; ++k) {
                                      BoundedMember& member = hot[static_cast<std::size_t>(k)];
                                      const double* p = m_memberPoints[member.member].c.data();
                                      member.bound = std::min(member.bound, grid.BoundAt(p));
                                      if (windows && member.bound > highest) {
                                          member.bound =
                                              std::min(member.bound, grid.WindowBoundAt(p));
                                      }
                                  }
                              });
        }
        std::erase_if(hot, [&](const BoundedMember& member) { return !(member.bound > highest); });
    }
}

// The sum of the member of `ranked` with the highest bound, where it beats the first sum: the
// member becomes `first` and leaves `ranked`, and the members it shows cannot be the highest
// leave too.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::RaiseFirstSum(std::vector<BoundedMember>& ranked,
                                                     int& first) {
    if (ranked.empty()) {
        return;
    }
    const auto best = std::max_element(
        ranked.begin(), ranked.end(),
        [](const BoundedMember& a, const BoundedMember& b) { return a.bound < b.bound; });
    const int member = best->member;
    RunCursor cursor;
    const double sum = KernelSumOfMember(member, cursor);
    ranked.erase(best);
    m_sums[m_memberIndex[member]] = sum;
    if (sum > m_firstSum) {
        m_firstSum = sum;
        first = member;
        std::erase_if(ranked, [&](const BoundedMember& m) { return !(m.bound > m_firstSum); });
    }
}

// Every member's bound from the coarse grid (where no grid can be made, as every other kernel
// sum: SumBoundedHighestFirst), the sum of the member with the highest, finer bounds for those
// above it, then the exact sums of those whose bound beats the highest sum found, highest bound
// first. The sums left out are 0 and cannot be the highest.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::SumGridBoundedHighestFirst() {
    if constexpr (Dims == 3) {
        const int members = static_cast<int>(m_memberIndex.size());
        if (members == 0) {
            return;
        }
        if (m_pointWeights != nullptr) {
            m_memberWeights.resize(m_memberIndex.size());
            CoreStretches{m_memberIndex.size()}.ForEach(
                [&](int /*k*/, std::size_t begin, std::size_t end) {
                    for (std::size_t m = begin; m < end; ++m) {
                        m_memberWeights[m] = m_pointWeights[m_memberIndex[m]];
                    }
                });
        }
        const std::array<double, Dims> kappa = GaussianExponents();
        std::array<double, Dims> low;
        std::array<double, Dims> high;
        low.fill(INFINITY);
        high.fill(-INFINITY);
        for (const Point<Dims>& p : m_memberPoints) {
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], p.c[a]);
                high[a] = std::max(high[a], p.c[a]);
            }
        }
        std::array<KernelGrid::Axis, 3> whole = GridRegion(low, high, kappa);
        const auto* records = reinterpret_cast<const double*>(m_memberPoints.data());
        const std::size_t nodes =
            std::min(CoarseGridNodes, CoarseNodesPerMember * m_memberIndex.size());
        KernelGrid grid;
        if (!grid.Prepare(whole, CoarseNodesPerHalf, nodes, false)) {
            m_memberWeights = {};
            SumBoundedHighestFirst();
            return;
        }
        grid.Spread(records, m_memberWeights.empty() ? nullptr : m_memberWeights.data(), 0,
                    m_memberIndex.size());
        grid.Finish();
        // Step 1, in member order, a stretch of members at a time so that a stop is heard.
        int first = 0;
        for (int begin = 0; begin < members; begin += GridBoundStretch) {
            if (m_ticker.Check(Done(begin) / 2)) {
                return;
            }
            const int end = std::min(members, begin + GridBoundStretch);
            cv::parallel_for_(cv::Range(begin, end), [&](const cv::Range& range) {
                for (int m = range.start; m < range.end; ++m) {
                    m_sums[m] = grid.BoundAt(m_memberPoints[m].c.data());
                }
            });
            for (int m = begin; m < end; ++m) {
                first = m_sums[m] > m_sums[first] ? m : first;
            }
        }
        grid = {};
        RunCursor cursor;
        m_firstSum = KernelSumOfMember(first, cursor);
        std::vector<BoundedMember> ranked;
        for (int m = 0; m < members; ++m) {
            if (m_sums[m] > m_firstSum && m != first) {
                ranked.push_back({m_sums[m], m});
            }
        }
        FillOnEveryCore(m_sums, 0.0);
        m_sums[m_memberIndex[first]] = m_firstSum;
        for (int perHalf : FineNodesPerHalf) {
            RefineInBoxes(ranked, m_firstSum, perHalf);
            if (m_ticker.Stopped()) {
                return;
            }
            RaiseFirstSum(ranked, first);
        }
        std::sort(ranked.begin(), ranked.end(), [](const BoundedMember& a, const BoundedMember& b) {
            return a.bound != b.bound ? a.bound > b.bound : a.member < b.member;
        });
        double heaviest = 1.0;
        for (double w : m_memberWeights) {
            heaviest = std::max(heaviest, w);
        }
        const auto sumOf = [&](int m, MemberScratch& scratch) {
            m_sums[m_memberIndex[m]] = KernelSumOfMember(m, scratch.cursor);
        };
        SumWhileBoundBeatsHighest(
            ranked, sumOf, m_firstSum,
            {std::isfinite(heaviest) ? heaviest : 0.0, KernelSumBatchPartners});
    }
}

}  // namespace korvane::estimate
