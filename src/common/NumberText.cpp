#include "common/NumberText.h"

#include <locale.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <system_error>

namespace korvane {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The "C" locale, created once; strtod_l with it never looks at the process locale.
locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

struct Extent {
    std::size_t numberBegin = 0;  // first character after the white space
    std::size_t end = 0;          // one past the last character of the number; 0 if none
};

Extent ScanDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    Extent extent;
    extent.numberBegin = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return extent;  // no number: end stays 0
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    extent.end = i;
    return extent;
}

}  // namespace

std::size_t DecimalExtent(std::string_view text) {
    return ScanDecimal(text).end;
}

std::optional<double> NumberFillingText(std::string_view text) {
    if (text.empty() || DecimalExtent(text) != text.size()) {
        return std::nullopt;
    }
    const double value = ReadDecimal(text);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A decimal without sign or exponent whose digits, point removed, form a whole number of at
// most 2^53 and that has at most 22 digits after the point: both that number and the power
// of ten are doubles exactly, so one division rounds exactly as the full readers do. Most
// catalogue numbers are of this kind; false sends the rest to the full readers.
bool ReadShortDecimal(std::string_view number, double& magnitude) {
    constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::size_t MostDigits = 19;  // below 2^64 whatever they are
    constexpr std::uint64_t LargestExact = std::uint64_t{1} << 53;
    std::uint64_t whole = 0;
    std::size_t digits = 0;
    std::size_t afterPoint = 0;
    bool point = false;
    for (const char c : number) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c) || ++digits > MostDigits) {
            return false;
        }
        whole = whole * 10 + static_cast<std::uint64_t>(c - '0');
        afterPoint += point ? 1 : 0;
    }
    if (whole > LargestExact || afterPoint >= std::size(PowersOfTen)) {
        return false;
    }
    magnitude = static_cast<double>(whole) / PowersOfTen[afterPoint];
    return true;
}

double ReadDecimal(std::string_view text) {
    const Extent extent = ScanDecimal(text);
    if (extent.end == 0) {
        return 0.0;
    }
    // The scan has already fixed which characters form the number, so hexadecimal forms,
    // "inf" and "nan" can never reach the converters. from_chars rounds exactly as strtod
    // does but takes no '+' and leaves values outside the double range to us; those rare
    // ones go to strtod_l (infinity, or the nearest subnormal or zero), which needs a copy
    // for its terminating NUL.
    std::string_view number = text.substr(extent.numberBegin, extent.end - extent.numberBegin);
    const bool negative = number.front() == '-';
    if (number.front() == '+' || negative) {
        number.remove_prefix(1);
    }
    double magnitude = 0.0;
    if (ReadShortDecimal(number, magnitude)) {
        return negative ? -magnitude : magnitude;
    }
    const auto [rest, error] =
        std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (error != std::errc() || rest != number.data() + number.size()) {
        magnitude = strtod_l(std::string(number).c_str(), nullptr, ClassicLocale());
    }
    return negative ? -magnitude : magnitude;
}

std::string FormatFixed(double value, int decimals) {
    // The longest fixed form of a double has 309 integer digits; decimals are small here.
    char buffer[400 + 64];
    if (decimals < 0) {
        decimals = 0;
    }
    if (decimals > 60) {
        decimals = 60;
    }
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string FormatExponent(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6);
    return std::string(buffer, result.ptr);
}

std::string FormatExponentExact(double value) {
    std::string text = FormatExponent(value);
    if (!std::isfinite(value) || ReadDecimal(text) == value) {
        return text;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    return std::string(buffer, result.ptr);
}

std::string FormatShortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

int TruncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return INT_MAX;
    }
    if (value <= -2147483648.0) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string FormatInteger(double value) {
    return std::to_string(TruncateToInt(value));
}

}  // namespace korvane
