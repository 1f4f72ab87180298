#pragma once
// The builder of the catalogue reader: it takes the file's header and rows one by one and
// fills the event table and the report. Inside the catalogue layer only; the rest of the
// program reads catalogues through CatalogueReader.h.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueColumns.h"
#include "catalogue/CatalogueReader.h"
#include "catalogue/CatalogueRegion.h"
#include "catalogue/DelimitedText.h"
#include "catalogue/GeographicFrame.h"
#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

constexpr double SecondsPerDay = 86400.0;
// The farthest an event may lie from the origin, in degrees of arc: beyond it a local frame
// folds the far side of the earth onto the near one.
constexpr double FarthestFromOrigin = 90.0;

// The catalogue's path as messages quote it.
inline std::string QuotedCatalogue(const std::string& path) {
    return "\"" + path + "\"";
}

// Turns a length in one unit into another: times 1000, or divided by 1000 (so that 905 m
// become exactly the double of 0.905 km).
struct LengthScale {
    double times = 1.0;
    double dividedBy = 1.0;

    double operator()(double value) const { return value * times / dividedBy; }
};

LengthScale ScaleBetween(LengthUnit from, LengthUnit to);

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

    // The region the rows are cut to (null: everywhere); it outlives the builder.
    void CutToRegion(const CatalogueRegion* region) { m_region = region; }
    // A row of separate fields (a record of another format) that starts at line `number`.
    bool AddFieldsAt(const std::vector<std::string_view>& fields, long long number);
    // A row made from a record of the file that starts at line `number`.
    bool AddLineAt(std::string_view line, long long number);
    // A record of the file, at line `number`, that holds no event.
    bool SkipRecord(long long number, const char* reason);
    // False when the file must be refused; status() then says why.
    bool AddLine(std::string_view line);
    // The table's values once every row is read: the time reference and the origin placed.
    Status Finish();
    const Status& status() const { return m_status; }

  private:
    // The header line, or the first row of a file whose columns need no header; `record`:
    // the fields of the first record come separately (the header alone is taken).
    bool TakeHeaderLine(std::string_view line, bool record = false);
    // The magnitude for the filter and moment weights, the weight column for value weights
    // (else the magnitude), and either for the table's fifth number.
    void ChooseNumberColumns();
    // The unit of each length column: chosen, else named in the header, else the custom of
    // the format; projected x, y and z share a unit known for either. `gridUnit` sets both
    // (NonLinLoc's grid).
    void ChooseUnits(std::optional<LengthUnit> gridUnit);
    // The unit the header name of the column of `role` gives; false without one.
    bool NamedUnit(ColumnRole role, std::optional<LengthUnit>* unit) const;
    // NonLinLoc's GEOGRAPHIC line holds the grid's own coordinates where the location was
    // made in a projected grid ("Lat 5307.4 Long 4424.7"): x, y and z are then the
    // HYPOCENTER's, in km.
    void UseNonLinLocGrid();
    int Column(ColumnRole role) const { return m_columnOf[static_cast<std::size_t>(role)]; }
    // The field of column `column`, "" past the end of the row.
    std::string_view Field(int column) const;
    // The number in the column of `role`; false when the row lacks it.
    bool Value(ColumnRole role, double* out) const;
    bool Skip(const char* reason);
    bool SkipForTime(std::string_view text);
    // The calendar instant of the row, from whichever columns hold it; false when they do
    // not hold one, with `text` what was not read.
    bool ReadInstant(CalendarInstant* instant, std::string* text) const;
    // The time of the row: the file's seconds, or the calendar instant as a day and the
    // seconds from the first row's day (`*day`). False, with the text, when it has none.
    bool ReadTime(double* t, long long* day, std::string* text);
    // The row's time as the filter counts it, once the frame allows; false while the time
    // reference is still to be found (the row is then checked at the end).
    bool FilterTime(double t, double* counted) const;
    bool TimeRangeSet() const;
    bool OutsideTimeRange(double counted) const;
    // x, y and z of the row, in the table's unit (latitude and longitude as they stand);
    // the reason the row is skipped when one cannot be read, else null.
    const char* ReadPlace(EventRecord* row) const;
    bool AddRow();
    // Counts the row's event type; true when that type is left out.
    bool DroppedType();
    // Refused when a type to leave out is none of the catalogue's.
    Status TypesToDropKnown() const;
    bool Keep(const EventRecord& row, double number);
    bool Grow();
    // Times from the reference: the one given, else midnight UTC of the earliest day of the
    // catalogue's readable rows. Rows left for the time filter until the reference was known
    // go or stay now.
    void PlaceInTime();
    // x and y east and north of the origin: the one given, else the middle of the readable
    // rows' latitudes and of the shortest arc of their longitudes, rounded to a centimetre.
    Status PlaceOnTheEarth();
    Status NothingReadable() const;

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

    const CatalogueRegion* m_region = nullptr;
    std::vector<std::string> m_droppedTypes;  // in lower case
    std::vector<std::string> m_typeKeys;      // each counted type in lower case

    bool m_calendar = false;
    bool m_kindKnown = false;  // seconds or calendar time, decided by the first time written
    bool m_haveAnchor = false;
    long long m_anchorDay = 0;
    long long m_firstDay = 0;
};

}  // namespace korvane
