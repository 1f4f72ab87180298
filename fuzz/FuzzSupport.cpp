#include "FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace korvane::fuzzing {
namespace {

std::string ScratchFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path().string();
}

std::map<std::string, std::string>& Paths() {
    static std::map<std::string, std::string> paths;
    return paths;
}

void RemoveScratchFiles() {
    for (const auto& [name, path] : Paths()) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

}  // namespace

const std::string& ScratchPath(const std::string& name) {
    auto& paths = Paths();
    auto found = paths.find(name);
    if (found == paths.end()) {
        if (paths.empty()) {
            std::atexit(RemoveScratchFiles);
        }
        const std::string path =
            ScratchFolder() + "/korvane-fuzz-" + std::to_string(getpid()) + "-" + name;
        found = paths.emplace(name, path).first;
    }
    return found->second;
}

const std::string& WriteScratchFile(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchPath("input");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        Fail("cannot create the scratch file " + path);
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(fd, data + done, size - done);
        if (wrote <= 0) {
            Fail("cannot write the scratch file " + path);
        }
        done += static_cast<std::size_t>(wrote);
    }
    close(fd);
    return path;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "korvane fuzz invariant broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace korvane::fuzzing
