// Blocks of a column's members counted by sub-cell: every member lies within its sub-cell's
// places, the counts add up, and the wide block bounds agree with the one-by-one sum.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "density/estimate/SubCellBlocks.h"

namespace korvane::estimate {
namespace {

TEST(SubCellBlocksTest, EveryCoordinateLiesWithinItsSubCellsPlaces) {
    const struct {
        const char* name;
        SubCellBlocks::Extent extent;
    } cases[] = {
        {"unit", {0.0, 1.0}},
        {"negative", {-3.7, -1.2}},
        {"far from the origin, narrow", {1e12, 1e12 + 1e-3}},
        {"tiny", {1e-300, 3e-300}},
        {"one place", {2.5, 2.5}},
        // Where an edge, rounded, lands just past a coordinate that PartOf puts beyond it.
        {"edge rounded up, second", {-94.33050469559873, 4233.907407287031}},
        {"edge rounded up, last", {-0.03133150574428041, 0.227163485437889}},
        {"edge rounded up, negative", {-54.92519733627958, 91.62189688902649}},
    };
    std::mt19937_64 random(5);
    for (const auto& c : cases) {
        std::uniform_real_distribution<double> along(c.extent.low, c.extent.high);
        std::vector<double> xs{c.extent.low, c.extent.high};
        for (int part = 1; part < SubCellBlocks::Parts; ++part) {
            // Around the edges between sub-cells, where rounding decides.
            const double edge = c.extent.low + (c.extent.high - c.extent.low) * part / 4;
            xs.insert(xs.end(),
                      {edge, std::nextafter(edge, -INFINITY), std::nextafter(edge, INFINITY)});
        }
        for (int k = 0; k < 10000; ++k) {
            xs.push_back(along(random));
        }
        for (double x : xs) {
            if (x < c.extent.low || x > c.extent.high) {
                continue;
            }
            const int part = SubCellBlocks::PartOf(x, c.extent);
            ASSERT_GE(part, 0) << c.name;
            ASSERT_LT(part, SubCellBlocks::Parts) << c.name;
            const SubCellBlocks::Extent places = SubCellBlocks::PartExtents(c.extent)[part];
            EXPECT_LE(places.low, x) << c.name << " part " << part;
            EXPECT_GE(places.high, x) << c.name << " part " << part;
        }
    }
}

TEST(SubCellBlocksTest, CountsAddUpAndWideBoundsMatchOneByOne) {
    std::mt19937_64 random(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // Two columns of 100 and 64 members: four blocks (the last of 4) and two.
    const std::vector<int> starts{0, 100, 164};
    std::vector<double> records(4 * 164);
    for (double& value : records) {
        value = unit(random);
    }
    SubCellBlocks blocks;
    blocks.Reserve(starts);
    const std::array<SubCellBlocks::Extent, 2> extents{{{0.0, 1.0}, {0.0, 1.0}}};
    for (int c = 0; c < 2; ++c) {
        blocks.CountColumn(c, starts[c], starts[c + 1], extents, records.data());
    }
    for (int c = 0; c < 2; ++c) {
        for (int m = starts[c]; m < starts[c + 1]; m += SubCellBlocks::BlockMembers) {
            const int b = (m - starts[c]) / SubCellBlocks::BlockMembers;
            std::array<int, SubCellBlocks::Cells> expected{};
            int inBlock = 0;
            for (int q = m; q < std::min(starts[c + 1], m + SubCellBlocks::BlockMembers); ++q) {
                ++expected[SubCellBlocks::PartOf(records[4 * q], extents[0]) +
                           SubCellBlocks::Parts *
                               SubCellBlocks::PartOf(records[4 * q + 1], extents[1])];
                ++inBlock;
            }
            int total = 0;
            for (int cell = 0; cell < SubCellBlocks::Cells; ++cell) {
                EXPECT_EQ(blocks.Counts(c, b)[cell], expected[cell]) << c << " " << b;
                total += blocks.Counts(c, b)[cell];
            }
            EXPECT_EQ(total, inBlock);
        }
    }
    // The bounds of the first column's blocks: a falling table, steps past its end, some
    // sub-cells that may not pass.
    std::vector<double> table(50);
    for (std::size_t e = 0; e < table.size(); ++e) {
        table[e] = std::exp(-0.1 * static_cast<double>(e));
    }
    SubCellBlocks::BlockFrame frame{{}, 0xB7F5U, table.data(), 49};
    for (int cell = 0; cell < SubCellBlocks::Cells; ++cell) {
        frame.steps[cell] = 4.0 * cell;  // the last few run past the table
    }
    const std::vector<double> depths{0.0, 3.5, 10.25, 60.0};
    long double expected = 0.0L;
    for (int b = 0; b < 4; ++b) {
        for (int cell = 0; cell < SubCellBlocks::Cells; ++cell) {
            if ((frame.may >> cell & 1U) != 0) {
                const double steps = std::min(frame.steps[cell] + depths[b], 49.0);
                expected += blocks.Counts(0, b)[cell] * table[static_cast<std::size_t>(steps)];
            }
        }
    }
    for (bool wide : {false, true}) {
        const double bound =
            SubCellBlocks::BlockBounds(blocks.Counts(0, 0), depths.data(), 4, frame, wide);
        EXPECT_NEAR(bound, static_cast<double>(expected), 1e-12 * static_cast<double>(expected))
            << (wide ? "wide" : "one by one");
    }
}

}  // namespace
}  // namespace korvane::estimate
