#pragma once
// What every reading of a catalogue must hold, for the fuzz targets that read catalogues: a
// refused file leaves the table empty, and the rows read add up to those kept, left out and
// skipped, with one weight (or none) per event.

#include "FuzzSupport.h"
#include "catalogue/CatalogueReader.h"

namespace korvane::fuzzing {

// False for a refused file (then checked empty), true for a reading to check further.
inline bool RequireAReadingThatAddsUp(const Status& status, const EventTable& table,
                                      const CatalogueReport& report) {
    if (!status.ok()) {
        Require(table.count == 0 && table.weightSource.empty(),
                "a refused file left events in the table");
        Require(!status.message().empty(), "a refused file without a reason");
        return false;
    }
    if (report.header.empty()) {
        return false;  // a plain event file: the event file target checks it
    }
    Require(report.rowsKept == table.count, "the kept rows are not the table's");
    Require(report.rowsRead == report.rowsKept + report.rowsFiltered + report.rowsSkipped,
            "rows read do not add up");
    Require(table.weightSource.empty() ||
                table.weightSource.size() == static_cast<std::size_t>(table.count),
            "one weight per event");
    return true;
}

}  // namespace korvane::fuzzing
