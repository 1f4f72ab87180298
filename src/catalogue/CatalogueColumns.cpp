#include "catalogue/CatalogueColumns.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace korvane {
namespace {

constexpr std::array<const char*, ColumnRoleCount> RoleNames = {
    "x",      "y",    "z",     "t",   "lat",  "lon",    "depth",  "elevation", "magnitude",
    "weight", "year", "month", "day", "hour", "minute", "second", "date",      "type"};

// The words a header may use for each role, lower case, without blanks, '_', '-' or '.'.
struct NameRole {
    const char* name;
    ColumnRole role;
};
constexpr NameRole KnownNames[] = {
    {"x", ColumnRole::X},
    {"east", ColumnRole::X},
    {"easting", ColumnRole::X},
    {"y", ColumnRole::Y},
    {"north", ColumnRole::Y},
    {"northing", ColumnRole::Y},
    {"z", ColumnRole::Z},
    {"depth", ColumnRole::Depth},
    {"dep", ColumnRole::Depth},
    {"elevation", ColumnRole::Elevation},
    {"elev", ColumnRole::Elevation},
    {"t", ColumnRole::Time},
    {"time", ColumnRole::Time},
    {"origintime", ColumnRole::Time},
    {"eventtime", ColumnRole::Time},
    {"datetime", ColumnRole::Time},
    {"timeutc", ColumnRole::Time},
    {"date", ColumnRole::Date},
    {"origindate", ColumnRole::Date},
    {"latitude", ColumnRole::Latitude},
    {"lat", ColumnRole::Latitude},
    {"longitude", ColumnRole::Longitude},
    {"lon", ColumnRole::Longitude},
    {"long", ColumnRole::Longitude},
    {"lng", ColumnRole::Longitude},
    {"magnitude", ColumnRole::Magnitude},
    {"mag", ColumnRole::Magnitude},
    {"localmagnitude", ColumnRole::Magnitude},
    {"momentmagnitude", ColumnRole::Magnitude},
    {"ml", ColumnRole::Magnitude},
    {"mw", ColumnRole::Magnitude},
    {"weight", ColumnRole::Weight},
    {"eventtype", ColumnRole::EventType},
    {"evtype", ColumnRole::EventType},
    {"type", ColumnRole::EventType},
    {"year", ColumnRole::Year},
    {"yr", ColumnRole::Year},
    {"yyyy", ColumnRole::Year},
    {"month", ColumnRole::Month},
    {"mon", ColumnRole::Month},
    {"mo", ColumnRole::Month},
    {"day", ColumnRole::Day},
    {"dy", ColumnRole::Day},
    {"hour", ColumnRole::Hour},
    {"hr", ColumnRole::Hour},
    {"hh", ColumnRole::Hour},
    {"minute", ColumnRole::Minute},
    {"min", ColumnRole::Minute},
    {"mi", ColumnRole::Minute},
    {"mn", ColumnRole::Minute},
    // "Seconds" or "sec" alone, without the date's other columns, is a time in seconds.
    {"second", ColumnRole::Second},
    {"seconds", ColumnRole::Second},
    {"sec", ColumnRole::Second},
    {"sc", ColumnRole::Second},
    {"ss", ColumnRole::Second},
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Lower case without blanks: how a chosen name is first compared with the header's.
std::string Folded(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (!IsBlank(c)) {
            out += Lower(c);
        }
    }
    return out;
}

// "Depth/km", "Origin Time", "origin_time (UTC)" -> "depth", "origintime", "origintime".
std::string LooseName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '/' || c == '(' || c == '[') {
            break;
        }
        if (IsBlank(c) || c == '_' || c == '-' || c == '.' || c == '#') {
            continue;
        }
        out += Lower(c);
    }
    return out;
}

std::optional<LengthUnit> UnitWord(std::string_view word) {
    const std::string folded = LooseName(word);
    if (folded == "m" || folded == "meter" || folded == "meters" || folded == "metre" ||
        folded == "metres") {
        return LengthUnit::Metre;
    }
    if (folded == "km" || folded == "kilometer" || folded == "kilometers" ||
        folded == "kilometre" || folded == "kilometres") {
        return LengthUnit::Kilometre;
    }
    return std::nullopt;
}

