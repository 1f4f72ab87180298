#include "catalogue/CatalogueReader.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <GeographicLib/LocalCartesian.hpp>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <new>
#include <string_view>

#include "catalogue/NonLinLocRecords.h"
#include "catalogue/QuakeMlRecords.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"
#include "common/TextLines.h"

namespace korvane {
namespace {

constexpr double SecondsPerDay = 86400.0;
// How many skipped lines the report names.
constexpr std::size_t NamedSkippedLines = 5;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

constexpr std::array<const char*, ColumnRoleCount> RoleNames = {
    "x",         "y",      "z",    "t",     "lat", "lon",  "depth",  "elevation",
    "magnitude", "weight", "year", "month", "day", "hour", "minute", "second"};

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
    {"datetime", ColumnRole::Time},
    {"latitude", ColumnRole::Latitude},
    {"lat", ColumnRole::Latitude},
    {"longitude", ColumnRole::Longitude},
    {"lon", ColumnRole::Longitude},
    {"long", ColumnRole::Longitude},
    {"lng", ColumnRole::Longitude},
    {"magnitude", ColumnRole::Magnitude},
    {"mag", ColumnRole::Magnitude},
    {"weight", ColumnRole::Weight},
    {"year", ColumnRole::Year},
    {"month", ColumnRole::Month},
    {"day", ColumnRole::Day},
    {"hour", ColumnRole::Hour},
    {"minute", ColumnRole::Minute},
    {"min", ColumnRole::Minute},
    {"second", ColumnRole::Second},
    {"sec", ColumnRole::Second},
};

// The header each preset stands for, and its separator. hypoDD's x, y and z (metres from
// the cluster's centroid) are named so that latitude and longitude place the events.
struct PresetColumns {
    const char* header;
    char separator;
};
PresetColumns ColumnsOfPreset(CataloguePreset preset) {
    switch (preset) {
        case CataloguePreset::HypoDD:
            return {
                "id lat lon depth dx_m dy_m dz_m ex ey ez year month day hour minute second "
                "mag nccp nccs nctp ncts rcc rct cid",
                ' '};
        case CataloguePreset::GrowClust:
            return {
                "year month day hour minute second evid lat lon depth mag qid cid nbranch "
                "qnpair qndiffp qndiffs rmsp rmss eh ez et latc lonc depc",
                ' '};
        case CataloguePreset::FdsnText:
            return {
                "EventID|Time|Latitude|Longitude|Depth/km|Author|Catalog|Contributor|"
                "ContributorID|MagType|Magnitude|MagAuthor|EventLocationName",
                '|'};
        case CataloguePreset::NonLinLoc:
            return {NonLinLocColumns, ' '};
        case CataloguePreset::QuakeMl:
            return {QuakeMlColumns, ','};
        default:
            return {"", 0};
    }
}

// "Depth/km", "Origin Time", "origin_time (UTC)" -> "depth", "origintime", "origintime".
std::string NormalName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '/' || c == '(' || c == '[') {
            break;
        }
        if (c == ' ' || c == '_' || c == '-' || c == '.' || c == '\t' || c == '#') {
            continue;
        }
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

