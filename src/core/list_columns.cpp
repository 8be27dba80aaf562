#include "core/list_columns.h"

namespace ListColumns {

int CellCount(const KeywordList&)
{
    return KeywordRow::CellCount;
}

int EngineCount(const KeywordList& list)
{
    return CellCount(list) - 2;
}

int EngineCell(const KeywordList&, int engine)
{
    return KeywordRow::Searches + 1 + engine;
}

std::string EngineCaption(const KeywordList& list, int engine)
{
    return StoredColumnCaption(list, 1 + EngineCell(list, engine));
}

int StoredColumnCount(const KeywordList&)
{
    return KeywordList::ColumnCount;
}

std::string StoredColumnCaption(const KeywordList&, int column)
{
    return KeywordList::ColumnCaptions[column];
}

std::string KeiCaption(const KeywordList& list, int engine)
{
    return "KEI " + EngineCaption(list, engine);
}

} // namespace ListColumns
