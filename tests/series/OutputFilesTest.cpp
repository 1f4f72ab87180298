// What a series writes besides BMP pictures: PNG pictures with the same pixels, the density
// data of each picture, the series index, and the summary a front end prints.

#include <gtest/gtest.h>
#include <netcdf.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "picture/FrameLayout.h"
#include "reference/ReferenceDensity.h"
#include "series/PerspectiveSeries.h"
#include "series/PlaneSeries.h"
#include "series/RunCalculation.h"
#include "series/SeriesVolume.h"
#include "support/EventClouds.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

using nlohmann::json;

// Records the summary and can stop after picture n.
class Recorder : public SeriesObserver {
  public:
    void PhaseStarted(RunPhase, long long) override {}
    void Progress(long long) override {}
    void PictureWritten(const WrittenPicture& picture) override { written.push_back(picture.path); }
    bool ShouldStop() override {
        return cancelAfter > 0 && static_cast<int>(written.size()) >= cancelAfter;
    }
    void SeriesFinished(const SeriesSummary& s) override {
        summary = s;
        ++finished;
    }

    int cancelAfter = 0;
    std::vector<std::string> written;
    SeriesSummary summary;
    int finished = 0;
};

// A 10 x 10 x 10 box seen along z, 6 slices or windows of 20 x 15 pixels.
struct SeriesRun {
    TempDir dir;
    Recorder observer;
    EventTable events;
    CalculationRequest request;
    SeriesWorkspace work;
    double densityMaximum = 3;

    explicit SeriesRun(const EventTable& cloud) : events(cloud) {
        request.eventFilePath = dir.file("events.dat");
        request.direction = ViewDirection::AlongZ;
        request.box = {{0, 10}, {0, 10}, {0, 10}};
        request.time = {0, 10};
        request.pictureWidth = 20;
        request.pictureHeight = 15;
        request.numberOfPictures = 6;
        request.weighting = {1.5, false};
    }
    Status Go(CalculationKind kind) {
        request.kind = kind;
        SeriesContext ctx{observer, events, request, densityMaximum, work};
        if (kind == CalculationKind::Spatial) {
            return RunSpatialSeries(ctx);
        }
        return request.direction == ViewDirection::Perspective ? RunPerspectiveSeries(ctx)
                                                               : RunTimeSeries(ctx);
    }
    std::string File(const std::string& name) const { return dir.file(name); }
    json Index(const std::string& name) const { return json::parse(ReadWholeFile(File(name))); }
};

EventTable Cloud(unsigned seed, int count = 300) {
    CloudRecipe recipe;
    recipe.shape = seed % 2 ? CloudShape::Clustered : CloudShape::Lattice;
    recipe.count = count;
    recipe.low = -1, recipe.high = 11, recipe.seed = seed;
    return MakeCloud(recipe);
}

TEST(OutputFiles, PngPicturesHoldExactlyTheBmpPixels) {
    for (const CalculationKind kind : {CalculationKind::Spatial, CalculationKind::Time}) {
        for (const ViewDirection direction : {ViewDirection::AlongX, ViewDirection::Perspective}) {
            if (kind == CalculationKind::Spatial && direction == ViewDirection::Perspective) {
                continue;
            }
            SeriesRun bmp(Cloud(3)), png(Cloud(3));
            bmp.request.direction = png.request.direction = direction;
            png.request.output.format = PictureFormat::Png;
            ASSERT_TRUE(bmp.Go(kind).ok());
            ASSERT_TRUE(png.Go(kind).ok());
            const std::vector<std::string> bmps = PictureNames(bmp.dir.path());
            ASSERT_FALSE(bmps.empty());
            ASSERT_EQ(NamesBesideTheIndex(png.dir.path()).size(), bmps.size());
            for (const std::string& name : bmps) {
                const std::string pngName = name.substr(0, name.size() - 4) + ".png";
                const cv::Mat a = ReadPicture(bmp.File(name));
                const cv::Mat b = ReadPicture(png.File(pngName));
                ASSERT_EQ(b.type(), CV_8UC3) << pngName;
                ASSERT_EQ(a.size(), b.size()) << pngName;
                EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0.0) << pngName;
            }
        }
    }
}

