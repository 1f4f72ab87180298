// Sorting a full event table against the literal selection sort, and tables of a million and
// ten million events.
//   korvane_bench --benchmark_filter=Sort
// The ratio of the two times is the speed-up; the reference run also checks that both leave
// the rows in the same order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "events/EventOrdering.h"
#include "reference/ReferenceSort.h"

namespace korvane {
namespace {

// A full table of random events on a coarse grid, so that many keys are equal.
const EventTable& UnsortedEvents() {
    static const EventTable table = [] {
        EventTable events;
        std::mt19937_64 random(42);
        std::uniform_int_distribution<int> cell(0, 999);
        events.count = InitialEventRows;
        for (EventRecord& row : events.rows) {
            row.x = cell(random) * 0.25;
            row.y = cell(random) * 0.5;
            row.z = cell(random) * -0.125;
            row.t = cell(random) * 10.0;
        }
        return events;
    }();
    return table;
}

void CopyRows(const EventTable& from, EventTable& to) {
    std::copy(from.rows.begin(), from.rows.end(), to.rows.begin());
    to.count = from.count;
}

void BM_SortEventsByColumn(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    EventTable table;
    for (auto _ : state) {
        state.PauseTiming();
        CopyRows(UnsortedEvents(), table);
        state.ResumeTiming();
        SortEventsByColumn(table, column);
        benchmark::DoNotOptimize(table.rows.data());
    }
}
BENCHMARK(BM_SortEventsByColumn)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// A catalogue-sized table of distinct depths, as real coordinates give them.
void BM_SortLargeTable(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    EventTable input;
    input.rows.resize(rows);
    input.count = static_cast<int>(rows);
    std::mt19937_64 random(7);
    std::normal_distribution<double> around(0.0, 3.0);
    for (EventRecord& row : input.rows) {
        row = {around(random), around(random), 25.0 + around(random), around(random)};
    }
    EventTable table;
    for (auto _ : state) {
        state.PauseTiming();
        table = input;
        state.ResumeTiming();
        SortEventsByColumn(table, 2);
        benchmark::DoNotOptimize(table.rows.data());
    }
}
BENCHMARK(BM_SortLargeTable)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void BM_SortReferenceSelectionSort(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    EventTable table;
    EventTable fast;
    for (auto _ : state) {
        state.PauseTiming();
        CopyRows(UnsortedEvents(), table);
        state.ResumeTiming();
        reference::SelectionSortByColumn(table, column);
        benchmark::DoNotOptimize(table.rows.data());
    }
    CopyRows(UnsortedEvents(), fast);
    SortEventsByColumn(fast, column);
    if (std::memcmp(fast.rows.data(), table.rows.data(), sizeof(EventRecord) * InitialEventRows) !=
        0) {
        state.SkipWithError("the fast sort left the rows in another order");
    }
}
// One column only: a run takes seconds.
BENCHMARK(BM_SortReferenceSelectionSort)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane
