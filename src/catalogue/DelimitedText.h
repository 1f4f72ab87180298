#pragma once
// The delimited text of a catalogue: a line split into fields (quoted fields as RFC 4180 has
// them), the separator a header line shows, and the numbers and lines the reader tells apart.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// `text` without the blanks around it (and a line end's carriage return).
std::string_view TrimmedField(std::string_view text);

// Splits a line into fields. Quoted fields (RFC 4180) lose their quotes, and a doubled quote
// inside becomes one, in scratch strings of the splitter (one per field, reused from line to
// line): a view into them holds until the next Split.
class FieldSplitter {
  public:
    // `separator` ' ' takes runs of blanks (and TABs) as one.
    void Split(std::string_view line, char separator, std::vector<std::string_view>& fields);

  private:
    // The quoted field that opens at `open`; returns the position after its closing quote.
    std::size_t Quoted(std::string_view line, std::size_t open, std::size_t index,
                       std::vector<std::string_view>& fields);

    // A deque: a field added later never moves the text of one that a view already holds.
    std::deque<std::string> m_scratch;
};

// The separator of a header line: the most frequent of TAB, '|', ';' and ',' outside
// quotes, or runs of blanks (' ') when there is none of them.
char DetectSeparator(std::string_view line);

// A number filling the whole field (blanks around it allowed); a decimal comma is read as a
// point where `decimalComma` is set.
bool ReadNumber(std::string_view field, bool decimalComma, double* out);

// True when a field of the line starts with a number.
bool LineHoldsANumber(std::string_view line);

// A line of blanks only, or a comment ('#' first).
bool IsCommentOrBlank(std::string_view line);

}  // namespace korvane
