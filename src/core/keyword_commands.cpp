#include "core/keyword_commands.h"

#include "core/kei.h"
#include "core/list_columns.h"

void ShowRowCount(const KeywordList& list, StatusPanels& status)
{
    status.ShowRowCountStatus(std::to_string(list.CountRows()) + " items listed");
}

void SelectAll(KeywordList& list)
{
    for (int row = 0; row < list.CountRows(); ++row)
        list.SetRowTicked(row, true);
}

void ClearSelection(KeywordList& list)
{
    for (int row = 0; row < list.CountRows(); ++row)
        list.SetRowTicked(row, false);
}

void DeleteSelected(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, ListUndo* undo)
{
    if (prompter.ShowMessageDialog("Are you sure do you want to delete the selected keywords?",
                                   MessageButtons::OkCancel) == mrOk) {
        if (undo) {
            std::vector<bool> ticked(static_cast<std::size_t>(list.CountRows()));
            for (int row = 0; row < list.CountRows(); ++row)
                ticked[static_cast<std::size_t>(row)] = list.IsRowTicked(row);
            undo->Remember(list.TakeRows(ticked));
        } else {
            list.DeleteTickedRows();
        }
    }
    ShowRowCount(list, status);
}

void DeleteAll(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, ListUndo* undo)
{
    if (prompter.ShowMessageDialog("Are you sure do you want to delete all?", MessageButtons::OkCancel) == mrOk) {
        if (undo)
            undo->Remember(list.TakeRows(std::vector<bool>(static_cast<std::size_t>(list.CountRows()), true)));
        else
            list.ClearRows();
    }
    ShowRowCount(list, status);
}

void ColumnClick(KeywordList& list, SortState& sort, int column, const TextCollator& collator)
{
    sort.ColumnClicked(column);
    const int stored = ListColumns::StoredColumnCount(list);
    if (column >= stored)
        SortByKei(list, column - stored, sort.SortAscending);
    else
        list.SortByColumn(column, sort.SortAscending, collator);
}
