// Closing the window with results that were never saved: whether to ask, and what the
// answer does to a running command and to the close.
#pragma once

#include "core/keyword_list.h"

#include <cstdint>

// Remembers which state of the list was last saved (or opened), so a close can tell
// whether it would lose rows.
class UnsavedResults {
public:
    void MarkSaved(const KeywordList& list) { FSavedRevision = list.Revision(); }
    // Rows changed since the last save or open. An empty table has nothing to lose.
    bool Any(const KeywordList& list) const { return list.CountRows() > 0 && list.Revision() != FSavedRevision; }

private:
    uint64_t FSavedRevision = 0;
};

enum class CloseAnswer { Save, Discard, Cancel };

class ClosePrompter {
public:
    virtual ~ClosePrompter() = default;
    // "Save the results before closing?" with Save, Discard and Cancel.
    virtual CloseAnswer AskSaveBeforeClosing() = 0;
};

// A close of the window, from the click on the close button to the window going.
// A running command is further down the window's call stack, so a close that must stop
// it waits until it has returned and then closes (or saves first).
class CloseQuestion {
public:
    enum class Step {
        Close,    // close the window now
        KeepOpen, // the close is refused; a running command goes on
        StopRun,  // stop the running command; call RunReturned once it has returned
        Save,     // run Save Results; the window closes only when it saved
    };

    // What a close asked for now does. Asks only when rows would be lost; a close asked
    // for again while a stopped command unwinds changes nothing.
    Step Closing(bool running, bool unsavedRows, ClosePrompter& prompter);
    // The stopped command has returned: Close or Save, as answered. After Close, the
    // close that follows goes through without a second question.
    Step RunReturned();
    // A close waits for the stopped command to return.
    bool Waiting() const { return FWaiting; }

private:
    bool FWaiting = false;
    Step FAfterRun = Step::Close;
    bool FDiscarded = false; // the rows were given up: the window closes
};
