// Bad picture folders for a movie: every case ends with its box and no movie file, and a
// movie that is written holds every frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

#include "catalogue/CatalogueSupport.h"
#include "movie/MovieConversion.h"
#include "setup/CalculateCommand.h"
#include "support/MovieRun.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::CalculateOutcome;
using testing::ReadWholeFile;
using testing::RecordingObserver;
using testing::TempDir;

void WritePicture(const TempDir& folder, const std::string& name, int width, int height) {
    ASSERT_TRUE(
        cv::imwrite(folder.file(name), cv::Mat(height, width, CV_8UC3, cv::Scalar(30, 90, 200))));
}

long long MovieFrames(const std::string& path) {
    cv::VideoCapture capture(path, cv::CAP_FFMPEG);
    long long frames = 0;
    cv::Mat frame;
    while (capture.read(frame)) {
        ++frames;
    }
    return frames;
}

struct MovieFolderCase {
    const char* label;
    void (*prepare)(const TempDir& pictures);
    ConversionOutcome outcome;
    const char* caption;
    const char* messagePart;
};

class MovieFolderInput : public ::testing::TestWithParam<MovieFolderCase> {};

TEST_P(MovieFolderInput, GivesItsBoxAndLeavesNoMovie) {
    const MovieFolderCase& c = GetParam();
    TempDir pictures;
    TempDir movies;
    c.prepare(pictures);
    const std::string movie = movies.write("movie.avi", "older movie");
    RecordingObserver recorder;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              c.outcome);

    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, c.caption);
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    EXPECT_NE(recorder.messages[0].text.find(c.messagePart), std::string::npos)
        << recorder.messages[0].text;
    EXPECT_EQ(ReadWholeFile(movie), "older movie");
    EXPECT_EQ(catalogue::FolderNames(movies.path().string()),
              std::vector<std::string>{"movie.avi"});
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, MovieFolderInput,
    ::testing::Values(
        MovieFolderCase{"EmptyFolder", [](const TempDir&) {}, ConversionOutcome::EmptyFolder,
                        "Empty folder!", "Folder does not contain pictures!"},
        MovieFolderCase{
            "OnlyUnnumberedPictures", [](const TempDir& p) { WritePicture(p, "scale.bmp", 8, 8); },
            ConversionOutcome::EmptyFolder, "Empty folder!", "Folder does not contain pictures!"},
        MovieFolderCase{"MissingFrames",
                        [](const TempDir& p) {
                            WritePicture(p, "time0001.bmp", 8, 8);
                            WritePicture(p, "time0003.bmp", 8, 8);
                        },
                        ConversionOutcome::Failed, "Movie not written", "time0002.bmp"},
        MovieFolderCase{"MixedSizes",
                        [](const TempDir& p) {
                            WritePicture(p, "time0001.bmp", 8, 8);
                            WritePicture(p, "time0002.bmp", 8, 9);
                        },
                        ConversionOutcome::Failed, "Movie not written", "time0002.bmp"},
        MovieFolderCase{"BinaryFileNamedAsPicture",
                        [](const TempDir& p) {
                            WritePicture(p, "time0001.bmp", 8, 8);
                            p.write("time0002.bmp", std::string(5000, '\x7f'));
                        },
                        ConversionOutcome::Failed, "Movie not written", "time0002.bmp"},
        MovieFolderCase{"EmptyPictureFile", [](const TempDir& p) { p.write("time0001.bmp", ""); },
                        ConversionOutcome::Failed, "Movie not written", "time0001.bmp"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(MovieFolderInputs, FolderThatIsNoFolder) {
    TempDir movies;
    const std::string plain = movies.write("plain", "x");
    // The empty folder's box; the reason, naming the folder, comes apart from it.
    for (const std::string& folder : {plain, movies.file("missing"), plain + "/sub"}) {
        RecordingObserver recorder;
        const ConversionResult result =
            ConvertPicturesToMovie(folder, movies.file("movie.avi"), "MJPG", recorder);
        EXPECT_EQ(result.outcome, ConversionOutcome::EmptyFolder);
        ASSERT_TRUE(result.message.has_value());
        EXPECT_EQ(result.message->caption, "Empty folder!");
        EXPECT_NE(result.reason.find(folder), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(movies.file("movie.avi")));
    }
}

TEST(MovieFolderInputs, MovieThatCannotBeWrittenLeavesNothing) {
    TempDir pictures;
    TempDir movies;
    WritePicture(pictures, "space0001.bmp", 8, 8);
    const std::string plain = movies.write("plain", "x");
    std::filesystem::create_directory(movies.file("taken.avi"));
    for (const std::string& movie : {plain + "/movie.avi", movies.file("taken.avi")}) {
        RecordingObserver recorder;
        EXPECT_EQ(
            testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
            ConversionOutcome::Failed);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].caption, "Movie not written");
        EXPECT_EQ(catalogue::FolderNames(movies.path().string()),
                  (std::vector<std::string>{"plain", "taken.avi"}));
    }
}

// One-pixel pictures still make a movie of every frame.
TEST(MovieFolderInputs, OnePixelPictures) {
    TempDir pictures;
    TempDir movies;
    for (int n = 1; n <= 3; ++n) {
        WritePicture(pictures, "space000" + std::to_string(n) + ".bmp", 1, 1);
    }
    RecordingObserver recorder;
    ASSERT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movies.file("m.avi"),
                                              "MJPG", recorder),
              ConversionOutcome::Written);
    EXPECT_EQ(MovieFrames(movies.file("m.avi")), 3);
}

// A series the program wrote, then damaged: a removed picture stops the movie; whole, it
// makes a movie of every picture.
TEST(MovieFolderInputs, SeriesOfTheProgramWithAPictureRemoved) {
    TempDir folder;
    TempDir movies;
    const std::string events = folder.write("events.dat", "1\t1\t1\t1\n5\t5\t5\t5\n");
    DialogValues values = catalogue::PassingValues(events);
    values.numberOfPictures = "5";
    RecordingObserver calculation;
    CalculationWorkspace workspace;
    ASSERT_EQ(CalculateRecorded(values, TimeResolvedMode, calculation, workspace),
              CalculateOutcome::Finished);

    RecordingObserver whole;
    ASSERT_EQ(testing::ConvertShowingMessages(folder.path().string(), movies.file("whole.avi"),
                                              "MJPG", whole),
              ConversionOutcome::Written);
    EXPECT_EQ(MovieFrames(movies.file("whole.avi")), 5);

    std::filesystem::remove(folder.file("time0004.bmp"));
    RecordingObserver damaged;
    EXPECT_EQ(testing::ConvertShowingMessages(folder.path().string(), movies.file("damaged.avi"),
                                              "MJPG", damaged),
              ConversionOutcome::Failed);
    ASSERT_EQ(damaged.messages.size(), 1u);
    EXPECT_NE(damaged.messages[0].text.find("time0004.bmp"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(movies.file("damaged.avi")));
}

}  // namespace
}  // namespace korvane
