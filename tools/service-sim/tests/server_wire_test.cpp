// The real program, started as a child on a free port, spoken to over raw sockets: what
// goes over the wire for pages, keep-alive, each fault option and the request log.

#include "marker_cut.h"
#include "raw_client.h"
#include "support/net/request_head.h"
#include "support/sim/simulator_process.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace {

// The program's request head for the simulator on that port.
std::string ProgramRequest(std::string_view target, uint16_t port, std::string_view extraHeaders = "")
{
    return ProgramRequestHead(target, "127.0.0.1:" + std::to_string(port), extraHeaders);
}

constexpr const char* googlePrecise = "/search?q=%22golf+clubs%22";

WireMessage Split(const std::string& bytes)
{
    std::optional<WireMessage> message = SplitResponse(bytes);
    EXPECT_TRUE(message) << "no complete head in: " << bytes.substr(0, 200);
    return message.value_or(WireMessage {});
}

TEST(ServerWireTest, AnnouncesItsPortAndEndsCleanlyOnSigterm)
{
    SimulatorProcess sim;
    ASSERT_NE(sim.Port(), 0) << "first line: " << sim.FirstLine();
    EXPECT_EQ(sim.FirstLine(), "listening on 127.0.0.1:" + std::to_string(sim.Port()));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(ServerWireTest, ServesPagesOnOneKeptConnectionUntilTheClientSaysClose)
{
    SimulatorProcess sim;
    ASSERT_NE(sim.Port(), 0);
    RawClient client(sim.Port());
    ASSERT_TRUE(client.Connected());

    client.Send(ProgramRequest(googlePrecise, sim.Port()));
    WireMessage page = Split(client.ReadOneResponse());
    EXPECT_EQ(page.StatusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(page.Header("Content-Type").value_or(""), "text/html");
    EXPECT_EQ(page.Header("Content-Length").value_or(""), std::to_string(page.RawBody.size()));
    EXPECT_FALSE(page.Header("Connection"));
    EXPECT_NE(ReadCount(page.RawBody, googleMarkers), "");

    client.Send(ProgramRequest("/unknown/path", sim.Port()));
    WireMessage missing = Split(client.ReadOneResponse());
    EXPECT_EQ(missing.StatusLine, "HTTP/1.1 404 Not Found");

    client.Send(ProgramRequest("/results.aspx?q=golf", sim.Port(), "Connection: close\r\n"));
    WireMessage last = Split(client.ReadOneResponse());
    EXPECT_EQ(last.StatusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(last.Header("Connection").value_or(""), "close");
    EXPECT_NE(ReadCount(last.RawBody, msnMarkers), "");
    EXPECT_TRUE(client.ServerClosed());
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(ServerWireTest, PipelinedRequestsAreAnsweredInOrder)
{
    SimulatorProcess sim;
    ASSERT_NE(sim.Port(), 0);
    RawClient client(sim.Port());
    client.Send(ProgramRequest("/search?p=golf", sim.Port()) + ProgramRequest("/nothing", sim.Port())
        + ProgramRequest("/search?q=golf", sim.Port()));
    EXPECT_NE(Split(client.ReadOneResponse()).RawBody.find("Yahoo!"), std::string::npos);
    EXPECT_EQ(Split(client.ReadOneResponse()).StatusLine, "HTTP/1.1 404 Not Found");
    EXPECT_NE(Split(client.ReadOneResponse()).RawBody.find("Google"), std::string::npos);
}

TEST(ServerWireTest, MalformedRequestGetsA400AndTheConnectionEnds)
{
    SimulatorProcess sim;
    ASSERT_NE(sim.Port(), 0);
    RawClient client(sim.Port());
    client.Send("HELLO THERE\r\n\r\n");
    std::string bytes = client.ReadUntilClosed();
    EXPECT_TRUE(bytes.starts_with("HTTP/1.1 400 Bad Request\r\n")) << bytes;
}

struct FaultCase {
    const char* Name;
    std::vector<std::string> Options;
    // Talks to the server on a fresh connection and checks what came over the wire.
    std::function<void(uint16_t port)> Check;
};

void ExpectChunkedPage(uint16_t port)
{
    RawClient client(port);
    client.Send(ProgramRequest("/search?p=%22golf+clubs%22", port));
    // A second request on the same connection shows both that the connection stayed open
    // and where the chunked body ended.
    client.Send(ProgramRequest("/end", port));
    std::string bytes = client.ReadThrough("HTTP/1.1 404 Not Found\r\n");
    std::size_t next = bytes.find("HTTP/1.1 404");
    ASSERT_NE(next, std::string::npos) << "the connection did not stay open";
    WireMessage message = Split(bytes.substr(0, next));
    EXPECT_EQ(message.Header("Transfer-Encoding").value_or(""), "chunked");
    EXPECT_FALSE(message.Header("Content-Length"));
    std::optional<ChunkedBody> body = DecodeChunked(message.RawBody);
    ASSERT_TRUE(body);
    EXPECT_GT(body->ChunkCount, 1);
    EXPECT_NE(ReadCount(body->Body, yahooMarkers), "");
}

const FaultCase faultCases[] = {
    { "chunked", { "--chunked" }, ExpectChunkedPage },
    { "until-close", { "--until-close" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest(googlePrecise, port));
            WireMessage message = Split(client.ReadUntilClosed());
            EXPECT_EQ(message.StatusLine, "HTTP/1.1 200 OK");
            EXPECT_FALSE(message.Header("Content-Length"));
            EXPECT_FALSE(message.Header("Transfer-Encoding"));
            EXPECT_TRUE(message.RawBody.ends_with("</body></html>\n"));
            EXPECT_NE(ReadCount(message.RawBody, googleMarkers), "");
        } },
    { "close-mid-body", { "--close-mid-body" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest(googlePrecise, port));
            WireMessage message = Split(client.ReadUntilClosed());
            std::size_t announced = std::stoul(message.Header("Content-Length").value_or("0"));
            EXPECT_GT(announced, 1000u);
            EXPECT_EQ(message.RawBody.size(), announced / 2);
        } },
    { "redirect", { "--redirect" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest(googlePrecise, port));
            WireMessage redirect = Split(client.ReadOneResponse());
            EXPECT_EQ(redirect.StatusLine, "HTTP/1.1 302 Found");
            std::string location = redirect.Header("Location").value_or("");
            EXPECT_EQ(location, std::string(googlePrecise) + "&r=1");
            client.Send(ProgramRequest(location, port)); // on the same connection
            WireMessage page = Split(client.ReadOneResponse());
            EXPECT_EQ(page.StatusLine, "HTTP/1.1 200 OK");
            EXPECT_NE(ReadCount(page.RawBody, googleMarkers), "");
        } },
    { "status", { "--status", "503" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest(googlePrecise, port));
            WireMessage message = Split(client.ReadOneResponse());
            EXPECT_EQ(message.StatusLine, "HTTP/1.1 503 Service Unavailable");
            EXPECT_EQ(ReadCount(message.RawBody, googleMarkers), "");
        } },
    { "no-markers", { "--no-markers" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest("/results.aspx?q=golf+clubs", port));
            WireMessage message = Split(client.ReadOneResponse());
            EXPECT_EQ(message.StatusLine, "HTTP/1.1 200 OK");
            EXPECT_NE(message.RawBody.find("golf clubs"), std::string::npos);
            EXPECT_EQ(ReadCount(message.RawBody, msnMarkers), "");
        } },
    { "delay", { "--delay-ms", "300" },
        [](uint16_t port) {
            RawClient client(port);
            auto start = std::chrono::steady_clock::now();
            client.Send(ProgramRequest(googlePrecise, port));
            WireMessage message = Split(client.ReadOneResponse());
            auto waited = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(message.StatusLine, "HTTP/1.1 200 OK");
            EXPECT_GE(waited, std::chrono::milliseconds(300));
        } },
    { "only", { "--only", "yahoo", "--status", "500" },
        [](uint16_t port) {
            RawClient client(port);
            client.Send(ProgramRequest("/search?q=golf", port));
            EXPECT_EQ(Split(client.ReadOneResponse()).StatusLine, "HTTP/1.1 200 OK");
            client.Send(ProgramRequest("/search?p=golf", port));
            EXPECT_EQ(Split(client.ReadOneResponse()).StatusLine, "HTTP/1.1 500 Internal Server Error");
        } },
    { "on-request", { "--on-request", "2", "--status", "500" },
        [](uint16_t port) {
            const char* expected[] = { "HTTP/1.1 200 OK", "HTTP/1.1 500 Internal Server Error", "HTTP/1.1 200 OK" };
            for (const char* statusLine : expected) {
                RawClient client(port); // a connection per fetch, as the program does
                client.Send(ProgramRequest("/search?q=golf", port));
                EXPECT_EQ(Split(client.ReadOneResponse()).StatusLine, statusLine);
            }
        } },
};

