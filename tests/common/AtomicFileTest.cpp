// The one writer of every file the program makes: whole or not at all, never through a
// name someone else planted beside the target.

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/AtomicFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

// Sets the process's umask for one scope.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : m_old(umask(mask)) {}
    ~ScopedUmask() { umask(m_old); }

  private:
    mode_t m_old;
};

// What the replaceable write call saw: the file it wrote (found through /proc), and whether
// the target already existed at that moment.
struct WriteLog {
    std::vector<std::string> files;
    std::string target;
    bool targetSeenEarly = false;
};
WriteLog* writeLog = nullptr;

ssize_t RecordingWrite(int fd, const void* data, std::size_t size) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::error_code error;
    writeLog->files.push_back(fs::read_symlink(link, error).string());
    if (fs::exists(writeLog->target, error)) {
        writeLog->targetSeenEarly = true;
    }
    return ::write(fd, data, size);
}

// At most three bytes per call, and every other call is interrupted before it writes.
ssize_t ChoppyWrite(int fd, const void* data, std::size_t size) {
    static int calls = 0;
    if (++calls % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    return ::write(fd, data, size < 3 ? size : 3);
}

// Writes four bytes, then fails as on a full disk.
int fullDiskCalls = 0;
ssize_t FullDiskWrite(int fd, const void* data, std::size_t) {
    if (fullDiskCalls++ == 0) {
        return ::write(fd, data, 4);
    }
    errno = ENOSPC;
    return -1;
}

ssize_t StuckWrite(int, const void*, std::size_t) {
    return 0;
}

std::string PictureText(const std::string& target, const std::string& reason) {
    return "Cannot write the picture " + target + ": " + reason;
}

TEST(AtomicFile, WritesUnderAHiddenRandomNameBesideTheTargetThenRenames) {
    TempDir dir;
    WriteLog seen;
    seen.target = dir.file("space0001.bmp");
    writeLog = &seen;
    AtomicFileOptions options;
    options.write = RecordingWrite;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(
            WriteFileAtomically(seen.target, "picture " + std::to_string(round), options).ok());
        EXPECT_EQ(ReadWholeFile(seen.target), "picture " + std::to_string(round));
        fs::remove(seen.target);
    }
    writeLog = nullptr;
    EXPECT_FALSE(seen.targetSeenEarly);  // the target appears only whole
    ASSERT_EQ(seen.files.size(), 3u);
    EXPECT_EQ(std::set<std::string>(seen.files.begin(), seen.files.end()).size(), 3u);
    for (const std::string& file : seen.files) {
        const fs::path temporary(file);
        EXPECT_EQ(temporary.parent_path(), fs::canonical(dir.path()));
        const std::string name = temporary.filename().string();
        EXPECT_EQ(name.rfind(".space0001.bmp.", 0), 0u) << name;
        EXPECT_GE(name.size(), std::string(".space0001.bmp.").size() + 16) << name;
        EXPECT_NE(name.substr(name.size() - 4), ".bmp") << name;
    }
    EXPECT_TRUE(NamesIn(dir.path()).empty());
}

TEST(AtomicFile, ShortAndInterruptedWritesStillWriteEveryByte) {
    TempDir dir;
    const std::string bytes(1000, 'x');
    AtomicFileOptions options;
    options.write = ChoppyWrite;
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.ini"), bytes + "end", options).ok());
    EXPECT_EQ(ReadWholeFile(dir.file("a.ini")), bytes + "end");
}

