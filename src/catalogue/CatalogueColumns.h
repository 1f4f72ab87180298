#pragma once
// The columns of a catalogue: the role a header name gives a column and the length unit it
// hints at, the column a user's choice names (exactly first, then loosely, never one of
// several without a word), and the column map of a header with the user's choices on top.
// The reader and the import dialog both go through these, so a choice the dialog stores is
// the column the reader takes.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"

namespace korvane {

// What a column of a catalogue holds.
enum class ColumnRole {
    X,          // east, projected, in the x/y unit
    Y,          // north, projected, in the x/y unit
    Z,          // z as the file has it (positive up or down as chosen), in the depth unit
    Time,       // seconds, or calendar time (a date and time, or a clock time beside a Date)
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
    Second,
    Date,      // a calendar date, with the clock time in the Time column (or none)
    EventType  // "earthquake", "quarry blast", ...: what the event was
};
constexpr int ColumnRoleCount = 18;

enum class LengthUnit { Kilometre, Metre };

// The name a role goes by in a column map: "x", "lat", "magnitude", "date", ...
const char* ColumnRoleName(ColumnRole role);

// The role a header name gives its column ("Depth/km" depth, "origin_time(s)" time, "Local
// Magnitude" magnitude, "YR" year), or -1. A name of a length ("depth_m", "Easting [m]",
// "depth (km)", "Depth/km") sets `unit` (may be null) to the unit it names, else leaves it
// unset.
int RoleOfColumnName(std::string_view name, std::optional<LengthUnit>* unit = nullptr);

// The role the key of a "role=column" pair names: a role's name ("x", "lat", "magnitude") or
// a column name's role ("mag", "Latitude"), case and blanks aside; -1 for none.
int RoleOfChoiceKey(std::string_view key);

// The column that `choice` names among `header`: a whole number from 1 (any column, also one
// past the header), else the one header name equal to it with case and blanks aside, else the
// one name that matches as the names of RoleOfColumnName are matched (without '_', '-', '.',
// up to a '(', '/' or '['). -1 when none or several do; `problem` (may be null) then says so,
// naming the candidates, with `path` for the catalogue.
int ColumnOfChoice(const std::vector<std::string>& header, std::string_view choice,
                   const std::string& path, std::string* problem = nullptr);

// What names column `index` (from 0) for ColumnOfChoice: its header name when that gives the
// column back and fits a column map (no ',' or '='), else its number from 1.
std::string ChoiceOfColumn(const std::vector<std::string>& header, std::size_t index);

// True when `columns` (a column map, see CatalogueOptions::columns) names every column by its
// number, so that a file needs no header line.
bool ColumnsAllByNumber(std::string_view columns);

// The column of each role, -1 for none: found by name in `header`, then the "role=column"
// pairs of `columns` on top. Refused, naming `path`, for a pair that is not of that form, a
// column that is not there or ambiguous, or a header that leaves x, y, z or t without one.
Status MapCatalogueColumns(const std::vector<std::string>& header, std::string_view columns,
                           const std::string& path, std::array<int, ColumnRoleCount>& columnOf);

}  // namespace korvane
