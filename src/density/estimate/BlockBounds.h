#pragma once
// A closer bound of one neighbouring run, block by block of its column's members counted by
// sub-cell (SubCellBlocks.h), before any pair's bound.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

// A bound of the kernel bounds of the members [lo, hi) of one column against p (unweighted,
// three axes), block by block (SubCellBlocks): each sub-cell's members at its nearest place
// to p on the gridded axes (none where that place fails the box) and at the block's
// nearest place on the last axis. The members before the first whole block and after the
// last go together at the nearest of those sub-cells' places and their own nearest place
// on the last axis.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::BlockBoundOfRun(const Point<Dims>& p, int lo,
                                                         int hi) const {
    constexpr int Block = SubCellBlocks::BlockMembers;
    constexpr int Parts = SubCellBlocks::Parts;
    const int column = m_memberColumn[lo];
    const int start = m_starts[column];
    SubCellBlocks::BlockFrame frame{
        {}, 0U, m_kernelBounds.data(), static_cast<int>(m_kernelBounds.size() - 1)};
    // Each sub-cell's share of the squared steps on the gridded axes, in axis order.
    std::array<std::array<double, Parts>, 2> share{};
    std::array<std::array<bool, Parts>, 2> passes{};
    for (int axis = 0; axis < 2; ++axis) {
        const double x = p.c[axis];
        const std::array<SubCellBlocks::Extent, Parts> parts =
            SubCellBlocks::PartExtents({m_columnLow[column][axis], m_columnHigh[column][axis]});
        for (int part = 0; part < Parts; ++part) {
            const SubCellBlocks::Extent& places = parts[part];
            share[axis][part] = StepsOutside(x, places.low, places.high, axis);
            passes[axis][part] =
                WithinStrict(x, std::clamp(x, places.low, places.high), m_half[axis]);
        }
    }
    double nearest = INFINITY;  // the fewest steps of a sub-cell that may pass
    for (int j = 0; j < Parts; ++j) {
        for (int i = 0; i < Parts; ++i) {
            const double steps = share[0][i] + share[1][j];
            frame.steps[i + Parts * j] = steps;
            if (passes[0][i] && passes[1][j]) {
                frame.may |= 1U << (i + Parts * j);
                nearest = std::min(nearest, steps);
            }
        }
    }
    if (frame.may == 0) {
        return 0.0;  // no member can pass
    }
    const auto depthOf = [&](int from, int to) {  // members [from, to), to > from
        return StepsOutside(p.c[Dims - 1], m_memberLast[from], m_memberLast[to - 1], Dims - 1);
    };
    const int first = std::min((lo - start + Block - 1) / Block, (hi - start) / Block);
    const int end = (hi - start) / Block;
    double total = 0.0;
    for (const auto& [from, to] :
         {std::pair{lo, start + first * Block}, std::pair{std::max(lo, start + end * Block), hi}}) {
        if (to > from) {
            total += (to - from) * BoundAtSteps(nearest + depthOf(from, to));
        }
    }
    constexpr int Chunk = 64;
    std::array<double, Chunk> depths{};
    for (int b = first; b < end; b += Chunk) {
        const int n = std::min(Chunk, end - b);
        for (int k = 0; k < n; ++k) {
            const int from = start + (b + k) * Block;
            depths[static_cast<std::size_t>(k)] = depthOf(from, from + Block);
        }
        total += SubCellBlocks::BlockBounds(m_subCells.Counts(column, b), depths.data(), n, frame);
    }
    return total;
}

// Each column's blocks counted by sub-cell (SubCellBlocks), for unweighted kernel sums over
// three box axes: their coarse bounds then give way to closer ones before any pair's.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::CountSubCells() {
    if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
        if (!m_coarse || !m_kernelBounded || m_pointWeights != nullptr) {
            return;
        }
        m_subCells.Reserve(m_starts);
        const int columns = static_cast<int>(m_keys.size());
        cv::parallel_for_(cv::Range(0, columns), [&](const cv::Range& range) {
            for (int c = range.start; c < range.end; ++c) {
                m_subCells.CountColumn(c, m_starts[c], m_starts[c + 1],
                                       {{{m_columnLow[c][0], m_columnHigh[c][0]},
                                         {m_columnLow[c][1], m_columnHigh[c][1]}}},
                                       reinterpret_cast<const double*>(m_memberPoints.data()));
            }
        });
    }
}

}  // namespace korvane::estimate
