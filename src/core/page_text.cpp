#include "core/page_text.h"

std::string ToPageText(std::string_view body)
{
    body = body.substr(0, body.find('\0'));
    std::string text;
    text.reserve(body.size() + body.size() / 32 + 2);
    std::size_t i = 0;
    while (i < body.size()) {
        const std::size_t end = body.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            text.append(body.substr(i));
            break;
        }
        text.append(body.substr(i, end - i));
        text += "\r\n";
        i = end + ((body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1);
    }
    if (!text.empty() && !text.ends_with("\r\n"))
        text += "\r\n";
    return text;
}
