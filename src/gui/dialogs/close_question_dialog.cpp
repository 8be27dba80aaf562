#include "gui/dialogs/close_question_dialog.h"

#include "gui/dialogs/message_dialog.h"

CloseAnswer AskSaveBeforeClosing(QWidget* parent)
{
    const int save = 1;
    const int discard = 2;
    const int cancel = 3;
    MessageDialog dialog(parent, "Save the results before closing?",
                         {{"btnSave", "Save", save}, {"btnDiscard", "Discard", discard}, {"btnCancel", "Cancel", cancel}},
                         cancel);
    switch (dialog.exec()) {
    case save:
        return CloseAnswer::Save;
    case discard:
        return CloseAnswer::Discard;
    default:
        return CloseAnswer::Cancel;
    }
}
