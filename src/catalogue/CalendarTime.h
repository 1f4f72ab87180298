#pragma once
// Calendar time of catalogues: ISO 8601 text and split date fields, held as a day number and
// the seconds into that day, so that a microsecond survives any span a catalogue covers.

#include <string>
#include <string_view>

namespace korvane {

// An instant in UTC: whole days since 1970-01-01 and the seconds into that day (0 <= second
// < 86401, a leap second included).
struct CalendarInstant {
    long long day = 0;
    double second = 0.0;

    bool operator==(const CalendarInstant&) const = default;
};

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, int month, int day);

// The date fields given, checked: month 1..12, day within its month, hour 0..24, minute
// 0..59, second 0 up to (not including) 61. False for anything else.
bool InstantFromFields(long long year, int month, int day, int hour, int minute, double second,
                       CalendarInstant* out);

// Reads "2023-02-06T01:17:34.820Z" and its kinds: the date alone, a blank instead of the T,
// minutes without seconds, a fraction of any length (point or comma), and a zone "Z", "+hh",
// "+hh:mm" or "+hhmm" (a time without a zone is UTC). Surrounding blanks are allowed; anything
// else gives false.
bool ReadIsoTime(std::string_view text, CalendarInstant* out);

// "2023-02-06T01:17:34.820000Z": the instant `seconds` after `reference`, to the microsecond.
std::string FormatIsoTime(const CalendarInstant& reference, double seconds);

// The instant as ISO 8601 text that ReadIsoTime reads back as exactly the same instant:
// "2023-02-06T01:17:34.82Z", with as many digits of the second as that takes (none when it is
// whole).
std::string FormatIsoInstant(const CalendarInstant& instant);

}  // namespace korvane
