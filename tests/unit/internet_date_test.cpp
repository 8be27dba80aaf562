#include "net/date_time.h"
#include "net/errors.h"
#include "support/core/scoped_time_zone.h"
#include "support/net/date_times.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

namespace {

// --- Day-count date-times ------------------------------------------------------------------

TEST(DateTime, DayZeroIsTheThirtiethOfDecember1899)
{
    EXPECT_DOUBLE_EQ(At(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(At(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(At(1970, 1, 1), 25569);
    EXPECT_DOUBLE_EQ(At(2004, 1, 5, 12), 37991.5);
}

TEST(DateTime, EncodeRefusesImpossibleDatesAndTimes)
{
    DateTime value = 0;
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(2004, 4, 31, value));
    EXPECT_FALSE(TryEncodeDate(2004, 13, 1, value));
    EXPECT_FALSE(TryEncodeDate(2004, 1, 0, value));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
    EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, value));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, value));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, value));
}

TEST(DateTime, DecodeGivesBackTheParts)
{
    const DateTime value = At(2004, 1, 5, 10, 11, 12);
    int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hours, minutes, seconds, milliseconds);
    EXPECT_EQ(year, 2004);
    EXPECT_EQ(month, 1);
    EXPECT_EQ(day, 5);
    EXPECT_EQ(hours, 10);
    EXPECT_EQ(minutes, 11);
    EXPECT_EQ(seconds, 12);
    EXPECT_EQ(milliseconds, 0);

    // A value a hair below midnight rounds to the next day, not to 24:00:00.
    DecodeDate(At(2003, 12, 31) + 1 - 1e-10, year, month, day);
    DecodeTime(At(2003, 12, 31) + 1 - 1e-10, hours, minutes, seconds, milliseconds);
    EXPECT_EQ(year, 2004);
    EXPECT_EQ(day, 1);
    EXPECT_EQ(hours, 0);
}

TEST(DateTime, DayOfWeekStartsOnSunday)
{
    EXPECT_EQ(DayOfWeek(At(1899, 12, 30)), 7); // Saturday
    EXPECT_EQ(DayOfWeek(At(1994, 11, 6, 8)), 1);
    EXPECT_EQ(DayOfWeek(At(2004, 1, 5, 23, 59)), 2);
    EXPECT_EQ(DayOfWeek(At(1800, 1, 1)), 4); // a Wednesday, before day 0
}

TEST(DateTime, LocalNowFollowsTheSystemClockInTheLocalZone)
{
    const ScopedTimeZone zone("XXX-1");
    const double before = static_cast<double>(std::time(nullptr)) / SecondsPerDay + 25569 + OneHour;
    const DateTime now = LocalNow();
    const double after = static_cast<double>(std::time(nullptr) + 1) / SecondsPerDay + 25569 + OneHour;
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
}

TEST(DateTime, LocalUtcOffsetIsPositiveEastOfUtc)
{
    {
        const ScopedTimeZone zone("XXX-1");
        EXPECT_NEAR(LocalUtcOffset(), OneHour, 1e-12);
    }
    {
        const ScopedTimeZone zone("XXX+5:30");
        EXPECT_NEAR(LocalUtcOffset(), -5.5 * OneHour, 1e-12);
    }
    {
        const ScopedTimeZone zone("UTC0");
        EXPECT_EQ(LocalUtcOffset(), 0);
    }
}

// --- Parsing internet dates -----------------------------------------------------------------

struct DateCase {
    const char* Name;
    std::string Text;
    DateTime Expected;
    std::string ZoneLeft;
};

class ParseInternetDateTable : public testing::TestWithParam<DateCase> {};

