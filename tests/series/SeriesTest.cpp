// Whole spatial and time series: picture counts and names, which events each picture shows,
// progress, cancel, the closing message, the trace lines, and failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <optional>
#include <string>
#include <vector>

#include "density/DensityTestSupport.h"
#include "reference/ReferenceRules.h"
#include "series/PlaneSeries.h"
#include "setup/CalculateCommand.h"
#include "support/EventClouds.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

AxisRange& ColumnOf(SpaceBox& box, int column) {
    return column == 0 ? box.x : column == 1 ? box.y : box.z;
}

// One series run: a folder for the pictures, a recording window, a table, the request.
struct Bench {
    TempDir dir;
    RecordingObserver recorder;
    EventTable events;
    CalculationRequest request;
    double densityMaximum = 1;
    SeriesWorkspace work;

    Bench() {
        request.eventFilePath = dir.file("events.dat");
        request.weighting.radius = 1;
    }
    void Add(double x, double y, double z, double t) { events.rows[events.count++] = {x, y, z, t}; }

    // The request's box, picture size and count for pictures of (hMin..hMax) x (vMin..vMax)
    // at `scale` world units per pixel, viewed along `direction`.
    void Frame(double numberOfPictures, int direction, double hMin, double hMax, double vMin,
               double vMax, double scale) {
        request.direction = static_cast<ViewDirection>(direction);
        const AxisMap axes = ViewAxes(request.direction);
        ColumnOf(request.box, axes.horizontal) = {hMin, hMax};
        ColumnOf(request.box, axes.vertical) = {vMin, vMax};
        request.pictureWidth = (hMax - hMin) / scale;
        request.pictureHeight = (vMax - vMin) / scale;
        request.numberOfPictures = numberOfPictures;
    }

    Status Spatial(double numberOfPictures, int direction, double depthMin, double depthMax,
                   double hMin = 0, double hMax = 10, double vMin = 0, double vMax = 10,
                   double scale = 1) {
        request.kind = CalculationKind::Spatial;
        Frame(numberOfPictures, direction, hMin, hMax, vMin, vMax, scale);
        ColumnOf(request.box, ViewAxes(request.direction).depth) = {depthMin, depthMax};
        return RunSpatial();
    }
    Status RunSpatial() {
        SeriesContext ctx{recorder, events, request, densityMaximum, work};
        return Traced(RunSpatialSeries(ctx));
    }
    Status Time(double numberOfPictures, double start, double end, bool cumulative,
                int direction = 2) {
        request.kind = CalculationKind::Time;
        request.cumulative = cumulative;
        request.time = {start, end};
        Frame(numberOfPictures, direction, 0, 10, 0, 10, 1);
        return RunTime();
    }
    Status RunTime() {
        SeriesContext ctx{recorder, events, request, densityMaximum, work};
        return Traced(RunTimeSeries(ctx));
    }
    // Keeps the trace lines of the run as the standard output shows them.
    Status Traced(Status status) {
        trace.clear();
        for (const std::string& line : recorder.traces) {
            trace += line + "\n";
        }
        return status;
    }

    std::vector<std::string> Pictures() const { return testing::NamesBesideTheIndex(dir.path()); }
    // The raster part of a saved picture.
    cv::Mat Raster(const std::string& name, int width, int height) const {
        const cv::Mat raster = ReadPictureBlock(dir.file(name), 150, 100, width, height);
        EXPECT_FALSE(raster.empty()) << name;
        return raster;
    }
    // Whether picture `name` (rasters of 12 x 12 for 0..10 at one unit per pixel) shows
    // density at (h, v).
    bool Shows(const std::string& name, int h, int v) const {
        const cv::Mat raster = Raster(name, 12, 12);
        return !raster.empty() && raster.at<cv::Vec3b>(11 - v, h) != cv::Vec3b(0, 0, 0);
    }

    std::string trace;
};

