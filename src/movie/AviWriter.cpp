#include "movie/AviWriter.h"

#include <cmath>

namespace korvane {

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

bool OpenAviWriter(cv::VideoWriter& writer, const std::string& path, int fourcc, cv::Size frameSize,
                   int& backend) {
    constexpr bool colour = true;
    try {
        if (writer.open(path, cv::CAP_FFMPEG, fourcc, MovieFramesPerSecond, frameSize, colour)) {
            backend = cv::CAP_FFMPEG;
            return true;
        }
    } catch (const cv::Exception&) {
        // Fall through to the built-in writer.
    }
    if (fourcc == cv::VideoWriter::fourcc('M', 'J', 'P', 'G')) {
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
