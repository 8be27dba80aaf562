// What the table's context menu and its shortcuts run: the list tools (copy and paste,
// duplicates, word filters, reopening results, the keyword list export, KEI, Undo).
// Each handler hands its decisions to the display-free code and shows the outcome; each
// is refused while a network command runs, as Delete Selected is.
#pragma once

#include "core/close_question.h"
#include "core/csv_dialect.h"
#include "core/keyword_list.h"
#include "core/list_undo.h"
#include "core/network_command.h"
#include "core/results_export.h"
#include "core/user_interface.h"
#include "gui/dialogs/open_results_dialog.h"
#include "gui/dialogs/save_dialog.h"
#include "gui/qt_case_folder.h"

#include <string>
#include <vector>

class IniFile;
class QTableView;
class QWidget;
class KeywordTableModel;

struct ListToolsHost {
    QWidget* Window;
    QTableView* View;
    KeywordList& List;
    KeywordTableModel& Model;
    MessagePrompter& Prompter;
    StatusPanels& Status;
    const NetworkCommandState& Commands;
    // Rows opened into a table that held nothing unsaved are as saved as their file.
    UnsavedResults& Unsaved;
    std::string Folder; // where the file dialogs first open
};

class ListTools {
public:
    explicit ListTools(ListToolsHost host);

    // Section "Export": the dialect results are saved in.
    void LoadSettings(const IniFile& settings);
    // How Save Results writes the table now: the dialect, and the KEI columns while shown.
    CsvLayout SavedLayout() const;
    ListUndo& Undo() { return FUndo; }
    bool KeiShown() const;

    void CopyClick();
    void PasteKeywordsClick();
    void RemoveDuplicatesClick();
    void RemoveRowsContainingClick();
    void KeepOnlyRowsContainingClick();
    void OpenResultsClick();
    void ExportKeywordListClick();
    void ShowKeiClick(bool shown);
    void UndoClick();
    void SelectAllRowsClick();

private:
    bool Refused() const { return FHost.Commands.IsRunning(); }
    // The highlighted rows of the table, in table order.
    std::vector<int> HighlightedRows() const;
    void FilterRowsClick(const char* title, bool keep);

    ListToolsHost FHost;
    QtCaseFolder FFolder;
    ListUndo FUndo;
    CsvDialect FDialect;
    OpenResultsDialog FOpenDialog;
    SaveDialog FExportDialog;
};
