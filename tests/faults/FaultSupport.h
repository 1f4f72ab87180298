#pragma once
// Helpers of the fault tests: a small disk of its own, folders filled to the brim, and what
// a folder holds after a fault.

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace korvane::testing {

// A tmpfs of `bytes` mounted on a fresh folder (needs root); unmounted when it goes.
class SmallDisk {
  public:
    explicit SmallDisk(long long bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // Why it is not mounted (the system's reason).
    const std::string& reason() const { return m_reason; }
    const TempDir& dir() const { return m_dir; }

  private:
    TempDir m_dir;
    bool m_mounted = false;
    std::string m_reason;
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

// The event lines of a small cloud and a setup (the nineteen lines) for it.
extern const char* const SmallCloud;
std::string SetupFor(const std::string& eventFile, int pictures, int width = 60, int height = 40,
                     int radius = 2);

}  // namespace korvane::testing
