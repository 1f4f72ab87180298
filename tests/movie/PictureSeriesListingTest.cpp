#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "movie/ConversionProgress.h"
#include "movie/PictureSeriesListing.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

TEST(PictureSeriesListing, NumberedPictureNames) {
    const struct {
        const char* name;
        bool numbered;
    } cases[] = {
        {"space0001.bmp", true},
        {"time1000.bmp", true},
        {"space10000.bmp", true},
        {"0001.bmp", true},
        {"run20001.bmp", true},
        {"space001.bmp", false},
        {"space0001.BMP", false},
        {"space0001.bmpx", false},
        {"space0001.png", true},  // a PNG series makes a movie as well
        {"space0001.gif", false},
        {"space.bmp", false},
        {".bmp", false},
        {"space0001a.bmp", false},
        {"space0001.bmp.txt", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumberedPictureName(c.name), c.numbered) << c.name;
    }
}

TEST(PictureSeriesListing, FirstNumberedPictureFixesThePrefixAndTheCount) {
    const struct {
        std::vector<const char*> files;
        const char* first;
        const char* prefix;
        int count;
    } cases[] = {
        {{"space0003.bmp", "space0001.bmp", "space0002.bmp"}, "space0001.bmp", "space", 3},
        {{"time0999.bmp", "time1000.bmp", "time0001.bmp", "time10000.bmp"},
         "time0001.bmp",
         "time",
         4},
        // A second series after the first in name order does not count.
        {{"time0001.bmp", "space0002.bmp", "space0001.bmp", "time0002.bmp"},
         "space0001.bmp",
         "space",
         2},
        // Unnumbered pictures before the series are passed over.
        {{"a.bmp", "b0001.bmp", "b.bmp", "b001.bmp"}, "b0001.bmp", "b", 1},
        // A prefix that ends in a digit is kept whole.
        {{"run20001.bmp", "run20002.bmp"}, "run20001.bmp", "run2", 2},
        {{"notes.txt", "x.bmp"}, "", "", 0},
    };
    for (const auto& c : cases) {
        TempDir folder;
        for (const char* name : c.files) {
            folder.write(name, "");
        }
        PictureSeries series;
        ASSERT_TRUE(ListPictureSeries(folder.path().string(), series).ok());
        EXPECT_EQ(series.count, c.count) << c.first;
        if (c.count > 0) {
            EXPECT_EQ(series.firstPicture, folder.file(c.first));
            EXPECT_EQ(series.basePath, folder.file(c.prefix));
        }
    }
}

TEST(PictureSeriesListing, FolderThatCannotBeListedFailsWithItsName) {
    TempDir folder;
    PictureSeries series;
    const Status status = ListPictureSeries(folder.file("missing"), series);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(folder.file("missing")), std::string::npos);
    EXPECT_EQ(series.count, 0);
}

// Every series a folder holds, with what a person chooses by, and the one written last.
TEST(PictureSeriesListing, DescribesEverySeriesAndFindsTheNewest) {
    struct File {
        const char* name;
        int width;
        int height;
        int minutesOld;  // 0: not a picture (an empty file of that name)
    };
    struct Described {
        const char* prefix;
        int count;
        int width;
        int height;
        int newestMinutesOld;
    };
    const struct {
        const char* what;
        std::vector<File> files;
        std::vector<Described> series;
        int newest;
    } cases[] = {
        {"three kinds of several runs",
         {{"time0002.bmp", 40, 30, 5},
          {"perspective0001.bmp", 64, 48, 90},
          {"time0001.bmp", 40, 30, 6},
          {"space0001.png", 20, 10, 60},
          {"space0002.png", 20, 10, 50},
          {"perspective0002.bmp", 64, 48, 80}},
         {{"perspective", 2, 64, 48, 80}, {"space", 2, 20, 10, 50}, {"time", 2, 40, 30, 5}},
         2},
        {"the newest is not the largest or the first",
         {{"a0001.bmp", 8, 8, 30}, {"a0002.bmp", 8, 8, 30}, {"b0001.bmp", 16, 8, 2}},
         {{"a", 2, 8, 8, 30}, {"b", 1, 16, 8, 2}},
         1},
        {"as new: the one with more pictures",
         {{"a0001.bmp", 8, 8, 10}, {"b0001.bmp", 8, 8, 10}, {"b0002.bmp", 8, 8, 10}},
         {{"a", 1, 8, 8, 10}, {"b", 2, 8, 8, 10}},
         1},
        {"a first picture that is no picture has no size",
         {{"x0001.bmp", 0, 0, 3}, {"x0002.bmp", 8, 6, 4}},
         {{"x", 2, 0, 0, 3}},
         0},
        {"a prefix of digits only, and other files",
         {{"0001.bmp", 8, 6, 7}, {"0002.bmp", 8, 6, 7}, {"notes.bmp", 8, 6, 1}},
         {{"", 2, 8, 6, 7}},
         0},
        {"no series", {{"notes.txt", 0, 0, 1}}, {}, -1},
    };
    const auto now = std::chrono::system_clock::now();
    const auto minutesAgo = [now](int minutes) {
        return std::chrono::time_point_cast<std::chrono::seconds>(now) -
               std::chrono::minutes(minutes);
    };
    for (const auto& c : cases) {
        TempDir folder;
        for (const File& file : c.files) {
            if (file.width == 0) {
                folder.write(file.name, "not a picture");
            } else {
                cv::imwrite(folder.file(file.name),
                            cv::Mat(file.height, file.width, CV_8UC3, cv::Scalar(1, 2, 3)));
            }
            std::filesystem::last_write_time(
                folder.file(file.name),
                std::chrono::file_clock::from_sys(minutesAgo(file.minutesOld)));
        }
        std::vector<SeriesDescription> series;
        ASSERT_TRUE(DescribePictureSeries(folder.path().string(), series).ok()) << c.what;
        ASSERT_EQ(series.size(), c.series.size()) << c.what;
        for (std::size_t s = 0; s < series.size(); ++s) {
            EXPECT_EQ(series[s].prefix, c.series[s].prefix) << c.what;
            EXPECT_EQ(series[s].count, c.series[s].count) << c.what;
            EXPECT_EQ(series[s].width, c.series[s].width) << c.what;
            EXPECT_EQ(series[s].height, c.series[s].height) << c.what;
            EXPECT_EQ(series[s].newest, minutesAgo(c.series[s].newestMinutesOld)) << c.what;
        }
        EXPECT_EQ(NewestSeries(series), c.newest) << c.what;
    }
    std::vector<SeriesDescription> none;
    EXPECT_FALSE(DescribePictureSeries("/no/such/folder", none).ok());
}

