#pragma once
// Reading and writing numbers as text, independent of the process locale.
//
// Every number that Korvane reads from a file or a box, and every number it writes into a
// file, a box or a picture, goes through these functions: a desktop session under a German
// locale must still read "1.5" as one and a half and write it with a point.

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// '0' to '9', whatever the locale.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number at the start of `text`, read by the classic atof rule: leading white
// space is skipped, then an optional sign, digits, an optional point with digits and an
// optional exponent; reading stops at the first character that does not fit. Text without a
// number reads as 0. No hexadecimal, no "inf" or "nan". A value too large for a double
// reads as an infinity of its sign.
double ReadDecimal(std::string_view text);

// How many characters of `text` ReadDecimal consumes (white space included); 0 when the
// text holds no number at its start.
std::size_t DecimalExtent(std::string_view text);

// A finite number filling the whole of `text`, nothing before or after it; none for anything
// else (an empty text, a word, "1.5x", a number too large for a double).
std::optional<double> NumberFillingText(std::string_view text);

// printf("%.<decimals>f", value) in the "C" locale ("%.03f" is decimals = 3, "%.0lf" is 0).
std::string FormatFixed(double value, int decimals);

// printf("%e", value) in the "C" locale: 1.000000e+03.
std::string FormatExponent(double value);

// FormatExponent(value) when that text reads back as the same number; otherwise the
// shortest exponent form that does (1.7000864005e+09), so that no digit is lost.
std::string FormatExponentExact(double value);

// The shortest text that reads back as exactly `value` ("0.1", "1700086400.5", "1e-07").
std::string FormatShortest(double value);

// The value truncated toward zero to a 32-bit integer; values beyond the range are clamped
// to it and NaN gives 0, so no input is undefined behaviour.
int TruncateToInt(double value);

// printf("%d", TruncateToInt(value)).
std::string FormatInteger(double value);

}  // namespace korvane
