#include "setup/SetupPaths.h"

#include <filesystem>

namespace korvane {

std::string EventPathBesideSetup(const std::string& eventPath, const std::string& setupPath) {
    namespace fs = std::filesystem;
    const fs::path event(eventPath);
    if (eventPath.empty() || event.is_absolute()) {
        return eventPath;
    }
    const fs::path beside = fs::path(setupPath).parent_path() / event;
    std::error_code error;
    return fs::exists(beside, error) ? beside.string() : eventPath;
}

}  // namespace korvane
