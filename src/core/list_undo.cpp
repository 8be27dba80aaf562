#include "core/list_undo.h"

#include <utility>

void ListUndo::Remember(RemovedRows removed)
{
    if (!removed.Rows.empty())
        FRemoved = std::move(removed);
}

void ListUndo::Undo(KeywordList& list)
{
    list.PutBackRows(std::exchange(FRemoved, RemovedRows{}));
}
