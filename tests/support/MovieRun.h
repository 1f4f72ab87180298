#pragma once
// The movie conversion as a front end runs it: the box the result asks for goes to the
// recording observer, as the desktop shows it.

#include <string>

#include "movie/MovieConversion.h"
#include "support/RecordingObserver.h"

namespace korvane::testing {

inline ConversionOutcome ConvertShowingMessages(const std::string& folder,
                                                const std::string& moviePath,
                                                const std::string& fourcc,
                                                RecordingObserver& recorder) {
    const ConversionResult result = ConvertPicturesToMovie(folder, moviePath, fourcc, recorder);
    if (result.message) {
        recorder.Message(*result.message);
    }
    return result.outcome;
}

}  // namespace korvane::testing
