#pragma once
// Reading other people's catalogues into the event table: delimited text whose header line
// names the columns. Latitude and longitude become local east/north coordinates around an
// origin, calendar time becomes seconds from a reference instant, and rows outside the
// magnitude or time range are left out. A plain event file (no header) reads as before.

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "common/RunObserver.h"
#include "common/Status.h"
#include "events/EventFile.h"
#include "events/EventTable.h"

namespace korvane {

// What a column of a catalogue holds.
enum class ColumnRole {
    X,          // east, projected: passes through
    Y,          // north, projected: passes through
    Z,          // z as the file has it: passes through
    Time,       // seconds, or ISO 8601 calendar time
    Latitude,   // degrees north
    Longitude,  // degrees east
    Depth,      // below the surface, in the depth unit
    Elevation,  // above the surface, in the depth unit
    Magnitude,
    Weight,
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second
};
constexpr int ColumnRoleCount = 16;

enum class LengthUnit { Kilometre, Metre };

// Catalogue formats without a header line of their own, each a column map.
enum class CataloguePreset {
    None,       // the file's own header line names the columns
    HypoDD,     // hypoDD's .reloc: id lat lon depth x y z ex ey ez yr mo dy hr mi sc mag ...
    GrowClust,  // GrowClust's catalogue: yr mon day hr min sec evid latR lonR depR mag ...
    FdsnText,   // FDSN event text: EventID|Time|Latitude|Longitude|Depth/km|...|Magnitude|...
    NonLinLoc,  // NonLinLoc's .hyp blocks: the GEOGRAPHIC and HYPOCENTER lines
    QuakeMl     // QuakeML 1.2: each event's preferred origin and magnitude; depth in metres
};

// "hypodd", "growclust", "fdsn", "nonlinloc", "quakeml" (any case); none for another name.
std::optional<CataloguePreset> CataloguePresetNamed(std::string_view name);

// The name CataloguePresetNamed reads back: "hypodd", ..., "quakeml"; "" for None.
const char* CataloguePresetName(CataloguePreset preset);

// The choices of an import; every default finds the columns by name.
struct CatalogueOptions {
    // Columns chosen by hand, "role=column" pairs split by commas, a column given by its
    // header name or its number from 1 ("x=lon,y=lat,z=depth,t=time"). Roles: x, y, z, t,
    // lat, lon, depth, elevation, mag, weight, year, month, day, hour, minute, second. x and
    // y given a longitude or latitude column take it as such. Empty: by name only.
    std::string columns;
    // A format without a header line; its column map stands in for the header.
    CataloguePreset preset = CataloguePreset::None;
    // The field separator: ',', '\t', ';', '|', or ' ' for runs of blanks; 0 detects it
    // from the header line.
    char separator = 0;
    // Latitude and longitude, in degrees, of the point that becomes x = y = 0; unset: the
    // middle of the catalogue's extent.
    std::optional<std::array<double, 2>> origin;
    // The unit of x, y and z made from latitude, longitude and depth.
    LengthUnit unit = LengthUnit::Kilometre;
    // The unit of the file's depth and elevation columns (text catalogues give km).
    LengthUnit depthUnit = LengthUnit::Kilometre;
    // z is depth, positive down (true), or elevation, positive up.
    bool depthDown = true;
    // The instant of t = 0 for calendar time; unset: midnight UTC of the earliest event's day.
    std::optional<CalendarInstant> timeReference;
    // Rows whose magnitude lies outside [min, max] are left out; with a bound set, so is a
    // row without a magnitude.
    double magnitudeMin = -std::numeric_limits<double>::infinity();
    double magnitudeMax = std::numeric_limits<double>::infinity();
    // Rows whose time lies outside [min, max] are left out: seconds since 1970-01-01 UTC
    // for calendar time, the file's own seconds otherwise.
    double timeMin = -std::numeric_limits<double>::infinity();
    double timeMax = std::numeric_limits<double>::infinity();

    bool operator==(const CatalogueOptions&) const = default;
};

// What a reading found, for the summary, the import dialog and the index.
struct CatalogueReport {
    std::vector<std::string> header;                 // the column names, as the file spells them
    CataloguePreset preset = CataloguePreset::None;  // the format read (None: a header line)
    char separator = 0;
    // The column of each role (index into `header`), -1 when none.
    std::array<int, ColumnRoleCount> columnOf{};
    long long rowsRead = 0;                // data rows, kept, left out or skipped
    long long rowsKept = 0;                // events in the table
    long long rowsFiltered = 0;            // outside the magnitude or time range
    long long rowsSkipped = 0;             // a value that could not be read
    std::vector<long long> skippedLines;   // the first few, 1-based
    std::vector<std::string> skipReasons;  // "no depth", in order of first appearance
    bool calendarTime = false;             // t counts from `timeReference`
    CalendarInstant timeReference;
    bool geographic = false;  // x and y were made from latitude and longitude
    // The fields of the first data rows as the reader split them (at most
    // `FirstRowsKept`, and of each its first `FirstFieldsKept`), read or skipped, for
    // showing the catalogue.
    static constexpr std::size_t FirstRowsKept = 20;
    static constexpr std::size_t FirstFieldsKept = 50;
    std::vector<std::vector<std::string>> firstRows;
    double originLatitude = 0.0;
    double originLongitude = 0.0;

    // "12 rows skipped: no depth (lines 33, 48, ...)", or "" when none was.
    std::string SkippedText() const;
    // One line: events kept, left out and skipped.
    std::string Summary() const;
};

// The name a role goes by in `CatalogueOptions::columns`.
const char* ColumnRoleName(ColumnRole role);

// Empties `table` and reads the catalogue at `path` into it (x, y, z, t, and the magnitude
// or weight column, if any, into `weightSource`), up to `maxEvents` events. A row whose x, y,
// z or t cannot be read is skipped and counted in `report`. Refused, naming the file, when it
// cannot be read, has no header line that names the columns needed, or holds no readable
// row; the table is then empty. An `observer` follows the reading of a text catalogue block
// by block and may stop it (Cancelled, the table empty).
Status ReadCatalogue(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport* report, long long maxEvents = EventMemoryBudget(),
                     RunObserver* observer = nullptr);

// True when the first line of the file that is not blank holds no number: a header line (or
// a comment, an XML declaration, an NLLOC line), so the file is a catalogue rather than a
// plain event file.
bool StartsWithHeader(const std::string& path);

// Reads an event file of either kind: a plain event file exactly as ReadEventFile does, a
// file that starts with a header line as a catalogue with `options`. `report` (may be null)
// is filled for a catalogue and left empty for a plain file. An `observer` follows the
// reading block by block and may stop it (see ReadEventFile).
Status ReadEvents(const std::string& path, const CatalogueOptions& options, EventTable& table,
                  CatalogueReport* report, long long maxEvents = EventMemoryBudget(),
                  RunObserver* observer = nullptr);

}  // namespace korvane
