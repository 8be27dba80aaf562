// Remove Duplicates: rows whose keyword is an earlier row's keyword again, spelled with
// other letter case or other blanks.
#pragma once

#include "core/case_folding.h"
#include "core/keyword_list.h"
#include "core/list_undo.h"
#include "core/user_interface.h"

#include <string>
#include <string_view>
#include <vector>

// What two keywords must share to be the same: blanks (space, tab, line breaks) trimmed
// at both ends and collapsed to one space inside, then the case folded.
std::string DuplicateKey(std::string_view keyword, const CaseFolder& folder);

// For each row, whether an earlier row has the same key. The first of each keyword is
// never flagged.
std::vector<bool> DuplicateRowFlags(const KeywordList& list, const CaseFolder& folder);

// Takes out every duplicate (the first stays, with its counts and number), remembers
// them for Undo, says "N duplicate rows removed." and shows the row count.
void RemoveDuplicates(KeywordList& list, const CaseFolder& folder, ListUndo& undo, MessagePrompter& prompter,
                      StatusPanels& status);
