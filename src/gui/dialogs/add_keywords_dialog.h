// TfrmAddKeywords: a keyword typed by hand, or a keyword list file to import.
#pragma once

#include "gui/dialogs/entry_dialog.h"

#include <string>

class TfrmAddKeywords : public EntryDialog {
public:
    TfrmAddKeywords(QWidget* parent, MessagePrompter& prompter, const std::string& startFolder);

    std::string TypedKeywords() const;
    std::string ListFileName() const;

private:
    void btnOkClick();
    void btnBrowseClick();

    MessagePrompter& FPrompter;
    QString FStartFolder;
    QLineEdit* edtAddKeyword;
    QLineEdit* edtList;
    QPushButton* btnBrowse;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};
