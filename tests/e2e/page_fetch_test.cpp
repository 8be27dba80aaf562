#include "core/page_fetch.h"
#include "net/errors.h"
#include "net/http.h"
#include "net/streams.h"
#include "support/core/recording_display.h"
#include "support/net/scripted_server.h"
#include "support/net/secure_test_client.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const char* const Completed = "Process completed sucessfull!";
const char* const ConnectionError = "Connection error, check if you are connected and url exists.";

std::string Response(const std::string& body, const std::string& status = "200 OK")
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

Script Answer(const std::string& response)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(response), ScriptStep::Close()};
}

class PageFetchTest : public testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Url(const ScriptedServer& server, const std::string& path = "/page") const
    {
        return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
    }

    std::string Scratch() const
    {
        std::ifstream in(scratch, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("talvira-fetch-" + std::to_string(::getpid()));
    std::filesystem::path scratch = folder / "test.html";
    TIdHTTP client;
    RecordingDisplay display;
    bool stop = false;
    PageFetch fetch{client, display, stop, scratch.string()};
};

TEST_F(PageFetchTest, WithTheStopFlagSetNothingHappens)
{
    ScriptedServer server{std::vector<Script>{}};
    stop = true;
    std::string page = "kept";
    EXPECT_FALSE(fetch.FetchPage(Url(server), page));
    EXPECT_EQ(page, "kept");
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_TRUE(display.MainStatus.empty());
    EXPECT_EQ(display.Pumps, 0);
    EXPECT_EQ(server.Received(0), "");
}

struct BodyCase {
    const char* Name;
    std::string Body;
    std::string Page;
};

class PageFetchBodyTest : public PageFetchTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(PageFetchBodyTest, ReadsTheBodyBackAsAPageText)
{
    // A page of an earlier fetch, longer than every body here, must leave no trace.
    std::ofstream(scratch, std::ios::binary) << std::string(500, '@');
    ScriptedServer server({Answer(Response(GetParam().Body))});
    std::string page = "old";
    ASSERT_TRUE(fetch.FetchPage(Url(server), page));
    EXPECT_TRUE(page == GetParam().Page) << "page of " << page.size() << " bytes";
    EXPECT_TRUE(Scratch() == GetParam().Body) << "the scratch file holds the raw body";
    EXPECT_EQ(display.MainStatus, (std::vector<std::string>{"Getting URL: " + Url(server) + "...", Completed}));
    EXPECT_FALSE(stop);
    EXPECT_FALSE(client.IsConnected()) << "every fetch ends with the connection closed";
}

INSTANTIATE_TEST_SUITE_P(Bodies, PageFetchBodyTest,
                         testing::Values(BodyCase{"LoneLf", "<p>a</p>\n<p>b</p>\n", "<p>a</p>\r\n<p>b</p>\r\n"},
                                         BodyCase{"Unterminated", "<html>", "<html>\r\n"},
                                         BodyCase{"Nul", "ab\ncd\0ef\n"s, "ab\r\ncd\r\n"},
                                         BodyCase{"Empty", "", ""}),
                         [](const testing::TestParamInfo<BodyCase>& info) { return info.param.Name; });

TEST_F(PageFetchTest, AnErrorStatusIsAConnectionErrorThatStopsTheRun)
{
    ScriptedServer server({Answer(Response("<h1>Not Found</h1>", "404 Not Found"))});
    std::string page = "old";
    EXPECT_FALSE(fetch.FetchPage(Url(server), page));
    EXPECT_EQ(page, "");
    EXPECT_TRUE(stop);
    EXPECT_EQ(display.MainStatus.back(), ConnectionError);
    EXPECT_FALSE(client.IsConnected());

    // Once set, the flag refuses every further fetch until a command clears it.
    ScriptedServer unused{std::vector<Script>{}};
    EXPECT_FALSE(fetch.FetchPage(Url(unused), page));
    EXPECT_EQ(unused.Received(0), "");
}

TEST_F(PageFetchTest, ARefusedConnectionIsAConnectionError)
{
    std::string page;
    EXPECT_FALSE(fetch.FetchPage("http://127.0.0.1:" + std::to_string(RefusingPort()) + "/", page));
    EXPECT_TRUE(stop);
    EXPECT_EQ(display.MainStatus.back(), ConnectionError);
}

TEST_F(PageFetchTest, TwoFetchesUseTwoConnectionsAndTheSecondOverwritesTheFile)
{
    ScriptedServer server({Answer(Response("first page, longer")), Answer(Response("second"))});
    std::string page;
    ASSERT_TRUE(fetch.FetchPage(Url(server, "/one"), page));
    ASSERT_TRUE(fetch.FetchPage(Url(server, "/two"), page));
    EXPECT_EQ(page, "second\r\n");
    EXPECT_EQ(Scratch(), "second");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0).substr(0, 13), "GET /one HTTP");
    EXPECT_EQ(server.Received(1).substr(0, 13), "GET /two HTTP");
}

