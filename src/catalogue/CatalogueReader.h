#pragma once
// Reading other people's catalogues into the event table: delimited text whose header line
// names the columns, or a format known by its content. Latitude and longitude become local
// east/north coordinates around an origin, calendar time becomes seconds from a reference
// instant, every length is turned into one unit, and rows outside the magnitude or time range
// are left out. The origin and the reference (the catalogue's frame) come from every readable
// row before any filter, so that a filter never moves the events. A plain event file (no
// header) reads as before.

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueColumns.h"
#include "catalogue/CatalogueFormats.h"
#include "catalogue/CatalogueReport.h"
#include "common/RunObserver.h"
#include "common/Status.h"
#include "events/EventFile.h"
#include "events/EventTable.h"
#include "events/EventWeights.h"

namespace korvane {

// The choices of an import; every default finds the columns by name.
struct CatalogueOptions {
    // Columns chosen by hand, "role=column" pairs split by commas, a column given by its
    // header name or its number from 1 ("x=lon,y=lat,z=depth,t=time"). Roles: x, y, z, t,
    // lat, lon, depth, elevation, mag, weight, year, month, day, hour, minute, second, date,
    // type.
    // x and y given a longitude or latitude column take it as such. Empty: by name only.
    // Every column given by number: the file needs no header line.
    std::string columns;
    // A format without a header line; its column map stands in for the header.
    CataloguePreset preset = CataloguePreset::None;
    // The field separator: ',', '\t', ';', '|', or ' ' for runs of blanks; 0 detects it
    // from the header line.
    char separator = 0;
    // Latitude and longitude, in degrees, of the point that becomes x = y = 0; unset: the
    // middle of the catalogue's extent. Events more than 90 degrees of arc from a given
    // origin are skipped.
    std::optional<std::array<double, 2>> origin;
    // The unit of x, y and z in the table: what latitude and longitude become, and what every
    // length column is turned into.
    LengthUnit unit = LengthUnit::Kilometre;
    // The unit of the file's projected x and y columns; unset: what their names say ("x_m",
    // "easting [km]"), else the depth's unit where that is known, else taken as `unit`.
    std::optional<LengthUnit> xyUnit;
    // The unit of the file's z, depth and elevation columns; unset: what the name says
    // ("depth_m", "Depth/km"), else km beside latitude and longitude (metres in QuakeML), the
    // x/y unit beside projected x and y where that is known, else taken as `unit`.
    std::optional<LengthUnit> depthUnit;
    // z is depth, positive down (true), or elevation, positive up.
    bool depthDown = true;
    // How a date ending with its year is read (06.02.2023, 02/06/2023).
    DateOrder dateOrder = DateOrder::Automatic;
    // The instant of t = 0 for calendar time; unset: midnight UTC of the earliest event's day.
    std::optional<CalendarInstant> timeReference;
    // Rows whose magnitude lies outside [min, max] are left out; with a bound set, a row
    // without a magnitude is skipped (and a catalogue without a magnitude column refused).
    double magnitudeMin = -std::numeric_limits<double>::infinity();
    double magnitudeMax = std::numeric_limits<double>::infinity();
    // Rows whose time lies outside [min, max] are left out, in the table's seconds: from the
    // time reference for calendar time, the file's own seconds otherwise.
    double timeMin = -std::numeric_limits<double>::infinity();
    double timeMax = std::numeric_limits<double>::infinity();
    // Event types (the event-type column's words, any case: "quarry blast") whose rows are
    // left out; empty: every type is kept. A type the catalogue does not hold is refused.
    std::vector<std::string> dropTypes;
    // The region the events are cut to: "LATMIN,LATMAX,LONMIN,LONMAX", or the path of a
    // polygon file (lat,lon lines or GeoJSON); empty: everywhere. Only the rows inside it
    // make the catalogue's frame, so that the origin is the middle of the region's events.
    std::string region;
    // Rows whose depth (below the surface, in `unit`) lies outside [min, max] are left out.
    double depthMin = -std::numeric_limits<double>::infinity();
    double depthMax = std::numeric_limits<double>::infinity();
    // The time range of a setup file of an earlier version: seconds since 1970-01-01 UTC for
    // calendar time (the file's own seconds otherwise).
    bool timeRangeSince1970 = false;
    // What the events are weighed by, for this reading only (the run's [Weights]; no setup key
    // of its own): moment needs the magnitude column, value the weight column (else the
    // magnitude), and a row without that number is skipped.
    EventWeighting weights = EventWeighting::None;

    bool operator==(const CatalogueOptions&) const = default;
};

// The origin of a local frame from the texts of its latitude and longitude in degrees, each a
// number and nothing else: none when either is not one, when the latitude lies beyond 90
// degrees north or south or the longitude beyond 360 east or west (the reader wraps it).
// The batch, the setup file and the import dialog all take an origin through this.
std::optional<std::array<double, 2>> OriginOf(std::string_view latitude,
                                              std::string_view longitude);
// The same from "LAT,LON".
std::optional<std::array<double, 2>> OriginOf(std::string_view latitudeAndLongitude);

// Empties `table` and reads the catalogue at `path` into it (x, y, z, t, and into
// `weightSource` the number the weighting needs: the magnitude for moment weights, else the
// weight column, else the magnitude; NaN for a row without it), up to `maxEvents` events. A
// row whose x, y, z or t (or the number its weighting or filter needs) cannot be read is
// skipped and counted in `report`. Refused, naming the file, when it cannot be read, has no
// header line that names the columns needed, spans more of the earth than a local frame
// holds, or holds no readable row; the table is then empty. An `observer` follows the reading
// block by block and may stop it (Cancelled, the table empty).
Status ReadCatalogue(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport* report, long long maxEvents = EventMemoryBudget(),
                     RunObserver* observer = nullptr);

// True when the file is a catalogue rather than a plain event file: a format known by its
// content (RecognisedPreset), or a first line that is not blank and holds no number (a header
// line, or a comment).
bool StartsWithHeader(const std::string& path);

// Reads an event file of either kind: a plain event file exactly as ReadEventFile does, a
// catalogue (StartsWithHeader, or any catalogue choice made) with `options`. `report` (may be
// null) is filled for a catalogue; for a plain file it holds only the rows skipped because
// the weighting needs a fifth field they lack. An `observer` follows the reading block by
// block and may stop it (see ReadEventFile).
Status ReadEvents(const std::string& path, const CatalogueOptions& options, EventTable& table,
                  CatalogueReport* report, long long maxEvents = EventMemoryBudget(),
                  RunObserver* observer = nullptr);

}  // namespace korvane
