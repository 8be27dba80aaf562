// A service profile's header lines (API keys and the like) put into a client's request
// for one fetch, and taken out again afterwards, whatever way the fetch ends.
#pragma once

#include "net/http.h"

#include <string>
#include <utility>
#include <vector>

class HeaderLinesScope {
public:
    // The lines go with the request for `url` and its redirects to the same origin only.
    HeaderLinesScope(TIdHTTP& client, const std::string& url, const std::vector<std::string>& headers);
    ~HeaderLinesScope();

    HeaderLinesScope(const HeaderLinesScope&) = delete;
    HeaderLinesScope& operator=(const HeaderLinesScope&) = delete;

private:
    void Restore();

    TIdHTTP& FClient;
    TIdHTTPRequest& FRequest;
    TIdCustomHTTP::TIdHTTPOnRedirectEvent FPrevious;
    // Fields of the request record a line set, with the values they had.
    std::vector<std::pair<std::string*, std::string>> FSaved;
};
