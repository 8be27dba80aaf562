#include "gui/dialogs/add_keywords_dialog.h"

#include "core/keyword_entry.h"
#include "gui/dialogs/handler_edge.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

TfrmAddKeywords::TfrmAddKeywords(QWidget* parent, MessagePrompter& prompter, const std::string& startFolder)
    : EntryDialog(parent, "frmAddKeywords", "Enter Keyword(s)", {426, 147}),
      FPrompter(prompter),
      FStartFolder(QString::fromStdString(startFolder))
{
    edtAddKeyword = AddEdit("edtAddKeyword", {9, 33, 326, 15});
    edtList = AddEdit("edtList", {9, 78, 326, 15});
    AddLabel("bsSkinStdLabel1", "Please type keyword(s) Eg: golf, soccer:", {9, 13, 239, 16}, edtAddKeyword);
    AddLabel("bsSkinStdLabel2", "Or add a file with a keyword list (one group of keywords per line):", {9, 59, 378, 16},
             edtList);
    btnBrowse = AddButton("btnBrowse", "Browse", {344, 77, 63, 21});
    btnOk = AddButton("btnOk", "Ok", {102, 107, 82, 21});
    btnCancel = AddButton("btnCancel", "Cancel", {190, 107, 82, 21});

    setTabOrder(edtAddKeyword, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, edtList);
    setTabOrder(edtList, btnBrowse);
    connect(btnOk, &QPushButton::clicked, this, AtHandlerEdge([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrCancel); }));
    connect(btnBrowse, &QPushButton::clicked, this, AtHandlerEdge([this] { btnBrowseClick(); }));
    RunOnEnter(edtAddKeyword, [this] { btnOkClick(); });
    RunOnEnter(edtList, [this] { btnOkClick(); });
    edtAddKeyword->setFocus();
}

std::string TfrmAddKeywords::TypedKeywords() const
{
    return edtAddKeyword->text().toStdString();
}

std::string TfrmAddKeywords::ListFileName() const
{
    return edtList->text().toStdString();
}

void TfrmAddKeywords::btnOkClick()
{
    if (const auto refusal = AddKeywordsRefusal(TypedKeywords(), ListFileName()))
        FPrompter.ShowMessageDialog(*refusal, MessageButtons::Ok);
    else
        done(mrOk);
}

void TfrmAddKeywords::btnBrowseClick()
{
    QFileDialog bsSkinOpenDialog1(this, "Open file", FStartFolder, "Text files (*.txt)");
    bsSkinOpenDialog1.setObjectName("bsSkinOpenDialog1");
    bsSkinOpenDialog1.setFileMode(QFileDialog::ExistingFile);
    bsSkinOpenDialog1.setAcceptMode(QFileDialog::AcceptOpen);
    bsSkinOpenDialog1.setOption(QFileDialog::DontUseNativeDialog);
    if (bsSkinOpenDialog1.exec() == QDialog::Accepted && !bsSkinOpenDialog1.selectedFiles().isEmpty())
        edtList->setText(bsSkinOpenDialog1.selectedFiles().constFirst());
}
