// A request address or header line of a service profile, with its placeholders found
// once when the profile is read: {keyword}, {keyword:url} and the challenge's {answer},
// {random}, {seed} are filled in for each request; {key} and {root:NAME} are already
// text by then.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a request fills in. The challenge values are set only for an answer address.
struct TemplateValues {
    std::string_view Keyword;
    std::string_view Answer;
    std::string_view Random;
    std::string_view Seed;

    static TemplateValues ForKeyword(std::string_view keyword)
    {
        TemplateValues values;
        values.Keyword = keyword;
        return values;
    }
};

class RequestTemplate {
public:
    enum class Slot { None, Keyword, KeywordUrl, Answer, Random, Seed };
    struct Part {
        std::string Text; // for Slot::None
        Slot Fills = Slot::None;
        bool operator==(const Part&) const = default;
    };

    bool Empty() const { return FParts.empty(); }
    // The text with every placeholder filled in.
    std::string Expand(const TemplateValues& values) const;
    // The same, for a header line: a control byte (an inserted keyword may hold one) is
    // written as %XX, so a value can never end the line or start another.
    std::string ExpandHeader(const TemplateValues& values) const;

    bool operator==(const RequestTemplate&) const = default;

    // Reads the placeholders of text. `key` fills {key}; `root` answers {root:NAME}.
    // With challenge false, {answer}, {random} and {seed} are unknown. An unknown
    // placeholder, "{" and "}" enclosing anything else, gives nothing and its text in
    // `unknown`; a "{" that no "}" follows is text.
    static std::optional<RequestTemplate> Compile(std::string_view text, const std::string& key,
                                                  const std::function<std::string(const std::string&)>& root,
                                                  bool challenge, std::string& unknown);

private:
    std::vector<Part> FParts;
};

// The keyword as the built-in requests insert it: every blank becomes "+", nothing else.
std::string PlussedKeyword(std::string_view keyword);
// The keyword's bytes percent-encoded (upper-case hex), only the unreserved characters
// of URIs (letters, digits, "-", ".", "_", "~") kept: a blank is "%20".
std::string PercentEncodedKeyword(std::string_view keyword);
