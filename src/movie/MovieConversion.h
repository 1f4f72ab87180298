#pragma once
// A folder of numbered pictures (space0001.bmp or .png, ...) into one movie at 10 frames/s,
// in the container the movie file's extension names (AVI, MP4, MKV, WebM; AVI otherwise).

#include <optional>
#include <string>
#include <vector>

#include "common/Host.h"
#include "common/UserMessage.h"

namespace korvane {

// FOURCC codes this OpenCV build can really write into an AVI file, MJPG first.
std::vector<std::string> AvailableAviCodecs();

// A codec in words, for choosing one: "MJPG: Motion JPEG, plays almost everywhere". An
// unknown code is given as it is.
std::string AviCodecDescription(const std::string& fourcc);

enum class ConversionOutcome {
    Written,      // the movie is complete
    EmptyFolder,  // no numbered picture, or the folder cannot be listed: "Folder does not
                  // contain pictures!"
    Failed,       // a box names the file or reason; no movie file is left
    Cancelled     // the host asked to stop after a frame; no movie file is left, no box
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::Failed;
    std::optional<UserMessage> message;  // the box the front end shows; none when written
                                         // or cancelled
    std::string reason;  // why a folder could not be listed (the box does not say); or empty
};

// Converts the numbered pictures of `folder` into `moviePath`, reporting progress to `host`
// and stopping when it asks to cancel. Shows nothing: the result says what to show.
ConversionResult ConvertPicturesToMovie(const std::string& folder, const std::string& moviePath,
                                        const std::string& fourcc, Host& host);

}  // namespace korvane
