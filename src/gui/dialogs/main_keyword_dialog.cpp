#include "gui/dialogs/main_keyword_dialog.h"

#include "core/keyword_entry.h"
#include "gui/dialogs/handler_edge.h"

#include <QLineEdit>
#include <QPushButton>

TfrmMainKeyword::TfrmMainKeyword(QWidget* parent, MessagePrompter& prompter)
    : EntryDialog(parent, "frmMainKeyword", "Main Keyword", {309, 109}), FPrompter(prompter)
{
    edtMainKeyword = AddEdit("edtMainKeyword", {13, 37, 280, 15});
    AddLabel("bsSkinStdLabel1", "Please type the main keyword(s) Eg: golf, soccer:", {13, 13, 292, 16}, edtMainKeyword);
    btnOk = AddButton("btnOk", "Ok", {68, 67, 82, 21});
    btnCancel = AddButton("btnCancel", "Cancel", {157, 67, 82, 21});

    setTabOrder(edtMainKeyword, btnOk);
    setTabOrder(btnOk, btnCancel);
    connect(btnOk, &QPushButton::clicked, this, AtHandlerEdge([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrCancel); }));
    RunOnEnter(edtMainKeyword, [this] { btnOkClick(); });
    edtMainKeyword->setFocus();
}

std::string TfrmMainKeyword::MainKeywordText() const
{
    return edtMainKeyword->text().toStdString();
}

void TfrmMainKeyword::btnOkClick()
{
    if (const auto refusal = MainKeywordRefusal(MainKeywordText()))
        FPrompter.ShowMessageDialog(*refusal, MessageButtons::Ok);
    else
        done(mrOk);
}
