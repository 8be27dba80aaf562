// Loading a keyword list file: one row per line of 8-bit text.
#pragma once

#include "core/keyword_list.h"
#include "core/user_interface.h"

#include <functional>
#include <string>
#include <string_view>

// Calls onLine for every line: a line ends at CR, LF or CR LF; a NUL byte ends the
// text; a last line without a break counts; a break at the very end adds no line.
void ForEachKeywordLine(std::string_view text, const std::function<void(std::string_view)>& onLine);

// Appends one row per line of the file after the rows already listed, each numbered
// CountRows() + 1, and shows "Total: " and the count after each. A name that is not an
// existing file changes nothing; a file that cannot be read raises before any row is
// added.
void ImportKeywordFile(KeywordList& list, StatusPanels& status, const std::string& fileName);
