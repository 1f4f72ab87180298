#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <opencv2/imgcodecs.hpp>
#include <random>
#include <string_view>
#include <vector>

#include "picture/BmpEncoder.h"
#include "picture/PngEncoder.h"
#include "picture/TiffEncoder.h"

namespace korvane {
namespace {

// Noise on flat areas, as density pictures are: runs of one colour and single pixels.
cv::Mat PictureOf(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    cv::Mat picture(height, width, CV_8UC3, cv::Scalar(255, 255, 255));
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            if (random() % 3 == 0) {
                picture.at<cv::Vec3b>(r, c) =
                    cv::Vec3b(random() % 256, random() % 256, random() % 256);
            }
        }
    }
    return picture;
}

bool SamePixels(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

std::vector<unsigned char> Joined(const std::vector<std::string_view>& pieces) {
    std::vector<unsigned char> bytes;
    for (const std::string_view piece : pieces) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return bytes;
}

// Every width from 1 to 9 meets every row padding the format has; the rows are taken from
// a whole picture and from a part of a wider one (rows not adjacent in memory).
TEST(BmpPieces, GiveTheBytesOfThePictureLibrary) {
    std::array<unsigned char, BmpHeaderSize> header;
    std::vector<std::string_view> pieces;
    for (int width = 1; width <= 9; ++width) {
        for (int height : {1, 2, 17}) {
            const cv::Mat wide =
                PictureOf(width + 5, height, static_cast<unsigned>(width * 31 + height));
            for (const cv::Mat& picture : {wide(cv::Rect(2, 0, width, height)).clone(),
                                           wide(cv::Rect(2, 0, width, height))}) {
                std::vector<unsigned char> theirs;
                ASSERT_TRUE(cv::imencode(".bmp", picture, theirs));
                ASSERT_TRUE(BmpPieces(picture, header, pieces));
                EXPECT_EQ(Joined(pieces), theirs) << width << " x " << height;
            }
        }
    }
    EXPECT_FALSE(BmpPieces(cv::Mat(4, 4, CV_8UC1), header, pieces));
    EXPECT_FALSE(BmpPieces(cv::Mat(), header, pieces));
}

TEST(EncodePng, DecodesToTheSamePixels) {
    PngBuffers buffers;
    std::vector<unsigned char> bytes;
    for (cv::Size size : {cv::Size(1, 1), cv::Size(7, 3), cv::Size(301, 257)}) {
        const cv::Mat picture = PictureOf(size.width, size.height, 5);
        ASSERT_TRUE(EncodePng(picture, buffers, bytes));
        const cv::Mat decoded = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
        EXPECT_TRUE(SamePixels(decoded, picture)) << size;
    }
    // A flat picture shrinks to a small fraction of its pixels.
    ASSERT_TRUE(EncodePng(cv::Mat(800, 800, CV_8UC3, cv::Scalar(0, 0, 0)), buffers, bytes));
    EXPECT_LT(bytes.size(), 800u * 800u * 3u / 50u);
    EXPECT_FALSE(EncodePng(cv::Mat(3, 3, CV_8UC4), buffers, bytes));
}

TEST(EncodeFloatTiff, DecodesToTheSameValues) {
    cv::Mat densities(23, 37, CV_32FC1);
    std::mt19937 random(9);
    for (int r = 0; r < densities.rows; ++r) {
        for (int c = 0; c < densities.cols; ++c) {
            densities.at<float>(r, c) = static_cast<float>(random() % 100000) / 7.0f;
        }
    }
    densities.at<float>(0, 0) = std::numeric_limits<float>::max();
    densities.at<float>(22, 36) = std::numeric_limits<float>::infinity();
    densities.at<float>(5, 5) = std::numeric_limits<float>::denorm_min();
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(EncodeFloatTiff(densities, bytes));
    const cv::Mat decoded = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    ASSERT_EQ(decoded.type(), CV_32FC1);
    ASSERT_EQ(decoded.size(), densities.size());
    EXPECT_EQ(std::memcmp(decoded.data, densities.data, densities.total() * 4), 0);
    EXPECT_FALSE(EncodeFloatTiff(cv::Mat(2, 2, CV_64FC1), bytes));
}

}  // namespace
}  // namespace korvane
