// korvane-batch's output options, end to end: another event file, another folder, PNG,
// density data, no index, options on either side of the setup file, bad options, the
// summary line, and movies in each container.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <utility>
#include <vector>

#include "common/NumberText.h"
#include "support/BatchRun.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::BatchResult;
using testing::FolderNames;
using testing::RunBatch;
using testing::TempDir;
namespace fs = std::filesystem;

// What a shell command prints.
std::string CommandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            text.append(buffer, n);
        }
        pclose(pipe);
    }
    return text;
}

const char* const Events =
    "1.0\t1.0\t1.0\t0.5\n2.0\t2.5\t3.0\t1.5\n2.2\t2.4\t3.1\t1.6\n5.0\t5.0\t5.0\t4.5\n"
    "5.1\t5.2\t4.9\t4.6\n7.5\t2.0\t8.0\t7.0\n9.0\t9.0\t9.0\t9.5\n42.0\t1.0\t1.0\t1.0\n";

// A 10-unit cube seen along z, 0..10 s, 4 pictures of 61 x 41 pixels (odd: padded in movies).
std::string SetupText(const std::string& eventFile, const std::string& extra = "") {
    return "[File-Path]\t" + eventFile +
           "\r\n[Direction]\t2\r\n[Amin]\t0\r\n[Amax]\t10\r\n[Bmin]\t0\r\n[Bmax]\t10\r\n"
           "[Cmin]\t0\r\n[Cmax]\t10\r\n[Timestart]\t0\r\n[Timeend]\t10\r\n[Fixedsize]\t1\r\n"
           "[Width]\t61\r\n[Height]\t41\r\n[Fixeddensity]\t0\r\n[Maxdensity]\t0\r\n"
           "[Gaussiandistance]\t1\r\n[NoOfPictures]\t4\r\n[Cumulative]\t0\r\n[Radius]\t2\r\n" +
           extra;
}

class BatchOptions : public ::testing::Test {
  protected:
    BatchOptions() {
        fs::create_directory(work.path() / "data");
        fs::create_directory(work.path() / "other");
        work.write("data/events.dat", Events);
        work.write("other/events.dat", Events);
        work.write("setup.ini", SetupText("data/events.dat"));
    }
    BatchResult Run(const std::vector<std::string>& arguments) {
        return RunBatch(arguments, work.path().string());
    }
    std::vector<std::string> Names(const std::string& folder) const {
        return FolderNames(work.path() / folder);
    }
    TempDir work;
};

TEST_F(BatchOptions, DefaultsWriteBmpPicturesAndTheIndexAndSayTheSummary) {
    const BatchResult result = Run({"spatial", "setup.ini"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Names("data"),
              (std::vector<std::string>{"events.dat", "space.json", "space0001.bmp",
                                        "space0002.bmp", "space0003.bmp", "space0004.bmp"}));
    // x = 42 lies off the pictures; the slices take in every z of the others.
    EXPECT_NE(result.err.find("korvane-batch: 4 pictures written, 8 events read, 1 outside "
                              "every picture\n"),
              std::string::npos)
        << result.err;
}

TEST_F(BatchOptions, EachOptionBeforeOrAfterTheSetupFile) {
    const BatchResult other = Run({"time", "setup.ini", "--events", "other/events.dat"});
    ASSERT_EQ(other.exitStatus, 0) << other.err;
    EXPECT_EQ(testing::PictureNames(work.path() / "other").size(), 4u);
    EXPECT_TRUE(testing::PictureNames(work.path() / "data").empty());

    const BatchResult png = Run({"spatial", "--format=png", "--densities", "--no-index",
                                 "--output-dir", "out/new", "setup.ini"});
    ASSERT_EQ(png.exitStatus, 0) << png.err;
    EXPECT_NE(png.err.find("the pictures are in out/new"), std::string::npos) << png.err;
    const std::vector<std::string> names = Names("out/new");
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[0], "space0001.png");
    EXPECT_EQ(names[1], "space0001.tiff");
    const cv::Mat densities =
        cv::imread((work.path() / "out/new/space0001.tiff").string(), cv::IMREAD_UNCHANGED);
    EXPECT_EQ(densities.type(), CV_32FC1);
    EXPECT_EQ(densities.size(), cv::Size(63, 43));  // the raster: trunc(61) + 2 by trunc(41) + 2

    // "--" ends the options: a setup file whose name starts with "-".
    fs::copy_file(work.path() / "setup.ini", work.path() / "-odd.ini");
    const BatchResult dashed = Run({"time", "--format", "BMP", "--", "-odd.ini"});
    EXPECT_EQ(dashed.exitStatus, 0) << dashed.err;
    EXPECT_TRUE(fs::exists(work.path() / "data/time.json"));
}

