// The kernel weights and exponential at every lane width against the one-at-a-time ones, bit
// for bit.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "density/KernelBox.h"

namespace korvane::testing {
namespace {

std::uint64_t Bits(double x) {
    return std::bit_cast<std::uint64_t>(x);
}

// Every width this machine can take: each is checked on its own, whichever the fill picks.
std::vector<LaneWidth> Widths() {
    std::vector<LaneWidth> widths;
    for (LaneWidth width : {LaneWidth::One, LaneWidth::Four, LaneWidth::Eight}) {
        if (width <= WidestLaneWidth()) {
            widths.push_back(width);
        }
    }
    return widths;
}

// Every argument a kernel can give, -9.43 (the corner of a box in space) to 0, in 2^22
// steps, then random doubles over the whole range and the edges of the main path.
TEST(KernelBoxTest, ExpHasTheLibraryBitsOnADenseSweepAndAtTheEdges) {
    std::vector<double> x;
    constexpr int Steps = 1 << 22;
    for (int i = 0; i <= Steps; ++i) {
        x.push_back(-9.43 * i / Steps);
    }
    std::mt19937_64 random(22);
    std::uniform_real_distribution<double> wide(-745.0, 710.0);
    for (int i = 0; i < (1 << 18); ++i) {
        x.push_back(wide(random));
    }
    const double inf = std::numeric_limits<double>::infinity();
    for (double edge : {0x1p-54, 0x1p-55, 512.0, 511.999, 709.8, 710.0, -745.2, -708.5, -0.0, inf,
                        -inf, std::numeric_limits<double>::quiet_NaN()}) {
        x.insert(x.end(), {edge, -edge, std::nextafter(edge, 0.0)});
    }
    for (LaneWidth width : Widths()) {
        std::vector<double> fast(x.size());
        ExpOfEach(x.data(), static_cast<int>(x.size()), fast.data(), width);
        int differing = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            differing += Bits(fast[i]) != Bits(std::exp(x[i])) ? 1 : 0;
        }
        EXPECT_EQ(differing, 0) << "lanes " << static_cast<int>(width);
    }
}

// Boxes of one to four rows of every width up to 13 (whole groups of four or eight and one
// to seven left over), with pixels on the event (a zero exponent leaves the main path).
TEST(KernelBoxTest, BoxWeightsMatchTheKernelOneAtATime) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> share(0.0, 25.0);
    for (int rows = 1; rows <= 4; ++rows) {
        for (int columns = 1; columns <= 13; ++columns) {
            for (int trial = 0; trial < 50; ++trial) {
                std::vector<double> across(static_cast<std::size_t>(columns));
                std::vector<double> up(static_cast<std::size_t>(rows));
                for (double& a : across) {
                    a = trial % 5 == 0 ? 0.0 : share(random);
                }
                for (double& u : up) {
                    u = trial % 3 == 0 ? 0.0 : share(random);
                }
                const double depth = trial % 4 == 0 ? 0.0 : share(random);
                const double radius = 1.0 + trial % 5;
                for (LaneWidth width : Widths()) {
                    // Eight sentinels after the box: nothing may be written past it.
                    std::vector<double> weights(up.size() * across.size() + 8, -1.0);
                    GaussianWeightsOfBox(across.data(), columns, up.data(), rows, depth, radius,
                                         weights.data(), width);
                    for (std::size_t k = up.size() * across.size(); k < weights.size(); ++k) {
                        ASSERT_EQ(weights[k], -1.0) << rows << " x " << columns << ": past the box";
                    }
                    for (int j = 0; j < rows; ++j) {
                        for (int i = 0; i < columns; ++i) {
                            const double one = KernelWeight(
                                DistanceInSpace(across[i], up[j], depth), radius, true);
                            ASSERT_EQ(Bits(weights[j * columns + i]), Bits(one))
                                << rows << " x " << columns << ", trial " << trial << ", lanes "
                                << static_cast<int>(width);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvane::testing
