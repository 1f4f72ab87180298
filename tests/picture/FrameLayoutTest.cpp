#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "picture/FrameLayout.h"

namespace korvane {
namespace {

PictureLabels LabelsOver(AxisRange across, AxisRange up, PictureKind kind = PictureKind::Spatial) {
    PictureLabels labels;
    labels.ranges = {across, up};
    labels.direction = ViewDirection::AlongZ;
    labels.kind = kind;
    labels.densityMaximum = 1;
    return labels;
}

struct Case {
    const char* name;
    cv::Size raster;
    AxisRange across, up;
    double caption;
    const char* firstAcross;  // the text of the left end label
    const char* firstUp;      // the text of the top end label
};

// Clouds whose labels collide or repeat with three decimals, and two that never did.
const Case Cases[] = {
    {"bundled example", {502, 502}, {0, 100}, {0, 100}, 25, "0.000", "100.000"},
    {"UTM cloud", {402, 302}, {5000, 6000}, {5702000, 5712000}, 12.5, "5000", "5712000"},
    {"UTM eastings", {602, 402}, {512000, 548000}, {5702000, 5730000}, 1, "512000", "5730000"},
    {"5-decimal cloud",
     {402, 402},
     {47.36512, 47.36598},
     {8.54001, 8.54077},
     3,
     "47.36512",
     "8.54077"},
    {"small raster", {122, 82}, {0, 60}, {0, 40}, 2, "0", "40"},
    // Signed labels one pixel apart ran together ("-77.690-62.262"); the heights stay.
    {"km around an origin", {500, 500}, {-77.69, 76.59}, {-80.151, 80.494}, 1, "-78", "80.494"},
    {"tiny raster", {7, 5}, {3, 3}, {-1, 2}, 0, "3", "2.0"},
    {"far caption", {60, 40}, {0, 1}, {0, 1}, 1.0e20, "0.0", "1.0"},
};

bool Inside(const cv::Rect& box, cv::Size canvas) {
    return box.x >= 0 && box.y >= 0 && box.x + box.width <= canvas.width &&
           box.y + box.height <= canvas.height;
}

// Each case three times: today's frame; in km with weighted events (a colour-bar title); a
// time series of calendar time (its caption gives both times where they fit).
TEST(FrameLayout, LabelsNeverOverlapAndStayInsideThePicture) {
    for (std::size_t k = 0; k < 3 * std::size(Cases); ++k) {
        const Case& c = Cases[k % std::size(Cases)];
        const std::size_t variant = k / std::size(Cases);
        SCOPED_TRACE(std::string(c.name) + " variant " + std::to_string(variant));
        PictureLabels labels = LabelsOver(
            c.across, c.up, variant == 2 ? PictureKind::TimeResolved : PictureKind::Spatial);
        labels.unit = variant == 0 ? "m" : "km";
        labels.weighted = variant == 1;
        if (variant == 2) {
            labels.calendar = [](double) { return std::string("2023-02-07 00:00:00 UTC"); };
        }
        const FrameLayout layout = LayoutFrame(c.raster, labels);
        const cv::Size canvas(c.raster.width + CanvasExtraWidth,
                              c.raster.height + CanvasExtraHeight);
        const cv::Rect raster(RasterLeft, RasterTop, c.raster.width, c.raster.height);

        std::vector<PlacedText> all = layout.horizontalLabels;
        all.insert(all.end(), layout.verticalLabels.begin(), layout.verticalLabels.end());
        all.push_back(layout.horizontalTitle);
        all.push_back(layout.verticalTitle);
        const PlacedText caption = LayoutCaption(c.raster, labels, c.caption);
        all.push_back(caption);
        EXPECT_EQ(caption.text.find("2023-02-07 00:00:00 UTC") != std::string::npos, variant == 2);
        // The colour bar's title, and its first label where the bar draws it.
        const PlacedText title = LayoutColourBarTitle(c.raster, labels);
        ASSERT_EQ(title.text.empty(), variant == 0);
        if (variant > 0) {
            all.push_back(title);
            const int width = TextBox("0.00", {}, TitleScale).width;
            const cv::Point at(std::min(c.raster.width + 210, canvas.width - width), RasterTop);
            all.push_back({"0.00", at, TitleScale, TextBox("0.00", at, TitleScale)});
        }
        for (std::size_t i = 0; i < all.size(); ++i) {
            EXPECT_TRUE(Inside(all[i].box, canvas)) << all[i].text;
            EXPECT_EQ((all[i].box & raster).area(), 0) << all[i].text;
            for (std::size_t j = i + 1; j < all.size(); ++j) {
                EXPECT_EQ((all[i].box & all[j].box).area(), 0)
                    << all[i].text << " and " << all[j].text;
            }
        }
        // The ends stay, and no two labels of an axis read the same.
        for (const auto* axis : {&layout.horizontalLabels, &layout.verticalLabels}) {
            std::set<std::string> texts;
            for (const PlacedText& label : *axis) {
                texts.insert(label.text);
            }
            EXPECT_EQ(texts.size(), axis->size());
        }
        ASSERT_FALSE(layout.horizontalLabels.empty());
        ASSERT_FALSE(layout.verticalLabels.empty());
        EXPECT_EQ(layout.horizontalLabels.front().text, c.firstAcross);
        EXPECT_EQ(layout.verticalLabels.front().text, c.firstUp);
        EXPECT_EQ(layout.verticalLabels.front().origin.y, RasterTop);
    }
}

TEST(FrameLayout, LabelsThatNeverCollidedStayWhereTheyWere) {
    // The bundled example: eleven labels per axis, three decimals, each starting at its
    // tick, the vertical ones at column 100.
    const FrameLayout layout = LayoutFrame({502, 502}, LabelsOver({0, 100}, {0, 100}));
    ASSERT_EQ(layout.horizontalLabels.size(), 11u);
    ASSERT_EQ(layout.verticalLabels.size(), 11u);
    for (int i = 0; i <= 10; ++i) {
        const PlacedText& across = layout.horizontalLabels[static_cast<std::size_t>(i)];
        const PlacedText& up = layout.verticalLabels[static_cast<std::size_t>(i)];
        EXPECT_EQ(across.origin, cv::Point(150 + 50 * i, 502 + 120));
        EXPECT_EQ(across.text, std::to_string(10 * i) + ".000");
        EXPECT_EQ(up.origin, cv::Point(100, 100 + 50 * i));
        EXPECT_EQ(up.text, std::to_string(100 - 10 * i) + ".000");
    }
    // The last label of a crowded axis is its maximum, on its last tick.
    const FrameLayout utm = LayoutFrame({402, 302}, LabelsOver({5000, 6000}, {0, 1}));
    EXPECT_EQ(utm.horizontalLabels.back().text, "6000");
    const cv::Rect last = utm.horizontalLabels.back().box;
    EXPECT_LE(last.x, 150 + 400);
    EXPECT_GE(last.x + last.width, 150 + 400);
}

// A tick just below zero on an axis of whole numbers reads "0", never "-0".
TEST(FrameLayout, ATickJustBelowZeroHasNoSign) {
    const FrameLayout layout = LayoutFrame({502, 502}, LabelsOver({-157.62, 157.03}, {-0.3, 9.7}));
    std::vector<std::string> texts;
    for (const auto* labels : {&layout.horizontalLabels, &layout.verticalLabels}) {
        for (const PlacedText& label : *labels) {
            texts.push_back(label.text);
        }
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "0"), texts.end());
    for (const std::string& text : texts) {
        EXPECT_FALSE(text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
            << text;
    }
}

}  // namespace
}  // namespace korvane