// The name without a unit at its end ("depth [m]", "depth (km)", "Depth/km", "depth_m",
// "depth km"), and the unit.
std::string_view WithoutUnit(std::string_view name, std::optional<LengthUnit>* unit) {
    name = Trimmed(name);
    if (!name.empty() && (name.back() == ')' || name.back() == ']')) {
        const char open = name.back() == ')' ? '(' : '[';
        const std::size_t at = name.rfind(open);
        if (at != std::string_view::npos && at > 0) {
            if (const auto found = UnitWord(name.substr(at + 1, name.size() - at - 2))) {
                *unit = found;
                return Trimmed(name.substr(0, at));
            }
        }
        return name;
    }
    const std::size_t at = name.find_last_of("/_ ");
    if (at != std::string_view::npos && at > 0) {
        if (const auto found = UnitWord(name.substr(at + 1))) {
            *unit = found;
            return Trimmed(name.substr(0, at));
        }
    }
    return name;
}

bool IsLength(int role) {
    switch (static_cast<ColumnRole>(role)) {
        case ColumnRole::X:
        case ColumnRole::Y:
        case ColumnRole::Z:
        case ColumnRole::Depth:
        case ColumnRole::Elevation:
            return true;
        default:
            return false;
    }
}

// Which axis a role fills: 0 x, 1 y, 2 z, -1 none.
int AxisOf(ColumnRole role) {
    switch (role) {
        case ColumnRole::X:
        case ColumnRole::Longitude:
            return 0;
        case ColumnRole::Y:
        case ColumnRole::Latitude:
            return 1;
        case ColumnRole::Z:
        case ColumnRole::Depth:
        case ColumnRole::Elevation:
            return 2;
        default:
            return -1;
    }
}

// A whole number from 1 filling the text: a column by its number.
int ColumnNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || DecimalExtent(text) != text.size()) {
        return -1;
    }
    const double number = ReadDecimal(text);
    return number >= 1 && number <= 100000 && number == std::floor(number)
               ? static_cast<int>(number) - 1
               : -1;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// "\"depth (km)\" (column 4), \"depth (m)\" (column 5)".
std::string Candidates(const std::vector<std::string>& header, const std::vector<int>& columns) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += i == 0 ? "" : ", ";
        text += Quoted(header[static_cast<std::size_t>(columns[i])]) + " (column " +
                std::to_string(columns[i] + 1) + ")";
    }
    return text;
}

// Hands each "role=column" pair of a column map to `take`, as the text before the '=' and
// the text after it (both trimmed; `hasEquals` false for a pair without one); stops when
// `take` returns false.
template <typename Take>
void ForEachPair(std::string_view columns, Take take) {
    std::size_t pos = 0;
    while (pos <= columns.size()) {
        const std::size_t end = std::min(columns.find(',', pos), columns.size());
        const std::string_view pair = Trimmed(columns.substr(pos, end - pos));
        pos = end + 1;
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const bool hasEquals = equals != std::string_view::npos;
        if (!take(pair, hasEquals ? Trimmed(pair.substr(0, equals)) : pair,
                  hasEquals ? Trimmed(pair.substr(equals + 1)) : std::string_view(), hasEquals)) {
            return;
        }
    }
}

const char* const RoleList =
    "roles: x, y, z, t, lat, lon, depth, elevation, mag, weight, year, month, day, hour, "
    "minute, second, date";

