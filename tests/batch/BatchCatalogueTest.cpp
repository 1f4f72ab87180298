// korvane-batch on catalogues: the catalogue options and --fit-ranges, the line for a run
// whose ranges hold no event, the import command, and a relative event path taken from the
// setup file's folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/EventFile.h"
#include "support/BatchRun.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::BatchResult;
using testing::RunBatch;
using testing::TempDir;
namespace fs = std::filesystem;

// Far from the setup's 0..10 box: latitude and longitude around 37 N, 37 E, with a row
// without depth.
const char* const Catalogue =
    "# public-style catalogue\n"
    "time;latitude;longitude;depth/km;mag\n"
    "2023-02-06T01:17:34.820Z;37,17;37,03;10;7,8\n"
    "2023-02-06T10:24:49+03:00;38,02;37,20;7,5;7,5\n"
    "2023-02-07T00:00:00Z;37,50;36,80;;4,0\n"
    "2023-02-08T12:00:00.000001Z;37,80;36,50;12;3,0\n";

std::string SetupText(const std::string& eventFile) {
    return "[File-Path]\t" + eventFile +
           "\r\n[Direction]\t2\r\n[Amin]\t0\r\n[Amax]\t10\r\n[Bmin]\t0\r\n[Bmax]\t10\r\n"
           "[Cmin]\t0\r\n[Cmax]\t10\r\n[Timestart]\t0\r\n[Timeend]\t10\r\n[Fixedsize]\t1\r\n"
           "[Width]\t41\r\n[Height]\t41\r\n[Fixeddensity]\t0\r\n[Maxdensity]\t0\r\n"
           "[Gaussiandistance]\t0\r\n[NoOfPictures]\t2\r\n[Cumulative]\t0\r\n[Radius]\t2\r\n";
}

class BatchCatalogue : public ::testing::Test {
  protected:
    BatchCatalogue() {
        fs::create_directory(work.path() / "project");
        work.write("project/quakes.csv", Catalogue);
        work.write("project/setup.ini", SetupText("quakes.csv"));
    }
    BatchResult Run(const std::vector<std::string>& arguments) {
        return RunBatch(arguments, work.path().string());
    }
    TempDir work;
};

TEST_F(BatchCatalogue, SaysPlainlyWhenNoEventLiesInsideTheRangesAndFitsThemOnRequest) {
    // The run writes nothing and says so once, without a word of success.
    const BatchResult outside = Run({"spatial", "project/setup.ini"});
    ASSERT_EQ(outside.exitStatus, 1) << outside.err;
    EXPECT_NE(outside.err.find("korvane-batch: No event lies inside the ranges of this "
                               "calculation, so no picture was written. The events span x "),
              std::string::npos)
        << outside.err;
    EXPECT_EQ(outside.err.find("successfully"), std::string::npos) << outside.err;
    EXPECT_TRUE(testing::PictureNames(work.path() / "project").empty());
    EXPECT_NE(outside.err.find("(2023-02-06T01:17:34.820000Z to 2023-02-08T12:00:00.000001Z)"),
              std::string::npos)
        << outside.err;
    EXPECT_NE(outside.err.find("catalogue: 3 events read; 1 row skipped: no depth (line 5)."),
              std::string::npos)
        << outside.err;

    const BatchResult fitted =
        Run({"spatial", "--fit-ranges", "--magnitude", "3:7.6", "project/setup.ini"});
    ASSERT_EQ(fitted.exitStatus, 0) << fitted.err;
    EXPECT_EQ(fitted.err.find("No event inside"), std::string::npos) << fitted.err;
    EXPECT_NE(fitted.err.find("catalogue: 2 events read, 1 outside the magnitude or time range"),
              std::string::npos)
        << fitted.err;
    EXPECT_NE(fitted.err.find("2 pictures written, 2 events read, 0 outside every picture"),
              std::string::npos)
        << fitted.err;

    const BatchResult bad = Run({"spatial", "--origin", "95,1", "project/setup.ini"});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_NE(bad.err.find("--origin takes latitude and longitude"), std::string::npos);
}

