// What a catalogue's columns and times mean: names and the units they hint at, a chosen
// column matched exactly before loosely, lengths turned into one unit on every axis, the
// forms of calendar time, and the calendar's years.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueReader.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

constexpr long long Day2023Feb06 = 19394;  // days since 1970, worked out by hand

TEST(CatalogueColumns, NamesGiveRolesAndUnits) {
    struct Case {
        const char* name;
        int role;
        std::optional<LengthUnit> unit;
    };
    constexpr auto m = LengthUnit::Metre;
    constexpr auto km = LengthUnit::Kilometre;
    const Case cases[] = {
        {"Seconds", static_cast<int>(ColumnRole::Second), {}},
        {"SS", static_cast<int>(ColumnRole::Second), {}},
        {"depth_m", static_cast<int>(ColumnRole::Depth), m},
        {"Depth/km", static_cast<int>(ColumnRole::Depth), km},
        {"depth [m]", static_cast<int>(ColumnRole::Depth), m},
        {"Elevation (m)", static_cast<int>(ColumnRole::Elevation), m},
        {"Easting (metres)", static_cast<int>(ColumnRole::X), m},
        {"y_km", static_cast<int>(ColumnRole::Y), km},
        {"Local Magnitude", static_cast<int>(ColumnRole::Magnitude), {}},
        {"origin_time(s)", static_cast<int>(ColumnRole::Time), {}},
        {"Date", static_cast<int>(ColumnRole::Date), {}},
        {"YR", static_cast<int>(ColumnRole::Year), {}},
        {"MO", static_cast<int>(ColumnRole::Month), {}},
        {"DY", static_cast<int>(ColumnRole::Day), {}},
        {"HR", static_cast<int>(ColumnRole::Hour), {}},
        {"MI", static_cast<int>(ColumnRole::Minute), {}},
        {"SC", static_cast<int>(ColumnRole::Second), {}},
        {"mag_m", static_cast<int>(ColumnRole::Magnitude), {}},  // no length, no unit
        {"dx_m", -1, {}},
        {"magtype", -1, {}},
    };
    for (const Case& c : cases) {
        std::optional<LengthUnit> unit = LengthUnit::Kilometre;
        EXPECT_EQ(RoleOfColumnName(c.name, &unit), c.role) << c.name;
        EXPECT_EQ(unit, c.unit) << c.name;
    }
}

