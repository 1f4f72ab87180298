#include "catalogue/DelimitedText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/NumberText.h"

namespace korvane {

std::string_view TrimmedField(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

void FieldSplitter::Split(std::string_view line, char separator,
                          std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t index = 0;
    std::size_t pos = 0;
    if (separator == ' ') {
        for (;;) {
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
                ++pos;
            }
            if (pos >= line.size()) {
                return;
            }
            if (line[pos] == '"') {
                pos = Quoted(line, pos, index++, fields);
                while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
                    ++pos;
                }
                continue;
            }
            const std::size_t start = pos;
            while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
                ++pos;
            }
            fields.push_back(line.substr(start, pos - start));
            ++index;
        }
    }
    for (;;) {
        std::size_t start = pos;
        while (start < line.size() && line[start] == ' ') {
            ++start;
        }
        if (start < line.size() && line[start] == '"') {
            pos = Quoted(line, start, index++, fields);
            // Anything between the closing quote and the separator is dropped.
            const std::size_t next = line.find(separator, pos);
            if (next == std::string_view::npos) {
                return;
            }
            pos = next + 1;
            continue;
        }
        const std::size_t next = line.find(separator, pos);
        fields.push_back(
            line.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos));
        ++index;
        if (next == std::string_view::npos) {
            return;
        }
        pos = next + 1;
    }
}

std::size_t FieldSplitter::Quoted(std::string_view line, std::size_t open, std::size_t index,
                                  std::vector<std::string_view>& fields) {
    std::size_t pos = open + 1;
    const std::size_t close = line.find('"', pos);
    if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '"') {
        // No doubled quote: the field is the text between the quotes.
        const std::size_t end = close == std::string_view::npos ? line.size() : close;
        fields.push_back(line.substr(pos, end - pos));
        return end == line.size() ? end : end + 1;
    }
    if (m_scratch.size() <= index) {
        m_scratch.resize(index + 1);
    }
    std::string& text = m_scratch[index];
    text.clear();
    while (pos < line.size()) {
        if (line[pos] == '"') {
            if (pos + 1 < line.size() && line[pos + 1] == '"') {
                text += '"';
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        text += line[pos++];
    }
    fields.push_back(text);
    return pos;
}

// The separator of a header line: the most frequent of TAB, '|', ';' and ',' outside
// quotes, or runs of blanks when there is none of them.
char DetectSeparator(std::string_view line) {
    constexpr char candidates[] = {'\t', '|', ';', ','};
    int counts[4] = {0, 0, 0, 0};
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        }
        for (int i = 0; i < 4 && !quoted; ++i) {
            counts[i] += c == candidates[i] ? 1 : 0;
        }
    }
    const int best = static_cast<int>(std::max_element(counts, counts + 4) - counts);
    return counts[best] > 0 ? candidates[best] : ' ';
}

bool ReadNumber(std::string_view field, bool decimalComma, double* out) {
    field = TrimmedField(field);
    if (field.empty() || field.size() > 64) {
        return false;
    }
    char buffer[64];
    if (decimalComma && field.find(',') != std::string_view::npos) {
        std::memcpy(buffer, field.data(), field.size());
        std::replace(buffer, buffer + field.size(), ',', '.');
        field = std::string_view(buffer, field.size());
    }
    if (DecimalExtent(field) != field.size()) {
        return false;
    }
    *out = ReadDecimal(field);
    return std::isfinite(*out);
}

bool LineHoldsANumber(std::string_view line) {
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        if (DecimalExtent(line.substr(pos)) > 0) {
            return true;
        }
        // Only the start of a field counts: skip to the next separator-like character.
        while (pos < line.size() && line[pos] != '\t' && line[pos] != ',' && line[pos] != ';' &&
               line[pos] != '|' && line[pos] != ' ') {
            ++pos;
        }
    }
    return false;
}

bool IsCommentOrBlank(std::string_view line) {
    line = TrimmedField(line);
    return line.empty() || line.front() == '#';
}

}  // namespace korvane
