#pragma once
// The Gaussian weights of one box of pixels: the fill's hot loop, four or eight pixels at a
// time where the machine allows, bit for bit the weights KernelWeight gives one at a time.

namespace korvane {

// How many lanes the weights and the exponential take at a time.
enum class LaneWidth { One, Four, Eight };

// The widest of them this machine can take (see FourWideExpInUse and EightWideExpInUse).
LaneWidth WidestLaneWidth();

// weights[j * columns + i] = KernelWeight(DistanceInSpace(across[i], up[j], depthSquared),
// radius, true) for every i < columns and j < rows: the squared steps of a box's columns and
// rows from its event. Every pixel of a Gaussian box costs one of these. `width`: at most
// that many at a time (the tests try each); the bits are the same at every width.
void GaussianWeightsOfBox(const double* across, int columns, const double* up, int rows,
                          double depthSquared, double radius, double* weights,
                          LaneWidth width = WidestLaneWidth());

// out[i] = std::exp(x[i]) for every i < n, with the same bits.
void ExpOfEach(const double* x, int n, double* out, LaneWidth width = WidestLaneWidth());

// Whether the four-wide exponential is in use: the processor has AVX2 and FMA, and the C
// library's exp gave the same bits on every argument of the check made at first use.
// Otherwise the weights come from std::exp one at a time.
bool FourWideExpInUse();

// Whether the weights go eight at a time: the four-wide exponential is in use, the processor
// has AVX-512, and the eight-wide one gave the library's bits on the same check. Each lane
// takes the four-wide steps.
bool EightWideExpInUse();

}  // namespace korvane
