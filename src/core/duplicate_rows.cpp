#include "core/duplicate_rows.h"

#include "core/keyword_commands.h"

#include <unordered_set>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string DuplicateKey(std::string_view keyword, const CaseFolder& folder)
{
    // One pass collapses the blanks and folds ASCII letters; only a keyword with bytes
    // beyond ASCII goes to the folder.
    std::string key;
    key.reserve(keyword.size());
    bool blankPending = false;
    bool ascii = true;
    for (char c : keyword) {
        if (IsBlank(c)) {
            blankPending = !key.empty();
            continue;
        }
        if (blankPending)
            key += ' ';
        blankPending = false;
        ascii = ascii && (c & 0x80) == 0;
        key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return ascii ? key : FoldedText(key, folder);
}

std::vector<bool> DuplicateRowFlags(const KeywordList& list, const CaseFolder& folder)
{
    const int rows = list.CountRows();
    std::vector<bool> duplicate(static_cast<std::size_t>(rows), false);
    std::unordered_set<std::string> seen;
    seen.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        duplicate[static_cast<std::size_t>(row)] =
            !seen.insert(DuplicateKey(list.CellText(row, KeywordRow::Keywords), folder)).second;
    return duplicate;
}

void RemoveDuplicates(KeywordList& list, const CaseFolder& folder, ListUndo& undo, MessagePrompter& prompter,
                      StatusPanels& status)
{
    RemovedRows removed = list.TakeRows(DuplicateRowFlags(list, folder));
    const std::size_t count = removed.Rows.size();
    undo.Remember(std::move(removed));
    ShowRowCount(list, status);
    prompter.ShowMessageDialog(std::to_string(count) + " duplicate rows removed.", MessageButtons::Ok);
}
