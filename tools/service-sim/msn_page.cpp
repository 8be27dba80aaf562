#include "html_text.h"
#include "result_page.h"

// Laid out like MSN Live Search's result page of the late 2000s. The count sits in the
// results header: "<span id=\"count\">" ... " of " count "</span>".
std::string RenderMsnPage(const ResultPage& page)
{
    std::string shown = HtmlEscape(page.Query.Display());
    std::string link = "/results.aspx?q=" + FormEncode(page.Query.Display());
    std::string last = std::to_string(page.Entries.size());

    std::string html;
    html += "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"
            "<title>" + shown + " - Live Search</title>\n"
            "<style>body{font:small arial,sans-serif}#results li{margin-bottom:12px}cite{color:#388222}</style>"
            "</head>\n<body>\n"
            "<div id=\"header\"><a href=\"/\" id=\"logo\">Live Search</a>"
            "<form action=\"/results.aspx\" method=\"get\" id=\"sb_form\">"
            "<input type=\"text\" name=\"q\" id=\"sb_form_q\" value=\"" + shown + "\" maxlength=\"1000\">"
            "<input type=\"submit\" value=\"Search\" id=\"sb_form_go\"></form></div>\n"
            "<div id=\"results_area\"><div id=\"results_container\"><div id=\"results_header\"><h5>";
    if (page.Features == PageFeatures::Present) {
        html += "<span id=\"count\">1-" + last + " of " + page.CountText + "</span> results &middot; "
            "<a href=\"/advanced\">Advanced</a>";
    } else {
        html += "Web results for <strong>" + shown + "</strong>";
    }
    html += "</h5></div>\n<div id=\"results\"><ul>\n";

    for (const ResultEntry& entry : page.Entries) {
        html += "<li><div class=\"sb_tlst\"><h3><a href=\"http://" + entry.Address + "\">" + entry.Title
            + "</a></h3></div><p>" + entry.Snippet + "</p><div class=\"sb_meta\"><cite>" + entry.Address
            + "</cite> &middot; <a href=\"/cache.aspx?u=" + FormEncode(entry.Address) + "\">Cached page</a>"
            "</div></li>\n";
    }

    html += "</ul></div>\n<div class=\"sb_pag\"><ul><li><span class=\"sb_pagS\">1</span></li>";
    for (int number = 2; number <= 5; ++number)
        html += "<li><a href=\"" + link + "&amp;first=" + std::to_string((number - 1) * 10 + 1) + "\">"
            + std::to_string(number) + "</a></li>";
    html += "<li><a href=\"" + link + "&amp;first=11\">Next</a></li></ul></div>\n"
            "</div></div>\n<div id=\"footer\">&copy; 2008 Microsoft | <a href=\"/privacy\">Privacy</a> | "
            "<a href=\"/legal\">Legal</a> | <a href=\"/help\">Help</a></div>\n</body></html>\n";
    return html;
}
