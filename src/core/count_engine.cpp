#include "core/count_engine.h"

#include "core/keyword_list.h"
#include "core/result_counts.h"

std::vector<CountEngine> BuiltInCountEngines(const ServiceAddresses& roots)
{
    std::vector<CountEngine> engines;
    for (const SearchEngine& engine : SearchEngines) {
        CountEngine lane;
        // The user meets the engine by its column's caption ("Msn"), in questions too.
        lane.Name = KeywordList::ColumnCaptions[1 + engine.Cell];
        lane.Cell = engine.Cell;
        lane.RequestURL = [&engine, roots](const std::string& keyword, int searchMode) {
            return SearchRequestURL(engine, roots, keyword, searchMode);
        };
        lane.ReadCount = [&engine](const std::string& page) { return ReadResultCount(engine, page); };
        engines.push_back(std::move(lane));
    }
    return engines;
}
