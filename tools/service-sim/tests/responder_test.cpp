#include "marker_cut.h"
#include "request.h"
#include "responder.h"
#include "result_count.h"
#include "search_query.h"
#include "wire.h"

#include <gtest/gtest.h>

namespace {

Request MakeRequest(const std::string& target, const std::string& method = "GET", const std::string& headers = "")
{
    return *ParseRequestHead(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:8301\r\n" + headers + "\r\n");
}

struct Answer {
    int DelayMs = 0;
    bool CloseAfter = false;
    WireMessage Message;
    int Status = 0;
};

Answer Ask(Responder& responder, const Request& request)
{
    Reply reply = responder.Respond(request);
    Answer answer;
    answer.DelayMs = reply.DelayMs;
    answer.CloseAfter = reply.Wire.CloseAfter;
    answer.Message = SplitResponse(reply.Wire.Bytes).value_or(WireMessage {});
    answer.Status = std::atoi(answer.Message.StatusLine.substr(9, 3).c_str());
    return answer;
}

Answer Ask(Responder& responder, const std::string& target)
{
    return Ask(responder, MakeRequest(target));
}

TEST(ResponderTest, EachEngineIsFoundByPathAndKeywordParameter)
{
    struct Case {
        std::string Method;
        std::string Target;
        int Status;
        const char* TitleEnd; // which engine answered
    };
    const Case cases[] = {
        { "GET", "/search?q=golf", 200, " - Google Search</title>" },
        { "GET", "/search?p=golf", 200, " - Yahoo! Search Results</title>" },
        { "GET", "/results.aspx?q=golf", 200, " - Live Search</title>" },
        { "GET", "/search?q=golf&start=10&r=1", 200, " - Google Search</title>" },
        { "GET", "/search?hl=en&p=golf", 200, " - Yahoo! Search Results</title>" },
        { "GET", "/search?q=", 200, " - Google Search</title>" },
        { "GET", "/search", 404, "<title>404 Not Found</title>" },
        { "GET", "/search?x=golf", 404, "<title>404 Not Found</title>" },
        { "GET", "/results.aspx?p=golf", 404, "<title>404 Not Found</title>" },
        { "GET", "/Search?q=golf", 404, "<title>404 Not Found</title>" },
        { "GET", "/", 404, "<title>404 Not Found</title>" },
        { "GET", "/favicon.ico", 404, "<title>404 Not Found</title>" },
        { "POST", "/search?q=golf", 404, "<title>404 Not Found</title>" },
    };
    Responder responder(BuildServices(), FaultPlan {});
    for (const Case& c : cases) {
        Answer answer = Ask(responder, MakeRequest(c.Target, c.Method));
        EXPECT_EQ(answer.Status, c.Status) << c.Method << " " << c.Target;
        EXPECT_NE(answer.Message.RawBody.find(c.TitleEnd), std::string::npos) << c.Method << " " << c.Target;
        EXPECT_EQ(answer.Message.Header("Content-Type").value_or(""), "text/html");
        EXPECT_EQ(answer.Message.Header("Content-Length").value_or(""), std::to_string(answer.Message.RawBody.size()));
        EXPECT_FALSE(answer.CloseAfter);
    }
}

TEST(ResponderTest, TheCountReadFromTheAnswerFollowsTheKeywordAndMode)
{
    struct Case {
        std::string Target;
        Engine Which;
        const CountMarkers* Markers;
        SearchQuery Query;
    };
    const Case cases[] = {
        { "/search?q=%22golf+clubs%22", Engine::Google, &googleMarkers, { "golf clubs", true } },
        { "/search?q=golf+clubs", Engine::Google, &googleMarkers, { "golf clubs", false } },
        { "/search?p=%22Golf+Clubs%22", Engine::Yahoo, &yahooMarkers, { "golf clubs", true } },
        { "/results.aspx?q=golf+clubs", Engine::Msn, &msnMarkers, { "golf clubs", false } },
        { "/results.aspx?q=%22caf\xe9%22", Engine::Msn, &msnMarkers, { "caf\xe9", true } },
        { "/search?q=%22bank+of+america%22&r=1", Engine::Google, &googleMarkers, { "bank of america", true } },
    };
    Responder responder(BuildServices(), FaultPlan {});
    for (const Case& c : cases) {
        Answer answer = Ask(responder, c.Target);
        EXPECT_EQ(ReadCount(answer.Message.RawBody, *c.Markers), WithThousandsSeparators(ResultCount(c.Which, c.Query)))
            << c.Target;
    }
}

TEST(ResponderTest, ConnectionCloseIsHonoured)
{
    Responder responder(BuildServices(), FaultPlan {});
    Answer answer = Ask(responder, MakeRequest("/search?q=golf", "GET", "Connection: close\r\n"));
    EXPECT_TRUE(answer.CloseAfter);
    EXPECT_EQ(answer.Message.Header("Connection").value_or(""), "close");
    answer = Ask(responder, MakeRequest("/nothing", "GET", "Connection: close\r\n"));
    EXPECT_TRUE(answer.CloseAfter);
}

TEST(ResponderTest, OnlyLimitsTheFaultsToOneService)
{
    FaultPlan faults;
    faults.Only = "yahoo";
    faults.Status = 503;
    faults.DelayMs = 40;
    Responder responder(BuildServices(), faults);
    Answer google = Ask(responder, "/search?q=golf");
    EXPECT_EQ(google.Status, 200);
    EXPECT_EQ(google.DelayMs, 0);
    Answer yahoo = Ask(responder, "/search?p=golf");
    EXPECT_EQ(yahoo.Status, 503);
    EXPECT_EQ(yahoo.Message.StatusLine, "HTTP/1.1 503 Service Unavailable");
    EXPECT_NE(yahoo.Message.RawBody.find("503 Service Unavailable"), std::string::npos);
    EXPECT_EQ(yahoo.DelayMs, 40);
    EXPECT_EQ(Ask(responder, "/results.aspx?q=golf").Status, 200);
}

TEST(ResponderTest, OnRequestCountsOnlyTheChosenServicesRequests)
{
    FaultPlan faults;
    faults.Only = "msn";
    faults.OnRequest = 2;
    faults.Status = 500;
    Responder responder(BuildServices(), faults);
    const std::pair<std::string, int> steps[] = {
        { "/results.aspx?q=a", 200 }, // msn request 1
        { "/search?q=a", 200 },       // not counted
        { "/nowhere", 404 },          // not counted
        { "/results.aspx?q=b", 500 }, // msn request 2
        { "/results.aspx?q=c", 200 }, // msn request 3
    };
    for (const auto& [target, status] : steps)
        EXPECT_EQ(Ask(responder, target).Status, status) << target;
}

TEST(ResponderTest, RedirectSendsA302ToTheSameResourceThenThePageWithTheOtherFaults)
{
    FaultPlan faults;
    faults.Redirect = true;
    faults.NoMarkers = true;
    faults.BodyFraming = Framing::Chunked;
    faults.OnRequest = 1;
    faults.DelayMs = 25;
    Responder responder(BuildServices(), faults);

    Answer first = Ask(responder, "/search?q=%22golf+clubs%22");
    EXPECT_EQ(first.Message.StatusLine, "HTTP/1.1 302 Found");
    EXPECT_EQ(first.Message.Header("Location").value_or(""), "/search?q=%22golf+clubs%22&r=1");
    EXPECT_EQ(first.DelayMs, 25);
    EXPECT_FALSE(first.CloseAfter);
    EXPECT_EQ(first.Message.Header("Content-Length").value_or(""), std::to_string(first.Message.RawBody.size()));

    Answer second = Ask(responder, "/search?q=%22golf+clubs%22&r=1");
    EXPECT_EQ(second.Status, 200);
    EXPECT_EQ(second.DelayMs, 0);
    EXPECT_EQ(second.Message.Header("Transfer-Encoding").value_or(""), "chunked");
    std::optional<ChunkedBody> body = DecodeChunked(second.Message.RawBody);
    ASSERT_TRUE(body);
    EXPECT_EQ(ReadCount(body->Body, googleMarkers), "");

    // The second leg was not a request of its own: the next one is request 2, untouched.
    Answer third = Ask(responder, "/search?q=golf");
    EXPECT_EQ(third.Status, 200);
    EXPECT_EQ(third.Message.Header("Content-Length").value_or(""), std::to_string(third.Message.RawBody.size()));
    EXPECT_NE(ReadCount(third.Message.RawBody, googleMarkers), "");
}

TEST(ResponderTest, RedirectOfATargetWithoutQueryAddsOne)
{
    FaultPlan faults;
    faults.Redirect = true;
    faults.Status = 404;
    Responder responder(BuildServices(), faults);
    EXPECT_EQ(Ask(responder, "/search?p=x").Message.Header("Location").value_or(""), "/search?p=x&r=1");
    EXPECT_EQ(Ask(responder, "/search?p=x&r=1").Status, 404);
}

TEST(ResponderTest, UnknownPathsAreNeverFaulted)
{
    FaultPlan faults;
    faults.Status = 500;
    faults.BodyFraming = Framing::CloseMidBody;
    faults.DelayMs = 10;
    Responder responder(BuildServices(), faults);
    Answer answer = Ask(responder, "/unknown");
    EXPECT_EQ(answer.Status, 404);
    EXPECT_EQ(answer.DelayMs, 0);
    EXPECT_EQ(answer.Message.Header("Content-Length").value_or(""), std::to_string(answer.Message.RawBody.size()));
}

TEST(ResponderTest, FramingFaultsApplyToThePage)
{
    struct Case {
        Framing Which;
        bool CloseAfter;
    };
    const Case cases[] = {
        { Framing::Chunked, false }, { Framing::UntilClose, true }, { Framing::CloseMidBody, true } };
    for (const Case& c : cases) {
        FaultPlan faults;
        faults.BodyFraming = c.Which;
        Responder responder(BuildServices(), faults);
        Answer answer = Ask(responder, "/results.aspx?q=golf");
        EXPECT_EQ(answer.Status, 200);
        EXPECT_EQ(answer.CloseAfter, c.CloseAfter);
        EXPECT_EQ(answer.Message.Header("Transfer-Encoding").has_value(), c.Which == Framing::Chunked);
    }
}

TEST(ResponderTest, MalformedRequestGetsA400AndTheConnectionCloses)
{
    Reply reply = Responder::RespondToMalformedRequest();
    EXPECT_TRUE(reply.Wire.CloseAfter);
    EXPECT_TRUE(reply.Wire.Bytes.starts_with("HTTP/1.1 400 Bad Request\r\n"));
}

}

namespace {

// What each of a series of requests to the engines gets under the long-run faults: the
// counts are per engine, the suggestion service is never refused, and every answer waits
// the latency.
TEST(ResponderTest, LongRunFaultsCountPerEngine)
{
    struct Case {
        const char* Name;
        FaultPlan Faults;
        std::vector<std::pair<std::string, int>> Requests; // target, status expected
    };
    FaultPlan throttle;
    throttle.ThrottleEvery = 2;
    FaultPlan block;
    block.BlockAfter = 2;
    FaultPlan both;
    both.ThrottleEvery = 3;
    both.BlockAfter = 4;
    const Case cases[] = {
        {"throttle", throttle,
         {{"/search?q=a", 200}, {"/search?p=a", 200}, {"/search?q=b", 429}, {"/search?p=b", 429},
          {"/search?q=c", 200}, {"/search?q=d", 429}, {"/results.aspx?q=a", 200}}},
        {"block", block,
         {{"/search?q=a", 200}, {"/search?q=b", 200}, {"/search?q=c", 403}, {"/search?p=a", 200},
          {"/search?q=d", 403}}},
        {"both", both,
         {{"/search?q=a", 200}, {"/search?q=b", 200}, {"/search?q=c", 429}, {"/search?q=d", 200},
          {"/search?q=e", 403}, {"/search?q=f", 403}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Responder responder(BuildServices(), c.Faults);
        for (const auto& [target, status] : c.Requests) {
            SCOPED_TRACE(target);
            const Answer answer = Ask(responder, target);
            EXPECT_EQ(answer.Status, status);
            if (status == 429)
                EXPECT_EQ(answer.Message.Header("Retry-After").value_or(""), "1");
            if (status == 403)
                EXPECT_NE(answer.Message.RawBody.find("blocked"), std::string::npos);
        }
    }
}

TEST(ResponderTest, LatencyDelaysEveryAnswerRefusalsIncluded)
{
    FaultPlan faults;
    faults.LatencyMs = 20;
    faults.BlockAfter = 1;
    Responder responder(BuildServices(), faults);
    for (const char* target : {"/search?q=a", "/search?q=b", "/nothing-here"})
        EXPECT_EQ(Ask(responder, target).DelayMs, 20) << target;
    EXPECT_EQ(Ask(responder, "/search?q=c").Status, 403);
}

} // namespace