// The reference fills the pixels pixel by pixel; the density files must hold its sums
// (single precision), row 0 at the top, and 0 where its walk did not reach.
TEST(OutputFiles, DensityFilesHoldTheSumsOfThePlainFill) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        reference::Frame f;
        f.hMin = 0, f.hMax = 10, f.vMin = 0, f.vMax = 10;
        f.hScale = 10.0 / 20, f.vScale = 10.0 / 15, f.radius = 1.5, f.densityMaximum = 3;
        f.gaussian = seed > 2;
        const bool cumulative = seed % 2 == 0;
        cv::Mat sums = cv::Mat::zeros(reference::BlackRaster(f).size(), CV_64FC1);
        f.densities = &sums;

        for (const CalculationKind kind : {CalculationKind::Spatial, CalculationKind::Time}) {
            SeriesRun run(Cloud(seed));
            run.request.weighting = {f.radius, f.gaussian};
            run.request.cumulative = cumulative && kind == CalculationKind::Time;
            run.request.output.densities = true;
            ASSERT_TRUE(run.Go(kind).ok());
            sums.setTo(0);
            const auto pictures =
                kind == CalculationKind::Spatial
                    ? reference::SpatialSeries(Cloud(seed), f, 2, 0, 10, 10.0 / 6, 7)
                    : reference::TimeSeries(Cloud(seed), f, 2, 10.0 / 6, 0, 10,
                                            run.request.cumulative, 7);
            ASSERT_EQ(PictureNames(run.dir.path()).size(), pictures.size());
            for (const auto& picture : pictures) {
                const std::string tiff =
                    picture.fileName.substr(0, picture.fileName.size() - 4) + ".tiff";
                const cv::Mat stored = cv::imread(run.File(tiff), cv::IMREAD_UNCHANGED);
                ASSERT_EQ(stored.type(), CV_32FC1) << tiff;
                cv::Mat expected;
                picture.densities.convertTo(expected, CV_32FC1);
                ASSERT_EQ(stored.size(), expected.size()) << tiff;
                EXPECT_EQ(cv::norm(stored, expected, cv::NORM_INF), 0.0)
                    << tiff << " seed " << seed;
            }
        }
    }
}

// Depth down turns every side view's raster and density file over, and nothing else: the
// rows of picture n are those of the depth-up picture n read bottom up (the left ticks
// reach the raster's first column, which is left out). A view along z keeps its pictures.
TEST(OutputFiles, DepthDownTurnsSideViewsOver) {
    for (const CalculationKind kind : {CalculationKind::Spatial, CalculationKind::Time}) {
        for (const ViewDirection direction : {ViewDirection::AlongX, ViewDirection::AlongZ}) {
            SeriesRun up(Cloud(6)), down(Cloud(6));
            for (SeriesRun* run : {&up, &down}) {
                run->request.direction = direction;
                run->request.output.densities = true;
                run->request.weighting = {2, kind == CalculationKind::Time};
            }
            down.request.output.view.depthAxis = DepthAxis::Down;
            ASSERT_TRUE(up.Go(kind).ok());
            ASSERT_TRUE(down.Go(kind).ok());
            const bool turned = direction == ViewDirection::AlongX;
            const std::vector<std::string> names = PictureNames(up.dir.path());
            ASSERT_EQ(names.size(), PictureNames(down.dir.path()).size());
            for (const std::string& name : names) {
                const cv::Mat upPicture = ReadPicture(up.File(name));
                const cv::Rect area(RasterLeft + 1, RasterTop,
                                    upPicture.cols - CanvasExtraWidth - 1,
                                    upPicture.rows - CanvasExtraHeight);
                cv::Mat expected = upPicture(area).clone();
                if (turned) {
                    cv::flip(expected, expected, 0);
                }
                const cv::Mat shown = ReadPicture(down.File(name))(area);
                EXPECT_EQ(cv::norm(shown, expected, cv::NORM_INF), 0.0) << name;
                const std::string tiff = name.substr(0, name.size() - 4) + ".tiff";
                cv::Mat densities = cv::imread(up.File(tiff), cv::IMREAD_UNCHANGED);
                if (turned) {
                    cv::flip(densities, densities, 0);
                }
                EXPECT_EQ(cv::norm(cv::imread(down.File(tiff), cv::IMREAD_UNCHANGED), densities,
                                   cv::NORM_INF),
                          0.0)
                    << tiff;
            }
        }
    }
}

