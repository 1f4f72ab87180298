#include "reference/ReferenceRules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace korvane::reference {

double Coordinate(const EventRecord& e, int column) {
    if (column == 0) {
        return e.x;
    }
    if (column == 1) {
        return e.y;
    }
    if (column == 2) {
        return e.z;
    }
    return e.t;
}

Axes AxesOf(int direction) {
    if (direction == 0) {
        return {1, 2, 0};  // y across, z up, x in depth
    }
    if (direction == 1) {
        return {0, 2, 1};  // x across, z up, y in depth
    }
    return {0, 1, 2};  // x across, y up, z in depth
}

long double Weight(long double d, double radius, bool gaussian) {
    if (!gaussian) {
        return 1.0L;
    }
    const long double x = d / radius * 2.506628L;
    return std::exp(-0.5L * (x * x));
}

float ToSingle(double value) {
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    // The largest float is (2 - 2^-23) 2^127; half a step above it, (2 - 2^-24) 2^127, is
    // where rounding to nearest reaches 2^128, an infinity.
    const double largest = std::numeric_limits<float>::max();
    const double overflow = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
    if (value >= overflow) {
        return std::numeric_limits<float>::infinity();
    }
    if (value <= -overflow) {
        return -std::numeric_limits<float>::infinity();
    }
    if (value > largest) {
        return std::numeric_limits<float>::max();
    }
    if (value < -largest) {
        return -std::numeric_limits<float>::max();
    }
    return static_cast<float>(value);
}

cv::Scalar Colour(double v, float m) {
    const float third = m / 3.0f;
    const double t = third;
    if (v == 0) {
        return cv::Scalar(0, 0, 0, 0);
    }
    if (0 < v && v <= t) {
        return cv::Scalar(255 * v / t, 0, 0, 0);
    }
    if (t < v && v <= 2 * t) {
        return cv::Scalar(255 - 255 * (v - t) / t, 255 * (v - t) / t, 0, 0);
    }
    if (2 * t < v && v <= 3 * t) {
        return cv::Scalar(0, 255 - 255 * (v - 2 * t) / t, 255 * (v - 2 * t) / t, 0);
    }
    if (v > 3 * t) {
        return cv::Scalar(0, 0, 255, 0);
    }
    // v < 0; a density that is not a number fails every test above and is white as well.
    return cv::Scalar(255, 255, 255, 0);
}

namespace {

uchar ToByte(double c) {
    double whole = std::floor(c);
    const double rest = c - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole = whole + 1;
    }
    if (!(whole >= 0)) {
        return 0;
    }
    if (whole > 255) {
        return 255;
    }
    return static_cast<uchar>(whole);
}

}  // namespace

cv::Vec3b Pixel(double density, float m) {
    const cv::Scalar c = Colour(density, m);
    return cv::Vec3b(ToByte(c[0]), ToByte(c[1]), ToByte(c[2]));
}

std::string PictureName(const std::string& prefix, int n) {
    std::string digits;
    int rest = n;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + rest % 10));
        rest = rest / 10;
    } while (rest > 0);
    std::string zeros;
    if (n < 10) {
        zeros = "000";
    } else if (n < 100) {
        zeros = "00";
    } else if (n < 1000) {
        zeros = "0";
    }
    return prefix + zeros + digits + ".bmp";
}

std::vector<std::string> NumberedNames(const std::string& prefix, int count) {
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n) {
        names.push_back(PictureName(prefix, n));
    }
    return names;
}

std::string FixedText(double value, int decimals) {
    char text[400];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (end.ec != std::errc()) {
        return "(too long)";
    }
    return std::string(text, end.ptr);
}

}  // namespace korvane::reference
