// The filters of real catalogues: event types counted and left out, a region box or polygon
// (which also decides the origin), a depth range, and what bad input says.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "catalogue/CatalogueReader.h"
#include "catalogue/CatalogueRegion.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

TEST(CatalogueRegion, PointsInBoxesAndPolygons) {
    TempDir dir;
    // A square, a triangle, a ring with a hole, and a box and a polygon across the date line.
    const std::string square = dir.write("square.txt", "# lat,lon\n0,0\n0,10\n10,10\n10,0\n");
    const std::string triangle = dir.write(
        "triangle.geojson",
        R"({"type":"Feature","geometry":{"type":"Polygon","coordinates":[[[0,0],[10,0],[0,10],[0,0]]]}})");
    const std::string holed = dir.write(
        "holed.geojson", R"({"type":"Polygon","coordinates":[[[0,0],[10,0],[10,10],[0,10],[0,0]],)"
                         R"([[4,4],[6,4],[6,6],[4,6],[4,4]]]})");
    const std::string dateLine = dir.write("pacific.txt", "-10 170\n-10 -170\n10 -170\n10 170\n");
    struct Case {
        const char* region;  // a box, or the name of a file above
        double lat, lon;
        bool inside;
    };
    const Case cases[] = {
        {"square", 5, 5, true},
        {"square", 0, 5, true},  // an edge
        {"square", 10, 10, true},
        {"square", 10.0001, 5, false},
        {"square", 5, 365, true},
        {"square", -1, 5, false},
        {"triangle", 1, 1, true},
        {"triangle", 5, 5, true},  // on the slanted edge
        {"triangle", 6, 6, false},
        {"holed", 5, 5, false},
        {"holed", 2, 2, true},
        {"holed", 4, 5, true},  // the hole's edge
        {"pacific", 0, 180, true},
        {"pacific", 0, -175, true},
        {"pacific", 0, 175, true},
        {"pacific", 0, 160, false},
        {"36,38,35,39", 37, 36, true},
        {"36,38,35,39", 38.5, 36, false},
        {"-10,10,170,-170", 0, -179, true},
        {"-10,10,170,-170", 0, 179.5, true},
        {"-10,10,170,-170", 0, 0, false},
    };
    for (const Case& c : cases) {
        const std::string name = c.region;
        CatalogueRegion region;
        if (IsRegionBoxText(name)) {
            std::string why;
            const std::optional<CatalogueRegion> box = CatalogueRegion::FromBoxText(name, &why);
            ASSERT_TRUE(box) << why;
            region = *box;
        } else {
            const std::string file = name == "square"     ? square
                                     : name == "triangle" ? triangle
                                     : name == "holed"    ? holed
                                                          : dateLine;
            ASSERT_TRUE(CatalogueRegion::FromFile(file, &region).ok()) << name;
        }
        EXPECT_EQ(region.Contains(c.lat, c.lon), c.inside)
            << c.region << " at " << c.lat << ", " << c.lon;
    }
}

TEST(CatalogueRegion, BadRegionsAndDepthRangesSayWhy) {
    TempDir dir;
    struct Bad {
        std::string fileText;
        const char* said;
    };
    const Bad files[] = {
        {"0,0\n1,1\n0,0\n", "a polygon of 2 points; a region needs at least 3"},
        {R"({"type":"Point","coordinates":[1,2]})", "no GeoJSON Polygon"},
        {R"({"type":"Polygon","coordinates":[[[0,0],[1,0]]]})", "at least 3"},
        {"0,0\nten,1\n2,2\n", "line 2: \"ten,1\""},
        {"0,0\n95,1\n2,2\n", "beyond 90 degrees"},
    };
    for (const Bad& bad : files) {
        CatalogueRegion region;
        const Status status =
            CatalogueRegion::FromFile(dir.write("bad.txt", bad.fileText), &region);
        EXPECT_EQ(status.code(), Status::Code::InvalidInput) << bad.fileText;
        EXPECT_NE(status.message().find(bad.said), std::string::npos) << status.message();
    }
    for (const char* box : {"38,36,35,39", "1,2,3", "-91,0,0,1"}) {
        std::string why;
        EXPECT_FALSE(CatalogueRegion::FromBoxText(box, &why)) << box;
        EXPECT_FALSE(why.empty()) << box;
    }
    std::string why;
    EXPECT_FALSE(DepthRangeOf("20:5", &why));
    EXPECT_EQ(why, "the depth range's MIN, 20, lies above its MAX, 5");
    EXPECT_FALSE(DepthRangeOf("5", &why));
    EXPECT_FALSE(DepthRangeOf("a:5", &why));
    const std::optional<std::array<double, 2>> open = DepthRangeOf("5:", &why);
    ASSERT_TRUE(open);
    EXPECT_EQ(DepthRangeText(*open), "5:");
}

