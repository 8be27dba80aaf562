#include "core/page_text.h"

#include <cstring>

namespace {

// The next `c` at or after `from`, or `end`.
const char* Next(const char* from, const char* end, char c)
{
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
}

} // namespace

std::string ToPageText(std::string_view body)
{
    body = body.substr(0, body.find('\0'));
    std::string text;
    text.reserve(body.size() + body.size() / 32 + 2);
    const char* at = body.data();
    const char* const end = at + body.size();
    // The next CR and the next LF are each looked for once, so a page of lone CRs is as
    // quick as one of CR LF pairs.
    const char* cr = Next(at, end, '\r');
    const char* lf = Next(at, end, '\n');
    while (at < end) {
        if (cr < at)
            cr = Next(at, end, '\r');
        if (lf < at)
            lf = Next(at, end, '\n');
        const char* const lineEnd = cr < lf ? cr : lf;
        text.append(at, lineEnd);
        text += "\r\n";
        if (lineEnd == end)
            break;
        at = lineEnd + (lineEnd == cr && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
    }
    return text;
}
