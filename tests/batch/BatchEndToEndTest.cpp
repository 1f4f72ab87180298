// korvane-batch as a user runs it: setup files and event files in a temporary folder, the
// program started as a child process, its exit status, messages and pictures checked.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

#include "reference/ReferenceRules.h"
#include "support/BatchRun.h"
#include "support/EventClouds.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::BatchProcess;
using testing::BatchResult;
using testing::ReadWholeFile;
using testing::RunBatch;
using testing::SmallCloud;
using testing::TempDir;

using SetupLines = std::map<std::string, std::string>;

// A setup that passes every test: a 10-unit cube, 0..10 s, 60 x 40 pictures.
SetupLines ValidSetup(const std::string& eventFile) {
    return {
        {"[File-Path]", eventFile},
        {"[Direction]", "2"},
        {"[Amin]", "0.000000e+00"},
        {"[Amax]", "1.000000e+01"},
        {"[Bmin]", "0.000000e+00"},
        {"[Bmax]", "1.000000e+01"},
        {"[Cmin]", "0.000000e+00"},
        {"[Cmax]", "1.000000e+01"},
        {"[Timestart]", "0.000000e+00"},
        {"[Timeend]", "1.000000e+01"},
        {"[Fixedsize]", "1"},
        {"[Width]", "60"},
        {"[Height]", "40"},
        {"[Fixeddensity]", "0"},
        {"[Maxdensity]", "0.000000e+00"},
        {"[Gaussiandistance]", "1"},
        {"[NoOfPictures]", "4.000000e+00"},
        {"[Cumulative]", "0"},
        {"[Radius]", "2.000000e+00"},
    };
}

std::string SetupText(const SetupLines& setup) {
    std::string text;
    for (const auto& [key, value] : setup) {
        text += key + "\t" + value + "\r\n";
    }
    return text;
}

class BatchTest : public ::testing::Test {
  protected:
    BatchTest() {
        std::filesystem::create_directory(work.path() / "data");
        eventFile = work.write("data/events.dat", SmallCloud);
    }

    BatchResult Run(const std::vector<std::string>& arguments) {
        return RunBatch(arguments, work.path().string());
    }

    // Writes the setup and runs `command` on it.
    BatchResult RunSetup(const std::string& command, const SetupLines& setup) {
        work.write("setup.ini", SetupText(setup));
        return Run({command, "setup.ini"});
    }

    std::vector<std::string> Pictures(const std::string& folder = "data") const {
        return testing::PictureNames(work.path() / folder);
    }

    static std::vector<std::string> Numbered(const std::string& prefix, int count) {
        return reference::NumberedNames(prefix, count);
    }

    TempDir work;
    std::string eventFile;
};

TEST_F(BatchTest, HelpExplainsTheCommandsAndExitStatuses) {
    for (const char* flag : {"--help", "-h"}) {
        const BatchResult result = Run({flag});
        EXPECT_EQ(result.exitStatus, 0) << flag;
        for (const char* part : {"spatial SETUP.ini", "time SETUP.ini", "movie FOLDER", "--codec",
                                 "Exit status", "130", "folder of the event file", "Example",
                                 "(BMP, or PNG)", "(JSON)", "(TIFF)", ".mkv    H264 (H.264)"}) {
            EXPECT_NE(result.out.find(part), std::string::npos) << flag << ": " << part;
        }
    }
}

TEST_F(BatchTest, VersionNamesTheLicence) {
    const BatchResult result = Run({"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out.rfind("korvane-batch 1.", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\nLicensed under the Apache License 2.0\n"), std::string::npos);
}

