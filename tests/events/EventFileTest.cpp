#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "events/EventFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using namespace std::string_literals;
using testing::TempDir;

struct Row {
    double x, y, z, t;
};

void ExpectRows(const EventTable& table, const std::vector<Row>& rows, const std::string& what) {
    ASSERT_EQ(table.count, static_cast<int>(rows.size())) << what;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EventRecord& got = table.rows[i];
        EXPECT_EQ(got.x, rows[i].x) << what << " row " << i;
        EXPECT_EQ(got.y, rows[i].y) << what << " row " << i;
        EXPECT_EQ(got.z, rows[i].z) << what << " row " << i;
        EXPECT_EQ(got.t, rows[i].t) << what << " row " << i;
    }
}

TEST(ReadEventFile, ReadsTheLinesOfTheFormat) {
    struct Case {
        const char* name;
        std::string content;
        std::vector<Row> rows;
        std::vector<double> weightSource = {};  // a fifth field's numbers, -1: none there
    };
    const Case cases[] = {
        {"decimal commas", "1,5\t2,25\t-3\t4,0\n", {{1.5, 2.25, -3, 4.0}}},
        {"a fifth field is the weight source",
         "0.1\t0.2\t0.3\t7.5\t99\t8\n",
         {{0.1, 0.2, 0.3, 7.5}},
         {99}},
        {"lines without a fifth field (or an empty one) have no number, not 0",
         "1\t2\t3\t4\n1\t2\t3\t4\t2,5\n1\t2\t3\t4\t \n",
         {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}},
         {-1, 2.5, -1}},
        {"heading line is an event at the origin",
         "x\ty\tz\tt\n1\t2\t3\t4\n",
         {{0, 0, 0, 0}, {1, 2, 3, 4}}},
        {"only five commas become points", "1,0,,\t2,0\t3,0\t4,5\n", {{1, 2, 3, 4}}},
        {"empty and one-character lines add nothing", "\n\nA\n1\t2\t3\t4\n\n;\n", {{1, 2, 3, 4}}},
        {"CR LF line ends", "1\t2\t3\t4\r\n5\t6\t7\t8\r\n", {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"last line without line feed", "1\t2\t3\t4\n5\t6\t7\t8", {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"last line ending in a lone CR", "1\t2\t3\t4\r", {{1, 2, 3, 4}}},
        {"lines of blanks are skipped", "  \n\t\t\n \t \r\n1\t2\t3\t4\n", {{1, 2, 3, 4}}},
        {"three TABs and nothing else is an event", "\t\t\t\n", {{0, 0, 0, 0}}},
        {"a blank field reads as zero, not as the next field", "  \t5\t\t7\n", {{0, 5, 0, 7}}},
        {"white space, signs and exponents", " -1e2\t +2.5E-1 \t3.\t.5\n", {{-100, 0.25, 3, 0.5}}},
        // (the text after the fourth TAB is also a fifth field)
        {"the time runs to the end of the line", "1\t2\t3\t\t9\n", {{1, 2, 3, 9}}, {9}},
        {"empty file", "", {}},
        {"CR-only line ends of old Mac files",
         "1\t2\t3\t4\r5\t6\t7\t8\r",
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"a UTF-8 byte-order mark is skipped",
         "\xEF\xBB\xBF"
         "1\t2\t3\t4\n",
         {{1, 2, 3, 4}}},
    };
    TempDir dir;
    EventTable table;
    for (const Case& c : cases) {
        const Status status = ReadEventFile(dir.write("events.dat", c.content), table);
        EXPECT_TRUE(status.ok()) << c.name << ": " << status.message();
        ExpectRows(table, c.rows, c.name);
        std::vector<double> read = table.weightSource;
        std::replace_if(
            read.begin(), read.end(), [](double w) { return std::isnan(w); }, -1.0);
        EXPECT_EQ(read, c.weightSource) << c.name;
    }
}

std::string ManyEvents(int count) {
    std::string content;
    for (int i = 0; i < count; ++i) {
        const std::string n = FormatInteger(i);
        content += n + "\t" + n + ",5\t-" + n + "\t" + n + "e-3\n";
    }
    return content;
}

// Long blocks of lines are read on several cores: the line named is still the first bad one,
// counted over blank lines and blocks.
TEST(ReadEventFile, RefusesALineWithoutFourFieldsAndNamesIt) {
    struct Case {
        std::string content;
        const char* lineText;
    };
    const Case cases[] = {
        {"1\t2\t3\t4\n\n5\t6\n", "Line 3 "},
        {"12\n", "Line 1 "},
        {"1\t2\t3\t4\r\n\r\nx\r\n1 2 3 4\r\n", "Line 4 "},
        {"1\t2\t3\t4\n1\t2\t3", "Line 2 "},
        {ManyEvents(3000) + "5\t6\n" + ManyEvents(10) + "x\n", "Line 3001 "},
        {ManyEvents(2000) + "\n" + ManyEvents(5000) + "x y\n", "Line 7002 "},
    };
    TempDir dir;
    EventTable table;
    for (const Case& c : cases) {
        const std::string path = dir.write("bad.dat", c.content);
        const Status status = ReadEventFile(path, table);
        ASSERT_FALSE(status.ok()) << c.content;
        EXPECT_EQ(status.message().rfind(c.lineText, 0), 0u) << status.message();
        EXPECT_NE(status.message().find(path), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0);
    }
    // A weight on one line of many: the rows before and after it have none, counted.
    const std::string weighted = ManyEvents(3000) + "1\t2\t3\t4\t7.5\n" + ManyEvents(10);
    MissingFifthFields missing;
    ASSERT_TRUE(ReadEventFile(dir.write("weighted.dat", weighted), table, EventMemoryBudget(),
                              nullptr, &missing)
                    .ok());
    ASSERT_EQ(table.weightSource.size(), 3011u);
    EXPECT_TRUE(std::isnan(table.weightSource[2999]));
    EXPECT_EQ(table.weightSource[3000], 7.5);
    EXPECT_TRUE(std::isnan(table.weightSource[3010]));
    EXPECT_EQ(missing.count, 3010);
    EXPECT_EQ(missing.firstLines, (std::vector<long long>{1, 2, 3, 4, 5}));
}

TEST(ReadEventFile, GrowsForLongFilesAndRefusesMoreThanTheBudget) {
    TempDir dir;
    EventTable table;
    const std::string many = ManyEvents(120000);  // beyond the rows the table starts with
    ASSERT_TRUE(ReadEventFile(dir.write("many.dat", many + "\n \n"), table).ok());
    ASSERT_EQ(table.count, 120000);
    const EventRecord& last = table.rows[119999];
    EXPECT_EQ(last.x, 119999.0);
    EXPECT_EQ(last.y, 119999.5);
    EXPECT_EQ(last.z, -119999.0);
    EXPECT_EQ(last.t, 119.999);
    // The table grows to the rows the file's size foresees, not to the next doubling
    // (200,000); lines shorter than the first ones (here after long blank lines) still fit.
    EXPECT_LT(table.rows.size(), 140000u);
    std::string padded;
    for (int i = 0; i < 50000; ++i) {
        padded += "1\t2\t3\t4\n" + std::string(60, ' ') + "\n";
    }
    ASSERT_TRUE(ReadEventFile(dir.write("padded.dat", padded + many), table).ok());
    ASSERT_EQ(table.count, 170000);
    EXPECT_EQ(table.rows[169999].x, 119999.0);

    const std::string full = dir.write("full.dat", ManyEvents(1000));
    ASSERT_TRUE(ReadEventFile(full, table, 1000).ok());
    EXPECT_EQ(table.count, 1000);
    const Status status =
        ReadEventFile(dir.write("over.dat", ManyEvents(1000) + "1\t2\t3\t4"), table, 1000);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.code(), Status::Code::InvalidInput);
    EXPECT_NE(status.message().find(dir.file("over.dat")), std::string::npos) << status.message();
    EXPECT_NE(status.message().find("more than 1000 events"), std::string::npos)
        << status.message();
    EXPECT_EQ(table.count, 0);
    // A short file after a long one gives the memory back.
    ASSERT_TRUE(ReadEventFile(full, table).ok());
    EXPECT_EQ(table.rows.size(), static_cast<std::size_t>(InitialEventRows));
}

