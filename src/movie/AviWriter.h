#pragma once
// Opening an AVI movie writer for a codec, and reading back how many frames a movie holds.

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <string>

namespace korvane {

// The FOURCC code of a four-character codec name; false when the text is not four
// printable characters.
bool ParseFourcc(const std::string& text, int& fourcc);

// Opens `writer` on `path` for colour frames of `frameSize` at 10 frames/s with `fourcc`,
// through the FFmpeg backend, or for MJPG through OpenCV's own MJPEG writer when FFmpeg
// cannot. `backend` receives the backend that opened it. False when none could.
bool OpenAviWriter(cv::VideoWriter& writer, const std::string& path, int fourcc, cv::Size frameSize,
                   int& backend);

// The frames of the movie at `path`, read back through `backend`; -1 when it cannot be
// opened.
long long CountMovieFrames(const std::string& path, int backend);

// Frames per second of every movie the program writes.
constexpr double MovieFramesPerSecond = 10.0;

}  // namespace korvane
