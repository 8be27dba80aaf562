// The one message dialog of the program (the main window's msgMain): every notice and
// every question is put to the user through it.
#pragma once

#include "core/user_interface.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QPushButton;

class MessageDialog : public QDialog {
public:
    MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons);
    // A question with buttons of the given captions, left to right.
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
    void MakeText(const QString& text);
    QPushButton* AddButton(const QString& caption, const char* objectName, int result);
    void LayOut();

    int FEscapeResult = mrOk;
    QLabel* FIcon = nullptr;
    QLabel* FText = nullptr;
    std::vector<QPushButton*> FButtons;
};
