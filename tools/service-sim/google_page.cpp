#include "html_text.h"
#include "result_page.h"

// Laid out like Google's result page of the late 2000s. The count sits in the results
// header: "<font size=-1>Results" ... "of about <b>" count "</b>", and nothing between
// the two holds either marker again.
std::string RenderGooglePage(const ResultPage& page)
{
    std::string shown = HtmlEscape(page.Query.Display());
    std::string link = "/search?q=" + FormEncode(page.Query.Display());
    std::string last = std::to_string(page.Entries.size());

    std::string html;
    html += "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">"
            "<title>" + shown + " - Google Search</title>\n"
            "<style>body,td,div,.p,a{font-family:arial,sans-serif}.g{margin:1em 0}.a,.a:link{color:#008000}"
            ".fl:link{color:#77c}</style></head>\n"
            "<body bgcolor=#ffffff text=#000000 link=#0000cc vlink=#551a8b alink=#ff0000 topmargin=3 marginheight=3>\n"
            "<table border=0 cellpadding=0 cellspacing=0 width=100%><tr>"
            "<td valign=top><a href=\"/\"><b><font size=+2 color=#3366cc>Google</font></b></a></td>"
            "<td>&nbsp;&nbsp;</td><td width=100% valign=top>"
            "<form name=gs method=GET action=/search>"
            "<input type=text name=q size=41 maxlength=2048 value=\"" + shown + "\" title=\"Search\"> "
            "<input type=submit name=btnG value=\"Search\"> "
            "<font size=-2><a href=\"/advanced_search\">Advanced Search</a></font></form></td></tr></table>\n"
            "<table width=100% border=0 cellpadding=0 cellspacing=0><tr>"
            "<td bgcolor=#e5ecf9 nowrap><font size=+1>&nbsp;<b>Web</b></font>&nbsp;</td>"
            "<td bgcolor=#e5ecf9 align=right nowrap>";
    if (page.Features == PageFeatures::Present) {
        html += "<font size=-1>Results <b>1</b> - <b>" + last + "</b> of about <b>" + page.CountText
            + "</b> for <b>" + shown + "</b>. (<b>" + page.Seconds + "</b> seconds)&nbsp;</font>";
    } else {
        html += "<font size=-1>Web pages for <b>" + shown + "</b>&nbsp;</font>";
    }
    html += "</td></tr></table>\n<div id=res>\n";

    for (const ResultEntry& entry : page.Entries) {
        html += "<div class=g><h2 class=r><a href=\"http://" + entry.Address + "\" class=l>" + entry.Title
            + "</a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td class=j><font size=-1>"
            + entry.Snippet + "<br><span class=a>" + entry.Address + " - 14k - </span>"
            "<nobr><a class=fl href=\"/search?q=cache:" + FormEncode(entry.Address) + "\">Cached</a> - "
            "<a class=fl href=\"/search?q=related:" + FormEncode(entry.Address) + "\">Similar pages</a></nobr>"
            "</font></td></tr></table></div>\n";
    }

    html += "</div>\n<br clear=all><div id=navbar class=n><table border=0 cellpadding=0 width=1% cellspacing=0 "
            "align=center><tr align=center><td nowrap>Result Page:&nbsp;</td><td><b>1</b></td>";
    for (int number = 2; number <= 5; ++number)
        html += "<td><a href=\"" + link + "&amp;start=" + std::to_string((number - 1) * 10) + "\">"
            + std::to_string(number) + "</a></td>";
    html += "<td nowrap><a href=\"" + link + "&amp;start=10\"><b>Next</b></a></td></tr></table></div>\n"
            "<center><font size=-1><a href=\"/\">Google Home</a> - <a href=\"/intl/en/ads/\">Advertising Programs</a>"
            " - <a href=\"/services/\">Business Solutions</a> - <a href=\"/intl/en/about.html\">About Google</a>"
            "</font><p><font size=-2>&copy;2008 Google</font></p></center>\n</body></html>\n";
    return html;
}
