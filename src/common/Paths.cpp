#include "common/Paths.h"

#include <sys/stat.h>

#include <filesystem>

namespace korvane {

std::string FolderOf(const std::string& filePath) {
    const std::filesystem::path parent = std::filesystem::path(filePath).parent_path();
    if (parent.empty()) {
        return ".";
    }
    return parent.string();
}

std::string JoinPath(const std::string& folder, const std::string& fileName) {
    return (std::filesystem::path(folder) / fileName).string();
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return {static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino), true};
}

Status RefuseOverInput(const std::string& target, const char* targetKind, const FileIdentity& input,
                       const std::string& inputPath, const char* inputKind) {
    if (!input.exists || !IdentityOf(target).Is(input)) {
        return Status::Ok();
    }
    return Status::InvalidInput("The " + std::string(targetKind) + " \"" + target +
                                "\" would replace the " + inputKind + " \"" + inputPath +
                                "\": they are the same file. Choose another name or folder.");
}

Status RefuseOverInput(const std::string& target, const char* targetKind,
                       const std::string& inputPath, const char* inputKind) {
    return RefuseOverInput(target, targetKind, IdentityOf(inputPath), inputPath, inputKind);
}

}  // namespace korvane
