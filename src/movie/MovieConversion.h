#pragma once
// A folder of numbered pictures (space0001.bmp, ...) into one AVI movie at 10 frames/s.

#include <string>
#include <vector>

#include "common/Host.h"

namespace korvane {

// FOURCC codes this OpenCV build can really write into an AVI file, MJPG first.
std::vector<std::string> AvailableAviCodecs();

enum class ConversionOutcome {
    Written,      // the movie is complete
    EmptyFolder,  // no numbered picture; "Folder does not contain pictures!" was shown
    Failed,       // an error box naming the file or reason was shown; no movie file is left
    Cancelled     // the host asked to stop after a frame; no movie file is left, no box
};

ConversionOutcome ConvertPicturesToMovie(const std::string& folder, const std::string& moviePath,
                                         const std::string& fourcc, Host& host);

}  // namespace korvane
