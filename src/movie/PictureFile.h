#pragma once
// Reading one picture of a movie (BMP or PNG) as a person would want it refused: a file that
// is not a regular file, or whose header claims a size no picture of this program has, is
// named with a plain reason before the image library tries to allocate for it.

#include <opencv2/core.hpp>
#include <string>
#include <string_view>

#include "common/Status.h"

namespace korvane {

// Why the header of a BMP or PNG file in `bytes` cannot be a picture to decode: "its header
// claims 100000 x 100000 pixels" and the like; empty when the size it claims is plausible
// (or the format is another, left to the library).
std::string PictureHeaderProblem(std::string_view bytes);

// The width and height a BMP or PNG header in `bytes` (its first 26 bytes suffice) gives;
// false for another format or a header too short to say.
bool PictureHeaderSize(std::string_view bytes, int& width, int& height);

// The size of the picture at `path` from its header alone; false when it cannot be read or
// its header gives no size.
bool ReadPictureSize(const std::string& path, int& width, int& height);

// Reads the picture at `path` as stored (grey, colour or with alpha). Fails, naming the
// picture: when it is missing or cannot be opened, is not a regular file, has an
// implausible header, or does not decode.
Status ReadPictureFile(const std::string& path, cv::Mat& picture);

}  // namespace korvane
