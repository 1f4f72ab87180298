#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"
#include "movie/MovieTestPictures.h"
#include "support/Folders.h"
#include "support/MovieRun.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::FolderNames;
using testing::FrameNumberOf;
using testing::ReadMovie;
using testing::ReadWholeFile;
using testing::RecordingObserver;
using testing::TempDir;
using testing::WriteFramePicture;
using testing::WriteFrameSeries;

// A lossless codec, so that every frame's pixels can be compared exactly with its picture.
bool HasLosslessCodec() {
    const auto codecs = AvailableAviCodecs();
    return std::find(codecs.begin(), codecs.end(), "FFV1") != codecs.end();
}

std::vector<int> FrameNumbers(const testing::MovieContent& movie) {
    std::vector<int> numbers;
    for (const auto& pixel : movie.centres) {
        numbers.push_back(FrameNumberOf(pixel));
    }
    return numbers;
}

std::vector<int> OneTo(int n) {
    std::vector<int> numbers;
    for (int i = 1; i <= n; ++i) {
        numbers.push_back(i);
    }
    return numbers;
}

struct SeriesCase {
    const char* label;
    const char* prefix;
    int pictures;
    cv::Size size;
};

class WholeSeries : public ::testing::TestWithParam<SeriesCase> {};

// The movie holds every picture once, in number order, whatever order the files were made
// in (highest number first), at 10 frames/s and the pictures' size.
TEST_P(WholeSeries, BecomesOneFramePerPictureInNumberOrder) {
    if (!HasLosslessCodec()) {
        GTEST_SKIP() << "no lossless codec to compare frames with";
    }
    const SeriesCase& param = GetParam();
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), param.prefix, 1, param.pictures, param.size);
    const std::string movie = movies.file("movie.avi");
    RecordingObserver recorder;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "FFV1", recorder),
              ConversionOutcome::Written);

    EXPECT_TRUE(recorder.messages.empty());
    const std::string bytes = ReadWholeFile(movie);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "AVI ");
    const testing::MovieContent content = ReadMovie(movie);
    ASSERT_TRUE(content.opened);
    EXPECT_EQ(content.frameCount, param.pictures);
    EXPECT_DOUBLE_EQ(content.framesPerSecond, 10.0);
    // Odd sizes grow by one to the even size the video library can write.
    EXPECT_EQ(content.size, cv::Size(param.size.width + param.size.width % 2,
                                     param.size.height + param.size.height % 2));
    EXPECT_EQ(FrameNumbers(content), OneTo(param.pictures));
    EXPECT_EQ(recorder.countedTotal, param.pictures);
    EXPECT_EQ(recorder.positions, OneTo(param.pictures));
    // Nothing but the movie is left beside it.
    EXPECT_EQ(FolderNames(movies.path().string()), std::vector<std::string>{"movie.avi"});
}

INSTANTIATE_TEST_SUITE_P(
    Movie, WholeSeries,
    ::testing::Values(SeriesCase{"TwelvePictures", "space", 12, cv::Size(40, 30)},
                      SeriesCase{"OnePicture", "time", 1, cv::Size(33, 21)},
                      // Frames 1000 to 1200 come from names without leading zeros.
                      SeriesCase{"AcrossTheThousandBoundary", "perspective", 1200,
                                 cv::Size(16, 16)}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(MovieConversion, DefaultCodecWritesTheColoursOfThePictures) {
    TempDir pictures;
    TempDir movies;
    const cv::Scalar colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int n = 1; n <= 3; ++n) {
        cv::imwrite(pictures.file("space000" + std::to_string(n) + ".bmp"),
                    cv::Mat(64, 64, CV_8UC3, colours[n - 1]));
    }
    const std::string movie = movies.file("movie.avi");
    RecordingObserver recorder;

    ASSERT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              ConversionOutcome::Written);

    const testing::MovieContent content = ReadMovie(movie);
    ASSERT_EQ(content.centres.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(content.centres[n][c], colours[n][c], 12) << "frame " << n + 1;
        }
    }
}

