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
};

// True when `fileName` is a prefix, at least four digits and ".bmp" (the extension exactly,
// since frames are opened under that exact name).
bool IsNumberedPictureName(const std::string& fileName);

// Lists the regular files of `folder` in name order. The first numbered picture fixes the
// prefix (its name without the last four digits and ".bmp"); `count` is the number of
// numbered pictures with that same prefix. Other ".bmp" files are left alone. Fails, with
// the reason, when the folder cannot be listed.
Status ListPictureSeries(const std::string& folder, PictureSeries& series);

// The picture of frame n: the base path, n with leading zeros to four digits (none from
// 1000 on), ".bmp".
std::string FramePicturePath(const std::string& basePath, int n);

}  // namespace korvane
