// Counting a cut run by place codes against the box test taken member by member.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "density/Distance.h"
#include "density/estimate/PlaceCodes.h"

namespace korvane::estimate {
namespace {

// The edges split every q as the strict test does: for events near zero, far from it, with an
// edge at or near zero (where the doubles are dense), a box narrower than the spacing of
// doubles at the event, and one reaching past the largest double. An event or box that is
// not finite has no edges.
TEST(PlaceCodesTest, BoxEdgesSplitAsTheTestDoes) {
    const struct {
        double p;
        double half;
    } cases[] = {{0.3, 0.625}, {-41.217, 0.625}, {1e-9, 3.0}, {6.4e6, 0.01},   {1e20, 1.0},
                 {0.5, 0.5},   {0.619, 0.625},   {-0.5, 0.5}, {1.7e308, 1e308}};
    for (const auto& c : cases) {
        BoxEdges e{};
        ASSERT_TRUE(FindBoxEdges(c.p, c.half, e)) << c.p;
        EXPECT_FALSE(WithinStrict(c.p, e.failLow, c.half)) << c.p;
        EXPECT_TRUE(WithinStrict(c.p, e.passLow, c.half)) << c.p;
        EXPECT_TRUE(WithinStrict(c.p, e.passHigh, c.half)) << c.p;
        EXPECT_FALSE(WithinStrict(c.p, e.failHigh, c.half)) << c.p;
        EXPECT_EQ(e.passLow, std::nextafter(e.failLow, INFINITY)) << c.p;
        EXPECT_EQ(e.passHigh, std::nextafter(e.failHigh, -INFINITY)) << c.p;
    }
    BoxEdges e{};
    EXPECT_FALSE(FindBoxEdges(INFINITY, 1.0, e));
    EXPECT_FALSE(FindBoxEdges(0.0, NAN, e));
}

// Members on a grid of thousandths (so many lie exactly on an edge), in columns the box covers,
// cuts on one axis or two, or misses; runs of every length up to a few steps of eight.
TEST(PlaceCodesTest, SurePassesAndTheExactTestOfTheRestCountAsTheTest) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> thousandths(0, 2000);
    const std::array<double, 2> half{0.625, 0.5};
    const std::array<double, 2> cell{0.08, 0.07};
    const std::array<double, 2> scale{16384.0 / cell[0], 16384.0 / cell[1]};
    std::vector<int> unsure(64);
    for (int trial = 0; trial < 400; ++trial) {
        const std::array<double, 2> p{thousandths(random) / 1000.0, thousandths(random) / 1000.0};
        std::array<BoxEdges, 2> edges{};
        ASSERT_TRUE(FindBoxEdges(p[0], half[0], edges[0]) && FindBoxEdges(p[1], half[1], edges[1]));
        // A column's corner near one of the box's edges, or anywhere.
        std::array<double, 2> low{};
        for (int a = 0; a < 2; ++a) {
            const int where = static_cast<int>(random() % 4);
            low[a] = where == 0   ? p[a] - half[a] - cell[a] / 2
                     : where == 1 ? p[a] + half[a] - cell[a] / 2
                                  : thousandths(random) / 1000.0;
            low[a] = std::round(low[a] * 1000.0) / 1000.0;
        }
        const int n = trial % 40;
        std::vector<std::uint32_t> codes;
        std::vector<std::array<double, 2>> members;
        for (int q = 0; q < n; ++q) {
            std::array<double, 2> m{};
            for (int a = 0; a < 2; ++a) {
                const int steps =
                    static_cast<int>(random() % static_cast<unsigned>(cell[a] * 1000));
                m[a] = (std::round(low[a] * 1000.0) + steps) / 1000.0;
                m[a] = std::max(m[a], low[a]);
            }
            members.push_back(m);
            codes.push_back(
                PackCodes(PlaceCode(m[0], low[0], scale[0]), PlaceCode(m[1], low[1], scale[1])));
        }
        int unsureCount = -1;
        int counted = CountSurePasses(codes.data(), n, EdgeCodesIn(edges, low, scale),
                                      unsure.data(), unsureCount);
        int tested = 0;
        for (int u = 0; u < unsureCount; ++u) {
            const std::array<double, 2>& m = members[static_cast<std::size_t>(unsure[u])];
            counted += WithinStrict(p[0], m[0], half[0]) && WithinStrict(p[1], m[1], half[1]);
        }
        for (const std::array<double, 2>& m : members) {
            tested += WithinStrict(p[0], m[0], half[0]) && WithinStrict(p[1], m[1], half[1]);
        }
        ASSERT_EQ(counted, tested) << trial;
        ASSERT_LE(unsureCount, n) << trial;
    }
}

}  // namespace
}  // namespace korvane::estimate
