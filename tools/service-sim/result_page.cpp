#include "result_page.h"

#include "result_count.h"

ResultPage MakeResultPage(Engine engine, const SearchQuery& query, PageFeatures features)
{
    uint64_t hash = KeywordHash(engine, query.Keyword);
    uint64_t count = ResultCount(engine, query);

    ResultPage page;
    page.Query = query;
    page.CountText = WithThousandsSeparators(count);
    page.Entries = MakeResultEntries(query.Keyword, hash % EntryTemplateCount, count);
    unsigned hundredths = 5 + static_cast<unsigned>((hash >> 32) % 45);
    page.Seconds = "0." + std::string(hundredths < 10 ? "0" : "") + std::to_string(hundredths);
    page.Features = features;
    return page;
}

std::string RenderResultPage(Engine engine, const ResultPage& page)
{
    switch (engine) {
    case Engine::Google: return RenderGooglePage(page);
    case Engine::Yahoo: return RenderYahooPage(page);
    case Engine::Msn: return RenderMsnPage(page);
    }
    return {};
}
