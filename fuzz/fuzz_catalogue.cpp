// The catalogue reader on arbitrary bytes, with a header line of known columns put in front
// half of the time: it never crashes or writes past the table, a refused file leaves the
// table empty with a reason, the rows read add up to those kept, left out and skipped, and
// the weights (magnitudes) stay one per event.

#include <cmath>
#include <cstdint>
#include <string>

#include "CatalogueChecks.h"
#include "FuzzSupport.h"
#include "catalogue/CatalogueReader.h"

using korvane::fuzzing::Require;

namespace {

constexpr int FuzzBudget = 60000;

const char* const Headers[] = {
    "time,latitude,longitude,depth,mag\n",
    "x\ty\tz\tt\n",
    "year;month;day;hour;minute;second;lat;lon;depth/km\n",
    "#EventID|Time|Latitude|Longitude|Depth/km|Magnitude\n",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static korvane::EventTable table;
    std::string text;
    if (size > 0 && data[0] < 8) {
        text = Headers[data[0] % 4];
        ++data;
        --size;
    }
    text.append(reinterpret_cast<const char*>(data), size);
    const std::string& path = korvane::fuzzing::WriteScratchFile(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    korvane::CatalogueOptions options;
    if (!text.empty() && text.back() == '!') {
        options.magnitudeMin = 2.0;
        options.unit = korvane::LengthUnit::Metre;
    }
    korvane::CatalogueReport report;
    table.count = static_cast<int>(table.rows.size());
    const korvane::Status status = korvane::ReadEvents(path, options, table, &report, FuzzBudget);
    Require(table.count >= 0 && table.count <= FuzzBudget &&
                static_cast<std::size_t>(table.count) <= table.rows.size(),
            "count out of range");
    if (!korvane::fuzzing::RequireAReadingThatAddsUp(status, table, report)) {
        return 0;
    }
    for (int i = 0; i < table.count; ++i) {
        const korvane::EventRecord& row = table.rows[static_cast<std::size_t>(i)];
        Require(std::isfinite(row.x) && std::isfinite(row.y) && std::isfinite(row.z),
                "a place that is no number");
    }
    (void)report.Summary();
    return 0;
}
