// Saving the results and closing the window: a close with rows never saved asks first,
// and a close during a network command waits for it to return.
#include "core/results_file_name.h"
#include "gui/dialogs/close_question_dialog.h"
#include "gui/list_tools_menu.h"
#include "gui/main_window.h"

#include <QCloseEvent>

void TfrmMain::closeEvent(QCloseEvent* event)
{
    switch (FCloseQuestion.Closing(FNetworkCommands.IsRunning(), FUnsaved.Any(FKeywords), *this)) {
    case CloseQuestion::Step::Close:
        QWidget::closeEvent(event);
        return;
    case CloseQuestion::Step::Save:
        if (SaveResultsNow()) {
            QWidget::closeEvent(event);
            return;
        }
        break;
    case CloseQuestion::Step::StopRun:
        // The command is further down this thread's stack: it cannot be left running, and
        // the window cannot go from under it. It ends at its next check, with the request
        // under way cut; no request starts after this.
        FStopRequested = true;
        if (FLanesStop)
            FLanesStop();
        IdHTTP1.CloseConnection();
        NetworkCommandChanged(FNetworkCommands.Running());
        break;
    case CloseQuestion::Step::KeepOpen:
        break;
    }
    event->ignore();
}

CloseAnswer TfrmMain::AskSaveBeforeClosing()
{
    WaitForUser();
    return ::AskSaveBeforeClosing(this);
}

void TfrmMain::CloseAfterRun()
{
    if (FCloseQuestion.RunReturned() == CloseQuestion::Step::Close || SaveResultsNow()) {
        close();
        return;
    }
    // The save was cancelled or failed: the window stays, with its commands back.
    NetworkCommandChanged(FNetworkCommands.Running());
}

bool TfrmMain::SaveResultsNow()
{
    bsSkinSaveDialog1.ProposeFileName(ProposedResultsFileName(FMainKeywordText));
    const std::optional<SavedResults> saved = SaveResults(FKeywords, *this, bsSkinSaveDialog1, FListTools->Tools().SavedLayout());
    if (!saved)
        return false;
    FUnsaved.MarkSaved(FKeywords);
    ShowMainStatus(SavedStatusText(saved->Rows, saved->FileName));
    return true;
}
