// The tallies' bound on a cut run's passes against the codes read one by one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "density/estimate/CodeTallies.h"
#include "density/estimate/PlaceCodes.h"

namespace korvane::estimate {
namespace {

bool Within(std::int16_t code, std::uint32_t low, std::uint32_t high, int axis) {
    return code >= CodeOn(low, axis) && code <= CodeOn(high, axis);
}

// Columns of 0 to 300 members (whole blocks and not), codes crowded near a few values so that
// edges fall inside full bins, runs anywhere in them. The bound must hold every member the
// codes cannot rule out, and count on each axis the whole blocks' members of the bins the
// box's codes reach, the fewer of the two, plus the rest's members not ruled out.
TEST(CodeTalliesTest, BoundHoldsEveryPossiblePassAndOnlyTheEdgeBinsMore) {
    std::mt19937 random(5);
    const std::vector<int> sizes{0, 1, 63, 64, 65, 128, 300, 7, 200};
    std::vector<int> starts{0};
    for (int size : sizes) {
        starts.push_back(starts.back() + size);
    }
    const auto code = [&]() {
        const int around = std::vector<int>{-1, 0, 511, 512, 8000, 16383, 16384}[random() % 7];
        return static_cast<std::int16_t>(
            std::clamp(around + static_cast<int>(random() % 1200) - 600, -1, 32767));
    };
    std::vector<std::uint32_t> codes;
    for (int m = 0; m < starts.back(); ++m) {
        codes.push_back(PackCodes(code(), code()));
    }
    CodeTallies tallies;
    tallies.Reserve(starts);
    for (int c = static_cast<int>(sizes.size()) - 1; c >= 0; --c) {
        tallies.TallyColumn(c, starts[c], starts[c + 1], codes.data());
    }
    const auto bin = [](std::int16_t value) { return std::min(31, std::max(0, +value) >> 9); };
    for (int trial = 0; trial < 3000; ++trial) {
        const int c = static_cast<int>(random() % sizes.size());
        const int size = sizes[c];
        int lo = starts[c] + static_cast<int>(random() % (size + 1));
        int hi = starts[c] + static_cast<int>(random() % (size + 1));
        if (lo > hi) {
            std::swap(lo, hi);
        }
        std::int16_t low[2];
        std::int16_t high[2];
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = code();
            high[axis] = std::max(low[axis], code());
        }
        const EdgeCodes edges{PackCodes(low[0], low[1]), PackCodes(low[0] + 1, low[1] + 1),
                              PackCodes(high[0] - 1, high[1] - 1), PackCodes(high[0], high[1])};
        int possible = 0;  // members not ruled out on either axis
        int outsideBlocks = 0;
        int inBins[2] = {0, 0};
        for (int m = lo; m < hi; ++m) {
            const bool kept = Within(CodeOn(codes[m], 0), edges.failLow, edges.failHigh, 0) &&
                              Within(CodeOn(codes[m], 1), edges.failLow, edges.failHigh, 1);
            possible += kept ? 1 : 0;
            const int block = (m - starts[c]) / CodeTallies::Block;
            const bool whole = block * CodeTallies::Block + starts[c] >= lo &&
                               (block + 1) * CodeTallies::Block + starts[c] <= hi;
            if (!whole) {
                outsideBlocks += kept ? 1 : 0;
                continue;
            }
            for (int axis = 0; axis < 2; ++axis) {
                const int b = bin(CodeOn(codes[m], axis));
                inBins[axis] += b >= bin(low[axis]) && b <= bin(high[axis]) ? 1 : 0;
            }
        }
        const int bound = tallies.MostPassing(c, starts[c], lo, hi, edges, codes.data());
        EXPECT_GE(bound, possible) << trial;
        EXPECT_EQ(bound, std::min(inBins[0], inBins[1]) + outsideBlocks) << trial;
        EXPECT_EQ(CountMaybePasses(codes.data() + lo, hi - lo, edges), possible) << trial;
    }
}

}  // namespace
}  // namespace korvane::estimate
