// Reading responses the way a client must: head, headers, and the body by its framing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct WireMessage {
    std::string StatusLine;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string RawBody; // everything after the head, as sent

    // The value of the first header of that name (exact case), if any.
    std::optional<std::string> Header(std::string_view name) const;
};

// Splits raw response bytes at the end of the head; empty when there is no complete head.
std::optional<WireMessage> SplitResponse(std::string_view bytes);

struct ChunkedBody {
    std::string Body;
    int ChunkCount = 0; // not counting the last, empty one
};

// Decodes a complete chunked body that ends with the zero chunk and its empty line and
// has nothing after it; empty when it is not one.
std::optional<ChunkedBody> DecodeChunked(std::string_view raw);
