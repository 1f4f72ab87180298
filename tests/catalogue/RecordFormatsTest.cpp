// QuakeML and NonLinLoc files become the same events as the text catalogues: the preferred
// origin and magnitude, depth in metres or km, located blocks only, and refusals by name.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/CatalogueReader.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::TempDir;

// 2023-02-06T00:00:00Z in days since 1970.
constexpr double Day2023Feb06 = 19394 * 86400.0;

std::string QuakeMlEvent(const std::string& body) {
    return "  <event publicID=\"smi:e\">\n" + body + "  </event>\n";
}

std::string QuakeMl(const std::string& events) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<q:quakeml xmlns=\"http://quakeml.org/xmlns/bed/1.2\" "
           "xmlns:q=\"http://quakeml.org/xmlns/quakeml/1.2\">\n<eventParameters>\n" +
           events + "</eventParameters>\n</q:quakeml>\n";
}

std::string Origin(const std::string& id, const std::string& time, const std::string& depth) {
    return "<origin publicID=\"" + id + "\"><time><value>" + time +
           "</value></time><latitude><value>37.17</value></latitude><longitude><value> 37.03 "
           "</value></longitude><depth><value>" +
           depth + "</value><uncertainty>500</uncertainty></depth></origin>\n";
}

TEST(ReadRecordFormats, QuakeMlTakesThePreferredOriginAndMagnitude) {
    const std::string file = QuakeMl(
        // The preferred origin comes second and is named after the origins.
        QuakeMlEvent(Origin("o1", "2023-02-06T05:00:00Z", "1000") +
                     Origin("o2", "2023-02-06T04:17:34.820+03:00", "12500") +
                     "<magnitude publicID=\"m1\"><mag><value>7.5</value></mag></magnitude>\n"
                     "<magnitude publicID=\"m2\"><mag><value>7.8</value></mag></magnitude>\n"
                     "<preferredOriginID>o2</preferredOriginID>\n"
                     "<preferredMagnitudeID>m2</preferredMagnitudeID>\n") +
        // No preference: the first of each.
        QuakeMlEvent(Origin("o3", "2023-02-06T10:24:48Z", "<![CDATA[7000]]>") +
                     "<magnitude publicID=\"m3\"><mag><value>7.5</value></mag></magnitude>\n") +
        // No depth: skipped and counted at the line of its event.
        QuakeMlEvent("<origin publicID=\"o4\"><time><value>2023-02-06T11:00:00Z</value></time>"
                     "<latitude><value>37</value></latitude><longitude><value>37</value>"
                     "</longitude></origin>\n"));
    TempDir dir;
    EventTable table;
    CatalogueReport report;
    const Status status = ReadEvents(dir.write("events.xml", file), {}, table, &report);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(report.timeReference.day * 86400.0, Day2023Feb06);
    EXPECT_NEAR(table.rows[0].t, 4654.82, 1e-9);  // 04:17:34.820+03:00 is 01:17:34.820Z
    EXPECT_EQ(table.rows[0].z, 12.5);             // metres in the file, km in the table
    EXPECT_EQ(table.rows[1].z, 7.0);
    EXPECT_EQ(table.rows[1].t, 37488.0);
    ASSERT_EQ(table.weightSource.size(), 2u);
    EXPECT_EQ(table.weightSource[0], 7.8);
    EXPECT_EQ(table.weightSource[1], 7.5);
    EXPECT_EQ(report.SkippedText(), "1 row skipped: no depth (line 16)");
}

