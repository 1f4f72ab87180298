#pragma once
// Opening a movie writer (AVI, MP4, MKV or WebM) for a codec, and reading back how many frames a
// movie holds.

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <string>

namespace korvane {

// The FOURCC code of a four-character codec name; false when the text is not four
// printable characters.
bool ParseFourcc(const std::string& text, int& fourcc);

// Opens `writer` on `path` for colour frames of `frameSize` at 10 frames/s with `fourcc`,
// through the FFmpeg backend (the container follows the path's extension), or for MJPG
// into an ".avi" path through OpenCV's own MJPEG writer when FFmpeg cannot. `backend` receives the
// backend that opened it. False when none could.
bool OpenVideoWriter(cv::VideoWriter& writer, const std::string& path, int fourcc,
                     cv::Size frameSize, int& backend);

// The frames of the movie at `path`, read back through `backend`; -1 when it cannot be
// opened.
long long CountMovieFrames(const std::string& path, int backend);

// Whether the video library's own lines, which it prints straight to standard error when a
// writer opens (a codec tag it replaces, for one), are kept off it. Off unless a front end
// without a window turns it on; the program's own messages say what happened instead.
void KeepVideoLibraryQuiet(bool quiet);

// Frames per second of every movie the program writes.
constexpr double MovieFramesPerSecond = 10.0;

}  // namespace korvane
