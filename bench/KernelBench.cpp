// The Gaussian weights of an 11 x 11 box (a radius of 5 pixels), four and eight at a time
// against one at a time, with the same bits. Run with
//   build/bench/korvane_bench --benchmark_filter=KernelBox

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "density/KernelBox.h"

namespace korvane {
namespace {

constexpr int Side = 11;
constexpr int Boxes = 1000;

// Each box's squared steps across and up, from an event somewhere inside its middle pixel.
std::vector<double> RandomShares() {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> offset(-0.5, 0.5);
    std::vector<double> shares;
    for (int b = 0; b < 2 * Boxes; ++b) {
        const double o = offset(random);
        for (int k = -Side / 2; k <= Side / 2; ++k) {
            shares.push_back((k - o) * (k - o));
        }
    }
    return shares;
}

// The argument: lanes at a time, 4 or 8 (at most what the machine has).
void BM_KernelBoxWide(benchmark::State& state) {
    const LaneWidth width = state.range(0) == 8 ? LaneWidth::Eight : LaneWidth::Four;
    if (width > WidestLaneWidth()) {
        state.SkipWithError("this machine cannot take that many lanes");
        return;
    }
    const std::vector<double> shares = RandomShares();
    std::vector<double> weights(Side * Side);
    for (auto _ : state) {
        for (int b = 0; b < Boxes; ++b) {
            GaussianWeightsOfBox(&shares[2 * b * Side], Side, &shares[(2 * b + 1) * Side], Side,
                                 1.0, 5.0, weights.data(), width);
            benchmark::DoNotOptimize(weights.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Boxes * Side * Side);
}
BENCHMARK(BM_KernelBoxWide)->Arg(4)->Arg(8);

void BM_KernelBoxOneAtATime(benchmark::State& state) {
    const std::vector<double> shares = RandomShares();
    std::vector<double> weights(Side * Side);
    for (auto _ : state) {
        for (int b = 0; b < Boxes; ++b) {
            const double* across = &shares[2 * b * Side];
            const double* up = &shares[(2 * b + 1) * Side];
            for (int j = 0; j < Side; ++j) {
                for (int i = 0; i < Side; ++i) {
                    weights[j * Side + i] =
                        KernelWeight(DistanceInSpace(across[i], up[j], 1.0), 5.0, true);
                }
            }
            benchmark::DoNotOptimize(weights.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Boxes * Side * Side);
}
BENCHMARK(BM_KernelBoxOneAtATime);

}  // namespace
}  // namespace korvane
