// Stand-ins for the window in logic tests: a prompter that answers from a script and
// records the questions, and status panels that remember what they were given.
#pragma once

#include "core/user_interface.h"

#include <deque>
#include <string>
#include <vector>

struct AskedMessage {
    std::string Text;
    MessageButtons Buttons;
};

class ScriptedPrompter : public MessagePrompter {
public:
    std::deque<int> Answers; // mrOk when it runs out
    std::vector<AskedMessage> Asked;

    int ShowMessageDialog(const std::string& text, MessageButtons buttons) override
    {
        Asked.push_back({text, buttons});
        if (Answers.empty())
            return mrOk;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

class RecordingStatus : public StatusPanels {
public:
    std::vector<std::string> MainStatus;
    std::vector<std::string> MainKeywordStatus;
    std::vector<std::string> RowCountStatus;

    void ShowMainStatus(const std::string& text) override { MainStatus.push_back(text); }
    void ShowMainKeywordStatus(const std::string& text) override { MainKeywordStatus.push_back(text); }
    void ShowRowCountStatus(const std::string& text) override { RowCountStatus.push_back(text); }
};
