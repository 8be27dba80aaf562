#include "search_query.h"

std::string SearchQuery::Display() const
{
    return Precise ? "\"" + Keyword + "\"" : Keyword;
}

SearchQuery ReadSearchQuery(std::string_view value)
{
    SearchQuery query;
    if (value.starts_with('"')) {
        query.Precise = true;
        value.remove_prefix(1);
        if (value.ends_with('"'))
            value.remove_suffix(1);
    }
    query.Keyword = value;
    return query;
}