// A sequence near 37 N, 37 E, a quarry blast and an explosion among it, and one event far
// away that a region leaves out.
constexpr const char* Sequence =
    "time,latitude,longitude,depth,mag,event type\n"
    "2023-02-06T01:17:34Z,37.0,37.0,10,7.8,earthquake\n"
    "2023-02-06T02:00:00Z,37.2,37.2,15,4.0,Earthquake\n"
    "2023-02-06T09:00:00Z,37.1,36.9,0.1,2.0,quarry blast\n"
    "2023-02-06T10:30:00Z,36.9,37.1,25,3.5,earthquake\n"
    "2023-02-06T11:00:00Z,37.0,37.2,0,1.8,explosion\n"
    "2023-02-05T03:00:00Z,-20.0,170.0,40,5.0,earthquake\n";

TEST(CatalogueFilters, TypesRegionAndDepthLeaveOutRowsAndSayHowMany) {
    TempDir dir;
    const std::string path = dir.write("sequence.csv", Sequence);
    struct Case {
        std::vector<std::string> dropTypes;
        std::string region;
        double depthMin, depthMax;
        int kept;
        const char* summary;
    };
    const double inf = HUGE_VAL;
    const Case cases[] = {
        {{},
         "",
         -inf,
         inf,
         6,
         "6 events read; event types: earthquake 4, quarry blast 1, explosion 1."},
        {{"Quarry Blast", "explosion"},
         "",
         -inf,
         inf,
         4,
         "4 events read, 2 of the types left out; event types: earthquake 4, quarry blast 1 "
         "(left out), explosion 1 (left out)."},
        {{},
         "36,38,36,38",
         -inf,
         inf,
         5,
         "5 events read, 1 outside the region; event types: earthquake 3, quarry blast 1, "
         "explosion 1."},
        {{"quarry blast"},
         "36,38,36,38",
         5,
         30,
         3,
         "3 events read, 1 outside the region, 1 outside the depth range, 1 of the types left "
         "out; event types: earthquake 3, quarry blast 1 (left out), explosion 1."},
    };
    for (const Case& c : cases) {
        CatalogueOptions options;
        options.dropTypes = c.dropTypes;
        options.region = c.region;
        options.depthMin = c.depthMin;
        options.depthMax = c.depthMax;
        EventTable table;
        CatalogueReport report;
        ASSERT_TRUE(ReadCatalogue(path, options, table, &report).ok()) << c.region;
        EXPECT_EQ(table.count, c.kept) << c.region;
        EXPECT_EQ(report.Summary(), c.summary);
    }
}

TEST(CatalogueFilters, ARegionCentresTheFrameOnWhatItKeeps) {
    TempDir dir;
    const std::string path = dir.write("sequence.csv", Sequence);
    CatalogueOptions options;
    EventTable table;
    CatalogueReport report;
    ASSERT_TRUE(ReadCatalogue(path, options, table, &report).ok());
    EXPECT_NEAR(report.originLatitude, 8.6, 1e-9);  // the far event pulls the middle away
    EXPECT_EQ(FormatIsoInstant(report.timeReference), "2023-02-05T00:00:00Z");
    const std::string polygon =
        dir.write("box.txt", "36.5,36.5\n36.5,37.5\n37.5,37.5\n37.5,36.5\n");
    options.region = polygon;
    ASSERT_TRUE(ReadCatalogue(path, options, table, &report).ok());
    EXPECT_NEAR(report.originLatitude, 37.05, 1e-9);
    EXPECT_NEAR(report.originLongitude, 37.05, 1e-9);
    // Times count from the region's first day too.
    EXPECT_EQ(FormatIsoInstant(report.timeReference), "2023-02-06T00:00:00Z");
}

TEST(CatalogueFilters, BadFiltersAreRefusedByName) {
    TempDir dir;
    const std::string path = dir.write("sequence.csv", Sequence);
    const std::string plain = dir.write("plain.dat", "1 2 3 4\n");
    const std::string projected = dir.write("xy.csv", "x,y,z,t\n1,2,3,4\n");
    struct Case {
        std::string file;
        std::vector<std::string> dropTypes;
        std::string region;
        double depthMin;
        std::string said;
    };
    const Case cases[] = {
        {path,
         {"quary blast"},
         "",
         -HUGE_VAL,
         "holds no event of the type \"quary blast\"; its types are: earthquake 4, quarry blast "
         "1, explosion 1."},
        {projected, {"explosion"}, "", -HUGE_VAL, "has no event-type column"},
        {projected, {}, "0,1,0,1", -HUGE_VAL, "gives its events in projected x and y"},
        {path, {}, "1,0,0,1", -HUGE_VAL, "The region \"1,0,0,1\" cannot be used"},
        {path, {}, dir.file("missing.geojson"), -HUGE_VAL, "missing.geojson"},
        {path, {}, "", 100, "rows are left out by the filters"},
        {plain, {}, "", 5, "is a plain event file without a header line"},
    };
    for (const Case& c : cases) {
        CatalogueOptions options;
        options.dropTypes = c.dropTypes;
        options.region = c.region;
        options.depthMin = c.depthMin;
        EventTable table;
        CatalogueReport report;
        const Status status = ReadEvents(c.file, options, table, &report);
        EXPECT_FALSE(status.ok()) << c.said;
        EXPECT_NE(status.message().find(c.said), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0) << c.said;
    }
}

}  // namespace
}  // namespace korvane
