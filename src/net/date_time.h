// Date-times as day counts, the local clock and zone, and the internet dates of HTTP
// headers and cookies.
#pragma once

#include <string>
#include <string_view>

// Days since 30 December 1899; the fraction is the time of day.
using DateTime = double;

constexpr double MinutesPerDay = 24.0 * 60.0;
constexpr double SecondsPerDay = MinutesPerDay * 60.0;

// Years 1 to 9999; false for an impossible date.
bool TryEncodeDate(int year, int month, int day, DateTime& date);
// Hours 0-23, minutes and seconds 0-59, milliseconds 0-999; false otherwise.
bool TryEncodeTime(int hours, int minutes, int seconds, int milliseconds, DateTime& time);
// The whole days give the date and the fraction (its absolute value) the time of day,
// rounded to the millisecond.
void DecodeDate(DateTime dateTime, int& year, int& month, int& day);
void DecodeTime(DateTime dateTime, int& hours, int& minutes, int& seconds, int& milliseconds);
// 1 for Sunday to 7 for Saturday.
int DayOfWeek(DateTime dateTime);

// The system clock's date and time in the local zone.
DateTime LocalNow();
// The local zone's offset from UTC at this moment (daylight saving included) as a day
// fraction, positive east of UTC. Raises EIdFailedToRetreiveTimeZoneInfo when the zone
// cannot be read.
DateTime LocalUtcOffset();

// Reads the three HTTP date forms ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday,
// 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994") and kin. The text is consumed:
// what remains afterwards is the zone text. Two-digit years below 80 are 20xx, from 80
// to 99 19xx. Returns 0 for an empty or malformed text; never throws.
DateTime ParseInternetDate(std::string& text);
// ParseInternetDate moved from the text's zone (a numeric zone; "GMT", "UTC" and no zone
// count as UTC) into the local zone.
DateTime InternetDateToLocal(std::string text);
// "+hhmm" or "-hhmm" at the start of the trimmed text, as a day fraction; 0 otherwise.
DateTime ParseZoneOffset(std::string_view text);
// "GMT" for an offset of 0 when asGMT, else "+hhmm" or "-hhmm".
std::string FormatZoneOffset(DateTime offset, bool asGMT);
// "Mon, 5 Jan 2004 10:11:12 +0100": the date-time as given (no conversion to UTC)
// followed by the local zone's offset.
std::string FormatInternetDate(DateTime dateTime, bool asGMT = false);
