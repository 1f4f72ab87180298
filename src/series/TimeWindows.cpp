#include "series/TimeWindows.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace korvane {

namespace {

constexpr double SecondsPerDay = 86400.0;
constexpr int MostUnitsPerWindow = 10000;
constexpr int MostOffsetMinutes = 14 * 60;

struct UnitName {
    WindowUnit unit;
    const char* name;
};

// "mo" before nothing it could be mistaken for: the names are matched whole.
constexpr UnitName UnitNames[] = {{WindowUnit::Hour, "h"},
                                  {WindowUnit::Day, "d"},
                                  {WindowUnit::Week, "w"},
                                  {WindowUnit::Month, "mo"},
                                  {WindowUnit::Year, "y"}};

struct DurationName {
    const char* name;
    double seconds;
};

constexpr DurationName DurationNames[] = {
    {"s", 1.0}, {"min", 60.0}, {"h", 3600.0}, {"d", SecondsPerDay}, {"w", 7 * SecondsPerDay}};

long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// A number of seconds: plain, or with a unit ("90", "1.5h", "30min").
std::optional<double> DurationOf(std::string_view text) {
    for (const DurationName& unit : DurationNames) {
        const std::string_view name = unit.name;
        if (text.size() > name.size() && text.substr(text.size() - name.size()) == name) {
            const std::optional<double> number =
                NumberFillingText(text.substr(0, text.size() - name.size()));
            if (number && IsDigit(text[text.size() - name.size() - 1])) {
                return *number * unit.seconds;
            }
        }
    }
    return NumberFillingText(text);
}

// A local calendar position: the day and the seconds into it, at the windows' offset.
struct LocalTime {
    long long day = 0;
    double second = 0;
};

// The counting of units since 1970-01-01 (local): the unit holding `local`, and the local
// day and second where unit `index` begins. Weeks begin on Monday.
long long UnitIndexOf(WindowUnit unit, const LocalTime& local) {
    switch (unit) {
        case WindowUnit::Hour:
            return local.day * 24 + static_cast<long long>(std::floor(local.second / 3600.0));
        case WindowUnit::Week:
            return FloorDiv(local.day + 3, 7);  // 1970-01-01 was a Thursday
        case WindowUnit::Month:
        case WindowUnit::Year: {
            long long year = 0;
            int month = 0;
            int day = 0;
            CivilFromDays(local.day, &year, &month, &day);
            return unit == WindowUnit::Year ? year : year * 12 + (month - 1);
        }
        default:
            return local.day;
    }
}

LocalTime UnitStart(WindowUnit unit, long long index) {
    switch (unit) {
        case WindowUnit::Hour:
            return {FloorDiv(index, 24),
                    static_cast<double>(index - FloorDiv(index, 24) * 24) * 3600.0};
        case WindowUnit::Week:
            return {index * 7 - 3, 0.0};
        case WindowUnit::Month: {
            const long long year = FloorDiv(index, 12);
            return {DaysFromCivil(year, static_cast<int>(index - year * 12) + 1, 1), 0.0};
        }
        case WindowUnit::Year:
            return {DaysFromCivil(index, 1, 1), 0.0};
        default:
            return {index, 0.0};
    }
}

Status TooManyWindows(const TimeWindows& windows) {
    return Status::InvalidInput("The time windows \"" + TimeWindowsText(windows) +
                                "\" cut the time range into more than " +
                                std::to_string(MostTimeWindows) +
                                " pictures: choose longer windows or a shorter time range.");
}

}  // namespace

std::string TimeWindowsText(const TimeWindows& windows) {
    if (windows.unit == WindowUnit::Steps) {
        return "";
    }
    if (windows.unit == WindowUnit::Growing) {
        const std::string start = windows.startInstant ? FormatIsoInstant(*windows.startInstant)
                                                       : FormatShortest(windows.start);
        return "log:" + start + "," + FormatShortest(windows.first) + "," +
               FormatShortest(windows.factor);
    }
    for (const UnitName& name : UnitNames) {
        if (name.unit == windows.unit) {
            return std::to_string(windows.count) + name.name;
        }
    }
    return "";
}

