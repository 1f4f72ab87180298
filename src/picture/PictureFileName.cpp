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

bool IsNumberedFileOf(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    std::string_view rest = name.substr(prefix.size());
    bool known = false;
    for (const std::string_view extension : {".bmp", ".png", ".tiff"}) {
        if (rest.size() > extension.size() &&
            rest.substr(rest.size() - extension.size()) == extension) {
            rest.remove_suffix(extension.size());
            known = true;
            break;
        }
    }
    constexpr std::size_t MinimumDigits = 4;
    return known && rest.size() >= MinimumDigits &&
           rest.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace korvane
