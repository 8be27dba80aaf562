#include "core/engine_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = AnswerStep::Action;
using std::chrono::milliseconds;
using std::chrono::seconds;

// 2026-12-11 02:00:00 UTC.
constexpr std::time_t Now = 1796954400;

EngineAnswer Page(std::string text = "<b>1,234</b>")
{
    return {EngineAnswer::Kind::Page, 0, "", "", std::move(text)};
}

EngineAnswer Http(int status, std::string statusLine, std::string retryAfter = "")
{
    return {EngineAnswer::Kind::HttpError, status, std::move(statusLine), std::move(retryAfter), "error page"};
}

EngineAnswer Cut()
{
    return {EngineAnswer::Kind::ConnectionFailed, 0, "", "", "Socket Error # 10054\nConnection reset by peer."};
}

struct Expected {
    Action What;
    milliseconds Wait{0};
    const char* Reason = "";
};

struct SeriesCase {
    const char* Name;
    const char* BlockedText;
    std::vector<EngineAnswer> Answers;
    std::vector<Expected> Steps;
};

class AnswerSeriesTest : public testing::TestWithParam<SeriesCase> {};

TEST_P(AnswerSeriesTest, JudgesEachAnswerGivenTheOnesBefore)
{
    const SeriesCase& c = GetParam();
    AnswerPolicy policy("Google", c.BlockedText);
    ASSERT_EQ(c.Answers.size(), c.Steps.size());
    for (size_t i = 0; i < c.Answers.size(); ++i) {
        SCOPED_TRACE("answer " + std::to_string(i + 1));
        const AnswerStep step = policy.Judge(c.Answers[i], Now);
        EXPECT_EQ(step.What, c.Steps[i].What);
        EXPECT_EQ(step.Wait, c.Steps[i].Wait);
        EXPECT_EQ(step.Reason, c.Steps[i].Reason);
    }
}

const char* const Refused429 = "Google refused the request (HTTP 429 Too Many Requests).";

