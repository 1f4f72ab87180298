// Catalogues that tried to mislead the reader, one row each: what is kept, what is skipped and
// why, or the refusal; the formats known by their content; and a frame that filters never
// move.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "catalogue/CatalogueReader.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

std::string QuakeMl(const std::string& events, const std::string& separator = "\n") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + separator +
           "<q:quakeml xmlns=\"http://quakeml.org/xmlns/bed/1.2\" "
           "xmlns:q=\"http://quakeml.org/xmlns/quakeml/1.2\"><eventParameters>" +
           separator + events + "</eventParameters></q:quakeml>" + separator;
}

std::string QuakeMlEvent(const std::string& lat, const std::string& mag) {
    return "<event><origin><time><value>2023-02-06T01:00:00Z</value></time><latitude><value>" +
           lat + "</value></latitude><longitude><value>37</value></longitude><depth><value>" +
           "5000</value></depth></origin><magnitude><mag><value>" + mag +
           "</value></mag></magnitude></event>";
}

const char* const NonLinLocBlock =
    "NLLOC \"loc/a.grid0\" \"LOCATED\" \"Location completed.\"\n"
    "HYPOCENTER  x -12.5 y 4.25 z 10.5  OT 34.82  ix -1 iy -1 iz -1\n"
    "GEOGRAPHIC  OT 2023 02 06  01 17  34.820000  Lat 37.17 Long 37.03 Depth 10.5\n"
    "END_NLLOC\n\n";

const char* const MagnitudeAndWeight =
    "time,lat,lon,depth,mag,weight\n"
    "2023-02-06T01:00:00Z,37,37,5,1.0,4.5\n"
    "2023-02-06T02:00:00Z,37,37,5,1.5,4.6\n"
    "2023-02-06T03:00:00Z,37,37,5,5.0,1\n";

const char* const RoundTheGlobe =
    "lat,lon,depth,time\n0,0,1,2020-01-01\n0,90,1,2020-01-01\n0,180,1,2020-01-01\n"
    "0,-90,1,2020-01-01\n";

struct Hostile {
    const char* what;
    const char* name;
    std::string content;
    std::function<void(CatalogueOptions&)> choose;
    int kept;          // -1: refused
    const char* says;  // a part of the refusal, or of the summary
    std::function<void(const EventTable&, const CatalogueReport&)> check;
};

