#include "request.h"

#include "ascii.h"

#include <charconv>

std::optional<std::string> Request::Header(std::string_view name) const
{
    for (const auto& [headerName, value] : Headers) {
        if (EqualsIgnoringAsciiCase(headerName, name))
            return value;
    }
    return std::nullopt;
}

const QueryParameter* Request::Parameter(std::string_view name) const
{
    for (const QueryParameter& parameter : Parameters) {
        if (parameter.Name == name)
            return &parameter;
    }
    return nullptr;
}

bool Request::WantsClose() const
{
    std::string connection = AsciiLowered(Header("Connection").value_or(""));
    if (Version == "HTTP/1.0")
        return connection != "keep-alive";
    return connection == "close";
}

std::size_t Request::BodyLength() const
{
    std::optional<std::string> text = Header("Content-Length");
    if (!text)
        return 0;
    std::size_t length = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), length);
    if (error != std::errc() || end != text->data() + text->size())
        return 0;
    return length;
}

std::size_t FindHeadLength(std::string_view buffer)
{
    // The head ends at the first line that is empty (nothing, or a lone CR, before its LF).
    std::size_t lineStart = 0;
    while (true) {
        std::size_t lineFeed = buffer.find('\n', lineStart);
        if (lineFeed == std::string_view::npos)
            return 0;
        std::string_view line = buffer.substr(lineStart, lineFeed - lineStart);
        if (lineStart > 0 && (line.empty() || line == "\r"))
            return lineFeed + 1;
        lineStart = lineFeed + 1;
    }
}

static std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::optional<Request> ParseRequestHead(std::string_view head)
{
    std::size_t lineEnd = head.find('\n');
    if (lineEnd == std::string_view::npos)
        return std::nullopt;
    std::string_view requestLine = WithoutCarriageReturn(head.substr(0, lineEnd));

    // The target lies between the first and the last space, so stray bytes inside it
    // do not break the line apart.
    std::size_t firstSpace = requestLine.find(' ');
    std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace <= firstSpace + 1)
        return std::nullopt;

    Request request;
    request.Method = requestLine.substr(0, firstSpace);
    request.Target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    request.Version = requestLine.substr(lastSpace + 1);
    if (request.Method.empty() || !request.Version.starts_with("HTTP/"))
        return std::nullopt;

    std::size_t questionMark = request.Target.find('?');
    request.Path = request.Target.substr(0, questionMark);
    if (questionMark != std::string::npos)
        request.Parameters = ParseQuery(std::string_view(request.Target).substr(questionMark + 1));

    std::size_t lineStart = lineEnd + 1;
    while (lineStart < head.size()) {
        lineEnd = head.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = head.size();
        std::string_view line = WithoutCarriageReturn(head.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        request.Headers.emplace_back(std::string(TrimBlanks(line.substr(0, colon))),
            std::string(TrimBlanks(line.substr(colon + 1))));
    }
    return request;
}

std::vector<QueryParameter> ParseQuery(std::string_view query)
{
    std::vector<QueryParameter> parameters;
    while (!query.empty()) {
        std::size_t ampersand = query.find('&');
        std::string_view item = query.substr(0, ampersand);
        query = ampersand == std::string_view::npos ? std::string_view() : query.substr(ampersand + 1);
        if (item.empty())
            continue;
        std::size_t equals = item.find('=');
        QueryParameter parameter;
        parameter.Name = item.substr(0, equals);
        if (equals != std::string_view::npos)
            parameter.Value = DecodeQueryComponent(item.substr(equals + 1));
        parameters.push_back(std::move(parameter));
    }
    return parameters;
}

static int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string DecodeQueryComponent(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}