TEST(OutputFiles, PerspectiveDensityFilesCoverTheDensityArea) {
    SeriesRun run(Cloud(5));
    run.request.direction = ViewDirection::Perspective;
    run.request.output.densities = true;
    run.request.weighting = {2, false};
    ASSERT_TRUE(run.Go(CalculationKind::Time).ok());
    int total = 0;
    for (int n = 1; n <= 6; ++n) {
        const cv::Mat stored =
            cv::imread(run.File(NumberedFileName("perspective", n, ".tiff")), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(stored.type(), CV_32FC1);
        EXPECT_EQ(stored.size(), cv::Size(20, 15));
        double lowest = 0;
        cv::minMaxLoc(stored, &lowest);
        EXPECT_GE(lowest, 0.0);
        total += cv::countNonZero(stored);
    }
    EXPECT_GT(total, 0);
}

TEST(OutputFiles, IndexListsWhatWasWritten) {
    SeriesRun run(Cloud(2));
    run.request.output.densities = true;
    ASSERT_TRUE(run.Go(CalculationKind::Spatial).ok());
    const json index = run.Index("space.json");
    EXPECT_EQ(index["series"], "spatial");
    EXPECT_EQ(index["direction"], "z");
    EXPECT_EQ(index["events"], 300);
    EXPECT_EQ(index["radius"], 1.5);
    EXPECT_EQ(index["weighting"], "count");
    EXPECT_EQ(index["densityMaximum"], 3.0);
    EXPECT_EQ(index["eventFile"], run.request.eventFilePath);
    EXPECT_TRUE(index["complete"].get<bool>());
    EXPECT_EQ(index["program"].get<std::string>().rfind("korvane ", 0), 0u);
    const json& pictures = index["pictures"];
    ASSERT_EQ(pictures.size(), PictureNames(run.dir.path()).size());
    const double step = 10.0 / 6;
    double p = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i, p += step) {
        const json& picture = pictures[i];
        EXPECT_EQ(picture["number"], i + 1);
        EXPECT_EQ(picture["file"], PictureFileName("space", static_cast<int>(i + 1)));
        EXPECT_EQ(picture["densities"],
                  NumberedFileName("space", static_cast<int>(i + 1), ".tiff"));
        EXPECT_EQ(picture["caption"], p + step);
        EXPECT_EQ(picture["horizontal"]["min"], 0.0);
        EXPECT_EQ(picture["horizontal"]["max"], 10.0);
        EXPECT_EQ(picture["horizontal"]["scale"], 0.5);
        EXPECT_EQ(picture["vertical"]["scale"], 10.0 / 15);
        EXPECT_EQ(picture["slice"]["min"], p - 1.5 * step);
        EXPECT_EQ(picture["slice"]["max"], p + 1.5 * step);
        // The events of the slice, counted plainly.
        long long inSlice = 0;
        for (int e = 0; e < run.events.count; ++e) {
            const double z = run.events.rows[e].z;
            inSlice += (z >= p - 1.5 * step && z <= p + 1.5 * step) ? 1 : 0;
        }
        EXPECT_EQ(picture["events"], inSlice) << i;
    }
}

