// The exponential and the Gaussian factors at every lane width against the C library and a
// long-double kernel.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "density/Kernel.h"
#include "density/KernelBox.h"

namespace korvane::testing {
namespace {

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

// Every argument a kernel factor can give, -9.43 to 0 in 2^20 steps, random doubles over the
// whole range, and the edges of the main path: within two units in the last place of the
// library's exp (of its subnormal spacing below the normal range), and the library's own result
// off the main path.
TEST(KernelBoxTest, ExpIsWithinTwoUnitsInTheLastPlaceOfTheLibrarys) {
    std::vector<double> x;
    constexpr int Steps = 1 << 20;
    for (int i = 0; i <= Steps; ++i) {
        x.push_back(-9.43 * i / Steps);
    }
    std::mt19937_64 random(22);
    std::uniform_real_distribution<double> wide(-745.0, 710.0);
    for (int i = 0; i < (1 << 16); ++i) {
        x.push_back(wide(random));
    }
    const double inf = std::numeric_limits<double>::infinity();
    for (double edge : {0x1p-54, 0x1p-1074, 512.0, 511.999, 709.8, 710.0, -745.2, -708.5, -0.0, inf,
                        -inf, std::numeric_limits<double>::quiet_NaN()}) {
        x.insert(x.end(), {edge, -edge, std::nextafter(edge, 0.0)});
    }
    for (LaneWidth width : Widths()) {
        std::vector<double> fast(x.size());
        ExpOfEach(x.data(), static_cast<int>(x.size()), fast.data(), width);
        int far = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double library = std::exp(x[i]);
            if (!std::isfinite(library) || library == 0.0) {
                far += fast[i] == library || (std::isnan(fast[i]) && std::isnan(library)) ? 0 : 1;
                continue;
            }
            const double ulp = std::nextafter(library, inf) - library;
            far += std::fabs(fast[i] - library) <= 2 * ulp ? 0 : 1;
        }
        EXPECT_EQ(far, 0) << "lanes " << static_cast<int>(width);
    }
}

// Boxes of every width up to 19 (whole groups of four or eight and one to seven left over),
// with positions on the point (factor 1) and out to the box's edge: each factor within 2e-15 of
// the kernel of its distance in long double, and nothing written past the box.
TEST(KernelBoxTest, FactorsMatchTheKernelOfEachAxisDistance) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> offset(-1.0, 1.0);
    for (int n = 1; n <= 19; ++n) {
        for (int trial = 0; trial < 40; ++trial) {
            const double radius = 0.5 + trial % 7;
            const double scale = trial % 2 == 0 ? 0.25 : 0.37;
            const double x = 10.0 + offset(random);
            std::vector<double> positions;
            for (int i = 0; i < n; ++i) {
                positions.push_back(trial % 5 == 0 ? x : x + offset(random) * radius * scale);
            }
            for (LaneWidth width : Widths()) {
                std::vector<double> factors(static_cast<std::size_t>(n) + 8, -1.0);
                GaussianFactors(x, positions.data(), n, GaussianAxisOf(scale, radius, width),
                                factors.data());
                for (int i = 0; i < n; ++i) {
                    const long double steps =
                        std::fabs(static_cast<long double>(x) - positions[i]) / scale;
                    const long double scaled = steps / radius * GaussianWidthFactor;
                    const long double exact = std::exp(-0.5L * scaled * scaled);
                    ASSERT_LE(std::fabs(factors[i] - exact), 2e-15L * exact)
                        << n << " wide, trial " << trial << ", lanes " << static_cast<int>(width);
                }
                for (std::size_t k = static_cast<std::size_t>(n); k < factors.size(); ++k) {
                    ASSERT_EQ(factors[k], -1.0) << n << " wide: past the box";
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvane::testing
