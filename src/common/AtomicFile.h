#pragma once
// Every file the program makes (pictures, setup files, movies) appears whole or not at all:
// it is written under a hidden temporary name beside its target, every byte checked, and
// then renamed onto the target in one step. The temporary name is random and the file is
// created exclusively and never through a symbolic link, so a name planted in a folder that
// others can write (a link, a file) can neither redirect the write nor be replaced.
//
// A temporary is named "." + the target's name + "." + sixteen hex digits (a file, or the
// video writer's private folder) and is locked (flock) for as long as its writer lives, so a
// run killed part-way leaves at most unlocked temporaries, which RemoveStaleTemporaries
// takes away and no listing of pictures or movies ever shows. The cleaner goes by more than
// the pattern: a name that another program chose alike is not taken for ours.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"

namespace korvane {

// The words of a failure: the caller's own text around the target and the reason (the
// system's text, such as "No space left on device").
using FailureText = std::string (*)(const std::string& target, const std::string& reason);

// The write(2) that the bytes go through; tests put in one that writes short or fails.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);

struct AtomicFileOptions {
    // The permission bits of the new file: -1 for those of any new file (0666 narrowed by
    // the umask); otherwise exactly these (a save that keeps the old file's permissions).
    int permissions = -1;
    // Flush the new file to the disk before it replaces the target.
    bool syncBeforeRename = false;
    // nullptr: "Cannot write <target>: <reason>".
    FailureText failureText = nullptr;
    // nullptr: the system's write(2).
    WriteCall write = nullptr;
    // What follows the hidden name; nullptr: sixteen random hex digits. Tests put in names
    // they can plant something at.
    std::string (*nameSuffix)() = nullptr;
};

// Writes all of `bytes` through `write` (or write(2)), again after an interruption and after
// a short write. Returns 0, or the errno of the failed write.
int WriteEveryByte(int fd, std::string_view bytes, WriteCall write = nullptr);

// Writes `pieces` one after the other as WriteEveryByte does, gathered into few system calls
// (each piece through `write` when one is given).
int WriteEveryPiece(int fd, const std::vector<std::string_view>& pieces, WriteCall write = nullptr);

// The system's text for an errno value.
std::string SystemReason(int error);

// One new file for `target`. Create(), Write() as often as needed, Commit(). A failure in
// any step removes the temporary file (so does the destructor of an uncommitted file) and
// leaves the target as it was.
class AtomicFile {
  public:
    AtomicFile(std::string target, AtomicFileOptions options = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    Status Create();
    Status Write(std::string_view bytes);
    Status Write(const std::vector<std::string_view>& pieces);
    // Closes the file and renames it onto the target.
    Status Commit();

    // The temporary file's path while it exists ("" before Create and after Commit).
    const std::string& temporaryPath() const { return m_temporary; }

  private:
    Status Fail(int error);
    void Discard();

    std::string m_target;
    AtomicFileOptions m_options;
    std::string m_temporary;
    int m_fd = -1;
};

// What a writer's own temporaries look like, for the cleaner: given the target name a
// temporary stands for, NotOurs (leave it), File (a regular file of ours) or Folder (the
// video writer's private folder, holding at most its one file).
enum class TemporaryKind { NotOurs, File, Folder };
using TemporaryTargets = std::function<TemporaryKind(std::string_view targetName)>;

// Removes the temporaries that killed runs left in `folder`: entries named as above whose
// target `ours` claims, of the kind it says, owned by this user (never a link), and not
// locked by a living writer. Anything else is left alone. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder, const TemporaryTargets& ours);

// A cleaner's `ours` for the one target file `targetPath` (a setup file, a movie).
TemporaryTargets OnlyTarget(const std::string& targetPath, TemporaryKind kind);

// True for a name of the temporaries' pattern: ".", at least one character, ".", sixteen
// lowercase hex digits.
bool IsTemporaryName(std::string_view name);

// The target name that a temporary's name stands for (".space0001.bmp.0123456789abcdef":
// "space0001.bmp"); empty for a name of another pattern. A long target's name is kept
// shortened in its temporaries: compare with KeptTargetName.
std::string_view TemporaryTarget(std::string_view name);

// As much of a target's file name as its temporaries keep (all of a name of up to 120
// bytes).
std::string KeptTargetName(std::string name);

// Create, Write and Commit in one call.
Status WriteFileAtomically(const std::string& target, std::string_view bytes,
                           const AtomicFileOptions& options = {});
Status WriteFileAtomically(const std::string& target, const std::vector<std::string_view>& pieces,
                           const AtomicFileOptions& options = {});

// For a library that must open its output by name (the video writer): a private folder
// (mode 0700, hidden, random name) beside the target, in which the file is written (under
// `fileName`, by default the target's own name) and from which it is renamed onto the
// target. The folder and anything left in it go when the object goes.
class TemporaryFolder {
  public:
    explicit TemporaryFolder(std::string target, FailureText failureText = nullptr,
                             std::string fileName = {});
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    Status Create();
    // Where the library writes (after Create).
    const std::string& file() const { return m_file; }
    // Renames file() onto the target.
    Status Commit();

  private:
    Status Fail(int error) const;

    std::string m_target;
    FailureText m_failureText;
    std::string m_fileName;
    std::string m_folder;
    std::string m_file;
    int m_lock = -1;  // the folder, open and locked while it exists
};

}  // namespace korvane
