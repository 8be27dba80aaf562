#include "net/date_time.h"
#include "net/errors.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr int64_t MillisecondsPerDay = 86400000;
// Days from 1 January 1970 back to 30 December 1899, day 0 of a DateTime.
constexpr int64_t UnixEpochDay = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Whole days and the millisecond of the day. The whole days are the truncated value and
// the time of day is the fraction's absolute value, so a negative date-time keeps its
// time of day the way the day count defines it.
void SplitDateTime(DateTime dateTime, int64_t& days, int64_t& millisecondOfDay)
{
    days = static_cast<int64_t>(std::trunc(dateTime));
    millisecondOfDay = std::llround(std::fabs(dateTime - static_cast<double>(days)) * MillisecondsPerDay);
    if (millisecondOfDay >= MillisecondsPerDay) {
        millisecondOfDay -= MillisecondsPerDay;
        days += dateTime < 0 ? -1 : 1;
    }
}

std::tm LocalTimeNow(std::time_t now)
{
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        throw EIdFailedToRetreiveTimeZoneInfo();
    return local;
}

} // namespace

bool TryEncodeDate(int year, int month, int day, DateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) + UnixEpochDay);
    return true;
}

bool TryEncodeTime(int hours, int minutes, int seconds, int milliseconds, DateTime& time)
{
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || milliseconds < 0 ||
        milliseconds > 999)
        return false;
    const int64_t total = ((int64_t{hours} * 60 + minutes) * 60 + seconds) * 1000 + milliseconds;
    time = static_cast<double>(total) / MillisecondsPerDay;
    return true;
}

void DecodeDate(DateTime dateTime, int& year, int& month, int& day)
{
    int64_t days = 0;
    int64_t millisecondOfDay = 0;
    SplitDateTime(dateTime, days, millisecondOfDay);
    CivilFromDays(days - UnixEpochDay, year, month, day);
}

void DecodeTime(DateTime dateTime, int& hours, int& minutes, int& seconds, int& milliseconds)
{
    int64_t days = 0;
    int64_t millisecondOfDay = 0;
    SplitDateTime(dateTime, days, millisecondOfDay);
    milliseconds = static_cast<int>(millisecondOfDay % 1000);
    seconds = static_cast<int>(millisecondOfDay / 1000 % 60);
    minutes = static_cast<int>(millisecondOfDay / 60000 % 60);
    hours = static_cast<int>(millisecondOfDay / 3600000);
}

int DayOfWeek(DateTime dateTime)
{
    int64_t days = 0;
    int64_t millisecondOfDay = 0;
    SplitDateTime(dateTime, days, millisecondOfDay);
    // Day 0, 30 December 1899, was a Saturday.
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

DateTime LocalNow()
{
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    const std::tm local = LocalTimeNow(now.tv_sec);
    DateTime date = 0;
    DateTime time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(now.tv_nsec / 1000000),
                  time);
    return date + time;
}

DateTime LocalUtcOffset()
{
    const std::tm local = LocalTimeNow(std::time(nullptr));
    return static_cast<double>(local.tm_gmtoff) / SecondsPerDay;
}
