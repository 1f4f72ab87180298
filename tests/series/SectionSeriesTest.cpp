// The cross-section series from an event file: a section along the x axis is the y-slice of
// the same events, parallel sections step across the line, and bad sections are refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "common/NumberText.h"
#include "series/RunCalculation.h"
#include "support/EventClouds.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

using nlohmann::json;

std::string EventFileText(const EventTable& events) {
    std::string text;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& e = events.rows[static_cast<std::size_t>(i)];
        text += FormatShortest(e.x) + "\t" + FormatShortest(e.y) + "\t" + FormatShortest(e.z) +
                "\t" + FormatShortest(e.t) + "\n";
    }
    return text;
}

// A request over x 0..10 and z -3..10 in 40 x 26 pixels, its files in `folder`.
CalculationRequest RequestInto(const std::string& events, const std::string& folder) {
    std::filesystem::create_directory(folder);
    CalculationRequest request;
    request.kind = CalculationKind::Spatial;
    request.eventFilePath = events;
    request.box = {{0, 10}, {0, 1}, {-3, 10}};
    request.pictureWidth = 40;
    request.pictureHeight = 26;
    request.numberOfPictures = 1;
    request.weighting.radius = 1.5;
    request.output.densities = true;
    request.output.folder = folder;
    return request;
}

Status Calculate(const CalculationRequest& request) {
    RecordingObserver observer;
    CalculationWorkspace workspace;
    return RunCalculation(request, observer, workspace);
}

json IndexIn(const std::string& folder, const char* name) {
    return json::parse(ReadWholeFile(folder + "/" + name));
}

TEST(SectionSeries, ASectionAlongTheXAxisIsTheYSliceOfTheSameEvents) {
    TempDir dir;
    CloudRecipe recipe;
    recipe.shape = CloudShape::Clustered;
    recipe.count = 400;
    recipe.low = -3;
    const std::string events = dir.write("events.dat", EventFileText(MakeCloud(recipe)));
    for (const bool gaussian : {false, true}) {
        for (const RadiusUnit unit : {RadiusUnit::Pixels, RadiusUnit::Coordinates}) {
            const std::string name =
                std::string(gaussian ? "gaussian-" : "count-") + std::string(RadiusUnitName(unit));
            // The slice at y = 0: one step of 1, so its slab is 1.5 on either side in both units.
            CalculationRequest slice = RequestInto(events, dir.file(name + "-slice"));
            slice.direction = ViewDirection::AlongY;
            slice.weighting.gaussian = gaussian;
            slice.output.radiusUnit = unit;
            CalculationRequest section = slice;
            section.output.folder = dir.file(name + "-section");
            std::filesystem::create_directory(section.output.folder);
            section.direction = ViewDirection::AlongZ;  // a section looks across its line
            section.output.section.on = true;
            section.output.section.toX = 10;
            section.output.section.width = 3;
            ASSERT_TRUE(Calculate(slice).ok()) << name;
            ASSERT_TRUE(Calculate(section).ok()) << name;

            const cv::Mat a =
                cv::imread(slice.output.folder + "/space0001.tiff", cv::IMREAD_UNCHANGED);
            const cv::Mat b =
                cv::imread(section.output.folder + "/section0001.tiff", cv::IMREAD_UNCHANGED);
            ASSERT_FALSE(a.empty()) << name;
            ASSERT_EQ(a.size(), b.size()) << name;
            EXPECT_GT(cv::norm(a, cv::NORM_INF), 0.0) << name;
            EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0.0) << name;
            const json slices = IndexIn(slice.output.folder, "space.json");
            const json sections = IndexIn(section.output.folder, "section.json");
            EXPECT_EQ(sections["densityMaximum"], slices["densityMaximum"]) << name;
            EXPECT_EQ(sections["pictures"][0]["events"], slices["pictures"][0]["events"]) << name;
        }
    }
}

TEST(SectionSeries, ParallelSectionsStepAcrossTheLineCentredOnIt) {
    TempDir dir;
    // The line runs up the y axis, so its left is -x: offsets -2, 0 and +2 lie at x = 2, 0, -2.
    const std::string events = dir.write("events.dat",
                                         "2.4\t7\t5\t0\n"  // 0.4 right of offset -2
                                         "0\t3\t5\t0\n"    // on the line
                                         "-2\t5\t5\t0\n"   // on offset +2
                                         "-2\t5\t5\t0\n"
                                         "5\t5\t5\t0\n"     // in no slab
                                         "0\t12\t5\t0\n");  // beyond B
    CalculationRequest request = RequestInto(events, dir.file("out"));
    request.output.section = {true, 0, 0, 0, 10, false, 1, 2, 3};
    ASSERT_TRUE(Calculate(request).ok());

    EXPECT_EQ(PictureNames(dir.file("out")),
              (std::vector<std::string>{"section0001.bmp", "section0002.bmp", "section0003.bmp"}));
    const json index = IndexIn(dir.file("out"), "section.json");
    EXPECT_EQ(index["series"], "section");
    EXPECT_EQ(index["direction"], "section");
    EXPECT_EQ(index["section"]["from"], json::array({0.0, 0.0}));
    EXPECT_EQ(index["section"]["to"], json::array({0.0, 10.0}));
    EXPECT_EQ(index["section"]["length"], 10.0);
    EXPECT_EQ(index["section"]["width"], 1.0);
    const double offsets[] = {-2, 0, 2};
    const long long counted[] = {1, 2, 2};  // the event beyond B is in its slab, not its plane
    ASSERT_EQ(index["pictures"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const json& picture = index["pictures"][i];
        EXPECT_EQ(picture["offset"], offsets[i]);
        EXPECT_EQ(picture["slab"]["min"], offsets[i] - 0.5);
        EXPECT_EQ(picture["slab"]["max"], offsets[i] + 0.5);
        EXPECT_EQ(picture["horizontal"]["max"], 10.0);
        EXPECT_EQ(picture["events"], counted[i]) << i;
    }
}

TEST(SectionSeries, SectionsThatCannotBeDrawnAreRefusedSayingWhy) {
    TempDir dir;
    const std::string events = dir.write("events.dat", SmallCloud);
    const struct {
        SectionOptions section;
        const char* said;
    } rows[] = {
        {{true, 1, 1, 1, 1, false, 1, 0, 1}, "two different end points"},
        {{true, 0, 0, 5, 5, false, 0, 0, 1}, "width of the section"},
        {{true, 0, 0, 5, 5, false, -1, 0, 1}, "width of the section"},
        {{true, 0, 0, 5, 5, false, 1, 0, 0}, "number of sections"},
        {{true, 0, 0, 5, 5, false, 1, 1, 2.5}, "number of sections"},
        {{true, 0, 0, 5, 5, false, 1, 0, 3}, "step between parallel sections"},
        {{true, 0, 0, 5, 5, true, 1, 0, 1}, "give the ends in x and y"},
    };
    for (const auto& row : rows) {
        CalculationRequest request = RequestInto(events, dir.file("out"));
        request.output.section = row.section;
        const Status run = Calculate(request);
        EXPECT_EQ(run.code(), Status::Code::InvalidInput) << row.said;
        EXPECT_NE(run.message().find(row.said), std::string::npos) << run.message();
    }
    EXPECT_TRUE(PictureNames(dir.file("out")).empty());
}

}  // namespace
}  // namespace korvane::testing
