#pragma once
// The numbered pictures of one series in a folder, in number order: what the viewer browses,
// and what an earlier, longer run left behind a shorter one. The pictures belong together by
// the same rule as the movie's frames (PictureSeriesListing).

#include <string>
#include <vector>

#include "common/Status.h"

namespace korvane {

struct NumberedPicture {
    int number = 0;    // the digits of its name
    std::string path;  // full path
};

struct PictureFolder {
    std::string folder;
    std::string prefix;                     // "space" for space0001.bmp, ...
    std::vector<NumberedPicture> pictures;  // ascending number; gaps stay gaps
};

// Splits a numbered picture's path into its folder and its prefix (the name without the
// last four digits and the extension, as the movie takes it). False for any other name.
bool SplitNumberedPicture(const std::string& path, std::string& folder, std::string& prefix);

// The numbered pictures of `folder` named `prefix`, at least four digits and a picture
// extension, ascending by number (then by name). Other files are left out. Fails, with the
// reason, when the folder cannot be listed.
Status ListSeriesPictures(const std::string& folder, const std::string& prefix,
                          std::vector<NumberedPicture>& pictures);

// The series the movie of `folder` would show: the prefix of its first numbered picture in
// name order, and every picture of that prefix. No pictures when the folder holds none.
Status OpenPictureFolder(const std::string& folder, PictureFolder& series);

// The pictures of `prefix` in `folder` numbered beyond `written`: left by an earlier run
// with more pictures. Empty when there are none or the folder cannot be listed.
std::vector<NumberedPicture> PicturesBeyond(const std::string& folder, const std::string& prefix,
                                            int written);

// What to say about `stale` pictures of the series `prefix` in `folder` (not empty): how
// many, which, and whether a movie of the folder would include them.
std::string StalePicturesText(const std::vector<NumberedPicture>& stale, const std::string& folder,
                              const std::string& prefix);

}  // namespace korvane
