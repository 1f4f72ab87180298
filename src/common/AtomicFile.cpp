#include "common/AtomicFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

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
    return "." + KeptTargetName(std::filesystem::path(target).filename().string());
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

// Locks `fd` for as long as it (or a copy of it) is open: the mark of a living writer. False
// when someone else holds the lock (a cleaner about to remove the file).
bool LockWhileOpen(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Locks the temporary just made at `path` for its writer. False when a cleaner got to it
// first: it holds the lock, or it held it and removed the name before the writer locked.
bool LockNewTemporary(int fd, const std::string& path) {
    if (!LockWhileOpen(fd)) {
        return false;
    }
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && opened.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
           SameFile(opened, named);
}

// Removes a stale temporary folder of the video writer: empty, or holding one regular file
// and nothing else. Anything else inside keeps it where it is.
bool RemoveStaleFolder(int folderFd, const std::string& path) {
    const int listFd = ::dup(folderFd);
    DIR* listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (listing == nullptr) {
        if (listFd >= 0) {
            ::close(listFd);
        }
        return false;
    }
    std::vector<std::string> files;
    bool onlyOneFile = true;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info {};
        if (!files.empty() || ::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            onlyOneFile = false;
            break;
        }
        files.push_back(name);
    }
    ::closedir(listing);
    if (!onlyOneFile) {
        return false;
    }
    for (const std::string& name : files) {
        ::unlinkat(folderFd, name.c_str(), 0);
    }
    return ::rmdir(path.c_str()) == 0;
}

// Removes one entry of the temporaries' pattern if it is stale: ours, of the kind its
// target has, still the entry that was looked at, and not locked by a living writer.
bool RemoveIfStale(const std::string& path, TemporaryKind kind) {
    struct stat before {};
    if (::lstat(path.c_str(), &before) != 0 || before.st_uid != ::geteuid() ||
        !(kind == TemporaryKind::File ? S_ISREG(before.st_mode) : S_ISDIR(before.st_mode))) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    bool removed = false;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && SameFile(before, opened) && LockWhileOpen(fd)) {
        struct stat now {};
        // Still the same entry under that name (not renamed onto a target meanwhile).
        if (::lstat(path.c_str(), &now) == 0 && SameFile(now, opened)) {
            removed =
                S_ISDIR(opened.st_mode) ? RemoveStaleFolder(fd, path) : ::unlink(path.c_str()) == 0;
        }
    }
    ::close(fd);
    return removed;
}

Status StatusFor(int error, const std::string& message) {
    return error == ENOMEM ? Status::NoMemory(message) : Status::IoError(message);
}

}  // namespace

