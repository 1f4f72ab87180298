// Two slices filled at once give each slice the very sums it has filled alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "density/DensityFill.h"
#include "density/DensityTestSupport.h"
#include "support/EventClouds.h"

namespace korvane::testing {
namespace {

struct PairCase {
    const char* what;
    bool gaussian;
    bool weighted;
    double first;  // the two slice positions
    double second;
    double halfWidth;  // of the slab, in depth
};

TEST(DensityPair, EachSliceHasTheSumsOfItsOwnFill) {
    const PairCase cases[] = {
        {"overlapping Gaussian slabs", true, false, 4.0, 4.5, 1.0},
        {"weighted unit kernel", false, true, 4.0, 4.5, 1.0},
        {"weighted Gaussian", true, true, 3.0, 3.25, 0.75},
        {"slabs apart, events between in neither", true, false, 2.0, 7.0, 0.5},
        {"the same slab twice", true, true, 5.0, 5.0, 1.0},
    };
    EventTable cloud = MakeCloud({CloudShape::Uniform, 3000, 0.0, 10.0, 0.0, 10.0, 0.25, 7});
    // One event off the grid (not finite across) is added pixel by pixel, not as a rectangle.
    cloud.rows[10].x = std::numeric_limits<double>::infinity();
    std::sort(cloud.rows.begin(), cloud.rows.begin() + cloud.count,
              [](const EventRecord& a, const EventRecord& b) { return a.z < b.z; });
    std::vector<double> weights(static_cast<std::size_t>(cloud.count));
    for (std::size_t i = 0; i < weights.size(); ++i) {
        weights[i] = 0.5 + static_cast<double>(i % 7);
    }
    for (const PairCase& c : cases) {
        reference::Frame f;
        f.hMin = 0, f.hMax = 10, f.vMin = 0, f.vMax = 10;
        f.hScale = 0.05, f.vScale = 0.05;
        f.radius = 4, f.gaussian = c.gaussian;
        DensityGrid grid;
        ASSERT_TRUE(MakeDensityGrid(PlaneRange{{0, 10}, {0, 10}}, PlaneScale{0.05, 0.05},
                                    CanvasMargins{300, 200}, grid)
                        .ok());
        PixelTests tests = TestsFor(f, 2, true, c.first, 0.05);
        const std::vector<BoxRectangle> rectangles =
            PlaneRectanglesOf(grid, cloud.rows.data(), cloud.count, tests);
        const EventRun first = SliceRun(cloud, 2, c.first - c.halfWidth, c.first + c.halfWidth);
        const EventRun second =
            SliceRun(cloud, 2, c.second - c.halfWidth, c.second + c.halfWidth, first);
        ASSERT_GT(first.size(), 0) << c.what;
        ASSERT_GT(second.size(), 0) << c.what;
        const double* w = c.weighted ? weights.data() : nullptr;

        tests.rectangles = rectangles.data();
        DensityField pairFirst;
        DensityField pairSecond;
        ComputePlaneDensityPair(grid, cloud.rows.data(), tests, first, second, c.second, pairFirst,
                                pairSecond, w);
        for (const auto& [run, position, pair] :
             {std::tuple{first, c.first, &pairFirst}, std::tuple{second, c.second, &pairSecond}}) {
            PixelTests alone = tests;
            alone.slicePosition = position;
            alone.rectangles = rectangles.data() + run.begin;
            DensityField field;
            ComputePlaneDensities(grid, cloud.rows.data() + run.begin, run.size(), alone, field,
                                  nullptr, w != nullptr ? w + run.begin : nullptr);
            ASSERT_FALSE(field.counted) << c.what;
            EXPECT_EQ(pair->columns, field.columns) << c.what;
            EXPECT_EQ(pair->rows, field.rows) << c.what;
            // Bit for bit: the same factors, added in the same order.
            EXPECT_TRUE(pair->sums == field.sums) << c.what << " at " << position;
        }
    }
}

}  // namespace
}  // namespace korvane::testing
