// How a lane of a Gather Data run judges each answer of its engine: a page to read, a
// throttled answer to wait out, a connection to try again, a refusal to put to the user,
// or a failure that ends the run.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

// What one request to an engine came back with.
struct EngineAnswer {
    // ConnectionFailed: refused, reset or cut, worth another try. Unusable: an answer that
    // cannot be read (too large, malformed, a refused secure connection).
    enum class Kind { Page, HttpError, ConnectionFailed, Unusable };
    Kind What = Kind::Page;
    int Status = 0;         // HttpError: the status code
    std::string StatusLine; // HttpError: the status line as the server sent it
    std::string RetryAfter; // HttpError: the Retry-After value, empty when none came
    std::string Text;       // Page: the page; ConnectionFailed, Unusable: why
};

struct AnswerStep {
    enum class Action {
        Read,     // the page holds the count (or not)
        AskAgain, // after Wait
        Blocked,  // the user decides: Retry, Skip the engine, or Stop
        Failed,   // the run ends
    };
    Action What = Action::Read;
    std::chrono::milliseconds Wait{0};
    std::string Reason; // Blocked, Failed: a sentence for the message dialog and the status bar
    bool Throttled = false; // AskAgain: a 429 or 503 is waited out (a countdown), not a retry
};

// No answer of 429 or 503 waits longer than this, whatever Retry-After asks: a long run
// must not sit silent for hours on one header, and the third throttled answer in a row
// asks the user anyway.
constexpr std::chrono::seconds MaxRetryAfter{15 * 60};
// The wait when a throttled answer does not say how long.
constexpr std::chrono::seconds DefaultRetryAfter{30};
// Throttled answers in a row after which the engine counts as blocked.
constexpr int ThrottledAnswersBeforeBlocked = 3;
// The waits before the second and the third try of a connection that failed.
constexpr std::chrono::milliseconds ConnectionRetryWaits[] = {std::chrono::seconds(1), std::chrono::seconds(4)};

// A Retry-After value, delta-seconds or an HTTP date, as a wait from now (unix seconds);
// a date in the past waits nothing; an empty or unreadable value DefaultRetryAfter; never
// more than MaxRetryAfter.
std::chrono::milliseconds RetryAfterWait(const std::string& value, std::time_t now);

// The "reason phrase" of a status line, without control bytes and cut to a length a
// dialog shows: "Too Many Requests" of "HTTP/1.1 429 Too Many Requests".
std::string StatusReason(const std::string& statusLine);

// One per lane: what to do with each answer of the engine, given those before it.
class AnswerPolicy {
public:
    // engineName as the column shows it; blockedText the engine's block-page text (none
    // when empty).
    AnswerPolicy(std::string engineName, std::string blockedText);

    AnswerStep Judge(const EngineAnswer& answer, std::time_t now);
    // The user chose Retry after a refusal: the next answer starts a fresh series.
    void Reset();

private:
    std::string Refused(const std::string& why) const;

    std::string FEngineName;
    std::string FBlockedText;
    int FThrottledInRow = 0;
    int FConnectionFailuresInRow = 0;
};
