#include "density/estimate/SubCellBlocks.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace korvane::estimate {

namespace {

// A sub-cell's places are widened on each side by this share of the column's width, plus this
// share of the larger magnitude of its ends: far more than the rounding of PartOf's operations
// and of the edges' own can move a coordinate across an edge (a few units in the last place of
// the ends, and of the width).
constexpr double WidthMargin = 1.0 / 16777216.0;              // 2^-24
constexpr double MagnitudeMargin = 1.0 / 1125899906842624.0;  // 2^-50

int BlocksOf(int members) {
    return (members + SubCellBlocks::BlockMembers - 1) / SubCellBlocks::BlockMembers;
}

using BlockFrame = SubCellBlocks::BlockFrame;
constexpr int Cells = SubCellBlocks::Cells;

double TableAt(const BlockFrame& frame, double steps) {
    const double last = frame.lastEntry;
    return frame.table[static_cast<std::size_t>(steps < last ? steps : last)];
}

double BlockBoundsOneByOne(const std::uint8_t* counts, const double* depths, int n,
                           const BlockFrame& frame) {
    double total = 0.0;
    for (int b = 0; b < n; ++b) {
        for (int cell = 0; cell < Cells; ++cell) {
            const std::uint8_t count = counts[static_cast<std::ptrdiff_t>(b) * Cells + cell];
            if (count != 0 && (frame.may >> cell & 1U) != 0) {
                total += count * TableAt(frame, frame.steps[cell] + depths[b]);
            }
        }
    }
    return total;
}

// The masked forms with every lane on: the plain ones leave part of a register unset, which
// the compiler warns of.
constexpr __mmask8 AllEight = 0xFF;

// Sixteen cells a block in two registers of eight; cells that may not pass are neither read
// from the table nor added. The minimum takes the last entry for a step that is not a number,
// as TableAt does.
__attribute__((target("avx512f,avx2"))) double BlockBoundsEightWide(const std::uint8_t* counts,
                                                                    const double* depths, int n,
                                                                    const BlockFrame& frame) {
    static_assert(Cells == 16);
    const __m512d low = _mm512_loadu_pd(frame.steps.data());
    const __m512d high = _mm512_loadu_pd(frame.steps.data() + 8);
    const auto mayLow = static_cast<__mmask8>(frame.may & 0xFFU);
    const auto mayHigh = static_cast<__mmask8>(frame.may >> 8 & 0xFFU);
    const __m512d last = _mm512_set1_pd(frame.lastEntry);
    __m512d total = _mm512_setzero_pd();
    for (int b = 0; b < n; ++b) {
        const __m512d depth = _mm512_set1_pd(depths[b]);
        const __m128i bytes = _mm_loadu_si128(
            reinterpret_cast<const __m128i*>(counts + static_cast<std::ptrdiff_t>(b) * Cells));
        const __m256i countLow32 = _mm256_cvtepu8_epi32(bytes);
        const __m256i countHigh32 = _mm256_cvtepu8_epi32(_mm_srli_si128(bytes, 8));
        const __m512d countLow = _mm512_maskz_cvtepi32_pd(AllEight, countLow32);
        const __m512d countHigh = _mm512_maskz_cvtepi32_pd(AllEight, countHigh32);
        const __m256i indexLow = _mm512_maskz_cvttpd_epi32(
            AllEight, _mm512_maskz_min_pd(AllEight, _mm512_add_pd(low, depth), last));
        const __m256i indexHigh = _mm512_maskz_cvttpd_epi32(
            AllEight, _mm512_maskz_min_pd(AllEight, _mm512_add_pd(high, depth), last));
        const __m512d boundLow =
            _mm512_mask_i32gather_pd(_mm512_setzero_pd(), mayLow, indexLow, frame.table, 8);
        const __m512d boundHigh =
            _mm512_mask_i32gather_pd(_mm512_setzero_pd(), mayHigh, indexHigh, frame.table, 8);
        total = _mm512_add_pd(total, _mm512_mul_pd(countLow, boundLow));
        total = _mm512_add_pd(total, _mm512_mul_pd(countHigh, boundHigh));
    }
    alignas(64) std::array<double, 8> lanes{};
    _mm512_store_pd(lanes.data(), total);
    _mm256_zeroupper();
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
           ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

}  // namespace

int SubCellBlocks::PartOf(double x, Extent extent) {
    const double width = extent.high - extent.low;
    if (!(width > 0.0)) {
        return 0;
    }
    const double part = std::floor((x - extent.low) / width * Parts);
    return static_cast<int>(std::clamp(part, 0.0, static_cast<double>(Parts - 1)));
}

std::array<SubCellBlocks::Extent, SubCellBlocks::Parts> SubCellBlocks::PartExtents(Extent extent) {
    const double width = extent.high - extent.low;
    const double margin = width * WidthMargin +
                          std::max(std::fabs(extent.low), std::fabs(extent.high)) * MagnitudeMargin;
    // The first and last sub-cells reach the column's own ends: no member lies beyond them.
    std::array<Extent, Parts> places{};
    places[0].low = extent.low;
    for (int part = 1; part < Parts; ++part) {
        const double edge = extent.low + width * part / Parts;
        places[part - 1].high = edge + margin;
        places[part].low = edge - margin;
    }
    places[Parts - 1].high = extent.high;
    return places;
}

void SubCellBlocks::Reserve(const std::vector<int>& starts) {
    const std::size_t columns = starts.empty() ? 0 : starts.size() - 1;
    m_firstBlock.resize(columns);
    std::uint32_t blocks = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        m_firstBlock[c] = blocks;
        blocks += static_cast<std::uint32_t>(BlocksOf(starts[c + 1] - starts[c]));
    }
    m_counts.resize(static_cast<std::size_t>(blocks) * Cells);
}

void SubCellBlocks::CountColumn(int c, int begin, int end, const std::array<Extent, 2>& extents,
                                const double* records) {
    std::uint8_t* counts = m_counts.data() + static_cast<std::size_t>(m_firstBlock[c]) * Cells;
    std::fill(counts, counts + static_cast<std::size_t>(BlocksOf(end - begin)) * Cells, 0);
    for (int m = begin; m < end; ++m) {
        const double* record = records + static_cast<std::ptrdiff_t>(4) * m;
        const int cell = PartOf(record[0], extents[0]) + Parts * PartOf(record[1], extents[1]);
        ++counts[static_cast<std::size_t>((m - begin) / BlockMembers) * Cells + cell];
    }
}

bool SubCellBlocks::WideBlockBounds() {
    static const bool wide = __builtin_cpu_supports("avx512f");
    return wide;
}

double SubCellBlocks::BlockBounds(const std::uint8_t* counts, const double* depths, int n,
                                  const BlockFrame& frame, bool wide) {
    return wide && WideBlockBounds() ? BlockBoundsEightWide(counts, depths, n, frame)
                                     : BlockBoundsOneByOne(counts, depths, n, frame);
}

}  // namespace korvane::estimate
