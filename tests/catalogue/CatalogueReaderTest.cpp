#include <gtest/gtest.h>

#include <GeographicLib/LocalCartesian.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueReader.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

struct Row {
    double x, y, z, t;
};

// 2023-02-06T00:00:00Z in seconds since 1970, worked out by hand: 19394 days.
constexpr long long Day2023Feb06 = 19394;

TEST(CalendarTime, ReadsIsoTextAndRefusesWhatIsNotADate) {
    struct Case {
        const char* text;
        bool ok;
        long long day;
        double second;
    };
    const Case cases[] = {
        {"2023-02-06T01:17:34.820Z", true, Day2023Feb06, 4654.82},
        {"2023-02-06 01:17:34.820", true, Day2023Feb06, 4654.82},  // no zone: UTC
        {"2023-02-06T03:17:34.820+02:00", true, Day2023Feb06, 4654.82},
        {"2023-02-05T23:17:34.820-0200", true, Day2023Feb06, 4654.82},
        {"2023-02-06T00:30+01", true, Day2023Feb06 - 1, 86400 - 1800},
        {"2023-02-06", true, Day2023Feb06, 0.0},
        {"1970-01-01T00:00:00.000001Z", true, 0, 1e-6},
        {"2024-02-29T12:00:00Z", true, 19782, 43200.0},
        {"1969-12-31T23:59:59Z", true, -1, 86399.0},
        {"2023-02-29T00:00:00Z", false, 0, 0},
        {"2023-13-01", false, 0, 0},
        {"2023-02-06T25:00", false, 0, 0},
        {"2023-02-06T01:17:34.", false, 0, 0},
        {"2023-02-06X", false, 0, 0},
        {"1675646254.82", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        CalendarInstant got;
        ASSERT_EQ(ReadIsoTime(c.text, &got), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(got.day, c.day) << c.text;
            EXPECT_NEAR(got.second, c.second, 1e-9) << c.text;
        }
    }
    // A microsecond survives the way back to text, across a day's end.
    const CalendarInstant reference{Day2023Feb06, 0.0};
    EXPECT_EQ(FormatIsoTime(reference, 4654.820001), "2023-02-06T01:17:34.820001Z");
    EXPECT_EQ(FormatIsoTime(reference, 86400.0 * 366 + 0.5), "2024-02-07T00:00:00.500000Z");
    EXPECT_EQ(FormatIsoTime({0, 0.0}, -1.0), "1969-12-31T23:59:59.000000Z");
}

TEST(ReadCatalogue, ReadsEachKindOfDelimitedText) {
    struct Case {
        const char* what;
        std::string content;
        std::string columns;
        std::vector<Row> rows;
        long long skipped;
    };
    const std::vector<Case> cases = {
        {"comma, projected, seconds",
         "x,y,z,t\n1.5,2,3,4\n-1,-2,-3,10.25\n",
         "",
         {{1.5, 2, 3, 4}, {-1, -2, -3, 10.25}},
         0},
        {"TAB header (once an event at the origin)",
         "x\ty\tz\tt\n1\t2\t3\t4\n",
         "",
         {{1, 2, 3, 4}},
         0},
        {"semicolon and decimal comma",
         "East;North;Depth/km;Time\n1,5;2,25;-3;4,0\n",
         "",
         {{1.5, 2.25, -3, 4}},
         0},
        {"pipe, comments, CR LF",
         "# made by hand\r\nX|Y|Z|T\r\n# a note\r\n1|2|3|4\r\n",
         "",
         {{1, 2, 3, 4}},
         0},
        {"runs of blanks",
         "  easting   northing  z    t\n  10   20  30    40\n",
         "",
         {{10, 20, 30, 40}},
         0},
        {"quoted fields",
         "\"x\",\"y, north\",\"z\",\"t\"\n\"1.5\",\"2\",3,\"4\"\n",
         "y=2",
         {{1.5, 2, 3, 4}},
         0},
        {"quoted with doubled quotes",
         "x;\"y \"\"n\"\"\";z;t\n\"1,5\";\"2\";3;\"4\"\n",
         "y=2",
         {{1.5, 2, 3, 4}},
         0},
        {"columns chosen by name and number",
         "a,b,c,d\n1,2,3,4\n",
         "x=d,y=c,z=2,t=1",
         {{4, 3, 2, 1}},
         0},
        {"elevation turned to depth", "x,y,elevation,t\n1,2,0.5,4\n", "", {{1, 2, -0.5, 4}}, 0},
        {"ISO time with zone, from the day's midnight",
         "x,y,z,time\n0,0,0,2023-02-06T03:17:34.820+02:00\n0,0,0,2023-02-07T00:00:00Z\n",
         "",
         {{0, 0, 0, 4654.82}, {0, 0, 0, 86400}},
         0},
        {"split time fields",
         "x,y,z,year,month,day,hour,minute,second\n0,0,0,2023,2,6,1,17,34.82\n"
         "0,0,0,2023,2,5,0,0,0\n",
         "",
         {{0, 0, 0, 86400 + 4654.82}, {0, 0, 0, 0}},
         0},
        {"missing fields skipped",
         "x,y,z,t\n1,2,3,4\n1,2,,4\n1,2\n1,2,3,4,5\n",
         "",
         {{1, 2, 3, 4}, {1, 2, 3, 4}},
         2},
    };
    TempDir dir;
    for (const Case& c : cases) {
        CatalogueOptions options;
        options.columns = c.columns;
        EventTable table;
        CatalogueReport report;
        const Status status = ReadEvents(dir.write("cat.csv", c.content), options, table, &report);
        ASSERT_TRUE(status.ok()) << c.what << ": " << status.message();
        ASSERT_EQ(table.count, static_cast<int>(c.rows.size())) << c.what;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(table.rows[i].x, c.rows[i].x) << c.what << " row " << i;
            EXPECT_EQ(table.rows[i].y, c.rows[i].y) << c.what << " row " << i;
            EXPECT_EQ(table.rows[i].z, c.rows[i].z) << c.what << " row " << i;
            EXPECT_NEAR(table.rows[i].t, c.rows[i].t, 1e-9) << c.what << " row " << i;
        }
        EXPECT_EQ(report.rowsSkipped, c.skipped) << c.what;
    }
}

TEST(ReadCatalogue, PresetsMapTheColumnsOfFilesWithoutAHeader) {
    struct Case {
        CataloguePreset preset;
        std::string content;
        double depth, t, magnitude;
    };
    const Case cases[] = {
        {CataloguePreset::HypoDD,
         "   1  37.17000  37.03000   10.000  -120.5   33.1  -5.0  10.2  11.0  12.9 2023  2  6  "
         "1 17 34.82  7.8  100  80  50  40  0.1  0.2  3\n",
         10.0, 4654.82, 7.8},
        {CataloguePreset::GrowClust,
         "2023  2  6  1 17  34.820  1001  37.17000  37.03000  10,500  7.80  1  3  5  10  8  6 "
         " 0.05 0.06  0.1  0.2  0.01  37.1  37.0  10.0\n",
         10.5, 4654.82, 7.8},
        {CataloguePreset::FdsnText,
         "#EventID | Time | Latitude | Longitude | Depth/km | Author | Catalog | Contributor | "
         "ContributorID | MagType | Magnitude | MagAuthor | EventLocationName\n"
         "us7000|2023-02-06T01:17:34.820|37.17|37.03|10|us|us|us|us7000|mww|7.8|us|Turkey\n",
         10.0, 4654.82, 7.8},
    };
    TempDir dir;
    for (const Case& c : cases) {
        CatalogueOptions options;
        options.preset = c.preset;
        EventTable table;
        CatalogueReport report;
        const Status status = ReadEvents(dir.write("p.txt", c.content), options, table, &report);
        ASSERT_TRUE(status.ok()) << status.message();
        ASSERT_EQ(table.count, 1) << c.content;
        EXPECT_TRUE(report.geographic);
        EXPECT_EQ(report.originLatitude, 37.17);
        EXPECT_EQ(table.rows[0].z, c.depth);
        EXPECT_NEAR(table.rows[0].t, c.t, 1e-9);
        ASSERT_EQ(table.weightSource.size(), 1u);
        EXPECT_EQ(table.weightSource[0], c.magnitude);
    }
}

TEST(ReadCatalogue, NamesSkippedRowsFiltersAndRefusesAFileWithoutEvents) {
    TempDir dir;
    std::string content = "lat,lon,depth,time,mag\n";
    for (int i = 0; i < 8; ++i) {
        const bool bad = i % 2 == 1;
        content += "10.0,20.0," + std::string(bad ? "" : "5") + ",2020-01-0" +
                   std::to_string(i + 1) + "T00:00:00Z," + std::to_string(i) + "\n";
    }
    content += "10.0,20.0,5,yesterday,1\n";
    EventTable table;
    CatalogueReport report;
    ASSERT_TRUE(ReadCatalogue(dir.write("c.csv", content), {}, table, &report).ok());
    EXPECT_EQ(table.count, 4);
    EXPECT_EQ(report.SkippedText().rfind("5 rows skipped: no depth, no time (lines 3, 5, 7, 9, "
                                         "10); the first time not read is \"yesterday\" (times "
                                         "are read as seconds",
                                         0),
              0u);
    ASSERT_EQ(table.weightSource.size(), 4u);
    EXPECT_EQ(table.weightSource[3], 6.0);

    CatalogueOptions filters;
    filters.magnitudeMin = 2;
    filters.magnitudeMax = 4;
    filters.timeMax = 2 * 86400.0;  // up to 2020-01-03, from the first day
    ASSERT_TRUE(ReadCatalogue(dir.write("c.csv", content), filters, table, &report).ok());
    EXPECT_EQ(table.count, 1);  // the magnitude 2 event of 2020-01-03
    EXPECT_EQ(report.rowsFiltered, 3);
    EXPECT_EQ(report.Summary().rfind("1 event read, 3 outside the magnitude or time range; 5 "
                                     "rows skipped: no depth, no time (lines 3, 5, 7, 9, 10)",
                                     0),
              0u);

    const std::string none = dir.write("none.csv", "x,y,z,t\n1,2,,4\n");
    Status status = ReadCatalogue(none, {}, table, &report);
    EXPECT_EQ(status.message(), "The catalogue \"" + none +
                                    "\" holds no event that can be read: 1 row skipped: no z "
                                    "(line 2).");
    EXPECT_EQ(table.count, 0);
    status = ReadCatalogue(dir.write("cols.csv", "a,b,z,t\n1,2,3,4\n"), {}, table, &report);
    EXPECT_NE(status.message().find("no column for x (or longitude), y (or latitude)"),
              std::string::npos);
}

TEST(ReadCatalogue, PlacesLatitudeAndLongitudeAroundTheOrigin) {
    TempDir dir;
    const std::string path = dir.write("geo.csv",
                                       "Latitude,Longitude,Depth,Time\n"
                                       "47.01,8.02,2.5,2020-01-01\n"
                                       "46.99,7.98,7.5,2020-01-01\n"
                                       "47.00,8.00,1,2020-01-01\n");
    for (const LengthUnit unit : {LengthUnit::Kilometre, LengthUnit::Metre}) {
        CatalogueOptions options;
        options.unit = unit;
        EventTable table;
        CatalogueReport report;
        ASSERT_TRUE(ReadCatalogue(path, options, table, &report).ok());
        ASSERT_TRUE(report.geographic);
        EXPECT_NEAR(report.originLatitude, 47.0, 1e-12);
        EXPECT_NEAR(report.originLongitude, 8.0, 1e-12);
        const double perMetre = unit == LengthUnit::Kilometre ? 1e-3 : 1.0;
        // A flat earth with the ellipsoid's radii of curvature at 47 degrees: good to a few
        // centimetres this close to the origin.
        const double a = 6378137.0;
        const double e2 = 0.00669437999014;
        const double s = std::sin(47.0 * M_PI / 180.0);
        const double meridian = a * (1 - e2) / std::pow(1 - e2 * s * s, 1.5);
        const double normal = a / std::sqrt(1 - e2 * s * s);
        const double degree = M_PI / 180.0;
        EXPECT_NEAR(table.rows[0].x, 0.02 * degree * normal * std::cos(47.0 * degree) * perMetre,
                    0.5 * perMetre);
        EXPECT_NEAR(table.rows[0].y, 0.01 * degree * meridian * perMetre, 0.5 * perMetre);
        EXPECT_NEAR(table.rows[2].x, 0.0, 1e-9);
        EXPECT_EQ(table.rows[1].z, unit == LengthUnit::Kilometre ? 7.5 : 7500.0);
        // The library's own way back gives the latitude and longitude to a millimetre.
        const GeographicLib::LocalCartesian plane(47.0, 8.0, 0.0);
        double lat = 0;
        double lon = 0;
        double h = 0;
        plane.Reverse(table.rows[1].x / perMetre, table.rows[1].y / perMetre, 0.0, lat, lon, h);
        EXPECT_NEAR(lat, 46.99, 1e-3 / 111000.0);
        EXPECT_NEAR(lon, 7.98, 1e-3 / 76000.0);
    }
    // A chosen origin and elevation as z.
    CatalogueOptions options;
    options.origin = std::array<double, 2>{47.01, 8.02};
    options.depthDown = false;
    EventTable table;
    CatalogueReport report;
    ASSERT_TRUE(ReadCatalogue(path, options, table, &report).ok());
    EXPECT_NEAR(table.rows[0].x, 0.0, 1e-9);
    EXPECT_NEAR(table.rows[0].y, 0.0, 1e-9);
    EXPECT_EQ(table.rows[0].z, -2.5);
    // Across the 180th meridian the middle is there, and the events a few km from it.
    const std::string fiji = dir.write("fiji.csv",
                                       "lat,lon,depth,time\n"
                                       "-17.0,179.9,10,2020-01-01\n"
                                       "-17.0,-179.9,10,2020-01-01\n");
    ASSERT_TRUE(ReadCatalogue(fiji, {}, table, &report).ok());
    EXPECT_NEAR(std::fabs(report.originLongitude), 180.0, 1e-9);
    EXPECT_NEAR(table.rows[0].x, -10.6, 0.1);  // km west of the meridian
    EXPECT_NEAR(table.rows[1].x, 10.6, 0.1);
}

TEST(ReadEvents, APlainFileReadsAsBeforeAndAHeaderNeverBecomesAnEvent) {
    TempDir dir;
    EventTable table;
    CatalogueReport report;
    // A plain file: words after the numbers, a decimal comma and a fifth field as today.
    ASSERT_TRUE(ReadEvents(dir.write("p.dat", "1,5\t2\t3\t4\t99\n\n0.1\t0.2\t0.3\t7.5\n"), {},
                           table, &report)
                    .ok());
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(table.rows[0].x, 1.5);
    EXPECT_EQ(table.rows[1].t, 7.5);
    EXPECT_TRUE(report.header.empty());
    ASSERT_TRUE(
        ReadEvents(dir.write("h.dat", "x\ty\tz\tt\n1\t2\t3\t4\n"), {}, table, &report).ok());
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.rows[0].x, 1.0);
    EXPECT_EQ(report.header.size(), 4u);
}

}  // namespace
}  // namespace korvane