int RoleOfName(std::string_view name) {
    const std::string normal = NormalName(name);
    for (const NameRole& known : KnownNames) {
        if (normal == known.name) {
            return static_cast<int>(known.role);
        }
    }
    return -1;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits a line into fields. Quoted fields (RFC 4180) lose their quotes, and a doubled quote
// inside becomes one, in `scratch` (one string per field, reused from line to line).
class FieldSplitter {
  public:
    void Split(std::string_view line, char separator, std::vector<std::string_view>& fields) {
        fields.clear();
        std::size_t index = 0;
        std::size_t pos = 0;
        if (separator == ' ') {
            for (;;) {
                while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
                    ++pos;
                }
                if (pos >= line.size()) {
                    return;
                }
                if (line[pos] == '"') {
                    pos = Quoted(line, pos, index++, fields);
                    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
                        ++pos;
                    }
                    continue;
                }
                const std::size_t start = pos;
                while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
                    ++pos;
                }
                fields.push_back(line.substr(start, pos - start));
                ++index;
            }
        }
        for (;;) {
            std::size_t start = pos;
            while (start < line.size() && line[start] == ' ') {
                ++start;
            }
            if (start < line.size() && line[start] == '"') {
                pos = Quoted(line, start, index++, fields);
                // Anything between the closing quote and the separator is dropped.
                const std::size_t next = line.find(separator, pos);
                if (next == std::string_view::npos) {
                    return;
                }
                pos = next + 1;
                continue;
            }
            const std::size_t next = line.find(separator, pos);
            fields.push_back(line.substr(
                pos, next == std::string_view::npos ? std::string_view::npos : next - pos));
            ++index;
            if (next == std::string_view::npos) {
                return;
            }
            pos = next + 1;
        }
    }

  private:
    // The quoted field that opens at `open`; returns the position after its closing quote.
    std::size_t Quoted(std::string_view line, std::size_t open, std::size_t index,
                       std::vector<std::string_view>& fields) {
        std::size_t pos = open + 1;
        const std::size_t close = line.find('"', pos);
        if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '"') {
            // No doubled quote: the field is the text between the quotes.
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            fields.push_back(line.substr(pos, end - pos));
            return end == line.size() ? end : end + 1;
        }
        if (m_scratch.size() <= index) {
            m_scratch.resize(index + 1);
        }
        std::string& text = m_scratch[index];
        text.clear();
        while (pos < line.size()) {
            if (line[pos] == '"') {
                if (pos + 1 < line.size() && line[pos + 1] == '"') {
                    text += '"';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            text += line[pos++];
        }
        fields.push_back(text);
        return pos;
    }

    // A deque: a field added later never moves the text of one that a view already holds.
    std::deque<std::string> m_scratch;
};

// The separator of a header line: the most frequent of TAB, '|', ';' and ',' outside
// quotes, or runs of blanks when there is none of them.
char DetectSeparator(std::string_view line) {
    constexpr char candidates[] = {'\t', '|', ';', ','};
    int counts[4] = {0, 0, 0, 0};
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        }
        for (int i = 0; i < 4 && !quoted; ++i) {
            counts[i] += c == candidates[i] ? 1 : 0;
        }
    }
    const int best = static_cast<int>(std::max_element(counts, counts + 4) - counts);
    return counts[best] > 0 ? candidates[best] : ' ';
}

// A number filling the whole field (blanks around it allowed); a decimal comma is read as a
// point where the separator is not a comma.
bool ReadNumber(std::string_view field, bool decimalComma, double* out) {
    field = Trimmed(field);
    if (field.empty() || field.size() > 64) {
        return false;
    }
    char buffer[64];
    if (decimalComma && field.find(',') != std::string_view::npos) {
        std::memcpy(buffer, field.data(), field.size());
        std::replace(buffer, buffer + field.size(), ',', '.');
        field = std::string_view(buffer, field.size());
    }
    if (DecimalExtent(field) != field.size()) {
        return false;
    }
    *out = ReadDecimal(field);
    return std::isfinite(*out);
}

bool LineHoldsANumber(std::string_view line) {
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        if (DecimalExtent(line.substr(pos)) > 0) {
            return true;
        }
        // Only the start of a field counts: skip to the next separator-like character.
        while (pos < line.size() && line[pos] != '\t' && line[pos] != ',' && line[pos] != ';' &&
               line[pos] != '|' && line[pos] != ' ') {
            ++pos;
        }
    }
    return false;
}

bool IsCommentOrBlank(std::string_view line) {
    line = Trimmed(line);
    return line.empty() || line.front() == '#';
}

// Which axis a role fills: 0 x, 1 y, 2 z, 3 t, -1 none.
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
        case ColumnRole::Time:
        case ColumnRole::Year:
            return 3;
        default:
            return -1;
    }
}

