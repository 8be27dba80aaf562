#include "net/header_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TIdHeaderList ListOf(const std::vector<std::string>& lines)
{
    TIdHeaderList list;
    for (const std::string& line : lines)
        list.Add(line);
    return list;
}

TEST(HeaderList, NamesAndValuesOfLines)
{
    TIdHeaderList list = ListOf({"Content-Type: text/html", "X-Empty:", "no colon here", "Odd :  spaced value  ",
                                 "Url: http://h:81/x"});
    EXPECT_EQ(list.NameAt(0), "CONTENT-TYPE");
    EXPECT_EQ(list.ValueAt(0), "text/html");
    EXPECT_EQ(list.NameAt(1), "X-EMPTY");
    EXPECT_EQ(list.ValueAt(1), "");
    EXPECT_EQ(list.NameAt(2), "");
    EXPECT_EQ(list.NameAt(3), "ODD ");
    EXPECT_EQ(list.ValueAt(3), "spaced value");
    EXPECT_EQ(list.ValueAt(4), "http://h:81/x");
    EXPECT_EQ(list.ValueAt(5), "");
    EXPECT_EQ(list.ValueAt(-1), "");

    list.MatchCase = true;
    EXPECT_EQ(list.NameAt(0), "Content-Type");
}

TEST(HeaderList, ContinuationLinesAreJoinedWithOneSpace)
{
    TIdHeaderList list = ListOf({"Location:", " /next", "X-Long: a  ", "\t b ", "   c", "Next: 1", " "});
    EXPECT_EQ(list.ValueOf("Location"), "/next");
    EXPECT_EQ(list.ValueOf("x-long"), "a b c");
    EXPECT_EQ(list.ValueOf("Next"), "1");

    list.JoinContinuations = false;
    EXPECT_EQ(list.ValueOf("X-Long"), "a");
    EXPECT_EQ(list.ValueOf("Location"), "");
}

TEST(HeaderList, FindNameIgnoresCaseAndTakesTheFirst)
{
    const TIdHeaderList list = ListOf({"Set-Cookie: a=1", "set-cookie: b=2", "Server: s"});
    EXPECT_EQ(list.FindName("SET-COOKIE"), 0);
    EXPECT_EQ(list.FindName("server"), 2);
    EXPECT_EQ(list.FindName("Serve"), -1);
    EXPECT_EQ(list.FindName(""), -1);
    EXPECT_EQ(list.ValueOf("Set-cookie"), "a=1");
    EXPECT_EQ(list.ValueOf("Missing"), "");
}

TEST(HeaderList, SetValueOfReplacesInPlaceAppendsOrRemoves)
{
    TIdHeaderList list = ListOf({"A: 1", "B: 2", " more of b", "C: 3"});
    list.SetValueOf("b", "two");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"A: 1", "b: two", "C: 3"}));
    list.SetValueOf("D", "4");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"A: 1", "b: two", "C: 3", "D: 4"}));
    list.SetValueOf("A", "");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"b: two", "C: 3", "D: 4"}));
    list.SetValueOf("Absent", "");
    EXPECT_EQ(list.Count(), 3);

    TIdHeaderList withContinuation = ListOf({"A: 1", " cont", "B: 2"});
    withContinuation.SetValueOf("A", "");
    EXPECT_EQ(withContinuation.Lines(), (std::vector<std::string>{"B: 2"}));
}

TEST(HeaderList, SeparatorAndNoFolding)
{
    TIdHeaderList list;
    list.Separator = "=";
    list.FoldOnSet = false;
    const std::string longValue(200, 'x');
    list.SetValueOf("Password", longValue + " y");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "Password=" + longValue + " y");
    EXPECT_EQ(list.ValueOf("PASSWORD"), longValue + " y");
}

TEST(HeaderList, ExtractAllCollectsEveryValueInOrder)
{
    const TIdHeaderList list =
        ListOf({"WWW-Authenticate: Basic realm=\"a\"", "Server: s", "www-authenticate: Digest", " nonce=1"});
    TIdHeaderList values = ListOf({"kept"});
    list.ExtractAll("WWW-Authenticate", &values);
    EXPECT_EQ(values.Lines(), (std::vector<std::string>{"kept", "Basic realm=\"a\"", "Digest nonce=1"}));
    list.ExtractAll("WWW-Authenticate", nullptr);
}

TEST(HeaderList, TextEndsEveryLineWithCrLf)
{
    EXPECT_EQ(ListOf({"A: 1", "B: 2"}).Text(), "A: 1\r\nB: 2\r\n");
    EXPECT_EQ(TIdHeaderList().Text(), "");
}

