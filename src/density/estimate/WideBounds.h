#pragma once
// The pair bounds of the exact estimate's Gaussian sums, four or eight pairs at a time: the hot
// loop of the estimate once the column bounds are spent, and the unit count of the columns a box
// cuts.

#include <array>

namespace korvane::estimate {

// What every pair bound of one event shares: the event (x, y, z), the half widths of the box
// test on x and y (strict), each axis' share of the squared distance per squared unit in
// table steps (0: the axis adds nothing), and the table of kernel bounds by step.
struct PairBoundFrame {
    double p[3];
    double half[2];
    double factor[3];
    const double* table;
    int lastEntry;  // the table's last index: it serves every distance beyond it
    // One weight per record from `points` on, each pair's bound multiplied by its record's;
    // null: every record weighs 1.
    const double* weights = nullptr;
};

struct PairBoundTotal {
    double total = 0.0;  // of the passing pairs' bounds, in some order
    int count = 0;       // of the passing pairs
};

// The points are n records of four doubles (x, y, z, time), n a multiple of four (the caller
// takes the rest one by one). For each that passes the box
// test on x and y: the bound at the table entry of its squared steps (times its weight, where
// the frame has weights), the differences taken as event minus point and the shares added in
// axis order. Eight at a time where the
// processor has AVX-512; null when it cannot do four at a time (the caller then visits the
// pairs itself).
using PairBoundSum = PairBoundTotal (*)(const double* points, int n, const PairBoundFrame& frame);
PairBoundSum WidePairBounds();
// The two widths on their own (null where the processor lacks them), for the tests.
PairBoundSum FourWidePairBounds();
PairBoundSum EightWidePairBounds();

// How many of the n point records (n a multiple of four) pass the box test on x and y (strict, the
// differences taken as event minus point) against the event at (x, y): the unit count of a column
// the box cuts. Null when this processor cannot do it four at a time.
using PassingCount = int (*)(const double* points, int n, std::array<double, 2> p,
                             std::array<double, 2> half);
PassingCount WidePassingCount();
PassingCount FourWidePassingCount();
PassingCount EightWidePassingCount();

}  // namespace korvane::estimate
