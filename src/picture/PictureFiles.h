#pragma once
// The files beside a series' pictures: the picture in its format (BMP or PNG) and, on
// request, the densities the picture was coloured from, as a 32-bit float TIFF.

#include <array>
#include <opencv2/core.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "density/BoxFill.h"
#include "picture/BmpEncoder.h"
#include "picture/PictureFileName.h"
#include "picture/PngEncoder.h"

namespace korvane {

// The encoders' buffers, kept for a whole series (fresh pages cost more than the encoding).
struct EncodedPicture {
    std::vector<std::string_view> pieces;  // the file's bytes, piece after piece
    std::array<unsigned char, BmpHeaderSize> bmpHeader;
    std::vector<unsigned char> bytes;  // the PNG file
    PngBuffers png;                    // the PNG encoder's work
};

// Encodes an 8-bit, 3-channel picture as BMP (the program's own bytes) or PNG (lossless,
// the same pixels) into `encoded.pieces`. A BMP's pieces are the picture's own rows: they
// stay good while the picture stays unchanged. False when it cannot be encoded.
bool EncodePicture(PictureFormat format, const cv::Mat& picture, EncodedPicture& encoded);

// The densities of `field` as an image of `area` (single channel, 32-bit float), row 0 at
// the top like the picture: field row j (from the bottom) lands in row area.height - 1 - j.
// Pixels the field does not reach are 0, the density their black colour stands for. Counts
// are exact; Gaussian sums are narrowed to single precision. `image` is reused.
void CopyDensities(const DensityField& field, cv::Size area, cv::Mat& image);

// Encodes `densities` (32-bit float, one channel) as TIFF and writes it to `path` whole or
// not at all. Fails naming the file and the reason.
Status WriteDensityFile(const cv::Mat& densities, const std::string& path,
                        std::vector<unsigned char>& bytes);

}  // namespace korvane
