#pragma once
// PNG pictures written with zlib alone: 8-bit RGB, every row with the "Up" filter (the
// pictures are large areas of one colour, which the filter turns into runs of zeros).
// Lossless: a reader gets back every pixel.

#include <opencv2/core.hpp>
#include <vector>

namespace korvane {

// The encoder's work buffers, kept for a whole series (fresh pages cost more than the
// encoding).
struct PngBuffers {
    std::vector<unsigned char> rows;        // the filtered rows
    std::vector<unsigned char> compressed;  // their zlib stream
};

// Encodes an 8-bit, 3-channel (blue, green, red) picture into `bytes`, whose memory is kept
// from call to call. Returns false for any other kind of picture or a failure of zlib.
bool EncodePng(const cv::Mat& picture, PngBuffers& buffers, std::vector<unsigned char>& bytes);

}  // namespace korvane
