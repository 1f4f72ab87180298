// The same 1,000,000 events read as a plain event file and as a CSV catalogue with a header
// (projected x, y, z and seconds), and as a catalogue of ISO time, latitude, longitude, depth
// and magnitude: the catalogue should take at most half again the plain file's time.
//   korvane_bench --benchmark_filter=Catalogue

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueReader.h"
#include "common/NumberText.h"

namespace korvane {
namespace {

constexpr int Rows = 1000000;

std::string WriteFile(const std::string& kind, const std::string& text) {
    const std::string name = "/tmp/korvane-bench-" + kind + "-" + std::to_string(getpid());
    FILE* file = std::fopen(name.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return name;
}

// kind 0: plain (TAB), 1: CSV x,y,z,t, 2: CSV time,latitude,longitude,depth,mag.
const std::string& FilePath(int kind) {
    static std::string paths[3];
    if (paths[kind].empty()) {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> value(-5000.0, 5000.0);
        std::string text = kind == 0   ? ""
                           : kind == 1 ? "x,y,z,t\n"
                                       : "time,latitude,longitude,depth,mag\n";
        const char separator = kind == 0 ? '\t' : ',';
        for (int i = 0; i < Rows; ++i) {
            if (kind == 2) {
                text += FormatIsoTime({19000, 0.0}, i * 37.123456) + ',' +
                        FormatFixed(37.0 + value(random) / 10000.0, 5) + ',' +
                        FormatFixed(37.0 + value(random) / 10000.0, 5) + ',' +
                        FormatFixed(10.0 + value(random) / 1000.0, 3) + ",2.5\n";
                continue;
            }
            text += FormatFixed(value(random), 6) + separator + FormatFixed(value(random), 6) +
                    separator + FormatFixed(value(random), 6) + separator +
                    FormatFixed(value(random), 6) + '\n';
        }
        paths[kind] = WriteFile(std::to_string(kind), text);
        std::atexit([] {
            for (const std::string& path : paths) {
                std::remove(path.c_str());
            }
        });
    }
    return paths[kind];
}

void BM_CatalogueMillionRows(benchmark::State& state) {
    static EventTable table;
    const std::string& path = FilePath(static_cast<int>(state.range(0)));
    CatalogueReport report;
    for (auto _ : state) {
        const Status status = ReadEvents(path, {}, table, &report);
        benchmark::DoNotOptimize(status);
    }
    state.counters["events"] = table.count;
    state.SetLabel(state.range(0) == 0   ? "plain file"
                   : state.range(0) == 1 ? "CSV x,y,z,t"
                                         : "CSV ISO time, lat, lon");
}
BENCHMARK(BM_CatalogueMillionRows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane
