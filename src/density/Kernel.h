#pragma once
// The weight one event adds to a pixel's density.

namespace korvane {

// 1 without Gaussian weighting; else exp(-0.5 * (d / radius * 2.506628)^2), d in steps.
// Shared by the fast engine and the reference so both give the same bits.
double KernelWeight(double d, double radius, bool gaussian);

}  // namespace korvane
