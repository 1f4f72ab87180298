#pragma once
// The Gaussian factors of a box: the kernel of a distance is the product of the kernels of its
// steps along the axes, so a point's box needs one factor per column, per row (and per slice),
// not one exponential per pixel. Four or eight factors at a time where the machine allows.

namespace korvane {

// How many lanes the factors and the exponential take at a time.
enum class LaneWidth { One, Four, Eight };

// The widest of them this machine can take (see FourWideExpInUse and EightWideExpInUse).
LaneWidth WidestLaneWidth();

// The Gaussian along one axis whose steps are `scale` units apart, as its factors take it.
struct GaussianAxis {
    double scale = 1;
    double radius = 1;
    double perStep = 0;                // 2.506628 / scale / radius
    LaneWidth width = LaneWidth::One;  // how many factors at a time
};

// `width`: at most that many at a time (the tests try each); one at a time where perStep is not
// finite.
GaussianAxis GaussianAxisOf(double scale, double radius, LaneWidth width = WidestLaneWidth());

// factors[i] = KernelWeight(|x - positions[i]| / scale, radius, true) for every i < n: the
// Gaussian's factor along the axis of a point at x for the positions of a box's columns or rows,
// within a few units in the last place.
void GaussianFactors(double x, const double* positions, int n, const GaussianAxis& axis,
                     double* factors);

// out[i] = exp(x[i]) for every i < n, within a unit or two in the last place.
void ExpOfEach(const double* x, int n, double* out, LaneWidth width = WidestLaneWidth());

// Whether the exponential goes four at a time: the processor has AVX2 and FMA. Otherwise every
// factor comes from std::exp one at a time.
bool FourWideExpInUse();

// Whether it goes eight at a time: the processor also has AVX-512.
bool EightWideExpInUse();

}  // namespace korvane
