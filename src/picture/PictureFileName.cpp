#include "picture/PictureFileName.h"

namespace korvane {

const char* PictureExtension(PictureFormat format) {
    return format == PictureFormat::Png ? ".png" : ".bmp";
}

std::string PictureFileName(const std::string& prefix, int n) {
    return NumberedFileName(prefix, n, ".bmp");
}

std::string NumberedFileName(const std::string& prefix, int n, const char* extension) {
    // Four digits at least, so that a folder listing sorts the pictures in number order up
    // to 9999; larger numbers simply get longer.
    std::string zeros;
    if (n < 10) {
        zeros = "000";
    } else if (n < 100) {
        zeros = "00";
    } else if (n < 1000) {
        zeros = "0";
    }
    return prefix + zeros + std::to_string(n) + extension;
}

}  // namespace korvane
