#pragma once
// Finding the numbered picture series of a folder: which prefix it has, how many pictures it
// holds, and the name of frame n.

#include <chrono>
#include <string>
#include <vector>

#include "common/Status.h"

namespace korvane {

// A series of a folder by its prefix, and how many pictures it has.
struct SeriesCount {
    std::string prefix;
    int count = 0;
};

// What a folder holds for a movie.
struct PictureSeries {
    std::string firstPicture;         // full path of the series' first picture in name order
    std::string basePath;             // folder joined with the series prefix ("<folder>/space")
    int count = 0;                    // numbered pictures of that prefix; 0 when there is none
    std::string extension;            // ".bmp" or ".png", that of the first picture
    std::vector<std::string> names;   // the file names of its pictures, in name order: the
                                      // regular files the listing found, and no others
    std::vector<SeriesCount> others;  // the folder's other series, left out
};

// One numbered series of a folder, as the user chooses among several.
struct SeriesDescription {
    std::string prefix;  // "space" for space0001.bmp, ...
    int count = 0;       // its numbered pictures
    int width = 0;       // the size of its first picture in name order, from the picture's
    int height = 0;      // header; 0 x 0 when that picture cannot be read
    std::chrono::system_clock::time_point newest;  // when its newest picture was last written
};

// True when `fileName` is a prefix, at least four digits and ".bmp" or ".png" (the extension
// exactly, since frames are opened under that exact name).
bool IsNumberedPictureName(const std::string& fileName);

// Lists the regular files of `folder` in name order and groups the numbered pictures into
// series: the first picture not yet in a series fixes a prefix (its name without the last
// four digits and the extension), and every numbered picture of that prefix joins it. The
// series named `wantedPrefix` is taken, or without one the series with the most pictures
// (the first in name order of those with as many); its first picture fixes the extension,
// and `count` is the number of its pictures with that extension. Fails, with the reason,
// when the folder cannot be listed, (InvalidInput) when it holds no series `wantedPrefix`,
// and when it holds BMP and PNG pictures of the series taken: one movie never mixes them.
Status ListPictureSeries(const std::string& folder, PictureSeries& series,
                         const std::string& wantedPrefix = "");

// Every numbered series `folder` holds, grouped as ListPictureSeries groups them, in the name
// order of their first pictures. Fails, with the reason, when the folder cannot be listed.
Status DescribePictureSeries(const std::string& folder, std::vector<SeriesDescription>& series);

// The index of the series written last: the one with the newest picture (of those as new, the
// one with more pictures, then the first). -1 when there is none.
int NewestSeries(const std::vector<SeriesDescription>& series);

// The picture of frame n: the base path, n with leading zeros to four digits (none from
// 1000 on), the extension.
std::string FramePicturePath(const std::string& basePath, int n,
                             const std::string& extension = ".bmp");

}  // namespace korvane