TEST(MovieConversion, TheLargestOrTheNamedSeriesAndOnlyNumberedPicturesCount) {
    if (!HasLosslessCodec()) {
        GTEST_SKIP() << "no lossless codec to compare frames with";
    }
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 3);
    WriteFrameSeries(pictures.path().string(), "time", 1, 5);  // a larger series after it
    WriteFramePicture(pictures.file("backup0001.bmp"), 99);    // a stray picture
    for (const char* other : {"notes.bmp", "space001.bmp", "space0004.BMP", "space0004.bmp.txt",
                              "scale.bmp", "space0004a.bmp"}) {
        WriteFramePicture(pictures.file(other), 99);
    }
    std::filesystem::create_directory(pictures.file("space0005.bmp"));  // a folder, not a file
    ::mkfifo(pictures.file("space0004.bmp").c_str(), 0600);             // a pipe, never opened
    const std::string movie = movies.file("movie.avi");
    RecordingObserver recorder;

    // Without a name: the series with the most pictures, saying which others it left.
    ConversionResult result =
        ConvertPicturesToMovie(pictures.path().string(), movie, "FFV1", recorder);
    ASSERT_EQ(result.outcome, ConversionOutcome::Written);
    EXPECT_EQ(FrameNumbers(ReadMovie(movie)), OneTo(5));
    EXPECT_EQ(result.note,
              "The movie shows the series \"time\" (5 pictures); the folder also "
              "holds \"backup\" (1 picture), \"space\" (3 pictures), left out.");

    result = ConvertPicturesToMovie(pictures.path().string(), movie, "FFV1", recorder, "space");
    ASSERT_EQ(result.outcome, ConversionOutcome::Written);
    EXPECT_EQ(FrameNumbers(ReadMovie(movie)), OneTo(3));

    result = ConvertPicturesToMovie(pictures.path().string(), movie, "FFV1", recorder, "spice");
    EXPECT_EQ(result.outcome, ConversionOutcome::Failed);
    ASSERT_TRUE(result.message.has_value());
    EXPECT_NE(result.message->text.find("holds no series \"spice\"; it holds: backup, space, time"),
              std::string::npos)
        << result.message->text;
}

TEST(MovieConversion, GreyAndFourChannelPicturesBecomeColourFrames) {
    TempDir pictures;
    TempDir movies;
    cv::imwrite(pictures.file("space0001.bmp"), cv::Mat(32, 32, CV_8UC1, cv::Scalar(200)));
    cv::imwrite(pictures.file("space0002.bmp"),
                cv::Mat(32, 32, CV_8UC4, cv::Scalar(200, 200, 200, 255)));
    const std::string movie = movies.file("movie.avi");
    RecordingObserver recorder;

    ASSERT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              ConversionOutcome::Written);

    const testing::MovieContent content = ReadMovie(movie);
    ASSERT_EQ(content.centres.size(), 2u);
    EXPECT_NEAR(content.centres[1][1], 200, 12);
}

TEST(MovieConversion, ReplacesAnOlderMovieOfTheSameName) {
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 2);
    const std::string movie = movies.write("movie.avi", "an older movie");
    RecordingObserver recorder;

    ASSERT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              ConversionOutcome::Written);

    EXPECT_EQ(ReadMovie(movie).centres.size(), 2u);
}

// Folders that hold no numbered picture: the empty-folder box, and no movie.
TEST(MovieConversion, FolderWithoutNumberedPicturesShowsTheEmptyFolderBox) {
    const std::vector<std::vector<std::string>> folders = {
        {},
        {"readme.txt", "space0001.gif"},
        {"picture.bmp", "space001.bmp", "space0001.BMP", "0001.bmp.bak"},
    };
    for (const auto& files : folders) {
        TempDir pictures;
        TempDir movies;
        for (const auto& name : files) {
            WriteFramePicture(pictures.file(name), 1);
        }
        const std::string movie = movies.file("movie.avi");
        RecordingObserver recorder;

        EXPECT_EQ(
            testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
            ConversionOutcome::EmptyFolder);

        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, "Folder does not contain pictures!");
        EXPECT_EQ(recorder.messages[0].caption, "Empty folder!");
        EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
        EXPECT_EQ(recorder.countedPhases, 0);
        EXPECT_TRUE(FolderNames(movies.path().string()).empty());
    }
}

struct FailureCase {
    const char* label;
    void (*prepare)(const TempDir& pictures);
    const char* named;  // a text the error box must hold
};

