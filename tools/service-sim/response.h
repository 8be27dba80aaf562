// A response before it is put on the wire, and the ways it can be framed there.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct Response {
    int Status = 200;
    std::vector<std::pair<std::string, std::string>> Headers; // besides the framing ones
    std::string Body;

    bool MayHaveBody() const { return Status != 204 && Status != 304; }
};

enum class Framing {
    ContentLength, // the usual: the length in the head, the connection kept if wanted
    Chunked,       // the body in several chunks
    UntilClose,    // no length; the end of the body is the end of the connection
    CloseMidBody,  // the full length announced, half the body sent, then closed
};

// The bytes to send and whether the connection ends after them.
struct WireResponse {
    std::string Bytes;
    bool CloseAfter = false;
};

// The reason phrase of a status ("Not Found"); "Unknown" for codes without one.
std::string_view ReasonPhrase(int status);

// Writes the status line, the headers, the framing headers and the body. A response sent
// with `closeAfter` (or a framing that needs it) says "Connection: close".
WireResponse EncodeResponse(const Response& response, Framing framing, bool closeAfter);
