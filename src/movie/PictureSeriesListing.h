#pragma once
// Finding the numbered picture series of a folder: which prefix it has, how many pictures it
// holds, and the name of frame n.

#include <string>

#include "common/Status.h"

namespace korvane {

// What a folder holds for a movie.
struct PictureSeries {
    std::string firstPicture;  // full path of the first numbered picture in name order
    std::string basePath;      // folder joined with the series prefix ("<folder>/space")
    int count = 0;             // numbered pictures of that prefix; 0 when there is none
    std::string extension;     // ".bmp" or ".png", that of the first picture
};

// True when `fileName` is a prefix, at least four digits and ".bmp" or ".png" (the extension
// exactly, since frames are opened under that exact name).
bool IsNumberedPictureName(const std::string& fileName);

// Lists the regular files of `folder` in name order. The first numbered picture fixes the
// prefix (its name without the last four digits and the extension) and the extension;
// `count` is the number of numbered pictures with that same prefix and extension. Other
// pictures are left alone. Fails, with the reason, when the folder cannot be listed, and
// (InvalidInput) when it holds BMP and PNG pictures of that prefix both: one movie never
// mixes them.
Status ListPictureSeries(const std::string& folder, PictureSeries& series);

// The picture of frame n: the base path, n with leading zeros to four digits (none from
// 1000 on), the extension.
std::string FramePicturePath(const std::string& basePath, int n,
                             const std::string& extension = ".bmp");

}  // namespace korvane
