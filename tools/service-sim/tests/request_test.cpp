#include "request.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestTest, HeadEndsAtTheFirstEmptyLine)
{
    struct Case {
        std::string Buffer;
        std::size_t Length;
    };
    const Case cases[] = {
        { "GET / HTTP/1.1\r\nHost: h\r\n\r\nGET /next", 27 },
        { "GET / HTTP/1.1\nHost: h\n\n", 24 },
        { "GET / HTTP/1.1\r\n\r\n", 18 },
        { "GET / HTTP/1.1\r\nHost: h\r\n", 0 },
        { "GET / HTTP/1.1\r\nHost: h\r\n\r", 0 },
        { "", 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindHeadLength(c.Buffer), c.Length) << c.Buffer;
}

TEST(RequestTest, ParsesTheProgramsRequest)
{
    std::optional<Request> request = ParseRequestHead("GET /search?q=%22golf+clubs%22&r=1 HTTP/1.1\r\n"
                                                      "Content-Type: text/html\r\n"
                                                      "Host: 127.0.0.1:8301\r\n"
                                                      "Accept: text/html, */*\r\n"
                                                      "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n\r\n");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->Method, "GET");
    EXPECT_EQ(request->Target, "/search?q=%22golf+clubs%22&r=1");
    EXPECT_EQ(request->Path, "/search");
    EXPECT_EQ(request->Version, "HTTP/1.1");
    ASSERT_TRUE(request->Parameter("q"));
    EXPECT_EQ(request->Parameter("q")->Value, "\"golf clubs\"");
    EXPECT_TRUE(request->Parameter("r"));
    EXPECT_FALSE(request->Parameter("Q"));
    EXPECT_EQ(request->Header("user-agent").value_or(""), "Mozilla/3.0 (compatible; Talvira)");
    EXPECT_EQ(request->Header("ACCEPT").value_or(""), "text/html, */*");
    EXPECT_FALSE(request->Header("Connection"));
}

TEST(RequestTest, TargetWithRawBytesStaysWhole)
{
    // The client sends what the user typed: bytes above 127, a tab, even a stray space.
    std::optional<Request> request = ParseRequestHead("GET /search?q=caf\xe9\tau lait HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->Target, "/search?q=caf\xe9\tau lait");
    EXPECT_EQ(request->Parameter("q")->Value, "caf\xe9\tau lait");
}

TEST(RequestTest, MalformedRequestLinesAreRefused)
{
    for (const char* head : { "\r\n\r\n", "GET\r\n\r\n", "GET /\r\n\r\n", "GET / FTP/1.0\r\n\r\n", " / HTTP/1.1\r\n\r\n" })
        EXPECT_FALSE(ParseRequestHead(head)) << head;
}

TEST(RequestTest, QueryComponentsAreFormDecoded)
{
    struct Case {
        const char* Encoded;
        std::string Decoded;
    };
    const Case cases[] = {
        { "golf+clubs", "golf clubs" },
        { "%22golf+clubs%22", "\"golf clubs\"" },
        { "%2b%2B", "++" },
        { "100%", "100%" },
        { "%zz%4", "%zz%4" },
        { "%e9t%C3%A9", "\xe9t\xc3\xa9" },
        { "a%00b", std::string("a\0b", 3) },
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeQueryComponent(c.Encoded), c.Decoded) << c.Encoded;
}

TEST(RequestTest, QueryIsSplitAtAmpersands)
{
    std::vector<QueryParameter> parameters = ParseQuery("q=AT&T&&start=10&flag&=x");
    ASSERT_EQ(parameters.size(), 5u);
    EXPECT_EQ(parameters[0].Name, "q");
    EXPECT_EQ(parameters[0].Value, "AT");
    EXPECT_EQ(parameters[1].Name, "T");
    EXPECT_EQ(parameters[2].Name, "start");
    EXPECT_EQ(parameters[2].Value, "10");
    EXPECT_EQ(parameters[3].Name, "flag");
    EXPECT_EQ(parameters[3].Value, "");
    EXPECT_EQ(parameters[4].Name, "");
}

TEST(RequestTest, ConnectionIsKeptByDefaultInHttp11Only)
{
    struct Case {
        const char* Head;
        bool Close;
    };
    const Case cases[] = {
        { "GET / HTTP/1.1\r\n\r\n", false },
        { "GET / HTTP/1.1\r\nConnection: close\r\n\r\n", true },
        { "GET / HTTP/1.1\r\nconnection:  Close \r\n\r\n", true },
        { "GET / HTTP/1.1\r\nConnection: keep-alive\r\n\r\n", false },
        { "GET / HTTP/1.0\r\n\r\n", true },
        { "GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseRequestHead(c.Head)->WantsClose(), c.Close) << c.Head;
}

TEST(RequestTest, BodyLengthComesFromContentLength)
{
    EXPECT_EQ(ParseRequestHead("POST / HTTP/1.1\r\nContent-Length: 12\r\n\r\n")->BodyLength(), 12u);
    EXPECT_EQ(ParseRequestHead("GET / HTTP/1.1\r\n\r\n")->BodyLength(), 0u);
    EXPECT_EQ(ParseRequestHead("GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n")->BodyLength(), 0u);
}

}
