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
        QString Name;
        QString Caption;
        int Result;
    };

    MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons);
    // The first button is the default (Enter); Escape closes with escapeResult.
    MessageDialog(QWidget* parent, const QString& text, const std::vector<Button>& buttons, int escapeResult);
    // A question with buttons of the given captions, left to right; Escape presses the last.
    MessageDialog(QWidget* parent, const QString& text, const std::vector<QString>& captions);

    // Shows the dialog modally; mrOk for OK, mrCancel for Cancel. Escape presses Cancel
    // when there is one and OK otherwise.
    static int Execute(QWidget* parent, const std::string& text, MessageButtons buttons);
    // Shows the question modally; the index of the button pressed. Escape presses the
    // last one (the one that goes no further).
    static int Choose(QWidget* parent, const std::string& text, const std::vector<QString>& captions);

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