TEST_F(BatchTest, WrongUsageExitsWithOne) {
    const std::vector<std::vector<std::string>> calls = {
        {},
        {"draw"},
        {"spatial"},
        {"time", "a.ini", "b.ini"},
        {"spatial", "no-such-setup.ini"},
        {"time", "data"},  // a folder, not a setup file
        {"movie", "data"},
        {"movie", "data", "m.avi", "--codec"},
        {"movie", "data", "m.avi", "--speed", "2"},
    };
    for (const auto& call : calls) {
        const BatchResult result = Run(call);
        std::string shown;
        for (const std::string& word : call) {
            shown += word + " ";
        }
        EXPECT_EQ(result.exitStatus, 1) << shown;
        EXPECT_NE(result.err.find("korvane-batch: "), std::string::npos) << shown;
    }
    EXPECT_NE(Run({"spatial", "no-such-setup.ini"}).err.find("cannot read the setup file"),
              std::string::npos);
}

TEST_F(BatchTest, SpatialSeriesWritesItsPicturesBesideTheEventFile) {
    const BatchResult result = RunSetup("spatial", ValidSetup("data/events.dat"));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Pictures(), Numbered("space", 4));
    EXPECT_NE(result.err.find("picture 1 of 4\npicture 2 of 4\npicture 3 of 4\npicture 4 of 4\n"
                              "Information: Calculation finished successfully.\n"),
              std::string::npos)
        << result.err;
    const cv::Mat first = cv::imread((work.path() / "data" / "space0001.bmp").string());
    EXPECT_FALSE(first.empty());
}

// A shorter run after a longer one: the older pictures stay, and the output says so; a movie
// of the folder shows the last run, as its series index lists it.
TEST_F(BatchTest, OlderPicturesBeyondTheSeriesAreNamedAndKeptAndTheMovieIsOfOneRun) {
    SetupLines setup = ValidSetup("data/events.dat");
    setup["[NoOfPictures]"] = "6.000000e+00";
    ASSERT_EQ(RunSetup("spatial", setup).exitStatus, 0);
    const BatchResult same = RunSetup("spatial", setup);
    EXPECT_EQ(same.err.find("older picture"), std::string::npos) << same.err;

    const BatchResult shorter = RunSetup("spatial", ValidSetup("data/events.dat"));
    EXPECT_EQ(shorter.exitStatus, 0) << shorter.err;
    EXPECT_NE(shorter.err.find("2 older pictures (space0005.bmp to space0006.bmp) of an earlier "
                               "run are still in the folder; a movie of the folder takes only "
                               "the pictures of the last run, which its series index lists."),
              std::string::npos)
        << shorter.err;
    EXPECT_EQ(Pictures(), Numbered("space", 6));

    const BatchResult movie = Run({"movie", "data", "run.avi"});
    ASSERT_EQ(movie.exitStatus, 0) << movie.err;
    EXPECT_NE(movie.err.find("The movie shows the series \"space\" (4 pictures). 2 pictures of "
                             "the series \"space\" are left out (space0005.bmp to "
                             "space0006.bmp): the series index space.json lists the 4 of the "
                             "last run, which the movie shows."),
              std::string::npos)
        << movie.err;
    cv::VideoCapture frames((work.path() / "run.avi").string());
    ASSERT_TRUE(frames.isOpened());
    EXPECT_EQ(frames.get(cv::CAP_PROP_FRAME_COUNT), 4.0);
}

TEST_F(BatchTest, TimeSeriesPlainCumulativeAndPerspective) {
    struct Row {
        const char* what;
        const char* direction;
        const char* cumulative;
        const char* prefix;
    };
    const Row rows[] = {
        {"plain", "2", "0", "time"},
        {"cumulative", "0", "1", "time"},
        {"perspective", "3", "0", "perspective"},
    };
    for (const Row& row : rows) {
        SetupLines setup = ValidSetup(eventFile);  // an absolute path works as well
        setup["[Direction]"] = row.direction;
        setup["[Cumulative]"] = row.cumulative;
        const BatchResult result = RunSetup("time", setup);
        EXPECT_EQ(result.exitStatus, 0) << row.what << "\n" << result.err;
        EXPECT_EQ(Pictures(), Numbered(row.prefix, 4)) << row.what;
        for (const std::string& name : Pictures()) {
            std::filesystem::remove(work.path() / "data" / name);
        }
    }
}

