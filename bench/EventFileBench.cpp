// Reading a full event file (50,000 lines, CR LF, decimal commas in a third of them), and the
// number reader on its own against the C library's strtod with a copy of the text.
//   korvane_bench --benchmark_filter='EventFile|Decimal'

#include <benchmark/benchmark.h>
#include <locale.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "events/EventFile.h"

namespace korvane {
namespace {

std::string RandomNumberText(std::mt19937_64& random, bool comma) {
    std::uniform_real_distribution<double> value(-5000.0, 5000.0);
    std::string text = FormatFixed(value(random), 6);
    if (comma) {
        text[text.find('.')] = ',';
    }
    return text;
}

const std::string& EventFilePath() {
    static const std::string path = [] {
        std::string name = "/tmp/korvane-bench-events-" + std::to_string(getpid()) + ".dat";
        std::mt19937_64 random(5);
        std::string text;
        for (int i = 0; i < 50000; ++i) {
            const bool comma = i % 3 == 0;
            text += RandomNumberText(random, comma) + '\t' + RandomNumberText(random, comma) +
                    '\t' + RandomNumberText(random, comma) + '\t' +
                    RandomNumberText(random, comma) + "\r\n";
        }
        FILE* file = std::fopen(name.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        std::atexit([] { std::remove(EventFilePath().c_str()); });
        return name;
    }();
    return path;
}

void BM_ReadEventFile50000(benchmark::State& state) {
    static EventTable table;
    for (auto _ : state) {
        const Status status = ReadEventFile(EventFilePath(), table);
        benchmark::DoNotOptimize(status);
    }
    state.counters["events"] = table.count;
}
BENCHMARK(BM_ReadEventFile50000)->Unit(benchmark::kMillisecond);

const std::vector<std::string>& NumberTexts() {
    static const std::vector<std::string> texts = [] {
        std::mt19937_64 random(9);
        std::vector<std::string> all;
        for (int i = 0; i < 10000; ++i) {
            all.push_back(RandomNumberText(random, false));
        }
        return all;
    }();
    return texts;
}

void BM_ReadDecimal(benchmark::State& state) {
    for (auto _ : state) {
        double sum = 0.0;
        for (const std::string& text : NumberTexts()) {
            sum += ReadDecimal(text);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadDecimal);

// What the reader did before: copy the number's text and hand it to strtod_l.
void BM_ReadDecimalCLibrary(benchmark::State& state) {
    const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    for (auto _ : state) {
        double sum = 0.0;
        for (const std::string& text : NumberTexts()) {
            const std::string copy(text, 0, DecimalExtent(text));
            sum += strtod_l(copy.c_str(), nullptr, classic);
        }
        benchmark::DoNotOptimize(sum);
    }
    freelocale(classic);
}
BENCHMARK(BM_ReadDecimalCLibrary);

}  // namespace
}  // namespace korvane
