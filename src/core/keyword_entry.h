// What the keyword entry dialogs decide: whether their input is accepted, and what an
// accepted answer changes in the main window.
#pragma once

#include "core/keyword_list.h"
#include "core/user_interface.h"

#include <optional>
#include <string>

// The main keyword dialog accepts any text but the empty one (spaces included);
// otherwise the message to show, with the dialog left open.
std::optional<std::string> MainKeywordRefusal(const std::string& typed);

// The Add Keywords checks, in order: both boxes filled; a list file that does not
// exist; an empty list box always passes.
std::optional<std::string> AddKeywordsRefusal(const std::string& typed, const std::string& listFile);

// An accepted Add Keywords dialog: the typed text as one row, else the list file.
void AddKeywords(KeywordList& list, StatusPanels& status, const std::string& typed, const std::string& listFile);

// An accepted main keyword, shown in the status bar; the progress panel is emptied.
void ShowMainKeyword(StatusPanels& status, const std::string& mainKeyword);

// 0 (precise) when the precise box is ticked, else 1 (broad); the broad box is not read.
int SearchModeFromTicks(bool preciseTicked);
