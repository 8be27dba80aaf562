// Putting user text into pages and links.
#pragma once

#include <string>
#include <string_view>

// Escapes & < > " and ' so that a keyword shown in a page can never form markup, and so
// never a marker the program looks for.
std::string HtmlEscape(std::string_view text);

// Encodes a query value for a link: letters, digits and "-._~" stay, a space becomes "+",
// every other byte becomes "%XX".
std::string FormEncode(std::string_view text);

// A host or path word made from the keyword: lower-case ASCII letters and digits, every
// run of other bytes one "-", none at either end; "web" when nothing is left.
std::string Slug(std::string_view text);