TEST(HeaderList, AssignCopiesLinesOnly)
{
    TIdHeaderList target;
    target.FoldWidth = 1024;
    target.Assign(ListOf({"A: 1"}));
    EXPECT_EQ(target.Lines(), (std::vector<std::string>{"A: 1"}));
    EXPECT_EQ(target.FoldWidth, 1024);
}

// --- Folding -----------------------------------------------------------------------------------

TEST(WrapHeaderText, BreaksAfterTheLastBreakCharacterPastTheWidth)
{
    EXPECT_EQ(WrapHeaderText("aaa bbb ccc", "\r\n ", " \t,", 5), "aaa \r\n bbb \r\n ccc");
    EXPECT_EQ(WrapHeaderText("aaa,bbb", "\r\n ", " \t,", 4), "aaa,\r\n bbb");
    EXPECT_EQ(WrapHeaderText("short", "\r\n ", " \t,", 78), "short");
    // No break character: the text stays whole however long it is.
    EXPECT_EQ(WrapHeaderText(std::string(100, 'x'), "\r\n ", " \t,", 10), std::string(100, 'x'));
    // A break text already in the text is a break of its own.
    EXPECT_EQ(WrapHeaderText("a\r\n b c", "\r\n ", " \t,", 78), "a\r\n b c");
    // Never inside double quotes.
    EXPECT_EQ(WrapHeaderText("x \"a b c d e f\" y", "\r\n ", " \t,", 4), "x \r\n \"a b c d e f\" y");
}

TEST(FoldHeaderLine, ShortLineIsOnePiece)
{
    const TIdHeaderList list;
    EXPECT_EQ(list.FoldHeaderLine("Host: h"), (std::vector<std::string>{"Host: h"}));
    EXPECT_EQ(list.FoldHeaderLine(""), (std::vector<std::string>{""}));
}

TEST(FoldHeaderLine, PiecesLoseTrailingBlanksAndContinueWithASpace)
{
    TIdHeaderList list;
    list.FoldWidth = 5;
    EXPECT_EQ(list.FoldHeaderLine("aaa bbb ccc"), (std::vector<std::string>{"aaa", " bbb", " ccc"}));
}

// A 2,000-character value set into the raw lines of a record (fold width 1024).
TEST(FoldHeaderLine, LongValueIsFoldedOutsideQuotes)
{
    std::string value;
    for (int i = 0; value.size() < 2000; ++i) {
        value += (i % 7 == 3) ? "\"quoted, with blanks " + std::to_string(i) + "\"" : "word" + std::to_string(i);
        value += (i % 5 == 0) ? ", " : (i % 5 == 1 ? "\t" : " ");
    }
    value.resize(2000);
    while (value.back() == ' ' || value.back() == '\t' || value.back() == ',' || value.back() == '"')
        value.pop_back();

    TIdHeaderList list;
    list.FoldWidth = 1024;
    list.Add("Before: 1");
    list.SetValueOf("X-Long", value);
    list.Add("After: 2");

    ASSERT_GE(list.Count(), 4);
    EXPECT_EQ(list[0], "Before: 1");
    EXPECT_EQ(list[list.Count() - 1], "After: 2");
    size_t offset = 0; // where the current piece's text stands in the value
    for (int i = 1; i < list.Count() - 1; ++i) {
        const std::string& piece = list[i];
        EXPECT_LE(piece.size(), 1024u) << "piece " << i;
        EXPECT_EQ(std::count(piece.begin(), piece.end(), '"') % 2, 0) << "broken inside quotes: piece " << i;
        const std::string body = i == 1 ? piece.substr(std::string("X-Long: ").size()) : piece.substr(1);
        if (i > 1) {
            EXPECT_EQ(piece.front(), ' ') << "piece " << i;
        }
        const size_t at = value.find(body.substr(0, body.find_last_not_of(" \t") + 1), offset);
        ASSERT_NE(at, std::string::npos) << "piece " << i << " is not part of the value";
        offset = at + body.size();
        if (i < list.Count() - 2) {
            const char next = value[offset];
            EXPECT_TRUE(body.back() == ',' || next == ' ' || next == '\t' || next == ',') << "piece " << i;
        }
    }
    EXPECT_EQ(list.FindName("X-Long"), 1);

    // Setting it again replaces every piece; reading it joins the pieces.
    list.SetValueOf("X-Long", "short");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Before: 1", "X-Long: short", "After: 2"}));
}

} // namespace
