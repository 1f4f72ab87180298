// Too little memory: an event file beyond the memory budget, and runs under a small
// address-space limit (ulimit -v), end with the program's message and exit status, never a
// crash, and leave only whole pictures.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultSupport.h"
#include "support/Folders.h"

namespace korvane::testing {
namespace {

// Runs korvane-batch `command` on setup.ini in `dir` with the address space limited to
// `kibibytes`.
ShellResult RunLimited(const TempDir& dir, long long kibibytes, const std::string& command) {
#ifdef KORVANE_SANITIZED
    // A sanitized program cannot even start in a small address space: run it unlimited.
    kibibytes = -1;
#endif
    const std::string limit =
        kibibytes > 0 ? "ulimit -v " + std::to_string(kibibytes) + " && " : std::string();
    return RunShell("cd '" + dir.path().string() + "' && " + limit + "exec " + KORVANE_BATCH_PATH +
                    " " + command + " setup.ini >/dev/null");
}

TEST(LowMemory, AnEventFileBeyondTheBudgetIsRefusedByName) {
#ifdef KORVANE_SANITIZED
    GTEST_SKIP() << "a sanitized program cannot run under a small address-space limit";
#endif
    TempDir dir;
    const long long limit = 300000;                   // KiB of address space
    const long long budget = limit * 1024 / 2 / 200;  // events: half of it at 200 bytes each
    std::string lines;
    for (long long n = 0; n < budget + 10; ++n) {
        lines += "1\t1\t1\t1\n";
    }
    dir.write("events.dat", lines);
    dir.write("setup.ini", SetupFor("events.dat", 3));
    const ShellResult run = RunLimited(dir, limit, "spatial");
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_NE(run.err.find("holds more than " + std::to_string(budget) + " events"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(PictureNames(dir.path()).empty());
}

// Pictures from small to far too large for 300 MB: each run ends with the pictures or with
// a message (exit status 2), and what it wrote is whole.
TEST(LowMemory, PicturesTooLargeForTheAddressSpaceEndWithAMessage) {
#ifdef KORVANE_SANITIZED
    const std::vector<int> sizes = {2000, 20000};  // no limit: only what fits, or is refused
#else
    // Around 8000 the last allocation to fail is the picture writer's thread stack.
    const std::vector<int> sizes = {2000, 5000, 7500, 7750, 8000, 8250, 12000, 20000};
#endif
    for (const int size : sizes) {
        TempDir dir;
        dir.write("events.dat", SmallCloud);
        dir.write("setup.ini", SetupFor("events.dat", 2, size, size));
        for (const char* command : {"spatial", "time"}) {
            const ShellResult run = RunLimited(dir, 300000, command);
            EXPECT_EQ(run.signal, 0) << size << " " << command << ": " << run.err;
            EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 2)
                << size << " " << command << ": " << run.err;
            if (run.exitStatus == 2) {
                EXPECT_TRUE(run.err.find("memory") != std::string::npos ||
                            run.err.find("too large") != std::string::npos)
                    << run.err;
            }
            EXPECT_TRUE(HiddenNames(dir.path().string()).empty());
            const ShellResult check = RunShell(std::string(KORVANE_FAULT_TOOL) + " check '" +
                                               dir.path().string() + "' >/dev/null");
            EXPECT_EQ(check.exitStatus, 0) << check.err;
        }
    }
}

}  // namespace
}  // namespace korvane::testing
