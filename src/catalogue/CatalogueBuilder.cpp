#include "catalogue/CatalogueBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace korvane {
namespace {

// How many skipped lines the report names.
constexpr std::size_t NamedSkippedLines = 5;
// The longest text of a time that the report quotes.
constexpr std::size_t QuotedTimeBytes = 40;

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower;
}

}  // namespace

bool CatalogueBuilder::AddFieldsAt(const std::vector<std::string_view>& fields, long long number) {
    m_lineNumber = number;
    if (!m_haveHeader && !TakeHeaderLine({}, true)) {
        return false;
    }
    m_fields = fields;
    return AddRow();
}

bool CatalogueBuilder::AddLineAt(std::string_view line, long long number) {
    m_lineNumber = number - 1;
    return AddLine(line);
}

bool CatalogueBuilder::SkipRecord(long long number, const char* reason) {
    m_lineNumber = number;
    ++m_report.rowsRead;
    return Skip(reason);
}

bool CatalogueBuilder::AddLine(std::string_view line) {
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

Status CatalogueBuilder::Finish() {
    if (!m_status.ok()) {
        return m_status;
    }
    // A format's own column map stands in for the header line.
    if (!m_haveHeader && ColumnsOfPreset(m_options.preset).separator == 0) {
        return Status::InvalidInput("The catalogue " + QuotedCatalogue(m_path) +
                                    " holds no header line naming its columns.");
    }
    if (Status known = TypesToDropKnown(); !known.ok()) {
        return known;
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

std::string_view CatalogueBuilder::Field(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < m_fields.size()
               ? m_fields[static_cast<std::size_t>(column)]
               : std::string_view();
}

bool CatalogueBuilder::Value(ColumnRole role, double* out) const {
    const int column = Column(role);
    return column >= 0 && static_cast<std::size_t>(column) < m_fields.size() &&
           ReadNumber(m_fields[static_cast<std::size_t>(column)], m_decimalComma, out);
}

bool CatalogueBuilder::Skip(const char* reason) {
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

bool CatalogueBuilder::SkipForTime(std::string_view text) {
    if (m_report.firstUnreadTime.empty()) {
        m_report.firstUnreadTime.assign(TrimmedField(text).substr(0, QuotedTimeBytes));
    }
    return Skip("no time");
}

const char* CatalogueBuilder::ReadPlace(EventRecord* row) const {
    if (m_geographic) {
        if (!Value(ColumnRole::Latitude, &row->x) || std::fabs(row->x) > 90.0) {
            return "no latitude";
        }
        if (!Value(ColumnRole::Longitude, &row->y) || std::fabs(row->y) > 540.0) {
            return "no longitude";
        }
        row->y = WrappedLongitude(row->y);
    } else {
        if (!Value(ColumnRole::X, &row->x)) {
            return "no x";
        }
        if (!Value(ColumnRole::Y, &row->y)) {
            return "no y";
        }
        row->x = m_xyScale(row->x);
        row->y = m_xyScale(row->y);
    }
    const bool z = Column(ColumnRole::Z) >= 0;
    const bool depth = !z && Column(ColumnRole::Depth) >= 0;
    const ColumnRole vertical = z       ? ColumnRole::Z
                                : depth ? ColumnRole::Depth
                                        : ColumnRole::Elevation;
    if (!Value(vertical, &row->z)) {
        return z ? "no z" : depth ? "no depth" : "no elevation";
    }
    // z as the file has it; depth down: a depth keeps its sign, an elevation turns.
    row->z = m_zScale(row->z) * ((z || depth == m_options.depthDown) ? 1.0 : -1.0);
    return nullptr;
}

bool CatalogueBuilder::AddRow() {
    if (!m_gridChecked) {
        UseNonLinLocGrid();
        if (!m_status.ok()) {
            return false;
        }
    }
    if (m_report.firstRows.size() < CatalogueReport::FirstRowsKept) {
        m_report.firstRows.emplace_back(
            m_fields.begin(),
            m_fields.begin() + static_cast<std::ptrdiff_t>(
                                   std::min(m_fields.size(), CatalogueReport::FirstFieldsKept)));
    }
    ++m_report.rowsRead;
    EventRecord row;
    if (const char* missing = ReadPlace(&row); missing != nullptr) {
        return Skip(missing);
    }
    long long day = 0;
    std::string timeText;
    if (!ReadTime(&row.t, &day, &timeText)) {
        return SkipForTime(timeText);
    }
    // The region decides the frame: rows outside it are left out before they count in it.
    if (m_region != nullptr) {
        if (!m_geographic) {
            m_status = Status::InvalidInput(
                "The region is given in latitude and longitude, but the catalogue " +
                QuotedCatalogue(m_path) + " gives its events in projected x and y.");
            return false;
        }
        if (!m_region->Contains(row.x, row.y)) {
            ++m_report.rowsFiltered;
            ++m_report.rowsOutsideRegion;
            return true;
        }
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
    if (Column(ColumnRole::EventType) >= 0 && DroppedType()) {
        ++m_report.rowsFiltered;
        ++m_report.rowsOfDroppedTypes;
        return true;
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
    // Depth below the surface, whichever way z points.
    if (const double depth = m_options.depthDown ? row.z : -row.z;
        depth < m_options.depthMin || depth > m_options.depthMax) {
        ++m_report.rowsFiltered;
        ++m_report.rowsOutsideDepths;
        return true;
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

bool CatalogueBuilder::DroppedType() {
    const std::string_view type = TrimmedField(Field(Column(ColumnRole::EventType)));
    const std::string key = LowerCase(type);
    std::size_t at = 0;
    while (at < m_typeKeys.size() && m_typeKeys[at] != key) {
        ++at;
    }
    if (at == m_typeKeys.size()) {
        if (m_droppedTypes.empty()) {
            for (const std::string& dropped : m_options.dropTypes) {
                m_droppedTypes.push_back(LowerCase(TrimmedField(dropped)));
            }
        }
        m_typeKeys.push_back(key);
        const bool dropped =
            std::find(m_droppedTypes.begin(), m_droppedTypes.end(), key) != m_droppedTypes.end();
        m_report.typeCounts.push_back({std::string(type), 0, dropped});
    }
    CatalogueReport::TypeCount& count = m_report.typeCounts[at];
    ++count.rows;
    return count.dropped;
}

Status CatalogueBuilder::TypesToDropKnown() const {
    for (const std::string& dropped : m_options.dropTypes) {
        const std::string key = LowerCase(TrimmedField(dropped));
        if (std::find(m_typeKeys.begin(), m_typeKeys.end(), key) != m_typeKeys.end()) {
            continue;
        }
        if (Column(ColumnRole::EventType) < 0) {
            return Status::InvalidInput("The catalogue " + QuotedCatalogue(m_path) +
                                        " has no event-type column, so no type \"" + dropped +
                                        "\" can be left out (a column named \"type\" or "
                                        "\"event type\", or chosen as type=COLUMN).");
        }
        return Status::InvalidInput("The catalogue " + QuotedCatalogue(m_path) +
                                    " holds no event of the type \"" + dropped + "\"" +
                                    (m_report.typeCounts.empty()
                                         ? std::string(".")
                                         : "; its types are: " + m_report.TypesText() + "."));
    }
    return Status::Ok();
}

bool CatalogueBuilder::Keep(const EventRecord& row, double number) {
    if (m_table.count >= m_maxEvents) {
        m_status = Status::InvalidInput(
            "The catalogue " + QuotedCatalogue(m_path) + " holds more than " +
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

bool CatalogueBuilder::Grow() {
    const long long have = static_cast<long long>(m_table.rows.size());
    const long long wanted = std::min(std::max<long long>(2 * have, 1024), m_maxEvents);
    try {
        m_table.rows.resize(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        m_status = Status::InvalidInput(
            "The catalogue " + QuotedCatalogue(m_path) +
            " holds more events than the memory can hold: " + std::to_string(m_table.count) +
            " were read when it ran out.");
        return false;
    }
    return true;
}

Status CatalogueBuilder::NothingReadable() const {
    const bool rangesOnly = m_report.rowsFiltered == m_report.RowsOutsideRanges();
    std::string why = m_report.rowsFiltered > 0
                          ? std::to_string(m_report.rowsFiltered) +
                                (rangesOnly ? " rows lie outside the magnitude or time range"
                                            : " rows are left out by the filters")
                          : m_report.SkippedText();
    return Status::InvalidInput("The catalogue " + QuotedCatalogue(m_path) +
                                " holds no event that can be read" +
                                (why.empty() ? "." : ": " + why + "."));
}

}  // namespace korvane