// The volume goes where --volume says and opens as NetCDF (ncdump reads its header).
TEST_F(BatchOptions, AVolumeOfTheSlicesOpensAsNetCdf) {
    const BatchResult run = Run({"spatial", "setup.ini", "--volume", "slices.nc"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("the density volume is slices.nc"), std::string::npos) << run.err;
    const std::string header =
        CommandOutput("ncdump -h '" + (work.path() / "slices.nc").string() + "'");
    for (const char* part : {"float density(z, y, x)", ":Conventions = \"CF-1.8\"",
                             "z:bounds = \"z_bounds\"", "x:units = \"m\""}) {
        EXPECT_NE(header.find(part), std::string::npos) << part << "\n" << header;
    }
}

TEST_F(BatchOptions, TheSetupFilesOwnChoicesApplyAndOptionsOverrideThem) {
    work.write("png.ini",
               SetupText("data/events.dat", "[Pictureformat]\tPNG\r\n[Seriesindex]\t0\r\n"));
    ASSERT_EQ(Run({"time", "png.ini"}).exitStatus, 0);
    EXPECT_EQ(Names("data").size(), 5u);  // events.dat and four PNG pictures, no index
    EXPECT_TRUE(fs::exists(work.path() / "data/time0004.png"));
    ASSERT_EQ(Run({"time", "png.ini", "--format", "bmp"}).exitStatus, 0);
    EXPECT_TRUE(fs::exists(work.path() / "data/time0004.bmp"));
}

// The colour options change the pictures and say so in the index; the density data stay
// the plain sums.
TEST_F(BatchOptions, ColourMapAndScaleChangeOnlyThePictures) {
    const auto run = [&](const std::vector<std::string>& extra, const std::string& folder) {
        std::vector<std::string> call = {"spatial", "setup.ini", "--densities", "--output-dir",
                                         folder};
        call.insert(call.end(), extra.begin(), extra.end());
        const BatchResult result = Run(call);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        const fs::path at = work.path() / folder;
        return std::pair{cv::imread((at / "space0002.bmp").string(), cv::IMREAD_UNCHANGED),
                         cv::imread((at / "space0002.tiff").string(), cv::IMREAD_UNCHANGED)};
    };
    const auto plain = run({}, "plain");
    const auto viridis = run({"--colour-map", "viridis"}, "viridis");
    const auto log = run({"--scale=log"}, "log");
    for (const auto* other : {&viridis, &log}) {
        EXPECT_GT(cv::norm(plain.first, other->first, cv::NORM_L1), 0.0);
        EXPECT_EQ(cv::norm(plain.second, other->second, cv::NORM_INF), 0.0);
    }
    const std::string index = testing::ReadWholeFile(work.file("viridis/space.json"));
    EXPECT_NE(index.find("\"colourMap\": \"viridis\""), std::string::npos);
    EXPECT_EQ(index.find("\"colourScale\""), std::string::npos);
    EXPECT_NE(testing::ReadWholeFile(work.file("log/space.json")).find("\"colourScale\": \"log\""),
              std::string::npos);
    EXPECT_EQ(testing::ReadWholeFile(work.file("plain/space.json")).find("colourMap"),
              std::string::npos);
}

// A maximum from the series: the highest density of the density data written, or the
// nearest-rank percentile of their non-zero values, is the index's maximum.
TEST_F(BatchOptions, MaximumFromTheSeriesDensities) {
    for (const char* choice : {"series", "percentile:90"}) {
        const std::string folder = std::string("max-") + (choice[0] == 's' ? "series" : "p90");
        const BatchResult result =
            Run({"time", "setup.ini", "--densities", "--maximum", choice, "--output-dir", folder});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        std::vector<float> all;
        for (int n = 1; n <= 4; ++n) {
            const cv::Mat d = cv::imread(
                (work.path() / folder / ("time000" + std::to_string(n) + ".tiff")).string(),
                cv::IMREAD_UNCHANGED);
            ASSERT_EQ(d.type(), CV_32FC1);
            for (int r = 0; r < d.rows; ++r) {
                for (int c = 0; c < d.cols; ++c) {
                    if (d.at<float>(r, c) > 0) {
                        all.push_back(d.at<float>(r, c));
                    }
                }
            }
        }
        ASSERT_FALSE(all.empty());
        std::sort(all.begin(), all.end());
        const float expected = choice[0] == 's' ? all.back() : all[(all.size() * 9 + 9) / 10 - 1];
        const std::string index = testing::ReadWholeFile(work.file(folder + "/time.json"));
        const std::size_t at = index.find("\"densityMaximum\": ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(static_cast<float>(ReadDecimal(index.substr(at + 18))), expected) << choice;
        EXPECT_NE(index.find(std::string("\"densityMaximumFrom\": \"") + choice), std::string::npos)
            << choice;
    }
}

TEST_F(BatchOptions, BadOptionsExitWithOneAndWriteNothing) {
    work.write("blocker", "a file, not a folder");
    const std::vector<std::vector<std::string>> calls = {
        {"spatial", "setup.ini", "--colour"},
        {"spatial", "setup.ini", "--events"},
        {"spatial", "--output-dir"},
        {"spatial", "setup.ini", "--format", "gif"},
        {"spatial", "setup.ini", "--format"},
        {"spatial", "setup.ini", "--colour-map", "jet"},
        {"spatial", "setup.ini", "--scale"},
        {"spatial", "setup.ini", "--scale=cube"},
        {"spatial", "setup.ini", "--weights", "energy"},
        {"spatial", "setup.ini", "--radius-unit", "metres"},
        {"spatial", "setup.ini", "--depth-axis", "sideways"},
        {"spatial", "setup.ini", "--ticks"},
        {"spatial", "setup.ini", "--exaggeration=maybe"},
        {"spatial", "setup.ini", "--unit", "far more than sixteen letters"},
        {"spatial", "setup.ini", "--maximum", "percentile:0"},
        {"spatial", "setup.ini", "--output-dir", "blocker"},
        {"spatial", "setup.ini", "--output-dir", "blocker/inside"},
        {"spatial", "--densities", "setup.ini", "more.ini"},
        {"spatial", "--", "--densities"},
        {"spatial", "setup.ini", "--volume"},
        {"time", "setup.ini", "--windows", "fortnightly"},
        {"time", "setup.ini", "--windows", "log:0,1h,0.5"},
        {"time", "setup.ini", "--utc-offset", "+15:00"},
        {"time", "setup.ini", "--region", "38,36,35,39"},
        {"time", "setup.ini", "--depth-range", "20:5"},
        {"time", "setup.ini", "--drop-type"},
    };
    for (const auto& call : calls) {
        std::string shown;
        for (const std::string& word : call) {
            shown += word + " ";
        }
        const BatchResult result = Run(call);
        EXPECT_EQ(result.exitStatus, 1) << shown << result.err;
        EXPECT_NE(result.err.find("korvane-batch: "), std::string::npos) << shown;
    }
    EXPECT_NE(Run({"spatial", "setup.ini", "--colour"}).err.find("unknown option --colour"),
              std::string::npos);
    EXPECT_NE(Run({"spatial", "setup.ini", "--format", "gif"}).err.find("bmp or png"),
              std::string::npos);
    EXPECT_NE(Run({"spatial", "setup.ini", "--scale", "cube"}).err.find("linear, log or sqrt"),
              std::string::npos);
    EXPECT_NE(Run({"time", "setup.ini", "--depth-range", "20:5"}).err.find("lies above its MAX"),
              std::string::npos);
    EXPECT_EQ(Names("data"), std::vector<std::string>{"events.dat"});
}

TEST_F(BatchOptions, AnUnwritableOutputFolderIsNamed) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    fs::create_directory(work.path() / "locked");
    chmod((work.path() / "locked").c_str(), 0555);
    const BatchResult result = Run({"spatial", "setup.ini", "--output-dir", "locked"});
    chmod((work.path() / "locked").c_str(), 0755);
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_NE(result.err.find("cannot write into the output folder \"locked\""), std::string::npos)
        << result.err;
}

TEST_F(BatchOptions, MoviesOfEachContainerReadBackWithTheirFramesSizeAndRate) {
    ASSERT_EQ(Run({"spatial", "setup.ini", "--format", "png"}).exitStatus, 0);
    const cv::Size frame(63 + 300 + 1, 43 + 200 + 1);  // the canvas, padded to even
    for (const char* name : {"m.avi", "m.mp4", "m.mkv", "m.webm"}) {
        const BatchResult result = Run({"movie", "data", name});
        ASSERT_EQ(result.exitStatus, 0) << name << "\n" << result.err;
        // The libraries' own lines never reach the terminal: only the program's.
        for (std::size_t at = 0; at < result.err.size();) {
            const std::size_t end = result.err.find('\n', at);
            const std::string line = result.err.substr(at, end - at);
            EXPECT_TRUE(line.rfind("frame ", 0) == 0 || line.rfind("korvane-batch: ", 0) == 0)
                << name << ": " << line;
            at = end == std::string::npos ? result.err.size() : end + 1;
        }
        cv::VideoCapture movie((work.path() / name).string(), cv::CAP_FFMPEG);
        ASSERT_TRUE(movie.isOpened()) << name;
        EXPECT_EQ(movie.get(cv::CAP_PROP_FPS), 10.0) << name;
        EXPECT_EQ(movie.get(cv::CAP_PROP_FRAME_WIDTH), frame.width) << name;
        EXPECT_EQ(movie.get(cv::CAP_PROP_FRAME_HEIGHT), frame.height) << name;
        int frames = 0;
        for (cv::Mat image; movie.read(image);) {
            ++frames;
        }
        EXPECT_EQ(frames, 4) << name;
    }
}

// A command-line option wins over the setup file, and the index says what made the pictures.
TEST_F(BatchOptions, TheCommandLineWinsOverTheSetupFile) {
    const struct {
        const char* setupLines;
        std::vector<std::string> options;
        std::vector<const char*> inIndex;
    } rows[] = {
        {"[Fixeddensity]\t1\r\n[Maxdensity]\t12\r\n",
         {"--maximum", "series"},
         {"\"densityMaximumFixed\": false", "\"densityMaximumFrom\": \"series\""}},
        {"[Fixeddensity]\t1\r\n[Maxdensity]\t12\r\n[Maximum]\tseries\r\n",
         {},
         {"\"densityMaximum\": 12.0", "\"densityMaximumFixed\": true,\n  \"complete\""}},
        {"[Radius]\t1.5\r\n", {"--radius-unit", "coordinates"}, {"\"radius\": 1.5"}},
        {"[Radius]\t0.5\r\n", {"--radius-unit=coordinates"}, {"\"radius\": 0.5"}},
        {"[Radius]\t1.5\r\n[Radiusunit]\tcoordinates\r\n",
         {"--radius-unit", "pixels"},
         {"\"radius\": 2.0"}},
        // The setup says [Gaussiandistance] 1; the last of --count and --gaussian wins.
        {"", {"--count"}, {"\"weighting\": \"count\""}},
        {"", {"--count", "--gaussian"}, {"\"weighting\": \"gaussian\""}},
        {"[Gaussiandistance]\t0\r\n", {}, {"\"weighting\": \"count\""}},
        {"[Gaussiandistance]\t0\r\n", {"--gaussian"}, {"\"weighting\": \"gaussian\""}},
    };
    for (const auto& row : rows) {
        work.write("wins.ini", SetupText("data/events.dat", row.setupLines));
        std::vector<std::string> arguments = {"time", "wins.ini"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        const BatchResult result = Run(arguments);
        ASSERT_EQ(result.exitStatus, 0) << row.setupLines << result.err;
        const std::string index = testing::ReadWholeFile(work.file("data/time.json"));
        for (const char* part : row.inIndex) {
            EXPECT_NE(index.find(part), std::string::npos) << row.setupLines << part << index;
        }
    }
}

// No writer replaces the file it works from: import its catalogue, a series its event file
// (named like a picture in the output folder), a movie one of its pictures.
TEST_F(BatchOptions, NoOutputReplacesItsInput) {
    work.write("data/c.csv", "time,x,y,z\n2023-02-06T01:00:00Z,1,1,1\n");
    fs::create_symlink("c.csv", work.path() / "data" / "link.dat");
    fs::create_directory(work.path() / "frames");
    work.write("frames/space0001.bmp", Events);
    work.write("frames/frames.ini", SetupText("space0001.bmp"));
    ASSERT_EQ(Run({"spatial", "setup.ini", "--output-dir", "pictures"}).exitStatus, 0);
    fs::create_symlink("space0002.bmp", work.path() / "pictures" / "film.avi");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
        const char* kept;
    } rows[] = {
        {{"import", "data/c.csv", "data/c.csv"},
         "The event file \"data/c.csv\" would replace the catalogue \"data/c.csv\": they are the "
         "same file.",
         "data/c.csv"},
        {{"import", "data/c.csv", "data/link.dat"}, "would replace the catalogue", "data/c.csv"},
        {{"spatial", "frames/frames.ini"},
         "The picture \"frames/space0001.bmp\" would replace the event file",
         "frames/space0001.bmp"},
        {{"movie", "pictures", "pictures/film.avi"},
         "The movie \"pictures/film.avi\" would replace the picture \"pictures/space0002.bmp\"",
         "pictures/space0002.bmp"},
    };
    for (const auto& row : rows) {
        const std::string before = testing::ReadWholeFile(work.file(row.kept));
        const BatchResult result = Run(row.arguments);
        EXPECT_NE(result.exitStatus, 0) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
        EXPECT_EQ(testing::ReadWholeFile(work.file(row.kept)), before) << row.kept;
    }
}

// One movie never mixes BMP and PNG pictures of a series: it takes those of the last run (as
// its index lists them), or without an index those of the format written last, and names
// the others.
TEST_F(BatchOptions, AMovieOfBmpAndPngPicturesTakesTheLastRunsFormat) {
    ASSERT_EQ(Run({"spatial", "setup.ini"}).exitStatus, 0);
    ASSERT_EQ(Run({"spatial", "setup.ini", "--format", "png"}).exitStatus, 0);
    BatchResult result = Run({"movie", "data", "mixed.avi"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("4 pictures of the series \"space\" are left out (space0001.bmp "
                              "to space0004.bmp): the series index space.json lists the 4"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("Empty folder"), std::string::npos) << result.err;

    fs::remove(work.path() / "data" / "space.json");
    for (int n = 1; n <= 4; ++n) {
        fs::last_write_time(work.path() / "data" / ("space000" + std::to_string(n) + ".bmp"),
                            fs::file_time_type::clock::now() + std::chrono::hours(1));
    }
    result = Run({"movie", "data", "mixed.avi"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("(space0001.png to space0004.png): they are PNG pictures, and the "
                              "picture written last is a BMP picture"),
              std::string::npos)
        << result.err;
}

TEST_F(BatchOptions, SectionCommandTakesItsLineAndRefusesBadOnes) {
    const struct {
        std::vector<std::string> call;
        const char* said;
    } refused[] = {
        {{"section", "setup.ini", "--from", "1,1", "--to", "1,1", "--width", "2"}, "same point"},
        {{"section", "setup.ini", "--from", "0,0", "--to", "5,5"}, "--width takes"},
        {{"section", "setup.ini", "--from", "0,0", "--to", "5,5", "--width", "-1"}, "--width"},
        {{"section", "setup.ini", "--from", "0,0", "--to", "5,5", "--width=1", "--count=0"},
         "--count takes"},
        {{"section", "setup.ini", "--from", "0,0", "--to", "5,5", "--width=1", "--count", "2"},
         "needs --step"},
        {{"section", "setup.ini", "--from", "1", "--to", "5,5", "--width=1"}, "X,Y"},
        {{"section", "setup.ini", "--from", "0,0", "--to", "5,5", "--width", "wide"}, "--width"},
        {{"spatial", "setup.ini", "--from", "0,0"}, "belong to the section command"},
        {{"section", "setup.ini", "--lat-lon", "--from", "0,0", "--to", "5,5", "--width", "1"},
         "give the ends in x and y"},
    };
    for (const auto& row : refused) {
        const BatchResult result = Run(row.call);
        EXPECT_EQ(result.exitStatus, 1) << row.said << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
    }
    EXPECT_EQ(Names("data"), std::vector<std::string>{"events.dat"});

    // Three sections one apart across the diagonal; a bare --count still counts events.
    const BatchResult result = Run({"section", "setup.ini", "--from", "0,0", "--to", "10,10",
                                    "--width", "2", "--step=1", "--count", "3", "--count"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Names("data"),
              (std::vector<std::string>{"events.dat", "section.json", "section0001.bmp",
                                        "section0002.bmp", "section0003.bmp"}));
    const std::string index = testing::ReadWholeFile(work.file("data/section.json"));
    EXPECT_NE(index.find("\"weighting\": \"count\""), std::string::npos);
    EXPECT_NE(index.find("\"length\": 14.142135623730951"), std::string::npos) << index;
}

}  // namespace
}  // namespace korvane