// A radius in coordinates is the same box at any picture size: the whole file's estimate
// does not change with the size, where a radius in pixel steps does. The index says so.
TEST(OutputFiles, RadiusInCoordinatesKeepsTheEstimateAtAnyPictureSize) {
    TempDir dir;
    const std::string events = dir.write("events.dat", SmallCloud);
    const auto index = [&](RadiusUnit unit, int size) {
        const std::string folder =
            dir.file(std::string(RadiusUnitName(unit)) + std::to_string(size));
        std::filesystem::create_directory(folder);
        CalculationRequest request;
        request.kind = CalculationKind::Time;
        request.eventFilePath = events;
        request.box = {{0, 10}, {0, 10}, {0, 10}};
        request.time = {0, 10};
        request.pictureWidth = request.pictureHeight = size;
        request.weighting = {1.0, true};
        request.output.radiusUnit = unit;
        request.output.folder = folder;
        Recorder observer;
        CalculationWorkspace workspace;
        EXPECT_TRUE(RunCalculation(request, observer, workspace).ok()) << folder;
        return json::parse(ReadWholeFile(folder + "/time.json"));
    };
    const json inCoordinates = index(RadiusUnit::Coordinates, 20);
    const json inPixels = index(RadiusUnit::Pixels, 20);
    EXPECT_EQ(inCoordinates["densityMaximum"],
              index(RadiusUnit::Coordinates, 40)["densityMaximum"]);
    EXPECT_NE(inPixels["densityMaximum"], index(RadiusUnit::Pixels, 40)["densityMaximum"]);
    EXPECT_EQ(inCoordinates["radiusUnit"], "coordinates");
    // A plain file, radius in pixel steps: the index says nothing of units or calendar time.
    for (const char* key : {"radiusUnit", "unit", "timeReference"}) {
        EXPECT_FALSE(inPixels.contains(key)) << key;
    }
}

TEST(OutputFiles, TimeIndexCountsEachWindowAndTheSummaryCountsTheRest) {
    // Events inside and outside the picture plane, on window bounds and after the end.
    EventTable table;
    const EventRecord rows[] = {{5, 5, 5, 0.5},  {5, 5, 5, 5.0}, {5, 5, 5, 5.5},
                                {50, 5, 5, 5.5}, {5, 5, 5, 20},  {5, -3, 5, 1}};
    for (const EventRecord& e : rows) {
        table.rows[table.count++] = e;
    }
    SeriesRun run(table);
    run.request.numberOfPictures = 2;  // windows (0, 5) and (5, 10)
    ASSERT_TRUE(run.Go(CalculationKind::Time).ok());
    const json index = run.Index("time.json");
    EXPECT_EQ(index["series"], "time");
    ASSERT_EQ(index["pictures"].size(), 2u);
    EXPECT_EQ(index["pictures"][0]["window"]["min"], 0.0);
    EXPECT_EQ(index["pictures"][0]["window"]["max"], 5.0);
    EXPECT_EQ(index["pictures"][0]["events"], 2);  // t = 0.5 and 1; t = 5 is on the bound
    EXPECT_EQ(index["pictures"][1]["events"], 2);  // the two at 5.5
    EXPECT_EQ(run.observer.finished, 1);
    EXPECT_EQ(run.observer.summary.picturesWritten, 2);
    EXPECT_EQ(run.observer.summary.eventsRead, 6);
    // Outside: t = 5 (on a bound), t = 20 (after the end), x = 50 and y = -3 (off the plane).
    EXPECT_EQ(run.observer.summary.eventsOutside, 4);
}

