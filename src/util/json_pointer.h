// A JSON pointer (RFC 6901): "" names the whole document, "/a/0" the first element of
// the array under key "a". "~1" in a token stands for "/", "~0" for "~".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class JsonPointer {
public:
    // Nothing when the text is neither empty nor starts with "/", or holds a "~" that is
    // not followed by "0" or "1".
    static std::optional<JsonPointer> Parse(std::string_view text);

    const std::vector<std::string>& Tokens() const { return FTokens; }
    // Whether the token names array element `index`: decimal digits without a leading
    // zero ("-", the element past the end, names none).
    static bool NamesIndex(const std::string& token, unsigned long long index);

private:
    std::vector<std::string> FTokens;
};
