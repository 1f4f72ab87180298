#include "events/EventFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <opencv2/core.hpp>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/HugePages.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"
#include "common/TextLines.h"

namespace korvane {
namespace {

// Commas turned into points before a line is split, so that a decimal comma works in every
// field; a further comma stays and ends the number that holds it.
constexpr int CommasTurnedIntoPoints = 5;
// The weight source of a line without a fifth field.
constexpr double NoNumber = std::numeric_limits<double>::quiet_NaN();
// How many lines without a fifth field are named.
constexpr std::size_t NamedMissingLines = 5;

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

// One line of an event file as read on its own: what it holds does not depend on the lines
// before it, so the lines of a block are read on several cores and added in order after.
struct EventLine {
    enum class Kind : char { Skipped, Event, Refused };
    Kind kind = Kind::Skipped;
    bool weighted = false;   // a fifth field: the event's weight source
    bool delimited = false;  // refused, but four or more fields split by another separator
    EventRecord row;
    double weightSource = 0.0;
};

// A refused line that splits into four or more fields at commas (before they became points),
// ';', '|' or blanks: a catalogue rather than a broken event file.
bool LooksDelimited(std::string_view line, int commas) {
    if (commas >= 3 || std::count(line.begin(), line.end(), ';') >= 3 ||
        std::count(line.begin(), line.end(), '|') >= 3) {
        return true;
    }
    int fields = 0;
    for (std::size_t pos = 0; pos < line.size();) {
        const std::size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        ++fields;
        pos = line.find_first_of(" \t", start);
    }
    return fields >= 4;
}

// A line is handed over without its line feed, and may be rewritten in place (the comma
// rule), which is why it arrives as a mutable range.
EventLine ReadEventLine(char* begin, std::size_t length) {
    EventLine line;
    if (length > 0 && begin[length - 1] == '\r') {
        --length;  // the carriage return of a CR LF line end
    }
    if (length < 2) {
        return line;
    }
    char* const end = begin + length;
    char* searchFrom = begin;
    int commas = 0;
    for (; commas < CommasTurnedIntoPoints; ++commas) {
        char* comma = std::find(searchFrom, end, ',');
        if (comma == end) {
            break;
        }
        *comma = '.';
        searchFrom = comma + 1;  // every comma before this one is already a point
    }

    char* const tab1 = std::find(begin, end, '\t');
    char* const tab2 = tab1 == end ? end : std::find(tab1 + 1, end, '\t');
    char* const tab3 = tab2 == end ? end : std::find(tab2 + 1, end, '\t');
    if (tab3 == end) {
        const std::string_view text(begin, length);
        line.kind = IsBlankLine(text) ? EventLine::Kind::Skipped : EventLine::Kind::Refused;
        line.delimited = line.kind == EventLine::Kind::Refused && LooksDelimited(text, commas);
        return line;
    }
    line.kind = EventLine::Kind::Event;
    // x, y and z each run up to the next TAB; the TAB that opens a field is white space
    // that the number reader skips. The time runs to the end of the line: a fourth TAB
    // stops its number like any other character that is not part of one.
    line.row.x = ReadDecimal(std::string_view(begin, tab1 - begin));
    line.row.y = ReadDecimal(std::string_view(tab1, tab2 - tab1));
    line.row.z = ReadDecimal(std::string_view(tab2, tab3 - tab2));
    line.row.t = ReadDecimal(std::string_view(tab3, end - tab3));
    // A fifth field is the event's weight source (a weight or a magnitude); an empty one is
    // none.
    char* const tab4 = std::find(tab3 + 1, end, '\t');
    if (tab4 != end && !IsBlankLine(std::string_view(tab4, end - tab4))) {
        line.weighted = true;
        line.weightSource = ReadDecimal(std::string_view(tab4, end - tab4));
    }
    return line;
}

// Fills the table a block of lines at a time.
class EventLineReader {
  public:
    // `fileBytes`: the file's size, from which the table foresees its rows.
    EventLineReader(EventTable& table, const std::string& path, long long maxEvents,
                    long long fileBytes, MissingFifthFields* missing)
        : m_table(table),
          m_path(path),
          m_maxEvents(maxEvents),
          m_fileBytes(fileBytes),
          m_missing(missing) {}

