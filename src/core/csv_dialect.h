// How results files are written, from section "Export" of the settings: the field
// delimiter, a leading byte-order mark, and whether counts keep the form the pages
// wrote them in. The defaults give the plain comma file of old.
#pragma once

#include "config/ini_file.h"

#include <string>
#include <string_view>

struct CsvDialect {
    char Delimiter = ',';       // "Delimiter": comma | semicolon | tab
    bool ByteOrderMark = false; // "BOM": 0 | 1
    bool PlainNumbers = false;  // "Numbers": as-written | plain
};

// Values are read without regard to case; a missing or unknown value keeps its default.
CsvDialect ReadCsvDialect(const IniFile& settings);

// The delimiters a results file may use, in the order they are looked for.
constexpr std::string_view CsvDelimiters = ",;\t";

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// The count with everything but its digits left out ("1,234" gives "1234").
std::string PlainNumber(std::string_view count);