TEST(ReadEventFile, TheBudgetFollowsTheAddressSpaceLimit) {
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    const long long unlimited = EventMemoryBudget();
    EXPECT_GT(unlimited, 1000000);  // a million events fit on any machine that runs this
    rlimit small = old;
    small.rlim_cur = 1ULL << 32;  // 4 GiB
    if (old.rlim_max != RLIM_INFINITY && old.rlim_max < small.rlim_cur) {
        GTEST_SKIP() << "the hard limit is below 4 GiB";
    }
    ASSERT_EQ(setrlimit(RLIMIT_AS, &small), 0);
    const long long limited = EventMemoryBudget();
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    EXPECT_EQ(limited, (1LL << 32) / 2 / 200);
}

TEST(ReadEventFile, ReadingAgainEmptiesTheTableFirst) {
    TempDir dir;
    EventTable table;
    const std::string three = dir.write("three.dat", "1\t1\t1\t1\n2\t2\t2\t2\n3\t3\t3\t3\n");
    const std::string one = dir.write("one.dat", "9\t9\t9\t9\n");
    ASSERT_TRUE(ReadEventFile(three, table).ok());
    ASSERT_TRUE(ReadEventFile(three, table).ok());
    EXPECT_EQ(table.count, 3);
    ASSERT_TRUE(ReadEventFile(one, table).ok());
    ExpectRows(table, {{9, 9, 9, 9}}, "second file");
}

