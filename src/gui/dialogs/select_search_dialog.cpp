#include "gui/dialogs/select_search_dialog.h"

#include "gui/dialogs/handler_edge.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

QCheckBox* MakeTickBox(QWidget* parent, const char* name, const char* caption, QRect place, bool ticked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(place);
    box->setChecked(ticked);
    return box;
}

} // namespace

TfrmSelSearch::TfrmSelSearch(QWidget* parent) : EntryDialog(parent, "frmSelSearch", "Select Search Type", {480, 114})
{
    btnOk = AddButton("btnOk", "Ok", {161, 75, 81, 21});
    btnCancel = AddButton("btnCancel", "Cancel", {251, 75, 82, 21});
    bsSkinCheckRadioBox1 = MakeTickBox(this, "bsSkinCheckRadioBox1",
                                       "Precise Search Eg: \"golf clubs\" Should appear the word in the same order.",
                                       {11, 15, 397, 20}, true);
    bsSkinCheckRadioBox2 = MakeTickBox(
        this, "bsSkinCheckRadioBox2",
        "Broad Search Eg: golf clubs, any word no matther the order or position in the text.", {11, 41, 446, 20},
        false);

    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, bsSkinCheckRadioBox1);
    setTabOrder(bsSkinCheckRadioBox1, bsSkinCheckRadioBox2);
    connect(btnOk, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrOk); }));
    connect(btnCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrCancel); }));
    btnOk->setFocus();
}

bool TfrmSelSearch::PreciseTicked() const
{
    return bsSkinCheckRadioBox1->isChecked();
}