INSTANTIATE_TEST_SUITE_P(
    Lanes, AnswerSeriesTest,
    testing::Values(
        SeriesCase{"PageIsRead", "", {Page()}, {{Action::Read}}},
        SeriesCase{"ThrottledWithSeconds",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests", "7"), Page()},
                   {{Action::AskAgain, seconds(7)}, {Action::Read}}},
        SeriesCase{"ThrottledWithADate",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests", "Fri, 11 Dec 2026 02:01:30 GMT")},
                   {{Action::AskAgain, seconds(90)}}},
        SeriesCase{"ThrottledWithADateGone",
                   "",
                   {Http(503, "HTTP/1.1 503 Service Unavailable", "Fri, 11 Dec 2026 01:00:00 GMT")},
                   {{Action::AskAgain, seconds(0)}}},
        SeriesCase{"ThrottledWithoutTheHeader",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests")},
                   {{Action::AskAgain, seconds(30)}}},
        SeriesCase{"ThrottledWithNonsense",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests", "soon")},
                   {{Action::AskAgain, seconds(30)}}},
        SeriesCase{"ThrottledAtMostFifteenMinutes",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests", "86400"),
                    Http(503, "HTTP/1.1 503 Service Unavailable", "99999999999999999999"),
                    Http(429, "HTTP/1.1 429 Too Many Requests", "Sat, 12 Dec 2026 02:00:00 GMT")},
                   {{Action::AskAgain, seconds(900)}, {Action::AskAgain, seconds(900)}, {Action::Blocked, {}, Refused429}}},
        SeriesCase{"ThirdThrottledInARowIsBlocked",
                   "",
                   {Http(503, "HTTP/1.1 503 Service Unavailable", "1"), Http(503, "HTTP/1.1 503 Service Unavailable", "1"),
                    Http(429, "HTTP/1.1 429 Too Many Requests", "1")},
                   {{Action::AskAgain, seconds(1)}, {Action::AskAgain, seconds(1)}, {Action::Blocked, {}, Refused429}}},
        SeriesCase{"APageBreaksTheThrottledSeries",
                   "",
                   {Http(429, "HTTP/1.1 429 Too Many Requests", "1"), Http(429, "HTTP/1.1 429 Too Many Requests", "1"),
                    Page(), Http(429, "HTTP/1.1 429 Too Many Requests", "1")},
                   {{Action::AskAgain, seconds(1)}, {Action::AskAgain, seconds(1)}, {Action::Read},
                    {Action::AskAgain, seconds(1)}}},
        SeriesCase{"ForbiddenIsBlockedAtOnce",
                   "",
                   {Http(403, "HTTP/1.1 403 Forbidden")},
                   {{Action::Blocked, {}, "Google refused the request (HTTP 403 Forbidden)."}}},
        SeriesCase{"ReasonPhraseIsCleanedAndMayBeMissing",
                   "",
                   {Http(403, "HTTP/1.1 403 No\x1b[31mWay"), Http(403, "HTTP/1.1 403")},
                   {{Action::Blocked, {}, "Google refused the request (HTTP 403 No [31mWay)."},
                    {Action::Blocked, {}, "Google refused the request (HTTP 403)."}}},
        SeriesCase{"BlockTextOnAPage",
                   "unusual traffic",
                   {Page("<p>Our systems have detected unusual traffic</p>")},
                   {{Action::Blocked, {}, "Google refused the request (its page says the requests are blocked)."}}},
        SeriesCase{"NoBlockTextMeansNoBlockPage", "", {Page("unusual traffic")}, {{Action::Read}}},
        SeriesCase{"OtherStatusFailsTheRun",
                   "",
                   {Http(500, "HTTP/1.1 500 Internal Server Error")},
                   {{Action::Failed, {}, "Google: HTTP 500 Internal Server Error"}}},
        SeriesCase{"ResetOnce", "", {Cut(), Page()}, {{Action::AskAgain, seconds(1)}, {Action::Read}}},
        SeriesCase{"ResetThreeTimes",
                   "",
                   {Cut(), Cut(), Cut()},
                   {{Action::AskAgain, seconds(1)},
                    {Action::AskAgain, seconds(4)},
                    {Action::Failed, {}, "Google: Socket Error # 10054\nConnection reset by peer."}}},
        SeriesCase{"AnAnswerBreaksTheConnectionSeries",
                   "",
                   {Cut(), Cut(), Http(429, "HTTP/1.1 429 Too Many Requests", "2"), Cut()},
                   {{Action::AskAgain, seconds(1)}, {Action::AskAgain, seconds(4)}, {Action::AskAgain, seconds(2)},
                    {Action::AskAgain, seconds(1)}}},
        SeriesCase{"UnusableAnswerFailsAtOnce",
                   "",
                   {{EngineAnswer::Kind::Unusable, 0, "", "", "The page is larger than 64 MiB; the fetch was stopped."}},
                   {{Action::Failed, {}, "Google: The page is larger than 64 MiB; the fetch was stopped."}}}),
    [](const testing::TestParamInfo<SeriesCase>& info) { return std::string(info.param.Name); });

TEST(AnswerPolicy, RetryAfterARefusalStartsAFreshSeries)
{
    AnswerPolicy policy("Yahoo", "");
    const EngineAnswer throttled = Http(429, "HTTP/1.1 429 Too Many Requests", "1");
    policy.Judge(throttled, Now);
    policy.Judge(throttled, Now);
    EXPECT_EQ(policy.Judge(throttled, Now).What, Action::Blocked);
    policy.Reset();
    EXPECT_EQ(policy.Judge(throttled, Now).What, Action::AskAgain);
    EXPECT_EQ(policy.Judge(throttled, Now).What, Action::AskAgain);
    EXPECT_EQ(policy.Judge(throttled, Now).Reason, "Yahoo refused the request (HTTP 429 Too Many Requests).");
}

TEST(StatusReason, IsCutToADialogLine)
{
    const std::string reason = StatusReason("HTTP/1.1 429 " + std::string(10000, 'x'));
    EXPECT_EQ(reason, std::string(80, 'x'));
}

} // namespace
