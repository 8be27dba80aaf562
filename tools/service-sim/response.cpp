#include "response.h"

#include <algorithm>

std::string_view ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 410: return "Gone";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Unknown";
    }
}

static std::string Hex(std::size_t value)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value > 0);
    return text;
}

// Four chunks of nearly equal size (fewer for a body of fewer than four bytes), then the
// last chunk and the empty line that ends the body.
static std::string ChunkedBody(std::string_view body)
{
    constexpr std::size_t chunkCount = 4;
    std::size_t chunkSize = std::max<std::size_t>(1, (body.size() + chunkCount - 1) / chunkCount);
    std::string wire;
    for (std::size_t offset = 0; offset < body.size(); offset += chunkSize) {
        std::string_view chunk = body.substr(offset, chunkSize);
        wire += Hex(chunk.size());
        wire += "\r\n";
        wire += chunk;
        wire += "\r\n";
    }
    wire += "0\r\n\r\n";
    return wire;
}

WireResponse EncodeResponse(const Response& response, Framing framing, bool closeAfter)
{
    std::string_view body = response.MayHaveBody() ? std::string_view(response.Body) : std::string_view();
    WireResponse wire;
    wire.CloseAfter = closeAfter || framing == Framing::UntilClose || framing == Framing::CloseMidBody;

    std::string& bytes = wire.Bytes;
    bytes += "HTTP/1.1 " + std::to_string(response.Status) + " ";
    bytes += ReasonPhrase(response.Status);
    bytes += "\r\n";
    for (const auto& [name, value] : response.Headers)
        bytes += name + ": " + value + "\r\n";

    bool bodyFramed = response.MayHaveBody();
    if (bodyFramed && framing == Framing::Chunked)
        bytes += "Transfer-Encoding: chunked\r\n";
    else if (bodyFramed && framing != Framing::UntilClose)
        bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    // A connection cut in the middle of a body is a failure, not an announced close.
    if (wire.CloseAfter && framing != Framing::CloseMidBody)
        bytes += "Connection: close\r\n";
    bytes += "\r\n";

    if (!bodyFramed)
        return wire;
    switch (framing) {
    case Framing::ContentLength:
    case Framing::UntilClose:
        bytes += body;
        break;
    case Framing::Chunked:
        bytes += ChunkedBody(body);
        break;
    case Framing::CloseMidBody:
        bytes += body.substr(0, body.size() / 2);
        break;
    }
    return wire;
}
