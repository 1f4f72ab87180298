#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "picture/ColourScale.h"
#include "picture/PictureFileName.h"
#include "reference/ReferenceRules.h"

namespace korvane {
namespace {

struct PixelCase {
    double density;
    float maximum;
    cv::Vec3b expected;  // blue, green, red
};

// A maximum of 765 makes the third exactly 255, so each component is the distance into its
// band and the rounding of halves shows directly.
TEST(DensityToPixel, BandsBoundariesAndHalves) {
    const PixelCase cases[] = {
        {0.0, 765.0f, {0, 0, 0}},            // zero is black
        {-0.0, 765.0f, {0, 0, 0}},           // negative zero is still zero
        {-1e-300, 765.0f, {255, 255, 255}},  // any negative density is white
        {0.5, 765.0f, {0, 0, 0}},            // 0.5 rounds to the even 0
        {1.5, 765.0f, {2, 0, 0}},            // 1.5 rounds to the even 2
        {2.5, 765.0f, {2, 0, 0}},
        {255.0, 765.0f, {255, 0, 0}},     // the top of the blue band belongs to it
        {255.5, 765.0f, {254, 0, 0}},     // 254.5 -> 254, 0.5 -> 0
        {256.5, 765.0f, {254, 2, 0}},     // 253.5 -> 254, 1.5 -> 2
        {510.0, 765.0f, {0, 255, 0}},     // pure green at two thirds
        {637.5, 765.0f, {0, 128, 128}},   // 127.5 both ways: even 128
        {765.0, 765.0f, {0, 0, 255}},     // the maximum itself
        {765.0001, 765.0f, {0, 0, 255}},  // above the maximum: red
        {1e300, 765.0f, {0, 0, 255}},
        {std::numeric_limits<double>::infinity(), 765.0f, {0, 0, 255}},
        {-std::numeric_limits<double>::infinity(), 765.0f, {255, 255, 255}},
        {std::numeric_limits<double>::quiet_NaN(), 765.0f, {255, 255, 255}},
        // With a maximum of 0 every positive density is red and zero stays black.
        {1e-300, 0.0f, {0, 0, 255}},
        {0.0, 0.0f, {0, 0, 0}},
        {-1.0, 0.0f, {255, 255, 255}},
    };
    for (const PixelCase& c : cases) {
        EXPECT_EQ(DensityToPixel(c.density, c.maximum), c.expected)
            << "density " << c.density << " maximum " << c.maximum;
        // The tests' own transcription of the scale reads the table the same way.
        EXPECT_EQ(reference::Pixel(c.density, c.maximum), c.expected)
            << "reference, density " << c.density << " maximum " << c.maximum;
    }
}

TEST(DensityToColour, UsesTheSinglePrecisionThird) {
    // 1/3 in float is slightly above the true third, so the maximum 1 lies just inside the
    // green-to-red band instead of being pure red.
    const cv::Scalar top = DensityToColour(1.0, 1.0f);
    EXPECT_EQ(top[0], 0.0);
    EXPECT_GT(top[1], 0.0);
    EXPECT_LT(top[1], 1e-4);
    EXPECT_LT(top[2], 255.0);
    EXPECT_GT(top[2], 254.99);
    EXPECT_EQ(top[3], 0.0);

    // The double third lies below the float third: still blue, a hair under 255.
    const cv::Scalar third = DensityToColour(1.0 / 3.0, 1.0f);
    EXPECT_LT(third[0], 255.0);
    EXPECT_EQ(third[1], 0.0);
    // ... and the float third itself is the top of the blue band exactly.
    EXPECT_EQ(DensityToColour(static_cast<double>(1.0f / 3.0f), 1.0f), cv::Scalar(255, 0, 0));
}

// The pixel must be what OpenCV itself stores when a pixel is set from the colour.
TEST(DensityToPixel, MatchesOpenCvConversionOfTheColour) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-0.1, 1.2);
    const float maxima[] = {1.0f, 3.0f, 0.8f, 2.4f, 7.2f, 1234.5f, 1e-3f};
    for (float maximum : maxima) {
        for (int n = 0; n < 20000; ++n) {
            const double density = unit(random) * maximum;
            const cv::Mat pixel(1, 1, CV_8UC3, DensityToColour(density, maximum));
            ASSERT_EQ(DensityToPixel(density, maximum), pixel.at<cv::Vec3b>(0, 0))
                << "density " << density << " maximum " << maximum;
        }
    }
}

TEST(PictureFileName, PadsToFourDigits) {
    const struct {
        const char* prefix;
        int n;
        const char* expected;
    } cases[] = {
        {"time", 1, "time0001.bmp"},    {"time", 9, "time0009.bmp"},
        {"time", 10, "time0010.bmp"},   {"time", 99, "time0099.bmp"},
        {"time", 100, "time0100.bmp"},  {"time", 999, "time0999.bmp"},
        {"time", 1000, "time1000.bmp"}, {"time", 10000, "time10000.bmp"},
        {"space", 1, "space0001.bmp"},  {"perspective", 42, "perspective0042.bmp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PictureFileName(c.prefix, c.n), c.expected);
        EXPECT_EQ(reference::PictureName(c.prefix, c.n), c.expected);
    }
}

// The colour and the pixel, bit for bit, against the tests' own transcription of the scale,
// on densities around every band edge and maxima of every size (also 0, negative, infinite).
TEST(DensityToColour, SameAsTheReferenceScale) {
    std::mt19937_64 random(21);
    std::uniform_real_distribution<double> unit(-0.1, 1.2);
    const float maxima[] = {1.0f,   3.0f,  0.8f, 2.4f,  765.0f,
                            1e-30f, 3e38f, 0.0f, -2.0f, std::numeric_limits<float>::infinity()};
    for (float maximum : maxima) {
        const double t = maximum / 3.0f;
        std::vector<double> densities = {0.0,
                                         t,
                                         2 * t,
                                         3 * t,
                                         std::nextafter(t, 0.0),
                                         std::nextafter(2 * t, 0.0),
                                         std::nextafter(3 * t, 0.0),
                                         std::nextafter(3 * t, INFINITY)};
        for (int n = 0; n < 5000; ++n) {
            densities.push_back(unit(random) * (std::isfinite(maximum) ? maximum : 1e30));
        }
        for (double density : densities) {
            const cv::Scalar colour = DensityToColour(density, maximum);
            const cv::Scalar expected = reference::Colour(density, maximum);
            for (int c = 0; c < 4; ++c) {
                // An infinite density on an infinite scale is not a number on both sides.
                if (std::isnan(colour[c]) && std::isnan(expected[c])) {
                    continue;
                }
                ASSERT_EQ(colour[c], expected[c])
                    << "density " << density << " maximum " << maximum << " component " << c;
            }
            ASSERT_EQ(DensityToPixel(density, maximum), reference::Pixel(density, maximum))
                << "density " << density << " maximum " << maximum;
        }
    }
}

}  // namespace
}  // namespace korvane
