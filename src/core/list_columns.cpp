#include "core/list_columns.h"

namespace ListColumns {

int CellCount(const KeywordList& list)
{
    return list.CellCount();
}

int EngineCount(const KeywordList& list)
{
    return list.EngineCount();
}

int EngineCell(const KeywordList&, int engine)
{
    return KeywordRow::FirstEngineCell + engine;
}

std::string EngineCaption(const KeywordList& list, int engine)
{
    return StoredColumnCaption(list, 1 + EngineCell(list, engine));
}

int StoredColumnCount(const KeywordList& list)
{
    return list.ColumnCount();
}

std::string StoredColumnCaption(const KeywordList& list, int column)
{
    return list.ColumnCaption(column);
}

std::string KeiCaption(const KeywordList& list, int engine)
{
    return "KEI " + EngineCaption(list, engine);
}

} // namespace ListColumns