// A complete series index speaks for the last run: its pictures, and only while every one
// of them is there; without one, the format of the picture written last.
TEST(PictureSeriesListing, TheLastRunsIndexOrTheNewestFormatChoosesThePictures) {
    const std::string listed = R"({"complete": true, "pictures": [{"file": "time0001.bmp"},
        {"file": "time0002.bmp"}, {"file": "time0003.bmp"}]})";
    const struct {
        const char* what;
        std::vector<const char*> files;  // the last is written last
        std::string index;
        int count;
        int lastRun;
        const char* leftAside;  // its start, or "" for none
    } cases[] = {
        {"a shorter last run",
         {"time0004.bmp", "time0005.bmp", "time0001.bmp", "time0002.bmp", "time0003.bmp"},
         listed,
         3,
         3,
         "2 pictures of the series \"time\" are left out (time0004.bmp to time0005.bmp): the "
         "series index time.json lists the 3 of the last run"},
        {"a run cut short",
         {"time0001.bmp", "time0002.bmp", "time0003.bmp", "time0004.bmp"},
         R"({"complete": false, "pictures": [{"file": "time0001.bmp"}]})",
         4,
         0,
         ""},
        {"a picture of the index gone",
         {"time0001.bmp", "time0003.bmp", "time0004.bmp"},
         listed,
         3,
         0,
         ""},
        {"an index of other names",
         {"time0001.bmp", "time0002.bmp"},
         R"({"complete": true, "pictures": [{"file": "space0001.bmp"}]})",
         2,
         0,
         ""},
        {"an index that is no JSON",
         {"time0001.bmp", "time0002.bmp"},
         "{\"complete\": tr",
         2,
         0,
         ""},
        {"both formats, PNG written last",
         {"time0001.bmp", "time0002.bmp", "time0001.png"},
         "",
         1,
         0,
         "2 pictures of the series \"time\" are left out (time0001.bmp to time0002.bmp): they "
         "are BMP pictures, and the picture written last is a PNG picture"},
    };
    for (const auto& c : cases) {
        TempDir folder;
        auto written = std::chrono::file_clock::now() - std::chrono::hours(1);
        for (const char* name : c.files) {
            folder.write(name, "");
            std::filesystem::last_write_time(folder.file(name), written += std::chrono::minutes(1));
        }
        if (!c.index.empty()) {
            folder.write("time.json", c.index);
        }
        PictureSeries series;
        ASSERT_TRUE(ListPictureSeries(folder.path().string(), series).ok()) << c.what;
        EXPECT_EQ(series.count, c.count) << c.what;
        EXPECT_EQ(series.leftAside.rfind(c.leftAside, 0), 0u) << c.what << ": " << series.leftAside;
        EXPECT_EQ(series.indexed.size(), static_cast<std::size_t>(c.lastRun)) << c.what;
        std::vector<SeriesDescription> described;
        ASSERT_TRUE(DescribePictureSeries(folder.path().string(), described).ok());
        EXPECT_EQ(described.at(0).lastRun, c.lastRun) << c.what;
        EXPECT_EQ(described.at(0).lastRunLast, c.lastRun) << c.what;
    }
}

TEST(PictureSeriesListing, FramePathsFollowThePictureNames) {
    EXPECT_EQ(FramePicturePath("/d/space", 1), "/d/space0001.bmp");
    EXPECT_EQ(FramePicturePath("/d/space", 999), "/d/space0999.bmp");
    EXPECT_EQ(FramePicturePath("/d/space", 1000), "/d/space1000.bmp");
    EXPECT_EQ(FramePicturePath("/d/space", 12345), "/d/space12345.bmp");
}

TEST(ConversionProgress, RunsFromOneToTheLastFrameAndScalesBeyondSixteenBits) {
    EXPECT_EQ(ProgressUpperBound(12), 12);
    EXPECT_EQ(ProgressUpperBound(65535), 65535);
    EXPECT_EQ(ProgressUpperBound(65536), 65535);
    EXPECT_EQ(ProgressPosition(7, 12), 7);
    EXPECT_EQ(ProgressPosition(65535, 65535), 65535);
    for (const int frames : {65536, 100000, 2000000000}) {
        EXPECT_EQ(ProgressPosition(1, frames), 1);
        EXPECT_EQ(ProgressPosition(frames, frames), 65535);
        int previous = 0;
        for (int frame = 1; frame <= frames; frame += frames / 1000) {
            const int position = ProgressPosition(frame, frames);
            EXPECT_GE(position, previous);
            EXPECT_LE(position, 65535);
            previous = position;
        }
        // The bar moves within the first percent of a long conversion.
        EXPECT_GT(ProgressPosition(frames / 100, frames), 1);
    }
}

}  // namespace
}  // namespace korvane
