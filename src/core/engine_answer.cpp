#include "core/engine_answer.h"

#include "net/date_time.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

// The reason phrase comes from the server: a dialog line, never a wall of text.
constexpr size_t MaxReasonLength = 80;
// 1970-01-01 as a day count since 30 December 1899.
constexpr double UnixEpochDay = 25569.0;

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::chrono::milliseconds RetryAfterWait(const std::string& value, std::time_t now)
{
    using std::chrono::seconds;
    const std::string_view text = Trimmed(value);
    seconds wait = DefaultRetryAfter;
    if (AllDigits(text)) {
        // More digits than the cap could ever need read as the cap, without overflowing.
        wait = text.size() > 6 ? MaxRetryAfter : seconds(std::stol(std::string(text)));
    } else if (!text.empty()) {
        std::string date(text);
        const DateTime when = ParseInternetDate(date);
        if (when != 0) {
            // A day count carries rounding errors below the second; the date names whole seconds.
            const double at = std::round((when - UnixEpochDay) * SecondsPerDay);
            const double left = at - static_cast<double>(now);
            wait = left <= 0 ? seconds(0)
                             : seconds(static_cast<int64_t>(std::min(left, double(MaxRetryAfter.count()))));
        }
    }
    return std::min<std::chrono::milliseconds>(wait, MaxRetryAfter);
}

std::string StatusReason(const std::string& statusLine)
{
    std::string_view rest = statusLine;
    for (int field = 0; field < 2; ++field) {
        const size_t blank = rest.find(' ');
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    std::string reason;
    for (char c : Trimmed(rest)) {
        if (reason.size() == MaxReasonLength)
            break;
        const auto byte = static_cast<unsigned char>(c);
        reason += byte < 0x20 || byte == 0x7f ? ' ' : c;
    }
    return reason;
}

AnswerPolicy::AnswerPolicy(std::string engineName, std::string blockedText)
    : FEngineName(std::move(engineName)), FBlockedText(std::move(blockedText))
{
}

void AnswerPolicy::Reset()
{
    FThrottledInRow = 0;
    FConnectionFailuresInRow = 0;
}

std::string AnswerPolicy::Refused(const std::string& why) const
{
    return FEngineName + " refused the request (" + why + ").";
}

AnswerStep AnswerPolicy::Judge(const EngineAnswer& answer, std::time_t now)
{
    AnswerStep step;
    switch (answer.What) {
    case EngineAnswer::Kind::ConnectionFailed:
        FThrottledInRow = 0;
        if (FConnectionFailuresInRow < static_cast<int>(std::size(ConnectionRetryWaits))) {
            step.What = AnswerStep::Action::AskAgain;
            step.Wait = ConnectionRetryWaits[FConnectionFailuresInRow++];
            return step;
        }
        FConnectionFailuresInRow = 0;
        step.What = AnswerStep::Action::Failed;
        step.Reason = FEngineName + ": " + answer.Text;
        return step;
    case EngineAnswer::Kind::Unusable:
        Reset();
        step.What = AnswerStep::Action::Failed;
        step.Reason = FEngineName + ": " + answer.Text;
        return step;
    case EngineAnswer::Kind::HttpError: {
        FConnectionFailuresInRow = 0;
        std::string status = "HTTP " + std::to_string(answer.Status);
        if (const std::string reason = StatusReason(answer.StatusLine); !reason.empty())
            status += " " + reason;
        if (answer.Status == 429 || answer.Status == 503) {
            if (++FThrottledInRow < ThrottledAnswersBeforeBlocked) {
                step.What = AnswerStep::Action::AskAgain;
                step.Throttled = true;
                step.Wait = RetryAfterWait(answer.RetryAfter, now);
                return step;
            }
            FThrottledInRow = 0;
            step.What = AnswerStep::Action::Blocked;
            step.Reason = Refused(status);
            return step;
        }
        FThrottledInRow = 0;
        step.What = answer.Status == 403 ? AnswerStep::Action::Blocked : AnswerStep::Action::Failed;
        step.Reason = answer.Status == 403 ? Refused(status) : FEngineName + ": " + status;
        return step;
    }
    case EngineAnswer::Kind::Page:
        Reset();
        if (!FBlockedText.empty() && answer.Text.find(FBlockedText) != std::string::npos) {
            step.What = AnswerStep::Action::Blocked;
            step.Reason = Refused("its page says the requests are blocked");
        }
        return step;
    }
    return step;
}
