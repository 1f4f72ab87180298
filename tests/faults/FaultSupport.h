#pragma once
// Helpers of the fault tests: a small disk of its own, folders filled to the brim, and what
// a folder holds after a fault.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/EventClouds.h"
#include "support/TempDir.h"

namespace korvane::testing {

// A disk of `bytes` on a fresh folder: a tmpfs mounted there (needs root; unmounted when it
// goes). Where none can be mounted, or $KORVANE_TEST_INJECTED_FULL_DISK is set, the folder
// is an ordinary one and the programs a test starts meanwhile have their writes into it fail
// with ENOSPC beyond `bytes` (the preloaded FullDiskShim); the test's own writes are not.
class SmallDisk {
  public:
    explicit SmallDisk(long long bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // Full for the programs started: mounted, or the writes are failed for them.
    bool fullForPrograms() const { return m_mounted || m_injected; }
    // Why it is not mounted (the system's reason).
    const std::string& reason() const { return m_reason; }
    const TempDir& dir() const { return m_dir; }

  private:
    void Inject(long long bytes);

    TempDir m_dir;
    bool m_mounted = false;
    bool m_injected = false;
    std::string m_reason;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnvironment;
};

// Fills the disk of `folder` until a write fails, leaving `spare` bytes unwritten; returns
// the path of the filler file.
std::string FillDisk(const std::string& folder, long long spare = 0);

// The names in `folder` that begin with ".": temporaries left behind.
std::vector<std::string> HiddenNames(const std::string& folder);

// Runs a shell command line; its exit status and what it wrote to standard error.
struct ShellResult {
    int exitStatus = -1;  // -1 when it died of a signal
    int signal = 0;
    std::string err;
};
ShellResult RunShell(const std::string& commandLine);

// A setup (the nineteen lines) for the small cloud of EventClouds.h.
std::string SetupFor(const std::string& eventFile, int pictures, int width = 60, int height = 40,
                     int radius = 2);

}  // namespace korvane::testing
