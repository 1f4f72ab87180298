// The wide pair bounds and counts against the same taken one pair at a time.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <vector>

#include "density/estimate/WideBounds.h"

namespace korvane::estimate {
namespace {

// Runs of 0 to 20 members (whole groups of four) from one event: points inside and outside the box,
// on its edge (not passing), beyond the table, not a number, and an axis that adds nothing although
// its difference squared overflows; unweighted and weighted (an infinite weight on the edge adds
// nothing either).
void ExpectMatchesOneAtATime(PairBoundSum wide, PassingCount countPassing, int lanes) {
    std::vector<double> table(64);
    for (std::size_t e = 0; e < table.size(); ++e) {
        table[e] = 1.0 / static_cast<double>(e + 1);
    }
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> near(-1.5, 1.5);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> weights(20);
    for (std::size_t q = 0; q < weights.size(); ++q) {
        weights[q] = q % 7 == 2 ? std::numeric_limits<double>::infinity() : 0.5 + 0.25 * q;
    }
    for (const auto& [zFactor, weighted] : {std::pair{20.0, false}, {0.0, false}, {20.0, true}}) {
        const PairBoundFrame frame{{0.25, -0.5, 3.0},
                                   {1.0, 0.75},
                                   {20.0, 30.0, zFactor},
                                   table.data(),
                                   static_cast<int>(table.size() - 1),
                                   weighted ? weights.data() : nullptr};
        for (int n = 0; n <= 20; n += 4) {
            for (int trial = 0; trial < 40; ++trial) {
                std::vector<double> points;
                for (int q = 0; q < n; ++q) {
                    double x = frame.p[0] + near(random);
                    const double y = q % 7 == 2 ? frame.p[1] - 0.75 : frame.p[1] + near(random);
                    const double z = q % 7 == 3 ? 1e300 : frame.p[2] + near(random);
                    x = q % 7 == 5 && trial % 2 == 0 ? nan : x;
                    points.insert(points.end(), {x, y, z, 0.0});
                }
                PairBoundTotal plain;
                for (int q = 0; q < n; ++q) {
                    const double* r = &points[static_cast<std::size_t>(4 * q)];
                    const double d[3] = {frame.p[0] - r[0], frame.p[1] - r[1], frame.p[2] - r[2]};
                    if (std::fabs(d[0]) < frame.half[0] && std::fabs(d[1]) < frame.half[1]) {
                        double steps = 0.0;
                        for (int a = 0; a < 3; ++a) {
                            steps += frame.factor[a] > 0.0 ? d[a] * d[a] * frame.factor[a] : 0.0;
                        }
                        const double last = frame.lastEntry;
                        plain.total +=
                            table[static_cast<std::size_t>(steps < last ? steps : last)] *
                            (weighted ? weights[static_cast<std::size_t>(q)] : 1.0);
                        ++plain.count;
                    }
                }
                const PairBoundTotal fast = wide(points.data(), n, frame);
                ASSERT_EQ(fast.count, plain.count) << lanes << " lanes: " << n << " " << trial;
                ASSERT_EQ(countPassing(points.data(), n, {frame.p[0], frame.p[1]},
                                       {frame.half[0], frame.half[1]}),
                          plain.count)
                    << lanes << " lanes: " << n << " " << trial;
                ASSERT_NEAR(fast.total, plain.total, 1e-14 * n)
                    << lanes << " lanes: " << n << " " << trial;
            }
        }
    }
}

TEST(PairBoundsTest, EveryWidthMatchesOneAtATime) {
    if (FourWidePairBounds() == nullptr || FourWidePassingCount() == nullptr) {
        GTEST_SKIP() << "no AVX2 here";
    }
    ExpectMatchesOneAtATime(FourWidePairBounds(), FourWidePassingCount(), 4);
    if (EightWidePairBounds() != nullptr && EightWidePassingCount() != nullptr) {
        ExpectMatchesOneAtATime(EightWidePairBounds(), EightWidePassingCount(), 8);
    }
}

}  // namespace
}  // namespace korvane::estimate
