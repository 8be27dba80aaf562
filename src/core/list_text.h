// The keyword table as plain text: Copy's tab-separated rows for a spreadsheet, Paste
// Keywords' lines, and Export Keyword List's file of keywords.
#pragma once

#include "core/keyword_list.h"
#include "core/results_export.h"
#include "core/user_interface.h"

#include <string>
#include <string_view>
#include <vector>

// The rows Copy takes, in table order: the highlighted rows when there are any, else
// the ticked rows, else every row. Highlighted rows out of range are ignored.
std::vector<int> RowsToCopy(const KeywordList& list, std::vector<int> highlighted);

// The column captions, then one line per row: its number and cells, and its KEI values
// when they are shown; fields separated by tabs, lines by LF, as UTF-8 (cells read the
// way the table shows them). A tab or line break inside a cell becomes a space, so
// every row stays one line of a spreadsheet.
std::string CopiedRowsText(const KeywordList& list, const std::vector<int>& rows, bool keiColumns);

// Paste Keywords: every line of the text that holds more than blanks becomes a row,
// numbered CountRows() + 1 and split into lines as a keyword list file is; then
// "Total: " and the row count. Returns how many rows were added.
int PasteKeywords(KeywordList& list, StatusPanels& status, std::string_view text);

// The keywords alone, as UTF-8, one per line (CR LF after each); a line break inside
// a keyword becomes a space.
std::string KeywordListText(const KeywordList& list);

// ".txt" is added when the file name has no extension.
std::string WithTxtExtensionWhenNone(const std::string& fileName);

// Export Keyword List: nothing to save is said as Save Results says it; a failed
// write is reported.
void ExportKeywordList(const KeywordList& list, MessagePrompter& prompter, SaveFileChooser& chooser);
