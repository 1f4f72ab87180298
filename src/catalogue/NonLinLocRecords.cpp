#include "catalogue/NonLinLocRecords.h"

#include <array>
#include <vector>

namespace korvane {
namespace {

// The `count` words after `key` joined by blanks, "-" for each one missing.
std::string After(const std::vector<std::string_view>& words, std::string_view key, int count) {
    std::size_t at = 0;
    while (at < words.size() && words[at] != key) {
        ++at;
    }
    std::string text;
    for (int i = 1; i <= count; ++i) {
        const std::size_t index = at + static_cast<std::size_t>(i);
        text += i > 1 ? " " : "";
        text += index < words.size() && at < words.size() ? std::string(words[index]) : "-";
    }
    return text;
}

// "NLLOC "grid0" "LOCATED" "Location completed."": the second quoted text.
bool SaysLocated(std::string_view line) {
    std::size_t quote = 0;
    int opened = 0;
    while ((quote = line.find('"', quote)) != std::string_view::npos) {
        const std::size_t close = line.find('"', quote + 1);
        if (close == std::string_view::npos) {
            return false;
        }
        if (++opened == 2) {
            return line.substr(quote + 1, close - quote - 1) == "LOCATED";
        }
        quote = close + 1;
    }
    return false;
}

bool StartsWithWord(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word &&
           (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t' ||
            line[word.size()] == '\r');
}

}  // namespace

bool NonLinLocRows::TakeLine(std::string_view line, long long number) {
    if (StartsWithWord(line, "NLLOC")) {
        if (m_inBlock && !EmitBlock()) {
            return false;
        }
        m_inBlock = true;
        m_located = SaysLocated(line);
        m_blockLine = number;
        m_geographic.clear();
        m_grid.clear();
    } else if (!m_inBlock) {
        return true;
    } else if (StartsWithWord(line, "GEOGRAPHIC")) {
        const std::vector<std::string_view> words = BlankSeparatedWords(line);
        m_geographic = After(words, "OT", 6) + ' ' + After(words, "Lat", 1) + ' ' +
                       After(words, "Long", 1) + ' ' + After(words, "Depth", 1);
    } else if (StartsWithWord(line, "HYPOCENTER")) {
        const std::vector<std::string_view> words = BlankSeparatedWords(line);
        m_grid = After(words, "x", 1) + ' ' + After(words, "y", 1) + ' ' + After(words, "z", 1);
    } else if (StartsWithWord(line, "END_NLLOC")) {
        m_inBlock = false;
        return EmitBlock();
    }
    return true;
}

bool NonLinLocRows::Finish() {
    if (!m_inBlock) {
        return true;
    }
    m_inBlock = false;
    return EmitBlock();
}

bool NonLinLocRows::EmitBlock() {
    if (!m_located) {
        return m_emit("", m_blockLine, "not located");
    }
    const std::string row = (m_geographic.empty() ? "- - - - - - - - -" : m_geographic) + ' ' +
                            (m_grid.empty() ? "- - -" : m_grid);
    return m_emit(row, m_blockLine, nullptr);
}

std::vector<std::string_view> BlankSeparatedWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

bool LooksLikeNonLinLoc(std::string_view head) {
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && StartsWithWord(head.substr(first), "NLLOC");
}

}  // namespace korvane
