#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

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

// `d` moved by `ulps` units in the last place (d > 0).
double UlpsAway(double d, std::int64_t ulps) {
    std::int64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    bits += ulps;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The curved scales find a pixel's step from edges made once per maximum; every density,
// also those right at an edge, gets the step of the formula.
TEST(ColourMaps, CurvedScalesGiveTheStepOfTheFormula) {
    for (DensityScale scale : {DensityScale::Log, DensityScale::Sqrt}) {
        const auto place = [scale](double v) {
            return scale == DensityScale::Log ? std::log1p(v) : std::sqrt(v);
        };
        const ColourFunction grey = ColourFunctionOf(ColourMap::Grey, scale);
        for (float maximum : {0.37f, 40.0f, 179.5f, 3.0e7f}) {
            const double top = place(static_cast<double>(maximum));
            const auto expected = [&](double d) {
                return static_cast<uchar>(std::lround(std::clamp(place(d) / top, 0.0, 1.0) * 255));
            };
            std::vector<double> densities;
            for (int k = 0; k < 255; ++k) {
                // Where the formula moves from step k to k + 1, and its neighbourhood out to
                // beyond the table's guard.
                const double t = (k + 0.5) / 255 * top;
                const double edge = scale == DensityScale::Log ? std::expm1(t) : t * t;
                for (std::int64_t ulps = 0; ulps < (std::int64_t{1} << 24);
                     ulps = ulps < 16 ? ulps + 1 : ulps * 2 - 1) {
                    densities.push_back(UlpsAway(edge, -ulps));
                    densities.push_back(UlpsAway(edge, ulps));
                }
            }
            for (double d : densities) {
                ASSERT_EQ(grey.pixel(d, maximum)[0], expected(d))
                    << DensityScaleName(scale) << " " << d << " of " << maximum;
            }
        }
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

// Bar labels keep two decimals unless two different densities would read the same.
TEST(ColourBarLabels, DecimalsTellTheLabelsApart) {
    const auto fifths = [](double maximum) {
        std::vector<double> v;
        for (int j = 0; j <= 5; ++j) {
            v.push_back(j / 5.0 * maximum);
        }
        return v;
    };
    EXPECT_EQ(ColourBarDecimals(fifths(72.8)), 2);
    EXPECT_EQ(ColourBarDecimals(fifths(0.04)), 3);   // 0.016 and 0.024 read 0.02
    EXPECT_EQ(ColourBarDecimals(fifths(0.004)), 4);  // all read 0.00
    EXPECT_EQ(ColourBarDecimals(fifths(0.0)), 2);    // equal densities may read the same
    EXPECT_EQ(ColourBarDecimals({0.0, 3e-7}), 7);
}

}  // namespace
}  // namespace korvane