TEST_P(ParseInternetDateTable, Reads)
{
    std::string text = GetParam().Text;
    EXPECT_NEAR(ParseInternetDate(text), GetParam().Expected, OneSecond / 10);
    if (GetParam().Expected != 0) { // what a failed parse leaves is of no use to anyone
        EXPECT_EQ(text, GetParam().ZoneLeft);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseInternetDateTable,
    testing::Values(
        DateCase{"Rfc1123", "Sun, 06 Nov 1994 08:49:37 GMT", At(1994, 11, 6, 8, 49, 37), "GMT"},
        DateCase{"Rfc850", "Sunday, 06-Nov-94 08:49:37 GMT", At(1994, 11, 6, 8, 49, 37), "GMT"},
        DateCase{"Asctime", "Sun Nov  6 08:49:37 1994", At(1994, 11, 6, 8, 49, 37), ""},
        DateCase{"SurroundingBlanks", "  Sun, 06 Nov 1994 08:49:37 GMT \r\n", At(1994, 11, 6, 8, 49, 37), "GMT"},
        DateCase{"LetterCaseIgnored", "sUN, 06 nOV 1994 08:49:37 gmt", At(1994, 11, 6, 8, 49, 37), "gmt"},
        DateCase{"NoWeekday", "06 Nov 1994 08:49:37 +0100", At(1994, 11, 6, 8, 49, 37), "+0100"},
        DateCase{"CookieExpiry", "Thu, 01-Jan-1970 00:00:00 GMT", At(1970, 1, 1), "GMT"},
        DateCase{"NumericZoneOfOwnFormat", "Mon, 5 Jan 2004 10:11:12 +0100", At(2004, 1, 5, 10, 11, 12), "+0100"},
        DateCase{"NoTime", "Sun, 06 Nov 1994", At(1994, 11, 6), ""},
        DateCase{"TwoDigitYear79", "Fri, 01 Jan 79 00:00:00 GMT", At(2079, 1, 1), "GMT"},
        DateCase{"TwoDigitYear80", "Tue, 01 Jan 80 00:00:00 GMT", At(1980, 1, 1), "GMT"},
        DateCase{"TwoDigitYear99", "Fri, 01-Jan-99 12:00:00 GMT", At(1999, 1, 1, 12), "GMT"},
        DateCase{"TwoDigitYear00", "Sat, 01-Jan-00 12:00:00 GMT", At(2000, 1, 1, 12), "GMT"},
        DateCase{"DayNotANumberIsFirst", "Sun, xx Nov 1994 08:49:37 GMT", At(1994, 11, 1, 8, 49, 37), "GMT"},
        DateCase{"PartsOfTimeMissing", "06 Nov 1994 08: GMT", At(1994, 11, 6, 8), "GMT"},
        // 1900 is a year like any other, not the sign of the asctime form.
        DateCase{"Year1900", "Tue, 06 Nov 1900 08:49:37 GMT", At(1900, 11, 6, 8, 49, 37), "GMT"},
        DateCase{"AsctimeIn1900", "Tue Nov  6 08:49:37 1900", At(1900, 11, 6, 8, 49, 37), ""},
        // Before 30 December 1899 the day count is negative and the time counts away from it.
        DateCase{"Year0101", "Sat, 01 Jan 0101 00:10:00 GMT", At(101, 1, 1, 0, 10, 0), "GMT"},
        DateCase{"TheDayBeforeDayZero", "Fri, 29 Dec 1899 06:00:00 GMT", -1.25, "GMT"},
        DateCase{"Empty", "", 0, ""},
        DateCase{"Blanks", "   ", 0, ""},
        DateCase{"UnknownMonth", "Sun, 06 Foo 1994 08:49:37 GMT", 0, ""},
        DateCase{"ImpossibleDay", "Sun, 31 Nov 1994 08:49:37 GMT", 0, ""},
        DateCase{"ImpossibleTime", "Sun, 06 Nov 1994 25:49:37 GMT", 0, ""},
        DateCase{"Garbage", "garbage", 0, ""},
        DateCase{"MinusOne", "-1", 0, ""}),
    [](const testing::TestParamInfo<DateCase>& info) { return info.param.Name; });

TEST(InternetDateToLocal, MovesFromTheTextZoneIntoTheLocalZone)
{
    const ScopedTimeZone zone("XXX-1");
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 GMT"), At(1994, 11, 6, 9, 49, 37), OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 UTC"), At(1994, 11, 6, 9, 49, 37), OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("Sun Nov  6 08:49:37 1994"), At(1994, 11, 6, 9, 49, 37), OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 +0200"), At(1994, 11, 6, 7, 49, 37), OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 -0130"), At(1994, 11, 6, 11, 19, 37), OneSecond / 10);
    // An unreadable date is day 0 moved by the zones.
    EXPECT_NEAR(InternetDateToLocal("not a date"), OneHour, 1e-12);
}

