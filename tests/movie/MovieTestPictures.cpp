#include "movie/MovieTestPictures.h"

#include <filesystem>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <stdexcept>

#include "reference/ReferenceRules.h"

namespace korvane::testing {

cv::Vec3b FrameColour(int n) {
    return cv::Vec3b(static_cast<unsigned char>(n & 0xff),
                     static_cast<unsigned char>((n >> 8) & 0xff), 77);
}

int FrameNumberOf(const cv::Vec3b& pixel) {
    return pixel[0] | (pixel[1] << 8);
}

void WriteFramePicture(const std::string& path, int n, cv::Size size) {
    const cv::Mat picture(size, CV_8UC3,
                          cv::Scalar(FrameColour(n)[0], FrameColour(n)[1], FrameColour(n)[2]));
    // Encoded in memory, so that names without a picture extension get BMP content too.
    std::vector<unsigned char> bytes;
    std::ofstream out(path, std::ios::binary);
    if (!cv::imencode(".bmp", picture, bytes) ||
        !out.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteFrameSeries(const std::string& folder, const std::string& prefix, int first, int last,
                      cv::Size size) {
    for (int n = last; n >= first; --n) {
        const std::string name = (std::filesystem::path(folder) / prefix).string();
        WriteFramePicture(reference::PictureName(name, n), n, size);
    }
}

MovieContent ReadMovie(const std::string& path) {
    MovieContent content;
    cv::VideoCapture capture(path, cv::CAP_FFMPEG);
    if (!capture.isOpened()) {
        return content;
    }
    content.opened = true;
    content.framesPerSecond = capture.get(cv::CAP_PROP_FPS);
    content.frameCount = static_cast<long long>(capture.get(cv::CAP_PROP_FRAME_COUNT));
    content.size = cv::Size(static_cast<int>(capture.get(cv::CAP_PROP_FRAME_WIDTH)),
                            static_cast<int>(capture.get(cv::CAP_PROP_FRAME_HEIGHT)));
    cv::Mat frame;
    while (capture.read(frame)) {
        content.centres.push_back(frame.at<cv::Vec3b>(frame.rows / 2, frame.cols / 2));
    }
    return content;
}

}  // namespace korvane::testing