// The column map: found by name, then the user's choices on top.
Status MapColumns(const std::vector<std::string_view>& header, const std::string& columns,
                  const std::string& path, std::array<int, ColumnRoleCount>& columnOf) {
    columnOf.fill(-1);
    for (std::size_t i = 0; i < header.size(); ++i) {
        const int role = RoleOfName(header[i]);
        if (role >= 0 && columnOf[static_cast<std::size_t>(role)] < 0) {
            columnOf[static_cast<std::size_t>(role)] = static_cast<int>(i);
        }
    }
    // Projected coordinates, a z column and a time column win over their other kinds.
    auto at = [&](ColumnRole role) -> int& { return columnOf[static_cast<std::size_t>(role)]; };
    if (at(ColumnRole::X) >= 0 || at(ColumnRole::Y) >= 0) {
        at(ColumnRole::Latitude) = at(ColumnRole::Longitude) = -1;
    }
    if (at(ColumnRole::Z) >= 0) {
        at(ColumnRole::Depth) = at(ColumnRole::Elevation) = -1;
    } else if (at(ColumnRole::Depth) >= 0) {
        at(ColumnRole::Elevation) = -1;
    }
    std::size_t pos = 0;
    while (pos < columns.size()) {
        std::size_t end = columns.find(',', pos);
        if (end == std::string::npos) {
            end = columns.size();
        }
        const std::string_view pair = Trimmed(std::string_view(columns).substr(pos, end - pos));
        pos = end + 1;
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const std::string key =
            NormalName(equals == std::string_view::npos ? pair : pair.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos
                                           ? std::string_view()
                                           : Trimmed(pair.substr(equals + 1));
        int role = -1;
        for (int r = 0; r < ColumnRoleCount; ++r) {
            if (key == RoleNames[static_cast<std::size_t>(r)]) {
                role = r;
            }
        }
        if (role < 0) {
            role = RoleOfName(key);
        }
        if (role < 0 || value.empty()) {
            return Status::InvalidInput("The column choice \"" + std::string(pair) +
                                        "\" is not of the form role=column (roles: x, y, z, t, "
                                        "lat, lon, depth, elevation, mag, weight, year, month, "
                                        "day, hour, minute, second).");
        }
        int column = -1;
        double number = 0.0;
        if (ReadNumber(value, false, &number) && number >= 1 && number == std::floor(number) &&
            number <= 100000) {
            column = static_cast<int>(number) - 1;
        } else {
            const std::string wanted = NormalName(value);
            for (std::size_t i = 0; i < header.size() && column < 0; ++i) {
                if (NormalName(header[i]) == wanted) {
                    column = static_cast<int>(i);
                }
            }
            if (column < 0) {
                return Status::InvalidInput("The catalogue " + Quoted(path) + " has no column \"" +
                                            std::string(value) + "\" (chosen for " + key + ").");
            }
        }
        // x and y given a longitude or latitude column take it as such; z given a depth or
        // elevation column likewise.
        if (static_cast<std::size_t>(column) < header.size()) {
            const int named = RoleOfName(header[static_cast<std::size_t>(column)]);
            const int axis = AxisOf(static_cast<ColumnRole>(role));
            if (named >= 0 && axis >= 0 && axis < 3 &&
                AxisOf(static_cast<ColumnRole>(named)) == axis &&
                (role == static_cast<int>(ColumnRole::X) ||
                 role == static_cast<int>(ColumnRole::Y) ||
                 role == static_cast<int>(ColumnRole::Z))) {
                role = named;
            }
        }
        const int axis = AxisOf(static_cast<ColumnRole>(role));
        if (axis >= 0 && axis < 3) {
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
    }
    if (at(ColumnRole::Time) >= 0) {
        for (ColumnRole split : {ColumnRole::Year, ColumnRole::Month, ColumnRole::Day,
                                 ColumnRole::Hour, ColumnRole::Minute, ColumnRole::Second}) {
            at(split) = -1;
        }
    }
    const bool hasX = at(ColumnRole::X) >= 0 || at(ColumnRole::Longitude) >= 0;
    const bool hasY = at(ColumnRole::Y) >= 0 || at(ColumnRole::Latitude) >= 0;
    const bool hasZ =
        at(ColumnRole::Z) >= 0 || at(ColumnRole::Depth) >= 0 || at(ColumnRole::Elevation) >= 0;
    const bool hasT =
        at(ColumnRole::Time) >= 0 ||
        (at(ColumnRole::Year) >= 0 && at(ColumnRole::Month) >= 0 && at(ColumnRole::Day) >= 0);
    if (!(hasX && hasY && hasZ && hasT)) {
        std::string missing;
        for (const auto& [has, word] :
             {std::pair{hasX, "x (or longitude)"}, std::pair{hasY, "y (or latitude)"},
              std::pair{hasZ, "z (or depth)"}, std::pair{hasT, "time (or year, month, day)"}}) {
            if (!has) {
                missing += (missing.empty() ? "" : ", ") + std::string(word);
            }
        }
        return Status::InvalidInput("The catalogue " + Quoted(path) + " has no column for " +
                                    missing +
                                    ": name the columns in its header line or choose them.");
    }
    return Status::Ok();
}

// Reads the file's lines and fills the table. Values are kept raw while reading (latitude in
// x, longitude in y, time from the first event's day) and turned into the table's values at
// the end, once the extent is known.
class CatalogueBuilder {
  public:
    CatalogueBuilder(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport& report, long long maxEvents)
        : m_path(path),
          m_options(options),
          m_table(table),
          m_report(report),
          m_maxEvents(maxEvents) {}

    // A row made from a record of the file that starts at line `number`.
    bool AddLineAt(std::string_view line, long long number) {
        m_lineNumber = number - 1;
        return AddLine(line);
    }

    // A record of the file, at line `number`, that holds no event.
    bool SkipRecord(long long number, const char* reason) {
        m_lineNumber = number;
        ++m_report.rowsRead;
        return Skip(reason);
    }

    // False when the file must be refused; status() then says why.
    bool AddLine(std::string_view line) {
        ++m_lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!m_haveHeader) {
            return TakeHeaderLine(line);
        }
        if (IsCommentOrBlank(line)) {
            return true;
        }
        return AddRow(line);
    }

    Status Finish() {
        if (!m_status.ok()) {
            return m_status;
        }
        // A format's own column map stands in for the header line.
        if (!m_haveHeader && ColumnsOfPreset(m_options.preset).separator == 0) {
            return Status::InvalidInput("The catalogue " + Quoted(m_path) +
                                        " holds no header line naming its columns.");
        }
        if (m_table.count == 0) {
            std::string why = m_report.rowsFiltered > 0
                                  ? std::to_string(m_report.rowsFiltered) +
                                        " rows lie outside the magnitude or time range"
                                  : m_report.SkippedText();
            return Status::InvalidInput("The catalogue " + Quoted(m_path) +
                                        " holds no event that can be read" +
                                        (why.empty() ? "." : ": " + why + "."));
        }
        if (m_calendar) {
            CalendarInstant reference{m_firstDay, 0.0};
            if (m_options.timeReference.has_value()) {
                reference = *m_options.timeReference;
            }
            m_report.calendarTime = true;
            m_report.timeReference = reference;
            const double shift =
                static_cast<double>(m_anchorDay - reference.day) * SecondsPerDay - reference.second;
            for (int i = 0; i < m_table.count; ++i) {
                m_table.rows[static_cast<std::size_t>(i)].t += shift;
            }
        }
        if (m_geographic) {
            const double lat0 =
                m_options.origin ? (*m_options.origin)[0] : 0.5 * (m_minLat + m_maxLat);
            const double lon0 = m_options.origin ? (*m_options.origin)[1] : MiddleLongitude();
            m_report.geographic = true;
            m_report.originLatitude = lat0;
            m_report.originLongitude = lon0;
            const GeographicLib::LocalCartesian plane(lat0, lon0, 0.0);
            const double scale = m_options.unit == LengthUnit::Kilometre ? 1e-3 : 1.0;
            for (int i = 0; i < m_table.count; ++i) {
                EventRecord& row = m_table.rows[static_cast<std::size_t>(i)];
                double east = 0.0;
                double north = 0.0;
                double up = 0.0;
                plane.Forward(row.x, row.y, 0.0, east, north, up);
                row.x = east * scale;
                row.y = north * scale;
            }
        }
        return Status::Ok();
    }

    // The middle of the shorter span of the longitudes: a catalogue across the 180th
    // meridian (179.9 and -179.9) has its middle there, not on the far side of the earth.
    double MiddleLongitude() const {
        const double span = m_maxLon - m_minLon;
        if (span > 180.0 && m_maxLonEastward - m_minLonEastward < span) {
            const double middle = 0.5 * (m_minLonEastward + m_maxLonEastward);
            return middle > 180.0 ? middle - 360.0 : middle;
        }
        return 0.5 * (m_minLon + m_maxLon);
    }

    const Status& status() const { return m_status; }
    long long lineNumber() const { return m_lineNumber; }

  private:
    bool TakeHeaderLine(std::string_view line) {
        if (IsCommentOrBlank(line)) {
            // A comment line may be the header (as in the FDSN text format "#EventID|...").
            if (!Trimmed(line).empty()) {
                m_lastComment.assign(Trimmed(line).substr(1));
            }
            return true;
        }
        const PresetColumns preset = ColumnsOfPreset(m_options.preset);
        const bool isHeader = preset.separator == 0 && !LineHoldsANumber(line);
        std::string headerLine;
        if (preset.separator != 0) {
            headerLine = preset.header;
        } else if (isHeader) {
            headerLine.assign(line);
        } else if (!m_lastComment.empty()) {
            headerLine = m_lastComment;
        } else {
            m_status = Status::InvalidInput(
                "The catalogue " + Quoted(m_path) +
                " has no header line naming its columns: choose a format or the columns.");
            return false;
        }
        m_separator = m_options.separator != 0 ? m_options.separator
                      : preset.separator != 0  ? preset.separator
                                               : DetectSeparator(headerLine);
        m_decimalComma = m_separator != ',';
        m_headerText = std::move(headerLine);
        m_splitter.Split(m_headerText, m_separator, m_fields);
        m_report.header.assign(m_fields.begin(), m_fields.end());
        for (std::string& name : m_report.header) {
            name = std::string(Trimmed(name));
        }
        m_report.separator = m_separator;
        std::vector<std::string_view> names(m_report.header.begin(), m_report.header.end());
        m_status = MapColumns(names, m_options.columns, m_path, m_columnOf);
        m_report.columnOf = m_columnOf;
        if (!m_status.ok()) {
            return false;
        }
        m_haveHeader = true;
        m_filterMagnitude =
            std::isfinite(m_options.magnitudeMin) || std::isfinite(m_options.magnitudeMax);
        m_weightColumn = Column(ColumnRole::Magnitude) >= 0 ? Column(ColumnRole::Magnitude)
                                                            : Column(ColumnRole::Weight);
        if (Column(ColumnRole::Weight) >= 0) {
            m_weightColumn = Column(ColumnRole::Weight);
        }
        m_geographic = Column(ColumnRole::Longitude) >= 0;
        m_table.weightSource.clear();
        return isHeader ? true : AddRow(line);
    }

    int Column(ColumnRole role) const { return m_columnOf[static_cast<std::size_t>(role)]; }

    // The number in the column of `role`; false when the row lacks it.
    bool Value(ColumnRole role, double* out) const {
        const int column = Column(role);
        return column >= 0 && static_cast<std::size_t>(column) < m_fields.size() &&
               ReadNumber(m_fields[static_cast<std::size_t>(column)], m_decimalComma, out);
    }

    bool Skip(const char* reason) {
        ++m_report.rowsSkipped;
        if (m_report.skippedLines.size() < NamedSkippedLines) {
            m_report.skippedLines.push_back(m_lineNumber);
        }
        if (std::find(m_report.skipReasons.begin(), m_report.skipReasons.end(), reason) ==
            m_report.skipReasons.end()) {
            m_report.skipReasons.emplace_back(reason);
        }
        return true;
    }

    // The time of the row: seconds from the first event's day for calendar time.
    bool ReadTime(double* t, double* absolute) {
        const int column = Column(ColumnRole::Time);
        CalendarInstant instant;
        if (column >= 0) {
            if (static_cast<std::size_t>(column) >= m_fields.size()) {
                return false;
            }
            const std::string_view field = m_fields[static_cast<std::size_t>(column)];
            double seconds = 0.0;
            if (!m_calendar && m_table.count == 0 && !m_sawTime) {
                m_calendar = !ReadNumber(field, m_decimalComma, &seconds);
            }
            m_sawTime = true;
            if (!m_calendar) {
                if (!ReadNumber(field, m_decimalComma, &seconds)) {
                    return false;
                }
                *t = *absolute = seconds;
                return true;
            }
            if (!ReadIsoTime(field, &instant)) {
                return false;
            }
        } else {
            m_calendar = true;
            double year = 0.0;
            double month = 0.0;
            double day = 0.0;
            double hour = 0.0;
            double minute = 0.0;
            double second = 0.0;
            const auto optional = [&](ColumnRole role, double* value) {
                return Column(role) < 0 || Value(role, value);
            };
            if (!Value(ColumnRole::Year, &year) || !Value(ColumnRole::Month, &month) ||
                !Value(ColumnRole::Day, &day) || !optional(ColumnRole::Hour, &hour) ||
                !optional(ColumnRole::Minute, &minute) || !optional(ColumnRole::Second, &second) ||
                year != std::floor(year) || month != std::floor(month) || day != std::floor(day) ||
                hour != std::floor(hour) || minute != std::floor(minute) ||
                std::fabs(year) > 100000 ||
                !InstantFromFields(static_cast<long long>(year), static_cast<int>(month),
                                   static_cast<int>(day), static_cast<int>(hour),
                                   static_cast<int>(minute), second, &instant)) {
                return false;
            }
        }
        if (!m_haveAnchor) {
            m_haveAnchor = true;
            m_anchorDay = m_firstDay = instant.day;
        }
        *t = static_cast<double>(instant.day - m_anchorDay) * SecondsPerDay + instant.second;
        *absolute = static_cast<double>(instant.day) * SecondsPerDay + instant.second;
        m_candidateDay = instant.day;
        return true;
    }

    bool AddRow(std::string_view line) {
        m_splitter.Split(line, m_separator, m_fields);
        if (m_report.firstRows.size() < CatalogueReport::FirstRowsKept) {
            m_report.firstRows.emplace_back(
                m_fields.begin(),
                m_fields.begin() + static_cast<std::ptrdiff_t>(std::min(
                                       m_fields.size(), CatalogueReport::FirstFieldsKept)));
        }
        ++m_report.rowsRead;
        EventRecord row;
        if (m_geographic) {
            if (!Value(ColumnRole::Latitude, &row.x) || std::fabs(row.x) > 90.0) {
                return Skip("no latitude");
            }
            if (!Value(ColumnRole::Longitude, &row.y) || std::fabs(row.y) > 540.0) {
                return Skip("no longitude");
            }
        } else {
            if (!Value(ColumnRole::X, &row.x)) {
                return Skip("no x");
            }
            if (!Value(ColumnRole::Y, &row.y)) {
                return Skip("no y");
            }
        }
        if (Column(ColumnRole::Z) >= 0) {
            if (!Value(ColumnRole::Z, &row.z)) {
                return Skip("no z");
            }
        } else {
            const bool depth = Column(ColumnRole::Depth) >= 0;
            if (!Value(depth ? ColumnRole::Depth : ColumnRole::Elevation, &row.z)) {
                return Skip(depth ? "no depth" : "no elevation");
            }
            const double toUnit =
                m_options.depthUnit == m_options.unit
                    ? 1.0
                    : (m_options.depthUnit == LengthUnit::Kilometre ? 1000.0 : 1e-3);
            // Depth down: a depth keeps its sign, an elevation turns.
            row.z *= toUnit * ((depth == m_options.depthDown) ? 1.0 : -1.0);
        }
        double absolute = 0.0;
        if (!ReadTime(&row.t, &absolute)) {
            return Skip("no time");
        }
        double magnitude = 0.0;
        const bool hasMagnitude = m_weightColumn >= 0 &&
                                  static_cast<std::size_t>(m_weightColumn) < m_fields.size() &&
                                  ReadNumber(m_fields[static_cast<std::size_t>(m_weightColumn)],
                                             m_decimalComma, &magnitude);
        if ((m_filterMagnitude && (!hasMagnitude || magnitude < m_options.magnitudeMin ||
                                   magnitude > m_options.magnitudeMax)) ||
            absolute < m_options.timeMin || absolute > m_options.timeMax) {
            ++m_report.rowsFiltered;
            return true;
        }
        if (m_table.count >= m_maxEvents) {
            m_status = Status::InvalidInput(
                "The catalogue " + Quoted(m_path) + " holds more than " +
                std::to_string(m_maxEvents) +
                " events, more than this computer's memory can take for a calculation; at most " +
                std::to_string(m_maxEvents) + " can be read.");
            return false;
        }
        if (static_cast<std::size_t>(m_table.count) == m_table.rows.size() && !Grow()) {
            return false;
        }
        if (m_calendar) {
            m_firstDay = std::min(m_firstDay, m_candidateDay);
        }
        if (m_geographic) {
            m_minLat = std::min(m_minLat, row.x);
            m_maxLat = std::max(m_maxLat, row.x);
            m_minLon = std::min(m_minLon, row.y);
            m_maxLon = std::max(m_maxLon, row.y);
            const double eastward = row.y < 0.0 ? row.y + 360.0 : row.y;
            m_minLonEastward = std::min(m_minLonEastward, eastward);
            m_maxLonEastward = std::max(m_maxLonEastward, eastward);
        }
        m_table.rows[static_cast<std::size_t>(m_table.count)] = row;
        if (m_weightColumn >= 0) {
            // A row without one weighs nothing.
            m_table.weightSource.push_back(hasMagnitude ? magnitude : 0.0);
        }
        ++m_table.count;
        ++m_report.rowsKept;
        return true;
    }

    bool Grow() {
        const long long have = static_cast<long long>(m_table.rows.size());
        const long long wanted = std::min(std::max<long long>(2 * have, 1024), m_maxEvents);
        try {
            m_table.rows.resize(static_cast<std::size_t>(wanted));
        } catch (const std::bad_alloc&) {
            m_status = Status::InvalidInput(
                "The catalogue " + Quoted(m_path) +
                " holds more events than the memory can hold: " + std::to_string(m_table.count) +
                " were read when it ran out.");
            return false;
        }
        return true;
    }

    const std::string& m_path;
    const CatalogueOptions& m_options;
    EventTable& m_table;
    CatalogueReport& m_report;
    long long m_maxEvents;
    long long m_lineNumber = 0;
    Status m_status = Status::Ok();

    bool m_haveHeader = false;
    std::string m_lastComment;
    std::string m_headerText;
    char m_separator = ',';
    bool m_decimalComma = false;
    std::array<int, ColumnRoleCount> m_columnOf{};
    int m_weightColumn = -1;
    bool m_filterMagnitude = false;
    FieldSplitter m_splitter;
    std::vector<std::string_view> m_fields;

    bool m_geographic = false;
    double m_minLat = 90.0;
    double m_maxLat = -90.0;
    double m_minLon = 540.0;
    double m_maxLon = -540.0;
    double m_minLonEastward = 720.0;  // the same with longitudes from 0 to 360
    double m_maxLonEastward = -720.0;

    bool m_calendar = false;
    bool m_sawTime = false;
    bool m_haveAnchor = false;
    long long m_anchorDay = 0;
    long long m_firstDay = 0;
    long long m_candidateDay = 0;
};

// Hands every line of the file to `take` (a bool(std::string_view) callable) without its
// line end; stops when it returns false. Refuses files that are not plain text; an
// `observer` follows the reading block by block and may stop it.
template <typename TakeLine>
Status ForEachLine(const std::string& path, TakeLine take, RunObserver* observer = nullptr) {
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "catalogue", file); !opened.ok()) {
        return opened;
    }
    if (observer != nullptr) {
        struct stat info {};
        observer->PhaseStarted(RunPhase::Reading, fstat(file.get(), &info) == 0 ? info.st_size : 0);
    }
    return ForEachTextLine(
        file.get(), {path, "catalogue", ""}, observer,
        [&](char* begin, std::size_t length) { return take(std::string_view(begin, length)); });
}

