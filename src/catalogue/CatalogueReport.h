#pragma once
// What a reading of a catalogue found: the columns and units it took, the rows kept, left
// out and skipped, and the frame of the events, with the texts the front ends show of it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueColumns.h"
#include "catalogue/CatalogueFormats.h"

namespace korvane {

// What a reading found, for the summary, the import dialog and the index.
struct CatalogueReport {
    std::vector<std::string> header;                 // the column names, as the file spells them
    CataloguePreset preset = CataloguePreset::None;  // the format read (None: a header line)
    char separator = 0;
    // The column of each role (index into `header`), -1 when none.
    std::array<int, ColumnRoleCount> columnOf{};
    long long rowsRead = 0;      // data rows, kept, left out or skipped
    long long rowsKept = 0;      // events in the table
    long long rowsFiltered = 0;  // left out by a filter (any of them)
    // Of those: outside the region, of a type left out, outside the depth range.
    long long rowsOutsideRegion = 0;
    long long rowsOfDroppedTypes = 0;
    long long rowsOutsideDepths = 0;
    // The events of each type of the event-type column (in the region), in order of first
    // appearance, as the file first spells it ("" for a row without one); whether it was
    // left out.
    struct TypeCount {
        std::string type;
        long long rows = 0;
        bool dropped = false;
    };
    std::vector<TypeCount> typeCounts;
    long long rowsSkipped = 0;             // a value that could not be read
    std::vector<long long> skippedLines;   // the first few, 1-based
    std::vector<std::string> skipReasons;  // "no depth", in order of first appearance
    std::string firstUnreadTime;           // the text of the first row skipped for its time
    std::vector<std::string> notes;        // how the file was understood, where it matters
    bool calendarTime = false;             // t counts from `timeReference`
    CalendarInstant timeReference;
    bool geographic = false;  // x and y were made from latitude and longitude
    // x, y and z are in the options' unit: latitude and longitude, or a length column whose
    // unit is known (by its name or a choice). False: the file's numbers as they stand.
    bool unitKnown = false;
    LengthUnit unit = LengthUnit::Kilometre;
    // The units the file's projected x, y and its z, depth or elevation were read in; unset
    // where no unit was known (or, for x and y, latitude and longitude were read).
    std::optional<LengthUnit> xyUnit;
    std::optional<LengthUnit> depthUnit;
    // The fields of the first data rows as the reader split them (at most
    // `FirstRowsKept`, and of each its first `FirstFieldsKept`), read or skipped, for
    // showing the catalogue.
    static constexpr std::size_t FirstRowsKept = 20;
    static constexpr std::size_t FirstFieldsKept = 50;
    std::vector<std::vector<std::string>> firstRows;
    double originLatitude = 0.0;
    double originLongitude = 0.0;

    // "12 rows skipped: no depth (lines 33, 48, ...)", or "" when none was; a row skipped
    // for its time adds the first text not read and the forms that are.
    std::string SkippedText() const;
    // One line: events kept, left out and skipped, the events of each type, and the notes.
    std::string Summary() const;
    // "earthquake 1204, quarry blast 37 (left out)", or "" without an event-type column.
    std::string TypesText() const;
    // The rows left out by the magnitude or time range alone.
    long long RowsOutsideRanges() const {
        return rowsFiltered - rowsOutsideRegion - rowsOfDroppedTypes - rowsOutsideDepths;
    }
    // "origin 37.5, 37.1 (x and y in km east and north of it); t in seconds from
    // 2023-02-06T00:00:00Z": the frame of the events, or "" for a catalogue with neither.
    std::string FrameText() const;
};

}  // namespace korvane