TEST_F(BatchTest, ValuesAreRoundedAsTheDialogShowsThem) {
    // 3.4 pictures show as "3" in the box: windows of 4 s over 0..12 s give three pictures,
    // where 3.4 itself would give windows of 3.53 s and four pictures.
    SetupLines setup = ValidSetup("data/events.dat");
    setup["[Timeend]"] = "12";
    setup["[NoOfPictures]"] = "3.4";
    const BatchResult result = RunSetup("time", setup);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Pictures(), Numbered("time", 3));
}

TEST_F(BatchTest, RejectedInputExitsWithOneAndWritesNoPicture) {
    const std::string notNumbers =
        "Invalid input!: Check input boxes wether: \n\n  they contain nothing but numbers";
    const std::string outOfRange =
        "Invalid input!: Check input boxes wether: \n\n  x/y/z: minima <= maxima";
    struct Row {
        const char* what;
        const char* command;
        std::string key;
        std::string value;
        std::string message;
    };
    const Row rows[] = {
        {"missing event file", "time", "[File-Path]", "data/absent.dat",
         "Invalid input!: Input file does not exist! Check filepath!"},
        {"no event file at all", "time", "[File-Path]", "",
         "Invalid input!: Input file does not exist! Check filepath!"},
        {"perspective in spatial mode", "spatial", "[Direction]", "3",
         "Invalid input!: Perspective view only possible for time resolved plots: \n\n  choose "
         "other direction \n\n  choose time resolved\n"},
        {"a radius beyond any double", "time", "[Radius]", "1e999", notNumbers},
        {"10000 pictures", "time", "[NoOfPictures]", "10000", outOfRange},
        {"no pictures", "spatial", "[NoOfPictures]", "0", outOfRange},
        {"x-max below x-min", "spatial", "[Amax]", "-1", outOfRange},
        {"end before start", "spatial", "[Timeend]", "-1", outOfRange},
        {"zero width without a fixed size", "spatial", "[Width]", "0", outOfRange},
        {"a direction without a radio button", "time", "[Direction]", "7", "Invalid input!: "},
        {"a radius of 0", "time", "[Radius]", "0", "Invalid input!: Check the radius"},
        {"a negative radius", "spatial", "[Radius]", "-5", "Invalid input!: Check the radius"},
        {"a folder as the event file", "spatial", "[File-Path]", "data",
         "Invalid input!: \"data\" is a folder, not an event file."},
        // A pipe would hold the run until something wrote into it.
        {"a pipe as the event file", "time", "[File-Path]", "data/pipe.dat",
         "is not a regular file"},
        {"an empty depth range", "spatial", "[Cmax]", "0",
         "korvane-batch: No picture was written: the range the pictures step through, "
         "from 0 to 0, is empty."},
        {"no event inside the ranges", "time", "[Amax]", "0.5",
         "korvane-batch: No event lies inside the ranges of this calculation, so no picture "
         "was written. The events span x "},
        {"an empty time range", "time", "[Timeend]", "0", "No picture was written"},
    };
    ::mkfifo((work.path() / "data" / "pipe.dat").c_str(), 0600);
    for (const Row& row : rows) {
        SetupLines setup = ValidSetup("data/events.dat");
        setup["[Fixedsize]"] = "0";
        setup[row.key] = row.value;
        const BatchResult result = RunSetup(row.command, setup);
        EXPECT_EQ(result.exitStatus, 1) << row.what << "\n" << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << row.what << "\n"
                                                                   << result.err;
        EXPECT_TRUE(Pictures().empty()) << row.what;
    }
}

TEST_F(BatchTest, AnEventFileThatCannotBeReadExitsWithOne) {
    work.write("data/broken.dat", "1\t2\t3\t4\nthis line has no fields\n");
    const BatchResult result = RunSetup("spatial", ValidSetup("data/broken.dat"));
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_NE(result.err.find("Invalid input!: "), std::string::npos) << result.err;
    EXPECT_TRUE(Pictures().empty());
}