void MissingMiddleFrame(const TempDir& pictures) {
    WriteFrameSeries(pictures.path().string(), "space", 1, 2);
    WriteFramePicture(pictures.file("space0004.bmp"), 4);
}
void MixedSizes(const TempDir& pictures) {
    WriteFrameSeries(pictures.path().string(), "space", 1, 2, cv::Size(16, 16));
    WriteFramePicture(pictures.file("space0003.bmp"), 3, cv::Size(18, 16));
}
void UnreadableFrame(const TempDir& pictures) {
    WriteFrameSeries(pictures.path().string(), "space", 1, 3);
    pictures.write("space0002.bmp", "BM this is no picture");
}
void UnreadableFirstPicture(const TempDir& pictures) {
    pictures.write("space0001.bmp", std::string(100, '\0'));
    WriteFramePicture(pictures.file("space0002.bmp"), 2);
}
void SeriesNotStartingAtOne(const TempDir& pictures) {
    WriteFrameSeries(pictures.path().string(), "time", 5, 7);
}

class BrokenSeries : public ::testing::TestWithParam<FailureCase> {};

// The conversion stops with an error box naming the picture, and leaves no movie: an older
// file of the movie's name is left as it was.
TEST_P(BrokenSeries, StopsWithABoxAndLeavesNoMovie) {
    const FailureCase& param = GetParam();
    TempDir pictures;
    TempDir movies;
    param.prepare(pictures);
    const std::string movie = movies.write("movie.avi", "an older movie");
    RecordingObserver recorder;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              ConversionOutcome::Failed);

    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "Movie not written");
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    EXPECT_NE(recorder.messages[0].text.find(param.named), std::string::npos)
        << recorder.messages[0].text;
    EXPECT_EQ(ReadWholeFile(movie), "an older movie");
    EXPECT_EQ(FolderNames(movies.path().string()), std::vector<std::string>{"movie.avi"});
}

INSTANTIATE_TEST_SUITE_P(
    Movie, BrokenSeries,
    ::testing::Values(FailureCase{"MissingFrame", MissingMiddleFrame, "space0003.bmp\" does not"},
                      FailureCase{"MixedSizes", MixedSizes, "space0003.bmp\" measures 18 x 16"},
                      FailureCase{"UnreadableFrame", UnreadableFrame,
                                  "space0002.bmp\" cannot be read"},
                      FailureCase{"UnreadableFirstPicture", UnreadableFirstPicture,
                                  "space0001.bmp\" cannot be read"},
                      FailureCase{"SeriesNotStartingAtOne", SeriesNotStartingAtOne,
                                  "time0001.bmp\" does not exist"}),
    [](const auto& info) { return std::string(info.param.label); });

// Links planted at the names a conversion used to write first (".movie.part-<pid>-<n>.avi"),
// dangling or pointing at a file outside the folder: the conversion writes past them, the
// file outside stays as it was and the movie is a complete file of its own.
TEST(MovieConversion, LinksPlantedBesideTheMovieAreNotFollowed) {
    TempDir pictures;
    TempDir movies;
    TempDir outside;
    WriteFrameSeries(pictures.path().string(), "space", 1, 3);
    const std::string victim = outside.write("victim.avi", "not a movie of yours");
    std::vector<std::string> planted;
    for (int n = 0; n < 64; ++n) {
        planted.push_back(".movie.part-" + std::to_string(getpid()) + "-" + std::to_string(n) +
                          ".avi");
        std::filesystem::create_symlink(
            n % 2 ? victim : outside.file("dangling" + std::to_string(n) + ".avi"),
            movies.path() / planted.back());
    }
    const std::string movie = movies.file("movie.avi");
    for (int run = 0; run < 2; ++run) {
        RecordingObserver recorder;
        ASSERT_EQ(
            testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
            ConversionOutcome::Written);
    }
    EXPECT_EQ(ReadWholeFile(victim), "not a movie of yours");
    EXPECT_EQ(FolderNames(outside.path().string()), std::vector<std::string>{"victim.avi"});
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(movie)));
    EXPECT_EQ(ReadMovie(movie).centres.size(), 3u);
    planted.push_back("movie.avi");
    std::sort(planted.begin(), planted.end());
    EXPECT_EQ(FolderNames(movies.path().string()), planted);  // and no private folder left
}

TEST(MovieConversion, AcceptsTheLongestMovieName) {
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 2);
    const std::string name = std::string(251, 'm') + ".avi";  // 255 characters
    RecordingObserver recorder;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movies.file(name), "MJPG",
                                              recorder),
              ConversionOutcome::Written);
    EXPECT_EQ(FolderNames(movies.path().string()), std::vector<std::string>{name});
}

