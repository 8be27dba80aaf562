// One level of Undo for the commands that take rows out of the list (Remove Duplicates,
// the two word filters, Delete Selected, Delete All): the rows the last of them took,
// with their places, held until they are put back or another removal replaces them.
#pragma once

#include "core/keyword_list.h"

class ListUndo {
public:
    // Keeps what a removal took; a removal that took nothing leaves the last one.
    void Remember(RemovedRows removed);
    bool CanUndo() const { return !FRemoved.Rows.empty(); }
    // Puts the remembered rows back where they stood, ticks and counts included, and
    // forgets them. Nothing remembered: nothing changes.
    void Undo(KeywordList& list);

private:
    RemovedRows FRemoved;
};
