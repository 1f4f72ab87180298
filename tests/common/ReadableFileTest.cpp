// Files the program reads are opened without blocking and only as regular files: a pipe, a
// device or a folder where a file belongs is named at once, never waited on.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "common/ReadableFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

TEST(ReadableFile, OnlyARegularFileOpensAndEveryOtherKindIsNamed) {
    TempDir dir;
    const std::string file = dir.write("events.dat", "1\t2\t3\t4\n");
    const std::string pipe = dir.file("pipe.dat");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string path;
        Status::Code code;
        std::string message;
    } cases[] = {
        {file, Status::Code::Ok, ""},
        {dir.path().string(), Status::Code::InvalidInput,
         "\"" + dir.path().string() + "\" is a folder, not an event file."},
        {pipe, Status::Code::InvalidInput,
         "The event file \"" + pipe +
             "\" is not a regular file (it is a pipe, a device "
             "or a socket); only a regular file can be read."},
        {"/dev/zero", Status::Code::InvalidInput, "is not a regular file"},
        {dir.file("absent.dat"), Status::Code::IoError,
         "The event file \"" + dir.file("absent.dat") +
             "\" could not be opened (No such file or directory)."},
    };
    for (const auto& c : cases) {
        FileDescriptor opened;
        const Status status = OpenRegularFile(c.path, "event file", opened);
        EXPECT_EQ(status.code(), c.code) << c.path;
        EXPECT_NE(status.message().find(c.message), std::string::npos) << status.message();
        EXPECT_EQ(opened.valid(), status.ok()) << c.path;
    }
}

TEST(ReadableFile, NulBytesNameTheEncodingTheyLookLike) {
    using namespace std::string_literals;
    EXPECT_EQ(NotPlainTextReason("x\ty\tz\tt\n"), "");
    EXPECT_NE(NotPlainTextReason("\xFE\xFF\0x"s).find("UTF-16 text (big-endian)"),
              std::string::npos);
    EXPECT_NE(NotPlainTextReason("\0\0\xFE\xFF"s).find("UTF-32 text (big-endian)"),
              std::string::npos);
    EXPECT_EQ(ByteOrderMarkLength("\xEF\xBB\xBF"
                                  "1"),
              3u);
    EXPECT_EQ(ByteOrderMarkLength("1\t2"), 0u);
}

}  // namespace
}  // namespace korvane
