#include "FaultSupport.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/Folders.h"

namespace korvane::testing {

SmallDisk::SmallDisk(long long bytes) {
    const char* forced = std::getenv("KORVANE_TEST_INJECTED_FULL_DISK");
    if (forced != nullptr && forced[0] != '\0') {
        m_reason = "injected full disk asked for";
        Inject(bytes);
        return;
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", m_dir.path().c_str(), "tmpfs", 0, options.c_str()) == 0) {
        m_mounted = true;
    } else {
        m_reason = std::strerror(errno);
        Inject(bytes);
    }
}

void SmallDisk::Inject(long long bytes) {
    std::string asan = std::getenv("ASAN_OPTIONS") != nullptr ? std::getenv("ASAN_OPTIONS") : "";
    // A sanitized program wants its runtime first among its libraries; the shim comes first.
    asan += (asan.empty() ? "" : ":") + std::string("verify_asan_link_order=0");
    const std::pair<const char*, std::string> settings[] = {
        {"LD_PRELOAD", KORVANE_FULL_DISK_SHIM},
        {"KORVANE_FULL_DISK_FOLDER", std::filesystem::canonical(m_dir.path()).string()},
        {"KORVANE_FULL_DISK_BYTES", std::to_string(bytes)},
        {"ASAN_OPTIONS", asan},
    };
    for (const auto& [name, value] : settings) {
        const char* old = std::getenv(name);
        m_savedEnvironment.emplace_back(
            name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
    m_injected = true;
}

SmallDisk::~SmallDisk() {
    if (m_mounted) {
        ::umount2(m_dir.path().c_str(), MNT_DETACH);
    }
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

std::string FillDisk(const std::string& folder, long long spare) {
    const std::string path = folder + "/filler";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return path;
    }
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
    if (spare > 0) {
        const long long size = static_cast<long long>(std::filesystem::file_size(path));
        std::filesystem::resize_file(path,
                                     static_cast<std::uintmax_t>(std::max(0LL, size - spare)));
    }
    return path;
}

std::vector<std::string> HiddenNames(const std::string& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : FolderNames(folder)) {
        if (!name.empty() && name[0] == '.') {
            hidden.push_back(name);
        }
    }
    return hidden;
}

ShellResult RunShell(const std::string& commandLine) {
    ShellResult result;
    const std::string errPath =
        (std::filesystem::temp_directory_path() / ("fault-shell-" + std::to_string(::getpid())))
            .string();
    const std::string line = "(" + commandLine + ") 2>" + errPath;
    const int status = std::system(line.c_str());
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
        // The shell reports a child that died of a signal as 128 + its number.
        if (result.exitStatus > 128) {
            result.signal = result.exitStatus - 128;
            result.exitStatus = -1;
        }
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    result.err = ReadWholeFile(errPath);
    std::filesystem::remove(errPath);
    return result;
}

std::string SetupFor(const std::string& eventFile, int pictures, int width, int height,
                     int radius) {
    const std::string n = std::to_string(pictures);
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"[File-Path]", eventFile},
        {"[Direction]", "2"},
        {"[Amin]", "0"},
        {"[Amax]", "10"},
        {"[Bmin]", "0"},
        {"[Bmax]", "10"},
        {"[Cmin]", "0"},
        {"[Cmax]", "10"},
        {"[Timestart]", "0"},
        {"[Timeend]", "10"},
        {"[Fixedsize]", "1"},
        {"[Width]", std::to_string(width)},
        {"[Height]", std::to_string(height)},
        {"[Fixeddensity]", "0"},
        {"[Maxdensity]", "0"},
        {"[Gaussiandistance]", "1"},
        {"[NoOfPictures]", n},
        {"[Cumulative]", "0"},
        {"[Radius]", std::to_string(radius)},
    };
    std::string text;
    for (const auto& [key, value] : lines) {
        text += key + "\t" + value + "\r\n";
    }
    return text;
}

}  // namespace korvane::testing
