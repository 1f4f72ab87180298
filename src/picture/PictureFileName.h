#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The file format of the pictures of a series.
enum class PictureFormat { Bmp, Png };

// ".bmp" or ".png".
const char* PictureExtension(PictureFormat format);

// "BMP" or "PNG", as setup files write it.
const char* PictureFormatName(PictureFormat format);

// The format `name` stands for in any case of letters ("png", "Png", "PNG"); none for
// another name.
std::optional<PictureFormat> PictureFormatNamed(std::string_view name);

// prefix, zeros to four digits, n, ".bmp": space0001.bmp, time1000.bmp, space10000.bmp.
std::string PictureFileName(const std::string& prefix, int n);

// The same numbered name with another extension (".png", ".tiff").
std::string NumberedFileName(const std::string& prefix, int n, const char* extension);

// True for the name of a picture or density file of the series `prefix`: the prefix, at
// least four digits, ".bmp", ".png" or ".tiff".
bool IsNumberedFileOf(std::string_view name, std::string_view prefix);

}  // namespace korvane
