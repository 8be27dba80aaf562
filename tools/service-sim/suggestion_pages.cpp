#include "suggestion_pages.h"

#include "challenge.h"
#include "html_text.h"
#include "result_count.h"

namespace {

std::string PageTop(std::string_view title)
{
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n"
           "<title>" + std::string(title) + "</title>\n"
           "<style type=\"text/css\">body{font-family:verdana,arial,sans-serif;font-size:12px}"
           "table.suggest td{padding:2px 8px}th{text-align:left;background:#dde6f0}</style></head>\n"
           "<body>\n<div id=\"masthead\"><h1>Free Keyword Suggestion Tool</h1>"
           "<p>Find the words people really type into search engines.</p></div>\n";
}

std::string SearchForm(std::string_view escapedSeed)
{
    return "<form action=\"/\" method=\"get\"><b>Keyword:</b> "
           "<input type=\"text\" name=\"seed\" size=\"40\" value=\"" + std::string(escapedSeed) + "\"> "
           "<input type=\"hidden\" name=\"adult_filter\" value=\"remove_offensive\"> "
           "<input type=\"submit\" name=\"suggest\" value=\"Hit Me\"></form>\n";
}

const char* const pageFoot = "<div id=\"footer\"><p>Figures are the searches counted over the last 60 days.</p>"
                             "<p>&copy; 2008 Keyword Suggestions</p></div>\n</body></html>\n";

} // namespace

std::string RenderSuggestionPage(std::string_view seed, const std::vector<Suggestion>& suggestions,
    PageFeatures features)
{
    const std::string escapedSeed = HtmlEscape(seed);
    std::string html = PageTop("Keyword suggestions for " + escapedSeed);
    html += SearchForm(escapedSeed);
    if (suggestions.empty()) {
        html += "<p>No suggestions: please type a keyword and press Hit Me.</p>\n";
    }
    html += "<table class=\"suggest\" border=\"0\" cellspacing=\"0\">\n"
            "<thead><tr><th>Searches</th><th>Keyword</th></tr></thead>\n";
    if (features == PageFeatures::Present) {
        html += "<tfoot><tr><td colspan=\"2\">" + std::to_string(suggestions.size()) + " suggestions for <b>"
            + escapedSeed + "</b></td></tr></tfoot>\n";
    }
    html += "<tbody>\n";
    for (const Suggestion& suggestion : suggestions) {
        // The keyword cell has no quoted attribute: the first "\">" of the row must be the
        // end of the link's address.
        html += "<tr><td>" + WithThousandsSeparators(suggestion.Searches) + "</td><td class=kw><a href=\"/?seed="
            + FormEncode(suggestion.Phrase) + "&amp;adult_filter=remove_offensive&amp;suggest=Hit+Me\">"
            + suggestion.Html + "</a></td></tr>\n";
    }
    html += "</tbody></table>\n";
    html += pageFoot;
    return html;
}

std::string RenderChallengePage(std::string_view seed, std::string_view random, std::string_view imageAddress)
{
    std::string html = PageTop("Security check - Free Keyword Suggestion Tool");
    html += "<form action=\"/keyword-suggestion-tool.html\" method=\"get\">\n"
            "<p>We have had a great many requests from your computer.</p>\n"
            "<p><b>" + std::string(challengePrompt) + "</b> below and press Continue.</p>\n"
            "<input type=\"hidden\" name=\"random\" value=\"" + std::string(random) + "\">\n"
            "<input type=\"hidden\" name=\"seed\" value=\"" + FormEncode(seed) + "\">\n"
            "<p><img src=\"" + HtmlEscape(imageAddress) + "\" width=\"" + std::to_string(challengeImageWidth) + "\" height=\""
        + std::to_string(challengeImageHeight) + "\" border=\"1\" alt=\"security image\"></p>\n"
            "<p><input type=\"text\" name=\"password\" size=\"12\"> <input type=\"submit\" value=\"Continue\"></p>\n"
            "</form>\n";
    html += pageFoot;
    return html;
}
