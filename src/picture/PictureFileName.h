#pragma once

#include <string>

namespace korvane {

// prefix, zeros to four digits, n, ".bmp": space0001.bmp, time1000.bmp, space10000.bmp.
std::string PictureFileName(const std::string& prefix, int n);

}  // namespace korvane
