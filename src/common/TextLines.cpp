#include "common/TextLines.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

#include "common/ReadableFile.h"

namespace korvane {
namespace {

// The first kilobyte tells plain text from text with NUL bytes (UTF-16, UTF-32, binary).
constexpr std::size_t EncodingProbeBytes = 1024;

// True when the first line of `head` ends in a carriage return alone: a file of the old
// Macintosh kind, whose every line ends so.
bool EndsLinesWithCarriageReturns(std::string_view head) {
    const std::size_t cr = head.find('\r');
    const std::size_t lf = head.find('\n');
    return cr != std::string_view::npos && (lf == std::string_view::npos || cr < lf) &&
           cr + 1 < head.size() && head[cr + 1] != '\n';
}

std::string Named(const TextFileNames& names) {
    return "The " + std::string(names.noun) + " \"" + names.path + "\"";
}

}  // namespace

Status ForEachTextLine(int fd, const TextFileNames& names, RunObserver* observer,
                       const TakeTextLine& take, bool* stopped) {
    return ForEachTextBlock(
        fd, names, observer,
        [&](std::vector<TextLine>& lines) {
            for (const TextLine& line : lines) {
                if (!take(line.begin, line.length)) {
                    return false;
                }
            }
            return true;
        },
        stopped);
}

Status ForEachTextBlock(int fd, const TextFileNames& names, RunObserver* observer,
                        const TakeTextLines& take, bool* stopped, std::size_t blockBytes) {
    // A line that spans blocks is carried over into the next.
    const std::size_t blockSize = std::max<std::size_t>(blockBytes, 1);
    if (stopped != nullptr) {
        *stopped = false;
    }
    const auto stop = [&] {
        if (stopped != nullptr) {
            *stopped = true;
        }
        return Status::Ok();
    };
    PhaseTicker ticker(observer, 1);  // every block
    long long bytesRead = 0;
    long long lines = 0;
    // Holds the unfinished line at its start, followed by the block just read.
    std::string buffer;
    buffer.reserve(2 * blockSize);
    std::size_t carried = 0;
    std::vector<TextLine> whole;  // the whole lines of the block
    bool firstBlock = true;
    char lineEnd = '\n';
    for (;;) {
        if (ticker.Tick(bytesRead)) {
            return Status::Cancelled();
        }
        if (buffer.size() < carried + blockSize) {
            buffer.resize(carried + blockSize);
        }
        const long got = ReadSome(fd, buffer.data() + carried, blockSize);
        if (got < 0) {
            return Status::IoError(Named(names) + " could not be read (" +
                                   std::generic_category().message(errno) + ").");
        }
        if (got == 0) {
            break;
        }
        bytesRead += got;
        char* const data = buffer.data();
        const std::size_t filled = carried + static_cast<std::size_t>(got);
        std::size_t lineStart = 0;
        if (firstBlock) {
            firstBlock = false;
            const std::string_view head(data, filled);
            const std::string reason = NotPlainTextReason(head.substr(0, EncodingProbeBytes));
            if (!reason.empty()) {
                return Status::InvalidInput(Named(names) + " cannot be read: " + reason + ".");
            }
            lineStart = ByteOrderMarkLength(head);
            lineEnd = EndsLinesWithCarriageReturns(head) ? '\r' : '\n';
        }
        // Only the new bytes can hold a line end: the carried part had none.
        std::size_t scanFrom = std::max(carried, lineStart);
        whole.clear();
        for (;;) {
            void* found = std::memchr(data + scanFrom, lineEnd, filled - scanFrom);
            if (found == nullptr) {
                break;
            }
            const std::size_t end = static_cast<std::size_t>(static_cast<char*>(found) - data);
            ++lines;
            whole.push_back({data + lineStart, end - lineStart});
            lineStart = end + 1;
            scanFrom = lineStart;
        }
        if (!whole.empty() && !take(whole)) {
            return stop();
        }
        carried = filled - lineStart;
        if (carried > MaximumLineBytes) {
            return Status::InvalidInput("Line " + std::to_string(lines + 1) + " of the " +
                                        std::string(names.noun) + " \"" + names.path +
                                        "\" is longer than 1 MB without a line end" +
                                        std::string(names.longLineHint) + ".");
        }
        if (lineStart > 0 && carried > 0) {
            std::memmove(data, data + lineStart, carried);
        }
    }
    if (carried > 0) {  // the last line, without its end
        whole.assign(1, {buffer.data(), carried});
        if (!take(whole)) {
            return stop();
        }
    }
    return Status::Ok();
}

}  // namespace korvane
