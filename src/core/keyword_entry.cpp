#include "core/keyword_entry.h"

#include "core/file_system.h"
#include "core/keyword_commands.h"
#include "core/keyword_import.h"

std::optional<std::string> MainKeywordRefusal(const std::string& typed)
{
    if (typed.empty())
        return "Please add a Main Keyword.";
    return std::nullopt;
}

std::optional<std::string> AddKeywordsRefusal(const std::string& typed, const std::string& listFile)
{
    if (!typed.empty() && !listFile.empty())
        return "Please select only one way to add keywords.";
    if (!listFile.empty() && !IsExistingFile(listFile))
        return "Please select a valid file.";
    return std::nullopt;
}

void AddKeywords(KeywordList& list, StatusPanels& status, const std::string& typed, const std::string& listFile)
{
    if (!typed.empty()) {
        list.AppendRow(list.CountRows() + 1, typed, "");
        ShowRowCount(list, status);
        return;
    }
    ImportKeywordFile(list, status, listFile);
}

void ShowMainKeyword(StatusPanels& status, const std::string& mainKeyword)
{
    status.ShowMainKeywordStatus("Main Keyword: " + mainKeyword);
    status.ShowMainStatus("");
}

int SearchModeFromTicks(bool preciseTicked)
{
    return preciseTicked ? 0 : 1;
}
