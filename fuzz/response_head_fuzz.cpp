// A response head as a server sends it, read into the response record: the status code,
// the framing fields, dates, ranges and the authenticate lists.
#include "fuzz_check.h"

#include "net/errors.h"
#include "net/header_records.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string head(reinterpret_cast<const char*>(data), size);
    TIdHTTPResponse response;
    size_t start = 0;
    const size_t lineEnd = head.find('\n');
    response.StatusLine = head.substr(0, lineEnd);
    start = lineEnd == std::string::npos ? head.size() + 1 : lineEnd + 1;
    while (start <= head.size()) {
        size_t end = head.find('\n', start);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        response.RawLines.Add(std::move(line));
        start = end + 1;
    }
    response.StatusCode();
    try {
        response.ParseHeaders();
    } catch (const EConvertError&) {
        return 0;
    } catch (const EIdException&) {
        return 0;
    }
    FUZZ_CHECK(response.ContentLengthGiven == (response.ContentLength() >= 0));
    FUZZ_CHECK(response.WWWAuthenticate.Count() <= response.RawLines.Count());
    return 0;
}