TEST_F(BatchTest, APictureThatCannotBeWrittenExitsWithTwo) {
    std::filesystem::create_directory(work.path() / "data" / "time0002.bmp");
    const BatchResult result = RunSetup("time", ValidSetup("data/events.dat"));
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_NE(result.err.find("Error: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("time0002.bmp"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("finished successfully"), std::string::npos) << result.err;
}

TEST_F(BatchTest, CtrlCStopsAfterThePictureInProgressAndExitsWith130) {
    SetupLines setup = ValidSetup("data/events.dat");
    setup["[NoOfPictures]"] = "5000";
    setup["[Width]"] = "300";
    setup["[Height]"] = "300";
    work.write("setup.ini", SetupText(setup));
    TempDir output;
    BatchProcess process({"time", "setup.ini"}, work.path().string(), output.path().string());
    ASSERT_TRUE(process.WaitForError("picture 2 of 5000", 120.0));
    process.Signal(SIGINT);
    const BatchResult result = process.Finish(120.0);
    EXPECT_EQ(result.exitStatus, 130) << result.err;
    EXPECT_EQ(result.err.find("finished successfully"), std::string::npos);

    // Every picture on disk is whole, and the series did stop.
    const std::vector<std::string> written = Pictures();
    ASSERT_GE(written.size(), 2u);
    EXPECT_LT(written.size(), 5000u);
    EXPECT_EQ(written, Numbered("time", static_cast<int>(written.size())));
    const cv::Mat first = cv::imread((work.path() / "data" / written.front()).string());
    ASSERT_FALSE(first.empty());
    for (const std::string& name : written) {
        const cv::Mat picture = cv::imread((work.path() / "data" / name).string());
        ASSERT_FALSE(picture.empty()) << name;
        EXPECT_EQ(picture.size(), first.size()) << name;
    }
}

TEST_F(BatchTest, CtrlCDuringAMovieLeavesNoMovieAndExitsWith130) {
    std::filesystem::create_directory(work.path() / "frames");
    const cv::Mat frame(48, 64, CV_8UC3, cv::Scalar(40, 80, 120));
    const int count = 3000;
    for (const std::string& name : Numbered("frame", count)) {
        ASSERT_TRUE(cv::imwrite((work.path() / "frames" / name).string(), frame));
    }
    TempDir output;
    BatchProcess process({"movie", "frames", "frames.avi"}, work.path().string(),
                         output.path().string());
    ASSERT_TRUE(process.WaitForError("frame 2 of", 120.0));
    process.Signal(SIGINT);
    const BatchResult result = process.Finish(120.0);
    EXPECT_EQ(result.exitStatus, 130) << result.err;
    EXPECT_EQ(result.err.find("frame 3000 of 3000"), std::string::npos);
    // Neither the movie nor a part of it is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
        EXPECT_NE(entry.path().extension(), ".avi") << entry.path();
    }
    for (const auto& entry : std::filesystem::directory_iterator(work.path() / "frames")) {
        EXPECT_EQ(entry.path().extension(), ".bmp") << entry.path();
    }
}

TEST_F(BatchTest, MovieOfASeries) {
    ASSERT_EQ(RunSetup("spatial", ValidSetup("data/events.dat")).exitStatus, 0);
    const BatchResult result = Run({"movie", "data", "series.avi"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("frame 4 of 4"), std::string::npos) << result.err;
    cv::VideoCapture movie((work.path() / "series.avi").string());
    ASSERT_TRUE(movie.isOpened());
    EXPECT_EQ(movie.get(cv::CAP_PROP_FRAME_COUNT), 4.0);
    EXPECT_EQ(movie.get(cv::CAP_PROP_FPS), 10.0);
}

TEST_F(BatchTest, MovieInputsThatAreRefused) {
    std::filesystem::create_directory(work.path() / "empty");
    const BatchResult empty = Run({"movie", "empty", "empty.avi"});
    EXPECT_EQ(empty.exitStatus, 1) << empty.err;
    EXPECT_NE(empty.err.find("Empty folder!: Folder does not contain pictures!"), std::string::npos)
        << empty.err;
    EXPECT_FALSE(std::filesystem::exists(work.path() / "empty.avi"));

    // A folder that cannot be listed gets the same box, and the reason on a line of its own.
    const BatchResult missing = Run({"movie", "no-such-folder", "missing.avi"});
    EXPECT_EQ(missing.exitStatus, 1) << missing.err;
    EXPECT_NE(missing.err.find("Empty folder!: Folder does not contain pictures!\n"
                               "korvane-batch: The folder \""),
              std::string::npos)
        << missing.err;

    ASSERT_EQ(RunSetup("spatial", ValidSetup("data/events.dat")).exitStatus, 0);
    const BatchResult codec = Run({"movie", "data", "m.avi", "--codec", "QQQQ"});
    EXPECT_EQ(codec.exitStatus, 1) << codec.err;
    EXPECT_NE(codec.err.find("MJPG"), std::string::npos) << codec.err;  // the choices
    EXPECT_FALSE(std::filesystem::exists(work.path() / "m.avi"));

    // A codec named in other letter case is the listed one.
    const BatchResult lower = Run({"movie", "data", "m.avi", "--codec=mjpg"});
    EXPECT_EQ(lower.exitStatus, 0) << lower.err;

    // A movie writes only a movie: no event file, picture or folder is replaced by one, and
    // a series asked for by name must be there.
    std::filesystem::create_directory(work.path() / "film.avi");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } refused[] = {
        {{"movie", "data", "data/events.dat"}, "does not end in .avi, .mp4, .mkv or .webm"},
        {{"movie", "data", "data/space0001.bmp"}, "does not end in .avi, .mp4, .mkv or .webm"},
        {{"movie", "data", "film.avi"}, "\"film.avi\" is a folder, not a movie file."},
        {{"movie", "data", "m.avi", "--series", "time"},
         "holds no series \"time\"; it holds: space"},
    };
    const std::string events = ReadWholeFile(eventFile);
    for (const auto& row : refused) {
        const BatchResult result = Run(row.arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadWholeFile(eventFile), events);
    EXPECT_EQ(Pictures(), Numbered("space", 4));
}

// A stray picture beside a series is left out, and said so; a picture whose header claims a
// size no picture has is named with that reason.
TEST_F(BatchTest, MovieOfTheLargestSeriesAndPlainReasons) {
    ASSERT_EQ(RunSetup("spatial", ValidSetup("data/events.dat")).exitStatus, 0);
    std::filesystem::copy_file(work.path() / "data" / "space0001.bmp",
                               work.path() / "data" / "backup0001.bmp");
    const BatchResult stray = Run({"movie", "data", "m.avi"});
    EXPECT_EQ(stray.exitStatus, 0) << stray.err;
    EXPECT_NE(stray.err.find("The movie shows the series \"space\" (4 pictures); the folder also "
                             "holds \"backup\" (1 picture), left out."),
              std::string::npos)
        << stray.err;

    std::string header = ReadWholeFile((work.path() / "data" / "space0002.bmp").string());
    const char claim[] = {'\xA0', '\x86', '\x01', '\x00'};  // 100000, little-endian
    header.replace(18, 4, claim, 4);
    header.replace(22, 4, claim, 4);
    work.write("data/space0002.bmp", header);
    const BatchResult huge = Run({"movie", "data", "m.avi"});
    EXPECT_EQ(huge.exitStatus, 2) << huge.err;
    EXPECT_NE(huge.err.find("space0002.bmp\" cannot be read: its header claims 100000 x 100000 "
                            "pixels."),
              std::string::npos)
        << huge.err;
}

}  // namespace
}  // namespace korvane
