// A full disk where no small file system can be mounted: preloaded into a program
// (LD_PRELOAD), it lets the writes into files under $KORVANE_FULL_DISK_FOLDER add up to
// $KORVANE_FULL_DISK_BYTES, the last of them short, and then fails them with ENOSPC as a full
// disk does. Every other write goes through untouched. Built without sanitizers, so that it
// can be preloaded into sanitized programs too.

#include <dlfcn.h>
#include <errno.h>
#include <sys/uio.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::mutex usedLock;
unsigned long long used = 0;

// Whether `fd` is a file under the folder that is "full".
bool UnderFullFolder(int fd) {
    const char* folder = std::getenv("KORVANE_FULL_DISK_FOLDER");
    if (folder == nullptr || folder[0] == '\0') {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length < 0) {
        return false;
    }
    path[length] = '\0';
    const std::size_t folderLength = std::strlen(folder);
    return std::strncmp(path, folder, folderLength) == 0 && path[folderLength] == '/';
}

// How many of `wanted` bytes still fit; they are counted as used.
std::size_t Granted(std::size_t wanted) {
    const char* budget = std::getenv("KORVANE_FULL_DISK_BYTES");
    const unsigned long long total = budget != nullptr ? std::strtoull(budget, nullptr, 10) : 0;
    std::lock_guard<std::mutex> guard(usedLock);
    const unsigned long long left = used < total ? total - used : 0;
    const std::size_t granted = wanted < left ? wanted : static_cast<std::size_t>(left);
    used += granted;
    return granted;
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, std::size_t size) {
    static const auto next = Next<ssize_t (*)(int, const void*, std::size_t)>("write");
    if (size == 0 || !UnderFullFolder(fd)) {
        return next(fd, data, size);
    }
    const std::size_t granted = Granted(size);
    if (granted == 0) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd, data, granted);
}

extern "C" ssize_t writev(int fd, const struct iovec* pieces, int count) {
    static const auto next = Next<ssize_t (*)(int, const struct iovec*, int)>("writev");
    if (count <= 0 || !UnderFullFolder(fd)) {
        return next(fd, pieces, count);
    }
    std::size_t total = 0;
    for (int k = 0; k < count; ++k) {
        total += pieces[k].iov_len;
    }
    const std::size_t granted = Granted(total);
    if (granted == total) {
        return next(fd, pieces, count);
    }
    if (granted == 0) {
        errno = ENOSPC;
        return -1;
    }
    // The pieces that fit, the last of them cut.
    std::vector<struct iovec> part;
    std::size_t left = granted;
    for (int k = 0; k < count && left > 0; ++k) {
        struct iovec piece = pieces[k];
        piece.iov_len = piece.iov_len < left ? piece.iov_len : left;
        left -= piece.iov_len;
        part.push_back(piece);
    }
    return next(fd, part.data(), static_cast<int>(part.size()));
}
