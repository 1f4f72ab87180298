#include "picture/ColourScale.h"

namespace korvane {

namespace {

// The colour scale as three doubles, blue, green, red. The third of the maximum is kept in
// single precision, as the pictures have always used it; every comparison and component is
// then computed in double with that float promoted.
struct Bgr {
    double blue, green, red;
};

inline Bgr ColourOf(double v, float maximum) {
    const float third = maximum / 3.0f;
    const double t = third;
    if (v == 0) {
        return {0.0, 0.0, 0.0};
    }
    if (v > 0 && v <= t) {
        return {255 * v / t, 0.0, 0.0};
    }
    if (v > t && v <= 2 * t) {
        return {255 - 255 * (v - t) / t, 255 * (v - t) / t, 0.0};
    }
    if (v > 2 * t && v <= 3 * t) {
        return {0.0, 255 - 255 * (v - 2 * t) / t, 255 * (v - 2 * t) / t};
    }
    if (v > 3 * t) {
        return {0.0, 0.0, 255.0};
    }
    // Negative densities are white. A NaN density fails every comparison above; it gets the
    // same white rather than an undefined colour.
    return {255.0, 255.0, 255.0};
}

}  // namespace

cv::Scalar DensityToColour(double density, float maximum) {
    const Bgr c = ColourOf(density, maximum);
    return cv::Scalar(c.blue, c.green, c.red, 0.0);
}

cv::Vec3b DensityToPixel(double density, float maximum) {
    const Bgr c = ColourOf(density, maximum);
    return cv::Vec3b(cv::saturate_cast<uchar>(c.blue), cv::saturate_cast<uchar>(c.green),
                     cv::saturate_cast<uchar>(c.red));
}

}  // namespace korvane
