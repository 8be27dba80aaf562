// The dialog of Remove Rows Containing and Keep Only Rows Containing: words or phrases
// typed one per line or loaded from a text file, with the count of the rows they match
// shown before OK.
#pragma once

#include "core/user_interface.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class WordFilterDialog : public QDialog {
public:
    // Counts the rows the phrases match.
    using MatchCounter = std::function<int(const std::vector<std::string>& phrases)>;

    WordFilterDialog(QWidget* parent, const char* title, MessagePrompter& prompter, std::string startFolder,
                     MatchCounter countMatches);

    // The phrases typed, one per line (lines without a word left out), as UTF-8.
    std::vector<std::string> Phrases() const;

private:
    void btnLoadClick();
    void ShowMatchCount();

    MessagePrompter& FPrompter;
    QString FStartFolder;
    MatchCounter FCountMatches;
    QPlainTextEdit* edtWords;
    QLabel* lblMatches;
    QPushButton* btnLoad;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    // The count waits until typing pauses: on a large table it takes a moment.
    QTimer* FRecount;
};
