#pragma once
// The movie conversion as a front end runs it: the box the result asks for goes to the
// recording host, as the desktop shows it.

#include <string>

#include "movie/MovieConversion.h"
#include "support/RecordingHost.h"

namespace korvane::testing {

inline ConversionOutcome ConvertShowingMessages(const std::string& folder,
                                                const std::string& moviePath,
                                                const std::string& fourcc, RecordingHost& host) {
    const ConversionResult result = ConvertPicturesToMovie(folder, moviePath, fourcc, host);
    if (result.message) {
        host.MessageBoxA(result.message->text, result.message->caption, result.message->icon);
    }
    return result.outcome;
}

}  // namespace korvane::testing