// Pieces, more than one system call takes and some empty, land in their order whether they
// are gathered or each goes through a choppy write.
TEST(AtomicFile, PiecesAreWrittenInTheirOrder) {
    TempDir dir;
    std::vector<std::string> texts;
    std::string expected;
    for (int k = 0; k < 2500; ++k) {
        texts.push_back(k % 7 == 0 ? std::string() : std::to_string(k) + ",");
        expected += texts.back();
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    ASSERT_TRUE(WriteFileAtomically(dir.file("gathered.bmp"), pieces).ok());
    EXPECT_EQ(ReadWholeFile(dir.file("gathered.bmp")), expected);
    AtomicFileOptions options;
    options.write = ChoppyWrite;
    ASSERT_TRUE(WriteFileAtomically(dir.file("choppy.bmp"), pieces, options).ok());
    EXPECT_EQ(ReadWholeFile(dir.file("choppy.bmp")), expected);
}

// A write that fails part-way leaves the older target as it was and no temporary file, and
// the message names the target and the system's reason, in the caller's words.
TEST(AtomicFile, FailedWriteKeepsTheOlderTargetAndLeavesNoTemporary) {
    TempDir dir;
    const std::string target = dir.write("space0001.bmp", "older picture");
    struct Case {
        WriteCall write;
        std::string reason;
    };
    for (const Case& c :
         {Case{FullDiskWrite, "No space left on device"}, Case{StuckWrite, "Input/output error"}}) {
        fullDiskCalls = 0;
        AtomicFileOptions options;
        options.write = c.write;
        options.failureText = PictureText;
        const Status status = WriteFileAtomically(target, std::string(100, 'n'), options);
        EXPECT_EQ(status.code(), Status::Code::IoError);
        EXPECT_EQ(status.message(), "Cannot write the picture " + target + ": " + c.reason);
        EXPECT_EQ(ReadWholeFile(target), "older picture");
        EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"space0001.bmp"});
    }
}

TEST(AtomicFile, FailuresToCreateOrRenameNameTheTargetAndTheReason) {
    TempDir dir;
    const std::string missing = dir.file("gone/Setup.ini");
    Status status = WriteFileAtomically(missing, "x");
    EXPECT_EQ(status.message(), "Cannot write " + missing + ": No such file or directory");

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directory(dir.path() / "movie.avi");
    status = WriteFileAtomically(dir.file("movie.avi"), "x");
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_EQ(status.message(), "Cannot write " + dir.file("movie.avi") + ": Is a directory");
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"movie.avi"});

    // Commit or Write without a file made: an error, not a crash.
    AtomicFile never(dir.file("never.ini"));
    EXPECT_FALSE(never.Write("x").ok());
    EXPECT_FALSE(never.Commit().ok());
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"movie.avi"});
}

TEST(AtomicFile, UncommittedFileIsRemovedWhenItGoes) {
    TempDir dir;
    std::string temporary;
    {
        AtomicFile file(dir.file("Setup.ini"));
        ASSERT_TRUE(file.Create().ok());
        ASSERT_TRUE(file.Write("half").ok());
        temporary = file.temporaryPath();
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_TRUE(NamesIn(dir.path()).empty());
}

// A new file gets the permissions of any new file (the umask applies); a save that keeps
// the old file's permissions gets exactly those, whatever the umask.
TEST(AtomicFile, PermissionsFollowTheUmaskOrAreKeptExactly) {
    TempDir dir;
    {
        ScopedUmask mask(022);
        ASSERT_TRUE(WriteFileAtomically(dir.file("a"), "a").ok());
        EXPECT_EQ(ModeOf(dir.file("a")), 0644u);
    }
    {
        ScopedUmask mask(077);
        ASSERT_TRUE(WriteFileAtomically(dir.file("b"), "b").ok());
        EXPECT_EQ(ModeOf(dir.file("b")), 0600u);
        AtomicFileOptions keep;
        keep.permissions = 0664;
        ASSERT_TRUE(WriteFileAtomically(dir.file("c"), "c", keep).ok());
        EXPECT_EQ(ModeOf(dir.file("c")), 0664u);
    }
}

// Links planted beside the target, dangling or pointing at a file outside the folder: the
// write goes past them, the file outside stays as it was, the target is a file of its own.
TEST(AtomicFile, LinksPlantedBesideTheTargetAreNeverFollowed) {
    TempDir dir;
    TempDir outside;
    const std::string victim = outside.write("victim", "not yours");
    const std::string danglingTarget = outside.file("created-through-a-link");
    const std::vector<std::string> planted = {"space0001.bmp.part", ".space0001.bmp",
                                              ".space0001.bmp.part", ".space0001.bmp.tmp"};
    for (std::size_t i = 0; i < planted.size(); ++i) {
        fs::create_symlink(i % 2 ? victim : danglingTarget, dir.path() / planted[i]);
    }
    ASSERT_TRUE(WriteFileAtomically(dir.file("space0001.bmp"), "the picture").ok());
    EXPECT_EQ(ReadWholeFile(victim), "not yours");
    EXPECT_FALSE(fs::exists(danglingTarget));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.file("space0001.bmp"))));
    EXPECT_EQ(ReadWholeFile(dir.file("space0001.bmp")), "the picture");
    for (const std::string& name : planted) {
        EXPECT_TRUE(fs::is_symlink(dir.path() / name)) << name;
    }
}

