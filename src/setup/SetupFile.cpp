#include "setup/SetupFile.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <iostream>
#include <new>
#include <string_view>

#include "common/NumberText.h"
#include "common/Paths.h"

namespace korvane {
namespace {

enum class Written { Integer, Exponent };

struct NumberKey {
    const char* key;
    double CalculationSetup::*field;
    Written form;
};

constexpr const char* FilePathKey = "[File-Path]";

// The eighteen numbers in the order of the file, after the path line.
constexpr NumberKey NumberKeys[] = {
    {"[Direction]", &CalculationSetup::Direction, Written::Integer},
    {"[Amin]", &CalculationSetup::Amin, Written::Exponent},
    {"[Amax]", &CalculationSetup::Amax, Written::Exponent},
    {"[Bmin]", &CalculationSetup::Bmin, Written::Exponent},
    {"[Bmax]", &CalculationSetup::Bmax, Written::Exponent},
    {"[Cmin]", &CalculationSetup::Cmin, Written::Exponent},
    {"[Cmax]", &CalculationSetup::Cmax, Written::Exponent},
    {"[Timestart]", &CalculationSetup::Timestart, Written::Exponent},
    {"[Timeend]", &CalculationSetup::Timeend, Written::Exponent},
    {"[Fixedsize]", &CalculationSetup::Fixedsize, Written::Integer},
    {"[Width]", &CalculationSetup::Width, Written::Integer},
    {"[Height]", &CalculationSetup::Height, Written::Integer},
    {"[Fixeddensity]", &CalculationSetup::Fixeddensity, Written::Integer},
    {"[Maxdensity]", &CalculationSetup::Maxdensity, Written::Exponent},
    {"[Gaussiandistance]", &CalculationSetup::Gaussiandistance, Written::Integer},
    {"[NoOfPictures]", &CalculationSetup::NoOfPictures, Written::Exponent},
    {"[Cumulative]", &CalculationSetup::Cumulative, Written::Integer},
    {"[Radius]", &CalculationSetup::Radius, Written::Exponent},
};

// The one line the program writes when a file operation fails after the file was opened.
void ReportFileFailure() {
    std::cout << "File open NOT succesfull" << std::endl;
}

std::string SetupText(const CalculationSetup& setup) {
    std::string text;
    text.reserve(512 + setup.FilePath.size());
    text += FilePathKey;
    text += '\t';
    text += setup.FilePath;
    text += "\r\n";
    for (const NumberKey& key : NumberKeys) {
        const double value = setup.*key.field;
        text += key.key;
        text += '\t';
        text += key.form == Written::Integer ? FormatInteger(value) : FormatExponent(value);
        text += "\r\n";
    }
    return text;
}

void ApplyLine(CalculationSetup& setup, std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return;
    }
    const std::string_view key = line.substr(0, tab);
    const std::string_view value = line.substr(tab + 1);
    if (key == FilePathKey) {
        setup.FilePath.assign(value);
        return;
    }
    for (const NumberKey& known : NumberKeys) {
        if (key == known.key) {
            setup.*known.field = ReadDecimal(value);
            return;
        }
    }
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t done = write(fd, text.data(), text.size());
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

// False if the whole file could not be read; `text` then holds nothing useful.
bool ReadAll(int fd, std::string& text) {
    char block[1 << 14];
    for (;;) {
        const ssize_t got = read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
}

// The file a save really replaces: a symbolic link is followed, so that the link stays and
// the file it names gets the new setup.
std::filesystem::path FollowLinks(std::filesystem::path target) {
    std::error_code error;
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, error); ++hop) {
        std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Writes straight into a file that cannot be replaced by a new one (a device, a pipe).
bool WriteInPlace(const std::string& target, const std::string& text) {
    const int fd = OpenRetrying(target.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, text);
    const bool closed = close(fd) == 0;
    if (!written || !closed) {
        ReportFileFailure();
        return false;
    }
    return true;
}

// A name beside the target that no other save uses at the same moment.
std::string TemporaryName(const std::filesystem::path& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = target.parent_path();
    const std::string name = "." + target.filename().string() + ".saving-" +
                             std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
                             std::to_string(attempt);
    return (folder.empty() ? std::filesystem::path(name) : folder / name).string();
}

}  // namespace

bool LoadSetupFile(CalculationSetup& setup, const std::string& path) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return false;  // a folder is not a setup file: it cannot be opened as one
    }
    std::string text;
    bool read = false;
    try {
        read = ReadAll(fd, text);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    close(fd);
    if (!read) {
        // Nothing is taken from a file that could not be read to its end.
        ReportFileFailure();
        return false;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t feed = rest.find('\n');
        std::string_view line = rest.substr(0, feed);
        rest = feed == std::string_view::npos ? std::string_view() : rest.substr(feed + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // CR LF line end
        }
        ApplyLine(setup, line);
    }
    return true;
}

bool SaveSetupFile(const CalculationSetup& setup, const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::string text = SetupText(setup);
    const std::filesystem::path target = FollowLinks(path);
    const std::string targetName = target.string();

    // The new setup goes into a fresh file beside the old one, which is then renamed over
    // it: a save that fails half-way (a full disk) leaves the previous setup as it was.
    mode_t mode = 0666;  // narrowed by the process's umask, as for any new file
    bool keepMode = false;
    struct stat info {};
    if (stat(targetName.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            return WriteInPlace(targetName, text);
        }
        if (access(targetName.c_str(), W_OK) != 0) {
            return false;  // a write-protected setup file stays as it is
        }
        mode = info.st_mode & 07777;
        keepMode = true;
    }

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target, attempt);
        fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd < 0 && errno != EEXIST) {
            return false;  // the folder does not exist or cannot be written
        }
    }
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, text);
    if (ok && keepMode) {
        ok = fchmod(fd, mode) == 0;
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), targetName.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        ReportFileFailure();
        return false;
    }
    return true;
}

std::string SetupIniPath(const std::string& programFilePath) {
    const std::string programFolder = FolderOf(programFilePath);
    const std::string besideProgram = JoinPath(programFolder, "Setup.ini");
    if (access(programFolder.c_str(), W_OK) == 0) {
        return besideProgram;
    }
    // An installed program's folder is not the user's to write: keep the setup in the
    // user's configuration folder.
    const std::string own = UserSetupIniPath();
    return own.empty() ? besideProgram : own;
}

std::string UserSetupIniPath() {
    // A relative XDG_CONFIG_HOME is not a valid setting.
    std::filesystem::path configFolder;
    const char* xdg = getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        configFolder = xdg;
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        configFolder = std::filesystem::path(home) / ".config";
    }
    const std::filesystem::path folder = configFolder / "Korvane";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return (folder / "Setup.ini").string();
}

}  // namespace korvane
