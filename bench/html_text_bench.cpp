// Figures for the page text operations on page-sized input:
//   - walking a 1 MB suggestion page of 10,000 rows with CutBetween the way the
//     suggestion reader does (target: the whole walk under 20 ms), once over a working
//     string and once over a working view;
//   - CleanHtml of a 1 MB text holding 100,000 listed tags (target: under 50 ms).
#include "util/html_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr int SuggestionRows = 10000;
constexpr size_t PageBytes = 1000000;

std::string SuggestionPage()
{
    std::string page = "<html><body><table><thead><tr><th>Count</th><th>Keyword</th></tr></thead>"
                       "<tfoot><tr><td>footer</td></tr></tfoot>\r\n<tbody>\r\n";
    const size_t rowBytes = PageBytes / SuggestionRows;
    for (int i = 1; i <= SuggestionRows; ++i) {
        std::string row = "<TR><TD>" + std::to_string(100000 - i) + "</TD><td class=\"k\"><a href=\"/q?s=golf+" +
                          std::to_string(i) + "\">golf clubs <b>" + std::to_string(i) + "</b></a></td>";
        if (row.size() + 7 < rowBytes)
            row.append(rowBytes - row.size() - 7, ' ');
        page += row + "</tr>\r\n";
    }
    page += "</tbody></table></body></html>\r\n";
    return page;
}

// The suggestion reader's loop; returns the number of rows read so the work is used.
template <typename Working>
int ReadSuggestions(Working& working)
{
    CutBetween(working, "</tfoot>", ">");
    int rows = 0;
    std::string count = CleanHtml(CutBetween(working, "<tr><td>", "</td>"));
    while (!count.empty()) {
        const std::string phrase = CleanHtml(CutBetween(working, "\">", "</a>"));
        rows += phrase.empty() ? 0 : 1;
        count = CleanHtml(CutBetween(working, "<tr><td>", "</td>"));
    }
    return rows;
}

std::string TaggedText()
{
    static const char* const tags[] = {"<b>", "</b>", "<td>", "</td>", "<br>", "&amp;", "<BR>",
                                       "</TR>", "&nbsp;", "\"", "\r", "\n", "<p>", "</font>"};
    constexpr int TagCount = 100000;
    const size_t fill = PageBytes / TagCount;
    std::string text;
    text.reserve(PageBytes + 64);
    for (int i = 0; i < TagCount; ++i) {
        const std::string tag = tags[i % std::size(tags)];
        text += tag;
        text.append(fill > tag.size() ? fill - tag.size() : 1, static_cast<char>('a' + i % 26));
    }
    return text;
}

template <typename Work>
double BestMilliseconds(int repeats, Work work)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count());
    }
    return best;
}

} // namespace

int main()
{
    const std::string page = SuggestionPage();
    int rows = 0;
    const double viewMs = BestMilliseconds(10, [&] {
        std::string_view working = page;
        rows = ReadSuggestions(working);
    });
    std::printf("CutBetween walk over a view:   %zu bytes, %d rows, %.2f ms (target < 20 ms)\n", page.size(),
                rows, viewMs);
    const double stringMs = BestMilliseconds(3, [&] {
        std::string working = page;
        rows = ReadSuggestions(working);
    });
    std::printf("CutBetween walk over a string: %zu bytes, %d rows, %.2f ms (copy of the page included)\n",
                page.size(), rows, stringMs);

    const std::string tagged = TaggedText();
    size_t cleanedSize = 0;
    const double cleanMs = BestMilliseconds(10, [&] { cleanedSize = CleanHtml(tagged).size(); });
    std::printf("CleanHtml: %zu bytes with 100000 tags -> %zu bytes, %.2f ms (target < 50 ms)\n", tagged.size(),
                cleanedSize, cleanMs);
    std::printf("TABLE|CutBetween walk over a 1 MB page (ms)|%.2f|||< 20\n", viewMs);
    std::printf("TABLE|CleanHtml of 1 MB with 100,000 tags (ms)|%.2f|||< 50\n", cleanMs);
    return 0;
}
