#include "common/ReadableFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "common/AtomicFile.h"

namespace korvane {
namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The bytes at even (little-endian) or odd (big-endian) places that are NUL.
bool MostlyNulAt(std::string_view head, std::size_t first) {
    std::size_t nul = 0;
    std::size_t all = 0;
    for (std::size_t i = first; i < head.size(); i += 2) {
        ++all;
        nul += head[i] == '\0' ? 1 : 0;
    }
    return all > 0 && 2 * nul > all;
}

std::string EncodingGuess(std::string_view head) {
    const auto startsWith = [&](std::string_view mark) {
        return head.substr(0, mark.size()) == mark;
    };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv)) {
        return "UTF-32 text (little-endian)";
    }
    if (startsWith("\0\0\xFE\xFF"sv)) {
        return "UTF-32 text (big-endian)";
    }
    if (startsWith("\xFF\xFE"sv) || MostlyNulAt(head, 1)) {
        return "UTF-16 text (little-endian)";
    }
    if (startsWith("\xFE\xFF"sv) || MostlyNulAt(head, 0)) {
        return "UTF-16 text (big-endian)";
    }
    return "binary data";
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

Status OpenRegularFile(const std::string& path, std::string_view noun, FileDescriptor& file) {
    const std::string role(noun);
    const std::string article = role.find_first_of("aeiou") == 0 ? "an " : "a ";
    file = FileDescriptor();
    int fd;
    do {
        // O_NONBLOCK: opening a FIFO without a writer (or a tape, a terminal) returns at once.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        Status failed = Status::IoError("The " + role + " " + Quoted(path) +
                                        " could not be opened (" + SystemReason(error) + ").");
        errno = error;
        return failed;
    }
    FileDescriptor opened(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        Status failed = Status::IoError("The " + role + " " + Quoted(path) +
                                        " could not be read (" + SystemReason(error) + ").");
        errno = error;
        return failed;
    }
    if (S_ISDIR(info.st_mode)) {
        return Status::InvalidInput(Quoted(path) + " is a folder, not " + article + role + ".");
    }
    if (!S_ISREG(info.st_mode)) {
        return Status::InvalidInput("The " + role + " " + Quoted(path) +
                                    " is not a regular file (it is a pipe, a device or a "
                                    "socket); only a regular file can be read.");
    }
    // A regular file never blocks, but the reading after this expects ordinary reads.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    file = std::move(opened);
    return Status::Ok();
}

long ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0 || errno != EINTR) {
            return static_cast<long>(got);
        }
    }
}

std::size_t ReadUpTo(int fd, char* buffer, std::size_t size, int* error) {
    if (error != nullptr) {
        *error = 0;
    }
    std::size_t filled = 0;
    while (filled < size) {
        const long got = ReadSome(fd, buffer + filled, size - filled);
        if (got < 0 && error != nullptr) {
            *error = errno;
        }
        if (got <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

std::string NotPlainTextReason(std::string_view head) {
    if (head.find('\0') == std::string_view::npos) {
        return "";
    }
    return "it holds NUL bytes, which plain text never does: it looks like " + EncodingGuess(head) +
           ". Save it as plain text (UTF-8 or ASCII) and choose it again";
}

std::size_t ByteOrderMarkLength(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

}  // namespace korvane