TEST(HostileCatalogues, EachIsKeptSkippedOrRefusedAsItDeserves) {
    const std::string twoMegabytes(2 << 20, 'x');
    const std::vector<Hostile> cases = {
        {"longitudes 0..360 across Greenwich keep their side of the earth", "wrap.csv",
         "lat,lon,depth,time\n51.0,359.9,5,2020-01-01\n51.2,0.1,5,2020-01-01\n", nullptr, 2,
         "2 events read.",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_EQ(r.originLongitude, 0.0);
             EXPECT_EQ(r.originLatitude, 51.1);
             EXPECT_NEAR(t.rows[0].x, -7.0, 0.1);  // west of Greenwich, 7 km
             EXPECT_NEAR(t.rows[1].x, 7.0, 0.1);
         }},
        {"a catalogue round the globe cannot be one local frame", "globe.csv", RoundTheGlobe,
         nullptr, -1, "lie up to 135.0 degrees of arc from their middle", nullptr},
        {"with an origin the far side of the globe is skipped", "globe.csv", RoundTheGlobe,
         [](CatalogueOptions& o) {
             o.origin = std::array<double, 2>{0, 0};
         },
         3, "1 row skipped: more than 90 degrees from the origin (line 4)", nullptr},
        {"the magnitude filter and moment weights read the magnitude, not the weight", "mw.csv",
         MagnitudeAndWeight,
         [](CatalogueOptions& o) {
             o.magnitudeMin = 4;
             o.weights = EventWeighting::Moment;
         },
         1, "1 event read, 2 outside the magnitude or time range.",
         [](const EventTable& t, const CatalogueReport&) {
             ASSERT_EQ(t.weightSource.size(), 1u);
             EXPECT_EQ(t.weightSource[0], 5.0);
         }},
        {"value weights read the weight column", "mw.csv", MagnitudeAndWeight,
         [](CatalogueOptions& o) { o.weights = EventWeighting::Value; }, 3, "3 events read.",
         [](const EventTable& t, const CatalogueReport&) {
             EXPECT_EQ(t.weightSource, (std::vector<double>{4.5, 4.6, 1}));
         }},
        {"a column named exactly is the one taken", "units.csv",
         "x,y,depth (km),depth (m),t\n1000,0,0.5,905,0\n",
         [](CatalogueOptions& o) { o.columns = "z=depth (m)"; }, 1, "1 event read.",
         [](const EventTable& t, const CatalogueReport&) {
             EXPECT_EQ(t.rows[0].z, 0.905);  // metres made km, and x shares the depth's unit
             EXPECT_EQ(t.rows[0].x, 1.0);
         }},
        {"a column that could be two is refused naming both", "units.csv",
         "x,y,depth (km),depth (m),t\n1,0,0.5,905,0\n",
         [](CatalogueOptions& o) { o.columns = "z=Depth"; }, -1,
         "could be any of \"depth (km)\" (column 3), \"depth (m)\" (column 4)", nullptr},
        {"moment weights skip a row without a magnitude", "ae.csv",
         "x,y,z,t,mag\n0,0,0,1,-1\n0,0,0,2,\n0,0,0,3,-2.5\n",
         [](CatalogueOptions& o) { o.weights = EventWeighting::Moment; }, 2,
         "1 row skipped: no magnitude (line 3)", nullptr},
        {"a magnitude filter without a magnitude column is refused", "nomag.csv",
         "x,y,z,t\n0,0,0,1\n", [](CatalogueOptions& o) { o.magnitudeMin = 2; }, -1,
         "has no magnitude column to filter by", nullptr},
        {"a plain row without a fifth field is skipped under weights", "ae.dat",
         "1\t2\t3\t4\t-1\n1\t2\t3\t5\n1\t2\t3\t6\t\n1\t2\t3\t7\t-2\n",
         [](CatalogueOptions& o) { o.weights = EventWeighting::Moment; }, 2,
         "2 rows skipped: no fifth field (lines 2, 3)", nullptr},
        {"a plain file without weights reads as always", "ae.dat", "1\t2\t3\t4\t-1\n1\t2\t3\t5\n",
         nullptr, 2, "", nullptr},
        {"a comma in a QuakeML value shifts nothing", "c.xml",
         QuakeMl(QuakeMlEvent("37,5", "2,5") + QuakeMlEvent("37.7", "3")), nullptr, 2,
         "2 events read.",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_EQ(r.originLatitude, 37.6);
             EXPECT_EQ(t.weightSource, (std::vector<double>{2.5, 3}));
             EXPECT_EQ(t.rows[0].z, 5.0);
         }},
        {"QuakeML on one line of 2 MB is known before any line is measured", "one.xml",
         QuakeMl("<!--" + twoMegabytes + "-->" + QuakeMlEvent("37", "1"), ""), nullptr, 1,
         "1 event read.", nullptr},
        {"an empty time in the first row leaves seconds to the others", "t.csv",
         "x,y,z,t\n1,2,3,\n1,2,3,5\n", nullptr, 1, "1 row skipped: no time (line 2)", nullptr},
        {"a word for a time is quoted with the forms that are read", "t.csv",
         "x,y,z,t\n1,2,3,yesterday\n1,2,3,5\n", nullptr, 1,
         "no time (line 2); the first time not read is \"yesterday\" (times are read as "
         "seconds, ISO 8601",
         nullptr},
        {"columns by number need no header line", "n.txt", "1;2;3;4\n5;6;7;8\n",
         [](CatalogueOptions& o) { o.columns = "x=1,y=2,z=3,t=4"; }, 2, "2 events read.", nullptr},
        {"a headerless table without columns is refused with the way out", "n.csv", "1;2;3;4\n",
         [](CatalogueOptions& o) { o.separator = ';'; }, -1,
         "has no header line naming its columns: choose a format, or the columns by their "
         "numbers",
         nullptr},
        {"a table in a plain file's place points to Import Catalogue", "blanks.dat",
         "1.5 2 3 4 5 6\n", nullptr, -1,
         "does not hold the four values x, y, z and t separated by TABs. It looks like a "
         "catalogue: read it with \"Import Catalogue\"",
         nullptr},
        {"NonLinLoc whose first block was rejected", "a.hyp",
         std::string("NLLOC \"loc/a.grid0\" \"REJECTED\" \"WARNING: 0 1 2 on grid edge\"\n"
                     "END_NLLOC\n\n") +
             NonLinLocBlock,
         nullptr, 1, "1 row skipped: not located (line 1)",
         [](const EventTable&, const CatalogueReport& r) {
             EXPECT_EQ(r.preset, CataloguePreset::NonLinLoc);
         }},
        {"NonLinLoc blocks after other lines", "b.hyp",
         std::string("# relocated 2023\n\n") + NonLinLocBlock, nullptr, 1, "1 event read.",
         nullptr},
        {"NonLinLoc in a projected grid reads the HYPOCENTER", "grid.hyp",
         "NLLOC \"loc/g.grid0\" \"LOCATED\" \"Location completed.\"\n"
         "HYPOCENTER  x 5307.4 y 4424.7 z 1.25  OT 34.82  ix -1 iy -1 iz -1\n"
         "GEOGRAPHIC  OT 2023 02 06  01 17  34.820000  Lat 5307.4 Long 4424.7 Depth 1.25\n"
         "END_NLLOC\n",
         [](CatalogueOptions& o) { o.unit = LengthUnit::Metre; }, 1,
         "the GEOGRAPHIC lines hold grid coordinates (Lat 5307.4), so x, y and z are the "
         "HYPOCENTER's (km in the grid)",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_FALSE(r.geographic);
             EXPECT_EQ(t.rows[0].x, 5307400.0);
             EXPECT_EQ(t.rows[0].z, 1250.0);
         }},
        {"hypoDD's .reloc by its name and columns", "hypoDD.reloc",
         "   1  37.17000  37.03000   10.000  -120.5   33.1  -5.0  10.2  11.0  12.9 2023  2  6  "
         "1 17 34.82  7.8  100  80  50  40  0.1  0.2  3\n",
         nullptr, 1, "1 event read.",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_EQ(r.preset, CataloguePreset::HypoDD);
             EXPECT_EQ(t.rows[0].z, 10.0);
         }},
        {"GrowClust's catalogue by its columns", "out.cat",
         "2023  2  6  1 17  34.820  1001  37.17000  37.03000  10.500  7.80  1  3  5  10  8  6 "
         " 0.05 0.06  0.1  0.2  0.01  37.1  37.0  10.0\n",
         nullptr, 1, "1 event read.",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_EQ(r.preset, CataloguePreset::GrowClust);
             EXPECT_EQ(t.weightSource, (std::vector<double>{7.8}));
         }},
        {"a ZMAP table is read as one, never as x, y, z, t", "zmap.dat",
         "37.03 37.17 2023.1 2 6 7.8 10.5 1 17 34.82\n36.5 37.5 2023.1 2 6 4 5 10 0\n", nullptr, 2,
         "2 events read.",
         [](const EventTable& t, const CatalogueReport& r) {
             EXPECT_EQ(r.preset, CataloguePreset::Zmap);
             EXPECT_EQ(t.rows[0].z, 10.5);
             EXPECT_NEAR(t.rows[0].t, 4654.82, 1e-9);
             EXPECT_EQ(t.rows[1].t, 36000.0);  // nine columns: no seconds
         }},
        {"dates in their own column beside clock times", "dt.csv",
         "x,y,z,Date,Time\n1,2,3,06.02.2023,01:17:34.5\n1,2,3,2023/02/07,1:00\n", nullptr, 2,
         "2 events read.",
         [](const EventTable& t, const CatalogueReport&) {
             EXPECT_EQ(t.rows[0].t, 4654.5);
             EXPECT_EQ(t.rows[1].t, 90000.0);
         }},
        {"the time filter counts from the catalogue's reference", "days.csv",
         "x,y,z,time\n0,0,0,2020-01-01T12:00Z\n0,0,0,2020-01-02T12:00Z\n0,0,0,2020-01-03T12:00Z\n",
         [](CatalogueOptions& o) { o.timeMin = 86400; }, 2,
         "2 events read, 1 outside the magnitude or time range.",
         [](const EventTable& t, const CatalogueReport&) {
             EXPECT_EQ(t.rows[0].t, 86400 + 43200.0);  // from 2020-01-01, the first day
         }},
        {"an earlier setup's time filter counts from 1970", "days.csv",
         "x,y,z,time\n0,0,0,2020-01-01T12:00Z\n0,0,0,2020-01-02T12:00Z\n0,0,0,2020-01-03T12:00Z\n",
         [](CatalogueOptions& o) {
             o.timeMax = 18263 * 86400.0;  // 2020-01-02T00:00Z
             o.timeRangeSince1970 = true;
         },
         1, "1 event read, 2 outside the magnitude or time range.", nullptr},
    };
    TempDir dir;
    for (const Hostile& c : cases) {
        CatalogueOptions options;
        if (c.choose) {
            c.choose(options);
        }
        EventTable table;
        CatalogueReport report;
        const Status status = ReadEvents(dir.write(c.name, c.content), options, table, &report);
        if (c.kept < 0) {
            EXPECT_FALSE(status.ok()) << c.what;
            EXPECT_NE(status.message().find(c.says), std::string::npos)
                << c.what << ": " << status.message();
            EXPECT_EQ(table.count, 0) << c.what;
            continue;
        }
        ASSERT_TRUE(status.ok()) << c.what << ": " << status.message();
        EXPECT_EQ(table.count, c.kept) << c.what;
        EXPECT_NE(report.Summary().find(c.says), std::string::npos)
            << c.what << ": " << report.Summary();
        if (c.check) {
            c.check(table, report);
        }
    }
}

