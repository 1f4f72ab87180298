// One perspective window of 800 x 800 pixels over 20,000 kept events, radius 3: the fast fill
// against the plain per-pixel scan, and the grid estimate against all pairs.
//   korvane_bench --benchmark_filter=Perspective

#include <benchmark/benchmark.h>

#include <random>

#include "density/PerspectiveMaximum.h"
#include "events/EventOrdering.h"
#include "reference/ReferencePerspective.h"
#include "series/RasterFill.h"

namespace korvane {
namespace {

constexpr int KeptEvents = 20000;

// Clustered events inside the box [0, 10]^3 and the time range [0, 10], sorted on time.
const PerspectiveFrame& BenchFrame() {
    static const PerspectiveFrame frame = [] {
        EventTable table;
        std::mt19937_64 random(2024);
        std::normal_distribution<double> spread(0.0, 0.7);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        int n = 0;
        while (n < KeptEvents) {
            const int cluster = n % 4;
            const EventRecord e{2.0 + 2.0 * cluster + spread(random),
                                3.0 + 1.5 * cluster + spread(random), 5.0 + 1.5 * spread(random),
                                unit(random) * 10.0};
            if (e.x >= 0 && e.x <= 10 && e.y >= 0 && e.y <= 10 && e.z >= 0 && e.z <= 10) {
                table.rows[static_cast<std::size_t>(n++)] = e;
            }
        }
        table.count = KeptEvents;
        SortEventsByColumn(table, 3);
        PerspectiveBox box;
        box.xmax = box.ymax = box.zmax = 10;
        box.end = 10;
        box.width = 800;
        box.height = 800;
        box.windows = 1;
        PerspectiveFrame built;
        BuildPerspectiveFrame(table, box, built);
        return built;
    }();
    return frame;
}

PerspectiveWindow WholeRange(bool gaussian) {
    PerspectiveWindow window;
    window.t0 = -1;  // every kept event lies inside the one window
    window.end = 11;
    window.weighting = {3, gaussian};
    window.maximum = 40.0f;
    return window;
}

void BM_PerspectiveFillFast(benchmark::State& state) {
    const PerspectiveFrame& frame = BenchFrame();
    const PerspectiveWindow window = WholeRange(state.range(0) != 0);
    cv::Mat picture(1000, 1000, CV_8UC3, cv::Scalar(0, 0, 0));
    PerspectiveFillWork work;
    PreparePerspectiveFill(frame, work);
    for (auto _ : state) {
        FillPerspectiveWindow(frame, window, picture, work);
        benchmark::DoNotOptimize(picture.data);
    }
}
BENCHMARK(BM_PerspectiveFillFast)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PerspectiveFillReference(benchmark::State& state) {
    const PerspectiveFrame& frame = BenchFrame();
    const PerspectiveWindow window = WholeRange(state.range(0) != 0);
    cv::Mat picture(1000, 1000, CV_8UC3, cv::Scalar(0, 0, 0));
    for (auto _ : state) {
        reference::FillPerspectiveWindowLiteral(frame, window.t0, window.end - window.t0, false,
                                                window.weighting.radius, window.weighting.gaussian,
                                                window.maximum, picture);
        benchmark::DoNotOptimize(picture.data);
    }
}
BENCHMARK(BM_PerspectiveFillReference)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_PerspectiveMaximumGrid(benchmark::State& state) {
    const PerspectiveFrame& frame = BenchFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            EstimatePerspectiveMaximumOfFrame(frame, 1.0, {3.0, state.range(0) != 0}, false));
    }
}
BENCHMARK(BM_PerspectiveMaximumGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PerspectiveMaximumAllPairs(benchmark::State& state) {
    const PerspectiveFrame& frame = BenchFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::EstimatePerspectiveMaximumAllPairs(
            frame, 1.0, 3.0, false, state.range(0) != 0));
    }
}
BENCHMARK(BM_PerspectiveMaximumAllPairs)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane
