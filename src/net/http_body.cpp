// Response bodies: the four framings, bodies that are thrown away, and the error page
// that goes into a status error.
#include "net/http.h"

#include "net/errors.h"
#include "net/ssl_errors.h"
#include "net/streams.h"
#include "net/text_case.h"

namespace {

// A chunk-size line's hexadecimal number, up to its first space; 0 when it is not one
// (so an extension that follows the digits without a space gives 0). Sizes of 2^31 and
// more come out negative and end the body like 0.
int32_t ChunkSize(const std::string& line)
{
    const std::string_view digits = std::string_view(line).substr(0, line.find(' '));
    if (digits.empty() || digits.size() > 8)
        return 0;
    uint32_t size = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return 0;
        size = size * 16 + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(size);
}

// Puts a scratch stream in place of the response's body stream for its lifetime.
class ScratchBody {
public:
    explicit ScratchBody(TIdHTTPResponse& response) : FResponse(response), FSaved(response.BodyStream)
    {
        FResponse.BodyStream = &FScratch;
    }
    ~ScratchBody() { FResponse.BodyStream = FSaved; }
    ScratchBody(const ScratchBody&) = delete;
    ScratchBody& operator=(const ScratchBody&) = delete;

    const std::string& Text() const { return FScratch.Data(); }

private:
    TIdHTTPResponse& FResponse;
    Stream* FSaved;
    MemoryStream FScratch;
};

} // namespace

void TIdCustomHTTP::ReadBody(TIdHTTPResponse& response)
{
    Stream* const stream = response.BodyStream;
    if (!stream)
        return;

    if (response.ContentLength() > 0) {
        const int64_t start = stream->Position();
        try {
            ReadToStream(*stream, response.ContentLength());
        } catch (const EIdConnClosedGracefully&) {
            // A peer that closes early leaves a short body, not an error.
        }
        // Unless the secure transport saw no TLS close: then the cut may be an attack.
        const int64_t received = stream->Position() - start;
        if (received < response.ContentLength() && FIOHandler && FIOHandler->ClosedWithoutNotify())
            throw EIdOSSLTruncatedBody(received, response.ContentLength());
    } else if (response.RawLines.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        ReportStatus(hsStatusText, {"Chunk Started"});
        int32_t size = ChunkSize(ReadLine());
        while (size > 0) {
            ReadToStream(*stream, size);
            ReadLine();
            size = ChunkSize(ReadLine());
        }
        ReadLine();
    } else if (!response.ContentLengthGiven) {
        ReadToStream(*stream, -1, true);
    }
}

void TIdCustomHTTP::DiscardBody(TIdHTTPResponse& response)
{
    ScratchBody scratch(response);
    ReadBody(response);
}

void TIdCustomHTTP::RaiseStatusError()
{
    TIdHTTPResponse& response = FProtocol->Response;
    std::string bodyText;
    WithReadTimeout(ErrorPageReadTimeout, [&] {
        ScratchBody scratch(response);
        try {
            ReadBody(response);
        } catch (const EIdOSSLTruncatedBody&) {
            // The status error says what matters; the page is only its detail.
        }
        bodyText = scratch.Text();
    });
    throw EIdHTTPProtocolException(response.StatusCode(), StatusLine(), std::move(bodyText));
}

void TIdCustomHTTP::WithReadTimeout(int32_t milliseconds, const std::function<void()>& read)
{
    const int32_t saved = ReadTimeout;
    ReadTimeout = milliseconds;
    try {
        read();
    } catch (...) {
        ReadTimeout = saved;
        throw;
    }
    ReadTimeout = saved;
}

bool TIdCustomHTTP::NotifyRedirect(std::string& location, TIdHTTPMethod& method, int32_t count)
{
    bool handled = HandleRedirects;
    if (OnRedirect)
        OnRedirect(*this, location, count, handled, method);
    return handled;
}
