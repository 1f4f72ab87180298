#include <gtest/gtest.h>

#include <filesystem>
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