// A stop asked for at the first look ends the reading of a long QuakeML file at once; line
// numbers past 65535 are counted as they are.
TEST(ReadRecordFormats, QuakeMlStopsWhenAskedAndCountsEveryLine) {
    class StopAtOnce : public RunObserver {
      public:
        void PhaseStarted(RunPhase, long long) override {}
        void Progress(long long) override {}
        bool ShouldStop() override { return true; }
    };
    std::string events;
    for (int i = 0; i < 2000; ++i) {
        events += QuakeMlEvent(Origin("o", "2023-02-06T05:00:00Z", "1000"));
    }
    TempDir dir;
    const std::string path = dir.write("long.xml", QuakeMl(events));
    EventTable table;
    StopAtOnce stop;
    EXPECT_EQ(ReadCatalogue(path, {}, table, nullptr, EventMemoryBudget(), &stop).code(),
              Status::Code::Cancelled);
    EXPECT_EQ(table.count, 0);

    const std::string noDepth = QuakeMlEvent(
        "<origin publicID=\"o\"><time><value>2023-02-06T11:00:00Z</value></time>"
        "<latitude><value>37</value></latitude><longitude><value>37</value>"
        "</longitude></origin>\n");
    CatalogueReport report;
    ASSERT_TRUE(
        ReadEvents(dir.write("lines.xml", QuakeMl(std::string(70000, '\n') + events + noDepth)), {},
                   table, &report)
            .ok());
    EXPECT_EQ(report.SkippedText(),
              "1 row skipped: no depth (line " + std::to_string(70004 + 2000 * 3) + ")");
}

TEST(ReadRecordFormats, NonLinLocReadsLocatedBlocks) {
    const std::string block =
        "NLLOC \"loc/turkey.20230206.011734.grid0\" \"LOCATED\" \"Location completed.\"\n"
        "SIGNATURE \"   NLLoc:v7.00.16\"\n"
        "HYPOCENTER  x -12.5 y 4.25 z 10.5  OT 34.82  ix -1 iy -1 iz -1\n"
        "GEOGRAPHIC  OT 2023 02 06  01 17  34.820000  Lat 37.170000 Long 37.030000 Depth 10.5\n"
        "QUALITY  Pmax 1.0e+00 MFmin 10.0 MFmax 11.0 RMS 0.2 Nphs 40 Gap 50 Dist 10 Mamp -9.9\n"
        "END_NLLOC\n\n";
    const std::string rejected =
        "NLLOC \"loc/x.grid0\" \"REJECTED\" \"too few readings\"\nEND_NLLOC\n\n";
    TempDir dir;
    const std::string path = dir.write("turkey.hyp", block + rejected + block);
    EventTable table;
    CatalogueReport report;
    Status status = ReadEvents(path, {}, table, &report);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(table.count, 2);
    EXPECT_TRUE(report.geographic);
    EXPECT_EQ(table.rows[0].z, 10.5);
    EXPECT_NEAR(table.rows[0].t, 4654.82, 1e-9);
    EXPECT_EQ(report.SkippedText(), "1 row skipped: not located (line 8)");

    // The location grid's own coordinates, chosen by hand.
    CatalogueOptions grid;
    grid.columns = "x=gridx,y=gridy,z=gridz";
    status = ReadEvents(path, grid, table, &report);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_FALSE(report.geographic);
    EXPECT_EQ(table.rows[1].x, -12.5);
    EXPECT_EQ(table.rows[1].y, 4.25);
}

TEST(ReadRecordFormats, BrokenFilesAreRefusedByName) {
    TempDir dir;
    struct Case {
        std::string name, content, message;
    };
    const Case cases[] = {
        {"cut.xml", QuakeMl(QuakeMlEvent(Origin("o", "2023-02-06T00:00:00Z", "1"))).substr(0, 200),
         "is not well-formed XML"},
        {"empty.xml", QuakeMl(""), "holds no event that can be read"},
        {"rejected.hyp", "NLLOC \"a\" \"ABORTED\" \"\"\nEND_NLLOC\n",
         "holds no event that can be read: 1 row skipped: not located (line 1)."},
    };
    for (const Case& c : cases) {
        EventTable table;
        const std::string path = dir.write(c.name, c.content);
        const Status status = ReadEvents(path, {}, table, nullptr);
        EXPECT_FALSE(status.ok()) << c.name;
        EXPECT_NE(status.message().find("\"" + path + "\""), std::string::npos) << status.message();
        EXPECT_NE(status.message().find(c.message), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0);
    }
}

}  // namespace
}  // namespace korvane
