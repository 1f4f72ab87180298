#pragma once
// The weight one event adds to a pixel's density.

#include <cmath>
#include <optional>
#include <string_view>

namespace korvane {

// What the radius is measured in. In pixel steps a box is `radius` columns, rows (and
// slices) wide whatever the units of the events, so its size in the events' units follows
// the picture size. In coordinates it is `radius` units of the events along every axis, and
// the same events give the same densities at any picture size.
enum class RadiusUnit { Pixels, Coordinates };

std::string_view RadiusUnitName(RadiusUnit unit);  // "pixels", "coordinates"
std::optional<RadiusUnit> RadiusUnitNamed(std::string_view name);

// The events' units per step of the radius along an axis whose pixels (or slices) are
// `scale` units apart: the scale itself, or 1 with a radius in coordinates. The box half
// width is radius x this, and the kernel's distance is counted in these steps.
inline double RadiusStep(RadiusUnit unit, double scale) {
    return unit == RadiusUnit::Coordinates ? 1.0 : scale;
}

// How much an event adds to a pixel whose box holds it.
struct Weighting {
    double radius = 0;      // box half width in radius steps (see RadiusStep); Gaussian width
    bool gaussian = false;  // Gaussian of the distance, else 1 per event
};

// Whether the densities are plain counts (every event 1, no distance weighting), which the
// fill keeps as integers and paints row by row, or sums of weights. The one place that rule
// is made; `weighted`: the events carry weights of their own.
inline bool CountsEvents(const Weighting& weighting, bool weighted) {
    return !weighting.gaussian && !weighted;
}

// The Gaussian's distance in radius steps is scaled by this before it is squared.
inline constexpr double GaussianWidthFactor = 2.506628;

// 1 without Gaussian weighting; else exp(-0.5 * (d / radius * 2.506628)^2), d in radius steps.
// Shared by the fast engine and the reference so both give the same bits. Defined here so
// the pixel loops can inline it; the operation order is part of the result, keep it.
inline double KernelWeight(double d, double radius, bool gaussian) {
    if (!gaussian) {
        return 1.0;
    }
    const double scaled = d / radius * GaussianWidthFactor;
    return std::exp(-0.5 * (scaled * scaled));
}

}  // namespace korvane
