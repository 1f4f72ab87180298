// The Gaussian factors of the columns of 11-pixel boxes (a radius of 5 pixels), four and eight
// at a time against one at a time. Run with
//   build/bench/korvane_bench --benchmark_filter=GaussianFactors

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "density/Kernel.h"
#include "density/KernelBox.h"

namespace korvane {
namespace {

constexpr int Side = 11;
constexpr int Boxes = 1000;

// Each box's points, somewhere inside the middle pixel of columns 1 unit apart.
std::vector<double> RandomPoints() {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> offset(-0.5, 0.5);
    std::vector<double> points;
    for (int b = 0; b < Boxes; ++b) {
        points.push_back(Side / 2 + offset(random));
    }
    return points;
}

std::vector<double> Columns() {
    std::vector<double> columns;
    for (int k = 0; k < Side; ++k) {
        columns.push_back(k);
    }
    return columns;
}

// The argument: lanes at a time, 1, 4 or 8 (at most what the machine has).
void BM_GaussianFactors(benchmark::State& state) {
    const LaneWidth width = state.range(0) == 8   ? LaneWidth::Eight
                            : state.range(0) == 4 ? LaneWidth::Four
                                                  : LaneWidth::One;
    if (width > WidestLaneWidth()) {
        state.SkipWithError("this machine cannot take that many lanes");
        return;
    }
    const std::vector<double> points = RandomPoints();
    const std::vector<double> columns = Columns();
    std::vector<double> factors(Side);
    const GaussianAxis axis = GaussianAxisOf(1.0, 5.0, width);
    for (auto _ : state) {
        for (double x : points) {
            GaussianFactors(x, columns.data(), Side, axis, factors.data());
            benchmark::DoNotOptimize(factors.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Boxes * Side);
}
BENCHMARK(BM_GaussianFactors)->Arg(1)->Arg(4)->Arg(8);

}  // namespace
}  // namespace korvane
