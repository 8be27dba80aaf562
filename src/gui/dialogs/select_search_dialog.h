// TfrmSelSearch: precise or broad search before a data gathering. The two tick boxes
// are independent: both may be ticked, or neither.
#pragma once

#include "gui/dialogs/entry_dialog.h"

class QCheckBox;

class TfrmSelSearch : public EntryDialog {
public:
    explicit TfrmSelSearch(QWidget* parent);

    bool PreciseTicked() const;

private:
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QCheckBox* bsSkinCheckRadioBox1;
    QCheckBox* bsSkinCheckRadioBox2;
};
