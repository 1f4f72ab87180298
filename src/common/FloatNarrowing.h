#pragma once
// Narrowing a double to single precision without undefined behaviour.

#include <cmath>
#include <limits>

namespace korvane {

// The double rounded to the nearest float, as the processor rounds it: values beyond the
// float range become the largest float or an infinity exactly where rounding would put them
// (a plain cast of such a value is undefined in C++). NaN stays NaN.
inline float NarrowToFloat(double value) {
    constexpr double Largest = std::numeric_limits<float>::max();
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (std::fabs(value) > Largest) {
        // Halfway between the largest float and 2^128 rounds to the even neighbour, 2^128.
        constexpr double Halfway = 0x1.ffffffp127;
        const float beyond = std::fabs(value) >= Halfway ? std::numeric_limits<float>::infinity()
                                                         : std::numeric_limits<float>::max();
        return value < 0 ? -beyond : beyond;
    }
    return static_cast<float>(value);
}

}  // namespace korvane
