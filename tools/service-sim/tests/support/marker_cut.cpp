#include "marker_cut.h"

const CountMarkers googleMarkers { "<font size=-1>Results", "of about <b>", "</b>" };
const CountMarkers yahooMarkers { "\"infotext\">", "of ", " for " };
const CountMarkers msnMarkers { "<span id=\"count\">", " of ", "</span>" };

static std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// 1. No start (or an empty one): nothing, working unchanged. 2. Working becomes the text
// after start. 3./4. With end found there, the fragment is what precedes it and working
// begins with end. 5. Without end: nothing, working stays after start.
std::string CutBetween(std::string& working, std::string_view start, std::string_view end)
{
    std::size_t at = start.empty() ? std::string::npos : Upper(working).find(Upper(start));
    if (at == std::string::npos)
        return {};
    working.erase(0, at + start.size());
    std::size_t endAt = end.empty() ? std::string::npos : Upper(working).find(Upper(end));
    if (endAt == std::string::npos)
        return {};
    std::string fragment = working.substr(0, endAt);
    working.erase(0, endAt);
    return fragment;
}

std::string ReadCount(std::string_view page, const CountMarkers& markers)
{
    std::string working(page);
    CutBetween(working, markers.Skip, markers.ValueStart);
    return CutBetween(working, markers.ValueStart, markers.ValueEnd);
}
