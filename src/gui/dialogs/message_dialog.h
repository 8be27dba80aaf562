// The one message dialog of the program (the main window's msgMain): every notice and
// every yes/no question is put to the user through it.
#pragma once

#include "core/user_interface.h"

#include <QDialog>

class QLabel;
class QPushButton;

class MessageDialog : public QDialog {
public:
    MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons);

    // Shows the dialog modally; mrOk for OK, mrCancel for Cancel. Escape presses Cancel
    // when there is one and OK otherwise.
    static int Execute(QWidget* parent, const std::string& text, MessageButtons buttons);

    static constexpr int ButtonWidth = 70;
    static constexpr int ButtonHeight = 25;

    void reject() override;

private:
    void LayOut();

    bool FHasCancel;
    QLabel* FIcon;
    QLabel* FText;
    QPushButton* FOk;
    QPushButton* FCancel = nullptr;
};