// The formats known by their first characters: QuakeML (XML) and NonLinLoc's blocks.
CataloguePreset PresetOfContent(const std::string& path) {
    FileDescriptor file;
    if (!OpenRegularFile(path, "catalogue", file).ok()) {
        return CataloguePreset::None;  // the reading says why
    }
    std::array<char, 512> head{};
    ssize_t got = 0;
    do {
        got = read(file.get(), head.data(), head.size());
    } while (got < 0 && errno == EINTR);
    const std::string_view text(head.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
    if (LooksLikeXml(text)) {
        return CataloguePreset::QuakeMl;
    }
    return LooksLikeNonLinLoc(text) ? CataloguePreset::NonLinLoc : CataloguePreset::None;
}

// Hands the file's records to `builder` as rows: the lines of a text catalogue, one row per
// block or event of the other formats.
Status ReadRecords(const std::string& path, CataloguePreset preset, CatalogueBuilder& builder,
                   RunObserver* observer) {
    if (preset == CataloguePreset::QuakeMl) {
        return ForEachQuakeMlEvent(path, [&](std::string_view row, long long line) {
            return builder.AddLineAt(row, line);
        });
    }
    if (preset == CataloguePreset::NonLinLoc) {
        NonLinLocRows blocks([&](std::string_view row, long long line, const char* skipReason) {
            return skipReason != nullptr ? builder.SkipRecord(line, skipReason)
                                         : builder.AddLineAt(row, line);
        });
        long long number = 0;
        Status status = ForEachLine(
            path, [&](std::string_view line) { return blocks.TakeLine(line, ++number); }, observer);
        if (status.ok()) {
            (void)blocks.Finish();
        }
        return status;
    }
    return ForEachLine(
        path, [&](std::string_view line) { return builder.AddLine(line); }, observer);
}

}  // namespace

