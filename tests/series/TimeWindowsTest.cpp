// Calendar and growing time windows: their boundaries over many ranges, the setting's text,
// and a time series of a catalogue cut into days.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "series/RunCalculation.h"
#include "series/TimeWindows.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

CalendarInstant Iso(const std::string& text) {
    CalendarInstant instant;
    EXPECT_TRUE(ReadIsoTime(text, &instant)) << text;
    return instant;
}

// "2024-02-29T00:00:00" for a window edge, to the second.
std::string Edge(const CalendarInstant& reference, double seconds) {
    return FormatIsoTime(reference, seconds).substr(0, 19);
}

TEST(TimeWindows, BeginOnTheUnitsBoundariesAndAreCutToTheRange) {
    struct Case {
        const char* setting;
        int offsetMinutes;
        const char* from;  // the time range, as calendar time
        const char* to;
        std::vector<const char*> edges;  // the first window's start, then every window's end
    };
    const Case cases[] = {
        // Months of a leap year, and December into January.
        {"1mo",
         0,
         "2024-01-15T00:00:00Z",
         "2024-04-01T00:00:00Z",
         {"2024-01-15T00:00:00", "2024-02-01T00:00:00", "2024-03-01T00:00:00",
          "2024-04-01T00:00:00"}},
        {"1mo",
         0,
         "2023-12-31T12:00:00Z",
         "2024-01-02T00:00:00Z",
         {"2023-12-31T12:00:00", "2024-01-01T00:00:00", "2024-01-02T00:00:00"}},
        {"3mo",
         0,
         "2023-05-20T00:00:00Z",
         "2023-11-01T00:00:00Z",
         {"2023-05-20T00:00:00", "2023-07-01T00:00:00", "2023-10-01T00:00:00",
          "2023-11-01T00:00:00"}},
        {"1y",
         0,
         "1999-06-01T00:00:00Z",
         "2001-03-01T00:00:00Z",
         {"1999-06-01T00:00:00", "2000-01-01T00:00:00", "2001-01-01T00:00:00",
          "2001-03-01T00:00:00"}},
        // Leap day as a day window.
        {"1d",
         0,
         "2024-02-28T06:00:00Z",
         "2024-03-01T06:00:00Z",
         {"2024-02-28T06:00:00", "2024-02-29T00:00:00", "2024-03-01T00:00:00",
          "2024-03-01T06:00:00"}},
        // Midnight at UTC+09:00 is 15:00 UTC the day before; at -03:30, 03:30 UTC.
        {"1d",
         540,
         "2023-02-06T00:00:00Z",
         "2023-02-07T00:00:00Z",
         {"2023-02-06T00:00:00", "2023-02-06T15:00:00", "2023-02-07T00:00:00"}},
        {"1d",
         -210,
         "2023-02-06T00:00:00Z",
         "2023-02-07T12:00:00Z",
         {"2023-02-06T00:00:00", "2023-02-06T03:30:00", "2023-02-07T03:30:00",
          "2023-02-07T12:00:00"}},
        // Weeks begin on Monday: 2023-02-06 was one.
        {"1w",
         0,
         "2023-02-08T00:00:00Z",
         "2023-02-21T00:00:00Z",
         {"2023-02-08T00:00:00", "2023-02-13T00:00:00", "2023-02-20T00:00:00",
          "2023-02-21T00:00:00"}},
        {"6h",
         0,
         "2023-02-06T01:17:34Z",
         "2023-02-06T13:00:00Z",
         {"2023-02-06T01:17:34", "2023-02-06T06:00:00", "2023-02-06T12:00:00",
          "2023-02-06T13:00:00"}},
        // Growing windows from the mainshock: 1 h, 2 h, 4 h, the last cut.
        {"log:2023-02-06T01:17:34Z,1h,2",
         0,
         "2023-02-06T00:00:00Z",
         "2023-02-06T06:00:00Z",
         {"2023-02-06T01:17:34", "2023-02-06T02:17:34", "2023-02-06T04:17:34",
          "2023-02-06T06:00:00"}},
        // A range that begins within a growing window cuts that one.
        {"log:2023-02-06T00:00:00Z,10min,3",
         0,
         "2023-02-06T00:20:00Z",
         "2023-02-06T02:00:00Z",
         {"2023-02-06T00:20:00", "2023-02-06T00:40:00", "2023-02-06T02:00:00"}},
    };
    // The reference need not be a midnight, nor lie inside the range.
    for (const char* referenceText : {"2023-01-01T00:00:00Z", "2023-02-06T01:17:34.82Z"}) {
        const CalendarInstant reference = Iso(referenceText);
        for (const Case& c : cases) {
            std::string why;
            std::optional<TimeWindows> setting = TimeWindowsNamed(c.setting, &why);
            ASSERT_TRUE(setting) << c.setting << ": " << why;
            setting->offsetMinutes = c.offsetMinutes;
            const AxisRange range{SecondsFrom(reference, Iso(c.from)),
                                  SecondsFrom(reference, Iso(c.to))};
            std::vector<AxisRange> windows;
            ASSERT_TRUE(TimeWindowsOver(*setting, range, reference, windows).ok()) << c.setting;
            std::vector<std::string> edges;
            for (std::size_t k = 0; k < windows.size(); ++k) {
                if (k == 0) {
                    edges.push_back(Edge(reference, windows[k].min));
                } else {
                    EXPECT_EQ(windows[k].min, windows[k - 1].max) << c.setting << " touch";
                }
                edges.push_back(Edge(reference, windows[k].max));
            }
            EXPECT_EQ(edges, std::vector<std::string>(c.edges.begin(), c.edges.end()))
                << c.setting << " " << c.from << " reference " << referenceText;
        }
    }
}