TEST(OutputFiles, CancelledSeriesIndexesThePicturesOnDisk) {
    SeriesRun run(Cloud(4));
    run.request.direction = ViewDirection::Perspective;
    run.observer.cancelAfter = 2;
    EXPECT_EQ(run.Go(CalculationKind::Time).code(), Status::Code::Cancelled);
    const json index = run.Index("perspective.json");
    EXPECT_FALSE(index["complete"].get<bool>());
    ASSERT_EQ(index["pictures"].size(), 2u);
    EXPECT_EQ(PictureNames(run.dir.path()).size(), 2u);
    EXPECT_EQ(index["pictures"][1]["file"], "perspective0002.bmp");
    EXPECT_EQ(run.observer.summary.picturesWritten, 2);
}

// A run stopped part-way never leaves an index that speaks for a complete series: the
// earlier run's index goes before the first picture, and the index's own failure is said.
TEST(OutputFiles, AnEarlierIndexNeverSpeaksForARunStoppedPartWay) {
    for (const bool index : {true, false}) {
        SeriesRun run(Cloud(3));
        ASSERT_TRUE(run.Go(CalculationKind::Spatial).ok());
        ASSERT_TRUE(run.Index("space.json")["complete"].get<bool>());
        std::filesystem::remove(run.File("space0003.bmp"));
        std::filesystem::create_directory(run.File("space0003.bmp"));  // stops picture 3
        run.request.output.index = index;
        run.request.output.densities = true;
        EXPECT_EQ(run.Go(CalculationKind::Spatial).code(), Status::Code::IoError);
        EXPECT_EQ(std::filesystem::exists(run.File("space.json")), index) << index;
        if (index) {
            EXPECT_FALSE(run.Index("space.json")["complete"].get<bool>());
            EXPECT_EQ(run.Index("space.json")["pictures"].size(), 2u);
        }
        EXPECT_EQ(run.observer.summary.lastNumberOnDisk, 2);
    }
    // Picture 3 on disk, its density file not: picture 3 is this run's, not an older one.
    SeriesRun run(Cloud(3));
    run.request.output.densities = true;
    std::filesystem::create_directory(run.File("space0003.tiff"));
    EXPECT_EQ(run.Go(CalculationKind::Spatial).code(), Status::Code::IoError);
    EXPECT_EQ(run.observer.summary.lastNumberOnDisk, 3);
    EXPECT_EQ(run.observer.summary.lastPathOnDisk, run.File("space0003.bmp"));

    SeriesRun cancelled(Cloud(4));
    cancelled.observer.cancelAfter = 2;
    std::filesystem::create_directory(cancelled.File("time.json"));
    const Status status = cancelled.Go(CalculationKind::Time);
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_NE(status.message().find("time.json"), std::string::npos) << status.message();
}

TEST(OutputFiles, NoIndexWhenTurnedOffAndFilesGoIntoTheChosenFolder) {
    SeriesRun run(Cloud(1));
    run.request.output.index = false;
    ASSERT_TRUE(run.Go(CalculationKind::Time).ok());
    EXPECT_EQ(FolderNames(run.dir.path()).size(), PictureNames(run.dir.path()).size());

    SeriesRun elsewhere(Cloud(1));
    TempDir target;
    elsewhere.request.output.folder = target.path().string();
    elsewhere.request.output.format = PictureFormat::Png;
    ASSERT_TRUE(elsewhere.Go(CalculationKind::Spatial).ok());
    EXPECT_TRUE(FolderNames(elsewhere.dir.path()).empty());
    const std::vector<std::string> names = FolderNames(target.path());
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "space.json");
    EXPECT_EQ(names[1], "space0001.png");
}

TEST(OutputFiles, AnUnwritableFolderFailsNamingTheFileAndStillReports) {
    SeriesRun run(Cloud(1));
    run.request.output.folder = run.dir.file("missing/folder");
    const Status status = run.Go(CalculationKind::Spatial);
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_NE(status.message().find("space0001.bmp"), std::string::npos);
    EXPECT_EQ(run.observer.finished, 1);
    EXPECT_EQ(run.observer.summary.picturesWritten, 0);
}

