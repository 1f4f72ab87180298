// The density engine against the literal algorithms, on 50,000 clustered events, an
// 800 x 800 picture and a radius of 5 pixels. Run with
//   build/bench/korvane_bench --benchmark_filter=Density
// and compare each Fast/Reference pair of one run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <opencv2/core.hpp>

#include "common/Paths.h"
#include "density/DensityEstimate.h"
#include "density/DensityGrid.h"
#include "density/EventRuns.h"
#include "events/EventOrdering.h"
#include "events/ViewAxes.h"
#include "picture/DensityPicture.h"
#include "picture/PictureFileName.h"
#include "reference/ReferenceDensity.h"
#include "series/PlaneSeries.h"
#include "series/RasterFill.h"
#include "setup/CalculationSetup.h"
#include "support/DensityPictures.h"
#include "support/EventClouds.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

// A benchmark whose setup fails measures nothing: stop at once.
void RequireOk(const Status& status) {
    if (!status.ok()) {
        std::fprintf(stderr, "%s\n", status.message().c_str());
        std::abort();
    }
}

constexpr double Radius = 5.0;
constexpr int Direction = 2;  // view along z: x across, y up

const EventTable& Cloud() {
    static const EventTable cloud = [] {
        testing::CloudRecipe recipe;
        recipe.shape = testing::CloudShape::Clustered;
        recipe.count = 50000;
        recipe.low = 0;
        recipe.high = 800;
        recipe.timeLow = 0;
        recipe.timeHigh = 100;
        recipe.seed = 2024;
        return testing::MakeCloud(recipe);
    }();
    return cloud;
}

reference::Frame Frame(bool gaussian) {
    reference::Frame f;
    f.hMin = 0, f.hMax = 800, f.vMin = 0, f.vMax = 800;
    f.hScale = 1, f.vScale = 1;
    f.radius = Radius, f.gaussian = gaussian, f.densityMaximum = 40;
    return f;
}

PixelTests TimeTests(bool gaussian) {
    const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(Direction));
    PixelTests tests;
    tests.hColumn = axes.horizontal;
    tests.vColumn = axes.vertical;
    tests.weighting = {Radius, gaussian};
    tests.hScale = 1;
    tests.vScale = 1;
    return tests;
}

// One picture of every event (a time picture, the largest run a picture can have).
void FastFill(benchmark::State& state, bool gaussian) {
    const reference::Frame f = Frame(gaussian);
    DensityGrid grid;
    RequireOk(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                              PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid));
    SeriesWorkspace work;
    RequireOk(PrepareRaster(grid, work.raster));
    const PixelTests tests = TimeTests(gaussian);
    for (auto _ : state) {
        FillDensityGrid(grid, Cloud().rows.data(), Cloud().count, tests, f.densityMaximum, work);
        benchmark::ClobberMemory();
    }
}

void ReferenceFill(benchmark::State& state, bool gaussian) {
    const reference::Frame f = Frame(gaussian);
    cv::Mat raster = reference::BlackRaster(f);
    for (auto _ : state) {
        reference::FillTimePicture(raster, f, Direction, Cloud().rows.data(), Cloud().count);
        benchmark::ClobberMemory();
    }
}

void BM_DensityFillUnitFast(benchmark::State& state) {
    FastFill(state, false);
}
void BM_DensityFillUnitReference(benchmark::State& state) {
    ReferenceFill(state, false);
}
BENCHMARK(BM_DensityFillUnitFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityFillUnitReference)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_DensityEstimateSpatialFast(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            EstimateSpatialMaximum(Cloud(), ViewAxes(static_cast<ViewDirection>(Direction)),
                                   PlaneScale{1, 1}, 8, Weighting{Radius, false}));
    }
}
void BM_DensityEstimateSpatialAllPairs(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            reference::EstimateSpatialMaximumAllPairs(Cloud(), Radius, 1, 1, 8, Direction, false));
    }
}
void BM_DensityEstimateTimeFast(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            EstimateTimeMaximum(Cloud(), ViewAxes(static_cast<ViewDirection>(Direction)),
                                PlaneScale{1, 1}, 1, false, Weighting{Radius, true}));
    }
}
void BM_DensityEstimateTimeAllPairs(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::EstimateTimeMaximumAllPairs(Cloud(), Radius, 1, 1, 1,
                                                                        Direction, false, true));
    }
}
void BM_DensityEstimateCumulativeFast(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            EstimateTimeMaximum(Cloud(), ViewAxes(static_cast<ViewDirection>(Direction)),
                                PlaneScale{1, 1}, 1, true, Weighting{Radius, false}));
    }
}
void BM_DensityEstimateCumulativeAllPairs(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::EstimateTimeMaximumAllPairs(Cloud(), Radius, 1, 1, 1,
                                                                        Direction, true, false));
    }
}
BENCHMARK(BM_DensityEstimateSpatialFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityEstimateSpatialAllPairs)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DensityEstimateTimeFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityEstimateTimeAllPairs)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DensityEstimateCumulativeFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityEstimateCumulativeAllPairs)->Unit(benchmark::kMillisecond)->Iterations(1);

