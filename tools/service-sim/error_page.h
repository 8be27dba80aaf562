// The small pages that go with answers that are not a service's own page.
#pragma once

#include "response.h"

#include <string_view>

// A page naming the status, as a web server's default error page does.
Response ErrorPage(int status);

// A 302 to `location`, with the short page that browsers show when they do not follow it.
Response RedirectPage(std::string_view location);

// A 403 whose page says the requests are blocked, as an engine answers a client it has had
// enough of.
Response BlockPage();
