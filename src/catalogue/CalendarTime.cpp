#include "catalogue/CalendarTime.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace korvane {
namespace {

constexpr double SecondsPerDay = 86400.0;

bool IsLeapYear(long long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(long long year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Reads exactly `count` digits at `pos`; false when they are not there.
bool ReadDigits(std::string_view text, std::size_t& pos, int count, int* value) {
    if (pos + static_cast<std::size_t>(count) > text.size()) {
        return false;
    }
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[pos + static_cast<std::size_t>(i)];
        if (!IsDigit(c)) {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    pos += static_cast<std::size_t>(count);
    *value = result;
    return true;
}

std::string TwoDigits(long long value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

// The first and last day the calendar writes as dates.
long long FirstCalendarDay() {
    return DaysFromCivil(FirstCalendarYear, 1, 1);
}
long long LastCalendarDay() {
    return DaysFromCivil(LastCalendarYear, 12, 31);
}

constexpr const char* OutsideTheCalendar = "outside the years 0001 to 9999";

// Reads one or two digits at `pos`.
bool ReadShortNumber(std::string_view text, std::size_t& pos, int* value) {
    if (pos >= text.size() || !IsDigit(text[pos])) {
        return false;
    }
    *value = text[pos++] - '0';
    if (pos < text.size() && IsDigit(text[pos])) {
        *value = *value * 10 + (text[pos++] - '0');
    }
    return true;
}

// The date at the start of `text` in any of ReadCalendarText's forms but ISO 8601; `pos` is
// left after it.
bool ReadDate(std::string_view text, DateOrder order, std::size_t& pos, int* year, int* month,
              int* day) {
    pos = 0;
    int first = 0;
    if (ReadDigits(text, pos, 4, &first)) {
        // yyyy/mm/dd
        *year = first;
        return pos < text.size() && text[pos++] == '/' && ReadShortNumber(text, pos, month) &&
               pos < text.size() && text[pos++] == '/' && ReadShortNumber(text, pos, day);
    }
    pos = 0;
    int second = 0;
    if (!ReadShortNumber(text, pos, &first) || pos >= text.size()) {
        return false;
    }
    const char separator = text[pos++];
    if ((separator != '.' && separator != '/') || !ReadShortNumber(text, pos, &second) ||
        pos >= text.size() || text[pos++] != separator || !ReadDigits(text, pos, 4, year)) {
        return false;
    }
    // Dots are the day-first habit; slashes need the order said.
    const bool dayFirst =
        order == DateOrder::DayFirst || (order == DateOrder::Automatic && separator == '.');
    if (order == DateOrder::Automatic && separator == '/') {
        return false;
    }
    *day = dayFirst ? first : second;
    *month = dayFirst ? second : first;
    return true;
}

// "yyyy-mm-dd" of the date fields (which ReadIsoTime checks).
std::string IsoDate(int year, int month, int day) {
    std::string text = std::to_string(year);
    text.insert(0, 4 - std::min<std::size_t>(4, text.size()), '0');
    return text + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

// A clock time with a one-digit hour gets its leading zero, for ReadIsoTime.
std::string PaddedClock(std::string_view clock) {
    while (!clock.empty() && (clock.front() == ' ' || clock.front() == '\t')) {
        clock.remove_prefix(1);
    }
    std::string text(clock);
    if (text.size() >= 2 && IsDigit(text[0]) && text[1] == ':') {
        text.insert(0, 1, '0');
    }
    return text;
}

std::string_view TrimmedText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// The day and the whole microseconds into it of the instant `seconds` after `reference`;
// false when it is no number or its date lies outside the calendar's years (checked before
// any conversion to an integer, so that every double is safe).
bool SplitInstant(const CalendarInstant& reference, double seconds, long long* day,
                  long long* micros) {
    const double fromMidnight = reference.second + seconds;
    if (!std::isfinite(fromMidnight)) {
        return false;
    }
    const double days = std::floor(fromMidnight / SecondsPerDay);
    const double dayNumber = static_cast<double>(reference.day) + days;
    if (!(dayNumber >= static_cast<double>(FirstCalendarDay()) &&
          dayNumber <= static_cast<double>(LastCalendarDay()))) {
        return false;
    }
    *day = static_cast<long long>(dayNumber);
    *micros = std::llround((fromMidnight - days * SecondsPerDay) * 1e6);
    if (*micros >= 86400000000LL) {
        *micros -= 86400000000LL;
        *day += 1;
    }
    return *day <= LastCalendarDay();
}

}  // namespace

const char* const CalendarForms =
    "seconds, ISO 8601 (2023-02-06T01:17:34.82Z), 2023/02/06 01:17:34, 06.02.2023 01:17:34, "
    "02/06/2023 with a date order chosen, a Date and a Time column, or year, month, day, hour, "
    "minute and second columns";

const char* DateOrderName(DateOrder order) {
    switch (order) {
        case DateOrder::DayFirst:
            return "dmy";
        case DateOrder::MonthFirst:
            return "mdy";
        case DateOrder::Automatic:
            break;
    }
    return "";
}

std::optional<DateOrder> DateOrderNamed(std::string_view name) {
    std::string lower;
    for (const char c : name) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "dmy") {
        return DateOrder::DayFirst;
    }
    if (lower == "mdy") {
        return DateOrder::MonthFirst;
    }
    return std::nullopt;
}

long long DaysFromCivil(long long year, int month, int day) {
    // The year starts in March, so that the leap day ends it.
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, long long* year, int* month, int* day) {
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

bool InstantFromFields(long long year, int month, int day, int hour, int minute, double second,
                       CalendarInstant* out) {
    if (year < FirstCalendarYear || year > LastCalendarYear || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 24 || minute < 0 || minute > 59 ||
        !(second >= 0.0 && second < 61.0) || (hour == 24 && (minute != 0 || second != 0.0))) {
        return false;
    }
    out->day = DaysFromCivil(year, month, day);
    out->second = hour * 3600.0 + minute * 60.0 + second;
    if (out->second >= SecondsPerDay && hour == 24) {
        out->day += 1;
        out->second -= SecondsPerDay;
    }
    return true;
}

bool ReadIsoTime(std::string_view text, CalendarInstant* out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    std::size_t pos = 0;
    int sign = 1;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        sign = text[0] == '-' ? -1 : 1;
        ++pos;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadDigits(text, pos, 4, &year) || pos >= text.size() || text[pos++] != '-' ||
        !ReadDigits(text, pos, 2, &month) || pos >= text.size() || text[pos++] != '-' ||
        !ReadDigits(text, pos, 2, &day)) {
        return false;
    }
    int hour = 0;
    int minute = 0;
    int whole = 0;
    std::string fraction;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == 't' || text[pos] == ' ')) {
        ++pos;
        if (!ReadDigits(text, pos, 2, &hour) || pos >= text.size() || text[pos++] != ':' ||
            !ReadDigits(text, pos, 2, &minute)) {
            return false;
        }
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!ReadDigits(text, pos, 2, &whole)) {
                return false;
            }
            if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
                ++pos;
                while (pos < text.size() && IsDigit(text[pos])) {
                    fraction += text[pos++];
                }
                if (fraction.empty()) {
                    return false;
                }
            }
        }
    }
    int offset = 0;
    if (pos < text.size()) {
        const char zone = text[pos++];
        if (zone == 'Z' || zone == 'z') {
            // UTC
        } else if (zone == '+' || zone == '-') {
            int zoneHours = 0;
            int zoneMinutes = 0;
            if (!ReadDigits(text, pos, 2, &zoneHours)) {
                return false;
            }
            if (pos < text.size() && text[pos] == ':') {
                ++pos;
            }
            if (pos < text.size() && !ReadDigits(text, pos, 2, &zoneMinutes)) {
                return false;
            }
            if (zoneHours > 23 || zoneMinutes > 59) {
                return false;
            }
            offset = (zone == '-' ? -1 : 1) * (zoneHours * 3600 + zoneMinutes * 60);
        } else {
            return false;
        }
    }
    if (pos != text.size() || !InstantFromFields(sign * static_cast<long long>(year), month, day,
                                                 hour, minute, whole, out)) {
        return false;
    }
    // Whole seconds are counted in integers, the zone taken off (a local time east of
    // Greenwich is that much later than the same reading in UTC), and the fraction joined to
    // them as text: the second of the day is the double nearest the written value.
    long long seconds = static_cast<long long>(out->second) - offset;
    const long long dayLength = 86400 + (whole >= 60 ? 1 : 0);
    while (seconds < 0) {
        seconds += 86400;
        out->day -= 1;
    }
    while (seconds >= dayLength) {
        seconds -= 86400;
        out->day += 1;
    }
    out->second = ReadDecimal(std::to_string(seconds) + "." + (fraction.empty() ? "0" : fraction));
    // A zone may carry the instant over either end of the calendar.
    return out->day >= FirstCalendarDay() && out->day <= LastCalendarDay();
}

