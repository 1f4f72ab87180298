// Decoding a whole picture file, apart from the header readers in PictureFile.cpp: only the
// programs that decode pictures (the movie, the desktop viewer) then load the image library,
// whose many dependencies take a calculation's start longer than its reading of an event file.
#include <errno.h>
#include <sys/stat.h>

#include <opencv2/imgcodecs.hpp>
#include <vector>

#include "common/AtomicFile.h"
#include "common/ReadableFile.h"
#include "movie/PictureFile.h"

namespace korvane {

Status ReadPictureFile(const std::string& path, cv::Mat& picture) {
    picture.release();
    const std::string quoted = "\"" + path + "\"";
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "picture", file); !opened.ok()) {
        if (opened.code() == Status::Code::IoError && errno == ENOENT) {
            return Status::IoError("The picture " + quoted + " does not exist.");
        }
        return opened;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return Status::IoError("The picture " + quoted + " cannot be read (" + SystemReason(errno) +
                               ").");
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(info.st_size));
    int error = 0;
    const std::size_t filled =
        ReadUpTo(file.get(), reinterpret_cast<char*>(bytes.data()), bytes.size(), &error);
    if (error != 0) {
        return Status::IoError("The picture " + quoted + " cannot be read (" + SystemReason(error) +
                               ").");
    }
    bytes.resize(filled);  // shorter when the file shrank while it was read
    const std::string problem = PictureHeaderProblem(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!problem.empty()) {
        return Status::InvalidInput("The picture " + quoted + " cannot be read: " + problem + ".");
    }
    picture = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    if (picture.empty()) {
        return Status::InvalidInput("The picture " + quoted + " cannot be read.");
    }
    return Status::Ok();
}

}  // namespace korvane
