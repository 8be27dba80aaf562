#include "util/json_pointer.h"

#include <charconv>

std::optional<JsonPointer> JsonPointer::Parse(std::string_view text)
{
    JsonPointer pointer;
    if (text.empty())
        return pointer;
    if (text.front() != '/')
        return std::nullopt;
    std::string token;
    for (std::size_t i = 1; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/') {
            pointer.FTokens.push_back(std::move(token));
            token.clear();
            continue;
        }
        if (text[i] != '~') {
            token += text[i];
            continue;
        }
        if (i + 1 == text.size() || (text[i + 1] != '0' && text[i + 1] != '1'))
            return std::nullopt;
        token += text[i + 1] == '0' ? '~' : '/';
        ++i;
    }
    return pointer;
}

bool JsonPointer::NamesIndex(const std::string& token, unsigned long long index)
{
    if (token.empty() || (token.size() > 1 && token.front() == '0'))
        return false;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    return error == std::errc() && end == token.data() + token.size() && value == index;
}