std::optional<CataloguePreset> CataloguePresetNamed(std::string_view name) {
    const std::string normal = NormalName(name);
    if (normal == "hypodd" || normal == "reloc") {
        return CataloguePreset::HypoDD;
    }
    if (normal == "growclust") {
        return CataloguePreset::GrowClust;
    }
    if (normal == "fdsn" || normal == "fdsntext") {
        return CataloguePreset::FdsnText;
    }
    if (normal == "nonlinloc" || normal == "nlloc" || normal == "hyp") {
        return CataloguePreset::NonLinLoc;
    }
    if (normal == "quakeml" || normal == "xml") {
        return CataloguePreset::QuakeMl;
    }
    return std::nullopt;
}

const char* CataloguePresetName(CataloguePreset preset) {
    switch (preset) {
        case CataloguePreset::HypoDD:
            return "hypodd";
        case CataloguePreset::GrowClust:
            return "growclust";
        case CataloguePreset::FdsnText:
            return "fdsn";
        case CataloguePreset::NonLinLoc:
            return "nonlinloc";
        case CataloguePreset::QuakeMl:
            return "quakeml";
        case CataloguePreset::None:
            break;
    }
    return "";
}

const char* ColumnRoleName(ColumnRole role) {
    return RoleNames[static_cast<std::size_t>(role)];
}