std::optional<TimeWindows> TimeWindowsNamed(std::string_view text, std::string* why) {
    TimeWindows windows;
    if (text.empty()) {
        return windows;
    }
    const auto refuse = [&](const std::string& reason) -> std::optional<TimeWindows> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (text.substr(0, 4) == "log:") {
        // The start may hold a comma of its own (a decimal comma): the last two commas split.
        const std::string_view rest = text.substr(4);
        const std::size_t second = rest.rfind(',');
        const std::size_t first = second == std::string_view::npos || second == 0
                                      ? std::string_view::npos
                                      : rest.rfind(',', second - 1);
        if (first == std::string_view::npos) {
            return refuse(
                "growing windows are written log:START,FIRST,FACTOR, as "
                "log:2023-02-06T01:17:34Z,1h,2");
        }
        const std::string_view start = rest.substr(0, first);
        const std::optional<double> length = DurationOf(rest.substr(first + 1, second - first - 1));
        const std::optional<double> factor = NumberFillingText(rest.substr(second + 1));
        windows.unit = WindowUnit::Growing;
        CalendarInstant instant;
        if (ReadIsoTime(start, &instant)) {
            windows.startInstant = instant;
        } else if (const std::optional<double> seconds = NumberFillingText(start);
                   seconds && std::isfinite(*seconds)) {
            windows.start = *seconds;
        } else {
            return refuse("the start of the growing windows, \"" + std::string(start) +
                          "\", is neither an ISO 8601 time nor a number of seconds");
        }
        if (!length || !(*length > 0.0) || !std::isfinite(*length)) {
            return refuse(
                "the first growing window's length must be above 0: seconds, or a "
                "number with s, min, h, d or w (\"1h\")");
        }
        if (!factor || !(*factor >= 1.0 && *factor <= 1000.0)) {
            return refuse("the growing windows' factor must lie between 1 and 1000");
        }
        windows.first = *length;
        windows.factor = *factor;
        return windows;
    }
    for (const UnitName& name : UnitNames) {
        const std::string_view unit = name.name;
        if (text.size() < unit.size() || text.substr(text.size() - unit.size()) != unit) {
            continue;
        }
        const std::string_view count = text.substr(0, text.size() - unit.size());
        if (count.empty()) {
            windows.unit = name.unit;
            return windows;
        }
        const bool digits = std::all_of(count.begin(), count.end(), IsDigit);
        const std::optional<double> number = digits ? NumberFillingText(count) : std::nullopt;
        if (number && *number >= 1 && *number <= MostUnitsPerWindow) {
            windows.unit = name.unit;
            windows.count = static_cast<int>(*number);
            return windows;
        }
        break;
    }
    return refuse("\"" + std::string(text) +
                  "\" names no windows: 1h, 6h, 1d, 1w, 1mo, 1y (a whole count up to 10000 and a "
                  "unit) or log:START,FIRST,FACTOR");
}

std::string UtcOffsetText(int minutes) {
    const int size = std::abs(minutes);
    const auto two = [](int value) {
        return std::string(1, static_cast<char>('0' + value / 10)) +
               static_cast<char>('0' + value % 10);
    };
    return std::string(minutes < 0 ? "-" : "+") + two(size / 60) + ":" + two(size % 60);
}

