#include "common/AtomicFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace korvane {
namespace {

// A temporary name keeps at most this much of the target's name, so that it stays within
// the file system's limit of 255 bytes for a name.
constexpr std::size_t KeptNameLength = 120;

std::string DefaultFailureText(const std::string& target, const std::string& reason) {
    return "Cannot write " + target + ": " + reason;
}

std::string FolderPart(const std::string& target) {
    const std::filesystem::path parent = std::filesystem::path(target).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// "." and the target's file name, shortened if need be (never inside a UTF-8 character):
// hidden, so that no listing of pictures or movies picks the temporary up.
std::string HiddenStem(const std::string& target) {
    std::string name = std::filesystem::path(target).filename().string();
    if (name.size() > KeptNameLength) {
        std::size_t cut = KeptNameLength;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return "." + name;
}

// Sixteen hex digits nobody can guess in advance.
std::string RandomSuffix() {
    std::uint64_t value = 0;
    if (getrandom(&value, sizeof value, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof value)) {
        std::random_device device;
        value = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    }
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (char& digit : text) {
        digit = digits[value & 15];
        value >>= 4;
    }
    return text;
}

Status StatusFor(int error, const std::string& message) {
    return error == ENOMEM ? Status::NoMemory(message) : Status::IoError(message);
}

}  // namespace

std::string SystemReason(int error) {
    char buffer[256];
    // GNU strerror_r returns the message (maybe not in buffer).
    return std::string(strerror_r(error, buffer, sizeof buffer));
}

int WriteEveryByte(int fd, std::string_view bytes, WriteCall write) {
    if (write == nullptr) {
        write = ::write;
    }
    while (!bytes.empty()) {
        const ssize_t done = write(fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (done == 0) {
            return EIO;  // a write that makes no progress would loop for ever
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return 0;
}

AtomicFile::AtomicFile(std::string target, AtomicFileOptions options)
    : m_target(std::move(target)), m_options(options) {}

AtomicFile::~AtomicFile() {
    Discard();
}

Status AtomicFile::Create() {
    Discard();
    const std::string folder = FolderPart(m_target);
    const std::string stem = HiddenStem(m_target);
    const mode_t mode = m_options.permissions < 0 ? 0666 : 0600;
    const auto suffix = m_options.nameSuffix != nullptr ? m_options.nameSuffix : RandomSuffix;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A name that is taken (by anything, a link too) is never opened: try another.
        const std::string candidate = folder + "/" + stem + "." + suffix();
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = candidate;
            break;
        }
        if (errno != EEXIST && errno != EINTR) {
            return Fail(errno);
        }
    }
    if (m_fd < 0) {
        return Fail(EEXIST);
    }
    if (m_options.permissions >= 0 &&
        ::fchmod(m_fd, static_cast<mode_t>(m_options.permissions)) != 0) {
        return Fail(errno);
    }
    return Status::Ok();
}

Status AtomicFile::Write(std::string_view bytes) {
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    if (const int error = WriteEveryByte(m_fd, bytes, m_options.write); error != 0) {
        return Fail(error);
    }
    return Status::Ok();
}

Status AtomicFile::Commit() {
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    if (m_options.syncBeforeRename && ::fsync(m_fd) != 0) {
        return Fail(errno);
    }
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        return Fail(errno);
    }
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return Fail(errno);
    }
    m_temporary.clear();
    return Status::Ok();
}

Status AtomicFile::Fail(int error) {
    Discard();
    const FailureText text =
        m_options.failureText != nullptr ? m_options.failureText : DefaultFailureText;
    return StatusFor(error, text(m_target, SystemReason(error)));
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(std::exchange(m_fd, -1));
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

Status WriteFileAtomically(const std::string& target, std::string_view bytes,
                           const AtomicFileOptions& options) {
    AtomicFile file(target, options);
    if (Status created = file.Create(); !created.ok()) {
        return created;
    }
    if (Status written = file.Write(bytes); !written.ok()) {
        return written;
    }
    return file.Commit();
}

TemporaryFolder::TemporaryFolder(std::string target, FailureText failureText, std::string fileName)
    : m_target(std::move(target)),
      m_failureText(failureText != nullptr ? failureText : DefaultFailureText),
      m_fileName(std::move(fileName)) {
    if (m_fileName.empty()) {
        m_fileName = std::filesystem::path(m_target).filename().string();
    }
}

TemporaryFolder::~TemporaryFolder() {
    if (!m_folder.empty()) {
        // remove_all removes links themselves, never what they point to.
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

Status TemporaryFolder::Create() {
    if (!m_folder.empty()) {
        return Status::Ok();
    }
    std::string pattern = FolderPart(m_target) + "/" + HiddenStem(m_target) + ".XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return Fail(errno);
    }
    m_folder = pattern;
    m_file = m_folder + "/" + m_fileName;
    return Status::Ok();
}

Status TemporaryFolder::Commit() {
    if (m_folder.empty()) {
        return Fail(ENOENT);
    }
    if (std::rename(m_file.c_str(), m_target.c_str()) != 0) {
        return Fail(errno);
    }
    return Status::Ok();
}

Status TemporaryFolder::Fail(int error) const {
    return StatusFor(error, m_failureText(m_target, SystemReason(error)));
}

}  // namespace korvane
