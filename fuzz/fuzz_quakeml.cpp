// The QuakeML reader on arbitrary bytes: it never crashes, reads no network or other file,
// a refused file leaves the table empty with a reason, and every event kept has a place and
// a magnitude slot of its own.

#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/CatalogueReader.h"

using korvane::fuzzing::Require;

namespace {

constexpr int FuzzBudget = 60000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static korvane::EventTable table;
    const std::string& path = korvane::fuzzing::WriteScratchFile(data, size);
    korvane::CatalogueOptions options;
    options.preset = korvane::CataloguePreset::QuakeMl;
    korvane::CatalogueReport report;
    table.count = static_cast<int>(table.rows.size());
    const korvane::Status status = korvane::ReadEvents(path, options, table, &report, FuzzBudget);
    Require(table.count >= 0 && table.count <= FuzzBudget, "count out of range");
    if (!status.ok()) {
        Require(table.count == 0 && table.weightSource.empty(),
                "a refused file left events in the table");
        Require(!status.message().empty(), "a refused file without a reason");
        return 0;
    }
    Require(report.rowsKept == table.count, "the kept rows are not the table's");
    Require(report.rowsRead == report.rowsKept + report.rowsFiltered + report.rowsSkipped,
            "rows read do not add up");
    Require(table.weightSource.size() == static_cast<std::size_t>(table.count),
            "one magnitude slot per event");
    for (int i = 0; i < table.count; ++i) {
        const korvane::EventRecord& row = table.rows[static_cast<std::size_t>(i)];
        Require(std::isfinite(row.x) && std::isfinite(row.y) && std::isfinite(row.z),
                "a place that is no number");
    }
    return 0;
}