bool ReadCalendarText(std::string_view text, DateOrder order, CalendarInstant* out) {
    text = TrimmedText(text);
    if (ReadIsoTime(text, out)) {
        return true;
    }
    std::size_t pos = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadDate(text, order, pos, &year, &month, &day)) {
        return false;
    }
    if (pos == text.size()) {
        return ReadIsoTime(IsoDate(year, month, day), out);
    }
    if (text[pos] != ' ' && text[pos] != 'T' && text[pos] != '\t') {
        return false;
    }
    return ReadIsoTime(IsoDate(year, month, day) + "T" + PaddedClock(text.substr(pos + 1)), out);
}

bool ReadDateAndClock(std::string_view date, std::string_view clock, DateOrder order,
                      CalendarInstant* out) {
    date = TrimmedText(date);
    clock = TrimmedText(clock);
    CalendarInstant day;
    // The date alone, whatever its form, gives its day; ReadIsoTime then reads both as one.
    if (clock.empty() || !ReadCalendarText(date, order, &day) || day.second != 0.0) {
        return false;
    }
    const std::string midnight = FormatIsoTime(day, 0.0);
    return ReadIsoTime(midnight.substr(0, 10) + "T" + PaddedClock(clock), out);
}

bool InCalendarRange(const CalendarInstant& reference, double seconds) {
    long long day = 0;
    long long micros = 0;
    return SplitInstant(reference, seconds, &day, &micros);
}

