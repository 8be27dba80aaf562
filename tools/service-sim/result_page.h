// The search result pages of the three engines. Each engine lays its page out in its own
// way; all of them show the query in the title and the search box, a results header with
// the count, the entries and a footer.
#pragma once

#include "engine.h"
#include "page_features.h"
#include "result_entries.h"
#include "search_query.h"

#include <string>
#include <vector>

struct ResultPage {
    SearchQuery Query;
    std::string CountText; // with thousands separators
    std::vector<ResultEntry> Entries;
    std::string Seconds; // the time the search "took", such as "0.21"
    PageFeatures Features = PageFeatures::Present;
};

// The page content for a query, all of it derived from the engine and the query.
ResultPage MakeResultPage(Engine engine, const SearchQuery& query, PageFeatures features);

std::string RenderResultPage(Engine engine, const ResultPage& page);
std::string RenderGooglePage(const ResultPage& page);
std::string RenderYahooPage(const ResultPage& page);
std::string RenderMsnPage(const ResultPage& page);
