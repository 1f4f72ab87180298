// The kernel grid's bounds of Gaussian sums: never below the sum over a place's strict box
// (added in long double), at every place of a member and between them, and close to it where
// the nodes are fine.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "density/estimate/KernelGrid.h"

namespace korvane::estimate {
namespace {

struct Case {
    const char* name;
    int perHalf;     // nodes per half width asked for
    bool clustered;  // members crowded into a corner, else spread evenly
    bool lattice;    // coordinates on multiples of a node step (members on nodes)
    bool weighted;   // weights from 0 to 1000, else 1
    std::array<double, 3> half;
};

// The exact sum at p: every member in its strict box, weight times exp(-sum kappa d^2).
long double SumAt(const std::vector<double>& records, const std::vector<double>& weights,
                  const double* p, const std::array<double, 3>& half,
                  const std::array<double, 3>& kappa) {
    long double sum = 0;
    for (std::size_t m = 0; m < weights.size(); ++m) {
        long double exponent = 0;
        bool inside = true;
        for (int a = 0; a < 3; ++a) {
            const long double d = static_cast<long double>(p[a]) - records[4 * m + a];
            inside = inside && std::fabs(d) < half[a];
            exponent += kappa[a] * d * d;
        }
        sum += inside ? weights[m] * std::exp(-exponent) : 0.0L;
    }
    return sum;
}

TEST(KernelGridTest, BoundsHoldTheSumsAtEveryPlaceAndCloseInWithFinerNodes) {
    const Case cases[] = {
        {"one node per half width", 1, false, false, false, {1.0, 1.0, 1.0}},
        {"coarse, clustered", 3, true, false, false, {0.7, 0.5, 2.0}},
        {"four per half width, on the nodes", 4, false, true, false, {1.0, 0.5, 1.5}},
        {"fine, weighted", 8, true, false, true, {0.6, 0.6, 0.9}},
        {"finest with windows", 16, true, true, true, {0.8, 0.4, 1.2}},
        {"eight-wide nodes only", 32, true, false, false, {0.8, 0.8, 0.8}},
    };
    std::mt19937_64 random(45);
    for (const Case& c : cases) {
        const std::string what = c.name;
        std::uniform_real_distribution<double> place(c.clustered ? 1.0 : 0.0,
                                                     c.clustered ? 2.5 : 6.0);
        std::uniform_real_distribution<double> weight(0.0, 1000.0);
        std::array<double, 3> kappa{};
        for (int a = 0; a < 3; ++a) {
            kappa[a] = 3.14159 / (c.half[a] * c.half[a]) * (a == 2 ? 0.5 : 1.0);
        }
        constexpr int Members = 600;
        std::vector<double> records;
        std::vector<double> weights;
        for (int m = 0; m < Members; ++m) {
            for (int a = 0; a < 3; ++a) {
                const double step = c.half[a] / c.perHalf;
                const double x = place(random);
                records.push_back(c.lattice ? std::round(x / step) * step : x);
            }
            records.push_back(0.0);
            weights.push_back(c.weighted ? (m % 7 == 0 ? 0.0 : weight(random)) : 1.0);
        }
        std::array<KernelGrid::Axis, 3> axes{};
        for (int a = 0; a < 3; ++a) {
            double low = INFINITY;
            double high = -INFINITY;
            for (int m = 0; m < Members; ++m) {
                low = std::min(low, records[4 * m + a]);
                high = std::max(high, records[4 * m + a]);
            }
            axes[a] = {low, high, c.half[a], kappa[a]};
        }
        const bool windows = c.perHalf <= KernelGrid::MostWindowPerHalf;
        KernelGrid grid;
        ASSERT_TRUE(grid.Prepare(axes, c.perHalf, std::size_t{1} << 24, windows)) << what;
        ASSERT_EQ(grid.NodesPerHalf(), c.perHalf) << what;
        // Spread in three runs, as the estimate spreads the runs of its columns.
        grid.Spread(records.data(), c.weighted ? weights.data() : nullptr, 0, 100);
        grid.Spread(records.data(), c.weighted ? weights.data() : nullptr, 100, 101);
        grid.Spread(records.data(), c.weighted ? weights.data() : nullptr, 101, Members);
        grid.Finish();
        // The places: every member's, and places between members (the region's corners too).
        std::vector<std::array<double, 3>> places;
        for (int m = 0; m < Members; ++m) {
            places.push_back({records[4 * m], records[4 * m + 1], records[4 * m + 2]});
        }
        for (int k = 0; k < 200; ++k) {
            std::array<double, 3> p{};
            for (int a = 0; a < 3; ++a) {
                p[a] = axes[a].low + (axes[a].high - axes[a].low) *
                                         (k % 2 == 0 ? (k % 3) / 2.0 : place(random) / 6.0);
            }
            places.push_back(p);
        }
        int below = 0;
        double loosest = 1.0;
        for (const auto& p : places) {
            const long double exact = SumAt(records, weights, p.data(), c.half, kappa);
            const double bound = grid.BoundAt(p.data());
            below += bound < exact ? 1 : 0;
            if (windows) {
                const double window = grid.WindowBoundAt(p.data());
                below += window < exact ? 1 : 0;
            }
            if (exact > 0 && c.perHalf >= 8) {
                loosest = std::max(loosest, static_cast<double>(bound / exact));
            }
        }
        EXPECT_EQ(below, 0) << what;
        // Fine nodes bound every sum within some per cent (the crowded ones closer).
        EXPECT_LT(loosest, c.perHalf >= 32 ? 1.06 : (c.perHalf >= 16 ? 1.12 : 1.2)) << what;
    }
}

}  // namespace
}  // namespace korvane::estimate
