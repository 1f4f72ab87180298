#include "LibraryLogs.h"

#include <cstdlib>
#include <opencv2/core/utils/logger.hpp>
#include <string>

namespace korvane::batch {

namespace {

constexpr const char* FfmpegQuiet = "-8";  // FFmpeg's AV_LOG_QUIET

}  // namespace

void SilenceLibraryLogs() {
    // Read when the libraries start: before any picture or movie is touched.
    setenv("OPENCV_LOG_LEVEL", "SILENT", 0);
    setenv("OPENCV_FFMPEG_LOGLEVEL", FfmpegQuiet, 0);
    const char* chosen = getenv("OPENCV_LOG_LEVEL");
    if (chosen != nullptr && std::string(chosen) == "SILENT") {
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    }
}

bool VideoLibrarySilenced() {
    const char* level = getenv("OPENCV_FFMPEG_LOGLEVEL");
    return level != nullptr && std::string(level) == FfmpegQuiet;
}

}  // namespace korvane::batch
