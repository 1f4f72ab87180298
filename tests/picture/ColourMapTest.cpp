#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "picture/ColourScale.h"

namespace korvane {
namespace {

double Luma(const cv::Vec3b& bgr) {
    return 0.114 * bgr[0] + 0.587 * bgr[1] + 0.299 * bgr[2];
}

// Each map's ends (blue, green, red) and whether it grows lighter from end to end.
TEST(ColourMaps, EndsAndLightnessOfEachMap) {
    struct Case {
        ColourMap map;
        cv::Vec3b none, top;
        bool lighter;
    };
    const Case cases[] = {
        {ColourMap::Classic, {0, 0, 0}, {0, 0, 255}, false},
        {ColourMap::Viridis, {0x54, 0x01, 0x44}, {0x25, 0xe7, 0xfd}, true},  // #440154, #fde725
        {ColourMap::Inferno, {4, 0, 0}, {164, 255, 252}, true},
        {ColourMap::Cividis, {78, 34, 0}, {56, 232, 254}, true},
        {ColourMap::Grey, {0, 0, 0}, {255, 255, 255}, true},
    };
    for (const Case& c : cases) {
        for (DensityScale scale : {DensityScale::Linear, DensityScale::Log, DensityScale::Sqrt}) {
            const ColourFunction f = ColourFunctionOf(c.map, scale);
            const auto name =
                std::string(ColourMapName(c.map)) + " " + std::string(DensityScaleName(scale));
            EXPECT_EQ(f.pixel(0.0, 40.0f), c.none) << name;
            EXPECT_EQ(f.pixel(40.0, 40.0f), c.top) << name;
            EXPECT_EQ(f.pixel(1e9, 40.0f), c.top) << name;  // above the maximum: the top
            EXPECT_EQ(f.pixel(-1.0, 40.0f), cv::Vec3b(255, 255, 255)) << name;
            EXPECT_EQ(f.pixel(std::numeric_limits<double>::quiet_NaN(), 40.0f),
                      cv::Vec3b(255, 255, 255))
                << name;
            EXPECT_EQ(f.pixel(0.5, 0.0f), c.top) << name;  // a zero maximum: all at the top
            const cv::Scalar colour = f.colour(20.0, 40.0f);
            const cv::Vec3b pixel = f.pixel(20.0, 40.0f);
            EXPECT_EQ(
                cv::Vec3b(cv::saturate_cast<uchar>(colour[0]), cv::saturate_cast<uchar>(colour[1]),
                          cv::saturate_cast<uchar>(colour[2])),
                pixel)
                << name;
        }
        if (!c.lighter) {
            continue;
        }
        // Lighter over every eight steps (viridis dips by a fraction of a unit in places).
        const ColourFunction linear = ColourFunctionOf(c.map, DensityScale::Linear);
        for (int i = 0; i + 8 <= 255; ++i) {
            ASSERT_LT(Luma(linear.pixel(i, 255.0f)), Luma(linear.pixel(i + 8, 255.0f)))
                << ColourMapName(c.map) << " step " << i;
        }
    }
}

// The classic map on the linear scale is today's scale, bit for bit, for counts and sums.
TEST(ColourMaps, ClassicLinearIsTheClassicScale) {
    const ColourFunction f = ColourFunctionOf(ColourMap::Classic, DensityScale::Linear);
    for (float maximum : {1.0f, 2.7f, 40.0f, 72.8f, 765.0f}) {
        for (int level = 0; level <= 800; ++level) {
            for (double density : {static_cast<double>(level), level + 0.37}) {
                ASSERT_EQ(f.pixel(density, maximum), DensityToPixel(density, maximum))
                    << density << " of " << maximum;
                ASSERT_EQ(f.colour(density, maximum), DensityToColour(density, maximum));
            }
        }
    }
}

// On the grey map the step is the place on the scale: log(1 + d) / log(1 + max) or
// sqrt(d / max), times 255, rounded.
TEST(ColourMaps, LogAndSqrtPlaceTheDensities) {
    struct Case {
        DensityScale scale;
        double density;
        float maximum;
        int step;
    };
    const Case cases[] = {
        {DensityScale::Linear, 10.0, 100.0f, 26},  // 25.5 rounds away from zero
        {DensityScale::Log, 9.0, 999.0f, 85},      // log 10 / log 1000 = 1/3
        {DensityScale::Log, 99.0, 999.0f, 170},    // 2/3
        {DensityScale::Log, 0.0, 99.0f, 0},       {DensityScale::Log, 999.0, 999.0f, 255},
        {DensityScale::Log, 1.0, 999.0f, 26},     // log 2 / log 1000 = 0.1003
        {DensityScale::Sqrt, 25.0, 100.0f, 128},  // 1/2
        {DensityScale::Sqrt, 1.0, 100.0f, 26},    // 1/10
        {DensityScale::Sqrt, 81.0, 100.0f, 230},  // 9/10: 229.5
    };
    for (const Case& c : cases) {
        const cv::Vec3b p = ColourFunctionOf(ColourMap::Grey, c.scale).pixel(c.density, c.maximum);
        EXPECT_EQ(p, cv::Vec3b(c.step, c.step, c.step))
            << DensityScaleName(c.scale) << " " << c.density << " of " << c.maximum;
    }
}

// A logarithmic bar: 0, the decades below the maximum at their places, and the maximum.
TEST(ColourBarLabels, LogBarHasDecades) {
    const std::vector<BarLabel> labels = ColourBarLabels(DensityScale::Log, 179.5);
    ASSERT_EQ(labels.size(), 8u);  // 0, 0.001 ... 100, 179.5
    EXPECT_EQ(labels.front().density, 0.0);
    EXPECT_EQ(labels.front().fraction, 0.0);
    EXPECT_EQ(labels[4].density, 1.0);
    EXPECT_DOUBLE_EQ(labels[4].fraction, std::log(2.0) / std::log(180.5));
    EXPECT_EQ(labels[6].density, 100.0);
    EXPECT_EQ(labels.back().density, 179.5);
    EXPECT_EQ(labels.back().fraction, 1.0);
}

}  // namespace
}  // namespace korvane
