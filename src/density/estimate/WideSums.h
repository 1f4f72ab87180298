#pragma once
// The exact Gaussian sums of the estimate in space, eight partners at a time: the hot loop once
// the grid's bounds have picked the members that can hold the highest sum.

namespace korvane::estimate {

// What every partner of one event shares: the event (x, y, z), the half widths of the box test
// on x and y (strict; z is settled by the run the partners come from), the Gaussian's exponent
// per squared unit on each axis, and the partners' weights, one per record from `points` on
// (null: 1 each).
struct KernelSumFrame {
    double p[3];
    double half[2];
    double kappa[3];
    const double* weights = nullptr;
};

// The sum, over the n records (x, y, z, time) from `points` that pass the box test on x and y,
// of the weight times exp(-(kappa_x dx^2 + kappa_y dy^2 + kappa_z dz^2)), the differences taken
// as event minus point, in some order. Null where the processor lacks AVX-512: the caller then
// adds the partners itself.
using KernelSum = double (*)(const double* points, int n, const KernelSumFrame& frame);
KernelSum WideKernelSum();

}  // namespace korvane::estimate
