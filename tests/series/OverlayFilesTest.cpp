// Overlay files: what each kind of file yields, the message a bad one gives (its file and
// line), and latitude and longitude placed around a catalogue's origin.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "series/OverlayFiles.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

TEST(OverlayFiles, EachKindOfFileGivesItsShapes) {
    TempDir dir;
    OverlayFile file;
    const std::string csv = dir.write("stations.csv",
                                      "# stations\nname;latitude;longitude;depth_km\n"
                                      "ABC;37.1;36.9;0.5\n\"D,E\";37.2;37.0;\n");
    ASSERT_TRUE(ReadOverlayFile(csv, OverlayKind::Points, file).ok());
    ASSERT_EQ(file.layer.markers.size(), 2u);
    EXPECT_EQ(file.layer.markers[1].name, "D,E");
    EXPECT_TRUE(file.geographic);
    EXPECT_EQ(file.layer.markers[0].at, OverlayPoint(36.9, 37.1, 0.5));  // longitude in x
    EXPECT_TRUE(std::isnan(file.layer.markers[1].at.z));
    EXPECT_EQ(file.depth, OverlayDepth::Depth);
    EXPECT_EQ(file.layer.label, "stations.csv");

    const std::string drifts = dir.write("drifts.txt",
                                         "# level 1\n0,0,-100\n10 0 -100\n\n20\t5\n> next\n"
                                         "1;2;3\r\n>\n\n5,5\n6,6\n");
    ASSERT_TRUE(ReadOverlayFile(drifts, OverlayKind::Lines, file).ok());
    ASSERT_EQ(file.layer.paths.size(), 4u);
    EXPECT_EQ(file.layer.paths[0].points.size(), 2u);
    EXPECT_EQ(file.layer.paths[2].points[0], OverlayPoint(1, 2, 3));
    EXPECT_FALSE(file.geographic);

    const std::string geojson = dir.write("faults.geojson",
                                          R"({"type":"FeatureCollection","features":[
            {"type":"Feature","properties":{"name":"EAF"},
             "geometry":{"type":"LineString","coordinates":[[36,37],[37,38,-2000]]}},
            {"type":"Feature","properties":{},"geometry":{"type":"MultiPolygon",
             "coordinates":[[[[0,0],[1,0],[1,1],[0,0]],[[0.2,0.2],[0.3,0.2],[0.2,0.3]]]]}},
            {"type":"Feature","properties":{"name":"M7.8"},
             "geometry":{"type":"Point","coordinates":[37.04,37.17]}},
            {"type":"Feature","properties":null,"geometry":null}]})");
    ASSERT_TRUE(ReadOverlayFile(geojson, OverlayKind::Lines, file).ok());
    ASSERT_EQ(file.layer.paths.size(), 3u);
    EXPECT_FALSE(file.layer.paths[0].closed);
    EXPECT_TRUE(file.layer.paths[1].closed);
    ASSERT_EQ(file.layer.markers.size(), 1u);
    EXPECT_EQ(file.layer.markers[0].name, "M7.8");
    EXPECT_EQ(file.depth, OverlayDepth::ElevationMetres);

    EXPECT_EQ(OverlayKindOf(csv), OverlayKind::Points);
    EXPECT_EQ(OverlayKindOf(dir.write("wells.txt", "Name x y\nW1 1 2\n")), OverlayKind::Points);
    EXPECT_EQ(OverlayKindOf(drifts), OverlayKind::Lines);
    EXPECT_EQ(OverlayKindOf(geojson), OverlayKind::Lines);
}

