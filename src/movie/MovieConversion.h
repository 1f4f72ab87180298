#pragma once
// A folder of numbered pictures (space0001.bmp or .png, ...) into one movie at 10 frames/s,
// in the container the movie file's extension names (AVI, MP4, MKV, WebM; AVI otherwise).

#include <optional>
#include <string>
#include <vector>

#include "common/RunObserver.h"
#include "common/UserMessage.h"

namespace korvane {

enum class ConversionOutcome {
    Written,      // the movie is complete
    EmptyFolder,  // no numbered picture, or the folder cannot be listed: "Folder does not
                  // contain pictures!"
    Failed,       // a box names the file or reason; no movie file is left
    Cancelled     // the observer asked to stop after a frame; no movie file is left, no box
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::Failed;
    std::optional<UserMessage> message;  // the box the front end shows; none when written
                                         // or cancelled
    std::string reason;  // why a folder could not be listed (the box does not say); or empty
    int frames = 0;      // the frames of a written movie
    std::string note;    // which series the movie shows when the folder held others too, or
                         // when it is a single picture; empty otherwise
};

// Converts the numbered pictures of one series of `folder` into `moviePath`, reporting
// its frames to `observer` and stopping when it asks to: the series `seriesPrefix`, or
// without one the series with the most pictures. Refuses a movie file that does not end in
// a movie's extension or stands for something else than a file (CheckMovieTarget). Shows
// nothing: the result says what to show.
ConversionResult ConvertPicturesToMovie(const std::string& folder, const std::string& moviePath,
                                        const std::string& fourcc, RunObserver& observer,
                                        const std::string& seriesPrefix = "");

}  // namespace korvane
