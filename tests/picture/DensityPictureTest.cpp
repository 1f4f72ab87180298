#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "common/Paths.h"
#include "picture/DensityPicture.h"
#include "reference/ReferenceRules.h"
#include "support/DensityPictures.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::FolderNames;
using testing::TempDir;
using testing::WriteDensityPicture;

const cv::Vec3b White(255, 255, 255);
const cv::Vec3b Black(0, 0, 0);

// A raster whose pixels are all different from white and black, so its placement shows.
cv::Mat PatternRaster(int width, int height) {
    cv::Mat raster(height, width, CV_8UC3);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            raster.at<cv::Vec3b>(r, c) =
                cv::Vec3b(static_cast<uchar>(1 + c % 200), static_cast<uchar>(1 + r % 200), 77);
        }
    }
    return raster;
}

// The colour of a density on the bar, from the tests' own transcription of the scale.
cv::Vec3b BarColour(double density, double maximum) {
    return reference::Pixel(density, reference::ToSingle(maximum));
}

// The labels of a picture over 0..1 across and up.
PictureLabels Labels(double captionValue, int direction, PictureKind kind, double densityMaximum) {
    return {{{0.0, 1.0}, {0.0, 1.0}},
            captionValue,
            static_cast<ViewDirection>(direction),
            kind,
            densityMaximum};
}

// Where a series puts the picture `name` of the event file `eventFile`: beside it.
std::string Beside(const std::string& eventFile, const std::string& name) {
    return JoinPath(FolderOf(eventFile), name);
}

struct Rendered {
    Status status = Status::Ok();
    cv::Mat canvas;
    cv::Mat onDisk;
};

Rendered Render(const TempDir& dir, const cv::Mat& raster, PictureKind kind,
                double densityMaximum = 6.0, int direction = 2) {
    Rendered out;
    out.status = WriteDensityPicture(raster, Labels(12.5, direction, kind, densityMaximum),
                                     Beside(dir.file("events.dat"), "space0001.bmp"), out.canvas);
    out.onDisk = testing::ReadPicture(dir.file("space0001.bmp"));
    return out;
}

TEST(WriteDensityPicture, SavesTheCanvasExactlyBesideTheEventFile) {
    TempDir dir;
    const cv::Mat raster = PatternRaster(37, 23);
    const Rendered r = Render(dir, raster, PictureKind::TimeResolved);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    ASSERT_EQ(r.canvas.cols, 37 + 300);
    ASSERT_EQ(r.canvas.rows, 23 + 200);
    ASSERT_EQ(r.onDisk.type(), CV_8UC3);
    ASSERT_EQ(r.onDisk.size(), r.canvas.size());
    EXPECT_EQ(cv::norm(r.onDisk, r.canvas, cv::NORM_INF), 0.0);
    // The raster sits at column 150, row 100; the left ticks run from column 140 up to and
    // including 150, so they cover the raster's first column on their rows (every 2 rows).
    EXPECT_EQ(cv::norm(r.canvas(cv::Rect(151, 100, 36, 23)), raster.colRange(1, 37), cv::NORM_INF),
              0.0);
    for (int row = 0; row < 23; ++row) {
        const cv::Vec3b expected = row % 2 == 0 ? Black : raster.at<cv::Vec3b>(row, 0);
        EXPECT_EQ(r.canvas.at<cv::Vec3b>(100 + row, 150), expected) << row;
    }
    // Only the picture is left in the folder (no temporary file).
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"space0001.bmp"});
}

TEST(WriteDensityPicture, TicksOfAn802PixelRasterEvery80Pixels) {
    TempDir dir;
    const int W = 802, H = 802;
    const Rendered r =
        Render(dir, cv::Mat(H, W, CV_8UC3, cv::Scalar(40, 40, 40)), PictureKind::Spatial);
    ASSERT_TRUE(r.status.ok()) << r.status.message();

    std::set<int> tickColumns, tickRows;
    for (int i = 0; i <= 10; ++i) {
        tickColumns.insert(150 + 80 * i);
        tickRows.insert(100 + 80 * i);
    }
    // The tick marks hang 10 pixels below the raster; row H + 105 crosses them and nothing
    // else (the labels sit lower).
    for (int x = 100; x < W + 180; ++x) {
        const cv::Vec3b expected = tickColumns.count(x) ? Black : White;
        ASSERT_EQ(r.canvas.at<cv::Vec3b>(H + 105, x), expected) << "column " << x;
    }
    // The ticks on the left edge, column 145; their labels end before it.
    for (int y = 95; y < H + 110; ++y) {
        const cv::Vec3b expected = tickRows.count(y) ? Black : White;
        ASSERT_EQ(r.canvas.at<cv::Vec3b>(y, 145), expected) << "row " << y;
    }
    // The raster's last column, canvas column 951, lies right of the last tick at 950.
    EXPECT_EQ(r.canvas.at<cv::Vec3b>(H + 100, 951), White);
}