// One "role=column" pair of a column map on top of `columnOf`; refused, naming `path`, when
// it is not of that form or its column is not there or could be several.
Status TakePair(const std::vector<std::string>& header, std::string_view pair,
                std::string_view keyText, std::string_view value, const std::string& path,
                std::array<int, ColumnRoleCount>& columnOf) {
    auto at = [&](ColumnRole role) -> int& { return columnOf[static_cast<std::size_t>(role)]; };
    const std::string key = LooseName(keyText);
    int role = RoleOfChoiceKey(keyText);
    if (role < 0 || value.empty()) {
        return Status::InvalidInput("The column choice " + Quoted(pair) +
                                    " is not of the form role=column (" + RoleList + ").");
    }
    std::string problem;
    const int column = ColumnOfChoice(header, value, path, &problem);
    if (column < 0) {
        return Status::InvalidInput(problem.substr(0, problem.size() - 1) + " (chosen for " + key +
                                    ").");
    }
    // x and y given a longitude or latitude column take it as such; z given a depth or
    // elevation column likewise.
    if (static_cast<std::size_t>(column) < header.size() &&
        (role == static_cast<int>(ColumnRole::X) || role == static_cast<int>(ColumnRole::Y) ||
         role == static_cast<int>(ColumnRole::Z))) {
        const int named = RoleOfColumnName(header[static_cast<std::size_t>(column)]);
        if (named >= 0 &&
            AxisOf(static_cast<ColumnRole>(named)) == AxisOf(static_cast<ColumnRole>(role))) {
            role = named;
        }
    }
    const int axis = AxisOf(static_cast<ColumnRole>(role));
    if (axis >= 0) {
        for (int r = 0; r < ColumnRoleCount; ++r) {
            if (AxisOf(static_cast<ColumnRole>(r)) == axis) {
                columnOf[static_cast<std::size_t>(r)] = -1;
            }
        }
    }
    if (role == static_cast<int>(ColumnRole::Time)) {
        for (ColumnRole split : {ColumnRole::Year, ColumnRole::Month, ColumnRole::Day,
                                 ColumnRole::Hour, ColumnRole::Minute, ColumnRole::Second}) {
            at(split) = -1;
        }
    }
    columnOf[static_cast<std::size_t>(role)] = column;
    return Status::Ok();
}

}  // namespace

const char* ColumnRoleName(ColumnRole role) {
    return RoleNames[static_cast<std::size_t>(role)];
}

int RoleOfColumnName(std::string_view name, std::optional<LengthUnit>* unit) {
    std::optional<LengthUnit> hinted;
    const std::string loose = LooseName(WithoutUnit(name, &hinted));
    for (const NameRole& known : KnownNames) {
        if (loose == known.name) {
            const int role = static_cast<int>(known.role);
            if (unit != nullptr) {
                *unit = IsLength(role) ? hinted : std::nullopt;
            }
            return role;
        }
    }
    if (unit != nullptr) {
        unit->reset();
    }
    return -1;
}

int RoleOfChoiceKey(std::string_view key) {
    const std::string loose = LooseName(key);
    for (int r = 0; r < ColumnRoleCount; ++r) {
        if (loose == RoleNames[static_cast<std::size_t>(r)]) {
            return r;
        }
    }
    return RoleOfColumnName(key);
}

int ColumnOfChoice(const std::vector<std::string>& header, std::string_view choice,
                   const std::string& path, std::string* problem) {
    choice = Trimmed(choice);
    if (const int number = ColumnNumber(choice); number >= 0) {
        return number;
    }
    std::vector<int> exact;
    std::vector<int> loose;
    const std::string folded = Folded(choice);
    const std::string looseChoice = LooseName(choice);
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (Folded(header[i]) == folded) {
            exact.push_back(static_cast<int>(i));
        } else if (!looseChoice.empty() && LooseName(header[i]) == looseChoice) {
            loose.push_back(static_cast<int>(i));
        }
    }
    const std::vector<int>& found = exact.empty() ? loose : exact;
    if (found.size() == 1) {
        return found.front();
    }
    if (problem != nullptr) {
        *problem = found.empty()
                       ? "The catalogue " + Quoted(path) + " has no column " + Quoted(choice) + "."
                       : "The column " + Quoted(choice) + " of the catalogue " + Quoted(path) +
                             " could be any of " + Candidates(header, found) +
                             ": choose one by its full name or its number.";
    }
    return -1;
}