TEST(HostileCatalogues, FiltersNeverMoveTheEventsOfTheFrame) {
    // The origin and the time reference come from every readable row: the events that stay
    // keep their places and times whatever is left out.
    std::string text = "time,latitude,longitude,depth,mag\n";
    for (int i = 0; i < 30; ++i) {
        text += "2020-0" + std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10) + "T0" +
                std::to_string(i % 10) + ":00:00Z," + std::to_string(36.0 + 0.07 * i) + "," +
                std::to_string(37.0 + 0.05 * (i % 7)) + ",5," + std::to_string(i % 6) + "\n";
    }
    TempDir dir;
    const std::string path = dir.write("frame.csv", text);
    EventTable all;
    CatalogueReport allReport;
    ASSERT_TRUE(ReadEvents(path, {}, all, &allReport).ok());
    CatalogueOptions filtered;
    filtered.magnitudeMin = 3;
    filtered.timeMin = 40 * 86400.0;
    EventTable some;
    CatalogueReport someReport;
    ASSERT_TRUE(ReadEvents(path, filtered, some, &someReport).ok());
    ASSERT_GT(some.count, 3);
    ASSERT_LT(some.count, 15);
    EXPECT_EQ(someReport.FrameText(), allReport.FrameText());
    for (int i = 0; i < some.count; ++i) {
        bool found = false;
        for (int j = 0; j < all.count && !found; ++j) {
            const EventRecord& a = all.rows[static_cast<std::size_t>(j)];
            const EventRecord& b = some.rows[static_cast<std::size_t>(i)];
            found = a.x == b.x && a.y == b.y && a.z == b.z && a.t == b.t;
        }
        EXPECT_TRUE(found) << "event " << i << " moved";
    }
}

}  // namespace
}  // namespace korvane
