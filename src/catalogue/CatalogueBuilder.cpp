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
    std::string why = m_report.rowsFiltered > 0
                          ? std::to_string(m_report.rowsFiltered) +
                                " rows lie outside the magnitude or time range"
                          : m_report.SkippedText();
    return Status::InvalidInput("The catalogue " + QuotedCatalogue(m_path) +
                                " holds no event that can be read" +
                                (why.empty() ? "." : ": " + why + "."));
}

}  // namespace korvane
