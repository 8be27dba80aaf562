// Response bodies: what the framings report besides the bytes. The bytes and work events
// of each framing are exchange cases in tests/net/cases/bodies.cases and chunked.cases.
#include "support/net/http_test_client.h"

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
