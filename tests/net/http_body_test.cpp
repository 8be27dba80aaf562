// Response bodies in each framing: what reaches the destination and which work events
// announce it.
#include "support/net/http_test_client.h"
#include "support/net/pattern_bytes.h"

#include "net/errors.h"

namespace {

struct BodyCase {
    const char* name;
    std::string reply;
    bool serverCloses;
    std::string body;
    std::vector<int32_t> begins;
    int ends;
    std::string statusLine;
};

class ResponseBody : public testing::TestWithParam<BodyCase> {};

} // namespace

TEST_P(ResponseBody, ReachesTheDestinationWithItsWorkEvents)
{
    const BodyCase& c = GetParam();
    Script script = Exchange(c.reply);
    if (c.serverCloses)
        script.push_back(ScriptStep::Close());
    ScriptedServer server({script});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/page"), destination);

    EXPECT_EQ(destination.Data(), c.body);
    EXPECT_EQ(client.begins, c.begins);
    EXPECT_EQ(client.ends, c.ends);
    EXPECT_EQ(client.http.StatusLine(), c.statusLine);
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/page"));
}

INSTANTIATE_TEST_SUITE_P(
    HttpBody, ResponseBody,
    testing::Values(
        BodyCase{"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, "hello", {5}, 1,
                 "HTTP/1.1 200 OK"},
        BodyCase{"ContentLengthOverSeveralPieces",
                 "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + PatternBytes(100000), false, PatternBytes(100000),
                 {100000}, 1, "HTTP/1.1 200 OK"},
        BodyCase{"TwoChunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4\r\ndefg\r\n0\r\n\r\n",
                 false, "abcdefg", {3, 4}, 2, "HTTP/1.1 200 OK"},
        BodyCase{"ChunkSizesInHexWithExtensionsAfterABlank",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nA ;ext=1\r\n0123456789\r\n0\r\n\r\n", false,
                 "0123456789", {10}, 1, "HTTP/1.1 200 OK"},
        // Digits followed by an extension without a blank read as no number: size 0.
        BodyCase{"ChunkExtensionWithoutBlankEndsTheBody",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;ext\r\nabc\r\n0\r\n\r\n", false, "", {}, 0,
                 "HTTP/1.1 200 OK"},
        BodyCase{"UntilTheServerCloses", "HTTP/1.1 200 OK\r\n\r\nuntil close", true, "until close", {0}, 1,
                 "HTTP/1.1 200 OK"},
        BodyCase{"ContentLengthZero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, "", {}, 0,
                 "HTTP/1.1 200 OK"},
        // Nothing is read for a 204, so a server that keeps the connection open does not
        // stall the request.
        BodyCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", false, "", {}, 0, "HTTP/1.1 204 No Content"},
        BodyCase{"ShortContentLengthIsNoError", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", true, "hello",
                 {10}, 1, "HTTP/1.1 200 OK"},
        BodyCase{"InterimContinueSkipped",
                 "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, "ok", {2}, 1,
                 "HTTP/1.1 200 OK"},
        BodyCase{"StatusLineWithoutReason", "HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok", false, "ok", {2}, 1,
                 "HTTP/1.1 200"},
        BodyCase{"HeaderNamesInAnyCase", "HTTP/1.1 200 OK\r\ncontent-length:  3 \r\n\r\nabcdef", false, "abc", {3}, 1,
                 "HTTP/1.1 200 OK"}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

TEST(HttpBody, WrittenFromTheDestinationsPositionAtTheCall)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello")});
    HttpTestClient client;
    MemoryStream destination("old:");
    destination.SetPosition(4);

    client.http.HttpGet(UrlOf(server, "/"), destination);

    EXPECT_EQ(destination.Data(), "old:hello");
    FinishExchange(client, server);
}

TEST(HttpBody, TheChunkedBodyReportsItsStart)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n0\r\n\r\n")});
    HttpTestClient client;
    std::vector<std::string> statusTexts;
    client.http.OnStatus = [&](TIdComponent&, TIdStatus status, const std::string& text) {
        if (status == hsStatusText)
            statusTexts.push_back(text);
    };
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    EXPECT_EQ(statusTexts, std::vector<std::string>{"Chunk Started"});
    FinishExchange(client, server);
}

TEST(HttpBody, APeerClosingBetweenChunksRaisesClosedGracefully)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n"),
                                   {ScriptStep::Close()}})});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/"), destination), EIdConnClosedGracefully);
    EXPECT_EQ(destination.Data(), "abc");
    FinishExchange(client, server);
}