TEST(TimeWindows, SettingTextReadsBackAndBadTextSaysWhy) {
    for (const char* text : {"1h", "6h", "1d", "2w", "1mo", "1y",
                             "log:2023-02-06T01:17:34.5Z,3600,2", "log:-100,60,1.5"}) {
        std::string why;
        const std::optional<TimeWindows> read = TimeWindowsNamed(text, &why);
        ASSERT_TRUE(read) << text << ": " << why;
        EXPECT_EQ(TimeWindowsText(*read), text);
    }
    EXPECT_EQ(TimeWindowsNamed("d", nullptr)->count, 1);
    EXPECT_EQ(TimeWindowsNamed("log:0,1.5h,2", nullptr)->first, 5400.0);
    struct Bad {
        const char* text;
        const char* said;  // a part of the reason
    };
    const Bad bad[] = {{"0d", "names no windows"},
                       {"1.5d", "names no windows"},
                       {"1m", "names no windows"},
                       {"log:0,1h", "log:START,FIRST,FACTOR"},
                       {"log:x,1h,2", "neither an ISO"},
                       {"log:0,0,2", "above 0"},
                       {"log:0,1h,0.5", "between 1 and 1000"}};
    for (const Bad& b : bad) {
        std::string why;
        EXPECT_FALSE(TimeWindowsNamed(b.text, &why)) << b.text;
        EXPECT_NE(why.find(b.said), std::string::npos) << b.text << ": " << why;
    }
    for (const auto& [text, minutes] : std::vector<std::pair<const char*, int>>{
             {"+09:00", 540}, {"-0330", -210}, {"+5", 300}, {"Z", 0}, {"+14:00", 840}}) {
        EXPECT_EQ(UtcOffsetNamed(text), minutes) << text;
    }
    for (const char* text : {"+14:01", "09:00", "+9:5", "+09:60", ""}) {
        EXPECT_FALSE(UtcOffsetNamed(text)) << text;
    }
    EXPECT_EQ(UtcOffsetText(-210), "-03:30");
}

TEST(TimeWindows, TooManyOrNoneAreRefused) {
    TimeWindows hourly = *TimeWindowsNamed("1h", nullptr);
    std::vector<AxisRange> windows;
    EXPECT_EQ(TimeWindowsOver(hourly, {0, 400000.0 * 3600}, {}, windows).code(),
              Status::Code::InvalidInput);
    // A window shorter than the precision of its start never advances.
    TimeWindows stuck = *TimeWindowsNamed("log:1e20,1e-3,1", nullptr);
    EXPECT_EQ(TimeWindowsOver(stuck, {1e20, 2e20}, {}, windows).code(), Status::Code::InvalidInput);
    TimeWindows late = *TimeWindowsNamed("log:100,10,2", nullptr);
    ASSERT_TRUE(TimeWindowsOver(late, {0, 50}, {}, windows).ok());
    EXPECT_TRUE(windows.empty());
}

// A catalogue of a few days cut into days: each window holds its start, not its end, the
// captions and the index give the calendar start and end.
TEST(TimeWindows, DailySeriesOfACatalogue) {
    TempDir dir;
    const std::string path = dir.file("quakes.csv");
    {
        std::ofstream file(path);
        file << "time,latitude,longitude,depth\n"
                "2023-02-06T00:00:00Z,37.0,37.0,10\n"  // the first day's start: in it
                "2023-02-06T23:59:59Z,37.0,37.0,10\n"
                "2023-02-07T00:00:00Z,37.0,37.0,10\n"  // the second day's start
                "2023-02-08T12:00:00Z,37.0,37.0,10\n";
    }
    for (const bool cumulative : {false, true}) {
        CalculationRequest request;
        request.kind = CalculationKind::Time;
        request.eventFilePath = path;
        request.box = {{-10, 10}, {-10, 10}, {0, 20}};
        request.pictureWidth = request.pictureHeight = 20;
        request.weighting.radius = 1;
        request.cumulative = cumulative;
        request.timeStartInstant = Iso("2023-02-06T00:00:00Z");
        request.timeEndInstant = Iso("2023-02-08T06:00:00Z");
        request.output.windows = *TimeWindowsNamed("1d", nullptr);
        RecordingObserver recorder;
        CalculationWorkspace workspace;
        ASSERT_TRUE(RunCalculation(request, recorder, workspace).ok());
        std::ifstream indexFile(dir.file("time.json"));
        const nlohmann::json index = nlohmann::json::parse(indexFile);
        EXPECT_EQ(index["windows"], "1d");
        const nlohmann::json& pictures = index["pictures"];
        ASSERT_EQ(pictures.size(), 3u);
        const std::vector<int> events =
            cumulative ? std::vector<int>{2, 3, 3} : std::vector<int>{2, 1, 0};
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(pictures[k]["events"], events[k]) << k << (cumulative ? " cumulative" : "");
        }
        EXPECT_EQ(pictures[2]["calendarWindow"]["start"], "2023-02-08T00:00:00.000000Z");
        EXPECT_EQ(pictures[2]["calendarWindow"]["end"], "2023-02-08T06:00:00.000000Z");
        EXPECT_EQ(recorder.countedTotal, 3);
    }
}

}  // namespace
}  // namespace korvane::testing
