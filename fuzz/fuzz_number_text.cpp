// The number reader and the formatters against a plain model: the reader's extent against a
// character-by-character scan of the classic rule, its value against the C library's
// conversion of exactly that text in the "C" locale, and every formatter against printf.

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "common/NumberText.h"

using korvane::fuzzing::Fail;
using korvane::fuzzing::Require;

namespace {

bool Space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// [begin, end) of the number the classic rule reads; end == 0 when there is none.
void ModelScan(std::string_view s, std::size_t& begin, std::size_t& end) {
    std::size_t i = 0;
    while (i < s.size() && Space(s[i]))
        ++i;
    begin = i;
    end = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && Digit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && Digit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && Digit(s[j])) {
            while (j < s.size() && Digit(s[j]))
                ++j;
            i = j;
        }
    }
    end = i;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Printf(const char* format, double value) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    Require(n >= 0 && n < static_cast<int>(sizeof buffer), "printf model overflow");
    return std::string(buffer, static_cast<std::size_t>(n));
}

void CheckFormatters(double value) {
    static const char* const fixed[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f"};
    for (int decimals = 0; decimals <= 4; ++decimals) {
        const std::string ours = korvane::FormatFixed(value, decimals);
        if (ours != Printf(fixed[decimals], value)) {
            Fail("FormatFixed(" + Printf("%.17g", value) + ", " + std::to_string(decimals) +
                 ") gave " + ours + ", printf " + Printf(fixed[decimals], value));
        }
    }
    const std::string exponent = korvane::FormatExponent(value);
    if (exponent != Printf("%e", value)) {
        Fail("FormatExponent(" + Printf("%.17g", value) + ") gave " + exponent);
    }
    int truncated = 0;
    if (std::isnan(value)) {
        truncated = 0;
    } else if (value >= 2147483647.0) {
        truncated = 2147483647;
    } else if (value <= -2147483648.0) {
        truncated = -2147483647 - 1;
    } else {
        truncated = static_cast<int>(value);
    }
    Require(korvane::TruncateToInt(value) == truncated, "TruncateToInt differs from the model");
    char integer[32];
    std::snprintf(integer, sizeof integer, "%d", truncated);
    Require(korvane::FormatInteger(value) == integer, "FormatInteger differs from printf %d");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::size_t begin = 0;
    std::size_t end = 0;
    ModelScan(text, begin, end);
    Require(korvane::DecimalExtent(text) == end, "DecimalExtent differs from the model scan");

    double expected = 0.0;
    if (end != 0) {
        const std::string number(text.substr(begin, end - begin));
        char* stop = nullptr;
        expected = std::strtod(number.c_str(), &stop);
        Require(stop == number.c_str() + number.size(), "the model number is not all read");
    }
    const double value = korvane::ReadDecimal(text);
    if (!SameBits(value, expected)) {
        Fail("ReadDecimal gave " + Printf("%.17g", value) + ", the model " +
             Printf("%.17g", expected));
    }
    Require(!std::isnan(value), "ReadDecimal gave NaN");

    CheckFormatters(value);
    // The raw bytes as a double too, for NaN, infinities and subnormals.
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckFormatters(raw);
    }
    return 0;
}
