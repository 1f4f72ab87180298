#include "picture/ColourScale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "common/NumberText.h"
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

std::array<double, 3> ClassicThirds(float maximum) {
    const double t = maximum / 3.0f;
    return {t, 2 * t, 3 * t};
}

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

// The step of a density on a curved scale without a logarithm or root per pixel. For one
// maximum the steps rise with the density, so the density where each step begins (its edge)
// is found once by bisection. The library's logarithm is not correctly rounded, so right at
// an edge two neighbouring densities might fall on either side in either order: each step
// keeps a safe interval that stays 2^20 units in the last place inside its edges (far more
// than the logarithm's error can move a step), and a density outside every safe interval
// takes the direct computation. So every step is exactly what StepOf gives.
// The step of a density comes from a bucket of its bit pattern (non-negative doubles are
// ordered as their bit patterns), which holds an edge or two at most.
template <class Place>
class StepEdges {
  public:
    int StepOf(double density, float maximum) {
        if (!m_ready || !SameBits(m_maximum, maximum)) {
            // The table costs some thousands of logarithms: it is made for a maximum that
            // stays, not for callers that change it from one density to the next.
            m_seen = SameBits(m_candidate, maximum) ? m_seen + 1 : 1;
            m_candidate = maximum;
            if (m_seen < TableAfter) {
                return korvane::StepOf<Place>(density, maximum);
            }
            Prepare(maximum);
        }
        if (!m_usable) {
            return korvane::StepOf<Place>(density, maximum);
        }
        int step = 0;
        if (density >= m_edges[255]) {
            step = 255;
        } else if (density >= m_edges[1]) {
            // The bucket of the density's bit pattern gives the step at the bucket's start;
            // a bucket holds an edge or two at most.
            step = m_bucketStep[(Bits(density) - m_firstBits) >> m_bucketShift];
            while (m_edges[static_cast<std::size_t>(step) + 1] <= density) {
                ++step;
            }
        }
        if (!SafelyIn(step, density)) {
            return korvane::StepOf<Place>(density, maximum);  // at an edge, or NaN, or < 0
        }
        return step;
    }

  private:
    static constexpr std::uint64_t Guard = std::uint64_t{1} << 20;
    static constexpr int TableAfter = 4096;
    static constexpr std::size_t Buckets = 4096;

    // The same bits, not just an equal value: a NaN maximum stays NaN.
    static bool SameBits(float a, float b) {
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are what is compared.
        return std::memcmp(&a, &b, sizeof a) == 0;
    }

    bool SafelyIn(int step, double density) const {
        const auto s = static_cast<std::size_t>(step);
        return m_safeLow[s] <= density && density < m_safeHigh[s];
    }

    void Prepare(float maximum) {
        m_ready = true;
        m_maximum = maximum;
        const double top = Place::Of(static_cast<double>(maximum));
        m_usable = top > 0 && std::isfinite(top);
        if (!m_usable) {
            return;
        }
        const std::uint64_t infinity = Bits(std::numeric_limits<double>::infinity());
        m_edges[0] = 0;
        m_safeLow[0] = 0;
        for (std::size_t k = 1; k < 256; ++k) {
            // The smallest non-negative density of step k or above: non-negative doubles are
            // ordered as their bit patterns.
            std::uint64_t low = 0;
            std::uint64_t high = infinity;
            while (low < high) {
                const std::uint64_t middle = low + (high - low) / 2;
                if (korvane::StepOf<Place>(Double(middle), maximum) >= static_cast<int>(k)) {
                    high = middle;
                } else {
                    low = middle + 1;
                }
            }
            m_edges[k] = Double(low);
            m_safeHigh[k - 1] = Double(low > Guard ? low - Guard : 0);
            m_safeLow[k] = Double(std::min(low + Guard, infinity));
        }
        m_safeHigh[255] = std::numeric_limits<double>::infinity();
        // Buckets of equal spans of bit patterns from the edge of step 1 to that of 255.
        m_firstBits = Bits(m_edges[1]);
        const std::uint64_t span = Bits(m_edges[255]) - m_firstBits;
        m_bucketShift = 0;
        while ((span >> m_bucketShift) >= Buckets) {
            ++m_bucketShift;
        }
        int step = 1;
        for (std::size_t i = 0; i < Buckets; ++i) {
            const std::uint64_t start =
                m_firstBits + (static_cast<std::uint64_t>(i) << m_bucketShift);
            while (step < 255 && Bits(m_edges[static_cast<std::size_t>(step) + 1]) <= start) {
                ++step;
            }
            m_bucketStep[i] = static_cast<unsigned char>(step);
        }
    }

    static std::uint64_t Bits(double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }
    static double Double(std::uint64_t bits) {
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    bool m_ready = false;
    bool m_usable = false;
    float m_maximum = 0;
    float m_candidate = 0;
    int m_seen = 0;
    std::uint64_t m_firstBits = 0;  // the bucket of the edge of step 1 starts here
    int m_bucketShift = 0;          // bit patterns per bucket: 2^shift
    std::array<unsigned char, Buckets> m_bucketStep{};
    std::array<double, 256> m_edges{};     // where steps 1 .. 255 begin; [0] is 0
    std::array<double, 256> m_safeLow{};   // each step's safe interval: from
    std::array<double, 256> m_safeHigh{};  // here, up to (not including) here
};

template <class Place>
int CurvedStepOf(double density, float maximum) {
    if constexpr (std::is_same_v<Place, LinearPlace>) {
        return StepOf<Place>(density, maximum);
    } else {
        // One table per painting thread, kept while the maximum stays.
        thread_local StepEdges<Place> edges;
        return edges.StepOf(density, maximum);
    }
}

template <ColourMap Map, class Place>
cv::Vec3b MappedPixel(double density, float maximum) {
    static const Steps& steps = StepsOf(Map);
    const int step = CurvedStepOf<Place>(density, maximum);
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
    return {MappedPixel<Map, Place>, MappedColour<Map, Place>, std::is_same_v<Place, LinearPlace>,
            nullptr};
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

int ColourBarDecimals(const std::vector<double>& densities) {
    constexpr int Classic = 2;
    constexpr int Most = 12;
    for (int decimals = Classic; decimals < Most; ++decimals) {
        bool distinct = true;
        for (std::size_t i = 0; i + 1 < densities.size() && distinct; ++i) {
            distinct =
                densities[i] == densities[i + 1] ||
                FormatFixed(densities[i], decimals) != FormatFixed(densities[i + 1], decimals);
        }
        if (distinct) {
            return decimals;
        }
    }
    return Most;
}

}  // namespace korvane