    // False when the file must be refused; message() then says why.
    bool AddLines(std::vector<TextLine>& lines) {
        // Below this many lines a block is read on the caller's thread alone.
        constexpr int LinesWorthSharing = 256;
        const int count = static_cast<int>(lines.size());
        m_read.resize(lines.size());
        const auto readRange = [&](const cv::Range& range) {
            for (int i = range.start; i < range.end; ++i) {
                m_read[i] = ReadEventLine(lines[i].begin, lines[i].length);
            }
        };
        if (count < LinesWorthSharing) {
            readRange(cv::Range(0, count));
        } else {
            cv::parallel_for_(cv::Range(0, count), readRange);
        }
        for (int i = 0; i < count; ++i) {
            m_bytesSeen += static_cast<long long>(lines[i].length) + 1;
            if (!AddLine(m_read[i])) {
                return false;
            }
        }
        return true;
    }

    bool AddLine(const EventLine& line) {
        ++m_lineNumber;
        if (line.kind == EventLine::Kind::Skipped) {
            return true;
        }
        if (line.kind == EventLine::Kind::Refused) {
            m_message = "Line " + std::to_string(m_lineNumber) + " of the event file " +
                        Quoted(m_path) +
                        " does not hold the four values x, y, z and t separated by TABs.";
            if (line.delimited) {
                m_message +=
                    " It looks like a catalogue: read it with \"Import Catalogue\" (File "
                    "menu), or with korvane-batch --columns or --format-preset.";
            }
            return false;
        }
        if (m_table.count >= m_maxEvents) {
            m_message = "The event file " + Quoted(m_path) + " holds more than " +
                        std::to_string(m_maxEvents) +
                        " events, more than this computer's memory can take for a "
                        "calculation; at most " +
                        std::to_string(m_maxEvents) + " can be read.";
            return false;
        }
        if (static_cast<std::size_t>(m_table.count) == m_table.rows.size() && !Grow()) {
            return false;
        }
        m_table.rows[static_cast<std::size_t>(m_table.count)] = line.row;
        if (line.weighted) {
            m_table.weightSource.resize(static_cast<std::size_t>(m_table.count), NoNumber);
            m_table.weightSource.push_back(line.weightSource);
        } else if (m_missing != nullptr) {
            if (m_missing->firstLines.size() < NamedMissingLines) {
                m_missing->firstLines.push_back(m_lineNumber);
            }
            ++m_missing->count;
        }
        ++m_table.count;
        return true;
    }

    const std::string& message() const { return m_message; }
    long long linesRead() const { return m_lineNumber; }

  private:
    // Room for more rows, within the budget: as many as the rest of the file holds at the
    // rate of the lines so far (and an eighth more at least, so that a poor forecast still
    // grows the table geometrically), so that a long file is moved once rather than at every
    // doubling: each move copies every row and briefly holds both tables. Without a forecast
    // the table doubles. False, with the message, when the memory runs out.
    bool Grow() {
        const long long have = static_cast<long long>(m_table.rows.size());
        long long wanted = std::max<long long>(2 * have, 1024);
        const double foreseen = ForeseenRows();
        if (foreseen > static_cast<double>(have)) {
            const double most = static_cast<double>(m_maxEvents);
            wanted = std::max(have + have / 8, static_cast<long long>(std::min(foreseen, most)));
        }
        wanted = std::min(wanted, m_maxEvents);
        try {
            // A fresh buffer on huge pages, where the rows so far are copied and the rest
            // made ready.
            std::vector<EventRecord> grown;
            grown.reserve(static_cast<std::size_t>(wanted));
            PreferHugePages(grown.data(), grown.capacity() * sizeof(EventRecord));
            grown.insert(grown.end(), m_table.rows.begin(), m_table.rows.end());
            grown.resize(static_cast<std::size_t>(wanted));
            m_table.rows.swap(grown);
        } catch (const std::bad_alloc&) {
            m_message =
                "The event file " + Quoted(m_path) +
                " holds more events than the memory can hold: " + std::to_string(m_table.count) +
                " were read when it ran out.";
            return false;
        } catch (const std::length_error&) {
            m_message = "The event file " + Quoted(m_path) + " holds more events than can be read.";
            return false;
        }
        return true;
    }

    // The rows the whole file holds at the rate of the lines so far; 0 before any line.
    double ForeseenRows() const {
        if (m_bytesSeen <= 0 || m_fileBytes <= m_bytesSeen) {
            return 0.0;
        }
        const double rowsPerByte =
            static_cast<double>(m_table.count) / static_cast<double>(m_bytesSeen);
        return m_table.count +
               rowsPerByte * static_cast<double>(m_fileBytes - m_bytesSeen) * ForeseenMargin +
               1024.0;
    }