TEST(ReadEventFile, ReportsFilesThatCannotBeReadAndLeavesTheTableEmpty) {
    TempDir dir;
    EventTable table;
    const std::string good = dir.write("good.dat", "1\t2\t3\t4\n");

    ASSERT_TRUE(ReadEventFile(good, table).ok());
    const std::string missing = dir.file("missing.dat");
    Status status = ReadEventFile(missing, table);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("\"" + missing + "\" could not be opened"), std::string::npos)
        << status.message();
    EXPECT_EQ(table.count, 0);

    ASSERT_TRUE(ReadEventFile(good, table).ok());
    status = ReadEventFile(dir.path().string(), table);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("is a folder, not an event file"), std::string::npos)
        << status.message();
    EXPECT_EQ(table.count, 0);
}

// Lines of every length, so that many of them straddle the blocks the file is read in.
TEST(ReadEventFile, LinesAcrossReadBlocksAndVeryLongLines) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> padding(0, 3000);
    std::uniform_int_distribution<int> value(-100000, 100000);
    std::string content;
    std::vector<Row> rows;
    for (int i = 0; i < 400; ++i) {
        const Row row{value(random) / 8.0, value(random) / 4.0, value(random) / 2.0,
                      value(random) / 16.0};
        rows.push_back(row);
        content += std::string(static_cast<std::size_t>(padding(random)), ' ') +
                   FormatFixed(row.x, 3) + "\t" + FormatFixed(row.y, 2) + "\t" +
                   FormatFixed(row.z, 1) + "\t" + FormatFixed(row.t, 4) + "\t" +
                   std::string(static_cast<std::size_t>(padding(random)), 'x') + "\r\n";
    }
    const std::string megabyte(1 << 20, '7');
    content += "1\t2\t3\t4" + megabyte + "\n";  // a number of a million digits
    rows.push_back({1, 2, 3, std::numeric_limits<double>::infinity()});
    content += "5\t6\t7\t8" + std::string(1 << 20, 'q') + "\n";
    rows.push_back({5, 6, 7, 8});

    TempDir dir;
    EventTable table;
    const Status status = ReadEventFile(dir.write("long.dat", content), table);
    ASSERT_TRUE(status.ok()) << status.message();
    ExpectRows(table, rows, "long lines");

    // A single megabyte line without TABs is refused, not read past.
    EXPECT_FALSE(ReadEventFile(dir.write("one-line.dat", megabyte), table).ok());
    EXPECT_EQ(table.count, 0);
}

TEST(ReadEventFile, SurvivesBinaryGarbage) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255);
    TempDir dir;
    EventTable table;
    for (int round = 0; round < 20; ++round) {
        std::string content(200000, '\0');
        for (char& c : content) {
            const int b = byte(random);
            // Plenty of TABs and line feeds, so that some lines are events.
            c = static_cast<char>(b < 40 ? '\t' : b < 60 ? '\n' : b);
        }
        const Status status = ReadEventFile(dir.write("garbage.dat", content), table);
        EXPECT_GE(table.count, 0);
        EXPECT_LE(static_cast<std::size_t>(table.count), table.rows.size());
        if (!status.ok()) {
            EXPECT_EQ(table.count, 0);
            EXPECT_FALSE(status.message().empty());
        }
    }
}

}  // namespace
}  // namespace korvane
