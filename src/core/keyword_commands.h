// What the list buttons and the column headers do to the keyword table.
#pragma once

#include "core/keyword_list.h"
#include "core/keyword_sort.h"
#include "core/list_undo.h"
#include "core/user_interface.h"

#include <string>

// Writes the row count followed by " items listed" into the row count panel.
void ShowRowCount(const KeywordList& list, StatusPanels& status);

void SelectAll(KeywordList& list);
void ClearSelection(KeywordList& list);
// Both deletions ask first, also when there is nothing to delete, and rewrite the row
// count whatever the answer. Row numbers are not closed up. With `undo`, the rows
// deleted are remembered for Undo.
void DeleteSelected(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, ListUndo* undo = nullptr);
void DeleteAll(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, ListUndo* undo = nullptr);
// A column past the stored ones is a KEI column (shown one per engine) and sorts by KEI.
void ColumnClick(KeywordList& list, SortState& sort, int column, const TextCollator& collator);
