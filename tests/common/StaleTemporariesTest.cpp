// What a killed run leaves behind: temporaries no writer holds any more. They are removed;
// a living writer's temporary, look-alikes and anything of someone else's are not.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/AtomicFile.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::FolderNames;
using testing::ReadWholeFile;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(StaleTemporaries, OnlyTheProgramsOwnPatternCounts) {
    EXPECT_TRUE(IsTemporaryName(".space0001.bmp.0123456789abcdef"));
    EXPECT_TRUE(IsTemporaryName(".a.ffffffffffffffff"));
    for (const char* other : {"space0001.bmp.0123456789abcdef",  // not hidden
                              "..0123456789abcdef",              // no name
                              ".space0001.bmp.0123456789ABCDEF", ".space0001.bmp.0123456789abcde",
                              ".space0001.bmp-0123456789abcdef", ".space0001.bmp.0123456789abcdeg",
                              ".config", ".movie.avi.XyZ123", ""}) {
        EXPECT_FALSE(IsTemporaryName(other)) << other;
    }
}

TEST(StaleTemporaries, LeftoversGoAndEverythingElseStays) {
    TempDir dir;
    TempDir outside;
    const std::string victim = outside.write("victim", "not yours");
    dir.write("space0001.bmp", "a picture");
    dir.write(".space0002.bmp.0123456789abcdef", "half a picture");    // killed mid-write
    fs::create_directory(dir.path() / ".movie.avi.00000000deadbeef");  // a killed movie
    dir.write(".movie.avi.00000000deadbeef/movie.avi", "half a movie");
    // Look-alikes that are not ours to remove: a link (to a file elsewhere), a folder with
    // something other than files in it, names off the pattern.
    fs::create_symlink(victim, dir.path() / ".space0003.bmp.0123456789abcdef");
    fs::create_directories(dir.path() / ".x.1111111111111111/inner");
    dir.write(".Setup.ini.12345", "someone's");
    dir.write("notes.0123456789abcdef", "someone's");

    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 2);
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{".Setup.ini.12345", ".space0003.bmp.0123456789abcdef",
                                        ".x.1111111111111111", "notes.0123456789abcdef",
                                        "space0001.bmp"}));
    EXPECT_EQ(ReadWholeFile(victim), "not yours");
    EXPECT_TRUE(fs::exists(dir.path() / ".x.1111111111111111/inner"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.file("missing")), 0);
}

// A writer at work keeps its temporary (file or folder) and still commits; once it is
// gone, nothing of it is left for a cleaner.
TEST(StaleTemporaries, ALivingWritersTemporaryStays) {
    TempDir dir;
    AtomicFile file(dir.file("space0001.bmp"));
    ASSERT_TRUE(file.Create().ok());
    ASSERT_TRUE(file.Write("picture").ok());
    TemporaryFolder movie(dir.file("movie.avi"));
    ASSERT_TRUE(movie.Create().ok());
    const std::string folderName = fs::path(movie.file()).parent_path().filename().string();
    EXPECT_TRUE(IsTemporaryName(folderName)) << folderName;
    EXPECT_TRUE(IsTemporaryName(fs::path(file.temporaryPath()).filename().string()));

    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 0);
    ASSERT_TRUE(file.Commit().ok());
    EXPECT_EQ(ReadWholeFile(dir.file("space0001.bmp")), "picture");
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 0);
    EXPECT_TRUE(fs::exists(movie.file()) || fs::exists(fs::path(movie.file()).parent_path()));
}

// A temporary whose writer died (its lock went with it) is stale even though its name and
// owner are right; a lock held elsewhere (another process's writer) keeps it.
TEST(StaleTemporaries, TheLockTellsALivingWriterFromADeadOne) {
    TempDir dir;
    const std::string held = dir.write(".time0001.bmp.aaaaaaaaaaaaaaaa", "being written");
    const std::string dead = dir.write(".time0002.bmp.bbbbbbbbbbbbbbbb", "left behind");
    const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 1);
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(dead));
    ::close(fd);
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 1);
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}

}  // namespace
}  // namespace korvane
