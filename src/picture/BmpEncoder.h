#pragma once
// The BMP files of the program: 24-bit, bottom-up rows padded to four bytes, the file and
// info headers the picture library has always written (no resolution, no palette).

#include <array>
#include <opencv2/core.hpp>
#include <string_view>
#include <vector>

namespace korvane {

constexpr std::size_t BmpHeaderSize = 54;  // the file header and the info header

// The BMP of an 8-bit, 3-channel picture as pieces to write one after the other, none of its
// rows copied: `header`, then every row from the bottom up, each followed by its padding.
// The pieces point into `picture` and `header` and stay good while both stay unchanged.
// Returns false for any other kind of picture.
bool BmpPieces(const cv::Mat& picture, std::array<unsigned char, BmpHeaderSize>& header,
               std::vector<std::string_view>& pieces);

}  // namespace korvane