// A slice is captioned with the end of its step, unless a radius in coordinates makes its
// slab narrower than the step: then with its middle, which the slab holds.
TEST(OutputFiles, SliceCaptionsNameAValueInsideTheirSlab) {
    const struct {
        RadiusUnit unit;
        double radius;
        std::vector<double> captions;
    } rows[] = {
        {RadiusUnit::Pixels, 1.5, {5, 10}},
        {RadiusUnit::Coordinates, 1, {0, 5}},
        {RadiusUnit::Coordinates, 5, {5, 10}},  // the end of the step on the slab's edge
    };
    for (const auto& row : rows) {
        SeriesRun run(Cloud(3));
        run.request.direction = ViewDirection::AlongY;
        run.request.numberOfPictures = 2;
        run.request.weighting.radius = row.radius;
        run.request.output.radiusUnit = row.unit;
        ASSERT_TRUE(run.Go(CalculationKind::Spatial).ok());
        std::vector<double> captions;
        const json index = run.Index("space.json");
        for (const json& picture : index["pictures"]) {
            captions.push_back(picture["caption"]);
            EXPECT_LE(picture["slice"]["min"], picture["caption"]);
            EXPECT_GE(picture["slice"]["max"], picture["caption"]);
        }
        EXPECT_EQ(captions, row.captions) << row.radius;
    }
}

// Densities are sums of weights: weights that add up beyond a double, or beyond the float
// of the density data, stop the run before a picture, naming the weights.
TEST(OutputFiles, WeightsBeyondWhatADensityHoldsStopTheRun) {
    const struct {
        const char* weights;
        bool densities;
        const char* message;  // none: the run finishes
    } rows[] = {
        {"1e308", false, "add up to more than a density can hold"},
        {"2e38", true, "add up to more than the density data's 32-bit numbers hold"},
        {"2e38", false, nullptr},
        {"1e38", true, nullptr},
    };
    for (const auto& row : rows) {
        TempDir dir;
        CalculationRequest request;
        request.kind = CalculationKind::Time;
        request.eventFilePath = dir.write("events.dat", std::string("5\t5\t5\t1\t") + row.weights +
                                                            "\n5\t5\t5\t2\t" + row.weights + "\n");
        request.box = {{0, 10}, {0, 10}, {0, 10}};
        request.time = {0, 10};
        request.pictureWidth = request.pictureHeight = 10;
        request.output.eventWeights = EventWeighting::Value;
        request.output.densities = row.densities;
        Recorder observer;
        CalculationWorkspace workspace;
        const Status status = RunCalculation(request, observer, workspace);
        if (row.message == nullptr) {
            EXPECT_TRUE(status.ok()) << status.message();
            continue;
        }
        EXPECT_EQ(status.code(), Status::Code::InvalidInput) << row.weights;
        EXPECT_NE(status.message().find(std::string("The weights of the events of \"") +
                                        request.eventFilePath + "\" " + row.message),
                  std::string::npos)
            << status.message();
        EXPECT_TRUE(observer.written.empty());
    }
}

// A NetCDF variable read whole, as doubles.
std::vector<double> ReadVariable(int file, const char* name, std::size_t size) {
    int variable = -1;
    EXPECT_EQ(nc_inq_varid(file, name, &variable), NC_NOERR) << name;
    std::vector<double> values(size);
    EXPECT_EQ(nc_get_var_double(file, variable, values.data()), NC_NOERR) << name;
    return values;
}

