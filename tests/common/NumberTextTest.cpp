#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/NumberText.h"

namespace korvane {
namespace {

TEST(ReadDecimal, FollowsTheAtofRule) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1.5", 1.5},        {"  \t-2.25xyz", -2.25},
        {"+7", 7.0},         {"3e2", 300.0},
        {"3e", 3.0},         {"3e+", 3.0},
        {"2,5", 2.0},        {"1.2.3", 1.2},
        {"3-4", 3.0},        {".5", 0.5},
        {"5.", 5.0},         {"", 0.0},
        {".", 0.0},          {"-", 0.0},
        {"abc", 0.0},        {"0x1A", 0.0},
        {"inf", 0.0},        {"nan", 0.0},
        {"-infinity", 0.0},  {"1.000000e+003", 1000.0},
        {"\n\v\f\r 4", 4.0}, {"1E-2", 0.01},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadDecimal(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ReadDecimal, HugeValuesBecomeInfinityAndTinyOnesZero) {
    const std::string fourHundredDigits(400, '9');
    EXPECT_EQ(ReadDecimal(fourHundredDigits), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal("-" + fourHundredDigits), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal("1e-400"), 0.0);
    EXPECT_EQ(ReadDecimal("1e99999999999999999999"), std::numeric_limits<double>::infinity());
}

// Random decimal texts, long mantissas and extreme exponents included: the value must be the
// bits that the C library's reader gives (the program runs in the "C" locale here).
TEST(ReadDecimal, RoundsExactlyAsTheCLibrary) {
    std::mt19937_64 random(11);
    std::uniform_int_distribution<int> digitCount(1, 25);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-330, 330);
    std::uniform_int_distribution<int> coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string text = coin(random) == 0 ? "-" : (coin(random) == 0 ? "+" : "");
        for (int d = digitCount(random); d > 0; --d) {
            text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) != 0) {
            text += '.';
            for (int d = digitCount(random); d > 0; --d) {
                text += static_cast<char>('0' + digit(random));
            }
        }
        if (coin(random) != 0) {
            text += 'e' + std::to_string(exponent(random));
        }
        const double expected = std::strtod(text.c_str(), nullptr);
        const double actual = ReadDecimal(text);
        ASSERT_EQ(std::signbit(actual), std::signbit(expected)) << text;
        ASSERT_EQ(actual, expected) << text;
    }
}

// Catalogue numbers (up to 20 digits, the point anywhere, no exponent) are read by a short
// way where the digits fit a double exactly; at its edges and beyond, the bits must still be
// the C library's.
TEST(ReadDecimal, ShortDecimalsRoundAsTheCLibrary) {
    const char* edges[] = {
        "9007199254740992",         "9007199254740993",
        "900719925474099.3",        "18446744073709551615",
        "0.0000000000000000000001", "0.00000000000000000000001",
        "1234567890123456789",      "-0.000",
        "0.30000000000000004",      "000000000000000000012",
        "4503599627370497.5",       "123.4560000000000000000",
    };
    std::mt19937_64 random(5);
    std::uniform_int_distribution<int> digitCount(1, 20);
    std::uniform_int_distribution<int> digit(0, 9);
    std::vector<std::string> texts(std::begin(edges), std::end(edges));
    for (int i = 0; i < 200000; ++i) {
        std::string text = digit(random) == 0 ? "-" : "";
        const int digits = digitCount(random);
        std::uniform_int_distribution<int> pointAt(0, digits);
        const int point = digit(random) == 0 ? -1 : pointAt(random);
        for (int d = 0; d < digits; ++d) {
            text += d == point ? "." : "";
            text += static_cast<char>('0' + digit(random));
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const double expected = std::strtod(text.c_str(), nullptr);
        const double actual = ReadDecimal(text);
        ASSERT_EQ(std::signbit(actual), std::signbit(expected)) << text;
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST(ReadDecimal, ExtentStopsWhereTheNumberEnds) {
    EXPECT_EQ(DecimalExtent("  12.5e3abc"), 8u);
    EXPECT_EQ(DecimalExtent("12e+x"), 2u);
    EXPECT_EQ(DecimalExtent("x12"), 0u);
}

// The formatters must print what the C library prints in the "C" locale.
TEST(Format, MatchesTheCLibraryOnManyValues) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    char expected[512];
    for (int i = 0; i < 20000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 5 == 0) {
            value = std::round(value * 1000.0) / 1000.0 + 0.0005;  // near halfway cases
        }
        for (int decimals = 0; decimals <= 4; ++decimals) {
            std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
            ASSERT_EQ(FormatFixed(value, decimals), expected) << value;
        }
        std::snprintf(expected, sizeof expected, "%e", value);
        ASSERT_EQ(FormatExponent(value), expected) << value;
    }
    for (double value : {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 1e300, -1e-300, 1000.0}) {
        std::snprintf(expected, sizeof expected, "%.0f", value);
        EXPECT_EQ(FormatFixed(value, 0), expected);
        std::snprintf(expected, sizeof expected, "%.3f", value);
        EXPECT_EQ(FormatFixed(value, 3), expected);
        std::snprintf(expected, sizeof expected, "%e", value);
        EXPECT_EQ(FormatExponent(value), expected);
    }
}

TEST(Format, ExactExponentKeepsTodaysTextUnlessADigitWouldBeLost) {
    const std::pair<double, const char*> cases[] = {
        {1000.0, "1.000000e+03"},           {-0.25, "-2.500000e-01"},
        {1700086400.5, "1.7000864005e+09"}, {0.1 + 0.2, "3.0000000000000004e-01"},
        {1e-300, "1.000000e-300"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(FormatExponentExact(value), expected);
        EXPECT_EQ(ReadDecimal(FormatExponentExact(value)), value) << expected;
    }
}

TEST(Format, IntegerTruncatesTowardZeroAndClamps) {
    EXPECT_EQ(FormatInteger(640.9), "640");
    EXPECT_EQ(FormatInteger(-640.9), "-640");
    EXPECT_EQ(FormatInteger(1e12), "2147483647");
    EXPECT_EQ(FormatInteger(-1e12), "-2147483648");
    EXPECT_EQ(FormatInteger(std::nan("")), "0");
    EXPECT_EQ(TruncateToInt(std::numeric_limits<double>::infinity()), 2147483647);
}

// A German desktop session uses a decimal comma; nothing here may notice.
TEST(NumberText, IgnoresTheProcessLocale) {
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            german = name;
            break;
        }
    }
    if (german == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(ReadDecimal("1.5"), 1.5);
    EXPECT_EQ(ReadDecimal("1,5"), 1.0);
    EXPECT_EQ(FormatFixed(1.5, 3), "1.500");
    EXPECT_EQ(FormatExponent(1000.0), "1.000000e+03");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace korvane