// Suffixes "0", "1", "2", ... so that a test knows the temporary names in advance.
int suffixCalls = 0;
std::string CountingSuffix() {
    return std::to_string(suffixCalls++);
}

// Whatever holds the name chosen (a link to a file outside, a dangling link, a file) is
// left alone and the next name is tried; after 100 taken names the write gives up.
TEST(AtomicFile, ATakenTemporaryNameIsNeverOpenedButPassedOver) {
    TempDir dir;
    TempDir outside;
    const std::string victim = outside.write("victim", "not yours");
    fs::create_symlink(victim, dir.path() / ".Setup.ini.0");
    fs::create_symlink(outside.file("dangling"), dir.path() / ".Setup.ini.1");
    dir.write(".Setup.ini.2", "someone's file");
    AtomicFileOptions options;
    options.nameSuffix = CountingSuffix;
    suffixCalls = 0;
    ASSERT_TRUE(WriteFileAtomically(dir.file("Setup.ini"), "the setup", options).ok());
    EXPECT_EQ(suffixCalls, 4);
    EXPECT_EQ(ReadWholeFile(dir.file("Setup.ini")), "the setup");
    EXPECT_EQ(ReadWholeFile(victim), "not yours");
    EXPECT_FALSE(fs::exists(fs::symlink_status(outside.file("dangling"))));
    EXPECT_EQ(ReadWholeFile(dir.file(".Setup.ini.2")), "someone's file");

    for (int n = 3; n < 100; ++n) {
        dir.write(".Setup.ini." + std::to_string(n), "");
    }
    suffixCalls = 0;
    const Status status = WriteFileAtomically(dir.file("Setup.ini"), "newer", options);
    EXPECT_EQ(status.message(), "Cannot write " + dir.file("Setup.ini") + ": File exists");
    EXPECT_EQ(ReadWholeFile(dir.file("Setup.ini")), "the setup");
}

TEST(TemporaryFolder, IsPrivateHiddenAndGoesInEveryCase) {
    TempDir dir;
    const std::string movie = dir.file("movie.avi");
    {
        TemporaryFolder folder(movie);
        ASSERT_TRUE(folder.Create().ok());
        const fs::path inside = fs::path(folder.file()).parent_path();
        EXPECT_EQ(inside.parent_path(), dir.path());
        EXPECT_EQ(inside.filename().string().rfind(".movie.avi.", 0), 0u);
        EXPECT_EQ(ModeOf(inside.string()), 0700u);
        EXPECT_EQ(fs::path(folder.file()).filename(), "movie.avi");
        // Left unfinished, with a file of the library's own inside.
        std::FILE* file = std::fopen(folder.file().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        std::FILE* extra = std::fopen((inside / "index").c_str(), "wb");
        ASSERT_NE(extra, nullptr);
        std::fclose(extra);
    }
    EXPECT_TRUE(NamesIn(dir.path()).empty());

    dir.write("movie.avi", "an older movie");
    {
        TemporaryFolder folder(movie, nullptr, "inner.avi");
        ASSERT_TRUE(folder.Create().ok());
        EXPECT_EQ(fs::path(folder.file()).filename(), "inner.avi");
        std::FILE* file = std::fopen(folder.file().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("the new movie", file);
        std::fclose(file);
        ASSERT_TRUE(folder.Commit().ok());
    }
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"movie.avi"});
    EXPECT_EQ(ReadWholeFile(movie), "the new movie");
}

TEST(TemporaryFolder, FailuresNameTheTargetAndTheReason) {
    TempDir dir;
    const std::string movie = dir.file("gone/movie.avi");
    TemporaryFolder folder(movie, [](const std::string& target, const std::string& reason) {
        return "The movie cannot be saved as \"" + target + "\" (" + reason + ").";
    });
    const Status status = folder.Create();
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_EQ(status.message(),
              "The movie cannot be saved as \"" + movie + "\" (No such file or directory).");

    // Nothing written inside: the rename fails and the folder still goes.
    {
        TemporaryFolder empty(dir.file("movie.avi"));
        ASSERT_TRUE(empty.Create().ok());
        EXPECT_FALSE(empty.Commit().ok());
    }
    EXPECT_TRUE(NamesIn(dir.path()).empty());
}

}  // namespace
}  // namespace korvane
