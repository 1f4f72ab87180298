#pragma once
// The weight one event adds to a pixel's density.

#include <cmath>

namespace korvane {

// How much an event adds to a pixel whose box holds it.
struct Weighting {
    double radius = 0;      // box half width in pixel (and slice) steps; Gaussian width
    bool gaussian = false;  // Gaussian of the distance, else 1 per event
};

// 1 without Gaussian weighting; else exp(-0.5 * (d / radius * 2.506628)^2), d in steps.
// Shared by the fast engine and the reference so both give the same bits. Defined here so
// the pixel loops can inline it; the operation order is part of the result, keep it.
inline double KernelWeight(double d, double radius, bool gaussian) {
    if (!gaussian) {
        return 1.0;
    }
    const double scaled = d / radius * 2.506628;
    return std::exp(-0.5 * (scaled * scaled));
}

}  // namespace korvane