std::string ChoiceOfColumn(const std::vector<std::string>& header, std::size_t index) {
    if (index < header.size()) {
        const std::string& name = header[index];
        if (!Trimmed(name).empty() && name.find_first_of(",=") == std::string::npos &&
            ColumnOfChoice(header, name, "") == static_cast<int>(index)) {
            return name;
        }
    }
    return std::to_string(index + 1);
}

bool ColumnsAllByNumber(std::string_view columns) {
    bool any = false;
    bool all = true;
    ForEachPair(columns,
                [&](std::string_view, std::string_view, std::string_view value, bool hasEquals) {
                    all = hasEquals && ColumnNumber(value) >= 0;
                    any = true;
                    return all;
                });
    return any && all;
}

Status MapCatalogueColumns(const std::vector<std::string>& header, std::string_view columns,
                           const std::string& path, std::array<int, ColumnRoleCount>& columnOf) {
    columnOf.fill(-1);
    auto at = [&](ColumnRole role) -> int& { return columnOf[static_cast<std::size_t>(role)]; };
    for (std::size_t i = 0; i < header.size(); ++i) {
        const int role = RoleOfColumnName(header[i]);
        if (role >= 0 && columnOf[static_cast<std::size_t>(role)] < 0) {
            columnOf[static_cast<std::size_t>(role)] = static_cast<int>(i);
        }
    }
    // Projected coordinates, a z column and a time column win over their other kinds.
    if (at(ColumnRole::X) >= 0 || at(ColumnRole::Y) >= 0) {
        at(ColumnRole::Latitude) = at(ColumnRole::Longitude) = -1;
    }
    if (at(ColumnRole::Z) >= 0) {
        at(ColumnRole::Depth) = at(ColumnRole::Elevation) = -1;
    } else if (at(ColumnRole::Depth) >= 0) {
        at(ColumnRole::Elevation) = -1;
    }
    Status refused = Status::Ok();
    ForEachPair(columns, [&](std::string_view pair, std::string_view keyText,
                             std::string_view value, bool hasEquals) {
        refused =
            TakePair(header, pair, keyText, hasEquals ? value : std::string_view(), path, columnOf);
        return refused.ok();
    });
    if (!refused.ok()) {
        return refused;
    }
    const bool splitDate =
        at(ColumnRole::Year) >= 0 && at(ColumnRole::Month) >= 0 && at(ColumnRole::Day) >= 0;
    if (at(ColumnRole::Time) >= 0 || at(ColumnRole::Date) >= 0) {
        for (ColumnRole split : {ColumnRole::Year, ColumnRole::Month, ColumnRole::Day,
                                 ColumnRole::Hour, ColumnRole::Minute, ColumnRole::Second}) {
            at(split) = -1;
        }
    } else if (!splitDate && at(ColumnRole::Second) >= 0) {
        // Seconds without a date: the time of the events in seconds.
        at(ColumnRole::Time) = at(ColumnRole::Second);
        at(ColumnRole::Second) = -1;
    }
    const bool hasX = at(ColumnRole::X) >= 0 || at(ColumnRole::Longitude) >= 0;
    const bool hasY = at(ColumnRole::Y) >= 0 || at(ColumnRole::Latitude) >= 0;
    const bool hasZ =
        at(ColumnRole::Z) >= 0 || at(ColumnRole::Depth) >= 0 || at(ColumnRole::Elevation) >= 0;
    const bool hasT = at(ColumnRole::Time) >= 0 || at(ColumnRole::Date) >= 0 || splitDate;
    if (hasX && hasY && hasZ && hasT) {
        return Status::Ok();
    }
    std::string missing;
    for (const auto& [has, word] :
         {std::pair{hasX, "x (or longitude)"}, std::pair{hasY, "y (or latitude)"},
          std::pair{hasZ, "z (or depth)"},
          std::pair{hasT, "time (or date, or year, month, day)"}}) {
        if (!has) {
            missing += (missing.empty() ? "" : ", ") + std::string(word);
        }
    }
    return Status::InvalidInput("The catalogue " + Quoted(path) + " has no column for " + missing +
                                ": name the columns in its header line or choose them.");
}

}  // namespace korvane
