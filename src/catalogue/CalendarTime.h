#pragma once
// Calendar time of catalogues: ISO 8601 text and split date fields, held as a day number and
// the seconds into that day, so that a microsecond survives any span a catalogue covers.

#include <optional>
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

// The years a calendar date may have: an instant outside them is no date of a catalogue and is
// written as seconds with a note instead.
constexpr long long FirstCalendarYear = 1;
constexpr long long LastCalendarYear = 9999;

// How a date that ends with its year is read: 06.02.2023 is the 6th of February by default,
// 02/06/2023 cannot be read without a choice.
enum class DateOrder {
    Automatic,  // dd.mm.yyyy day first; dd/mm/yyyy or mm/dd/yyyy not read
    DayFirst,   // dd.mm.yyyy and dd/mm/yyyy
    MonthFirst  // mm/dd/yyyy and mm.dd.yyyy
};

// "dmy", "mdy"; "" for Automatic.
const char* DateOrderName(DateOrder order);
// "dmy" or "mdy" (any case); none for another text.
std::optional<DateOrder> DateOrderNamed(std::string_view name);

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, int month, int day);

// The date of the proleptic Gregorian calendar `days` after 1970-01-01 (the inverse of
// DaysFromCivil).
void CivilFromDays(long long days, long long* year, int* month, int* day);

// The date fields given, checked: year FirstCalendarYear..LastCalendarYear, month 1..12, day
// within its month, hour 0..24, minute 0..59, second 0 up to (not including) 61. False for
// anything else.
bool InstantFromFields(long long year, int month, int day, int hour, int minute, double second,
                       CalendarInstant* out);

// Reads "2023-02-06T01:17:34.820Z" and its kinds: the date alone, a blank instead of the T,
// minutes without seconds, a fraction of any length (point or comma), and a zone "Z", "+hh",
// "+hh:mm" or "+hhmm" (a time without a zone is UTC). Surrounding blanks are allowed; anything
// else gives false, and so does an instant whose year in UTC lies outside FirstCalendarYear to
// LastCalendarYear (so that every instant read is written back as the same text).
bool ReadIsoTime(std::string_view text, CalendarInstant* out);

// Reads the dates and times catalogues write: ISO 8601 as ReadIsoTime does, or a date
// yyyy/mm/dd, dd.mm.yyyy, dd/mm/yyyy or mm/dd/yyyy (day and month of one or two digits, the
// last two as `order` says), then optionally a blank or a T and a clock time as below.
bool ReadCalendarText(std::string_view text, DateOrder order, CalendarInstant* out);

// A date (any form ReadCalendarText reads, without a time) and a clock time of a separate
// column: "hh:mm", "hh:mm:ss" or "hh:mm:ss.fff" (the hour may have one digit), with an
// optional zone as ReadIsoTime reads it.
bool ReadDateAndClock(std::string_view date, std::string_view clock, DateOrder order,
                      CalendarInstant* out);

// The forms ReadCalendarText reads, for a message: "ISO 8601 (2023-02-06T01:17:34.82Z), ...".
extern const char* const CalendarForms;

// True when the instant `seconds` after `reference` has a date within FirstCalendarYear to
// LastCalendarYear (false for a number that is not finite).
bool InCalendarRange(const CalendarInstant& reference, double seconds);

// "2023-02-06T01:17:34.820000Z": the instant `seconds` after `reference`, to the microsecond.
// An instant outside the calendar's years gives the seconds with a note instead:
// "1e+300 s (outside the years 0001 to 9999)".
std::string FormatIsoTime(const CalendarInstant& reference, double seconds);

// "2023-02-07 00:00:00 UTC", the instant to the second for a picture's caption, or "outside
// the years 0001 to 9999".
std::string FormatCalendarCaption(const CalendarInstant& reference, double seconds);

// The instant as ISO 8601 text that ReadIsoTime reads back as exactly the same instant:
// "2023-02-06T01:17:34.82Z", with as many digits of the second as that takes (none when it is
// whole). An instant outside the calendar's years (which ReadIsoTime never gives) is written
// as its day number and second with a note, which no reader takes for a date.
std::string FormatIsoInstant(const CalendarInstant& instant);

// True when FormatIsoInstant's text reads back as exactly `instant`.
bool RoundTripsAsText(const CalendarInstant& instant);

}  // namespace korvane
