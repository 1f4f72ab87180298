#include "catalogue/CalendarTime.h"

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

}  // namespace

long long DaysFromCivil(long long year, int month, int day) {
    // The year starts in March, so that the leap day ends it.
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool InstantFromFields(long long year, int month, int day, int hour, int minute, double second,
                       CalendarInstant* out) {
    if (year < -100000 || year > 100000 || month < 1 || month > 12 || day < 1 ||
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
    return true;
}

std::string FormatIsoTime(const CalendarInstant& reference, double seconds) {
    // Whole microseconds from the reference's midnight, counted in integers from there on.
    const double fromMidnight = reference.second + seconds;
    const double days = std::floor(fromMidnight / SecondsPerDay);
    long long day = reference.day + static_cast<long long>(days);
    long long micros = std::llround((fromMidnight - days * SecondsPerDay) * 1e6);
    if (micros >= 86400000000LL) {
        micros -= 86400000000LL;
        day += 1;
    }
    // The civil date of `day` (the inverse of DaysFromCivil).
    const long long z = day + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const long long dayOfMonth = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    const long long secondOfDay = micros / 1000000;
    std::string fraction = std::to_string(micros % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    std::string yearText = std::to_string(year < 0 ? -year : year);
    yearText.insert(0, yearText.size() < 4 ? 4 - yearText.size() : 0, '0');
    return (year < 0 ? "-" : "") + yearText + "-" + TwoDigits(month) + "-" + TwoDigits(dayOfMonth) +
           "T" + TwoDigits(secondOfDay / 3600) + ":" + TwoDigits(secondOfDay / 60 % 60) + ":" +
           TwoDigits(secondOfDay % 60) + "." + fraction + "Z";
}

std::string FormatIsoInstant(const CalendarInstant& instant) {
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
