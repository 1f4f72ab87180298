// A disk that fills up while a series, a movie or a setup file is written: the work stops
// with a message naming the file and "No space left on device", everything finished before
// it is whole, nothing half-written or temporary is left, older files stay as they were.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "FaultSupport.h"
#include "batch/BatchRun.h"
#include "setup/SetupFile.h"
#include "support/Folders.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

// The series tests run on a tmpfs, or with the writes of the programs failed for them.
#define REQUIRE_FULL_DISK_FOR_PROGRAMS(disk)                                              \
    if (!(disk).fullForPrograms()) {                                                      \
        GTEST_SKIP() << "no tmpfs (" << (disk).reason() << ") and no injected full disk"; \
    }

// The movie (written by the video library) and the setup file (written by the test itself)
// need a disk that is really full.
#define REQUIRE_SMALL_DISK(disk)                                                             \
    if (!(disk).mounted()) {                                                                 \
        GTEST_SKIP() << "a tmpfs cannot be mounted here (" << (disk).reason()                \
                     << "); the injected write failures of AtomicFileTest cover the writer"; \
    }

// The pictures of a series of `pictures` on an ordinary disk, to compare with.
struct ReferenceSeries {
    TempDir dir;
    explicit ReferenceSeries(int pictures) {
        dir.write("events.dat", SmallCloud);
        dir.write("setup.ini", SetupFor("events.dat", pictures, 300, 200));
        const BatchResult run = RunBatch({"spatial", "setup.ini"}, dir.path().string());
        EXPECT_EQ(run.exitStatus, 0) << run.err;
    }
};

TEST(DiskFull, ASeriesStopsAtThePictureThatDoesNotFitAndKeepsTheOnesBefore) {
    SmallDisk disk(1 << 20);
    REQUIRE_FULL_DISK_FOR_PROGRAMS(disk);
    const TempDir& dir = disk.dir();
    dir.write("events.dat", SmallCloud);
    dir.write("setup.ini", SetupFor("events.dat", 40, 300, 200));
    const BatchResult run = RunBatch({"spatial", "setup.ini"}, dir.path().string());
    EXPECT_EQ(run.exitStatus, 2) << run.err;

    const std::vector<std::string> written = PictureNames(dir.path());
    ASSERT_GE(written.size(), 1u);
    ASSERT_LT(written.size(), 40u);
    const std::string failed = "space" + std::string(written.size() + 1 < 10 ? "000" : "00") +
                               std::to_string(written.size() + 1) + ".bmp";
    EXPECT_NE(run.err.find(failed), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_TRUE(HiddenNames(dir.path().string()).empty());

    ReferenceSeries reference(40);
    for (const std::string& name : written) {
        EXPECT_EQ(ReadWholeFile(dir.file(name)), ReadWholeFile(reference.dir.file(name))) << name;
    }
}

// With density data and the index, a full disk stops the series the same way; every density
// file left decodes whole, and an index that fit says the series is incomplete.
TEST(DiskFull, DensityDataAndTheIndexAreWholeOrAbsent) {
    SmallDisk disk(1 << 20);
    REQUIRE_FULL_DISK_FOR_PROGRAMS(disk);
    const TempDir& dir = disk.dir();
    dir.write("events.dat", SmallCloud);
    dir.write("setup.ini", SetupFor("events.dat", 40, 300, 200));
    const BatchResult run = RunBatch({"spatial", "setup.ini", "--densities"}, dir.path().string());
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_TRUE(HiddenNames(dir.path().string()).empty());

    int densities = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() != ".tiff") {
            continue;
        }
        const cv::Mat values = cv::imread(entry.path().string(), cv::IMREAD_UNCHANGED);
        EXPECT_EQ(values.type(), CV_32FC1) << entry.path();
        EXPECT_EQ(values.cols, 302) << entry.path();
        ++densities;
    }
    EXPECT_LT(densities, 40);
    if (fs::exists(dir.file("space.json"))) {
        const nlohmann::json index = nlohmann::json::parse(ReadWholeFile(dir.file("space.json")));
        EXPECT_EQ(index.value("complete", true), false);
    }
}

// The older movie of the name stays as it was; no movie and no temporary folder is left.
TEST(DiskFull, AMovieThatDoesNotFitLeavesTheOlderMovie) {
    SmallDisk disk(4 << 20);
    REQUIRE_SMALL_DISK(disk);
    const TempDir& dir = disk.dir();
    fs::create_directory(dir.path() / "pictures");
    dir.write("pictures/events.dat", SmallCloud);
    dir.write("setup.ini", SetupFor("pictures/events.dat", 4, 300, 200));
    ASSERT_EQ(RunBatch({"spatial", "setup.ini"}, dir.path().string()).exitStatus, 0);
    dir.write("movie.avi", "an older movie");
    FillDisk(dir.path().string(), 64 * 1024);

    const BatchResult run =
        RunBatch({"movie", "pictures", "movie.avi", "--codec", "IYUV"}, dir.path().string());
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    EXPECT_NE(run.err.find("movie.avi"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(dir.file("movie.avi")), "an older movie");
    EXPECT_TRUE(HiddenNames(dir.path().string()).empty());
    EXPECT_TRUE(HiddenNames(dir.file("pictures")).empty());
}

TEST(DiskFull, ASetupFileThatDoesNotFitLeavesTheOlderOne) {
    SmallDisk disk(256 * 1024);
    REQUIRE_SMALL_DISK(disk);
    const TempDir& dir = disk.dir();
    const std::string path = dir.write("Setup.ini", "the older setup");
    FillDisk(dir.path().string());
    CalculationSetup setup;
    setup.FilePath = "/data/events.dat";
    const Status saved = SaveSetupFile(setup, path);
    EXPECT_EQ(saved.code(), Status::Code::IoError);
    EXPECT_NE(saved.message().find(path), std::string::npos) << saved.message();
    EXPECT_NE(saved.message().find("No space left on device"), std::string::npos)
        << saved.message();
    EXPECT_EQ(ReadWholeFile(path), "the older setup");
    EXPECT_TRUE(HiddenNames(dir.path().string()).empty());
}

}  // namespace
}  // namespace korvane::testing
