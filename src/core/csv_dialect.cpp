#include "core/csv_dialect.h"

#include <strings.h>

namespace {

bool Is(const std::string& value, const char* word)
{
    return strcasecmp(value.c_str(), word) == 0;
}

} // namespace

CsvDialect ReadCsvDialect(const IniFile& settings)
{
    CsvDialect dialect;
    const std::string delimiter = settings.ReadString("Export", "Delimiter");
    if (Is(delimiter, "semicolon"))
        dialect.Delimiter = ';';
    else if (Is(delimiter, "tab"))
        dialect.Delimiter = '\t';
    dialect.ByteOrderMark = settings.ReadString("Export", "BOM") == "1";
    dialect.PlainNumbers = Is(settings.ReadString("Export", "Numbers"), "plain");
    return dialect;
}

std::string PlainNumber(std::string_view count)
{
    std::string digits;
    for (char c : count)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}
