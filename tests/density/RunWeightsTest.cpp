// Bounds of a run's weight from the columns' running totals: never below the run's weights,
// and not far above them, over weights from subnormal to beyond the float range.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "density/estimate/RunWeights.h"

namespace korvane::estimate {
namespace {

TEST(RunWeightsTest, RunBoundsHoldTheirWeightsAndStayClose) {
    const struct {
        const char* name;
        double low;  // the weights are low x 10^(0 to spread), some 0
        double spread;
    } cases[] = {
        {"near one", 1.0, 0.1},
        {"moments over twelve decades", 1e-12, 12.0},
        {"subnormal doubles and floats", 1e-320, 290.0},
        {"beyond the float range", 1e30, 20.0},
    };
    std::mt19937_64 random(11);
    for (const auto& c : cases) {
        std::uniform_real_distribution<double> decade(0.0, c.spread);
        std::vector<double> weights(3000);
        for (double& w : weights) {
            w = random() % 8 == 0 ? 0.0 : c.low * std::pow(10.0, decade(random));
        }
        // Three columns of the members in a shuffled order of the points.
        const std::vector<int> starts{0, 1, 1200, 3000};
        std::vector<int> index(weights.size());
        for (std::size_t m = 0; m < index.size(); ++m) {
            index[m] = static_cast<int>((m * 7919) % index.size());
        }
        RunWeightTotals totals;
        totals.Build(starts, weights.data(), index);
        for (int trial = 0; trial < 2000; ++trial) {
            const int column = 1 + static_cast<int>(random() % 2);
            const int begin = starts[column];
            const int size = starts[column + 1] - begin;
            int lo = begin + static_cast<int>(random() % size);
            int hi = begin + static_cast<int>(random() % (size + 1));
            if (hi < lo) {
                std::swap(lo, hi);
            }
            long double exact = 0.0L;
            long double upTo = 0.0L;  // the column's weights up to hi
            for (int m = begin; m < hi; ++m) {
                upTo += weights[index[m]];
                exact += m >= lo ? weights[index[m]] : 0.0;
            }
            const double bound = totals.Bound(begin, lo, hi);
            EXPECT_GE(bound, static_cast<double>(exact) * (1.0 + 1e-15)) << c.name << " " << lo;
            if (std::isfinite(bound) || upTo < 1e38L) {
                EXPECT_LE(bound, exact + upTo * 1e-5L + 1e-40L) << c.name << " " << lo;
            }
        }
    }
    // A single member's run, and an empty one.
    const std::vector<double> one{2.5};
    RunWeightTotals totals;
    totals.Build({0, 1}, one.data(), {0});
    EXPECT_GE(totals.Bound(0, 0, 1), 2.5);
    EXPECT_EQ(totals.Bound(0, 1, 1), 0.0);
}

}  // namespace
}  // namespace korvane::estimate
