#pragma once
// The colour scales of the density pictures: the classic black-blue-green-red scale and the
// perceptually uniform maps, each on a linear, logarithmic or square-root scale.

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The colours from no density to the maximum.
enum class ColourMap { Classic, Viridis, Inferno, Cividis, Grey };

// How a density is placed between 0 and the maximum: as it is, as log(1 + density) against
// log(1 + maximum), or as its square root.
enum class DensityScale { Linear, Log, Sqrt };

// The names used in setup files, the series index and on the command line.
std::string_view ColourMapName(ColourMap map);
std::optional<ColourMap> ColourMapNamed(std::string_view name);
std::string_view DensityScaleName(DensityScale scale);
std::optional<DensityScale> DensityScaleNamed(std::string_view name);

// The colour (blue, green, red as doubles) of `density` on a scale whose top is `maximum`.
cv::Scalar DensityToColour(double density, float maximum);

// The same colour as an 8-bit pixel, each component rounded and saturated as OpenCV does
// when it sets a pixel from a scalar.
cv::Vec3b DensityToPixel(double density, float maximum);

// The densities where the classic scale's components hand over: the thirds of the maximum (the
// third kept in single precision, as the scale keeps it).
std::array<double, 3> ClassicThirds(float maximum);

// The colour function of one map and scale, chosen once for a series. The classic map on the
// linear scale is DensityToPixel itself. Every other pairing places the density at a
// fraction t of the maximum on its scale and takes the nearest of 256 steps of the map. A
// negative or NaN density is white in every map, as it always was.
struct ColourFunction {
    cv::Vec3b (*pixel)(double density, float maximum) = DensityToPixel;
    cv::Scalar (*colour)(double density, float maximum) = DensityToColour;
    // The colours follow one path as the density rises, each holding one stretch of densities,
    // at least between the densities `restarts` gives (at most three, rising), where a path may
    // start afresh: so a table of the densities where the colour changes gives the same colours
    // (ColourTable.h). So on a linear scale, whose steps are correctly rounded (the classic
    // scale hands over from one component to the next at each third of the maximum); the
    // curved scales keep their own tables (their logarithm and root are not).
    bool rising = true;
    std::array<double, 3> (*restarts)(float maximum) = ClassicThirds;
};
ColourFunction ColourFunctionOf(ColourMap map, DensityScale scale);

// The colour bar's labels: the densities and where they sit, as fractions 0 (top, no
// density) to 1 (bottom, the maximum) of the bar. Linear and square-root bars keep the six
// labels at fifths of the bar (the value there); a logarithmic bar has 0, the decades 1, 10,
// 100, ... below the maximum, and the maximum.
struct BarLabel {
    double fraction;
    double density;
};
std::vector<BarLabel> ColourBarLabels(DensityScale scale, double maximum);

// The decimals of a bar's plain labels (`densities` in the bar's order): two, as the bar has
// always had, unless two different densities would then read the same (a maximum of 0.004
// gave "0.00" at both ends); then the fewest that tell them apart.
int ColourBarDecimals(const std::vector<double>& densities);

}  // namespace korvane
