// Bad input at the event file: what ReadEventFile answers, and that a refused file leaves the
// table empty, so no calculation runs on part of a file.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "catalogue/CatalogueSupport.h"
#include "events/EventFile.h"
#include "setup/CalculateCommand.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using catalogue::EventLines;
using catalogue::PictureNames;
using testing::CalculateOutcome;
using testing::RecordingObserver;
using testing::TempDir;

struct EventFileCase {
    const char* label;
    std::string content;
    bool accepted;
    int events;               // events read when accepted
    const char* messagePart;  // part of the reason when refused
};

std::string BinaryBytes() {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) {
        bytes += static_cast<char>((i * 7919 + 13) % 256);
    }
    return bytes;
}

// A line of a million characters that still holds four fields.
std::string MegabyteEventLine() {
    return "1" + std::string(1 << 20, ' ') + "\t2\t3\t4\n5\t6\t7\t8\n";
}

class EventFileInput : public ::testing::TestWithParam<EventFileCase> {};

TEST_P(EventFileInput, IsReadWholeOrRefusedWithAReason) {
    const EventFileCase& c = GetParam();
    TempDir folder;
    const std::string path = folder.write("events.dat", c.content);
    EventTable table;
    table.count = 123;  // left from an earlier reading

    const Status status = ReadEventFile(path, table);

    if (c.accepted) {
        ASSERT_TRUE(status.ok()) << status.message();
        EXPECT_EQ(table.count, c.events);
    } else {
        ASSERT_FALSE(status.ok());
        EXPECT_NE(status.message().find(c.messagePart), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0);  // nothing of a refused file is kept
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, EventFileInput,
    ::testing::Values(
        EventFileCase{"EmptyFile", "", true, 0, ""},
        EventFileCase{"OnlyLineEnds", "\n\r\n\n", true, 0, ""},
        EventFileCase{"BinaryFile", BinaryBytes(), false, 0, "NUL bytes"},
        EventFileCase{"TwoMegabyteLine", std::string(2 << 20, '7'), false, 0,
                      "Line 1 of the event file"},
        EventFileCase{"MegabyteLineWithFields", MegabyteEventLine(), true, 2, ""},
        EventFileCase{"MegabyteLineWithoutTabs", std::string(1 << 20, '7') + "\n", false, 0,
                      "Line 1 "},
        EventFileCase{"NoTabs", "1 2 3 4\n5 6 7 8\n", false, 0, "Line 1 "},
        EventFileCase{"BadSecondLine", "1\t2\t3\t4\n1;2;3;4\n", false, 0, "Line 2 "},
        EventFileCase{"NulBytes", std::string("1\0\t2\t3\t4\n", 9), false, 0, "NUL bytes"},
        EventFileCase{"Events50000", EventLines(50000), true, 50000, ""},
        EventFileCase{"Events50001", EventLines(50001), true, 50001, ""},
        EventFileCase{"Number400Digits", std::string(400, '9') + "\t1\t1\t1\n", true, 1, ""}),
    [](const auto& info) { return std::string(info.param.label); });

// Text with NUL bytes is not plain text: it is refused, naming the encoding it looks like.
TEST(EventFileInputs, NulBytesRefuseTheFileNamingTheEncoding) {
    const struct {
        std::string content;
        const char* guess;
    } cases[] = {
        {std::string("\xFF\xFE"
                     "1\0\t\0"
                     "2\0",
                     8),
         "UTF-16 text (little-endian)"},
        {std::string("\0"
                     "1\0\t\0"
                     "2\0\t",
                     8),
         "UTF-16 text (big-endian)"},
        {std::string("\xFF\xFE\0\0"
                     "1\0\0\0",
                     8),
         "UTF-32 text (little-endian)"},
        {std::string("1\0"
                     "9\t2\t3\t4\n",
                     10),
         "binary data"},
    };
    TempDir folder;
    EventTable table;
    for (const auto& c : cases) {
        const Status status = ReadEventFile(folder.write("events.dat", c.content), table);
        EXPECT_EQ(status.code(), Status::Code::InvalidInput) << c.guess;
        EXPECT_NE(status.message().find(c.guess), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0);
    }
}

TEST(EventFileInputs, MegabyteLineKeepsItsValues) {
    TempDir folder;
    const std::string path = folder.write("events.dat", MegabyteEventLine());
    EventTable table;
    ASSERT_TRUE(ReadEventFile(path, table).ok());
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(table.rows[0].x, 1.0);
    EXPECT_EQ(table.rows[0].y, 2.0);
    EXPECT_EQ(table.rows[0].t, 4.0);
    EXPECT_EQ(table.rows[1].x, 5.0);
}

TEST(EventFileInputs, Number400DigitsReadsAsInfinity) {
    TempDir folder;
    const std::string path = folder.write("events.dat", std::string(400, '9') + "\t1\t1\t1\n");
    EventTable table;
    ASSERT_TRUE(ReadEventFile(path, table).ok());
    EXPECT_TRUE(std::isinf(table.rows[0].x));
}

TEST(EventFileInputs, PathsThatAreNoFile) {
    TempDir folder;
    const std::string blocker = folder.write("plain", "x");
    const struct {
        std::string path;
        const char* messagePart;
    } cases[] = {
        {folder.path().string(), "is a folder"},
        {folder.file("missing.dat"), "could not be opened"},
        {blocker + "/events.dat", "could not be opened"},
        {"", "could not be opened"},
    };
    for (const auto& c : cases) {
        EventTable table;
        table.count = 5;
        const Status status = ReadEventFile(c.path, table);
        ASSERT_FALSE(status.ok()) << c.path;
        EXPECT_NE(status.message().find(c.messagePart), std::string::npos) << status.message();
        EXPECT_EQ(table.count, 0);
    }
}

// Through the Calculate command: a file the reader refuses ends the command with the reason,
// and no picture is written.
TEST(EventFileInputs, RefusedFileStopsTheCalculationBeforeAnyPicture) {
    const struct {
        const char* label;
        std::string content;
    } cases[] = {
        {"no tabs", "1 2 3 4\n"},
        {"a bad line after 50001 events", EventLines(50001) + "1\t2\n"},
        {"binary", BinaryBytes()},
    };
    for (const auto& c : cases) {
        TempDir folder;
        const std::string path = folder.write("events.dat", c.content);
        RecordingObserver recorder;
        CalculationWorkspace workspace;
        EXPECT_EQ(CalculateRecorded(catalogue::PassingValues(path), SpatialResolvedMode, recorder,
                                    workspace),
                  CalculateOutcome::InvalidInput)
            << c.label;
        ASSERT_EQ(recorder.messages.size(), 1u) << c.label;
        EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
        EXPECT_TRUE(PictureNames(folder.path().string()).empty()) << c.label;
    }
}

// Events far outside every range, infinitely far included, never reach a picture, and the
// series still writes every picture.
TEST(EventFileInputs, InfiniteCoordinatesDoNotDisturbTheSeries) {
    for (const int mode : {SpatialResolvedMode, TimeResolvedMode}) {
        TempDir folder;
        const std::string path =
            folder.write("events.dat", std::string(400, '9') + "\t1\t1\t1\n-" +
                                           std::string(400, '9') + "\t2\t2\t2\n5\t5\t5\t5\n");
        DialogValues values = catalogue::PassingValues(path);
        values.fixedDensityState = 0;  // the estimate sees the infinite events too
        RecordingObserver recorder;
        CalculationWorkspace workspace;
        EXPECT_EQ(CalculateRecorded(values, mode, recorder, workspace), CalculateOutcome::Finished);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, catalogue::FinishedMessage);
        EXPECT_EQ(PictureNames(folder.path().string()).size(), 2u);
    }
}

}  // namespace
}  // namespace korvane