// One Gaussian picture of every event in a colour map and scale, against the classic linear
// scale (argument 0): 1 viridis, 2 viridis logarithmic, 3 viridis square root, 4 classic
// logarithmic. Only the sums' colouring differs between them.
void BM_DensityPictureColours(benchmark::State& state) {
    struct Look {
        ColourMap map;
        DensityScale scale;
    };
    constexpr Look Looks[] = {{ColourMap::Classic, DensityScale::Linear},
                              {ColourMap::Viridis, DensityScale::Linear},
                              {ColourMap::Viridis, DensityScale::Log},
                              {ColourMap::Viridis, DensityScale::Sqrt},
                              {ColourMap::Classic, DensityScale::Log}};
    const Look look = Looks[state.range(0)];
    const reference::Frame f = Frame(true);
    DensityGrid grid;
    RequireOk(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                              PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid));
    SeriesWorkspace work;
    RequireOk(PrepareRaster(grid, work.raster));
    work.colours = ColourFunctionOf(look.map, look.scale);
    const PixelTests tests = TimeTests(true);
    for (auto _ : state) {
        FillDensityGrid(grid, Cloud().rows.data(), Cloud().count, tests, f.densityMaximum, work);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DensityPictureColours)->DenseRange(0, 4)->UseRealTime()->Unit(benchmark::kMillisecond);

// A 100-picture unit-weight spatial series along z, split into its two halves: computing
// (runs and fills) and rendering plus writing the BMP files; and the whole series.
constexpr double SeriesStep = 8.0;  // 0..800 in 100 slices

void BM_DensitySeries100Compute(benchmark::State& state) {
    EventTable events = Cloud();
    SortEventsByColumn(events, Direction);
    const reference::Frame f = Frame(false);
    DensityGrid grid;
    RequireOk(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                              PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid));
    SeriesWorkspace work;
    RequireOk(PrepareRaster(grid, work.raster));
    PixelTests tests = TimeTests(false);
    tests.horizontalInclusive = true;
    tests.withDepth = true;
    tests.depthColumn = Direction;
    tests.depthStep = SeriesStep;
    for (auto _ : state) {
        double p = 0;
        for (int n = 0; n < 100; ++n) {
            const EventRun run =
                SliceRun(events, Direction, p - Radius * SeriesStep, p + Radius * SeriesStep);
            tests.slicePosition = p;
            FillDensityGrid(grid, events.rows.data() + run.begin, run.size(), tests,
                            f.densityMaximum, work);
            p = p + SeriesStep;
        }
        benchmark::ClobberMemory();
    }
}

void BM_DensitySeries100RenderAndWrite(benchmark::State& state) {
    testing::TempDir dir;
    const std::string eventFile = dir.file("events.dat");
    const reference::Frame f = Frame(false);
    DensityGrid grid;
    RequireOk(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                              PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid));
    SeriesWorkspace work;
    RequireOk(PrepareRaster(grid, work.raster));
    FillDensityGrid(grid, Cloud().rows.data(), Cloud().count, TimeTests(false), f.densityMaximum,
                    work);
    cv::Mat canvas;
    for (auto _ : state) {
        for (int n = 1; n <= 100; ++n) {
            const PictureLabels labels{{{0, 800}, {0, 800}},
                                       n * SeriesStep,
                                       static_cast<ViewDirection>(Direction),
                                       PictureKind::Spatial,
                                       f.densityMaximum};
            benchmark::DoNotOptimize(testing::WriteDensityPicture(
                                         work.raster, labels,
                                         JoinPath(FolderOf(eventFile), PictureFileName("space", n)),
                                         canvas)
                                         .ok());
        }
    }
}

void BM_DensitySeries100Whole(benchmark::State& state) {
    testing::TempDir dir;
    CalculationRequest request;
    request.kind = CalculationKind::Spatial;
    request.direction = static_cast<ViewDirection>(Direction);
    request.eventFilePath = dir.file("events.dat");
    request.box = {{0, 800}, {0, 800}, {0, 800}};
    request.pictureWidth = 800;  // one world unit per pixel
    request.pictureHeight = 800;
    request.numberOfPictures = 800 / SeriesStep;
    request.weighting.radius = Radius;
    SeriesWorkspace work;
    for (auto _ : state) {
        state.PauseTiming();
        EventTable events = Cloud();
        testing::RecordingObserver recorder;
        SeriesContext ctx{recorder, events, request, 40, work};
        state.ResumeTiming();
        benchmark::DoNotOptimize(RunSpatialSeries(ctx).ok());
    }
}

BENCHMARK(BM_DensitySeries100Compute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensitySeries100RenderAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensitySeries100Whole)->Unit(benchmark::kMillisecond)->Iterations(2);

// Gaussian weights on one core: the exponential dominates both sides. Registered last, as
// the thread limit stays with the process's parallel back end.
void BM_DensityFillGaussianFastOneCore(benchmark::State& state) {
    cv::setNumThreads(1);
    FastFill(state, true);
}
void BM_DensityFillGaussianReference(benchmark::State& state) {
    ReferenceFill(state, true);
}
BENCHMARK(BM_DensityFillGaussianFastOneCore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityFillGaussianReference)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace korvane
