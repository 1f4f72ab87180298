#pragma once
// File-system paths as the program uses them.

#include <string>

namespace korvane {

// The folder that holds `filePath`: its parent directory, or "." when the path has no
// folder part (the pictures of an event file typed without a folder go to the current
// directory, never to the file-system root).
std::string FolderOf(const std::string& filePath);

// `folder` joined with `fileName`.
std::string JoinPath(const std::string& folder, const std::string& fileName);

}  // namespace korvane
