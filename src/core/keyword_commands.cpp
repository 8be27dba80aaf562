#include "core/keyword_commands.h"

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

void DeleteSelected(KeywordList& list, MessagePrompter& prompter, StatusPanels& status)
{
    if (prompter.ShowMessageDialog("Are you sure do you want to delete the selected keywords?",
                                   MessageButtons::OkCancel) == mrOk) {
        list.DeleteTickedRows();
    }
    ShowRowCount(list, status);
}

void DeleteAll(KeywordList& list, MessagePrompter& prompter, StatusPanels& status)
{
    if (prompter.ShowMessageDialog("Are you sure do you want to delete all?", MessageButtons::OkCancel) == mrOk)
        list.ClearRows();
    ShowRowCount(list, status);
}

void ColumnClick(KeywordList& list, SortState& sort, int column, const TextCollator& collator)
{
    sort.ColumnClicked(column);
    list.SortByColumn(column, sort.SortAscending, collator);
}
