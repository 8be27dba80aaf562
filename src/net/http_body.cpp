// Response bodies: the four framings, bodies that are thrown away, and the error page
// that goes into a status error.
#include "net/http.h"

#include "net/errors.h"
#include "net/streams.h"
#include "net/text_case.h"

#include <algorithm>

namespace {

// A chunk-size line: hexadecimal digits (leading zeros allowed), then nothing, or blanks
// and whatever follows them, or a ";" and a chunk extension.
int32_t ChunkSize(const std::string& line)
{
    constexpr int64_t MaxChunkSize = 2147483647;
    int64_t size = 0;
    size_t digits = 0;
    for (; digits < line.size() && HexDigitValue(line[digits]) >= 0; ++digits) {
        size = size * 16 + HexDigitValue(line[digits]);
        if (size > MaxChunkSize)
            throw EIdInvalidResponse("Chunk size exceeds 2147483647 bytes.");
    }
    const bool endsWell = digits == line.size() || line[digits] == ';' || line[digits] == ' ' || line[digits] == '\t';
    if (digits == 0 || !endsWell)
        throw EIdInvalidResponse("Chunk size is not a hexadecimal number.");
    return static_cast<int32_t>(size);
}

// Raised by a BodySink when a body passes its limit; never leaves the client.
struct BodyLimitReached {};

// Where a body goes that is not the destination: at most `keep` bytes of it are kept,
// the rest is only counted, and a byte past `limit` raises BodyLimitReached, so such a
// body never takes more memory than `keep` however long the server makes it.
class BodySink : public Stream {
public:
    BodySink(int64_t keep, int64_t limit) : FKeep(keep), FLimit(limit) {}

    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override
    {
        const int64_t accepted = std::clamp<int64_t>(count, 0, FLimit - FCount);
        const int64_t kept = std::min(accepted, FKeep - static_cast<int64_t>(FKept.size()));
        if (kept > 0)
            FKept.append(static_cast<const char*>(buffer), static_cast<size_t>(kept));
        FCount += accepted;
        if (accepted < count)
            throw BodyLimitReached();
        return count;
    }
    int64_t Position() const override { return FCount; }
    void SetPosition(int64_t) override {}
    int64_t Size() const override { return FCount; }
    void SetSize(int64_t size) override
    {
        FCount = std::clamp<int64_t>(size, 0, FCount);
        if (static_cast<int64_t>(FKept.size()) > FCount)
            FKept.resize(static_cast<size_t>(FCount));
    }

    const std::string& Kept() const { return FKept; }

private:
    int64_t FKeep;
    int64_t FLimit;
    int64_t FCount = 0;
    std::string FKept;
};

// Puts a sink in place of the response's body stream for its lifetime.
class ScratchBody {
public:
    ScratchBody(TIdHTTPResponse& response, Stream& sink) : FResponse(response), FSaved(response.BodyStream)
    {
        FResponse.BodyStream = &sink;
    }
    ~ScratchBody() { FResponse.BodyStream = FSaved; }
    ScratchBody(const ScratchBody&) = delete;
    ScratchBody& operator=(const ScratchBody&) = delete;

private:
    TIdHTTPResponse& FResponse;
    Stream* FSaved;
};

} // namespace

void TIdCustomHTTP::ReadBody(TIdHTTPResponse& response)
{
    Stream* const stream = response.BodyStream;
    if (!stream)
        return;

    if (response.ContentLength() > 0) {
        try {
            ReadCounted(*stream, response.ContentLength());
        } catch (const EIdConnClosedGracefully&) {
            // A peer that closes early leaves a short body, not an error.
        }
    } else if (response.RawLines.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        ReportStatus(hsStatusText, {"Chunk Started"});
        int32_t size = ChunkSize(ReadLine());
        while (size > 0) {
            ReadCounted(*stream, size);
            ReadLine();
            size = ChunkSize(ReadLine());
        }
        ReadLine();
    } else if (!response.ContentLengthGiven) {
        ReadToStream(*stream, -1, true);
    }
}

void TIdCustomHTTP::ReadCounted(Stream& stream, int32_t count)
{
    const int64_t start = stream.Position();
    try {
        ReadToStream(stream, count);
    } catch (const EIdConnClosedGracefully&) {
        // The read stops at its last whole piece; the bytes of the piece it was waiting to
        // complete are still in the input buffer.
        TIdManagedBuffer& buffer = InputBuffer();
        const int64_t rest = std::min<int64_t>(buffer.Size(), count - (stream.Position() - start));
        if (rest > 0) {
            stream.Write(buffer.Memory(), rest);
            buffer.DropFront(static_cast<int>(rest));
        }
        throw;
    }
}

void TIdCustomHTTP::DiscardBody(TIdHTTPResponse& response)
{
    BodySink sink(0, MaxDiscardedBodyLength);
    ScratchBody scratch(response, sink);
    try {
        ReadBody(response);
    } catch (const BodyLimitReached&) {
        CloseItself();
    } catch (const std::exception&) {
        // Only what follows the body matters, and where it begins is no longer known.
        CloseItself();
    }
}

void TIdCustomHTTP::RaiseStatusError()
{
    TIdHTTPResponse& response = FProtocol->Response;
    std::string bodyText;
    WithReadTimeout(ErrorPageReadTimeout, [&] {
        BodySink sink(MaxErrorPageLength, MaxErrorPageLength);
        ScratchBody scratch(response, sink);
        try {
            ReadBody(response);
        } catch (const BodyLimitReached&) {
            // The rest of the page stays unread, so the connection cannot be used again.
            CloseItself();
        }
        bodyText = sink.Kept();
    });
    if (response.StatusCode() == 407 && !ProxyParams.ProxyServer().empty())
        throw EIdProxyAuthenticationRequired(407,
                                             "The proxy " + HostForUrl(ProxyParams.ProxyServer()) + ":" +
                                                 std::to_string(ProxyParams.ProxyPort()) +
                                                 " refused the request: " + StatusLine(),
                                             std::move(bodyText));
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