TEST(ServerWireTest, EachFaultOptionShowsOnTheWire)
{
    for (const FaultCase& c : faultCases) {
        SCOPED_TRACE(c.Name);
        SimulatorProcess sim(c.Options);
        ASSERT_NE(sim.Port(), 0);
        c.Check(sim.Port());
        EXPECT_EQ(sim.Stop(), 0);
    }
}

TEST(ServerWireTest, ADelayedReplyHoldsUpNoOtherConnection)
{
    SimulatorProcess sim({ "--only", "yahoo", "--delay-ms", "60000" });
    ASSERT_NE(sim.Port(), 0);
    RawClient slow(sim.Port());
    slow.Send(ProgramRequest("/search?p=golf", sim.Port()));
    RawClient fast(sim.Port());
    fast.Send(ProgramRequest("/search?q=golf", sim.Port()));
    EXPECT_EQ(Split(fast.ReadOneResponse()).StatusLine, "HTTP/1.1 200 OK");
    // Stopping does not wait for the pending reply.
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(ServerWireTest, LogHoldsEveryRequestHeadExactlyAsReceived)
{
    char path[] = "/tmp/service-sim-log-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        SimulatorProcess sim({ "--log", path });
        ASSERT_NE(sim.Port(), 0);
        std::string first = ProgramRequest("/search?q=%22caf\xe9%22", sim.Port());
        std::string second = "GET /nowhere HTTP/1.0\nX-Odd:  spaced \n\n";
        RawClient client(sim.Port());
        client.Send(first);
        client.ReadOneResponse();
        client.Send(second);
        client.ReadUntilClosed();
        EXPECT_EQ(sim.Stop(), 0);

        std::ifstream log(path, std::ios::binary);
        std::stringstream contents;
        contents << log.rdbuf();
        EXPECT_EQ(contents.str(), first + second);
    }
    std::remove(path);
}

TEST(ServerWireTest, CommandLineErrorsAndABusyPortEndTheProgramWithAnError)
{
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--bogus" }), 2);
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--chunked", "--until-close" }), 2);
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--help" }), 0);
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--log", "/nonexistent-folder/x.log", "--port", "0" }), 1);

    SimulatorProcess sim;
    ASSERT_NE(sim.Port(), 0);
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--port", std::to_string(sim.Port()) }), 1);
}

}

namespace {

// With --drop 2 the second and fourth connections end before a byte of an answer; the
// others get their pages.
TEST(ServerWireTest, DropResetsEveryNthConnectionBeforeTheStatusLine)
{
    SimulatorProcess sim({ "--drop", "2" });
    ASSERT_NE(sim.Port(), 0);
    for (int connection = 1; connection <= 4; ++connection) {
        SCOPED_TRACE(connection);
        RawClient client(sim.Port());
        client.Send(ProgramRequest(googlePrecise, sim.Port(), "Connection: close\r\n"));
        const std::string answer = client.ReadUntilClosed();
        if (connection % 2 == 0)
            EXPECT_EQ(answer, "");
        else
            EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n")) << answer.substr(0, 100);
    }
    EXPECT_EQ(sim.Stop(), 0);
}

} // namespace
