// Files the program reads are opened without blocking and only as regular files: a pipe, a
// device or a folder where a file belongs is named at once, never waited on.

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

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

// A pipe hands its bytes over in the pieces they were written in: one read takes what is
// there (a short read), ReadUpTo keeps reading to the end; a failed read stops it with its errno.
TEST(ReadableFile, ReadUpToTakesShortReadsToTheEndAndNamesAFailure) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        for (const char* piece : {"12", "345", "6789"}) {
            ASSERT_EQ(::write(ends[1], piece, std::char_traits<char>::length(piece)),
                      static_cast<long>(std::char_traits<char>::length(piece)));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::close(ends[1]);
    });
    char buffer[16] = {};
    const long first = ReadSome(ends[0], buffer, sizeof buffer);
    ASSERT_GT(first, 0);
    const std::size_t taken = static_cast<std::size_t>(first);
    int error = -1;
    EXPECT_EQ(ReadUpTo(ends[0], buffer + taken, sizeof buffer - taken, &error), 9 - taken);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(std::string(buffer), "123456789");
    writer.join();
    ::close(ends[0]);
    EXPECT_EQ(ReadUpTo(-1, buffer, sizeof buffer, &error), 0u);
    EXPECT_EQ(error, EBADF);
}

}  // namespace
}  // namespace korvane
