#include "density/estimate/CodeTallies.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace korvane::estimate {

namespace {

// A code's bin: the codes never fall as the coordinate grows, nor do their bins.
int BinOf(std::int16_t code) {
    return std::min(CodeTallies::Bins - 1, std::max(0, static_cast<int>(code)) >> 9);
}

int WholeBlocks(int members) {
    return members / CodeTallies::Block;
}

}  // namespace

void CodeTallies::Reserve(const std::vector<int>& starts) {
    const std::size_t columns = starts.empty() ? 0 : starts.size() - 1;
    m_firstRow.resize(columns);
    std::uint32_t rows = 0;  // below 2^32: a row per 64 members
    for (std::size_t c = 0; c < columns; ++c) {
        m_firstRow[c] = rows;
        rows += static_cast<std::uint32_t>(WholeBlocks(starts[c + 1] - starts[c]));
    }
    m_rows.resize(static_cast<std::size_t>(rows) * RowLength);
}

void CodeTallies::TallyColumn(int c, int begin, int end, const std::uint32_t* codes) {
    const int blocks = WholeBlocks(end - begin);
    std::int32_t* row = m_rows.data() + static_cast<std::size_t>(m_firstRow[c]) * RowLength;
    std::array<std::int32_t, RowLength> before{};
    for (int b = 0; b < blocks; ++b, row += RowLength) {
        std::array<std::int32_t, RowLength> inBlock{};
        for (int m = begin + b * Block; m < begin + (b + 1) * Block; ++m) {
            for (int axis = 0; axis < 2; ++axis) {
                ++inBlock[axis * Bins + BinOf(CodeOn(codes[m], axis))];
            }
        }
        for (int axis = 0; axis < 2; ++axis) {
            std::int32_t upTo = 0;
            for (int bin = axis * Bins; bin < (axis + 1) * Bins; ++bin) {
                upTo += inBlock[bin];
                row[bin] = before[bin] + upTo;
            }
        }
        std::copy(row, row + RowLength, before.begin());
    }
}

int CodeTallies::MostPassing(int c, int begin, int lo, int hi, const EdgeCodes& edges,
                             const std::uint32_t* codes) const {
    const int firstBlock = (lo - begin + Block - 1) / Block;
    const int endBlock = (hi - begin) / Block;
    if (firstBlock >= endBlock) {
        return CountMaybePasses(codes + lo, hi - lo, edges);
    }
    // The members before the first whole block and after the last, one by one.
    const int wholeLo = begin + firstBlock * Block;
    const int wholeHi = begin + endBlock * Block;
    const int partial = CountMaybePasses(codes + lo, wholeLo - lo, edges) +
                        CountMaybePasses(codes + wholeHi, hi - wholeHi, edges);
    // The whole blocks by bins: on each axis every member in a bin the box's codes reach;
    // passing on both axes, no more than the fewer of the two.
    const std::int32_t* rows = m_rows.data() + static_cast<std::size_t>(m_firstRow[c]) * RowLength;
    int whole = wholeHi - wholeLo;
    for (int axis = 0; axis < 2; ++axis) {
        const int low = axis * Bins + BinOf(CodeOn(edges.failLow, axis));
        const int high = axis * Bins + BinOf(CodeOn(edges.failHigh, axis));
        // The members of the first `blocks` blocks in bins low to high.
        const auto inBins = [&](int blocks) {
            if (blocks == 0) {
                return 0;
            }
            const std::int32_t* row = rows + static_cast<std::size_t>(blocks - 1) * RowLength;
            return row[high] - (low > axis * Bins ? row[low - 1] : 0);
        };
        whole = std::min(whole, inBins(endBlock) - inBins(firstBlock));
    }
    return whole + partial;
}

}  // namespace korvane::estimate
