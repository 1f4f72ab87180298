// Leftovers of killed runs and runs side by side in one folder: temporaries are never taken
// for pictures and go with the next run; two writers of the same names never tear or mix a
// file, and a movie made while a series writes holds whole pictures only.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FaultSupport.h"
#include "batch/BatchRun.h"
#include "support/Folders.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

// The fault tool's verdict on a folder: "" when every file is whole.
std::string CheckFolder(const std::string& folder) {
    const ShellResult check =
        RunShell(std::string(KORVANE_FAULT_TOOL) + " check '" + folder + "' >/dev/null");
    return check.exitStatus == 0 ? ""
                                 : check.err + "(exit " + std::to_string(check.exitStatus) + ")";
}

void PlantLeftovers(const TempDir& dir, const std::string& folder) {
    dir.write(folder + "/.space0001.bmp.0123456789abcdef", "BM half a picture");
    fs::create_directory(dir.path() / folder / ".movie.avi.fedcba9876543210");
    dir.write(folder + "/.movie.avi.fedcba9876543210/movie.avi", "RIFF half a movie");
}

TEST(Leftovers, ListingsIgnoreThemAndTheNextRunIntoTheFolderRemovesThem) {
    TempDir dir;
    fs::create_directory(dir.path() / "data");
    dir.write("data/events.dat", SmallCloud);
    dir.write("setup.ini", SetupFor("data/events.dat", 2));
    ASSERT_EQ(RunBatch({"spatial", "setup.ini"}, dir.path().string()).exitStatus, 0);
    dir.write("data/.keep", "someone's");
    dir.write("data/.space0002.bmp.12345", "someone's");

    // A movie of the folder: the two pictures, not the half one; the leftovers go.
    PlantLeftovers(dir, "data");
    const BatchResult movie = RunBatch({"movie", "data", "data/movie.avi"}, dir.path().string());
    EXPECT_EQ(movie.exitStatus, 0) << movie.err;
    EXPECT_NE(movie.err.find("frame 2 of 2"), std::string::npos) << movie.err;
    EXPECT_EQ(CheckFolder(dir.file("data")), "");

    // The next series into the folder removes them as well; what is not ours stays.
    PlantLeftovers(dir, "data");
    ASSERT_EQ(RunBatch({"spatial", "setup.ini"}, dir.path().string()).exitStatus, 0);
    EXPECT_EQ(HiddenNames(dir.file("data")),
              (std::vector<std::string>{".keep", ".space0002.bmp.12345"}));
}

// Series A and B (other pictures, the same names) into one folder, at the same time.
TEST(SideBySide, TwoSeriesIntoOneFolderLeaveOnlyWholePicturesOfOneOrTheOther) {
    TempDir reference;
    TempDir shared;
    const int pictures = 25;
    for (const char* name : {"a", "b"}) {
        fs::create_directory(reference.path() / name);
        reference.write(std::string(name) + "/events.dat", SmallCloud);
        const int radius = name[0] == 'a' ? 1 : 3;
        reference.write(std::string(name) + ".ini",
                        SetupFor(std::string(name) + "/events.dat", pictures, 300, 200, radius));
        shared.write(std::string(name) + ".ini",
                     SetupFor("events.dat", pictures, 300, 200, radius));
        ASSERT_EQ(
            RunBatch({"spatial", std::string(name) + ".ini"}, reference.path().string()).exitStatus,
            0);
    }
    shared.write("events.dat", SmallCloud);
    for (int round = 0; round < 3; ++round) {
        {
            TempDir logsA;
            TempDir logsB;
            BatchProcess a({"spatial", "a.ini"}, shared.path().string(), logsA.path().string());
            BatchProcess b({"spatial", "b.ini"}, shared.path().string(), logsB.path().string());
            const BatchResult doneA = a.Finish(60);
            const BatchResult doneB = b.Finish(60);
            EXPECT_EQ(doneA.exitStatus, 0) << doneA.err;
            EXPECT_EQ(doneB.exitStatus, 0) << doneB.err;
        }
        const std::vector<std::string> names = PictureNames(shared.path());
        ASSERT_EQ(names.size(), static_cast<std::size_t>(pictures));
        for (const std::string& name : names) {
            const std::string bytes = ReadWholeFile(shared.file(name));
            EXPECT_TRUE(bytes == ReadWholeFile(reference.file("a/" + name)) ||
                        bytes == ReadWholeFile(reference.file("b/" + name)))
                << name << " is neither series' picture";
        }
        EXPECT_TRUE(HiddenNames(shared.path().string()).empty());
    }
}

// Movies made while a series writes the folder: each movie is whole, and so is the folder.
TEST(SideBySide, AMovieMadeWhileASeriesWritesHoldsWholePictures) {
    TempDir dir;
    TempDir logs;
    fs::create_directory(dir.path() / "data");
    dir.write("data/events.dat", SmallCloud);
    dir.write("setup.ini", SetupFor("data/events.dat", 2));
    ASSERT_EQ(RunBatch({"spatial", "setup.ini"}, dir.path().string()).exitStatus, 0);
    dir.write("setup.ini", SetupFor("data/events.dat", 150, 300, 200));
    BatchProcess series({"spatial", "setup.ini"}, dir.path().string(), logs.path().string());
    for (int n = 0; n < 4; ++n) {
        const std::string movie = "data/movie" + std::to_string(n) + ".avi";
        const BatchResult made = RunBatch({"movie", "data", movie}, dir.path().string());
        // A picture may change size between listing and reading (the first series had
        // smaller ones): then no movie, and a message; otherwise a whole movie.
        if (made.exitStatus != 0) {
            EXPECT_FALSE(fs::exists(dir.file(movie))) << made.err;
        }
    }
    EXPECT_EQ(series.Finish(120).exitStatus, 0);
    EXPECT_EQ(CheckFolder(dir.file("data")), "");
    EXPECT_TRUE(HiddenNames(dir.file("data")).empty());
}

}  // namespace
}  // namespace korvane::testing