std::string FormatIsoTime(const CalendarInstant& reference, double seconds) {
    long long day = 0;
    long long micros = 0;
    if (!SplitInstant(reference, seconds, &day, &micros)) {
        return FormatShortest(seconds) + " s (" + OutsideTheCalendar + ")";
    }
    long long year = 0;
    int month = 0;
    int dayOfMonth = 0;
    CivilFromDays(day, &year, &month, &dayOfMonth);
    const long long secondOfDay = micros / 1000000;
    std::string fraction = std::to_string(micros % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    // SplitInstant keeps the year within 1 to 9999.
    std::string yearText = std::to_string(year);
    yearText.insert(0, 4 - std::min<std::size_t>(4, yearText.size()), '0');
    return yearText + "-" + TwoDigits(month) + "-" + TwoDigits(dayOfMonth) + "T" +
           TwoDigits(secondOfDay / 3600) + ":" + TwoDigits(secondOfDay / 60 % 60) + ":" +
           TwoDigits(secondOfDay % 60) + "." + fraction + "Z";
}

std::string FormatCalendarCaption(const CalendarInstant& reference, double seconds) {
    if (!InCalendarRange(reference, seconds)) {
        return OutsideTheCalendar;
    }
    // The ISO text to the second, easier to read.
    std::string text = FormatIsoTime(reference, seconds).substr(0, 19);
    text[10] = ' ';
    return text + " UTC";
}

bool RoundTripsAsText(const CalendarInstant& instant) {
    CalendarInstant back;
    return ReadIsoTime(FormatIsoInstant(instant), &back) && back == instant;
}

std::string FormatIsoInstant(const CalendarInstant& instant) {
    if (instant.day < FirstCalendarDay() || instant.day > LastCalendarDay() ||
        !(instant.second >= 0.0 && instant.second < 86401.0)) {
        return "day " + std::to_string(instant.day) + " second " + FormatShortest(instant.second) +
               " (" + OutsideTheCalendar + ")";
    }
    const std::string midnight = FormatIsoTime({instant.day, 0.0}, 0.0);
    const std::string date = midnight.substr(0, midnight.find('T'));
    const double second = instant.second;
    // ReadIsoTime joins the whole seconds and the fraction as text, so the fewest decimals
    // that read back as the same second of the day are written.
    std::string digits = FormatFixed(second, 0);
    for (int decimals = 0; decimals <= 20; ++decimals) {
        const std::string text = FormatFixed(second, decimals);
        if (ReadDecimal(text) == second) {
            digits = text;
            break;
        }
    }
    const std::size_t point = digits.find('.');
    const long long whole = static_cast<long long>(ReadDecimal(digits.substr(0, point)));
    // A leap second is the 61st second of the day's last minute.
    const long long hour = whole >= 86400 ? 23 : whole / 3600;
    const long long minute = whole >= 86400 ? 59 : whole / 60 % 60;
    const long long secondOfMinute = whole - hour * 3600 - minute * 60;
    return date + "T" + TwoDigits(hour) + ":" + TwoDigits(minute) + ":" +
           TwoDigits(secondOfMinute) + (point == std::string::npos ? "" : digits.substr(point)) +
           "Z";
}

}  // namespace korvane
