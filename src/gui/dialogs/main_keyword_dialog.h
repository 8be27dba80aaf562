// TfrmMainKeyword: asks for the main keyword.
#pragma once

#include "gui/dialogs/entry_dialog.h"

#include <string>

class TfrmMainKeyword : public EntryDialog {
public:
    TfrmMainKeyword(QWidget* parent, MessagePrompter& prompter);

    // The text exactly as typed.
    std::string MainKeywordText() const;

private:
    void btnOkClick();

    MessagePrompter& FPrompter;
    QLineEdit* edtMainKeyword;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};
