// The event file reader on arbitrary bytes: it never crashes or writes past the table, a
// refused file leaves the table empty with a reason, and an accepted file holds exactly the
// events of a line-by-line model of the format.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "common/NumberText.h"
#include "events/EventFile.h"

using korvane::EventRecord;
using korvane::fuzzing::Require;

namespace {

// A small event budget, so that inputs reach both the growing of the table and the refusal.
constexpr int FuzzBudget = 60000;

// The events of `text` by the format's rules, or false when the file must be refused (NUL
// bytes in the first kilobyte, a line that is not blank and has not the four TAB-separated
// fields, or too many events). Lines end in LF (a CR before it dropped), or in CR alone
// when the first line of the first 64 KiB read ends so; a UTF-8 byte-order mark is skipped.
bool ModelEvents(std::string_view text, std::vector<EventRecord>& events) {
    events.clear();
    if (text.substr(0, 1024).find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string_view head = text.substr(0, 1 << 16);
    const std::size_t firstCr = head.find('\r');
    const std::size_t firstLf = head.find('\n');
    const char lineEnd = firstCr != std::string_view::npos &&
                                 (firstLf == std::string_view::npos || firstCr < firstLf) &&
                                 firstCr + 1 < head.size() && head[firstCr + 1] != '\n'
                             ? '\r'
                             : '\n';
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t feed = text.find(lineEnd);
        std::string line(text.substr(0, feed));
        text = feed == std::string_view::npos ? std::string_view() : text.substr(feed + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 2)
            continue;
        for (int i = 0, from = 0; i < 5; ++i) {
            const std::size_t comma = line.find(',', static_cast<std::size_t>(from));
            if (comma == std::string::npos)
                break;
            line[comma] = '.';
            from = static_cast<int>(comma) + 1;
        }
        const std::size_t t1 = line.find('\t');
        const std::size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        const std::size_t t3 = t2 == std::string::npos ? t2 : line.find('\t', t2 + 1);
        if (t3 == std::string::npos) {
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                continue;
            return false;
        }
        if (events.size() >= static_cast<std::size_t>(FuzzBudget))
            return false;
        const std::string_view l(line);
        events.push_back(
            {korvane::ReadDecimal(l.substr(0, t1)), korvane::ReadDecimal(l.substr(t1, t2 - t1)),
             korvane::ReadDecimal(l.substr(t2, t3 - t2)), korvane::ReadDecimal(l.substr(t3))});
    }
    return true;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static korvane::EventTable table;
    static std::vector<EventRecord> expected;
    // A table left full by the previous input must be emptied by the reading.
    table.count = static_cast<int>(table.rows.size());

    const std::string& path = korvane::fuzzing::WriteScratchFile(data, size);
    const korvane::Status status = korvane::ReadEventFile(path, table, FuzzBudget);

    Require(table.count >= 0 && table.count <= FuzzBudget &&
                static_cast<std::size_t>(table.count) <= table.rows.size(),
            "count out of range");
    const bool accepted =
        ModelEvents(std::string_view(reinterpret_cast<const char*>(data), size), expected);
    if (!status.ok()) {
        Require(table.count == 0, "a refused file left events in the table");
        Require(!status.message().empty(), "a refused file without a reason");
        Require(!accepted, "a well-formed file was refused");
        return 0;
    }
    Require(accepted, "a file the format refuses was read");
    Require(table.count == static_cast<int>(expected.size()), "wrong number of events");
    for (int i = 0; i < table.count; ++i) {
        const EventRecord& got = table.rows[static_cast<std::size_t>(i)];
        const EventRecord& want = expected[static_cast<std::size_t>(i)];
        Require(SameBits(got.x, want.x) && SameBits(got.y, want.y) && SameBits(got.z, want.z) &&
                    SameBits(got.t, want.t),
                "an event differs from the model");
    }
    return 0;
}
