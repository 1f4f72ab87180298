#pragma once
// The BMP files of the program: 24-bit, bottom-up rows padded to four bytes, the file and
// info headers the picture library has always written (no resolution, no palette).

#include <opencv2/core.hpp>
#include <vector>

namespace korvane {

// Encodes an 8-bit, 3-channel picture into `bytes`, whose memory is kept from call to call.
// Returns false for any other kind of picture.
bool EncodeBmp(const cv::Mat& picture, std::vector<unsigned char>& bytes);

}  // namespace korvane
