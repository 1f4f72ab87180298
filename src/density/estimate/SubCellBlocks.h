#pragma once
// How the members of each column spread over the column's cross-section, a block of members at
// a time: for every BlockMembers members of a column (from its first, in its order), how many lie
// in each of the Parts x Parts sub-cells of the column's extent on the two gridded axes. A
// block's kernel bound can then take each sub-cell's nearest place to an event and the block's
// range on the last axis instead of each member's place: 16 terms for 32 members, and much
// closer than the column's nearest corner alone.

#include <array>
#include <cstdint>
#include <vector>

#include "common/FillLaterVector.h"

namespace korvane::estimate {

class SubCellBlocks {
  public:
    static constexpr int BlockMembers = 32;
    static constexpr int Parts = 4;  // sub-cells per gridded axis
    static constexpr int Cells = Parts * Parts;

    // One gridded axis of a column: its extent [low, high].
    struct Extent {
        double low;
        double high;
    };

    // The sub-cell a coordinate of the column falls in on one axis, 0 to Parts - 1.
    static int PartOf(double x, Extent extent);

    // The places of each sub-cell on one axis: every member PartOf puts in a sub-cell lies
    // within its places (widened a little past the rounding of PartOf and of the edges).
    static std::array<Extent, Parts> PartExtents(Extent extent);

    // Room for the columns whose members start at starts[c] (starts ends with the number of
    // members). Each column is then counted by CountColumn, in any order, on any thread.
    void Reserve(const std::vector<int>& starts);

    // Column c, whose members are [begin, end), with its extents on the two gridded axes; the
    // members' coordinates on them are at records[4 m] and records[4 m + 1].
    void CountColumn(int c, int begin, int end, const std::array<Extent, 2>& extents,
                     const double* records);

    bool Empty() const { return m_counts.empty(); }

    // What the bounds of one column's blocks against one event share: each sub-cell's squared
    // steps on the gridded axes and whether its nearest place passes the box (bit i for sub-cell
    // i), and the table of kernel bounds by step (every step beyond lastEntry takes that entry).
    struct BlockFrame {
        std::array<double, Cells> steps;
        std::uint32_t may;
        const double* table;
        int lastEntry;
    };

    // Whether this processor takes the block bounds eight cells at a time (AVX-512).
    static bool WideBlockBounds();

    // The sum, over n consecutive blocks from `counts` and the sub-cells that may pass, of the
    // count times the table's entry at the sub-cell's steps plus the block's `depths` (its
    // squared steps on the last axis), in some order: eight cells at a time if `wide` (only
    // where WideBlockBounds allows; the tests try both).
    static double BlockBounds(const std::uint8_t* counts, const double* depths, int n,
                              const BlockFrame& frame, bool wide = WideBlockBounds());

    // The counts of block b of column c: Cells entries, sub-cell i + Parts j for part i on the
    // first axis and j on the second.
    const std::uint8_t* Counts(int c, int b) const {
        return m_counts.data() + (static_cast<std::size_t>(m_firstBlock[c]) + b) * Cells;
    }

  private:
    std::vector<std::uint32_t> m_firstBlock;  // of each column
    FillLaterVector<std::uint8_t> m_counts;   // Cells per block, every one written by CountColumn
};

}  // namespace korvane::estimate
