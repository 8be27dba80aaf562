#include "net/date_time.h"
#include "net/number_text.h"
#include "net/text_case.h"
#include "net/uri.h"

#include <cmath>
#include <cstdio>

namespace {

const char* const WeekdayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsWeekdayName(std::string_view text)
{
    for (const char* name : WeekdayNames) {
        if (SameTextAscii(text, name))
            return true;
    }
    return false;
}

// 1 to 12 for a month's three-letter name in any case; 0 otherwise.
int MonthNumber(std::string_view text)
{
    for (int i = 0; i < 12; ++i) {
        if (SameTextAscii(text, MonthNames[i]))
            return i + 1;
    }
    return 0;
}

void DropLeadingBlanks(std::string& text)
{
    text = std::string(TrimLeftView(text));
}

// The delimiter between day, month and year: "-" when a "-" stands at the second
// position or later and before the first blank.
const char* DateDelimiter(const std::string& text)
{
    const size_t firstBlank = text.find(' ');
    const size_t dash = text.find('-', 1);
    return dash != std::string::npos && firstBlank != std::string::npos && dash < firstBlank ? "-" : " ";
}

} // namespace

DateTime ParseInternetDate(std::string& text)
{
    text = Trim(text);
    if (text.empty())
        return 0;
    if (text.size() >= 3 && IsWeekdayName(std::string_view(text).substr(0, 3))) {
        TakeToken(text, " ");
        DropLeadingBlanks(text);
    }

    const char* delimiter = DateDelimiter(text);
    const auto readPiece = [&] {
        std::string piece = TakeToken(text, delimiter);
        DropLeadingBlanks(text);
        return piece;
    };
    int day = 0;
    int month = 0;
    if (MonthNumber(text.substr(0, text.find(delimiter))) != 0) {
        month = MonthNumber(readPiece());
        day = StrToIntDef(readPiece(), 1);
    } else {
        day = StrToIntDef(readPiece(), 1);
        month = MonthNumber(readPiece());
    }

    // In the asctime form the year comes last: the piece read here is then the time, so
    // the year is read from the rest and the piece is put back to be read as the time.
    // (A year of 1900 is a year like any other: the asctime form is told by its piece
    // not being a number.)
    std::string piece = TakeToken(text, " ");
    int32_t year = 0;
    if (!TryStrToInt(piece, year)) {
        year = StrToIntDef(text, 1900);
        text = piece;
    }
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;

    DateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        return 0;

    if (text.find(':') != std::string::npos) {
        std::string time = TakeToken(text, " ");
        const int hours = StrToIntDef(TakeToken(time, ":"), 0);
        const int minutes = StrToIntDef(TakeToken(time, ":"), 0);
        const int seconds = StrToIntDef(TakeToken(time, " "), 0);
        DateTime timeOfDay = 0;
        if (!TryEncodeTime(hours, minutes, seconds, 0, timeOfDay))
            return 0;
        // Before 30 December 1899 the day count is negative and its fraction counts
        // away from zero: 6:00 on the day before is -1.25, not -0.75.
        result += result < 0 ? -timeOfDay : timeOfDay;
    }
    DropLeadingBlanks(text);
    return result;
}

DateTime InternetDateToLocal(std::string text)
{
    const DateTime date = ParseInternetDate(text);
    const DateTime zoneOffset = text.size() > 4 ? ParseZoneOffset(text) : 0;
    return date - zoneOffset + LocalUtcOffset();
}

DateTime ParseZoneOffset(std::string_view text)
{
    const std::string_view zone = TrimView(text).substr(0, 5);
    if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-'))
        return 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    DateTime offset = 0;
    const auto isDigits = [](std::string_view digits) {
        return digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!isDigits(zone.substr(1)) || !TryStrToInt(zone.substr(1, 2), hours) ||
        !TryStrToInt(zone.substr(3, 2), minutes) || !TryEncodeTime(hours, minutes, 0, 0, offset))
        return 0;
    return zone[0] == '-' ? -offset : offset;
}

std::string FormatZoneOffset(DateTime offset, bool asGMT)
{
    if (offset == 0 && asGMT)
        return "GMT";
    const long long minutes = std::llround(std::fabs(offset) * MinutesPerDay);
    char text[48];
    std::snprintf(text, sizeof text, "%c%02lld%02lld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::string FormatInternetDate(DateTime dateTime, bool asGMT)
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int milliseconds = 0;
    DecodeDate(dateTime, year, month, day);
    DecodeTime(dateTime, hours, minutes, seconds, milliseconds);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %s", WeekdayNames[DayOfWeek(dateTime) - 1], day,
                  MonthNames[month - 1], year, hours, minutes, seconds,
                  FormatZoneOffset(LocalUtcOffset(), asGMT).c_str());
    return text;
}
