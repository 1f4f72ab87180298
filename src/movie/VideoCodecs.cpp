// Which codecs this OpenCV build can really write into each container. There is no codec
// dialog of the video library on this system, so the program offers the user the codecs that
// pass a trial: open a writer on a small temporary movie, write a frame, read the movie back.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <new>
#include <opencv2/core.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "common/AtomicFile.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"
#include "movie/VideoWriter.h"

namespace korvane {
namespace {

// The candidates in the order they are offered. AVI: MJPG first (the default, readable
// everywhere), then the lossless ones, then the common lossy ones. The others: what web
// pages and presentation programs play first.
std::vector<const char*> CandidateCodecs(MovieContainer container) {
    switch (container) {
        case MovieContainer::Mp4:
            return {"avc1", "mp4v"};
        case MovieContainer::Mkv:
            return {"H264", "FFV1", "MJPG", "mp4v"};
        case MovieContainer::Webm:
            return {"VP90", "VP80"};
        case MovieContainer::Avi:
            break;
    }
    return {"MJPG", "FFV1", "HFYU", "XVID", "DIVX", "H264", "IYUV"};
}

bool CodecWorks(const std::string& name, const std::filesystem::path& probeFolder,
                MovieContainer container) {
    int fourcc = 0;
    if (!ParseFourcc(name, fourcc)) {
        return false;
    }
    // The shared temporary folder is open to everyone: the trial movie goes into a private
    // folder of its own, so no name planted there can redirect it.
    TemporaryFolder probe((probeFolder / ("korvane-codec-probe-" + std::to_string(getpid()) +
                                          ContainerExtension(container)))
                              .string());
    if (!probe.Create().ok()) {
        return false;
    }
    // An odd frame size, since the pictures of a fixed-size series may have one.
    const cv::Size size(65, 49);
    bool works = false;
    try {
        cv::VideoWriter writer;
        int backend = 0;
        if (OpenVideoWriter(writer, probe.file(), fourcc, size, backend)) {
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

std::vector<std::string> ProbeCodecs(MovieContainer container) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    std::vector<std::string> codecs;
    if (error) {
        return codecs;
    }
    for (const char* name : CandidateCodecs(container)) {
        if (CodecWorks(name, folder, container)) {
            codecs.emplace_back(name);
        }
    }
    return codecs;
}

}  // namespace

std::string CodecDescription(const std::string& fourcc) {
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
    return AvailableCodecs(MovieContainer::Avi);
}

std::vector<std::string> AvailableCodecs(MovieContainer container) {
    // Probed once per container and process; the initialisation of a local static is
    // thread-safe.
    switch (container) {
        case MovieContainer::Mp4: {
            static const std::vector<std::string> mp4 = ProbeCodecs(MovieContainer::Mp4);
            return mp4;
        }
        case MovieContainer::Mkv: {
            static const std::vector<std::string> mkv = ProbeCodecs(MovieContainer::Mkv);
            return mkv;
        }
        case MovieContainer::Webm: {
            static const std::vector<std::string> webm = ProbeCodecs(MovieContainer::Webm);
            return webm;
        }
        case MovieContainer::Avi:
            break;
    }
    static const std::vector<std::string> avi = ProbeCodecs(MovieContainer::Avi);
    return avi;
}

namespace {

// The extension of `path`'s file name in lower case; empty when it has none.
std::string LowerExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') {
        return "";
    }
    std::string extension;
    for (std::size_t i = dot; i < path.size(); ++i) {
        const char c = path[i];
        extension += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    return extension;
}

}  // namespace

MovieContainer ContainerOfPath(const std::string& moviePath) {
    const std::string extension = LowerExtension(moviePath);
    for (const MovieContainer container : AllContainers()) {
        if (extension == ContainerExtension(container)) {
            return container;
        }
    }
    return MovieContainer::Avi;
}

bool HasMovieExtension(const std::string& moviePath) {
    const std::string extension = LowerExtension(moviePath);
    for (const MovieContainer container : AllContainers()) {
        if (extension == ContainerExtension(container)) {
            return true;
        }
    }
    return false;
}

Status CheckMovieTarget(const std::string& moviePath) {
    const std::string quoted = "\"" + moviePath + "\"";
    if (!HasMovieExtension(moviePath)) {
        return Status::InvalidInput("The movie file " + quoted +
                                    " does not end in .avi, .mp4, .mkv or .webm: a movie is "
                                    "written only under a movie's name, so that no other file "
                                    "is replaced by it.");
    }
    struct stat info {};
    if (::stat(moviePath.c_str(), &info) != 0) {
        return Status::Ok();  // a new file; a folder that is missing is named when it is made
    }
    if (S_ISDIR(info.st_mode)) {
        return Status::InvalidInput(quoted + " is a folder, not a movie file.");
    }
    if (!S_ISREG(info.st_mode)) {
        return Status::InvalidInput("The movie file " + quoted +
                                    " is not a regular file (it is a pipe, a device or a "
                                    "socket); a movie replaces only an earlier movie.");
    }
    return Status::Ok();
}

const char* ContainerExtension(MovieContainer container) {
    switch (container) {
        case MovieContainer::Mp4:
            return ".mp4";
        case MovieContainer::Mkv:
            return ".mkv";
        case MovieContainer::Webm:
            return ".webm";
        case MovieContainer::Avi:
            break;
    }
    return ".avi";
}

std::vector<MovieContainer> AllContainers() {
    return {MovieContainer::Avi, MovieContainer::Mp4, MovieContainer::Mkv, MovieContainer::Webm};
}

}  // namespace korvane
