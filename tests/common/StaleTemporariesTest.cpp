// What a killed run leaves behind: temporaries no writer holds any more. They are removed;
// a living writer's temporary, look-alikes and anything of someone else's are not.
// Only the temporaries of targets the cleaner's caller writes are taken for its own.

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

// The files of a space series, as the series' cleaner claims them.
TemporaryKind SpaceSeriesFiles(std::string_view target) {
    return target == "space.json" || target == "space0002.bmp" || target == "space0005.tiff"
               ? TemporaryKind::File
               : TemporaryKind::NotOurs;
}

TEST(StaleTemporaries, OnlyLeftoversOfTheCallersOwnTargetsGo) {
    TempDir dir;
    TempDir outside;
    const std::string victim = outside.write("victim", "not yours");
    dir.write("space0001.bmp", "a picture");
    dir.write(".space0002.bmp.0123456789abcdef", "half a picture");  // killed mid-write
    dir.write(".space.json.0123456789abcdef", "half an index");
    // Look-alikes that are not ours to remove: other programs' hidden files and folders with
    // a hex suffix, a link named like our own temporary, a folder where a file belongs, names
    // off the pattern, a temporary of a target the caller does not claim.
    dir.write(".settings.0123456789abcdef", "someone's");
    fs::create_directories(dir.path() / ".backup.fedcba9876543210/inner");
    dir.write(".backup.fedcba9876543210/inner/file", "someone's");
    fs::create_symlink(victim, dir.path() / ".space0005.tiff.0123456789abcdef");
    fs::create_directories(dir.path() / ".space0002.bmp.1111111111111111");
    dir.write(".Setup.ini.12345", "someone's");
    dir.write(".Setup.ini.0123456789abcdef", "another writer's");
    dir.write("notes.0123456789abcdef", "someone's");

    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), SpaceSeriesFiles), 2);
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{
                  ".Setup.ini.0123456789abcdef", ".Setup.ini.12345", ".backup.fedcba9876543210",
                  ".settings.0123456789abcdef", ".space0002.bmp.1111111111111111",
                  ".space0005.tiff.0123456789abcdef", "notes.0123456789abcdef", "space0001.bmp"}));
    EXPECT_EQ(ReadWholeFile(victim), "not yours");
    EXPECT_TRUE(fs::exists(dir.path() / ".backup.fedcba9876543210/inner/file"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.file("missing"), SpaceSeriesFiles), 0);
}

// A movie's private folder goes only when it holds at most its one movie file.
TEST(StaleTemporaries, AMoviesFolderGoesOnlyWithNothingButItsMovie) {
    TempDir dir;
    const auto movie = OnlyTarget(dir.file("film.avi"), TemporaryKind::Folder);
    fs::create_directory(dir.path() / ".film.avi.00000000deadbeef");
    dir.write(".film.avi.00000000deadbeef/movie.avi", "half a movie");
    fs::create_directory(dir.path() / ".film.avi.1111111111111111");
    dir.write(".film.avi.1111111111111111/movie.avi", "half a movie");
    dir.write(".film.avi.1111111111111111/notes", "someone's");
    dir.write(".film.avi.2222222222222222", "a file where the folder belongs");
    fs::create_directory(dir.path() / ".other.avi.00000000deadbeef");  // another movie's

    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), movie), 1);
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{".film.avi.1111111111111111", ".film.avi.2222222222222222",
                                        ".other.avi.00000000deadbeef"}));
    // A long name is claimed by the part of it that its temporaries keep.
    const std::string longName(200, 'm');
    EXPECT_EQ(TemporaryTarget("." + KeptTargetName(longName + ".avi") + ".0123456789abcdef"),
              KeptTargetName(longName + ".avi"));
    EXPECT_EQ(OnlyTarget(dir.file(longName + ".avi"),
                         TemporaryKind::Folder)(KeptTargetName(longName + ".avi")),
              TemporaryKind::Folder);
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

    const auto both = [](std::string_view target) {
        return target == "space0001.bmp"
                   ? TemporaryKind::File
                   : (target == "movie.avi" ? TemporaryKind::Folder : TemporaryKind::NotOurs);
    };
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), both), 0);
    ASSERT_TRUE(file.Commit().ok());
    EXPECT_EQ(ReadWholeFile(dir.file("space0001.bmp")), "picture");
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), both), 0);
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
    const auto times = [](std::string_view) { return TemporaryKind::File; };
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), times), 1);
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(dead));
    ::close(fd);
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), times), 1);
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}

}  // namespace
}  // namespace korvane