// The volume holds the density files' planes (bottom row first), the slices' or windows'
// positions and bounds as the index gives them, and ascending pixel positions.
TEST(OutputFiles, TheVolumeHoldsEveryDensityFileAndTheIndexPositions) {
    const struct {
        CalculationKind kind;
        bool cumulative;
        const char* volume;
        const char* stack;
        const char* index;
    } cases[] = {{CalculationKind::Spatial, false, "space.nc", "z", "space.json"},
                 {CalculationKind::Time, false, "time.nc", "time", "time.json"},
                 {CalculationKind::Time, true, "time.nc", "time", "time.json"}};
    for (const auto& c : cases) {
        SeriesRun run(Cloud(5));
        run.request.cumulative = c.cumulative;
        run.request.weighting = {1.5, true};
        run.request.output.densities = true;
        run.request.output.volume = true;
        ASSERT_TRUE(run.Go(c.kind).ok()) << c.volume;
        const json pictures = run.Index(c.index)["pictures"];
        int file = -1;
        ASSERT_EQ(nc_open(run.File(c.volume).c_str(), NC_NOWRITE, &file), NC_NOERR) << c.volume;
        std::size_t planes = 0, rows = 0, columns = 0;
        int dim = -1;
        for (auto [name, size] : {std::pair{c.stack, &planes}, {"y", &rows}, {"x", &columns}}) {
            ASSERT_EQ(nc_inq_dimid(file, name, &dim), NC_NOERR) << name;
            ASSERT_EQ(nc_inq_dimlen(file, dim, size), NC_NOERR);
        }
        ASSERT_EQ(planes, pictures.size());
        const std::vector<double> x = ReadVariable(file, "x", columns);
        const std::vector<double> y = ReadVariable(file, "y", rows);
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end()) && std::is_sorted(y.begin(), y.end()));
        EXPECT_EQ(x.front(), 0.0);
        EXPECT_LE(x.back(), 10.0);
        const std::vector<double> stack = ReadVariable(file, c.stack, planes);
        const std::vector<double> bounds =
            ReadVariable(file, (std::string(c.stack) + "_bounds").c_str(), 2 * planes);
        std::vector<float> densities(planes * rows * columns);
        int variable = -1;
        ASSERT_EQ(nc_inq_varid(file, "density", &variable), NC_NOERR);
        ASSERT_EQ(nc_get_var_float(file, variable, densities.data()), NC_NOERR);
        nc_close(file);
        for (std::size_t k = 0; k < planes; ++k) {
            const json& picture = pictures[k];
            const char* extent = c.kind == CalculationKind::Spatial ? "slice" : "window";
            EXPECT_EQ(stack[k], picture["caption"].get<double>());
            EXPECT_EQ(bounds[2 * k], picture[extent]["min"].get<double>());
            EXPECT_EQ(bounds[2 * k + 1], picture[extent]["max"].get<double>());
            const cv::Mat tiff =
                cv::imread(run.File(picture["densities"].get<std::string>()), cv::IMREAD_UNCHANGED);
            ASSERT_GE(static_cast<std::size_t>(tiff.rows), rows);
            for (std::size_t j = 0; j < rows; ++j) {
                const float* row = tiff.ptr<float>(tiff.rows - 1 - static_cast<int>(j));
                for (std::size_t i = 0; i < columns; ++i) {
                    ASSERT_EQ(densities[(k * rows + j) * columns + i], row[i])
                        << c.volume << " plane " << k << " row " << j << " column " << i;
                }
            }
        }
    }
}

// A series stopped part-way leaves no volume and no temporary of one; the perspective,
// which has no planes, is refused before anything is read.
TEST(OutputFiles, OnlyAFinishedPlaneSeriesLeavesAVolume) {
    SeriesRun run(Cloud(2));
    run.request.output.volume = true;
    run.observer.cancelAfter = 2;
    EXPECT_EQ(run.Go(CalculationKind::Spatial).code(), Status::Code::Cancelled);
    for (const auto& entry : std::filesystem::directory_iterator(run.dir.path())) {
        EXPECT_EQ(entry.path().string().find(".nc"), std::string::npos) << entry.path();
    }
    run.request.kind = CalculationKind::Time;
    run.request.direction = ViewDirection::Perspective;
    EXPECT_NE(VolumeRefusal(run.request).find("perspective view has none"), std::string::npos);
    run.request.output.volume = false;
    EXPECT_EQ(VolumeRefusal(run.request), "");
}

}  // namespace
}  // namespace korvane::testing
