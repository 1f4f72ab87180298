#pragma once
// Calendar and growing time windows: their setting as text ("1d", "6h", "1mo",
// "log:2023-02-06T01:17:34Z,1h,2"), and the windows themselves over a time range.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CalendarTime.h"
#include "common/Ranges.h"
#include "common/Status.h"
#include "series/CalculationRequest.h"

namespace korvane {

// The most windows a series is cut into: a setting that gives more is refused.
constexpr std::size_t MostTimeWindows = 100000;

// "1d", "6h", "2w", "1mo", "1y" or "log:START,FIRST,FACTOR"; "" for equal steps. The offset
// is not part of it (UtcOffsetText).
std::string TimeWindowsText(const TimeWindows& windows);

// Reads TimeWindowsText's forms (the offset left at 0): a whole count of 1 to 10000 (1 when
// left out) and a unit h, d, w, mo or y; "log:" with the first window's start (ISO 8601, or
// seconds), its length (seconds, or a number with s, min, h, d or w) and the factor each
// next window is longer by (1 to 1000). "" gives equal steps. None, with the reason in
// `why`, for anything else.
std::optional<TimeWindows> TimeWindowsNamed(std::string_view text, std::string* why);

// "+09:00", "-03:30", "+00:00" for 0.
std::string UtcOffsetText(int minutes);
// "+09:00", "+0900", "+09", "-3:30", "0", "Z" or "UTC"; within 14 hours of UTC.
std::optional<int> UtcOffsetNamed(std::string_view text);

// The windows of `windows` over the time range `time`, in seconds after `reference` (the
// catalogue's time reference; 1970-01-01 UTC for times in plain seconds), ascending and
// touching, the first and last cut to the range. Refused (InvalidInput) when the setting
// gives more than MostTimeWindows windows; an empty list when none meets the range.
Status TimeWindowsOver(const TimeWindows& windows, const AxisRange& time,
                       const CalendarInstant& reference, std::vector<AxisRange>& out);

// The window of `windows` (ascending) that ends at `end`; null when none does.
const AxisRange* WindowEndingAt(const std::vector<AxisRange>& windows, double end);

// "2023-02-06 00:00:00 to 2023-02-07 00:00:00 UTC" (or "UTC+09:00", the times at that
// offset): a window's calendar start and end, for a caption.
std::string WindowCalendarText(const TimeWindows& windows, const CalendarInstant& reference,
                               const AxisRange& window);

}  // namespace korvane
