#include "util/json_reading.h"

#include <gtest/gtest.h>

// Found by the test printer beside the type it prints.
void PrintTo(const JsonSuggestion& s, std::ostream* out)
{
    *out << "{" << s.Phrase << ", " << s.Count << "}";
}

namespace {

JsonPointer Pointer(const char* text)
{
    return JsonPointer::Parse(text).value();
}

struct CountCase {
    const char* Name;
    std::string Page;
    std::string Pointer;
    std::string Count;
};

// "/0" n times: the way down n nested arrays.
std::string Down(int levels)
{
    std::string pointer;
    for (int i = 0; i < levels; ++i)
        pointer += "/0";
    return pointer;
}

class ReadJsonCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ReadJsonCountTest, TakesOnlyACountAtThePointer)
{
    EXPECT_EQ(ReadJsonCount(GetParam().Page, Pointer(GetParam().Pointer.c_str())), GetParam().Count);
}

const std::string Google = R"({"kind":"x","searchInformation":{"searchTime":0.2,"totalResults":"1,234,567"}})";

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadJsonCountTest,
    testing::Values(
        CountCase{"StringWithSeparators", Google, "/searchInformation/totalResults", "1,234,567"},
        CountCase{"PlainDigits", R"({"n":"0012"})", "/n", "0012"},
        CountCase{"DotsAndBlanksAsSeparators", R"(["1.234.567","12 345","9'999"])", "/1", "12 345"},
        CountCase{"Number", R"({"n":1234})", "/n", "1234"},
        CountCase{"NumberPastSixtyFourBits", R"({"n":123456789012345678901234})", "/n", "123456789012345678901234"},
        CountCase{"Fraction", R"({"n":12.5})", "/n", ""},
        CountCase{"Exponent", R"({"n":1e6})", "/n", ""},
        CountCase{"Negative", R"({"n":-5})", "/n", ""},
        CountCase{"Object", R"({"n":{"v":1}})", "/n", ""},
        CountCase{"Array", R"({"n":[1]})", "/n", ""},
        CountCase{"Null", R"({"n":null})", "/n", ""},
        CountCase{"Words", R"({"n":"about 1,000"})", "/n", ""},
        CountCase{"BadGrouping", R"({"n":"12,34"})", "/n", ""},
        CountCase{"MixedSeparators", R"({"n":"1,234.567"})", "/n", ""},
        CountCase{"TooLong", "{\"n\":\"" + std::string(41, '1') + "\"}", "/n", ""},
        CountCase{"Missing", R"({"m":"1"})", "/n", ""},
        CountCase{"ArrayIndex", R"({"items":[{"n":"1"},{"n":"2"}]})", "/items/1/n", "2"},
        CountCase{"LeadingZeroIsNoIndex", R"(["1","2"])", "/01", ""},
        CountCase{"EscapedKey", R"({"a/b":{"~":"7"}})", "/a~1b/~0", "7"},
        CountCase{"SameNameElsewhereIsNotIt", R"({"x":{"n":"1"},"n":"2"})", "/n", "2"},
        CountCase{"WholeDocument", "42", "", "42"},
        CountCase{"FirstOfTwoDuplicates", R"({"n":"1","n":"2"})", "/n", "1"},
        CountCase{"NotJson", "<html><body>Forbidden</body></html>", "/n", ""},
        CountCase{"Empty", "", "", ""},
        CountCase{"BrokenBeforeTheValue", R"({"a":[1,,2],"n":"3"})", "/n", ""},
        CountCase{"InvalidUtf8BeforeTheValue", "{\"a\":\"\xff\xfe\",\"n\":\"3\"}", "/n", ""},
        CountCase{"DeeperThanTheLimit", std::string(100000, '[') + "1" + std::string(100000, ']'), "/0", ""},
        CountCase{"NestedWithinTheLimit", std::string(100, '[') + "\"5\"" + std::string(100, ']'), Down(100), "5"}),
    [](const testing::TestParamInfo<CountCase>& info) { return info.param.Name; });

TEST(JsonPointerTest, ParsesTokensAndRefusesWhatIsNoPointer)
{
    EXPECT_EQ(Pointer("/a~1b/~01/").Tokens(), (std::vector<std::string>{"a/b", "~1", ""}));
    EXPECT_TRUE(Pointer("").Tokens().empty());
    for (const char* bad : {"a", "/a~", "/~2", " /a"})
        EXPECT_FALSE(JsonPointer::Parse(bad)) << bad;
}

struct SuggestionCase {
    const char* Name;
    std::string Page;
    const char* Items;
    const char* Phrase;
    std::optional<const char*> Count;
    std::vector<JsonSuggestion> Expected;
};

class ReadJsonSuggestionsTest : public testing::TestWithParam<SuggestionCase> {};

TEST_P(ReadJsonSuggestionsTest, OneEntryPerItemWithAPhrase)
{
    const SuggestionCase& c = GetParam();
    std::optional<JsonPointer> count;
    if (c.Count)
        count = Pointer(*c.Count);
    EXPECT_EQ(ReadJsonSuggestions(c.Page, Pointer(c.Items), Pointer(c.Phrase), count), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadJsonSuggestionsTest,
    testing::Values(
        SuggestionCase{"OpenSearch", R"(["golf",["golf clubs","golf balls"],[],{}])", "/1", "", std::nullopt,
                       {{"golf clubs", ""}, {"golf balls", ""}}},
        SuggestionCase{"ObjectsWithCounts",
                       R"({"data":{"items":[{"text":"a","n":"1,200"},{"n":300,"text":"b"},{"text":"c","n":{}}]}})",
                       "/data/items", "/text", "/n", {{"a", "1,200"}, {"b", "300"}, {"c", ""}}},
        SuggestionCase{"NestedPhrase", R"([{"q":{"v":["x","p1"]}},{"q":{"v":["y"]}}])", "", "/q/v/1", std::nullopt,
                       {{"p1", ""}}},
        SuggestionCase{"ItemsWithoutAStringPhraseAreSkipped", R"([["a",1,null,{"p":"q"},["r"],"b"]])", "/0", "",
                       std::nullopt, {{"a", ""}, {"b", ""}}},
        SuggestionCase{"TextAfterTheArrayDoesNotMatter", R"(["s",["a"]] trailing garbage)", "/1", "", std::nullopt,
                       {{"a", ""}}},
        SuggestionCase{"ItemsNotAnArray", R"({"items":{"0":"a"}})", "/items", "", std::nullopt, {}},
        SuggestionCase{"ItemsMissing", R"({"other":["a"]})", "/items", "", std::nullopt, {}},
        SuggestionCase{"BrokenInsideTheArray", R"(["s",["a","b")", "/1", "", std::nullopt, {}},
        SuggestionCase{"NotJson", "<html>bad key</html>", "/1", "", std::nullopt, {}},
        SuggestionCase{"EscapesDecoded", R"(["s",["caf\u00e9 \"x\""]])", "/1", "", std::nullopt,
                       {{"caf\xc3\xa9 \"x\"", ""}}},
        SuggestionCase{"TooDeepInsideAnItem",
                       "[[{\"p\":\"a\",\"x\":" + std::string(200, '[') + std::string(200, ']') + "}]]", "/0", "/p",
                       std::nullopt, {}}),
    [](const testing::TestParamInfo<SuggestionCase>& info) { return info.param.Name; });

} // namespace
