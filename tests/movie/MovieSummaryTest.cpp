#include <gtest/gtest.h>

#include "movie/MovieSummary.h"

namespace korvane {
namespace {

TEST(MovieSummary, SizesInDecimalUnitsAndTheWrittenText) {
    const struct {
        std::uintmax_t bytes;
        const char* text;
    } sizes[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1.0 kB"},
        {3249, "3.2 kB"},
        {999949, "999.9 kB"},
        {999950, "1.0 MB"},
        {3200000, "3.2 MB"},
        {1500000000, "1.5 GB"},
        {7000000000000, "7.0 TB"},
        {7000000000000000, "7000.0 TB"},
    };
    for (const auto& size : sizes) {
        EXPECT_EQ(FileSizeText(size.bytes), size.text) << size.bytes;
    }
    EXPECT_EQ(MovieWrittenText("/x/movie.avi", 40, 3200000),
              "Movie written: /x/movie.avi, 40 frames, 3.2 MB");
    EXPECT_EQ(MovieWrittenText("/x/one.mp4", 1, 512),
              "Movie written: /x/one.mp4, 1 frame, 512 bytes");
}

}  // namespace
}  // namespace korvane
