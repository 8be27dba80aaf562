// The one message dialog of the program (the main window's msgMain): every notice and
// every yes/no question is put to the user through it.
#pragma once

#include "core/user_interface.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;

class MessageDialog : public QDialog {
public:
    // A button of the row and the result it closes the dialog with.
    struct Button {
        const char* Name;
        const char* Caption;
        int Result;
    };

    MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons);
    // The first button is the default (Enter); Escape closes with escapeResult.
    MessageDialog(QWidget* parent, const QString& text, const std::vector<Button>& buttons, int escapeResult);

    // Shows the dialog modally; mrOk for OK, mrCancel for Cancel. Escape presses Cancel
    // when there is one and OK otherwise.
    static int Execute(QWidget* parent, const std::string& text, MessageButtons buttons);

    static constexpr int ButtonWidth = 70;
    static constexpr int ButtonHeight = 25;

    void reject() override;

private:
    void LayOut();

    int FEscapeResult;
    QLabel* FIcon;
    QLabel* FText;
    std::vector<QPushButton*> FButtons;
};
