// A request record assigned to the client. The bytes of the program's own request heads
// are exchange cases in tests/net/cases/request_heads.cases.
#include "support/net/http_test_client.h"

TEST(HttpRequestHead, AssigningTheRequestCopiesItsFields)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    TIdHTTPRequest settings;
    settings.UserAgent = "Probe/1.0";
    settings.Referer = "http://from.test/";
    settings.CustomHeaders.Add("X-Extra: 1");
    client.http.SetRequest(settings);
    settings.UserAgent = "changed afterwards";
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), "GET / HTTP/1.1\r\n"
                                  "Content-Type: text/html\r\n"
                                  "X-Extra: 1\r\n"
                                  "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
                                  "Accept: text/html, */*\r\n"
                                  "Referer: http://from.test/\r\n"
                                  "User-Agent: Probe/1.0\r\n"
                                  "\r\n");
}