TEST_F(PageFetchTest, StopDuringTheBodyAbortsTheFetch)
{
    const std::string body(200000, 'x');
    ScriptedServer server({Answer(Response(body))});
    // The Stop click lands while the first piece is shown; the next progress event closes
    // the connection.
    display.OnProgress = [&](int value) {
        if (value > 0)
            stop = true;
    };
    std::string page = "old";
    EXPECT_FALSE(fetch.FetchPage(Url(server), page));
    EXPECT_TRUE(page.empty());
    EXPECT_EQ(display.MainStatus.back(), "Process aborted!");
    EXPECT_LT(Scratch().size(), body.size());
    EXPECT_FALSE(client.IsConnected());
}

// The window assigns its client a transport of its own, which reports the connect: the
// stop flag set between a redirect and its connection must still keep that one off.
TEST_F(PageFetchTest, NoRedirectConnectionStartsOnceTheFlagIsSetWithAnAssignedTransport)
{
    client.SetIOHandler(std::make_shared<TIdIOHandlerSocket>());
    client.HandleRedirects = true;
    ScriptedServer next({Answer(Response("next page"))});
    ScriptedServer first({Answer("HTTP/1.1 302 Found\r\nLocation: " + Url(next, "/next") +
                                 "\r\nContent-Length: 0\r\n\r\n")});
    // The user's Stop lands while the connection the redirect came on is let go.
    bool connected = false;
    client.OnStatus = [&, window = client.OnStatus](TIdComponent& sender, TIdStatus status, const std::string& text) {
        if (window)
            window(sender, status, text);
        connected = connected || status == hsConnected;
        if (connected && status == hsDisconnected)
            stop = true;
    };
    std::string page = "old";
    EXPECT_FALSE(fetch.FetchPage(Url(first), page));
    EXPECT_TRUE(page.empty());
    EXPECT_TRUE(stop);
    EXPECT_EQ(next.ConnectionCount(), 0u);
    EXPECT_EQ(first.Received(0).substr(0, 14), "GET /page HTTP");
}

TEST_F(PageFetchTest, APageThatDoesNotEndFailsPastTheLimitAndSaysSo)
{
    const std::string piece(64 * 1024, 'x');
    // Servers that never stop sending, in the two framings without an announced end.
    const struct {
        const char* framing;
        std::string head;
        std::string repeated;
    } cases[] = {
        {"until the close", "HTTP/1.1 200 OK\r\n\r\n", piece},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "10000\r\n" + piece + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.framing);
        ScriptedServer server(
            {{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(c.head), ScriptStep::Drip(c.repeated)}});
        stop = false;
        std::string page = "old";
        EXPECT_FALSE(fetch.FetchPage(Url(server), page));
        EXPECT_TRUE(page.empty());
        EXPECT_TRUE(stop);
        EXPECT_EQ(display.MainStatus.back(), "The page is larger than 64 MiB; the fetch was stopped.");
        EXPECT_FALSE(client.IsConnected());
        // What was written is kept, and no more than one read piece past the limit.
        const auto written = std::filesystem::file_size(scratch);
        EXPECT_GT(written, static_cast<uintmax_t>(MaxPageLength) - piece.size());
        EXPECT_LE(written, static_cast<uintmax_t>(MaxPageLength) + piece.size());
    }
}

TEST_F(PageFetchTest, TheGaugeFollowsTheBody)
{
    const std::string body(70000, 'x');
    ScriptedServer server({Answer(Response(body))});
    std::string page;
    ASSERT_TRUE(fetch.FetchPage(Url(server), page));
    EXPECT_EQ(display.GaugeMax, 70000);
    EXPECT_EQ(display.GaugeValue, 70000);
}

TEST_F(PageFetchTest, AScratchFileThatCannotBeCreatedIsNotAConnectionError)
{
    ScriptedServer server{std::vector<Script>{}};
    bool stopFlag = false;
    PageFetch nowhere(client, display, stopFlag, (folder / "missing folder" / "test.html").string());
    std::string page = "old";
    EXPECT_THROW(nowhere.FetchPage(Url(server), page), EFileStreamError);
    EXPECT_FALSE(stopFlag);
    EXPECT_TRUE(display.MainStatus.empty());
}

} // namespace

// Over https the status says why the secure connection failed, so the user can tell a
// refused certificate from a missing network.
TEST_F(PageFetchTest, ASecureFetchThatFailsSaysWhyInTheStatus)
{
    auto handler = std::make_shared<TIdSSLIOHandlerSocket>();
    handler->CAFile = Certificates().caFile;
    client.SetIOHandler(handler);
    const struct {
        TlsScript script;
        std::string status;
    } cases[] = {
        {Refuse(Certificates().selfSigned),
         "Certificate of 127.0.0.1 refused: self-signed, not issued by a trusted authority."},
        {Refuse(Certificates().otherHost),
         "Certificate of 127.0.0.1 refused: wrong host, it is made out for www.example.test."},
        {Answer(Certificates().good, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello",
                TlsStep::CloseWithoutNotify()),
         "The secure connection with 127.0.0.1 ended without its TLS close: the page may have been cut short."},
    };
    for (const auto& c : cases) {
        TlsScriptedServer server({c.script});
        stop = false;
        std::string page;
        EXPECT_FALSE(fetch.FetchPage(HttpsUrl(server, "/page"), page));
        EXPECT_TRUE(stop);
        EXPECT_EQ(display.MainStatus.back(), c.status);
        EXPECT_TRUE(server.Finish());
        EXPECT_EQ(server.Failures(), std::vector<std::string>{});
    }
}