// A time series of calendar time: the index gives the reference instant and each window's
// end in calendar time; the catalogue's km are the pictures' unit.
TEST_F(BatchCatalogue, TimeIndexGivesCalendarTimeAndTheCataloguesUnit) {
    // A box that holds the events, in km and in m.
    std::string setup = SetupText("quakes.csv");
    setup.replace(setup.find("[Timeend]\t10"), 12, "[Timeend]\t172800");
    for (const char* key : {"[Amin]", "[Bmin]"}) {
        setup.replace(setup.find(key), std::string(key).size() + 2, std::string(key) + "\t-50000");
    }
    for (const char* key : {"[Amax]", "[Bmax]", "[Cmax]"}) {
        setup.replace(setup.find(key), std::string(key).size() + 3, std::string(key) + "\t50000");
    }
    work.write("project/days.ini", setup);
    const BatchResult run = Run({"time", "project/days.ini"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string index = testing::ReadWholeFile(work.file("project/time.json"));
    EXPECT_NE(index.find("\"unit\": \"km\""), std::string::npos) << index;
    EXPECT_NE(index.find("\"timeReference\": \"2023-02-06T00:00:00.000000Z\""), std::string::npos)
        << index;
    EXPECT_NE(index.find("\"calendarTime\": \"2023-02-07T00:00:00.000000Z\""), std::string::npos)
        << index;
    EXPECT_NE(index.find("\"calendarTime\": \"2023-02-08T00:00:00.000000Z\""), std::string::npos)
        << index;
    // --unit m turns the catalogue into metres too, over the setup file's catalogue keys.
    work.write("project/metres.ini", setup + "[Catalogue-Origin]\t37,37\r\n");
    const BatchResult metres = Run({"time", "--unit", "m", "--fit-ranges", "project/metres.ini"});
    ASSERT_EQ(metres.exitStatus, 0) << metres.err;
    EXPECT_NE(metres.err.find("z 7275.000 to 12225.000"), std::string::npos) << metres.err;
    EXPECT_EQ(testing::ReadWholeFile(work.file("project/time.json")).find("\"unit\""),
              std::string::npos);  // m, the default
}

TEST_F(BatchCatalogue, ImportWritesAPlainFileThatReadsBackExactly) {
    const BatchResult result =
        Run({"import", "--unit", "m", "--origin=37,37", "--time-reference", "2023-02-06T00:00:00Z",
             "project/quakes.csv", "project/quakes.dat"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("frame: origin 37, 37 (x and y in m east and north of it); t in "
                              "seconds from 2023-02-06T00:00:00Z"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("the fifth column is the catalogue's magnitude column"),
              std::string::npos);
    EventTable table;
    ASSERT_TRUE(ReadEventFile((work.path() / "project/quakes.dat").string(), table).ok());
    ASSERT_EQ(table.count, 3);
    EXPECT_EQ(table.rows[0].t, 4654.82);
    EXPECT_EQ(table.rows[1].t, 7 * 3600 + 24 * 60 + 49);  // 10:24:49 at +03:00
    EXPECT_NEAR(table.rows[2].t, 2 * 86400 + 43200 + 0.000001, 1e-9);
    EXPECT_EQ(table.rows[2].z, 12000.0);
    EXPECT_EQ(table.weightSource, (std::vector<double>{7.8, 7.5, 3.0}));
    // A plain file imported again: the same bytes.
    ASSERT_EQ(Run({"import", "project/quakes.dat", "project/again.dat"}).exitStatus, 0);
    EXPECT_EQ(testing::ReadWholeFile(work.file("project/again.dat")),
              testing::ReadWholeFile(work.file("project/quakes.dat")));

    const BatchResult missing = Run({"import", "project/none.csv", "project/x.dat"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_FALSE(fs::exists(work.path() / "project/x.dat"));
}

// The same setup with its filters changed: the frame (origin and time reference) stays, and
// so do the places and times of the events that stay.
TEST_F(BatchCatalogue, FiltersChangeWhichEventsNotWhereOrWhen) {
    std::string frame;
    for (const char* filter :
         {"", "[Catalogue-Magnitude]\t7.6:\r\n", "[Catalogue-Timerange]\t:40000\r\n"}) {
        work.write("project/f.ini", SetupText("quakes.csv") + filter);
        const BatchResult run = Run({"spatial", "--fit-ranges", "project/f.ini"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::size_t at = run.err.find("catalogue frame: ");
        ASSERT_NE(at, std::string::npos) << run.err;
        const std::string line = run.err.substr(at, run.err.find('\n', at) - at);
        EXPECT_EQ(line,
                  "catalogue frame: origin 37.595, 36.85 (x and y in km east and north of it); t "
                  "in seconds from 2023-02-06T00:00:00Z")
            << filter;
    }
    ASSERT_EQ(Run({"import", "project/quakes.csv", "project/all.dat"}).exitStatus, 0);
    ASSERT_EQ(
        Run({"import", "--magnitude", "7.6", "project/quakes.csv", "project/big.dat"}).exitStatus,
        0);
    const std::string all = testing::ReadWholeFile(work.file("project/all.dat"));
    const std::string big = testing::ReadWholeFile(work.file("project/big.dat"));
    EXPECT_EQ(big, all.substr(0, all.find('\n') + 1));  // the M7.8 event, to the last digit
}

// A section whose ends are latitude and longitude lies where the catalogue's events lie:
// the line along 37.17 N passes through the first event only.
TEST_F(BatchCatalogue, SectionEndsInLatitudeAndLongitudeArePlacedInTheCataloguesFrame) {
    const BatchResult result = Run({"section", "project/setup.ini", "--lat-lon", "--from",
                                    "37.17,36.9", "--to", "37.17,37.2", "--width", "2"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string index = testing::ReadWholeFile(work.file("project/section.json"));
    EXPECT_NE(index.find("\"fromLatLon\": [\n      37.17,\n      36.9\n    ]"), std::string::npos)
        << index;
    EXPECT_NE(index.find("\"events\": 1\n"), std::string::npos) << index;
    // The same ends taken as x and y miss every event.
    const BatchResult plain = Run({"section", "project/setup.ini", "--from", "37.17,36.9", "--to",
                                   "37.17,37.2", "--width", "2"});
    EXPECT_EQ(plain.exitStatus, 1) << plain.err;
    EXPECT_NE(plain.err.find("No event lies within the width of the section"), std::string::npos)
        << plain.err;
}

}  // namespace
}  // namespace korvane
