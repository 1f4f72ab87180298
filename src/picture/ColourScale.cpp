#include "picture/ColourScale.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "picture/ColourMapTables.h"

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

namespace {

using Steps = std::array<std::array<unsigned char, 3>, 256>;

// The classic scale and the grey ramp in 256 steps, red, green, blue.
Steps ClassicSteps() {
    Steps steps{};
    for (int i = 0; i < 256; ++i) {
        const cv::Vec3b p = DensityToPixel(static_cast<double>(i), 255.0f);
        steps[static_cast<std::size_t>(i)] = {p[2], p[1], p[0]};
    }
    return steps;
}

Steps GreySteps() {
    Steps steps{};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<unsigned char>(i);
        steps[static_cast<std::size_t>(i)] = {v, v, v};
    }
    return steps;
}

const Steps& StepsOf(ColourMap map) {
    static const Steps classic = ClassicSteps();
    static const Steps grey = GreySteps();
    switch (map) {
        case ColourMap::Viridis:
            return ViridisColours;
        case ColourMap::Inferno:
            return InfernoColours;
        case ColourMap::Cividis:
            return CividisColours;
        case ColourMap::Grey:
            return grey;
        case ColourMap::Classic:
            break;
    }
    return classic;
}

struct LinearPlace {
    static double Of(double v) { return v; }
};
struct LogPlace {
    static double Of(double v) { return std::log1p(v); }
};
struct SqrtPlace {
    static double Of(double v) { return std::sqrt(v); }
};

// The step of `density` on scale `Place`: 0 for no density, 255 at or above the maximum; -1
// for a negative or NaN density. A maximum of 0 puts every positive density at the top.
template <class Place>
int StepOf(double density, float maximum) {
    if (!(density >= 0)) {
        return -1;
    }
    const double top = Place::Of(static_cast<double>(maximum));
    const double t = top > 0 ? Place::Of(density) / top : (density > 0 ? 1.0 : 0.0);
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * 255));
}

template <ColourMap Map, class Place>
cv::Vec3b MappedPixel(double density, float maximum) {
    static const Steps& steps = StepsOf(Map);
    const int step = StepOf<Place>(density, maximum);
    if (step < 0) {
        return cv::Vec3b(255, 255, 255);
    }
    const auto& c = steps[static_cast<std::size_t>(step)];
    return cv::Vec3b(c[2], c[1], c[0]);
}

template <ColourMap Map, class Place>
cv::Scalar MappedColour(double density, float maximum) {
    const cv::Vec3b p = MappedPixel<Map, Place>(density, maximum);
    return cv::Scalar(p[0], p[1], p[2], 0.0);
}

template <ColourMap Map, class Place>
ColourFunction FunctionOf() {
    return {MappedPixel<Map, Place>, MappedColour<Map, Place>};
}

template <ColourMap Map>
ColourFunction FunctionOf(DensityScale scale) {
    switch (scale) {
        case DensityScale::Log:
            return FunctionOf<Map, LogPlace>();
        case DensityScale::Sqrt:
            return FunctionOf<Map, SqrtPlace>();
        case DensityScale::Linear:
            break;
    }
    return FunctionOf<Map, LinearPlace>();
}

constexpr std::array<std::string_view, 5> MapNames = {"classic", "viridis", "inferno", "cividis",
                                                      "grey"};
constexpr std::array<std::string_view, 3> ScaleNames = {"linear", "log", "sqrt"};

}  // namespace

std::string_view ColourMapName(ColourMap map) {
    return MapNames[static_cast<std::size_t>(map)];
}

std::optional<ColourMap> ColourMapNamed(std::string_view name) {
    for (std::size_t i = 0; i < MapNames.size(); ++i) {
        if (MapNames[i] == name) {
            return static_cast<ColourMap>(i);
        }
    }
    return std::nullopt;
}

std::string_view DensityScaleName(DensityScale scale) {
    return ScaleNames[static_cast<std::size_t>(scale)];
}

std::optional<DensityScale> DensityScaleNamed(std::string_view name) {
    for (std::size_t i = 0; i < ScaleNames.size(); ++i) {
        if (ScaleNames[i] == name) {
            return static_cast<DensityScale>(i);
        }
    }
    return std::nullopt;
}

ColourFunction ColourFunctionOf(ColourMap map, DensityScale scale) {
    switch (map) {
        case ColourMap::Classic:
            return scale == DensityScale::Linear ? ColourFunction{}
                                                 : FunctionOf<ColourMap::Classic>(scale);
        case ColourMap::Viridis:
            return FunctionOf<ColourMap::Viridis>(scale);
        case ColourMap::Inferno:
            return FunctionOf<ColourMap::Inferno>(scale);
        case ColourMap::Cividis:
            return FunctionOf<ColourMap::Cividis>(scale);
        case ColourMap::Grey:
            return FunctionOf<ColourMap::Grey>(scale);
    }
    return {};
}

std::vector<BarLabel> ColourBarLabels(DensityScale scale, double maximum) {
    std::vector<BarLabel> labels;
    if (scale != DensityScale::Log) {
        for (int j = 0; j <= 5; ++j) {
            const double at = j / 5.0;
            labels.push_back({at, (scale == DensityScale::Sqrt ? at : 1.0) * at * maximum});
        }
        return labels;
    }
    labels.push_back({0.0, 0.0});
    const double top = std::log1p(maximum);
    if (top > 0) {
        // The decades from a thousandth up, below the maximum.
        for (int k = -3; k <= 300; ++k) {
            const double decade = std::pow(10.0, k);
            if (!(decade < maximum)) {
                break;
            }
            labels.push_back({std::log1p(decade) / top, decade});
        }
    }
    labels.push_back({1.0, maximum});
    return labels;
}

}  // namespace korvane