// The box a front end shows after a series that ran to its end. The series itself shows
// nothing.
void ExpectFinishedBox(const Status& status, const RecordingObserver& recorder,
                       const char* what = "") {
    EXPECT_TRUE(recorder.messages.empty()) << what;
    const std::optional<UserMessage> box = MessageOfCalculation(status);
    ASSERT_TRUE(box.has_value()) << what;
    EXPECT_EQ(box->text, "Calculation finished successfully.") << what;
    EXPECT_EQ(box->caption, "Information") << what;
    EXPECT_EQ(box->icon, MessageIcon::Information) << what;
}

using reference::NumberedNames;
using reference::PictureName;

TEST(SeriesPictureCount, FollowsTheAccumulatedPosition) {
    struct Case {
        const char* name;
        bool spatial;
        double pictures, start, end;
        int expected;
        int progressTop;
    };
    const Case cases[] = {
        {"ten windows of one second", false, 10, 0, 10, 10, 11},
        {"0 to 1 in ten slices accumulates just below 1", true, 10, 0, 1, 11, 11},
        {"2.5 pictures: positions 0, 4 and 8", true, 2.5, 0, 10, 3, 3},
        {"empty range", true, 5, 3, 3, 0, 6},
        {"empty time range", false, 5, 3, 3, 0, 6},
        {"twelve pictures", false, 12, 0, 12, 12, 13},
    };
    for (const Case& c : cases) {
        Bench bench;
        const Status result = c.spatial ? bench.Spatial(c.pictures, 2, c.start, c.end)
                                        : bench.Time(c.pictures, c.start, c.end, false);
        EXPECT_EQ(result.code(), c.expected > 0 ? Status::Code::Ok : Status::Code::NothingMade)
            << c.name;
        EXPECT_EQ(bench.Pictures(), NumberedNames(c.spatial ? "space" : "time", c.expected))
            << c.name;
        EXPECT_EQ(bench.recorder.countedTotal, c.progressTop - 1) << c.name;
        std::vector<int> positions;
        for (int n = 1; n <= c.expected; ++n) {
            positions.push_back(n);
        }
        EXPECT_EQ(bench.recorder.positions, positions) << c.name;
        if (c.expected > 0) {
            ExpectFinishedBox(result, bench.recorder, c.name);
        }
    }
}

TEST(SeriesPictureCount, StepBelowThePrecisionOfThePositionStopsAfterNPlusOne) {
    // One unit in the last place in four slices: a quarter of it never adds up.
    Bench bench;
    const Status result = bench.Spatial(4, 2, 1e9, 1e9 + 1e-7);
    EXPECT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(bench.Pictures(), NumberedNames("space", 5));
    ExpectFinishedBox(result, bench.recorder);
}

TEST(SpatialSeries, SliceBoundsAreIncluded) {
    // View along x, x from 0 to 10 in 5 slices of 2, radius 1: slice n takes
    // p - 2 <= x <= p + 2 with p = 0, 2, 4, 6, 8.
    Bench bench;
    bench.Add(-2.0, 1, 1, 0);  // first slice only
    bench.Add(2.0, 3, 3, 0);   // slices 1, 2 and 3
    bench.Add(-2.5, 5, 5, 0);  // none
    bench.Add(8.0, 7, 7, 0);   // slices 4 and 5
    ASSERT_TRUE(bench.Spatial(5, 0, 0, 10).ok());
    EXPECT_EQ(bench.trace, "input[][] sorted by direction!\n");
    const bool expected[4][5] = {{true, false, false, false, false},
                                 {true, true, true, false, false},
                                 {false, false, false, false, false},
                                 {false, false, false, true, true}};
    const int at[4] = {1, 3, 5, 7};
    for (int e = 0; e < 4; ++e) {
        for (int n = 1; n <= 5; ++n) {
            EXPECT_EQ(bench.Shows(PictureName("space", n), at[e], at[e]), expected[e][n - 1])
                << "event " << e << " picture " << n;
        }
    }
    // The table stays sorted on the depth column.
    EXPECT_EQ(bench.events.rows[0].x, -2.5);
    EXPECT_EQ(bench.events.rows[3].x, 8.0);
}

