// The small interfaces through which the program's logic reaches the user. The main
// window implements them; tests implement them with recorders.
#pragma once

#include <string>

enum class MessageButtons { Ok, OkCancel };

// Results of ShowMessageDialog and of every modal dialog.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

class MessagePrompter {
public:
    virtual ~MessagePrompter() = default;
    // Shows the one message dialog of the program and returns mrOk or mrCancel.
    virtual int ShowMessageDialog(const std::string& text, MessageButtons buttons) = 0;
};

// The three text panels of the status bar, left to right.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void ShowMainStatus(const std::string& text) = 0;        // MainStatusPanel
    virtual void ShowMainKeywordStatus(const std::string& text) = 0; // bsSkinStatusPanel1
    virtual void ShowRowCountStatus(const std::string& text) = 0;    // SecondStatusPanel
};
