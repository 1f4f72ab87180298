// The colours of sums by table against the colour functions themselves: the same pixel for
// every density, at and beside every place where a colour changes, for every map on the linear
// scale and for maxima from tiny to huge.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "picture/ColourScale.h"
#include "picture/ColourTable.h"

namespace korvane::testing {
namespace {

TEST(ColourTableTest, EveryDensityGetsItsFunctionsColour) {
    const ColourMap maps[] = {ColourMap::Classic, ColourMap::Viridis, ColourMap::Inferno,
                              ColourMap::Cividis, ColourMap::Grey};
    const float maxima[] = {1.0f, 0.8f * 4266.1553f, 3.3e-7f, 7.5e12f, 0.0f, 255.0f};
    std::mt19937_64 random(3);
    for (ColourMap map : maps) {
        for (DensityScale scale : {DensityScale::Linear, DensityScale::Log}) {
            const ColourFunction colours = ColourFunctionOf(map, scale);
            for (float maximum : maxima) {
                const std::string what = std::string(ColourMapName(map)) + " " +
                                         std::string(DensityScaleName(scale)) + " " +
                                         std::to_string(maximum);
                ColourTable table;
                table.Prepare(colours, maximum);
                // Random densities, and those beside every place a colour changes: the classic
                // scale's components step at halves of 1/255 of each third of the maximum, the
                // maps' steps at halves of 1/255 of the maximum.
                std::vector<double> densities = {0.0,
                                                 -0.0,
                                                 -1.0,
                                                 std::numeric_limits<double>::quiet_NaN(),
                                                 std::numeric_limits<double>::infinity(),
                                                 std::numeric_limits<double>::denorm_min(),
                                                 static_cast<double>(maximum),
                                                 static_cast<double>(maximum) / 3,
                                                 2 * static_cast<double>(maximum) / 3};
                std::uniform_real_distribution<double> share(0.0, 1.2);
                const double top = maximum > 0 ? maximum : 1.0;
                for (int i = 0; i < 20000; ++i) {
                    densities.push_back(top * share(random));
                }
                for (int k = 0; k < 3 * 256; ++k) {
                    for (double edge : {top * (k + 0.5) / (3 * 255.0), top * (k + 0.5) / 255.0}) {
                        double below = edge;
                        double above = edge;
                        for (int ulps = 0; ulps < 3; ++ulps) {
                            densities.insert(densities.end(), {below, above});
                            below = std::nextafter(below, 0.0);
                            above = std::nextafter(above, INFINITY);
                        }
                    }
                }
                int differing = 0;
                for (double d : densities) {
                    differing += table.Pixel(d) == colours.pixel(d, maximum) ? 0 : 1;
                }
                EXPECT_EQ(differing, 0) << what;
            }
        }
    }
}

}  // namespace
}  // namespace korvane::testing
