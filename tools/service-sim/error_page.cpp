#include "error_page.h"

#include "html_text.h"

#include <string>

Response ErrorPage(int status)
{
    std::string title = std::to_string(status) + " " + std::string(ReasonPhrase(status));
    Response response;
    response.Status = status;
    response.Headers.emplace_back("Content-Type", "text/html");
    response.Body = "<html><head><title>" + title + "</title></head>\n<body>\n<h1>" + title
        + "</h1>\n<p>The server could not answer this request.</p>\n<hr>\n<address>service-sim</address>\n"
          "</body></html>\n";
    return response;
}

Response RedirectPage(std::string_view location)
{
    std::string escaped = HtmlEscape(location);
    Response response;
    response.Status = 302;
    response.Headers.emplace_back("Location", std::string(location));
    response.Headers.emplace_back("Content-Type", "text/html");
    response.Body = "<html><head><title>302 Found</title></head>\n<body>\n<h1>Found</h1>\n"
                    "<p>The document has moved <a href=\"" + escaped + "\">here</a>.</p>\n</body></html>\n";
    return response;
}

Response BlockPage()
{
    Response response = ErrorPage(403);
    response.Body = "<html><head><title>403 Forbidden</title></head>\n<body>\n<h1>Blocked</h1>\n"
                    "<p>Our systems have detected unusual traffic from your computer; your requests are blocked."
                    "</p>\n</body></html>\n";
    return response;
}
