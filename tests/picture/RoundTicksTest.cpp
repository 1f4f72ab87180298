// Round ticks over many ranges and picture sizes: values on 1-2-5 steps inside the range,
// one number of decimals per axis, labels that touch neither each other nor a tick; and the
// vertical exaggeration note and true-scale picture sizes.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "density/DensityGrid.h"
#include "picture/FrameLayout.h"
#include "picture/RoundTicks.h"
#include "picture/ViewChoices.h"

namespace korvane {
namespace {

struct RangeCase {
    AxisRange across, up;
    cv::Size raster;
};

const RangeCase Ranges[] = {
    {{0, 100}, {0, 50}, {802, 402}},
    {{-52.668, 52.8}, {-42.115, 43.2}, {502, 502}},
    {{500000, 520000}, {6543204, 6547207}, {802, 162}},
    {{6543204.2, 6543207.9}, {0, 30}, {502, 802}},
    {{3855000, 3859000}, {0, 451}, {502, 60}},
    {{0, 1}, {0, 1}, {60, 40}},
    {{-0.0005, 0.0007}, {1e-7, 9e-7}, {402, 302}},
    {{0, 105}, {0, 33}, {802, 253}},
    {{-1e6, 1e6}, {-3, 3}, {302, 802}},
    {{47.36512, 47.36598}, {8.54001, 8.54077}, {402, 402}},
    {{17, 17.5}, {-900, -100}, {122, 82}},
    {{0, 3.5e9}, {0, 1}, {802, 802}},
};

int Decimals(const std::string& text) {
    const std::size_t dot = text.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

bool Touch(const cv::Rect& a, const cv::Rect& b, int gap) {
    const cv::Rect grown(a.x - gap, a.y - gap, a.width + 2 * gap, a.height + 2 * gap);
    return (grown & b).area() > 0;
}

// The steps and values of each axis alone.
TEST(RoundTicks, ValuesLieOnOneTwoFiveStepsInsideTheRange) {
    for (const RangeCase& c : Ranges) {
        for (const AxisRange& range : {c.across, c.up}) {
            RoundAxisSpace space;
            space.min = range.min;
            space.max = range.max;
            space.pixelOf = [&](double v) {
                return static_cast<int>(
                    std::lround((v - range.min) / (range.max - range.min) * 700));
            };
            space.spacingFor = [](const std::vector<std::string>&) { return 60; };
            const RoundAxis axis = LayoutRoundAxis(space);
            ASSERT_GE(axis.ticks.size(), 2u) << range.min << " " << range.max;
            const double mantissa = axis.step / std::pow(10.0, std::floor(std::log10(axis.step)));
            EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                        std::fabs(mantissa - 5) < 1e-9)
                << axis.step;
            for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
                const double v = axis.ticks[i].value;
                EXPECT_GE(v, range.min - axis.step * 1e-6);
                EXPECT_LE(v, range.max + axis.step * 1e-6);
                EXPECT_NEAR(v / axis.step, std::round(v / axis.step), 1e-6);
                EXPECT_EQ(Decimals(axis.ticks[i].text), Decimals(axis.ticks[0].text)) << v;
                if (i > 0) {
                    EXPECT_GE(axis.ticks[i].pixel - axis.ticks[i - 1].pixel, 60);
                }
            }
        }
    }
}

TEST(RoundTicks, LabelsTouchNeitherEachOtherNorATick) {
    for (const RangeCase& c : Ranges) {
        for (const bool depthDown : {false, true}) {
            PictureLabels labels;
            labels.ranges = {c.across, c.up};
            labels.roundTicks = true;
            labels.depthDown = depthDown;
            labels.unit = "km";
            labels.pitch = {(c.across.max - c.across.min) / (c.raster.width - 2),
                            (c.up.max - c.up.min) / (c.raster.height - 2)};
            const FrameLayout layout = LayoutFrame(c.raster, labels);
            const int W = c.raster.width, H = c.raster.height;
            const cv::Size canvas(W + CanvasExtraWidth, H + CanvasExtraHeight);
            std::vector<cv::Rect> ticks;
            for (int x : layout.tickColumns) {
                EXPECT_GE(x, RasterLeft);
                EXPECT_LT(x, RasterLeft + W);
                ticks.emplace_back(x, H + RasterTop, 1, 11);
            }
            for (int y : layout.tickRows) {
                EXPECT_GE(y, RasterTop);
                EXPECT_LT(y, RasterTop + H);
                ticks.emplace_back(RasterLeft - 10, y, 11, 1);
            }
            std::vector<PlacedText> texts = layout.horizontalLabels;
            texts.insert(texts.end(), layout.verticalLabels.begin(), layout.verticalLabels.end());
            for (const PlacedText* extra : {&layout.horizontalOffset, &layout.verticalOffset,
                                            &layout.horizontalTitle, &layout.verticalTitle}) {
                if (!extra->text.empty()) {
                    texts.push_back(*extra);
                }
            }
            const std::string name = std::to_string(c.across.min) + " " + std::to_string(c.up.min);
            EXPECT_GE(layout.horizontalLabels.size(), 2u) << name;
            EXPECT_GE(layout.verticalLabels.size(), 2u) << name;
            for (std::size_t i = 0; i < texts.size(); ++i) {
                const cv::Rect& box = texts[i].box;
                EXPECT_TRUE(box.x >= 0 && box.y >= 0 && box.br().x <= canvas.width &&
                            box.br().y <= canvas.height)
                    << texts[i].text << " " << name;
                for (const cv::Rect& tick : ticks) {
                    EXPECT_FALSE(Touch(box, tick, 1)) << texts[i].text << " " << name;
                }
                for (std::size_t j = i + 1; j < texts.size(); ++j) {
                    EXPECT_FALSE(Touch(box, texts[j].box, 2))
                        << texts[i].text << " / " << texts[j].text << " " << name;
                }
            }
            // Depth down puts the smallest value at the top.
            ASSERT_GE(layout.tickRows.size(), 2u);
            EXPECT_EQ(layout.tickRows.front() < layout.tickRows.back(), depthDown) << name;
        }
    }
}

TEST(RoundTicks, LargeCoordinatesCountFromAnOffset) {
    EXPECT_EQ(OffsetText(6543000), "+6,543,000");
    EXPECT_EQ(OffsetText(-500000), "-500,000");
    EXPECT_EQ(OffsetText(100), "+100");
    PictureLabels labels;
    labels.ranges = {{6543204, 6543207}, {0, 10}};
    labels.roundTicks = true;
    labels.pitch = {3.0 / 120, 10.0 / 300};
    const FrameLayout layout = LayoutFrame({122, 302}, labels);
    EXPECT_EQ(layout.horizontalOffset.text, "+6,543,204");
    EXPECT_EQ(layout.verticalOffset.text, "");
    EXPECT_EQ(layout.horizontalLabels.front().text, "0");
    EXPECT_EQ(layout.horizontalLabels.back().text, "3");
}

// The picture size true scale gives (the raster of the density grid), and the note.
TEST(TrueScale, OneUnitIsAsLongAcrossAsUp) {
    struct SizeCase {
        AxisRange across, up;
        double width, height;
        int columns, rows;
    };
    const SizeCase cases[] = {
        {{0, 100}, {0, 50}, 800, 800, 802, 402},  {{0, 105}, {0, 33}, 800, 800, 802, 253},
        {{0, 3855}, {0, 451}, 500, 500, 502, 60}, {{0, 10}, {0, 40}, 800, 640, 162, 642},
        {{5, 5}, {0, 40}, 800, 640, 2, 642},      {{0, 32}, {-7, -7}, 300, 256, 302, 2},
    };
    for (const SizeCase& c : cases) {
        const PlaneRange ranges{c.across, c.up};
        const PlaneScale scale = TrueScaleOf(ranges, c.width, c.height);
        EXPECT_EQ(scale.horizontal, scale.vertical);
        DensityGrid grid;
        ASSERT_TRUE(MakeDensityGrid(ranges, scale, {300, 200}, grid).ok());
        EXPECT_EQ(grid.width, c.columns) << c.across.max << " x " << c.up.max;
        EXPECT_EQ(grid.height, c.rows) << c.across.max << " x " << c.up.max;
    }
    const struct {
        PlaneScale pitch;
        const char* note;
    } notes[] = {{{0.13125, 0.04125}, "V.E. 3.2x"},
                 {{7.71, 0.906}, "V.E. 8.5x"},
                 {{1, 0.08}, "V.E. 12x"},
                 {{1, 2}, "V.E. 0.50x"},
                 {{0.5, 0.5}, ""},
                 {{1.04, 1}, ""}};
    for (const auto& n : notes) {
        PictureLabels labels;
        labels.ranges = {{0, 10}, {0, 10}};
        labels.exaggerationNote = true;
        labels.pitch = n.pitch;
        EXPECT_EQ(LayoutFrame({402, 402}, labels).exaggeration.text, n.note);
    }
}

TEST(ViewChoices, AutomaticChoicesFollowTheKindOfFile) {
    const ViewChoices automatic;
    const ViewLook plain = SettleView(automatic, false, true);
    EXPECT_FALSE(plain.depthDown || plain.roundTicks || plain.exaggerationNote);
    const ViewLook catalogue = SettleView(automatic, true, true);
    EXPECT_TRUE(catalogue.depthDown && catalogue.roundTicks && catalogue.exaggerationNote);
    // A catalogue of elevations stays up; explicit choices win either way.
    EXPECT_FALSE(SettleView(automatic, true, false).depthDown);
    const ViewChoices chosen{DepthAxis::Down, true, ExaggerationNote::Shown, TickStyle::Round};
    const ViewLook forced = SettleView(chosen, false, true);
    EXPECT_TRUE(forced.depthDown && forced.trueScale && forced.roundTicks &&
                forced.exaggerationNote);
    const ViewChoices off{DepthAxis::Up, false, ExaggerationNote::Hidden, TickStyle::Classic};
    const ViewLook kept = SettleView(off, true, true);
    EXPECT_FALSE(kept.depthDown || kept.roundTicks || kept.exaggerationNote);
}

}  // namespace
}  // namespace korvane
