// Overlays on a raster: where a point of the events' space lands in each view, what a slice's
// slab keeps of a line, and the legend's place above the raster.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <optional>
#include <string>

#include "picture/DensityPicture.h"
#include "picture/FrameLayout.h"
#include "picture/Overlays.h"

namespace korvane::testing {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const cv::Vec3b Grey(128, 128, 128);
const cv::Vec3b Black(0, 0, 0);

// A box of 0 to 10 on every axis on a raster of 21 x 21 pixels: half a unit per pixel.
OverlayFrame FrameAlong(ViewDirection direction, std::optional<AxisRange> slab) {
    OverlayFrame frame =
        AxisOverlayFrame(ViewAxes(direction), {{0, 10}, {0, 10}}, {0.5, 0.5}, cv::Size(21, 21));
    frame.slab = slab;
    return frame;
}

// One layer holding a single point, drawn as a line of no length: a black pixel ringed by
// the light outline.
Overlays Dot(OverlayPoint at) {
    OverlayLayer layer;
    layer.paths.push_back({{at, at}, false});
    return {layer};
}

std::vector<cv::Point> BlackPixels(const cv::Mat& raster) {
    std::vector<cv::Point> found;
    for (int r = 0; r < raster.rows; ++r) {
        for (int c = 0; c < raster.cols; ++c) {
            if (raster.at<cv::Vec3b>(r, c) == Black) {
                found.emplace_back(c, r);
            }
        }
    }
    return found;
}

// Draws the point on a grey raster of the frame's size: it lands black on `pixel`, ringed by
// the light outline so that it shows on black too; none: nothing is drawn.
void ExpectDotAt(const OverlayFrame& frame, OverlayPoint at, std::optional<cv::Point> pixel) {
    cv::Mat raster(frame.raster, CV_8UC3, cv::Scalar(128, 128, 128));
    DrawOverlays(raster, Dot(at), frame);
    const std::vector<cv::Point> black = BlackPixels(raster);
    if (!pixel) {
        EXPECT_TRUE(black.empty());
        return;
    }
    ASSERT_EQ(black.size(), 1u);
    EXPECT_EQ(black[0], *pixel);
    EXPECT_NE(raster.at<cv::Vec3b>(pixel->y, pixel->x + 1), Grey);
}

TEST(Overlays, APointLandsOnThePixelOfItsCoordinatesInEveryView) {
    struct Case {
        const char* view;
        ViewDirection direction;
        std::optional<AxisRange> slab;
        OverlayPoint at;
        std::optional<cv::Point> pixel;  // column, row from the top; none: not drawn
        bool depthDown = false;          // the first row shows the vertical minimum
    };
    const Case cases[] = {
        // Along z: x across, y up (row 20 is y = 0).
        {"z slice", ViewDirection::AlongZ, AxisRange{7, 9}, {2, 6, 8}, cv::Point(4, 8)},
        {"z slice, point below its slab", ViewDirection::AlongZ, AxisRange{0, 5}, {2, 6, 8}, {}},
        {"z slice, slab bounds included",
         ViewDirection::AlongZ,
         AxisRange{8, 9},
         {2, 6, 8},
         cv::Point(4, 8)},
        {"z slice, no depth: every slice",
         ViewDirection::AlongZ,
         AxisRange{0, 1},
         {2, 6, NaN},
         cv::Point(4, 8)},
        {"time window: every depth",
         ViewDirection::AlongZ,
         std::nullopt,
         {2, 6, 8},
         cv::Point(4, 8)},
        // Along x: y across, z up.
        {"x slice", ViewDirection::AlongX, AxisRange{1, 3}, {2, 6, 8}, cv::Point(12, 4)},
        {"x slice, point beside its slab", ViewDirection::AlongX, AxisRange{3, 5}, {2, 6, 8}, {}},
        {"x slice, no depth: no height", ViewDirection::AlongX, AxisRange{1, 3}, {2, 6, NaN}, {}},
        // Along y: x across, z up.
        {"y slice", ViewDirection::AlongY, AxisRange{5, 7}, {2, 6, 8}, cv::Point(4, 4)},
        {"y slice, depth down",
         ViewDirection::AlongY,
         AxisRange{5, 7},
         {2, 6, 8},
         cv::Point(4, 16),
         true},
        {"time window along y",
         ViewDirection::AlongY,
         std::nullopt,
         {2.25, 0, 0},
         cv::Point(5, 20)},
        {"outside the raster", ViewDirection::AlongZ, std::nullopt, {11, 6, 8}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        OverlayFrame frame = FrameAlong(c.direction, c.slab);
        frame.depthDown = c.depthDown;
        ExpectDotAt(frame, c.at, c.pixel);
    }
}

TEST(Overlays, ASectionPlacesAPointByItsDistanceAlongAndAcrossItsLine) {
    struct Case {
        const char* line;
        SectionLine ends;
        OverlayPoint at;
        std::optional<cv::Point> pixel;
    };
    // Along 0 to 10 across the raster, z 0 to 10 up; the slab is 0 to 2 left of the line.
    const Case cases[] = {
        {"along x", {0, 0, 10, 0}, {2, 1, 8}, cv::Point(4, 4)},
        {"along y: x = -1 is left of it", {0, 0, 0, 10}, {-1, 6, 8}, cv::Point(12, 4)},
        {"along y: x = 1 is right of it", {0, 0, 0, 10}, {1, 6, 8}, {}},
        {"no depth: no height in a section", {0, 0, 10, 0}, {2, 1, NaN}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SectionFrame section;
        ASSERT_TRUE(MakeSectionFrame(c.ends, section).ok());
        OverlayFrame frame =
            SectionOverlayFrame(section, {{0, 10}, {0, 10}}, {0.5, 0.5}, cv::Size(21, 21));
        frame.slab = AxisRange{0, 2};
        ExpectDotAt(frame, c.at, c.pixel);
    }
}

TEST(Overlays, ASliceDrawsALineOnlyWhereItCrossesTheSlabAndTheRasterClipsIt) {
    // A line rising from z = 0 at x = 0 to z = 10 at x = 10, along y = 5 (row 10).
    OverlayLayer layer;
    layer.paths.push_back({{{0, 5, 0}, {10, 5, 10}}, false});
    cv::Mat raster(21, 21, CV_8UC3, cv::Scalar(128, 128, 128));
    DrawOverlays(raster, {layer}, FrameAlong(ViewDirection::AlongZ, AxisRange{4, 6}));
    for (const cv::Point& p : BlackPixels(raster)) {
        EXPECT_EQ(p.y, 10);
        EXPECT_GE(p.x, 8);
        EXPECT_LE(p.x, 12);
    }
    EXPECT_EQ(raster.at<cv::Vec3b>(10, 8), Black);
    EXPECT_EQ(raster.at<cv::Vec3b>(10, 12), Black);
    EXPECT_EQ(raster.at<cv::Vec3b>(10, 2), Grey);

    // A closed ring far larger than the raster: only its side along y = 5 crosses it, cut
    // at the raster's edges.
    OverlayLayer ring;
    ring.paths.push_back({{{-1e9, 5, NaN}, {1e9, 5, NaN}, {1e9, 1e12, NaN}}, true});
    cv::Mat other(21, 21, CV_8UC3, cv::Scalar(128, 128, 128));
    DrawOverlays(other, {ring}, FrameAlong(ViewDirection::AlongZ, std::nullopt));
    EXPECT_EQ(BlackPixels(other).size(), 21u);
    for (const cv::Point& p : BlackPixels(other)) {
        EXPECT_EQ(p.y, 10);
    }
}

TEST(Overlays, TheLegendStaysInTheBandAboveTheRasterAndLeftOfTheCaption) {
    const cv::Size raster(200, 100);
    cv::Mat canvas(raster.height + CanvasExtraHeight, raster.width + CanvasExtraWidth, CV_8UC3,
                   cv::Scalar(255, 255, 255));
    Overlays overlays(7);
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        overlays[i].label = "a rather long overlay file name number " + std::to_string(i) + ".csv";
        overlays[i].markers.push_back({"A", {0, 0, 0}});
    }
    DrawOverlayLegend(canvas, raster, overlays);
    cv::Mat changed;
    cv::inRange(canvas, cv::Scalar(255, 255, 255), cv::Scalar(255, 255, 255), changed);
    const cv::Rect drawn = cv::boundingRect(255 - changed);
    EXPECT_FALSE(drawn.empty());
    EXPECT_LE(drawn.y + drawn.height, RasterTop - 10);   // clear of the top tick label
    EXPECT_LE(drawn.x + drawn.width, raster.width - 5);  // clear of the caption at column W
}

}  // namespace
}  // namespace korvane::testing
