#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "common/FloatNarrowing.h"
#include "reference/ReferenceRules.h"

namespace korvane {
namespace {

TEST(NarrowToFloat, RoundsLikeTheProcessorAndNeverOverflowsACast) {
    const float big = std::numeric_limits<float>::max();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(NarrowToFloat(0.8), 0.8f);
    EXPECT_EQ(NarrowToFloat(1e300), inf);
    EXPECT_EQ(NarrowToFloat(-1e300), -inf);
    EXPECT_EQ(NarrowToFloat(0x1.ffffffp127), inf);         // halfway: to the even 2^128
    EXPECT_EQ(NarrowToFloat(0x1.fffffefffffffp127), big);  // just below halfway
    EXPECT_EQ(NarrowToFloat(-0x1.fffffefffffffp127), -big);
    EXPECT_EQ(NarrowToFloat(static_cast<double>(FLT_MAX) * (1 + 1e-9)), FLT_MAX);
    EXPECT_TRUE(std::isnan(NarrowToFloat(std::numeric_limits<double>::quiet_NaN())));
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> exponent(-40, 38);
    for (int n = 0; n < 10000; ++n) {
        const double value = std::pow(10.0, exponent(random)) * (n % 2 ? 1 : -1);
        ASSERT_EQ(NarrowToFloat(value), static_cast<float>(value)) << value;
    }
}

// Against the tests' own transcription over the whole double range, where a plain cast
// would be undefined.
TEST(NarrowToFloat, SameAsTheReferenceEverywhere) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> exponent(-330, 308);
    for (int n = 0; n < 20000; ++n) {
        const double value = std::pow(10.0, exponent(random)) * (n % 2 ? 1 : -1);
        ASSERT_EQ(NarrowToFloat(value), reference::ToSingle(value)) << value;
    }
    // Around the largest float and the halfway point above it.
    for (double start : {static_cast<double>(FLT_MAX), 0x1.ffffffp127}) {
        double value = start;
        for (int n = 0; n < 8; ++n) {
            value = std::nextafter(value, 0.0);
        }
        for (int n = 0; n < 16; ++n) {
            ASSERT_EQ(NarrowToFloat(value), reference::ToSingle(value)) << value;
            ASSERT_EQ(NarrowToFloat(-value), reference::ToSingle(-value)) << value;
            value = std::nextafter(value, INFINITY);
        }
    }
}

}  // namespace
}  // namespace korvane