bool IsTemporaryName(std::string_view name) {
    constexpr std::size_t Digits = 16;
    if (name.size() < Digits + 3 || name[0] != '.' || name[name.size() - Digits - 1] != '.') {
        return false;
    }
    for (const char c : name.substr(name.size() - Digits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::string_view TemporaryTarget(std::string_view name) {
    constexpr std::size_t Digits = 16;
    if (!IsTemporaryName(name)) {
        return {};
    }
    return name.substr(1, name.size() - Digits - 2);
}

std::string KeptTargetName(std::string name) {
    if (name.size() > KeptNameLength) {
        std::size_t cut = KeptNameLength;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return name;
}

TemporaryTargets OnlyTarget(const std::string& targetPath, TemporaryKind kind) {
    std::string kept = KeptTargetName(std::filesystem::path(targetPath).filename().string());
    return [kept = std::move(kept), kind](std::string_view target) {
        return target == kept ? kind : TemporaryKind::NotOurs;
    };
}

int RemoveStaleTemporaries(const std::string& folder, const TemporaryTargets& ours) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return 0;
    }
    std::vector<std::pair<std::string, TemporaryKind>> candidates;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view target = TemporaryTarget(entry->d_name);
        if (target.empty()) {
            continue;
        }
        if (const TemporaryKind kind = ours(target); kind != TemporaryKind::NotOurs) {
            candidates.emplace_back(folder + "/" + entry->d_name, kind);
        }
    }
    ::closedir(listing);
    int removed = 0;
    for (const auto& [path, kind] : candidates) {
        removed += RemoveIfStale(path, kind) ? 1 : 0;
    }
    return removed;
}

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

int WriteEveryPiece(int fd, const std::vector<std::string_view>& pieces, WriteCall write) {
    if (write != nullptr) {
        for (const std::string_view piece : pieces) {
            if (const int error = WriteEveryByte(fd, piece, write); error != 0) {
                return error;
            }
        }
        return 0;
    }
    std::vector<iovec> chunks;
    chunks.reserve(std::min<std::size_t>(pieces.size(), IOV_MAX));
    std::size_t next = 0;
    while (next < pieces.size()) {
        chunks.clear();
        for (std::size_t k = next; k < pieces.size() && chunks.size() < IOV_MAX; ++k) {
            chunks.push_back({const_cast<char*>(pieces[k].data()), pieces[k].size()});
        }
        // Written in one call or more: a short write leaves the rest of a piece for the next.
        std::size_t first = 0;
        while (first < chunks.size()) {
            const ssize_t done =
                ::writev(fd, chunks.data() + first, static_cast<int>(chunks.size() - first));
            if (done < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            std::size_t left = static_cast<std::size_t>(done);
            while (first < chunks.size() && left >= chunks[first].iov_len) {
                left -= chunks[first].iov_len;
                ++first;
            }
            if (first < chunks.size()) {
                if (done == 0 && chunks[first].iov_len > 0) {
                    return EIO;  // a write that makes no progress would loop for ever
                }
                chunks[first].iov_base = static_cast<char*>(chunks[first].iov_base) + left;
                chunks[first].iov_len -= left;
            }
        }
        next += chunks.size();
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
    const std::string prefix = folder + "/" + stem + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A name that is taken (by anything, a link too) is never opened: try another.
        const std::string candidate = prefix + suffix();
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 && !LockNewTemporary(fd, candidate)) {
            ::close(fd);  // a cleaner took it for a stale one: it removes it
            continue;
        }
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
    return Write(std::vector<std::string_view>{bytes});
}

Status AtomicFile::Write(const std::vector<std::string_view>& pieces) {
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    if (const int error = WriteEveryPiece(m_fd, pieces, m_options.write); error != 0) {
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
    // A copy keeps the file locked (alive to a cleaner) until it has its final name.
    const int lock = ::dup(m_fd);
    const int fd = std::exchange(m_fd, -1);
    const int closed = ::close(fd) == 0 ? 0 : errno;
    const int renamed = closed != 0
                            ? closed
                            : (std::rename(m_temporary.c_str(), m_target.c_str()) == 0 ? 0 : errno);
    if (lock >= 0) {
        ::close(lock);
    }
    if (renamed != 0) {
        return Fail(renamed);
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
    return WriteFileAtomically(target, std::vector<std::string_view>{bytes}, options);
}

Status WriteFileAtomically(const std::string& target, const std::vector<std::string_view>& pieces,
                           const AtomicFileOptions& options) {
    AtomicFile file(target, options);
    if (Status created = file.Create(); !created.ok()) {
        return created;
    }
    if (Status written = file.Write(pieces); !written.ok()) {
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
    if (m_lock >= 0) {
        ::close(m_lock);
    }
}

Status TemporaryFolder::Create() {
    if (!m_folder.empty()) {
        return Status::Ok();
    }
    const std::string stem = FolderPart(m_target) + "/" + HiddenStem(m_target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + RandomSuffix();
        if (::mkdir(candidate.c_str(), 0700) != 0) {
            if (errno == EEXIST || errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        const int fd = ::open(candidate.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;  // taken away at once: by a cleaner, or someone else
        }
        if (!LockNewTemporary(fd, candidate)) {
            ::close(fd);  // a cleaner took it for a stale one: it removes it
            continue;
        }
        m_lock = fd;
        m_folder = candidate;
        m_file = m_folder + "/" + m_fileName;
        return Status::Ok();
    }
    return Fail(EEXIST);
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
