#include "movie/VideoWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cmath>

namespace korvane {
namespace {

std::atomic<bool> g_quiet{false};

// Standard error points at /dev/null while the object lives (when asked to be quiet).
class MutedStandardError {
  public:
    MutedStandardError() {
        if (!g_quiet.load()) {
            return;
        }
        const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
        m_saved = sink < 0 ? -1 : fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_saved >= 0) {
            dup2(sink, STDERR_FILENO);
        }
        if (sink >= 0) {
            close(sink);
        }
    }
    ~MutedStandardError() {
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    MutedStandardError(const MutedStandardError&) = delete;
    MutedStandardError& operator=(const MutedStandardError&) = delete;

  private:
    int m_saved = -1;
};

}  // namespace

void KeepVideoLibraryQuiet(bool quiet) {
    g_quiet.store(quiet);
}

bool ParseFourcc(const std::string& text, int& fourcc) {
    if (text.size() != 4) {
        return false;
    }
    for (const char c : text) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    fourcc = cv::VideoWriter::fourcc(text[0], text[1], text[2], text[3]);
    return true;
}

bool OpenVideoWriter(cv::VideoWriter& writer, const std::string& path, int fourcc,
                     cv::Size frameSize, int& backend) {
    constexpr bool colour = true;
    const MutedStandardError muted;
    try {
        if (writer.open(path, cv::CAP_FFMPEG, fourcc, MovieFramesPerSecond, frameSize, colour)) {
            backend = cv::CAP_FFMPEG;
            return true;
        }
    } catch (const cv::Exception&) {
        // Fall through to the built-in writer.
    }
    // The built-in writer writes AVI files only.
    const bool avi = path.size() > 4 && path.compare(path.size() - 4, 4, ".avi") == 0;
    if (avi && fourcc == cv::VideoWriter::fourcc('M', 'J', 'P', 'G')) {
        try {
            if (writer.open(path, cv::CAP_OPENCV_MJPEG, fourcc, MovieFramesPerSecond, frameSize,
                            colour)) {
                backend = cv::CAP_OPENCV_MJPEG;
                return true;
            }
        } catch (const cv::Exception&) {
        }
    }
    writer.release();
    return false;
}

long long CountMovieFrames(const std::string& path, int backend) {
    try {
        const MutedStandardError muted;
        cv::VideoCapture capture(path, backend);
        if (!capture.isOpened()) {
            return -1;
        }
        const double frames = capture.get(cv::CAP_PROP_FRAME_COUNT);
        if (!std::isfinite(frames) || frames < 0) {
            return -1;
        }
        return static_cast<long long>(std::llround(frames));
    } catch (const cv::Exception&) {
        return -1;
    }
}

}  // namespace korvane
