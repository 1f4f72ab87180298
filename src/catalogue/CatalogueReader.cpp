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

#include "catalogue/GeographicFrame.h"
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
// The farthest an event may lie from the origin, in degrees of arc: beyond it a local frame
// folds the far side of the earth onto the near one.
constexpr double FarthestFromOrigin = 90.0;
// The first bytes a format is known by.
constexpr std::size_t HeadBytes = 1 << 16;
// The longest text of a time that the report quotes.
constexpr std::size_t QuotedTimeBytes = 40;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Turns a length in one unit into another: times 1000, or divided by 1000 (so that 905 m
// become exactly the double of 0.905 km).
struct LengthScale {
    double times = 1.0;
    double dividedBy = 1.0;

    double operator()(double value) const { return value * times / dividedBy; }
};

LengthScale ScaleBetween(LengthUnit from, LengthUnit to) {
    if (from == to) {
        return {};
    }
    return from == LengthUnit::Kilometre ? LengthScale{1000.0, 1.0} : LengthScale{1.0, 1000.0};
}

const char* UnitText(LengthUnit unit) {
    return unit == LengthUnit::Metre ? "m" : "km";
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

// Reads the file's records and fills the table. Values are kept raw while reading (latitude in
// x, longitude in y, time from the first event's day) and turned into the table's values at
// the end, once the frame is known: the origin and the time reference come from every row
// whose place and time can be read, before any filter.
class CatalogueBuilder {
  public:
    CatalogueBuilder(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport& report, long long maxEvents)
        : m_path(path),
          m_options(options),
          m_table(table),
          m_report(report),
          m_maxEvents(maxEvents) {}

    // A row of separate fields (a record of another format) that starts at line `number`.
    bool AddFieldsAt(const std::vector<std::string_view>& fields, long long number) {
        m_lineNumber = number;
        if (!m_haveHeader && !TakeHeaderLine({}, true)) {
            return false;
        }
        m_fields = fields;
        return AddRow();
    }

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
        m_splitter.Split(line, m_separator, m_fields);
        return AddRow();
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
        if (m_calendar && m_table.count > 0) {
            PlaceInTime();
        }
        if (m_table.count == 0) {
            return NothingReadable();
        }
        if (m_geographic) {
            if (Status placed = PlaceOnTheEarth(); !placed.ok()) {
                return placed;
            }
        }
        m_report.rowsKept = m_table.count;
        return Status::Ok();
    }

  private:
    // The header line, or the first row of a file whose columns need no header; `record`:
    // the fields of the first record come separately (the header alone is taken).
    bool TakeHeaderLine(std::string_view line, bool record = false) {
        const PresetColumns preset = ColumnsOfPreset(m_options.preset);
        if (!record && IsCommentOrBlank(line)) {
            // A comment line may be the header (as in the FDSN text format "#EventID|...").
            if (!Trimmed(line).empty()) {
                m_lastComment.assign(Trimmed(line).substr(1));
            }
            return true;
        }
        const bool isHeader = preset.separator == 0 && !LineHoldsANumber(line);
        // Columns all chosen by number need no names: the first line is a row.
        const bool byNumber =
            preset.separator == 0 && !isHeader && ColumnsAllByNumber(m_options.columns);
        std::string headerLine;
        if (preset.separator != 0) {
            headerLine = preset.header;
        } else if (isHeader) {
            headerLine.assign(line);
        } else if (!m_lastComment.empty() && !byNumber) {
            headerLine = m_lastComment;
        }
        const bool named = !headerLine.empty();
        m_separator = m_options.separator != 0 ? m_options.separator
                      : preset.separator != 0  ? preset.separator
                      : named                  ? DetectSeparator(headerLine)
                                               : DetectSeparator(line);
        // Fields passed one by one (QuakeML) hold no separator, so a comma is a decimal one.
        m_decimalComma = m_separator != ',' || m_options.preset == CataloguePreset::QuakeMl;
        if (named) {
            m_headerText = std::move(headerLine);
            m_splitter.Split(m_headerText, m_separator, m_fields);
            m_report.header.assign(m_fields.begin(), m_fields.end());
            for (std::string& name : m_report.header) {
                name = std::string(Trimmed(name));
            }
        } else {
            // No names: the columns go by their numbers, which the first row shows.
            m_splitter.Split(line, m_separator, m_fields);
            for (std::size_t i = 0; i < m_fields.size(); ++i) {
                m_report.header.push_back(std::to_string(i + 1));
            }
            m_report.firstRows.emplace_back(m_fields.begin(), m_fields.end());
            if (!byNumber) {
                m_status = Status::InvalidInput(
                    "The catalogue " + Quoted(m_path) +
                    " has no header line naming its columns: choose a format, or the columns by "
                    "their numbers.");
                return false;
            }
            m_report.firstRows.clear();  // the row is added again as it is read
        }
        m_report.separator = m_separator;
        m_status = MapCatalogueColumns(m_report.header, m_options.columns, m_path, m_columnOf);
        m_report.columnOf = m_columnOf;
        if (!m_status.ok()) {
            return false;
        }
        m_haveHeader = true;
        m_geographic = Column(ColumnRole::Longitude) >= 0;
        ChooseNumberColumns();
        if (!m_status.ok()) {
            return false;
        }
        ChooseUnits(std::nullopt);
        m_table.weightSource.clear();
        if (isHeader || record) {
            return true;
        }
        if (named) {
            m_splitter.Split(line, m_separator, m_fields);
        }
        return AddRow();
    }

    // The magnitude for the filter and moment weights, the weight column for value weights
    // (else the magnitude), and either for the table's fifth number.
    void ChooseNumberColumns() {
        m_filterMagnitude =
            std::isfinite(m_options.magnitudeMin) || std::isfinite(m_options.magnitudeMax);
        const int magnitude = Column(ColumnRole::Magnitude);
        const int weight = Column(ColumnRole::Weight);
        if (m_filterMagnitude && magnitude < 0) {
            m_status = Status::InvalidInput(
                "The catalogue " + Quoted(m_path) +
                " has no magnitude column to filter by: choose one (mag=COLUMN) or no magnitude "
                "range.");
            return;
        }
        m_numberColumn = m_options.weights == EventWeighting::Moment ? magnitude
                         : weight >= 0                               ? weight
                                                                     : magnitude;
        m_numberNeeded = m_options.weights != EventWeighting::None;
        m_numberReason = m_numberColumn == magnitude ? "no magnitude" : "no weight";
    }

    // The unit of each length column: chosen, else named in the header, else the custom of
    // the format; projected x, y and z share a unit known for either. `gridUnit` sets both
    // (NonLinLoc's grid).
    void ChooseUnits(std::optional<LengthUnit> gridUnit) {
        std::optional<LengthUnit> xy = m_options.xyUnit;
        std::optional<LengthUnit> vertical = m_options.depthUnit;
        std::optional<LengthUnit> hint;
        for (const ColumnRole role : {ColumnRole::X, ColumnRole::Y}) {
            if (!xy && NamedUnit(role, &hint)) {
                xy = hint;
            }
        }
        for (const ColumnRole role : {ColumnRole::Z, ColumnRole::Depth, ColumnRole::Elevation}) {
            if (!vertical && NamedUnit(role, &hint)) {
                vertical = hint;
            }
        }
        if (m_options.preset == CataloguePreset::QuakeMl) {
            vertical = LengthUnit::Metre;  // QuakeML gives depth in metres, always
        }
        if (gridUnit) {
            xy = vertical = gridUnit;
        }
        if (m_geographic) {
            vertical = vertical.value_or(LengthUnit::Kilometre);
        } else {
            xy = xy ? xy : vertical;
            vertical = vertical ? vertical : xy;
        }
        m_xyScale = xy ? ScaleBetween(*xy, m_options.unit) : LengthScale{};
        m_zScale = vertical ? ScaleBetween(*vertical, m_options.unit) : LengthScale{};
        m_report.unitKnown = m_geographic || xy || vertical;
        m_report.unit = m_options.unit;
        m_report.xyUnit = m_geographic ? std::nullopt : xy;
        m_report.depthUnit = vertical;
    }

    // The unit the header name of the column of `role` gives; false without one.
    bool NamedUnit(ColumnRole role, std::optional<LengthUnit>* unit) const {
        const int column = Column(role);
        if (column < 0 || static_cast<std::size_t>(column) >= m_report.header.size()) {
            return false;
        }
        (void)RoleOfColumnName(m_report.header[static_cast<std::size_t>(column)], unit);
        return unit->has_value();
    }

    // NonLinLoc's GEOGRAPHIC line holds the grid's own coordinates where the location was
    // made in a projected grid ("Lat 5307.4 Long 4424.7"): x, y and z are then the
    // HYPOCENTER's, in km.
    void UseNonLinLocGrid() {
        m_gridChecked = true;
        double latitude = 0.0;
        if (m_options.preset != CataloguePreset::NonLinLoc || !m_options.columns.empty() ||
            !Value(ColumnRole::Latitude, &latitude) || std::fabs(latitude) <= 90.0) {
            return;
        }
        const std::string found = FormatShortest(latitude);
        m_status =
            MapCatalogueColumns(m_report.header, "x=gridx,y=gridy,depth=gridz", m_path, m_columnOf);
        m_report.columnOf = m_columnOf;
        m_geographic = false;
        ChooseUnits(LengthUnit::Kilometre);
        m_report.notes.push_back("the GEOGRAPHIC lines hold grid coordinates (Lat " + found +
                                 "), so x, y and z are the HYPOCENTER's (km in the grid)");
    }

    int Column(ColumnRole role) const { return m_columnOf[static_cast<std::size_t>(role)]; }

    // The field of column `column`, "" past the end of the row.
    std::string_view Field(int column) const {
        return column >= 0 && static_cast<std::size_t>(column) < m_fields.size()
                   ? m_fields[static_cast<std::size_t>(column)]
                   : std::string_view();
    }

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

    bool SkipForTime(std::string_view text) {
        if (m_report.firstUnreadTime.empty()) {
            m_report.firstUnreadTime.assign(Trimmed(text).substr(0, QuotedTimeBytes));
        }
        return Skip("no time");
    }

    // The calendar instant of the row, from whichever columns hold it; false when they do
    // not hold one, with `text` what was not read.
    bool ReadInstant(CalendarInstant* instant, std::string* text) const {
        const int timeColumn = Column(ColumnRole::Time);
        const int dateColumn = Column(ColumnRole::Date);
        if (timeColumn >= 0 || dateColumn >= 0) {
            const std::string_view time = Field(timeColumn);
            const std::string_view date = Field(dateColumn);
            *text = std::string(timeColumn >= 0 ? time : date);
            if (timeColumn >= 0 && ReadCalendarText(time, m_options.dateOrder, instant)) {
                return true;
            }
            if (dateColumn >= 0 && timeColumn >= 0) {
                *text = std::string(date) + " " + std::string(time);
                return ReadDateAndClock(date, time, m_options.dateOrder, instant);
            }
            return timeColumn < 0 && ReadCalendarText(date, m_options.dateOrder, instant);
        }
        const ColumnRole split[] = {ColumnRole::Year, ColumnRole::Month,  ColumnRole::Day,
                                    ColumnRole::Hour, ColumnRole::Minute, ColumnRole::Second};
        double values[6] = {0, 0, 0, 0, 0, 0};
        bool read = true;
        for (std::size_t i = 0; i < 6; ++i) {
            const int column = Column(split[i]);
            text->append(i > 0 ? " " : "").append(Field(column));
            // ZMAP's nine-column table has no seconds.
            const bool absent =
                column < 0 || (i == 5 && m_options.preset == CataloguePreset::Zmap &&
                               static_cast<std::size_t>(column) >= m_fields.size());
            read = read && ((absent && i >= 3) || Value(split[i], &values[i]));
        }
        // ZMAP's year holds the year's fraction as well; its month and day say the same.
        if (m_options.preset == CataloguePreset::Zmap) {
            values[0] = std::floor(values[0]);
        }
        for (std::size_t i = 0; i < 5; ++i) {
            read = read && values[i] == std::floor(values[i]) && std::fabs(values[i]) <= 100000;
        }
        return read &&
               InstantFromFields(static_cast<long long>(values[0]), static_cast<int>(values[1]),
                                 static_cast<int>(values[2]), static_cast<int>(values[3]),
                                 static_cast<int>(values[4]), values[5], instant);
    }

    // The time of the row: the file's seconds, or the calendar instant as a day and the
    // seconds from the first row's day (`*day`). False, with the text, when it has none.
    bool ReadTime(double* t, long long* day, std::string* text) {
        const int timeColumn = Column(ColumnRole::Time);
        if (timeColumn >= 0 && !m_kindKnown) {
            // The first time that reads decides: seconds, or calendar time. A row before it
            // (an empty time, a word) is skipped without deciding for the others.
            double seconds = 0.0;
            CalendarInstant instant;
            std::string calendarText;
            const bool number = ReadNumber(Field(timeColumn), m_decimalComma, &seconds);
            if (!number && !ReadInstant(&instant, &calendarText)) {
                *text = std::string(Field(timeColumn));
                return false;
            }
            m_calendar = !number;
            m_kindKnown = true;
        } else if (timeColumn < 0) {
            m_calendar = m_kindKnown = true;
        }
        if (!m_calendar) {
            *text = std::string(Field(timeColumn));
            return Value(ColumnRole::Time, t);
        }
        CalendarInstant instant;
        if (!ReadInstant(&instant, text)) {
            return false;
        }
        if (!m_haveAnchor) {
            m_haveAnchor = true;
            m_anchorDay = m_firstDay = instant.day;
        }
        *day = instant.day;
        *t = static_cast<double>(instant.day - m_anchorDay) * SecondsPerDay + instant.second;
        return true;
    }

    // The row's time as the filter counts it, once the frame allows; false while the time
    // reference is still to be found (the row is then checked at the end).
    bool FilterTime(double t, double* counted) const {
        if (!m_calendar) {
            *counted = t;
            return true;
        }
        const double anchor = static_cast<double>(m_anchorDay) * SecondsPerDay;
        if (m_options.timeRangeSince1970) {
            *counted = anchor + t;
            return true;
        }
        if (m_options.timeReference) {
            const CalendarInstant& reference = *m_options.timeReference;
            *counted = static_cast<double>(m_anchorDay - reference.day) * SecondsPerDay -
                       reference.second + t;
            return true;
        }
        return false;
    }

    bool TimeRangeSet() const {
        return std::isfinite(m_options.timeMin) || std::isfinite(m_options.timeMax);
    }

    bool OutsideTimeRange(double counted) const {
        return counted < m_options.timeMin || counted > m_options.timeMax;
    }

    bool AddRow() {
        if (!m_gridChecked) {
            UseNonLinLocGrid();
            if (!m_status.ok()) {
                return false;
            }
        }
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
            row.y = WrappedLongitude(row.y);
        } else {
            if (!Value(ColumnRole::X, &row.x)) {
                return Skip("no x");
            }
            if (!Value(ColumnRole::Y, &row.y)) {
                return Skip("no y");
            }
            row.x = m_xyScale(row.x);
            row.y = m_xyScale(row.y);
        }
        const bool z = Column(ColumnRole::Z) >= 0;
        const bool depth = !z && Column(ColumnRole::Depth) >= 0;
        const ColumnRole vertical = z       ? ColumnRole::Z
                                    : depth ? ColumnRole::Depth
                                            : ColumnRole::Elevation;
        if (!Value(vertical, &row.z)) {
            return Skip(z ? "no z" : depth ? "no depth" : "no elevation");
        }
        // z as the file has it; depth down: a depth keeps its sign, an elevation turns.
        row.z = m_zScale(row.z) * ((z || depth == m_options.depthDown) ? 1.0 : -1.0);
        long long day = 0;
        std::string timeText;
        if (!ReadTime(&row.t, &day, &timeText)) {
            return SkipForTime(timeText);
        }
        // The row is part of the catalogue's frame from here on, whatever the filters say.
        if (m_geographic) {
            m_minLat = std::min(m_minLat, row.x);
            m_maxLat = std::max(m_maxLat, row.x);
            m_longitudes.Add(row.y);
        }
        if (m_calendar) {
            m_firstDay = std::min(m_firstDay, day);
        }
        double magnitude = 0.0;
        const bool hasMagnitude = Value(ColumnRole::Magnitude, &magnitude);
        if (m_filterMagnitude) {
            if (!hasMagnitude) {
                return Skip("no magnitude");
            }
            if (magnitude < m_options.magnitudeMin || magnitude > m_options.magnitudeMax) {
                ++m_report.rowsFiltered;
                return true;
            }
        }
        double number = std::numeric_limits<double>::quiet_NaN();
        if (m_numberColumn >= 0 && !ReadNumber(Field(m_numberColumn), m_decimalComma, &number)) {
            number = std::numeric_limits<double>::quiet_NaN();
        }
        if (m_numberNeeded && m_numberColumn >= 0 && std::isnan(number)) {
            return Skip(m_numberReason);
        }
        double counted = 0.0;
        if (TimeRangeSet() && FilterTime(row.t, &counted) && OutsideTimeRange(counted)) {
            ++m_report.rowsFiltered;
            return true;
        }
        if (m_options.origin && m_geographic &&
            ArcDegrees((*m_options.origin)[0], (*m_options.origin)[1], row.x, row.y) >
                FarthestFromOrigin) {
            return Skip("more than 90 degrees from the origin");
        }
        return Keep(row, number);
    }

    bool Keep(const EventRecord& row, double number) {
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
        m_table.rows[static_cast<std::size_t>(m_table.count)] = row;
        if (m_numberColumn >= 0) {
            m_table.weightSource.push_back(number);
        }
        ++m_table.count;
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

    // Times from the reference: the one given, else midnight UTC of the earliest day of the
    // catalogue's readable rows. Rows left for the time filter until the reference was known
    // go or stay now.
    void PlaceInTime() {
        const CalendarInstant reference =
            m_options.timeReference.value_or(CalendarInstant{m_firstDay, 0.0});
        m_report.calendarTime = true;
        m_report.timeReference = reference;
        const double shift =
            static_cast<double>(m_anchorDay - reference.day) * SecondsPerDay - reference.second;
        double unused = 0.0;
        const bool filterNow = TimeRangeSet() && !FilterTime(0.0, &unused);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(m_table.count); ++i) {
            EventRecord row = m_table.rows[i];
            row.t += shift;
            if (filterNow && OutsideTimeRange(row.t)) {
                ++m_report.rowsFiltered;
                continue;
            }
            m_table.rows[kept] = row;
            if (!m_table.weightSource.empty()) {
                m_table.weightSource[kept] = m_table.weightSource[i];
            }
            ++kept;
        }
        m_table.count = static_cast<int>(kept);
        if (!m_table.weightSource.empty()) {
            m_table.weightSource.resize(kept);
        }
    }

    // x and y east and north of the origin: the one given, else the middle of the readable
    // rows' latitudes and of the shortest arc of their longitudes, rounded to a centimetre.
    Status PlaceOnTheEarth() {
        const double lat0 =
            m_options.origin ? (*m_options.origin)[0] : RoundedDegrees(0.5 * (m_minLat + m_maxLat));
        const double lon0 =
            m_options.origin ? (*m_options.origin)[1] : RoundedDegrees(m_longitudes.Middle());
        m_report.geographic = true;
        m_report.originLatitude = lat0;
        m_report.originLongitude = lon0;
        // No event lies farther from the middle than half the latitudes' span and half the
        // longitudes' arc together: only a catalogue that could reach beyond the limit is
        // measured event by event.
        const double bound = 0.5 * (m_maxLat - m_minLat) + 0.5 * m_longitudes.Length() + 1e-6;
        if (!m_options.origin && bound > FarthestFromOrigin) {
            double farthest = 0.0;
            for (int i = 0; i < m_table.count; ++i) {
                const EventRecord& row = m_table.rows[static_cast<std::size_t>(i)];
                farthest = std::max(farthest, ArcDegrees(lat0, lon0, row.x, row.y));
            }
            if (farthest > FarthestFromOrigin) {
                return Status::InvalidInput(
                    "The catalogue " + Quoted(m_path) +
                    " spans more of the earth than one local frame can hold: its events lie up "
                    "to " +
                    FormatFixed(farthest, 1) + " degrees of arc from their middle (latitudes " +
                    FormatShortest(m_minLat) + " to " + FormatShortest(m_maxLat) +
                    ", longitudes over " + FormatFixed(m_longitudes.Length(), 1) +
                    " degrees). Give an origin near the events that matter (--origin LAT,LON, "
                    "or the origin in Import Catalogue): events more than 90 degrees from it "
                    "are then skipped. Or keep only the events of one region in the file.");
            }
        }
        const GeographicLib::LocalCartesian plane(lat0, lon0, 0.0);
        const LengthScale scale = ScaleBetween(LengthUnit::Metre, m_options.unit);
        for (int i = 0; i < m_table.count; ++i) {
            EventRecord& row = m_table.rows[static_cast<std::size_t>(i)];
            double east = 0.0;
            double north = 0.0;
            double up = 0.0;
            plane.Forward(row.x, row.y, 0.0, east, north, up);
            row.x = scale(east);
            row.y = scale(north);
        }
        return Status::Ok();
    }

    Status NothingReadable() const {
        std::string why = m_report.rowsFiltered > 0
                              ? std::to_string(m_report.rowsFiltered) +
                                    " rows lie outside the magnitude or time range"
                              : m_report.SkippedText();
        return Status::InvalidInput("The catalogue " + Quoted(m_path) +
                                    " holds no event that can be read" +
                                    (why.empty() ? "." : ": " + why + "."));
    }

  public:
    const Status& status() const { return m_status; }

  private:
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
    bool m_filterMagnitude = false;
    int m_numberColumn = -1;      // the fifth number of the table: weight or magnitude
    bool m_numberNeeded = false;  // a row without it is skipped
    const char* m_numberReason = "no magnitude";
    FieldSplitter m_splitter;
    std::vector<std::string_view> m_fields;
    bool m_gridChecked = false;
    LengthScale m_xyScale;  // file's x, y to the table's unit
    LengthScale m_zScale;   // file's z, depth or elevation to the table's unit

    bool m_geographic = false;
    double m_minLat = 90.0;
    double m_maxLat = -90.0;
    LongitudeSpan m_longitudes;

    bool m_calendar = false;
    bool m_kindKnown = false;  // seconds or calendar time, decided by the first time written
    bool m_haveAnchor = false;
    long long m_anchorDay = 0;
    long long m_firstDay = 0;
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

// The format the file's first bytes and its name show (RecognisedPreset).
CataloguePreset PresetOfContent(const std::string& path) {
    FileDescriptor file;
    if (!OpenRegularFile(path, "catalogue", file).ok()) {
        return CataloguePreset::None;  // the reading says why
    }
    std::string head(HeadBytes, '\0');
    std::size_t have = 0;
    while (have < head.size()) {
        const ssize_t got = read(file.get(), head.data() + have, head.size() - have);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    head.resize(have);
    // The whole file: its last line counts, with or without a line end.
    if (have < HeadBytes) {
        head += '\n';
    }
    const std::size_t slash = path.find_last_of('/');
    return RecognisedPreset(head, slash == std::string::npos ? path : path.substr(slash + 1));
}

// Hands the file's records to `builder` as rows: the lines of a text catalogue, one row per
// block or event of the other formats.
Status ReadRecords(const std::string& path, CataloguePreset preset, CatalogueBuilder& builder,
                   RunObserver* observer) {
    if (preset == CataloguePreset::QuakeMl) {
        return ForEachQuakeMlEvent(
            path,
            [&](const std::vector<std::string_view>& fields, long long line) {
                return builder.AddFieldsAt(fields, line);
            },
            observer);
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

// A plain file read with weights: rows without the fifth field the weights need are skipped
// and counted, as a catalogue's rows without their magnitude are.
void SkipRowsWithoutFifthField(EventTable& table, const MissingFifthFields& missing,
                               CatalogueReport* report) {
    if (missing.count == 0 || table.weightSource.empty()) {
        return;  // every row has one, or none has (the weighting then refuses the file)
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(table.count); ++i) {
        if (std::isnan(table.weightSource[i])) {
            continue;
        }
        table.rows[kept] = table.rows[i];
        table.weightSource[kept] = table.weightSource[i];
        ++kept;
    }
    if (report != nullptr) {
        report->rowsRead = table.count;
        report->rowsKept = static_cast<long long>(kept);
        report->rowsSkipped = missing.count;
        report->skippedLines = missing.firstLines;
        report->skipReasons = {"no fifth field"};
    }
    table.count = static_cast<int>(kept);
    table.weightSource.resize(kept);
}

}  // namespace

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
    text += static_cast<long long>(skippedLines.size()) < rowsSkipped ? ", ...)" : ")";
    if (!firstUnreadTime.empty()) {
        text += "; the first time not read is \"" + firstUnreadTime + "\" (times are read as " +
                CalendarForms + ")";
    }
    return text;
}

std::string CatalogueReport::Summary() const {
    std::string text = std::to_string(rowsKept) + (rowsKept == 1 ? " event" : " events") + " read";
    if (rowsFiltered > 0) {
        text += ", " + std::to_string(rowsFiltered) + " outside the magnitude or time range";
    }
    const std::string skipped = SkippedText();
    text += skipped.empty() ? "" : "; " + skipped;
    for (const std::string& note : notes) {
        text += "; " + note;
    }
    return text + ".";
}

std::string CatalogueReport::FrameText() const {
    std::string text;
    if (geographic) {
        text = "origin " + FormatShortest(originLatitude) + ", " + FormatShortest(originLongitude) +
               " (x and y in " + UnitText(unit) + " east and north of it)";
    }
    if (calendarTime) {
        text += (text.empty() ? "" : "; ") + std::string("t in seconds from ") +
                FormatIsoInstant(timeReference);
    }
    return text;
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
    if (PresetOfContent(path) != CataloguePreset::None) {
        return true;
    }
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
    MissingFifthFields missing;
    const Status status = ReadEventFile(path, table, maxEvents, observer, &missing);
    if (status.ok() && options.weights != EventWeighting::None) {
        SkipRowsWithoutFifthField(table, missing, report);
    }
    return status;
}

}  // namespace korvane
