#include "common/Paths.h"

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

}  // namespace korvane
