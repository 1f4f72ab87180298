#include <GeographicLib/LocalCartesian.hpp>
#include <algorithm>
#include <cmath>

#include "catalogue/CatalogueBuilder.h"
#include "common/NumberText.h"

namespace korvane {

LengthScale ScaleBetween(LengthUnit from, LengthUnit to) {
    if (from == to) {
        return {};
    }
    return from == LengthUnit::Kilometre ? LengthScale{1000.0, 1.0} : LengthScale{1.0, 1000.0};
}

bool CatalogueBuilder::ReadInstant(CalendarInstant* instant, std::string* text) const {
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
        const bool absent = column < 0 || (i == 5 && m_options.preset == CataloguePreset::Zmap &&
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
    return read && InstantFromFields(static_cast<long long>(values[0]), static_cast<int>(values[1]),
                                     static_cast<int>(values[2]), static_cast<int>(values[3]),
                                     static_cast<int>(values[4]), values[5], instant);
}

bool CatalogueBuilder::ReadTime(double* t, long long* day, std::string* text) {
    const int timeColumn = Column(ColumnRole::Time);
    if (timeColumn >= 0 && !m_kindKnown) {
        // The first time that reads decides: seconds, or calendar time. A row before it
        // (an empty time, a word) is skipped without deciding for the others.
        double seconds = 0.0;
        CalendarInstant instant;
        std::string calendarText;
        const bool number = ReadNumber(Field(timeColumn), m_decimalComma, &seconds);
        if (!number && !ReadInstant(&instant, &calendarText)) {
            // With a Date column the date is quoted too: it is often what did not read.
            *text = calendarText;
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

bool CatalogueBuilder::FilterTime(double t, double* counted) const {
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
        *counted =
            static_cast<double>(m_anchorDay - reference.day) * SecondsPerDay - reference.second + t;
        return true;
    }
    return false;
}

bool CatalogueBuilder::TimeRangeSet() const {
    return std::isfinite(m_options.timeMin) || std::isfinite(m_options.timeMax);
}

bool CatalogueBuilder::OutsideTimeRange(double counted) const {
    return counted < m_options.timeMin || counted > m_options.timeMax;
}

void CatalogueBuilder::PlaceInTime() {
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

Status CatalogueBuilder::PlaceOnTheEarth() {
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
                "The catalogue " + QuotedCatalogue(m_path) +
                " spans more of the earth than one local frame can hold: its events lie up "
                "to " +
                FormatFixed(farthest, 1) + " degrees of arc from their middle (latitudes " +
                FormatShortest(m_minLat) + " to " + FormatShortest(m_maxLat) +
                ", longitudes over " + FormatFixed(m_longitudes.Length(), 1) +
                " degrees). Give an origin near the events that matter (--origin LAT,LON, "
                "or the origin in Import Catalogue): events more than 90 degrees from it "
                "are then skipped. Or keep only the events of one region (--region "
                "LATMIN,LATMAX,LONMIN,LONMAX or a polygon file, or the region in Import "
                "Catalogue).");
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

}  // namespace korvane
