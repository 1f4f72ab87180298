#pragma once
// Small helpers shared by the density tests: run the engine's fill on a run of events, compare
// rasters byte for byte and sums within the engine's contract.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>
#include <string>

#include "density/DensityGrid.h"
#include "reference/ReferenceDensity.h"
#include "reference/ReferenceRules.h"
#include "series/RasterFill.h"
#include "setup/CalculationSetup.h"

namespace korvane::testing {

inline bool SameBytes(const cv::Mat& a, const cv::Mat& b) {
    if (a.size() != b.size() || a.type() != b.type()) {
        return false;
    }
    for (int r = 0; r < a.rows; ++r) {
        if (!std::equal(a.ptr<uchar>(r), a.ptr<uchar>(r) + a.cols * a.elemSize(),
                        b.ptr<uchar>(r))) {
            return false;
        }
    }
    return true;
}

// The engine against the reference (which adds every sum in long double): counts exactly,
// Gaussian or weighted sums and the estimates made of them within a relative 1e-13.
constexpr double SumTolerance = 1e-13;

inline bool AgreesWithReference(double engine, double reference) {
    if (std::isnan(engine) || std::isnan(reference)) {
        return std::isnan(engine) && std::isnan(reference);
    }
    return engine == reference ||
           std::fabs(engine - reference) <= SumTolerance * std::fabs(reference);
}

// The engine's picture against the reference's: the same bytes, but where the reference's
// density (`densities`, the raster's size) lies within the contract of a colour step, where
// either colour may show.
inline void ExpectSamePicture(const cv::Mat& picture, const cv::Mat& expected,
                              const cv::Mat& densities, double maximum, const std::string& what) {
    ASSERT_EQ(picture.size(), expected.size()) << what;
    const float top = reference::ToSingle(maximum);
    int differing = 0;
    for (int r = 0; r < picture.rows; ++r) {
        for (int c = 0; c < picture.cols; ++c) {
            const double d = densities.at<double>(r, c);
            const bool atStep = reference::Pixel(d * (1 - SumTolerance), top) !=
                                reference::Pixel(d * (1 + SumTolerance), top);
            differing +=
                picture.at<cv::Vec3b>(r, c) == expected.at<cv::Vec3b>(r, c) || atStep ? 0 : 1;
        }
    }
    EXPECT_EQ(differing, 0) << what;
}

inline PixelTests TestsFor(const reference::Frame& f, int direction, bool spatial, double p = 0,
                           double depthStep = 1) {
    // The columns come from the tests' own table of directions, not from the program's.
    const reference::Axes axes = reference::AxesOf(direction);
    PixelTests tests;
    tests.hColumn = axes.horizontal;
    tests.vColumn = axes.vertical;
    tests.horizontalInclusive = spatial;
    tests.weighting = {f.radius, f.gaussian};
    tests.hScale = f.coordinateRadius ? 1.0 : f.hScale;
    tests.vScale = f.coordinateRadius ? 1.0 : f.vScale;
    tests.withDepth = spatial;
    tests.depthColumn = axes.depth;
    tests.slicePosition = p;
    tests.depthStep = f.coordinateRadius ? 1.0 : depthStep;
    return tests;
}

// The engine's picture of run[0..count), on a black raster (or `background` when given).
// `keptRectangles`: the events' rectangles are found once beforehand, as a spatial series does.
inline cv::Mat FastPicture(const reference::Frame& f, PixelTests tests, const EventRecord* run,
                           int count, cv::Scalar background = cv::Scalar::all(0),
                           bool keptRectangles = false) {
    DensityGrid grid;
    const Status made =
        MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                        PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid);
    EXPECT_TRUE(made.ok()) << made.message();
    RasterWork work;
    EXPECT_TRUE(PrepareRaster(grid, work.raster).ok());
    work.raster.setTo(background);
    std::vector<BoxRectangle> rectangles;
    if (keptRectangles) {
        rectangles = PlaneRectanglesOf(grid, run, count, tests);
        tests.rectangles = rectangles.data();
    }
    FillDensityGrid(grid, run, count, tests, f.densityMaximum, work);
    return work.raster;
}

}  // namespace korvane::testing
