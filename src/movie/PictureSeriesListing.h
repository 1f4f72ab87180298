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
    std::string firstPicture;        // full path of the series' first frame
    std::string basePath;            // folder joined with the series prefix ("<folder>/space")
    int count = 0;                   // the frames; 0 when the folder holds no series
    std::string extension;           // ".bmp" or ".png", that of the frames
    std::vector<std::string> names;  // the file names of its frames, in name order: regular
                                     // files the listing found, and no others
    // The frames in movie order when the series index of the last run says it is complete
    // (its pictures, as it lists them); empty: frames 1 to count by number.
    std::vector<std::string> indexed;
    // Pictures of the series' prefix that the movie leaves out, and why (another run's,
    // another format's); empty when there are none.
    std::string leftAside;
    std::vector<SeriesCount> others;  // the folder's other series, left out
};

// One numbered series of a folder, as the user chooses among several.
struct SeriesDescription {
    std::string prefix;  // "space" for space0001.bmp, ...
    int count = 0;       // its numbered pictures
    int width = 0;       // the size of its first picture in name order, from the picture's
    int height = 0;      // header; 0 x 0 when that picture cannot be read
    std::chrono::system_clock::time_point newest;  // when its newest picture was last written
    // The pictures the series index of the last run lists, when it says that run is complete
    // (the movie takes these); 0 when there is no such index.
    int lastRun = 0;
    int lastRunFirst = 0;  // the lowest and highest number among them
    int lastRunLast = 0;
};

// True when `fileName` is a prefix, at least four digits and ".bmp" or ".png" (the extension
// exactly, since frames are opened under that exact name).
bool IsNumberedPictureName(const std::string& fileName);

// Lists the regular files of `folder` in name order and groups the numbered pictures into
// series: the first picture not yet in a series fixes a prefix (its name without the last
// four digits and the extension), and every numbered picture of that prefix joins it. The
// series named `wantedPrefix` is taken, or without one the series with the most pictures
// (the first in name order of those with as many). Where the series index beside them
// (`prefix`.json) says the last run of the series is complete and every picture it lists is
// there, the frames are exactly those; otherwise every picture of the prefix, of the format
// (BMP or PNG) of its newest picture, since one movie never mixes them. Pictures of the
// prefix left out are named in `leftAside`. Fails, with the reason, when the folder cannot
// be listed, and (InvalidInput) when it holds no series `wantedPrefix`.
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