TEST(OverlayFiles, ABadFileIsRefusedNamingItsFileAndLine) {
    struct Case {
        const char* name;
        const char* content;
        OverlayKind kind;
        const char* says;
    };
    const Case cases[] = {
        {"a.csv", "name,lat,lon\nA,1,2\nB,north,2\n", OverlayKind::Points,
         "line 3: the latitude \"north\" is not a number"},
        {"b.csv", "name,lat,lon\nA,91,2\n", OverlayKind::Points, "line 2: the latitude 91"},
        {"c.csv", "name,height\nA,1\n", OverlayKind::Points, "line 1: the header line names no"},
        {"d.csv", "name,x,y,depth\nA,1,2,deep\n", OverlayKind::Points,
         "line 2: the depth \"deep\""},
        {"e.txt", "1,2\n3,4\n\n5,x\n", OverlayKind::Lines, "line 4: \"x\" is not a number"},
        {"f.txt", "1,2,3,4\n", OverlayKind::Lines, "line 1: a line holds x,y or x,y,z"},
        {"g.geojson", "{\"type\":\n  \"Feature\",,}", OverlayKind::Lines,
         "line 2: it is not valid JSON"},
        {"h.geojson",
         R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":null},
            {"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,"a"]]}}]})",
         OverlayKind::Lines, "feature 2 is no Point"},
        {"i.geojson", R"({"type":"Feature","geometry":{"type":"Circle","coordinates":[1,2]}})",
         OverlayKind::Lines, "feature 1"},
        {"j.csv", "", OverlayKind::Points, "no header line"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write(c.name, c.content);
        OverlayFile file;
        const Status status = ReadOverlayFile(path, c.kind, file);
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.code(), Status::Code::InvalidInput);
        EXPECT_NE(status.message().find("\"" + path + "\""), std::string::npos) << status.message();
        EXPECT_NE(status.message().find(c.says), std::string::npos) << status.message();
    }
    std::vector<OverlayFile> files;
    const Status missing =
        ReadOverlayFiles({dir.write("ok.csv", "name,x,y\nA,1,2\n")}, {dir.file("none.txt")}, files);
    EXPECT_NE(missing.message().find("none.txt"), std::string::npos);
}

TEST(OverlayFiles, LatitudeAndLongitudeArePlacedAroundTheCataloguesOrigin) {
    OverlayFile stations;
    stations.path = "stations.csv";
    stations.geographic = true;
    stations.depth = OverlayDepth::Depth;
    stations.layer.markers = {{"O", {37.0, 38.0, 2.0}}, {"N", {37.0, 38.1, 2.0}}};
    OverlayFile faults;
    faults.path = "faults.geojson";
    faults.geographic = true;
    faults.depth = OverlayDepth::ElevationMetres;
    faults.layer.paths = {{{{37.1, 38.0, 1500.0}}, false}};
    OverlayFile drifts;  // projected: as it stands
    drifts.layer.paths = {{{{1.0, 2.0, 3.0}}, false}};

    CatalogueReport catalogue;
    catalogue.geographic = true;
    catalogue.originLatitude = 38.0;
    catalogue.originLongitude = 37.0;
    catalogue.unit = LengthUnit::Kilometre;
    Overlays placed;
    ASSERT_TRUE(PlaceOverlays({stations, faults, drifts}, &catalogue, true, placed).ok());
    ASSERT_EQ(placed.size(), 3u);
    const OverlayPoint origin = placed[0].markers[0].at;
    EXPECT_NEAR(origin.x, 0.0, 1e-9);
    EXPECT_NEAR(origin.y, 0.0, 1e-9);
    EXPECT_EQ(origin.z, 2.0);  // depth, positive down, as the events' z
    const OverlayPoint north = placed[0].markers[1].at;
    EXPECT_NEAR(north.x, 0.0, 1e-6);
    EXPECT_NEAR(north.y, 11.1, 0.05);  // a tenth of a degree of latitude in km
    const OverlayPoint east = placed[1].paths[0].points[0];
    EXPECT_NEAR(east.x, 8.78, 0.05);  // a tenth of a degree of longitude at 38 N
    EXPECT_DOUBLE_EQ(east.z, -1.5);   // 1500 m above the surface
    EXPECT_EQ(placed[2].paths[0].points[0], OverlayPoint(1.0, 2.0, 3.0));

    // z as elevation (positive up): a depth turns negative, a height stays positive.
    ASSERT_TRUE(PlaceOverlays({stations, faults}, &catalogue, false, placed).ok());
    EXPECT_EQ(placed[0].markers[0].at.z, -2.0);
    EXPECT_DOUBLE_EQ(placed[1].paths[0].points[0].z, 1.5);

    // Events of a plain file have no origin: latitude and longitude cannot be placed.
    const Status refused = PlaceOverlays({drifts, stations}, nullptr, true, placed);
    EXPECT_EQ(refused.code(), Status::Code::InvalidInput);
    EXPECT_NE(refused.message().find("\"stations.csv\" gives latitude and longitude"),
              std::string::npos);
}

}  // namespace
}  // namespace korvane::testing