    EventTable& m_table;
    const std::string& m_path;
    long long m_maxEvents;
    // A little more than the lines so far foresee, for lines a little shorter further on.
    static constexpr double ForeseenMargin = 1.02;

    long long m_fileBytes;
    MissingFifthFields* m_missing;
    long long m_bytesSeen = 0;  // of the lines added, with their line ends
    long long m_lineNumber = 0;
    std::string m_message;
    std::vector<EventLine> m_read;  // the lines of the block, read
};

// An event file is read in blocks of a mebibyte: some thirty thousand lines, which the cores
// share (a block of 64 KiB left the second core waiting on the first's reading).
constexpr std::size_t EventBlockBytes = std::size_t{1} << 20;

Status ReadLines(int fd, const std::string& path, EventTable& table, long long maxEvents,
                 long long fileBytes, RunObserver* observer, MissingFifthFields* missing) {
    EventLineReader reader(table, path, maxEvents, fileBytes, missing);
    bool refused = false;
    const Status status = ForEachTextBlock(
        fd, {path, "event file", ": an event file holds one event of four numbers per line"},
        observer, [&](std::vector<TextLine>& lines) { return reader.AddLines(lines); }, &refused,
        EventBlockBytes);
    return refused ? Status::InvalidInput(reader.message()) : status;
}

// The marks of a file's content that a write, a truncation or a replacement changes.
struct FileMarks {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};

FileMarks MarksOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

bool SameMarks(const FileMarks& a, const FileMarks& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

// A regular file read to its end must still be the file under its name, unchanged since it
// was opened: otherwise the table may hold part of one version and part of another, or a
// file that is no longer there. Ok, or the message.
Status CheckUnchanged(int fd, const std::string& path, const FileMarks& opened) {
    struct stat now {};
    struct stat named {};
    const bool changed = fstat(fd, &now) != 0 || !SameMarks(MarksOf(now), opened);
    if (stat(path.c_str(), &named) != 0) {
        return Status::IoError("The event file " + Quoted(path) +
                               " was removed or renamed while it was read; nothing was "
                               "calculated from it.");
    }
    if (changed || !SameMarks(MarksOf(named), opened)) {
        return Status::IoError("The event file " + Quoted(path) +
                               " changed while it was read; nothing was calculated from it. "
                               "Calculate again once it is complete.");
    }
    return Status::Ok();
}

}  // namespace

long long EventMemoryBudget() {
    constexpr long long BytesPerEvent = 200;
    const long long pages = sysconf(_SC_PHYS_PAGES);
    const long long pageSize = sysconf(_SC_PAGE_SIZE);
    long long memory = pages > 0 && pageSize > 0 ? pages * pageSize : (1LL << 32);
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        memory = std::min(memory, static_cast<long long>(limit.rlim_cur));
    }
    // The event count is an int throughout the engine.
    return std::min<long long>(memory / 2 / BytesPerEvent, INT_MAX / 2);
}

Status ReadEventFile(const std::string& path, EventTable& table, long long maxEvents,
                     RunObserver* observer, MissingFifthFields* missing) {
    if (missing != nullptr) {
        *missing = MissingFifthFields();
    }
    table.count = 0;
    table.weightSource.clear();
    table.weights.clear();
    // A table left large by a long file shrinks back when a short one follows.
    if (table.rows.size() > static_cast<std::size_t>(InitialEventRows)) {
        std::vector<EventRecord>(InitialEventRows).swap(table.rows);
    }
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "event file", file); !opened.ok()) {
        return opened;
    }
    const int fd = file.get();
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return Status::IoError("The event file " + Quoted(path) + " could not be read (" +
                               ErrorText(errno) + ").");
    }
    const FileMarks opened = MarksOf(info);
    if (observer != nullptr) {
        observer->PhaseStarted(RunPhase::Reading, info.st_size);
    }
    Status status = Status::Ok();
    try {
        status = ReadLines(fd, path, table, maxEvents, info.st_size, observer, missing);
        if (status.ok()) {
            status = CheckUnchanged(fd, path, opened);
        }
    } catch (const std::bad_alloc&) {
        status =
            Status::InvalidInput("The event file " + Quoted(path) +
                                 " could not be read: not enough memory for one of its lines.");
    }
    if (!status.ok()) {
        table.count = 0;
        table.weightSource.clear();
    } else if (!table.weightSource.empty()) {
        table.weightSource.resize(static_cast<std::size_t>(table.count), NoNumber);
    }
    return status;
}

}  // namespace korvane
