#include "core/result_counts.h"

#include "util/html_text.h"

const SearchEngine SearchEngines[3] = {
    {"Google", KeywordRow::Google, &ServiceAddresses::GoogleURL, "/search?q=", "<font size=-1>Results", "of about <b>",
     "</b>"},
    {"Yahoo", KeywordRow::Yahoo, &ServiceAddresses::YahooURL, "/search?p=", "\"infotext\">", "of ", " for "},
    {"MSN", KeywordRow::Msn, &ServiceAddresses::MsnURL, "/results.aspx?q=", "<span id=\"count\">", " of ",
     "</span>"},
};

std::string QuoteText(int searchMode)
{
    return searchMode == 0 ? "%22" : "";
}

std::string SearchRequestURL(const SearchEngine& engine, const ServiceAddresses& roots, const std::string& keyword,
                             int searchMode)
{
    std::string plussed = keyword;
    for (char& c : plussed)
        if (c == ' ')
            c = '+';
    const std::string quote = QuoteText(searchMode);
    return roots.*engine.Root + engine.Path + quote + plussed + quote;
}

std::string ReadResultCount(const SearchEngine& engine, const std::string& page)
{
    std::string_view working = page;
    CutBetween(working, engine.SkipMarker, engine.ValueStart);
    return CutBetween(working, engine.ValueStart, engine.ValueEnd);
}

std::string RunPositionText(int row, int rows)
{
    return "Row " + std::to_string(row + 1) + " of " + std::to_string(rows);
}

void GatherSearchCounts(KeywordList& list, GatherHost& host, const ServiceAddresses& roots, int searchMode)
{
    const int rows = list.CountRows();
    for (int row = 0; row < rows; ++row) {
        if (host.StopRequested() || row >= list.CountRows())
            return;
        host.ShowRunPosition(row, rows);
        for (const SearchEngine& engine : SearchEngines) {
            const std::string url = SearchRequestURL(engine, roots, list.CellText(row, KeywordRow::Keywords), searchMode);
            std::string page;
            // A failure sets the stop flag, so the next engines return at once without a
            // request and the run ends at the next row.
            if (!host.FetchPage(url, page))
                continue;
            list.SetCellText(row, engine.Cell, ReadResultCount(engine, page));
            host.PumpMessages();
            if (host.StopRequested())
                return;
        }
    }
}
