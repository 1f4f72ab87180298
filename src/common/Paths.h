#pragma once
// File-system paths as the program uses them.

#include <string>

#include "common/Status.h"

namespace korvane {

// The folder that holds `filePath`: its parent directory, or "." when the path has no
// folder part (the pictures of an event file typed without a folder go to the current
// directory, never to the file-system root).
std::string FolderOf(const std::string& filePath);

// `folder` joined with `fileName`.
std::string JoinPath(const std::string& folder, const std::string& fileName);

// The identity of an existing file: its device and inode, which every name of the file
// shares (the same path written otherwise, a link to it).
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool exists = false;

    bool Is(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};
FileIdentity IdentityOf(const std::string& path);

// Ok unless `target`, a file about to be written, is the file `input` the work reads from:
// then InvalidInput naming both ("The picture "..." would replace the event file "..."").
// The kinds name what each file is for the user.
Status RefuseOverInput(const std::string& target, const char* targetKind, const FileIdentity& input,
                       const std::string& inputPath, const char* inputKind);
Status RefuseOverInput(const std::string& target, const char* targetKind,
                       const std::string& inputPath, const char* inputKind);

}  // namespace korvane