TEST(TimeSeries, WindowsExcludeTheirBoundsUnlessCumulative) {
    struct Case {
        double time;
        int first, last;      // pictures that show the event, not cumulative (0: none)
        int cumulativeFirst;  // first cumulative picture showing it (then to the last)
    };
    const Case cases[] = {{3.5, 4, 4, 4}, {3.0, 0, 0, 4}, {-5.0, 0, 0, 1}, {10.0, 0, 0, 0}};
    for (bool cumulative : {false, true}) {
        Bench bench;
        for (int e = 0; e < 4; ++e) {
            bench.Add(2 * e + 1, 2 * e + 1, 100.0 * e, cases[e].time);  // depth plays no part
        }
        ASSERT_TRUE(bench.Time(10, 0, 10, cumulative).ok());
        EXPECT_EQ(bench.trace, "input[][] sorted by time!\n");
        for (int e = 0; e < 4; ++e) {
            for (int n = 1; n <= 10; ++n) {
                const Case& c = cases[e];
                const bool expected = cumulative ? (c.cumulativeFirst > 0 && n >= c.cumulativeFirst)
                                                 : (n >= c.first && n <= c.last && c.first > 0);
                EXPECT_EQ(bench.Shows(PictureName("time", n), 2 * e + 1, 2 * e + 1), expected)
                    << "time " << c.time << " picture " << n << (cumulative ? " cumulative" : "");
            }
        }
    }
}

TEST(Series, StopAfterPictureNWritesNoMore) {
    for (bool spatial : {true, false}) {
        Bench bench;
        bench.recorder.stopAfter = 3;
        const Status result = spatial ? bench.Spatial(10, 2, 0, 10) : bench.Time(10, 0, 10, false);
        EXPECT_EQ(result.code(), Status::Code::Cancelled);
        EXPECT_EQ(bench.Pictures(), NumberedNames(spatial ? "space" : "time", 3));
        EXPECT_EQ(bench.recorder.positions, (std::vector<int>{1, 2, 3}));
        EXPECT_TRUE(bench.recorder.messages.empty());
    }
}

TEST(Series, PictureThatCannotBeWrittenStopsTheSeries) {
    Bench bench;
    bench.request.eventFilePath = bench.dir.file("missing-folder/events.dat");
    const Status result = bench.Spatial(5, 2, 0, 10);
    EXPECT_EQ(result.code(), Status::Code::IoError);
    EXPECT_NE(result.message().find("space0001.bmp"), std::string::npos) << result.message();
    EXPECT_TRUE(bench.recorder.positions.empty());
    EXPECT_TRUE(bench.recorder.messages.empty());
}

// Links planted where pictures used to be written first (space0001.bmp.part, ...), some
// dangling, some pointing at a file outside the folder: the series writes past them.
TEST(Series, LinksPlantedBesideThePicturesAreNotFollowed) {
    Bench bench;
    bench.Add(5, 5, 5, 1);
    TempDir outside;
    const std::string victim = outside.write("victim.bmp", "not a picture of this series");
    const std::vector<std::string> names = NumberedNames("space", 5);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string target = i % 2 ? victim : outside.file("dangling" + names[i]);
        std::filesystem::create_symlink(target, bench.dir.file(names[i] + ".part"));
    }
    ASSERT_TRUE(bench.Spatial(5, 2, 0, 10).ok());
    EXPECT_EQ(ReadWholeFile(victim), "not a picture of this series");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outside.path()),
                            std::filesystem::directory_iterator()),
              1);
    for (const std::string& name : names) {
        EXPECT_TRUE(
            std::filesystem::is_regular_file(std::filesystem::symlink_status(bench.dir.file(name))))
            << name;
        EXPECT_FALSE(cv::imread(bench.dir.file(name), cv::IMREAD_UNCHANGED).empty()) << name;
        EXPECT_TRUE(std::filesystem::is_symlink(bench.dir.file(name + ".part"))) << name;
    }
}