// The bar is whole and its labels clear of it, also labels far longer than the margin
// right of it (which take fewer decimals, or powers of ten).
TEST(WriteDensityPicture, ColourBarRunsFromBlackToTheMaximum) {
    const struct {
        int W, H;
        double maximum;
    } rows[] = {{60, 47, 3.7}, {500, 500, 19753086.24}, {60, 47, 1975308624000.0}};
    for (const auto& row : rows) {
        TempDir dir;
        const int W = row.W, H = row.H;
        const double maximum = row.maximum;
        const Rendered r = Render(dir, PatternRaster(W, H), PictureKind::TimeResolved, maximum);
        ASSERT_TRUE(r.status.ok()) << r.status.message();
        int ink = 0;
        for (int y = 100; y <= H + 100; ++y) {
            const cv::Vec3b colour = BarColour(static_cast<double>(y - 100) / H * maximum, maximum);
            for (int x = W + 190; x <= W + 200; ++x) {
                ASSERT_EQ(r.canvas.at<cv::Vec3b>(y, x), colour) << "row " << y << " column " << x;
            }
            ASSERT_EQ(r.canvas.at<cv::Vec3b>(y, W + 189), White) << "row " << y;
            ASSERT_EQ(r.canvas.at<cv::Vec3b>(y, W + 201), White) << maximum << " row " << y;
            for (int x = W + 202; x < r.canvas.cols; ++x) {
                ink += r.canvas.at<cv::Vec3b>(y, x) != White;
            }
        }
        EXPECT_GT(ink, 0) << maximum;
        EXPECT_EQ(r.canvas.at<cv::Vec3b>(100, W + 195), Black);
        EXPECT_EQ(r.canvas.at<cv::Vec3b>(99, W + 195), White);
        EXPECT_EQ(r.canvas.at<cv::Vec3b>(H + 101, W + 195), White);
    }
}

// Six labels in fifths of the maximum, each on its row (baseline) and in that row's colour.
TEST(WriteDensityPicture, ColourBarLabelsSitOnTheirRowsInTheirColours) {
    TempDir dir;
    const int W = 50, H = 100;
    const double maximum = 5.0;
    const Rendered r = Render(dir, PatternRaster(W, H), PictureKind::Perspective, maximum, 3);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    for (int y = 80; y < H + 120; ++y) {
        int label = -1;
        for (int j = 0; j <= 5; ++j) {
            const int baseline = 100 + j * H / 5;
            if (y >= baseline - 10 && y <= baseline) {
                label = j;  // the digits stand 10 pixels above their baseline
            }
        }
        const cv::Vec3b colour =
            label < 0 ? White
                      : BarColour(static_cast<double>(label * H / 5) / H * maximum, maximum);
        int ink = 0;
        for (int x = W + 205; x < W + 300; ++x) {
            const cv::Vec3b pixel = r.canvas.at<cv::Vec3b>(y, x);
            if (pixel != White) {
                ++ink;
                ASSERT_EQ(pixel, colour) << "row " << y << " column " << x;
            }
        }
        EXPECT_EQ(ink > 0, label >= 0) << "row " << y;
    }
    // The bottom label is the maximum in red: the single-precision third puts 5 just above
    // three thirds.
    int red = 0;
    for (int y = H + 90; y <= H + 100; ++y) {
        for (int x = W + 205; x < W + 300; ++x) {
            red += r.canvas.at<cv::Vec3b>(y, x) == cv::Vec3b(0, 0, 255);
        }
    }
    EXPECT_GT(red, 0);
}

