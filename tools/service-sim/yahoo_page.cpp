#include "html_text.h"
#include "result_page.h"

// Laid out like Yahoo!'s result page of the late 2000s. The count sits in the info line:
// "\"infotext\">" ... "of " count " for ", and the text before the count holds no "of ".
std::string RenderYahooPage(const ResultPage& page)
{
    std::string shown = HtmlEscape(page.Query.Display());
    std::string link = "/search?p=" + FormEncode(page.Query.Display());
    std::string last = std::to_string(page.Entries.size());

    std::string html;
    html += "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">"
            "<title>" + shown + " - Yahoo! Search Results</title>\n"
            "<style>body{font:13px arial,sans-serif}#yschweb li{margin-bottom:14px}.url{color:#008000}</style>"
            "</head>\n<body><div id=\"doc\">\n"
            "<div id=\"hd\"><a href=\"/\" id=\"logo\">Yahoo! Search</a>\n"
            "<form id=\"sf\" name=\"s\" action=\"/search\" method=\"get\">"
            "<input type=\"text\" id=\"yschsp\" name=\"p\" value=\"" + shown + "\" size=\"40\">"
            "<input type=\"submit\" value=\"Search\" class=\"ygbt\"></form></div>\n"
            "<div id=\"bd\"><div id=\"yschinfo\">";
    if (page.Features == PageFeatures::Present) {
        html += "<p class=\"infotext\">" "1 - " + last + " of " + page.CountText + " for <strong>" + shown
            + "</strong> - <span>" + page.Seconds + " sec.</span> (<a href=\"/info\">About this page</a>)</p>";
    } else {
        html += "<p class=\"results\">Web results for <strong>" + shown + "</strong></p>";
    }
    html += "</div>\n<div id=\"yschweb\"><ol start=\"1\">\n";

    for (const ResultEntry& entry : page.Entries) {
        html += "<li><div class=\"res\"><h3><a class=\"yschttl\" href=\"http://" + entry.Address + "\">"
            + entry.Title + "</a></h3><div class=\"abstr\">" + entry.Snippet + "</div>"
            "<span class=\"url\">" + entry.Address + "</span> - "
            "<a href=\"/cache?u=" + FormEncode(entry.Address) + "\">Cached</a></div></li>\n";
    }

    html += "</ol></div>\n<div id=\"yschpg\"><strong>1</strong>";
    for (int number = 2; number <= 5; ++number)
        html += " <a href=\"" + link + "&amp;b=" + std::to_string((number - 1) * 10 + 1) + "\">"
            + std::to_string(number) + "</a>";
    html += " <a href=\"" + link + "&amp;b=11\">Next &gt;</a></div></div>\n"
            "<div id=\"ft\"><p>&copy; 2008 Yahoo! Inc. <a href=\"/privacy\">Privacy</a> / "
            "<a href=\"/legal\">Legal</a> - <a href=\"/submit\">Submit Your Site</a></p></div>\n"
            "</div></body></html>\n";
    return html;
}