std::string CatalogueReport::SkippedText() const {
    if (rowsSkipped == 0) {
        return "";
    }
    std::string text =
        std::to_string(rowsSkipped) + (rowsSkipped == 1 ? " row" : " rows") + " skipped: ";
    for (std::size_t i = 0; i < skipReasons.size(); ++i) {
        text += (i > 0 ? ", " : "") + skipReasons[i];
    }
    text += skippedLines.size() == 1 ? " (line " : " (lines ";
    for (std::size_t i = 0; i < skippedLines.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(skippedLines[i]);
    }
    return text + (static_cast<long long>(skippedLines.size()) < rowsSkipped ? ", ...)" : ")");
}

std::string CatalogueReport::Summary() const {
    std::string text = std::to_string(rowsKept) + (rowsKept == 1 ? " event" : " events") + " read";
    if (rowsFiltered > 0) {
        text += ", " + std::to_string(rowsFiltered) + " outside the magnitude or time range";
    }
    const std::string skipped = SkippedText();
    return skipped.empty() ? text + "." : text + "; " + skipped + ".";
}

Status ReadCatalogue(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport* report, long long maxEvents, RunObserver* observer) {
    table.count = 0;
    table.weightSource.clear();
    if (table.rows.size() > static_cast<std::size_t>(InitialEventRows)) {
        std::vector<EventRecord>(InitialEventRows).swap(table.rows);
    }
    CatalogueReport local;
    CatalogueReport& out = report != nullptr ? *report : local;
    out = CatalogueReport();
    out.columnOf.fill(-1);
    Status status = Status::Ok();
    try {
        CatalogueOptions chosen = options;
        if (chosen.preset == CataloguePreset::None) {
            chosen.preset = PresetOfContent(path);
        }
        if (chosen.preset == CataloguePreset::QuakeMl) {
            chosen.depthUnit = LengthUnit::Metre;
        }
        out.preset = chosen.preset;
        CatalogueBuilder builder(path, chosen, table, out, maxEvents);
        status = ReadRecords(path, chosen.preset, builder, observer);
        if (status.ok()) {
            status = builder.Finish();
        }
    } catch (const std::bad_alloc&) {
        status = Status::InvalidInput("The catalogue " + Quoted(path) +
                                      " could not be read: not enough memory.");
    } catch (const GeographicLib::GeographicErr& error) {
        status = Status::InvalidInput("The catalogue " + Quoted(path) +
                                      " could not be placed: " + error.what());
    }
    if (!status.ok()) {
        table.count = 0;
        table.weightSource.clear();
    }
    return status;
}

bool StartsWithHeader(const std::string& path) {
    bool header = false;
    const Status status = ForEachLine(path, [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // Lines of fewer than two characters are no events in a plain file.
        if (line.size() < 2 || Trimmed(line).empty()) {
            return true;
        }
        header = !LineHoldsANumber(line);
        return false;
    });
    return status.ok() && header;
}

Status ReadEvents(const std::string& path, const CatalogueOptions& options, EventTable& table,
                  CatalogueReport* report, long long maxEvents, RunObserver* observer) {
    if (report != nullptr) {
        *report = CatalogueReport();
        report->columnOf.fill(-1);
    }
    const bool chosen = !options.columns.empty() || options.separator != 0 ||
                        options.preset != CataloguePreset::None;
    if (chosen || StartsWithHeader(path)) {
        return ReadCatalogue(path, options, table, report, maxEvents, observer);
    }
    table.weightSource.clear();
    return ReadEventFile(path, table, maxEvents, observer);
}

}  // namespace korvane
