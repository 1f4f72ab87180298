#pragma once
// Running tallies of the columns' place codes by coarse bin, taken after every Block members
// of a column: how many members of a run can pass a box then follows from a few entries
// instead of a look at every member. The answer is an upper bound (a bin that a box's edge
// lies in counts whole), close enough to settle most counts that cannot be the highest
// without reading a code.

#include <cstdint>
#include <vector>

#include "common/FillLaterVector.h"
#include "density/estimate/PlaceCodes.h"

namespace korvane::estimate {

class CodeTallies {
  public:
    static constexpr int Block = 64;  // members from one tally of a column to the next
    static constexpr int Bins = 32;   // of 512 codes each; the codes above the last go in it

    // Room for the tallies of the columns whose members start at starts[c] (starts ends with
    // the number of members). Each column is then tallied by TallyColumn, in any order.
    void Reserve(const std::vector<int>& starts);

    // The tallies of column c, whose members are [begin, end), from their packed codes.
    void TallyColumn(int c, int begin, int end, const std::uint32_t* codes);

    // At least as many as the members of [lo, hi) in column c (whose members start at
    // `begin`) that pass a box whose edge codes in the column are `edges`: no fewer than those
    // whose codes lie from failLow to failHigh on both axes. `codes` are the members' codes.
    int MostPassing(int c, int begin, int lo, int hi, const EdgeCodes& edges,
                    const std::uint32_t* codes) const;

  private:
    // A column's tallies, one row per whole block: row r, entry axis * Bins + bin, holds the
    // members of the first r + 1 blocks whose code on the axis lies in that bin or a lower one.
    static constexpr int RowLength = 2 * Bins;

    std::vector<std::uint32_t> m_firstRow;  // of each column
    FillLaterVector<std::int32_t> m_rows;   // every entry written by TallyColumn
};

}  // namespace korvane::estimate
