#pragma once
// Pictures and movies for the movie tests: small BMP files whose pixels carry their frame
// number, and a reader that gives back every frame of a movie.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace korvane::testing {

// The colour that stands for frame n: blue and green hold n exactly, red is constant.
cv::Vec3b FrameColour(int n);

// The frame number a pixel of FrameColour stands for.
int FrameNumberOf(const cv::Vec3b& pixel);

// Writes a solid picture of FrameColour(n) and `size` to `path` (BMP, 8-bit, 3 channels).
void WriteFramePicture(const std::string& path, int n, cv::Size size = cv::Size(16, 16));

// Writes `prefix` 0001.bmp ... to folder, numbers first..last, the highest number first so
// that the file system's own order is the reverse of the number order.
void WriteFrameSeries(const std::string& folder, const std::string& prefix, int first, int last,
                      cv::Size size = cv::Size(16, 16));

struct MovieContent {
    bool opened = false;
    double framesPerSecond = 0;
    long long frameCount = 0;  // as the container reports it
    cv::Size size;
    std::vector<cv::Vec3b> centres;  // the centre pixel of every frame read, in order
};

MovieContent ReadMovie(const std::string& path);

}  // namespace korvane::testing