// --- Zones and formatting ---------------------------------------------------------------------

TEST(ParseZoneOffset, ReadsSignHoursAndMinutes)
{
    const std::pair<std::string, double> cases[] = {
        {"+0100", OneHour},   {"-0530", -5.5 * OneHour}, {" +0100 ", OneHour}, {"+0100xyz", OneHour},
        {"+0000", 0},         {"GMT", 0},                {"UTC", 0},           {"", 0},
        {"+01", 0},           {"+01:00", 0},             {"+2500", 0},         {"+0160", 0},
        {"0100", 0},          {"+ab00", 0},
    };
    for (const auto& [text, offset] : cases)
        EXPECT_NEAR(ParseZoneOffset(text), offset, 1e-12) << text;
}

TEST(FormatZoneOffset, NumericUnlessGmtIsAskedForAZeroOffset)
{
    EXPECT_EQ(FormatZoneOffset(0, true), "GMT");
    EXPECT_EQ(FormatZoneOffset(0, false), "+0000");
    EXPECT_EQ(FormatZoneOffset(OneHour, true), "+0100");
    EXPECT_EQ(FormatZoneOffset(-5.5 * OneHour, false), "-0530");
    EXPECT_EQ(FormatZoneOffset(13.75 * OneHour, false), "+1345");
}

TEST(FormatInternetDate, WritesTheDateAsGivenWithTheLocalZone)
{
    {
        const ScopedTimeZone zone("XXX-1");
        EXPECT_EQ(FormatInternetDate(At(2004, 1, 5, 10, 11, 12)), "Mon, 5 Jan 2004 10:11:12 +0100");
        EXPECT_EQ(FormatInternetDate(At(2004, 1, 5, 10, 11, 12), true), "Mon, 5 Jan 2004 10:11:12 +0100");
        EXPECT_EQ(FormatInternetDate(At(1994, 11, 6, 8, 9, 7)), "Sun, 6 Nov 1994 08:09:07 +0100");
    }
    {
        const ScopedTimeZone zone("UTC0");
        EXPECT_EQ(FormatInternetDate(At(2004, 12, 25, 0, 0, 0)), "Sat, 25 Dec 2004 00:00:00 +0000");
        EXPECT_EQ(FormatInternetDate(At(2004, 12, 25, 23, 59, 59), true), "Sat, 25 Dec 2004 23:59:59 GMT");
    }
    {
        const ScopedTimeZone zone("XXX+3");
        EXPECT_EQ(FormatInternetDate(At(2010, 6, 30, 7, 0, 0)), "Wed, 30 Jun 2010 07:00:00 -0300");
    }
}

TEST(ParseInternetDate, ADateBefore1899KeepsItsTimeOfDay)
{
    std::string text = "Sat, 01 Jan 0101 00:10:00 GMT";
    const DateTime parsed = ParseInternetDate(text);
    int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    DecodeDate(parsed, year, month, day);
    DecodeTime(parsed, hours, minutes, seconds, milliseconds);
    EXPECT_EQ(year, 101);
    EXPECT_EQ(month, 1);
    EXPECT_EQ(day, 1);
    EXPECT_EQ(hours, 0);
    EXPECT_EQ(minutes, 10);
    EXPECT_EQ(seconds, 0);
}

TEST(FormatInternetDate, ReadsBackAsTheSameMoment)
{
    const ScopedTimeZone zone("XXX-1");
    const DateTime moment = At(2004, 1, 5, 10, 11, 12);
    EXPECT_NEAR(InternetDateToLocal(FormatInternetDate(moment)), moment, OneSecond / 10);
}

} // namespace
