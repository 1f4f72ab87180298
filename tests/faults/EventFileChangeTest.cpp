// An event file that another program writes, replaces or removes while it is read: a clear
// message and an empty table, never a table of half a file or of two versions.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "events/EventFile.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

std::string Lines(int count) {
    std::string text;
    for (int n = 0; n < count; ++n) {
        text += "1.5\t2.5\t3.5\t" + std::to_string(n) + "\n";
    }
    return text;
}

bool Says(const Status& status, const std::string& words) {
    return status.message().find(words) != std::string::npos;
}

// Reads `path` until `enough` reads failed with `words` (or 100 reads), while `disturb`
// runs on a thread of its own; every read that succeeds must hold one whole version
// (`accept`), every failure must leave the table empty.
template <typename Disturb, typename Accept>
int ReadsThatSaw(const std::string& path, const std::string& words, Disturb disturb,
                 Accept accept) {
    std::atomic<bool> stop{false};
    std::thread other([&] {
        while (!stop) {
            disturb();
        }
    });
    EventTable table;
    int seen = 0;
    for (int read = 0; read < 100 && seen < 3; ++read) {
        const Status status = ReadEventFile(path, table);
        if (status.ok()) {
            EXPECT_TRUE(accept(table.count)) << table.count << " events";
        } else {
            EXPECT_EQ(table.count, 0);
            seen += Says(status, words) ? 1 : 0;
        }
    }
    stop = true;
    other.join();
    return seen;
}

TEST(ChangingEventFile, LinesAddedDuringTheReadAreNoticed) {
    TempDir dir;
    const std::string path = dir.write("events.dat", Lines(200000));
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string line = "9\t9\t9\t9\n";
    const int seen = ReadsThatSaw(
        path, "changed while it was read",
        [&] {
            EXPECT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        },
        // A read that no append overlapped holds the whole file of that moment.
        [](int count) { return count >= 200000; });
    ::close(fd);
    EXPECT_EQ(seen, 3);
}

// Another program saves a new version under the name (a new file renamed onto it): a read
// holds one whole version, or says the file changed.
TEST(ChangingEventFile, AFileReplacedDuringTheReadIsNoticed) {
    TempDir dir;
    const std::string path = dir.write("events.dat", Lines(100000));
    const std::string shorter = Lines(99999);
    const std::string longer = Lines(100000);
    bool flip = false;
    const int seen = ReadsThatSaw(
        path, "changed while it was read",
        [&] {
            dir.write("next.dat", (flip = !flip) ? shorter : longer);
            std::filesystem::rename(dir.file("next.dat"), path);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        [](int count) { return count == 99999 || count == 100000; });
    EXPECT_GE(seen, 1);
}

TEST(ChangingEventFile, AFileRemovedDuringTheReadIsNoticed) {
    TempDir dir;
    const std::string content = Lines(300000);
    const std::string path = dir.write("events.dat", content);
    int removed = 0;
    EventTable table;
    for (int attempt = 0; attempt < 40 && removed == 0; ++attempt) {
        dir.write("events.dat", content);
        std::thread remover([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + attempt % 5));
            std::remove(path.c_str());
        });
        const Status status = ReadEventFile(path, table);
        remover.join();
        if (!status.ok()) {
            EXPECT_EQ(table.count, 0);
            EXPECT_TRUE(Says(status, "could not be opened") ||
                        Says(status, "was removed or renamed while it was read"))
                << status.message();
            removed += Says(status, "removed or renamed") ? 1 : 0;
        } else {
            EXPECT_EQ(table.count, 300000);
        }
    }
    EXPECT_EQ(removed, 1);
}

}  // namespace
}  // namespace korvane::testing
