// The table's columns as the list tools see them: the number, the keyword, the searches
// and one column per engine. Every tool asks here, so the engine count and captions
// come from one place whatever the list is set up with.
#pragma once

#include "core/keyword_list.h"

#include <string>

namespace ListColumns {

// Cells of a row: Keywords, Searches, then one per engine.
int CellCount(const KeywordList& list);
int EngineCount(const KeywordList& list);
// The cell that holds engine `engine` (0-based).
int EngineCell(const KeywordList& list, int engine);
std::string EngineCaption(const KeywordList& list, int engine);
// Columns of the stored table ("No" and every cell), without the KEI columns.
int StoredColumnCount(const KeywordList& list);
std::string StoredColumnCaption(const KeywordList& list, int column);
// "KEI " and the engine's caption.
std::string KeiCaption(const KeywordList& list, int engine);

} // namespace ListColumns
