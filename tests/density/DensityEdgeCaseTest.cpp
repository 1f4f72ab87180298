// The boundaries of the pixel walk and the box tests, one case at a time.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "density/DensityEstimate.h"
#include "density/DensityTestSupport.h"
#include "density/Kernel.h"

namespace korvane::testing {
namespace {

// 0..10 on both axes, a quarter unit per pixel: raster 42 x 42, positions exact in binary.
reference::Frame QuarterFrame(double radius, bool gaussian, double densityMaximum) {
    reference::Frame f;
    f.hMin = 0, f.hMax = 10, f.vMin = 0, f.vMax = 10;
    f.hScale = 0.25, f.vScale = 0.25;
    f.radius = radius, f.gaussian = gaussian, f.densityMaximum = densityMaximum;
    return f;
}

// The raster pixel of the position (h, v) of QuarterFrame.
cv::Vec3b At(const cv::Mat& raster, double h, double v) {
    return raster.at<cv::Vec3b>(raster.rows - 1 - static_cast<int>(v / 0.25),
                                static_cast<int>(h / 0.25));
}

EventTable OneEvent(double x, double y, double z, double t) {
    EventTable table;
    table.count = 1;
    table.rows[0] = {x, y, z, t};
    return table;
}

TEST(KernelWeight, OneAtThePixelAndSmallOneRadiusAway) {
    EXPECT_EQ(KernelWeight(0.0, 3.0, true), 1.0);
    EXPECT_NEAR(KernelWeight(1.0, 1.0, true), 0.0432, 5e-5);
    EXPECT_NEAR(KernelWeight(7.0, 7.0, true), 0.0432, 5e-5);
    EXPECT_EQ(KernelWeight(123.0, 1.0, false), 1.0);
}

TEST(SelectDensityMaximum, FixedValueOrFourFifthsOfTheEstimate) {
    bool asked = false;
    const std::function<double()> estimate = [&] {
        asked = true;
        return 1.0;
    };
    EXPECT_EQ(SelectDensityMaximum(true, 7.5, estimate), 7.5);
    EXPECT_FALSE(asked);
    EXPECT_EQ(SelectDensityMaximum(false, 7.5, estimate), 0.8);
    EXPECT_TRUE(asked);
}

TEST(DensityFill, OneEventCountsForEveryPixelWhoseBoxHoldsIt) {
    const EventTable one = OneEvent(5.0, 5.0, 5.0, 1.0);
    const double maximum = SelectDensityMaximum(false, 0, [&] {
        return EstimateSpatialMaximum(one, ViewAxes(ViewDirection::AlongZ), PlaneScale{0.25, 0.25},
                                      1.0, Weighting{1.0, false});
    });
    EXPECT_EQ(maximum, 0.8);
    const reference::Frame f = QuarterFrame(1.0, false, maximum);
    const cv::Mat spatial = FastPicture(f, TestsFor(f, 2, true, 5.0, 1.0), one.rows.data(), 1);
    const cv::Vec3b one_(0, 0, 255);  // a density of 1 is above the maximum 0.8: red
    // Horizontal bound included: h = 4.75, 5, 5.25; vertical bound excluded: v = 5 only.
    EXPECT_EQ(At(spatial, 4.75, 5.0), one_);
    EXPECT_EQ(At(spatial, 5.0, 5.0), one_);
    EXPECT_EQ(At(spatial, 5.25, 5.0), one_);
    EXPECT_EQ(cv::countNonZero(spatial.reshape(1)), 3 * 1);  // red only: one channel each
    // The time series excludes the horizontal bound too.
    const cv::Mat time = FastPicture(f, TestsFor(f, 2, false), one.rows.data(), 1);
    EXPECT_EQ(At(time, 5.0, 5.0), one_);
    EXPECT_EQ(cv::countNonZero(time.reshape(1)), 1);
}

TEST(DensityFill, GaussianWeightAtThePixelAndOneRadiusAcross) {
    const EventTable one = OneEvent(5.0, 5.0, 5.0, 1.0);
    const double maximum = 0.3;  // a third of 0.1: 0.0432 shows as a clear blue
    const reference::Frame f = QuarterFrame(1.0, true, maximum);
    const cv::Vec3b red(0, 0, 255);
    // exp(-0.5 x 2.506628^2) = 0.0432139 of a third of 0.1: 255 x 0.432139 = 110.2 blue.
    const cv::Vec3b oneRadiusAway(110, 0, 0);
    const cv::Mat spatial = FastPicture(f, TestsFor(f, 2, true, 5.0, 1.0), one.rows.data(), 1);
    EXPECT_EQ(At(spatial, 5.0, 5.0), red);
    EXPECT_EQ(At(spatial, 5.25, 5.0), oneRadiusAway);
    const cv::Mat time = FastPicture(f, TestsFor(f, 2, false), one.rows.data(), 1);
    EXPECT_EQ(At(time, 5.0, 5.0), red);
    EXPECT_EQ(At(time, 5.25, 5.0), cv::Vec3b(0, 0, 0));
}

TEST(DensityFill, EventExactlyOneBoxAboveOrBelowNeverCounts) {
    for (bool spatial : {true, false}) {
        const EventTable one = OneEvent(5.0, 5.25, 5.0, 1.0);  // between rows 5 and 5.5
        const reference::Frame f = QuarterFrame(1.0, false, 1.0);
        const cv::Mat raster =
            FastPicture(f, TestsFor(f, 2, spatial, 5.0, 1.0), one.rows.data(), 1);
        EXPECT_EQ(At(raster, 5.0, 5.0), cv::Vec3b(0, 0, 0)) << spatial;
        EXPECT_EQ(At(raster, 5.0, 5.5), cv::Vec3b(0, 0, 0)) << spatial;
        EXPECT_NE(At(raster, 5.0, 5.25), cv::Vec3b(0, 0, 0)) << spatial;
    }
}

TEST(DensityFill, TwoEventsAtOnePlaceCountTwice) {
    EventTable two = OneEvent(5.0, 5.0, 5.0, 1.0);
    two.rows[1] = two.rows[0];
    two.count = 2;
    const reference::Frame f = QuarterFrame(1.0, false, 6.0);
    const cv::Mat time = FastPicture(f, TestsFor(f, 2, false), two.rows.data(), 2);
    EXPECT_EQ(At(time, 5.0, 5.0), cv::Vec3b(255, 0, 0));  // 2 is a third of 6: full blue
}

TEST(DensityGrid, ExactQuotientLeavesOneSpareColumnAndRow) {
    DensityGrid grid;
    ASSERT_TRUE(MakeDensityGrid(PlaneRange{{0, 800}, {0, 800}}, PlaneScale{1, 1},
                                CanvasMargins{300, 200}, grid)
                    .ok());
    EXPECT_EQ(grid.width, 802);
    EXPECT_EQ(grid.height, 802);
    EXPECT_EQ(grid.columnPositions.size(), 801u);
    EXPECT_EQ(grid.rowPositions.size(), 801u);

    // Every reached pixel is overwritten (here black), the spare column and row keep what
    // was there.
    reference::Frame f;
    f.hMax = 800, f.vMax = 800, f.radius = 1;
    const cv::Scalar marker(7, 7, 7);
    const cv::Mat raster = FastPicture(f, TestsFor(f, 2, true), nullptr, 0, marker);
    EXPECT_EQ(cv::countNonZero(raster(cv::Rect(0, 1, 801, 801)).reshape(1)), 0);
    EXPECT_EQ(cv::countNonZero(raster.col(801).reshape(1)), 802 * 3);
    EXPECT_EQ(cv::countNonZero(raster.row(0).reshape(1)), 802 * 3);
}

TEST(DensityGrid, EmptyRangeGivesTwoPixelsOfWhichTheWalkFillsOne) {
    DensityGrid grid;
    ASSERT_TRUE(MakeDensityGrid(PlaneRange{{5, 5}, {3, 3}}, PlaneScale{1000, 1000},
                                CanvasMargins{300, 200}, grid)
                    .ok());
    EXPECT_EQ(grid.width, 2);
    EXPECT_EQ(grid.height, 2);
    EXPECT_EQ(grid.columnPositions.size(), 1u);
    EXPECT_EQ(grid.rowPositions.size(), 1u);
}

TEST(DensityGrid, PositionsFarFromTheOriginStayInsideTheRaster) {
    struct Case {
        const char* name;
        double low, range;
    };
    // A thousandth at a thousand million drifts with every addition; a millionth there is
    // below the position's precision, so the position never advances at all.
    const Case cases[] = {{"one thousandth", 1e9, 1e-3}, {"one millionth", 1e9, 1e-6}};
    for (const Case& c : cases) {
        reference::Frame f;
        f.hMin = c.low, f.hMax = c.low + c.range, f.hScale = c.range / 800;
        f.vMin = c.low, f.vMax = c.low + c.range, f.vScale = c.range / 800;
        f.radius = 2, f.densityMaximum = 1;
        DensityGrid grid;
        ASSERT_TRUE(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                                    PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid)
                        .ok());
        EXPECT_LE(static_cast<int>(grid.columnPositions.size()), grid.width) << c.name;
        EXPECT_LE(static_cast<int>(grid.rowPositions.size()), grid.height) << c.name;
        EventTable one = OneEvent(c.low, c.low + c.range / 2, c.low + c.range / 2, 0);
        for (bool gaussian : {false, true}) {
            f.gaussian = gaussian;
            cv::Mat expected = reference::BlackRaster(f);
            reference::FillTimePicture(expected, f, 0, one.rows.data(), 1);
            EXPECT_TRUE(
                SameBytes(FastPicture(f, TestsFor(f, 0, false), one.rows.data(), 1), expected))
                << c.name;
        }
    }
}

TEST(DensityGrid, AbsurdSizesAreRefusedWithAReason) {
    struct Case {
        const char* name;
        double hMax, hScale;
        const char* message;
    };
    const Case cases[] = {
        {"too many pixels", 1e6, 1e-3,
         "A picture of 1000000002 x 12 pixels is too large to compute."},
        // The raster alone would fit; with the margins for axes and bar it would not.
        {"canvas too large", 2e6, 1, "A picture of 2000002 x 12 pixels is too large to compute."},
        {"scale not a number", 10, NAN, "The picture size cannot be computed from these ranges."},
        {"zero scale", 10, 0, "The picture size cannot be computed from these ranges."},
        {"range running backwards", -10, 1, "A picture of -8 x 12 pixels cannot be computed."},
    };
    for (const Case& c : cases) {
        DensityGrid grid;
        const Status made = MakeDensityGrid(PlaneRange{{0, c.hMax}, {0, 10}},
                                            PlaneScale{c.hScale, 1}, CanvasMargins{300, 200}, grid);
        EXPECT_FALSE(made.ok()) << c.name;
        EXPECT_EQ(made.message(), c.message) << c.name;
    }
}

TEST(Estimates, SingleAndCoincidentEvents) {
    const EventTable one = OneEvent(1, 2, 3, 4);
    EXPECT_EQ(EstimateSpatialMaximum(one, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1,
                                     Weighting{1, false}),
              1.0);
    EXPECT_EQ(EstimateSpatialMaximum(one, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1,
                                     Weighting{1, true}),
              1.0);
    EXPECT_EQ(EstimateTimeMaximum(one, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1, false,
                                  Weighting{1, false}),
              1.0);
    EXPECT_EQ(EstimateTimeMaximum(one, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1, true,
                                  Weighting{1, false}),
              0.0);
    EventTable same = one;
    same.rows[1] = same.rows[0];
    same.count = 2;
    EXPECT_EQ(EstimateTimeMaximum(same, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1, true,
                                  Weighting{1, false}),
              0.0);
    EXPECT_EQ(EstimateTimeMaximum(same, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1, false,
                                  Weighting{1, false}),
              2.0);
    same.rows[1].t = 3.5;  // earlier now: counts for the later one only
    EXPECT_EQ(EstimateTimeMaximum(same, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1, true,
                                  Weighting{1, false}),
              1.0);
    EXPECT_EQ(EstimateSpatialMaximum(same, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1,
                                     Weighting{0, false}),
              0.0);
    EventTable none;
    EXPECT_EQ(EstimateSpatialMaximum(none, ViewAxes(ViewDirection::AlongX), PlaneScale{1, 1}, 1,
                                     Weighting{1, false}),
              0.0);
}

}  // namespace
}  // namespace korvane::testing
