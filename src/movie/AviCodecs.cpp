// Which codecs this OpenCV build can really write into an AVI file. There is no codec dialog
// of the video library on this system, so the program offers the user the codecs that pass
// a trial: open a writer on a small temporary movie, write a frame, read the movie back.

#include <unistd.h>

#include <filesystem>
#include <new>
#include <opencv2/core.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "common/AtomicFile.h"
#include "movie/AviWriter.h"
#include "movie/MovieConversion.h"

namespace korvane {
namespace {

// The candidates in the order they are offered: MJPG first (the default, readable
// everywhere), then the lossless ones, then the common lossy ones.
const char* const CandidateCodecs[] = {"MJPG", "FFV1", "HFYU", "XVID", "DIVX", "H264", "IYUV"};

bool CodecWorks(const std::string& name, const std::filesystem::path& probeFolder) {
    int fourcc = 0;
    if (!ParseFourcc(name, fourcc)) {
        return false;
    }
    // The shared temporary folder is open to everyone: the trial movie goes into a private
    // folder of its own, so no name planted there can redirect it.
    TemporaryFolder probe(
        (probeFolder / ("korvane-codec-probe-" + std::to_string(getpid()) + ".avi")).string());
    if (!probe.Create().ok()) {
        return false;
    }
    // An odd frame size, since the pictures of a fixed-size series may have one.
    const cv::Size size(65, 49);
    bool works = false;
    try {
        cv::VideoWriter writer;
        int backend = 0;
        if (OpenAviWriter(writer, probe.file(), fourcc, size, backend)) {
            const cv::Mat frame(size, CV_8UC3, cv::Scalar(40, 160, 220));
            writer.write(frame);
            writer.release();
            works = CountMovieFrames(probe.file(), backend) == 1;
        }
    } catch (const cv::Exception&) {
        works = false;
    } catch (const std::bad_alloc&) {
        works = false;
    }
    return works;
}

std::vector<std::string> ProbeAviCodecs() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    std::vector<std::string> codecs;
    if (error) {
        return codecs;
    }
    for (const char* name : CandidateCodecs) {
        if (CodecWorks(name, folder)) {
            codecs.emplace_back(name);
        }
    }
    return codecs;
}

}  // namespace

std::string AviCodecDescription(const std::string& fourcc) {
    static const struct {
        const char* fourcc;
        const char* words;
    } descriptions[] = {
        {"MJPG", "Motion JPEG, plays almost everywhere"},
        {"FFV1", "FFmpeg lossless, exact pictures, large files"},
        {"HFYU", "Huffyuv lossless, exact pictures, very large files"},
        {"XVID", "Xvid MPEG-4, small files"},
        {"DIVX", "DivX MPEG-4, small files"},
        {"H264", "H.264, smallest files, needs a recent player"},
        {"IYUV", "uncompressed YUV, huge files"},
    };
    for (const auto& description : descriptions) {
        if (fourcc == description.fourcc) {
            return fourcc + ": " + description.words;
        }
    }
    return fourcc;
}

std::vector<std::string> AvailableAviCodecs() {
    // Probed once per process; the initialisation of a local static is thread-safe.
    static const std::vector<std::string> codecs = ProbeAviCodecs();
    return codecs;
}

}  // namespace korvane
