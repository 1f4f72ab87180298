#pragma once
// Density data as TIFF: one channel of 32-bit floating point numbers, uncompressed, little
// endian, row 0 at the top; the reading programs of image analysis take it as it is.

#include <opencv2/core.hpp>
#include <vector>

namespace korvane {

// Encodes a single-channel 32-bit float image into `bytes` (memory kept from call to
// call). Returns false for any other kind of image.
bool EncodeFloatTiff(const cv::Mat& image, std::vector<unsigned char>& bytes);

}  // namespace korvane
