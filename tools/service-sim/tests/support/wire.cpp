#include "wire.h"

#include <charconv>

std::optional<std::string> WireMessage::Header(std::string_view name) const
{
    for (const auto& [headerName, value] : Headers) {
        if (headerName == name)
            return value;
    }
    return std::nullopt;
}

std::optional<WireMessage> SplitResponse(std::string_view bytes)
{
    std::size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string_view::npos)
        return std::nullopt;
    WireMessage message;
    std::string_view head = bytes.substr(0, headEnd + 2);
    std::size_t lineEnd = head.find("\r\n");
    message.StatusLine = head.substr(0, lineEnd);
    head.remove_prefix(lineEnd + 2);
    while (!head.empty()) {
        lineEnd = head.find("\r\n");
        std::string_view line = head.substr(0, lineEnd);
        head.remove_prefix(lineEnd + 2);
        std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos)
            return std::nullopt;
        message.Headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    message.RawBody = bytes.substr(headEnd + 4);
    return message;
}

std::optional<ChunkedBody> DecodeChunked(std::string_view raw)
{
    ChunkedBody decoded;
    while (true) {
        std::size_t lineEnd = raw.find("\r\n");
        if (lineEnd == std::string_view::npos || lineEnd == 0)
            return std::nullopt;
        std::size_t size = 0;
        auto [stop, error] = std::from_chars(raw.data(), raw.data() + lineEnd, size, 16);
        if (error != std::errc() || stop != raw.data() + lineEnd)
            return std::nullopt;
        raw.remove_prefix(lineEnd + 2);
        if (size == 0)
            return raw == "\r\n" ? std::optional<ChunkedBody>(decoded) : std::nullopt;
        if (raw.size() < size + 2 || raw.substr(size, 2) != "\r\n")
            return std::nullopt;
        decoded.Body += raw.substr(0, size);
        ++decoded.ChunkCount;
        raw.remove_prefix(size + 2);
    }
}
