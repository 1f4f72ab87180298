// "Fit to events" (and --fit-ranges): ranges the series then steps through in exactly the
// pictures asked, space with a margin, time from just before the first event.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "common/NumberText.h"
#include "setup/CalculateCommand.h"
#include "setup/FitToEvents.h"
#include "support/DialogInputs.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::CalculateOutcome;
using testing::TempDir;

// The summary of the series, besides what the recorder keeps.
class SummaryRecorder : public testing::RecordingObserver {
  public:
    void SeriesFinished(const SeriesSummary& finished) override { summary = finished; }
    SeriesSummary summary;
};

std::string EventLine(double space, double t) {
    const std::string s = FormatShortest(space);
    return s + "\t" + s + "\t" + s + "\t" + FormatShortest(t) + "\n";
}

// Each extent's ranges, fitted the plain way (the extent and 5 %, rounded outward to three
// decimals), summed up to one picture more than asked.
TEST(FitToEvents, SlicesAndWindowsComeOutExactlyAsAskedWithEveryEventInOne) {
    struct Row {
        double low, high;    // x, y and z of the two events
        double first, last;  // their times
        int pictures;
    };
    const Row rows[] = {
        {-97.366, 153.876, 739.899, 830910.071, 20},
        {-48.129, 22.178, 0, 100, 1},
        {99.129, 240.213, 900.9, 103673.062, 10},
        {67.292, 210.203, 3.25, 3.5, 7},
    };
    for (const Row& row : rows) {
        TempDir folder;
        DialogValues values = testing::PassingValues(folder.write(
            "events.dat", EventLine(row.low, row.first) + EventLine(row.high, row.last)));
        values.numberOfPictures = std::to_string(row.pictures);
        ASSERT_EQ(FitRangesToEvents(values), "") << row.low;
        // Time is not padded: the windows start and end within a second of the events.
        const double start = ReadDecimal(values.timeStart);
        const double end = ReadDecimal(values.timeEnd);
        EXPECT_TRUE(start < row.first && start >= row.first - 1) << values.timeStart;
        EXPECT_TRUE(end > row.last && end <= row.last + 2) << values.timeEnd;
        for (const int mode : {SpatialResolvedMode, TimeResolvedMode}) {
            values.direction = 0;  // the slices step along x
            SummaryRecorder recorder;
            CalculationWorkspace workspace;
            ASSERT_EQ(testing::CalculateRecorded(values, mode, recorder, workspace),
                      CalculateOutcome::Finished)
                << row.low << " mode " << mode;
            EXPECT_EQ(recorder.summary.picturesWritten, row.pictures)
                << row.low << " mode " << mode;
            EXPECT_EQ(recorder.summary.eventsOutside, 0) << row.low << " mode " << mode;
            for (const std::string& name : testing::PictureNames(folder.path())) {
                std::filesystem::remove(folder.path() / name);
            }
        }
    }
}

// Calendar time starts at the hour or the day below the first event, as its span asks.
TEST(FitToEvents, CalendarTimeStartsAtTheHourOrTheDay) {
    struct Row {
        double first, last;
        const char* start;
    };
    const Row rows[] = {
        {5 * 3600.0 + 17, 3 * 86400.0, "0"},             // days: midnight
        {5 * 3600.0 + 17, 9 * 3600.0, "18000"},          // hours: 05:00
        {86400.0, 4 * 86400.0, "0"},                     // an event at midnight: the day before
        {5 * 3600.0 + 17.5, 5 * 3600.0 + 100, "18017"},  // minutes: the second below
    };
    CatalogueReport report;
    report.calendarTime = true;
    report.timeReference = {19394, 0.0};  // 2023-02-06
    for (const Row& row : rows) {
        DialogValues values = testing::PassingValues("");
        const std::array<AxisRange, 4> extent{AxisRange{0, 1}, AxisRange{0, 1}, AxisRange{0, 1},
                                              AxisRange{row.first, row.last}};
        ASSERT_EQ(FitRangesToExtent(values, extent, report), "");
        EXPECT_EQ(values.timeStart, row.start) << row.first;
    }
}

// At 1e16 the margin is lost in the number's precision: a range of no width is refused, and
// the boxes keep what they held.
TEST(FitToEvents, ARangeWithoutWidthIsRefused) {
    DialogValues values = testing::PassingValues("");
    const std::array<AxisRange, 4> extent{AxisRange{1e16, 1e16}, AxisRange{0, 1}, AxisRange{0, 1},
                                          AxisRange{0, 1}};
    const std::string problem = FitRangesToExtent(values, extent, CatalogueReport());
    EXPECT_NE(problem.find("x values (1e+16 to 1e+16) are too large"), std::string::npos)
        << problem;
    EXPECT_EQ(values.xMin, "0");
    EXPECT_EQ(values.xMax, "10");
}

}  // namespace
}  // namespace korvane
