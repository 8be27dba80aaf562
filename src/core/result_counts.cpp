#include "core/result_counts.h"

#include "util/html_text.h"
#include "util/json_reading.h"

#include <algorithm>

std::string SearchRequestURL(const EngineProfile& engine, const std::string& keyword, int searchMode)
{
    return (searchMode == 0 ? engine.Precise : engine.Broad).Expand(TemplateValues::ForKeyword(keyword));
}

std::vector<std::string> SearchRequestHeaders(const EngineProfile& engine, const std::string& keyword)
{
    std::vector<std::string> lines;
    lines.reserve(engine.Headers.size());
    for (const RequestTemplate& header : engine.Headers)
        lines.push_back(header.ExpandHeader(TemplateValues::ForKeyword(keyword)));
    return lines;
}

std::string ReadResultCount(const EngineProfile& engine, const std::string& page)
{
    if (engine.Format == PageFormat::Json)
        return ReadJsonCount(page, engine.Count);
    std::string_view working = page;
    CutBetween(working, engine.Skip, engine.Start);
    return CutBetween(working, engine.Start, engine.End);
}

std::string RunPositionText(int row, int rows)
{
    return "Row " + std::to_string(row + 1) + " of " + std::to_string(rows);
}

void GatherSearchCounts(KeywordList& list, GatherHost& host, const std::vector<EngineProfile>& engines,
                        int searchMode)
{
    const int rows = list.CountRows();
    // The table's columns follow the profile; should they not (yet), only the engines
    // that have a column are asked.
    const std::size_t asked = std::min(engines.size(), static_cast<std::size_t>(list.EngineCount()));
    for (int row = 0; row < rows; ++row) {
        if (host.StopRequested() || row >= list.CountRows())
            return;
        host.ShowRunPosition(row, rows);
        for (std::size_t e = 0; e < asked; ++e) {
            const EngineProfile& engine = engines[e];
            const std::string& keyword = list.CellText(row, KeywordRow::Keywords);
            const std::string url = SearchRequestURL(engine, keyword, searchMode);
            std::string page;
            // A failure sets the stop flag, so the next engines return at once without a
            // request and the run ends at the next row.
            const bool fetched = engine.Headers.empty()
                                     ? host.FetchPage(url, page)
                                     : host.FetchPageWith(url, SearchRequestHeaders(engine, keyword), page);
            if (!fetched)
                continue;
            list.SetCellText(row, KeywordRow::FirstEngineCell + static_cast<int>(e), ReadResultCount(engine, page));
            host.PumpMessages();
            if (host.StopRequested())
                return;
        }
    }
}
