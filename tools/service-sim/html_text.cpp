#include "html_text.h"

#include "ascii.h"

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

static bool IsAsciiAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string FormEncode(std::string_view text)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (IsAsciiAlphanumeric(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 15];
        }
    }
    return encoded;
}

std::string Slug(std::string_view text)
{
    std::string slug;
    bool pendingDash = false;
    for (char c : text) {
        if (!IsAsciiAlphanumeric(c)) {
            pendingDash = !slug.empty();
            continue;
        }
        if (pendingDash)
            slug += '-';
        pendingDash = false;
        slug += AsciiLower(c);
    }
    return slug.empty() ? "web" : slug;
}
