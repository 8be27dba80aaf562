#include "core/request_template.h"

namespace {

const char* const HexDigits = "0123456789ABCDEF";

void AppendEscaped(std::string& text, unsigned char c)
{
    text += '%';
    text += HexDigits[c >> 4];
    text += HexDigits[c & 15];
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

} // namespace

std::string PlussedKeyword(std::string_view keyword)
{
    std::string plussed(keyword);
    for (char& c : plussed)
        if (c == ' ')
            c = '+';
    return plussed;
}

std::string PercentEncodedKeyword(std::string_view keyword)
{
    std::string encoded;
    encoded.reserve(keyword.size() * 3);
    for (const char c : keyword) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte))
            encoded += c;
        else
            AppendEscaped(encoded, byte);
    }
    return encoded;
}

std::string RequestTemplate::Expand(const TemplateValues& values) const
{
    std::string text;
    for (const Part& part : FParts) {
        switch (part.Fills) {
        case Slot::None:
            text += part.Text;
            break;
        case Slot::Keyword:
            text += PlussedKeyword(values.Keyword);
            break;
        case Slot::KeywordUrl:
            text += PercentEncodedKeyword(values.Keyword);
            break;
        case Slot::Answer:
            text += values.Answer;
            break;
        case Slot::Random:
            text += values.Random;
            break;
        case Slot::Seed:
            text += values.Seed;
            break;
        }
    }
    return text;
}

std::string RequestTemplate::ExpandHeader(const TemplateValues& values) const
{
    const std::string line = Expand(values);
    std::string safe;
    safe.reserve(line.size());
    for (const char c : line) {
        if (IsControl(static_cast<unsigned char>(c)))
            AppendEscaped(safe, static_cast<unsigned char>(c));
        else
            safe += c;
    }
    return safe;
}

std::optional<RequestTemplate> RequestTemplate::Compile(std::string_view text, const std::string& key,
                                                        const std::function<std::string(const std::string&)>& root,
                                                        bool challenge, std::string& unknown)
{
    RequestTemplate compiled;
    std::string literal;
    const auto addSlot = [&](Slot slot) {
        if (!literal.empty())
            compiled.FParts.push_back({std::move(literal), Slot::None});
        literal.clear();
        compiled.FParts.push_back({{}, slot});
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            literal += text.substr(at);
            break;
        }
        literal += text.substr(at, open - at);
        const std::string name(text.substr(open + 1, close - open - 1));
        at = close + 1;
        if (name == "keyword")
            addSlot(Slot::Keyword);
        else if (name == "keyword:url")
            addSlot(Slot::KeywordUrl);
        else if (challenge && name == "answer")
            addSlot(Slot::Answer);
        else if (challenge && name == "random")
            addSlot(Slot::Random);
        else if (challenge && name == "seed")
            addSlot(Slot::Seed);
        else if (name == "key")
            literal += key;
        else if (name.starts_with("root:") && name.size() > 5)
            literal += root(name.substr(5));
        else {
            unknown = "{" + name + "}";
            return std::nullopt;
        }
    }
    if (!literal.empty())
        compiled.FParts.push_back({std::move(literal), Slot::None});
    return compiled;
}