TEST(MovieConversion, ReportsATargetThatCannotBeWritten) {
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 2);
    // Below a regular file no folder can exist, whoever runs the test.
    const std::string blocker = movies.write("plain-file", "x");
    RecordingObserver recorder;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), blocker + "/sub/movie.avi",
                                              "MJPG", recorder),
              ConversionOutcome::Failed);

    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_NE(recorder.messages[0].text.find("movie.avi"), std::string::npos);
    EXPECT_EQ(FolderNames(movies.path().string()), std::vector<std::string>{"plain-file"});
}

// A folder that cannot be listed gets the empty folder's box; the reason comes apart, for a
// front end that can say more.
TEST(MovieConversion, ReportsAFolderThatCannotBeListedAsEmpty) {
    TempDir movies;
    for (const std::string& folder : {movies.file("no-such-folder"), movies.write("a-file", "")}) {
        RecordingObserver recorder;
        const ConversionResult result =
            ConvertPicturesToMovie(folder, movies.file("movie.avi"), "MJPG", recorder);
        EXPECT_EQ(result.outcome, ConversionOutcome::EmptyFolder);
        ASSERT_TRUE(result.message.has_value());
        EXPECT_EQ(result.message->text, "Folder does not contain pictures!");
        EXPECT_EQ(result.message->caption, "Empty folder!");
        EXPECT_NE(result.reason.find("cannot be read"), std::string::npos) << result.reason;
        EXPECT_FALSE(std::filesystem::exists(movies.file("movie.avi")));
    }
}

TEST(MovieConversion, NamesEachCodecInWords) {
    EXPECT_EQ(CodecDescription("MJPG"), "MJPG: Motion JPEG, plays almost everywhere");
    for (const std::string& codec : AvailableAviCodecs()) {
        EXPECT_EQ(CodecDescription(codec).rfind(codec + ": ", 0), 0u) << codec;
    }
    EXPECT_EQ(CodecDescription("ABCD"), "ABCD");
}

TEST(MovieConversion, RefusesACodecThatIsNoFourCharacterCode) {
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 2);
    for (const std::string& codec :
         std::vector<std::string>{"", "MJP", "MJPGX", std::string("MJ\0G", 4)}) {
        RecordingObserver recorder;
        EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(),
                                                  movies.file("movie.avi"), codec, recorder),
                  ConversionOutcome::Failed);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_NE(recorder.messages[0].text.find("codec"), std::string::npos);
        EXPECT_TRUE(FolderNames(movies.path().string()).empty());
    }
}

// Closing the window stops the conversion after the frame in progress; the partial movie
// goes, and the user, who asked for it, gets no box.
TEST(MovieConversion, CancelStopsAfterTheFrameAndLeavesNoMovie) {
    TempDir pictures;
    TempDir movies;
    WriteFrameSeries(pictures.path().string(), "space", 1, 6);
    const std::string movie = movies.file("movie.avi");
    RecordingObserver recorder;
    recorder.stopAfter = 2;

    EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movie, "MJPG", recorder),
              ConversionOutcome::Cancelled);

    EXPECT_EQ(recorder.positions, (std::vector<int>{1, 2}));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(FolderNames(movies.path().string()).empty());
}

TEST(VideoCodecs, OffersMjpgFirstAndEveryCodecOfferedWritesAMovie) {
    const std::vector<std::string> codecs = AvailableAviCodecs();
    ASSERT_FALSE(codecs.empty());
    EXPECT_EQ(codecs.front(), "MJPG");
    EXPECT_EQ(AvailableAviCodecs(), codecs);  // the answer is kept

    TempDir pictures;
    WriteFrameSeries(pictures.path().string(), "space", 1, 3, cv::Size(35, 27));
    for (const std::string& codec : codecs) {
        EXPECT_EQ(std::count(codecs.begin(), codecs.end(), codec), 1) << codec;
        TempDir movies;
        RecordingObserver recorder;
        EXPECT_EQ(testing::ConvertShowingMessages(pictures.path().string(), movies.file("m.avi"),
                                                  codec, recorder),
                  ConversionOutcome::Written)
            << codec;
        EXPECT_EQ(ReadMovie(movies.file("m.avi")).centres.size(), 3u) << codec;
    }
    // The trial movies of this process and their private folders are gone.
    const std::string probePrefix = ".korvane-codec-probe-" + std::to_string(getpid()) + ".";
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        EXPECT_NE(entry.path().filename().string().rfind(probePrefix, 0), 0u);
    }
}

}  // namespace
}  // namespace korvane
