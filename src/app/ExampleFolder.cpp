#include "app/ExampleFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "setup/SetupFile.h"

namespace korvane {

namespace {

namespace fs = std::filesystem;

constexpr const char* kEventFileName = "events.dat";

std::string SourceTreeExampleFolder() {
    QStringList candidates;
#ifdef KORVANE_SOURCE_DIR
    candidates << QString(KORVANE_SOURCE_DIR) + "/examples";
#endif
    candidates << QCoreApplication::applicationDirPath() + "/../../../examples";
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + "/" + kEventFileName).isFile()) {
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath()).toStdString();
        }
    }
    return {};
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return home != nullptr ? std::string(home) : std::string();
}

// Copies one file under a temporary name, then renames it, so a half-written file never
// carries the final name.
bool CopyFileWhole(const fs::path& from, const fs::path& to) {
    const fs::path part = to.string() + ".part";
    std::error_code error;
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::rename(part, to, error);
    }
    if (error) {
        fs::remove(part, error);
        return false;
    }
    return true;
}

// A setup of the example, with [File-Path] turned into the full path of the copied events.
bool CopySetup(const fs::path& from, const fs::path& to, const fs::path& eventFile) {
    CalculationSetup setup;
    if (!LoadSetupFile(setup, from.string()).ok()) {
        return false;
    }
    setup.FilePath = eventFile.string();
    return SaveSetupFile(setup, to.string()).ok();
}

}  // namespace

std::string InstalledExampleFolder(const std::string& programFolder) {
#ifdef KORVANE_DATA_FROM_PROGRAM
    const QString folder = QString::fromStdString(programFolder) + "/" + KORVANE_DATA_FROM_PROGRAM +
                           "/korvane/examples";
    if (QFileInfo(folder + "/" + kEventFileName).isFile()) {
        return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toStdString();
    }
#else
    (void)programFolder;
#endif
    return {};
}

std::string UserExampleFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return (fs::path(xdg) / "korvane" / "examples").string();
    }
    const std::string home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    return (fs::path(home) / ".local" / "share" / "korvane" / "examples").string();
}

bool CopyExampleOnce(const std::string& from, const std::string& to) {
    const fs::path target(to);
    std::error_code error;
    if (fs::is_regular_file(target / kEventFileName, error)) {
        return true;
    }
    fs::create_directories(target, error);
    if (error) {
        return false;
    }
    bool ok = true;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        const fs::path name = entry.path().filename();
        if (!entry.is_regular_file() || name == kEventFileName) {
            continue;
        }
        if (name.extension() == ".ini") {
            ok = CopySetup(entry.path(), target / name, target / kEventFileName) && ok;
        } else {
            ok = CopyFileWhole(entry.path(), target / name) && ok;
        }
    }
    return !error && ok && CopyFileWhole(fs::path(from) / kEventFileName, target / kEventFileName);
}

std::string BundledExampleFolder() {
    const std::string installed =
        InstalledExampleFolder(QCoreApplication::applicationDirPath().toStdString());
    if (installed.empty()) {
        return SourceTreeExampleFolder();
    }
    // A copy that cannot be made leaves the installed example: the dialog still shows it, and
    // "Calculate!" then says why its pictures cannot be written there.
    const std::string own = UserExampleFolder();
    if (own.empty() || !CopyExampleOnce(installed, own)) {
        return installed;
    }
    return own;
}

std::string SetupIniPathFor(const std::string& programFilePath) {
    if (!InstalledExampleFolder(FolderOf(programFilePath)).empty()) {
        const std::string own = UserSetupIniPath();
        if (!own.empty()) {
            return own;
        }
    }
    return SetupIniPath(programFilePath);
}

std::string DefaultSetupIniPath() {
    return SetupIniPathFor(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace korvane
