#include "gui/list_tools.h"

#include "config/ini_file.h"
#include "core/duplicate_rows.h"
#include "core/keyword_commands.h"
#include "core/list_text.h"
#include "core/results_import.h"
#include "core/word_filter.h"
#include "gui/dialogs/read_progress.h"
#include "gui/dialogs/word_filter_dialog.h"
#include "gui/keyword_table_model.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>

ListTools::ListTools(ListToolsHost host)
    : FHost(std::move(host)), FOpenDialog(FHost.Window, FHost.Folder),
      FExportDialog(FHost.Window, FHost.Folder, KeywordListFileKind)
{
}

void ListTools::LoadSettings(const IniFile& settings)
{
    FDialect = ReadCsvDialect(settings);
}

CsvLayout ListTools::SavedLayout() const
{
    return {FDialect, KeiShown()};
}

bool ListTools::KeiShown() const
{
    return FHost.Model.KeiShown();
}

std::vector<int> ListTools::HighlightedRows() const
{
    std::vector<int> rows;
    const QItemSelectionModel* selection = FHost.View->selectionModel();
    if (!selection)
        return rows;
    for (const QItemSelectionRange& range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    return rows;
}

void ListTools::CopyClick()
{
    if (Refused())
        return;
    const std::vector<int> rows = RowsToCopy(FHost.List, HighlightedRows());
    QApplication::clipboard()->setText(QString::fromStdString(CopiedRowsText(FHost.List, rows, KeiShown())));
}

void ListTools::PasteKeywordsClick()
{
    if (Refused())
        return;
    PasteKeywords(FHost.List, FHost.Status, QApplication::clipboard()->text().toStdString());
}

void ListTools::RemoveDuplicatesClick()
{
    if (Refused())
        return;
    RemoveDuplicates(FHost.List, FFolder, FUndo, FHost.Prompter, FHost.Status);
}

void ListTools::RemoveRowsContainingClick()
{
    FilterRowsClick("Remove Rows Containing", false);
}

void ListTools::KeepOnlyRowsContainingClick()
{
    FilterRowsClick("Keep Only Rows Containing", true);
}

void ListTools::FilterRowsClick(const char* title, bool keep)
{
    if (Refused())
        return;
    WordFilterDialog dialog(FHost.Window, title, FHost.Prompter, FHost.Folder,
                            [this](const std::vector<std::string>& phrases) {
                                return CountMatchingRows(FHost.List, WordFilter(phrases, FFolder));
                            });
    if (dialog.exec() != mrOk)
        return;
    const WordFilter filter(dialog.Phrases(), FFolder);
    // No word at all keeps or removes nothing: keeping only the rows that match none
    // would empty the table.
    if (filter.IsEmpty())
        return;
    FilterRows(FHost.List, filter, keep ? FilterMode::KeepMatching : FilterMode::RemoveMatching, FUndo);
    ShowRowCount(FHost.List, FHost.Status);
}

void ListTools::OpenResultsClick()
{
    if (Refused())
        return;
    const bool nothingUnsaved = !FHost.Unsaved.Any(FHost.List);
    ReadProgress progress(FHost.Window, "Reading the results file...");
    if (OpenResults(FHost.List, FHost.Prompter, FHost.Status, FOpenDialog, std::ref(progress)))
        FHost.Model.SetKeiShown(true);
    if (nothingUnsaved)
        FHost.Unsaved.MarkSaved(FHost.List);
}

void ListTools::ExportKeywordListClick()
{
    if (Refused())
        return;
    ExportKeywordList(FHost.List, FHost.Prompter, FExportDialog);
}

void ListTools::ShowKeiClick(bool shown)
{
    if (Refused())
        return;
    FHost.Model.SetKeiShown(shown);
}

void ListTools::UndoClick()
{
    if (Refused() || !FUndo.CanUndo())
        return;
    FUndo.Undo(FHost.List);
    ShowRowCount(FHost.List, FHost.Status);
}

void ListTools::SelectAllRowsClick()
{
    FHost.View->selectAll();
}