TEST(CatalogueColumns, AChoiceMatchesExactlyFirstAndNeverOneOfSeveral) {
    const std::vector<std::string> header = {"time", "depth (km)", "depth (m)", "Mag",
                                             "mag",  "Weight",     "2",         "a,b"};
    struct Case {
        const char* choice;
        int column;
        const char* problem;  // a part of the refusal
    };
    const Case cases[] = {
        {"depth (m)", 2, ""},
        {"DEPTH(KM)", 1, ""},
        {"depth", -1, "could be any of \"depth (km)\" (column 2), \"depth (m)\" (column 3)"},
        {"mag", -1, "\"Mag\" (column 4), \"mag\" (column 5)"},
        {"weight", 5, ""},
        {"origin time", -1, "has no column \"origin time\""},
        {"7", 6, ""},  // a number is the column's number
        {"120", 119, ""},
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_EQ(ColumnOfChoice(header, c.choice, "c.csv", &problem), c.column) << c.choice;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
    // What the import dialog stores for a column gives that column back to the reader.
    for (std::size_t i = 0; i < header.size(); ++i) {
        EXPECT_EQ(ColumnOfChoice(header, ChoiceOfColumn(header, i), ""), static_cast<int>(i))
            << header[i];
    }
    EXPECT_EQ(ChoiceOfColumn(header, 3), "4");  // "Mag" alone would be "mag" too
    EXPECT_EQ(ChoiceOfColumn(header, 6), "7");
    EXPECT_EQ(ChoiceOfColumn(header, 2), "depth (m)");
}

TEST(CatalogueColumns, EveryAxisIsTurnedIntoTheOutputUnitOnce) {
    // 905 m below the surface, written in m or km, as a depth or an elevation; x and y one km
    // east and north, written in m or km, or 0.009 degrees of latitude north of the origin.
    TempDir dir;
    for (const bool geographic : {true, false}) {
        for (const LengthUnit fileUnit : {LengthUnit::Metre, LengthUnit::Kilometre}) {
            for (const bool depth : {true, false}) {
                for (const LengthUnit output : {LengthUnit::Metre, LengthUnit::Kilometre}) {
                    const bool metres = fileUnit == LengthUnit::Metre;
                    const std::string suffix = metres ? "_m" : "_km";
                    const std::string vertical =
                        (depth ? "depth" : "elevation") + suffix + "," +
                        (metres ? (depth ? "905" : "-905") : (depth ? "0.905" : "-0.905"));
                    std::string text;
                    if (geographic) {
                        text = "lat,lon," + vertical.substr(0, vertical.find(',')) +
                               ",time\n47.009,8," + vertical.substr(vertical.find(',') + 1) +
                               ",2020-01-01\n";
                    } else {
                        text = "x" + suffix + ",y" + suffix + "," +
                               vertical.substr(0, vertical.find(',')) + ",t\n" +
                               (metres ? "1000,1000," : "1,1,") +
                               vertical.substr(vertical.find(',') + 1) + ",0\n";
                    }
                    CatalogueOptions options;
                    options.unit = output;
                    options.origin = std::array<double, 2>{47, 8};
                    EventTable table;
                    CatalogueReport report;
                    const std::string what =
                        text + (output == LengthUnit::Metre ? " in m" : " in km");
                    ASSERT_TRUE(ReadEvents(dir.write("u.csv", text), options, table, &report).ok())
                        << what;
                    const double perKm = output == LengthUnit::Metre ? 1000.0 : 1.0;
                    EXPECT_NEAR(table.rows[0].z, 0.905 * perKm, 1e-9 * perKm) << what;
                    EXPECT_NEAR(table.rows[0].y, (geographic ? 1.0008 : 1.0) * perKm, 0.001 * perKm)
                        << what;
                    EXPECT_TRUE(report.unitKnown) << what;
                }
            }
        }
    }
    // Without a word on units, projected numbers stay as they are (and the pictures say m);
    // a unit chosen by hand wins over the name.
    CatalogueOptions options;
    EventTable table;
    CatalogueReport report;
    ASSERT_TRUE(
        ReadEvents(dir.write("n.csv", "x,y,depth,t\n1000,1000,905,0\n"), options, table, &report)
            .ok());
    EXPECT_EQ(table.rows[0].z, 905.0);
    EXPECT_FALSE(report.unitKnown);
    options.xyUnit = LengthUnit::Metre;  // the depth then shares it
    ASSERT_TRUE(
        ReadEvents(dir.write("n.csv", "x,y,depth,t\n1000,1000,905,0\n"), options, table, &report)
            .ok());
    EXPECT_EQ(table.rows[0].x, 1.0);
    EXPECT_EQ(table.rows[0].z, 0.905);
    options.depthUnit = LengthUnit::Kilometre;
    ASSERT_TRUE(ReadEvents(dir.write("n.csv", "x,y,depth_m,t\n1000,1000,0.905,0\n"), options, table,
                           &report)
                    .ok());
    EXPECT_EQ(table.rows[0].z, 0.905);
}

TEST(CalendarTime, ReadsTheFormsCataloguesWrite) {
    struct Case {
        const char* text;
        DateOrder order;
        bool ok;
        long long day;
        double second;
    };
    const auto automatic = DateOrder::Automatic;
    const Case cases[] = {
        {"2023/02/06 01:17:34.82", automatic, true, Day2023Feb06, 4654.82},
        {"2023/2/6", automatic, true, Day2023Feb06, 0},
        {"06.02.2023 01:17:34.82", automatic, true, Day2023Feb06, 4654.82},
        {"6.2.2023T1:17", automatic, true, Day2023Feb06, 4620},
        {"02/06/2023", automatic, false, 0, 0},  // 6 February or 2 June: not guessed
        {"02/06/2023", DateOrder::MonthFirst, true, Day2023Feb06, 0},
        {"06/02/2023 01:17:34Z", DateOrder::DayFirst, true, Day2023Feb06, 4654},
        {"06.02.2023 03:17:34+02:00", automatic, true, Day2023Feb06, 4654},
        {"2023-02-06T01:17:34.82Z", automatic, true, Day2023Feb06, 4654.82},
        {"13/13/2023", DateOrder::DayFirst, false, 0, 0},
        {"2023/02/06 noon", automatic, false, 0, 0},
        {"06.02.23", automatic, false, 0, 0},
    };
    for (const Case& c : cases) {
        CalendarInstant got;
        ASSERT_EQ(ReadCalendarText(c.text, c.order, &got), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(got.day, c.day) << c.text;
            EXPECT_NEAR(got.second, c.second, 1e-9) << c.text;
        }
    }
    CalendarInstant got;
    ASSERT_TRUE(ReadDateAndClock("06.02.2023", "1:17:34.82", automatic, &got));
    EXPECT_EQ(got.day, Day2023Feb06);
    EXPECT_NEAR(got.second, 4654.82, 1e-9);
    EXPECT_FALSE(ReadDateAndClock("2023-02-06", "", automatic, &got));
}

TEST(CalendarTime, YearsOutsideTheCalendarAreSecondsWithANoteAndNeverRead) {
    const CalendarInstant reference{Day2023Feb06, 0.0};
    // Every double gives text, never a date made of an overflowed number.
    const double inf = std::numeric_limits<double>::infinity();
    for (const double seconds : {1e300, -1e300, inf, -inf, std::nan(""), -6.5e10, 2.6e11}) {
        const std::string text = FormatIsoTime(reference, seconds);
        EXPECT_NE(text.find("outside the years 0001 to 9999"), std::string::npos) << text;
        EXPECT_EQ(FormatCalendarCaption(reference, seconds), "outside the years 0001 to 9999");
        EXPECT_FALSE(InCalendarRange(reference, seconds));
    }
    EXPECT_EQ(FormatCalendarCaption(reference, 86400.0), "2023-02-07 00:00:00 UTC");
    // The calendar's ends are read and written back as the same instants; past them nothing
    // is read, so no time reference can be saved that does not read back.
    for (const char* text :
         {"0001-01-01T00:00:00Z", "9999-12-31T23:59:60.5Z", "9999-12-31T21:59:59.999999-02:00"}) {
        CalendarInstant instant;
        ASSERT_TRUE(ReadIsoTime(text, &instant)) << text;
        EXPECT_TRUE(RoundTripsAsText(instant)) << text;
    }
    for (const char* text : {"9999-12-31T23:00:00-02:00", "0000-12-31", "-0044-03-15T12:00Z",
                             "0001-01-01T00:30+01:00"}) {
        CalendarInstant instant;
        EXPECT_FALSE(ReadIsoTime(text, &instant)) << text;
    }
    EXPECT_FALSE(RoundTripsAsText({DaysFromCivil(10000, 1, 1), 3600.0}));
}

}  // namespace
}  // namespace korvane