// Golden test: a perspective picture holds only the raster and the colour bar with its
// labels; everything else is white. The expected canvas is built here pixel by pixel.
TEST(WriteDensityPicture, PerspectiveKindHasOnlyRasterAndBar) {
    TempDir dir;
    const int W = 12, H = 9;
    const double maximum = 2.0;
    const cv::Mat raster = PatternRaster(W, H);
    const Rendered r = Render(dir, raster, PictureKind::Perspective, maximum, 3);
    ASSERT_TRUE(r.status.ok()) << r.status.message();

    cv::Mat expected(H + 200, W + 300, CV_8UC3);
    for (int y = 0; y < expected.rows; ++y) {
        for (int x = 0; x < expected.cols; ++x) {
            cv::Vec3b pixel = White;
            if (x >= 150 && x < 150 + W && y >= 100 && y < 100 + H) {
                pixel = raster.at<cv::Vec3b>(y - 100, x - 150);
            } else if (x >= W + 190 && x <= W + 200 && y >= 100 && y <= H + 100) {
                pixel = BarColour((y - 100) / static_cast<double>(H) * maximum, maximum);
            }
            expected.at<cv::Vec3b>(y, x) = pixel;
        }
    }
    // Left of the bar labels the pictures agree byte for byte.
    const cv::Rect checked(0, 0, W + 205, H + 200);
    EXPECT_EQ(cv::norm(r.onDisk(checked), expected(checked), cv::NORM_INF), 0.0);
    // The labels themselves are there, right of the bar.
    const cv::Mat labels = r.onDisk(cv::Rect(W + 205, 0, 95, H + 200));
    EXPECT_GT(cv::norm(labels, cv::Mat(labels.size(), CV_8UC3, cv::Scalar::all(255)), cv::NORM_L1),
              0.0);
}

TEST(WriteDensityPicture, TinyRastersFinish) {
    const cv::Size sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {10, 3}};
    for (const cv::Size size : sizes) {
        TempDir dir;
        const Rendered r =
            Render(dir, PatternRaster(size.width, size.height), PictureKind::Spatial, 1.0, 0);
        ASSERT_TRUE(r.status.ok()) << r.status.message();
        EXPECT_EQ(r.onDisk.cols, size.width + 300);
        EXPECT_EQ(r.onDisk.rows, size.height + 200);
        // With a one-pixel step every column of the raster and the one after get a tick.
        for (int x = 150; x <= size.width + 150; ++x) {
            EXPECT_EQ(r.canvas.at<cv::Vec3b>(size.height + 105, x), Black) << x;
        }
    }
}

TEST(WriteDensityPicture, ReusesTheCallersCanvas) {
    TempDir dir;
    const cv::Mat raster = PatternRaster(20, 20);
    cv::Mat canvas;
    ASSERT_TRUE(WriteDensityPicture(raster, Labels(0, 0, PictureKind::Spatial, 1.0),
                                    Beside(dir.file("e.dat"), "a.bmp"), canvas)
                    .ok());
    const uchar* buffer = canvas.data;
    ASSERT_TRUE(WriteDensityPicture(raster, Labels(0, 0, PictureKind::Spatial, 1.0),
                                    Beside(dir.file("e.dat"), "b.bmp"), canvas)
                    .ok());
    EXPECT_EQ(canvas.data, buffer);
}

TEST(WriteDensityPicture, MissingFolderIsAnErrorNamingTheFile) {
    TempDir dir;
    cv::Mat canvas;
    const std::string eventFile = dir.file("gone/events.dat");
    const Status status =
        WriteDensityPicture(PatternRaster(5, 5), Labels(0, 1, PictureKind::TimeResolved, 1.0),
                            Beside(eventFile, "time0003.bmp"), canvas);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("Cannot write the picture " + dir.file("gone/time0003.bmp")),
              std::string::npos)
        << status.message();
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}

TEST(WriteDensityPicture, FailedRenameLeavesNoTemporaryFile) {
    TempDir dir;
    // A folder in the picture's place cannot be replaced by a file.
    std::filesystem::create_directory(dir.path() / "space0001.bmp");
    const Rendered r = Render(dir, PatternRaster(5, 5), PictureKind::Spatial);
    ASSERT_FALSE(r.status.ok());
    EXPECT_NE(r.status.message().find("space0001.bmp"), std::string::npos);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"space0001.bmp"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "space0001.bmp"));
}

TEST(WriteDensityPicture, ReadOnlyFolderIsAnError) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the superuser may write into read-only folders";
    }
    TempDir dir;
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const Rendered r = Render(dir, PatternRaster(5, 5), PictureKind::Spatial);
    EXPECT_FALSE(r.status.ok());
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}

TEST(WriteDensityPicture, ReplacesAnEarlierPicture) {
    TempDir dir;
    dir.write("space0001.bmp", "old");
    const Rendered r = Render(dir, PatternRaster(8, 8), PictureKind::Spatial);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    EXPECT_EQ(cv::norm(r.onDisk, r.canvas, cv::NORM_INF), 0.0);
}

TEST(WriteDensityPicture, EventFileWithoutFolderWritesIntoTheCurrentFolder) {
    TempDir dir;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    cv::Mat canvas;
    const Status status =
        WriteDensityPicture(PatternRaster(4, 4), Labels(0, 2, PictureKind::TimeResolved, 1.0),
                            Beside("events.dat", "time0001.bmp"), canvas);
    std::filesystem::current_path(before);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "time0001.bmp"));
}

}  // namespace
}  // namespace korvane