std::optional<int> UtcOffsetNamed(std::string_view text) {
    if (text == "0" || text == "Z" || text == "UTC") {
        return 0;
    }
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    const int sign = text[0] == '-' ? -1 : 1;
    std::string_view rest = text.substr(1);
    std::string_view hours = rest;
    std::string_view minutes;
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        hours = rest.substr(0, colon);
        minutes = rest.substr(colon + 1);
        if (minutes.size() != 2) {
            return std::nullopt;
        }
    } else if (rest.size() == 4) {
        hours = rest.substr(0, 2);
        minutes = rest.substr(2);
    }
    const auto allDigits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (hours.empty() || hours.size() > 2 || !allDigits(hours) || !allDigits(minutes)) {
        return std::nullopt;
    }
    const int h = static_cast<int>(ReadDecimal(hours));
    const int m = minutes.empty() ? 0 : static_cast<int>(ReadDecimal(minutes));
    if (m >= 60 || h * 60 + m > MostOffsetMinutes) {
        return std::nullopt;
    }
    return sign * (h * 60 + m);
}

Status TimeWindowsOver(const TimeWindows& windows, const AxisRange& time,
                       const CalendarInstant& reference, std::vector<AxisRange>& out) {
    out.clear();
    if (windows.unit == WindowUnit::Steps || !(time.min < time.max)) {
        return Status::Ok();
    }
    const auto keep = [&](double begin, double end) {
        if (end > time.min && begin < time.max) {
            out.push_back({std::max(begin, time.min), std::min(end, time.max)});
        }
    };
    if (windows.unit == WindowUnit::Growing) {
        double begin =
            windows.startInstant
                ? static_cast<double>(windows.startInstant->day - reference.day) * SecondsPerDay +
                      (windows.startInstant->second - reference.second)
                : windows.start;
        double length = windows.first;
        // Windows that end before the range are passed over, but counted: a start long before
        // the range with a factor of 1 must not loop for ever.
        for (std::size_t made = 0; begin < time.max; ++made) {
            const double end = begin + length;
            if (made >= MostTimeWindows || !(end > begin)) {
                return TooManyWindows(windows);
            }
            keep(begin, end);
            begin = end;
            length *= windows.factor;
        }
        return Status::Ok();
    }
    // Positions in the windows' own zone: the offset moves midnight, not the events.
    const double offset = windows.offsetMinutes * 60.0;
    const double fromMidnight = reference.second + time.min + offset;
    const double days = std::floor(fromMidnight / SecondsPerDay);
    const LocalTime first{reference.day + static_cast<long long>(days),
                          fromMidnight - days * SecondsPerDay};
    const long long count = std::max(1, windows.count);
    const auto secondsOf = [&](long long index) {
        const LocalTime local = UnitStart(windows.unit, index);
        return static_cast<double>(local.day - reference.day) * SecondsPerDay +
               (local.second - reference.second) - offset;
    };
    long long index = FloorDiv(UnitIndexOf(windows.unit, first), count) * count;
    for (double begin = secondsOf(index); begin < time.max; index += count) {
        if (out.size() >= MostTimeWindows) {
            return TooManyWindows(windows);
        }
        const double end = secondsOf(index + count);
        keep(begin, end);
        begin = end;
    }
    return Status::Ok();
}

const AxisRange* WindowEndingAt(const std::vector<AxisRange>& windows, double end) {
    const auto found =
        std::lower_bound(windows.begin(), windows.end(), end,
                         [](const AxisRange& w, double value) { return w.max < value; });
    return found != windows.end() && found->max == end ? &*found : nullptr;
}

std::string WindowCalendarText(const TimeWindows& windows, const CalendarInstant& reference,
                               const AxisRange& window) {
    const double offset = windows.offsetMinutes * 60.0;
    const auto local = [&](double seconds) {
        std::string text = FormatCalendarCaption(reference, seconds + offset);
        const std::string utc = " UTC";
        if (text.size() > utc.size() &&
            text.compare(text.size() - utc.size(), utc.size(), utc) == 0) {
            text.resize(text.size() - utc.size());
        }
        return text;
    };
    return local(window.min) + " to " + local(window.max) +
           (windows.offsetMinutes == 0 ? " UTC" : " UTC" + UtcOffsetText(windows.offsetMinutes));
}

}  // namespace korvane
