// A relative event file of a setup file: beside the setup file when it is there, else as
// written (from the working folder).

#include <gtest/gtest.h>

#include <filesystem>

#include "setup/SetupPaths.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(SetupPaths, ARelativeEventFileIsTakenFromTheSetupFilesFolderWhenItIsThere) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir.file("run/sub"));
    (void)dir.write("run/events.dat", "1 2 3 4\n");
    (void)dir.write("run/sub/deep.csv", "x,y,z,t\n");
    const std::string setup = dir.file("run/a.ini");
    struct Case {
        std::string written, expected;
    };
    const Case cases[] = {
        {"events.dat", dir.file("run/events.dat")},
        {"sub/deep.csv", dir.file("run/sub/deep.csv")},
        {"missing.dat", "missing.dat"},          // from the working folder, as before
        {"/abs/events.dat", "/abs/events.dat"},  // an absolute path as it stands
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EventPathBesideSetup(c.written, setup), c.expected) << c.written;
    }
}

}  // namespace
}  // namespace korvane
