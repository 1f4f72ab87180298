// The time boxes of a catalogue of calendar time: ISO 8601 beside seconds from the
// catalogue's time reference, what the dialog says of them, and what a plain event file
// refuses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/CalculateCommand.h"
#include "setup/OptionsRules.h"
#include "support/DialogInputs.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::CalculateOutcome;
using testing::TempDir;

// Its time reference is midnight UTC of 2023-02-06.
const char* const Catalogue =
    "time,x,y,z\n2023-02-06T01:00:00Z,1,1,1\n2023-02-06T20:00:00Z,2,2,2\n"
    "2023-02-07T13:00:00Z,3,3,3\n";

class CaptionRecorder : public testing::RecordingObserver {
  public:
    void PictureWritten(const WrittenPicture& picture) override {
        captions.push_back(picture.captionValue);
    }
    std::vector<double> captions;
};

TEST(CalendarBoxes, ADateCountsFromTheCataloguesReferenceAndNowhereElse) {
    struct Row {
        bool catalogue;
        const char* start;
        const char* end;
        std::vector<double> captions;  // the windows' ends, when the run finishes
        const char* message;           // else the start of the one box shown
    };
    const Row rows[] = {
        {true, "2023-02-06", "2023-02-08T00:00Z", {86400, 172800}, nullptr},
        {true, "2023-02-06T12:00+00:00", "172800", {108000, 172800}, nullptr},
        {true, "0", "2023-02-08", {86400, 172800}, nullptr},
        {false,
         "1990-01-01",
         "10",
         {},
         "The box \"Start:\" holds a calendar time, 1990-01-01T00:00:00Z, but the times of the "
         "event file"},
        {true,
         "0",
         "yesterday",
         {},
         "The box \"End:\" cannot be read: \"yesterday\". Type seconds from the catalogue's"},
        {false, "0", "yesterday", {}, testing::NotNumbersMessage},
        {true, "86400", "2023-02-06T06:00Z", {}, "The time range ends before it starts"},
        {true, "2023-02-08", "2023-02-07", {}, testing::OutOfRangeMessage},
    };
    for (const Row& row : rows) {
        TempDir folder;
        DialogValues values =
            testing::PassingValues(row.catalogue ? folder.write("quakes.csv", Catalogue)
                                                 : folder.write("events.dat", "1\t1\t1\t1\n"));
        values.timeStart = row.start;
        values.timeEnd = row.end;
        CaptionRecorder recorder;
        CalculationWorkspace workspace;
        const CalculateOutcome outcome =
            testing::CalculateRecorded(values, TimeResolvedMode, recorder, workspace);
        EXPECT_EQ(recorder.captions, row.captions) << row.start << " " << row.end;
        if (row.message == nullptr) {
            EXPECT_EQ(outcome, CalculateOutcome::Finished) << row.start << " " << row.end;
            continue;
        }
        EXPECT_EQ(outcome, CalculateOutcome::InvalidInput) << row.start << " " << row.end;
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text.rfind(row.message, 0), 0u) << recorder.messages[0].text;
        EXPECT_TRUE(testing::PictureNames(folder.path()).empty());
    }
}

TEST(CalendarBoxes, TheDialogShowsTheCalendarTimeOfWhatIsTyped) {
    const CalendarInstant reference{19394, 0.0};  // 2023-02-06
    EXPECT_EQ(CalendarTimeOfBoxes("86400", "2023-02-08T06:30+02:00", reference),
              "Calendar time (UTC):\nfrom 2023-02-07 00:00:00\nto 2023-02-08 04:30:00");
    EXPECT_EQ(CalendarTimeOfBoxes("-1.5", "soon", reference),
              "Calendar time (UTC):\nfrom 2023-02-05 23:59:58\nto ?");
    EXPECT_EQ(CalendarTimeOfBoxes("86400", "0", std::nullopt), "");  // a plain event file
    // The setup file keeps seconds from the reference.
    DialogValues values = testing::PassingValues("");
    values.timeStart = "2023-02-07";
    EXPECT_EQ(SetupFromDialogValues(values, reference).Timestart, 86400);
}

// A run whose ranges hold no event writes nothing and shows one warning, no success.
TEST(CalendarBoxes, NoEventInsideTheRangesWritesNothing) {
    TempDir folder;
    DialogValues values = testing::PassingValues(folder.write("quakes.csv", Catalogue));
    values.timeStart = "2023-02-09";
    values.timeEnd = "2023-02-10";
    testing::RecordingObserver recorder;
    CalculationWorkspace workspace;
    EXPECT_EQ(testing::CalculateRecorded(values, TimeResolvedMode, recorder, workspace),
              CalculateOutcome::NothingMade);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "No picture written");
    EXPECT_NE(recorder.messages[0].text.find("(2023-02-06T01:00:00.000000Z to "), std::string::npos)
        << recorder.messages[0].text;
    EXPECT_EQ(recorder.countedPhases, 0);
    EXPECT_TRUE(testing::PictureNames(folder.path()).empty());
}

}  // namespace
}  // namespace korvane