TEST(Series, RasterTooLargeFailsBeforeAnything) {
    Bench bench;
    bench.Add(1, 2, 3, 4);
    bench.Add(0, 0, 0, 1);
    const Status result = bench.Spatial(5, 2, 0, 10, 0, 1e6, 0, 1e6, 1e-3);
    EXPECT_EQ(result.code(), Status::Code::NoMemory);
    EXPECT_NE(result.message().find("too large"), std::string::npos) << result.message();
    EXPECT_TRUE(bench.Pictures().empty());
    EXPECT_EQ(bench.recorder.countedPhases, 0);
    EXPECT_TRUE(bench.recorder.messages.empty());
}

// The saved rasters of whole series against the literal series, on random clouds. With
// fewer than 20 rows the picture has a tick on every row, drawn over the raster's first
// column, so that column is left out of the comparison.
TEST(Series, SavedPicturesMatchTheLiteralSeries) {
    reference::Frame f;
    f.hMin = 0.5, f.hMax = 9.5, f.vMin = -1, f.vMax = 10;
    f.hScale = 9.0 / 23, f.vScale = 11.0 / 17, f.radius = 1.5, f.densityMaximum = 3;
    // Seeds 5 and 6: the radius in coordinates (slab, box and distance in the events' units).
    for (unsigned seed = 1; seed <= 6; ++seed) {
        CloudRecipe recipe;
        recipe.shape = seed % 2 ? CloudShape::Clustered : CloudShape::Lattice;
        recipe.count = 150;
        recipe.low = -1, recipe.high = 11, recipe.seed = seed;
        f.gaussian = seed == 3 || seed == 4 || seed == 6;
        f.coordinateRadius = seed > 4;
        const int direction = static_cast<int>(seed % 3);
        const bool cumulative = seed % 2 == 0;
        const double step = 10.0 / 6;

        Bench spatial;
        spatial.events = MakeCloud(recipe);
        spatial.request.weighting = {f.radius, f.gaussian};
        spatial.request.output.radiusUnit =
            f.coordinateRadius ? RadiusUnit::Coordinates : RadiusUnit::Pixels;
        spatial.densityMaximum = f.densityMaximum;
        spatial.Frame(6, direction, f.hMin, f.hMax, f.vMin, f.vMax, 1);
        // Pictures of 23 x 17 give the frame's scales to the last bit.
        spatial.request.pictureWidth = 23;
        spatial.request.pictureHeight = 17;
        ASSERT_EQ(ViewGeometryOf(spatial.request).scale.horizontal, f.hScale);
        ASSERT_EQ(ViewGeometryOf(spatial.request).scale.vertical, f.vScale);
        ASSERT_EQ(ScaleOrStep({0, 10}, 6), step);
        spatial.request.kind = CalculationKind::Spatial;
        ColumnOf(spatial.request.box, ViewAxes(spatial.request.direction).depth) = {0, 10};
        ASSERT_TRUE(spatial.RunSpatial().ok());
        const auto spatialPictures =
            reference::SpatialSeries(MakeCloud(recipe), f, direction, 0, 10, step, 7);
        ASSERT_EQ(spatial.Pictures().size(), spatialPictures.size());
        for (const auto& picture : spatialPictures) {
            EXPECT_TRUE(SameBytes(spatial.Raster(picture.fileName, 25, 19).colRange(1, 25),
                                  picture.raster.colRange(1, 25)))
                << picture.fileName << " seed " << seed;
        }

        Bench time;
        time.events = MakeCloud(recipe);
        time.request = spatial.request;
        time.request.eventFilePath = time.dir.file("events.dat");
        time.request.kind = CalculationKind::Time;
        time.request.time = {0, 10};
        time.request.cumulative = cumulative;
        time.densityMaximum = spatial.densityMaximum;
        ASSERT_TRUE(time.RunTime().ok());
        const auto timePictures =
            reference::TimeSeries(MakeCloud(recipe), f, direction, step, 0, 10, cumulative, 7);
        ASSERT_EQ(time.Pictures().size(), timePictures.size());
        for (const auto& picture : timePictures) {
            EXPECT_TRUE(SameBytes(time.Raster(picture.fileName, 25, 19).colRange(1, 25),
                                  picture.raster.colRange(1, 25)))
                << picture.fileName << " seed " << seed;
        }
    }
}

}  // namespace
}  // namespace korvane::testing
