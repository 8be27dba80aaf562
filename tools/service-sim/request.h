// One HTTP request as the simulator reads it: the request line split into its three
// words, the header lines, and the query parameters of the target. Parsing is lenient,
// because the client under test sends its URLs unencoded: a target may hold raw bytes
// above 127, control characters, even a space.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct QueryParameter {
    std::string Name;  // as sent
    std::string Value; // decoded: "+" is a space, "%xx" is that byte
};

struct Request {
    std::string Method;
    std::string Target; // as sent, query included
    std::string Version; // "HTTP/1.1"
    std::string Path;    // the target up to its first "?"
    std::vector<std::pair<std::string, std::string>> Headers; // name and trimmed value
    std::vector<QueryParameter> Parameters;

    // The value of the first header of that name (any case), if there is one.
    std::optional<std::string> Header(std::string_view name) const;
    // The first parameter of that name (exact case), if there is one.
    const QueryParameter* Parameter(std::string_view name) const;
    // HTTP/1.1 keeps the connection unless the client says "close"; HTTP/1.0 closes it
    // unless the client says "keep-alive".
    bool WantsClose() const;
    // Length of a request body announced with Content-Length; 0 when there is none.
    std::size_t BodyLength() const;
};

// The length of the head at the start of the buffer, its ending empty line included, or
// 0 while the head is incomplete. Lines may end in CR LF or in a lone LF.
std::size_t FindHeadLength(std::string_view buffer);

// Reads a complete head (as found by FindHeadLength). Empty when the request line does
// not have a method, a target and an "HTTP/" version.
std::optional<Request> ParseRequestHead(std::string_view head);

// Splits a query at "&" into parameters; each one's name is cut at its first "=".
std::vector<QueryParameter> ParseQuery(std::string_view query);

// Form decoding of one query component: "+" becomes a space and "%" with two hex digits
// becomes that byte; a "%" without two hex digits after it stays as it is.
std::string DecodeQueryComponent(std::string_view text);
