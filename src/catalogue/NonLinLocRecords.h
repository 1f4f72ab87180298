#pragma once
// NonLinLoc's hypocenter files (.hyp): one block per location, from an "NLLOC" line to
// "END_NLLOC". Each block becomes one row of the fixed columns below, from its GEOGRAPHIC
// line (calendar time, latitude, longitude, depth in km) and its HYPOCENTER line (the
// location grid's own x, y and z in km, for those who want them), so the rest of the
// catalogue reader handles it as a text catalogue. A block whose location was not made
// ("REJECTED", "ABORTED") is no event.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The columns of every row, split by blanks.
inline constexpr const char* NonLinLocColumns =
    "year month day hour minute second lat lon depth gridx gridy gridz";

class NonLinLocRows {
  public:
    // A block's row and the line of its NLLOC line; `skipReason` set for a block that
    // holds no location. False stops the reading.
    using Emit = std::function<bool(std::string_view row, long long line, const char* skipReason)>;

    explicit NonLinLocRows(Emit emit) : m_emit(std::move(emit)) {}

    // One line of the file, without its line end, and its number from 1.
    bool TakeLine(std::string_view line, long long number);
    // The end of the file: a block without its END_NLLOC line still counts.
    bool Finish();

  private:
    bool EmitBlock();

    Emit m_emit;
    bool m_inBlock = false;
    bool m_located = false;
    long long m_blockLine = 0;
    std::string m_geographic;  // "year month day hour minute second lat lon depth"
    std::string m_grid;        // "x y z"
};

// The words of a line split by blanks, TABs and carriage returns.
std::vector<std::string_view> BlankSeparatedWords(std::string_view line);

// True when the first line that is not blank starts with "NLLOC".
bool LooksLikeNonLinLoc(std::string_view head);

}  // namespace korvane
