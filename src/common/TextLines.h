#pragma once
// The line scanner of the text files the program reads as streams (event files,
// catalogues): blocks of 64 KiB (or as the reader asks), a line that spans blocks carried over, LF,
// CR LF or CR-only line ends, a UTF-8 byte-order mark passed over, text with NUL bytes and endless
// lines refused by name, and a reader that can be stopped between blocks. Lines come one at a time,
// or all the whole lines of a block at once.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/RunObserver.h"
#include "common/Status.h"

namespace korvane {

struct TextFileNames {
    const std::string& path;
    std::string_view noun;  // "event file", "catalogue"
    // Said after "Line N of the <noun> "<path>" is longer than 1 MB without a line end";
    // may be empty.
    std::string_view longLineHint;
};

// A line without its line end (a CR LF line keeps its CR); writable, so a reader may rewrite
// it in place. False stops the reading.
using TakeTextLine = std::function<bool(char* begin, std::size_t length)>;

struct TextLine {
    char* begin;
    std::size_t length;
};

// The whole lines of one block, in file order, as TakeTextLine has them; a reader may work on
// them together (on several cores). False stops the reading.
using TakeTextLines = std::function<bool(std::vector<TextLine>& lines)>;

// Hands every line of the regular file open as `fd` to `take`, the last one also without a
// line end. Ok when every line was taken or `take` stopped the reading (`*stopped` then
// true); Cancelled when `observer` (bytes read, every block; may be null) asks to stop;
// IoError when a read fails; InvalidInput for a file that is not plain text or a line over
// MaximumLineBytes.
Status ForEachTextLine(int fd, const TextFileNames& names, RunObserver* observer,
                       const TakeTextLine& take, bool* stopped = nullptr);

// The blocks of ForEachTextLine, in bytes.
inline constexpr std::size_t TextBlockBytes = std::size_t{1} << 16;

// The same reading, a block's lines at a time (the file's last line without a line end
// alone, after the others), in blocks of `blockBytes`: a reader that works on a block's lines
// on several cores asks for blocks large enough to share.
Status ForEachTextBlock(int fd, const TextFileNames& names, RunObserver* observer,
                        const TakeTextLines& take, bool* stopped = nullptr,
                        std::size_t blockBytes = TextBlockBytes);

}  // namespace korvane
