#include "core/request_header_lines.h"

#include "core/request_origin.h"

#include <cstring>
#include <strings.h>

namespace {

// Header names the request record writes itself. Composing the request would drop a
// profile's line of such a name (when the record has no value) or send it twice, so the
// line's value goes into the record's field for the one request instead.
struct RecordField {
    const char* Name;
    std::string TIdRequestHeaderInfo::*Field;
};

const RecordField RecordFields[] = {
    {"Accept", &TIdRequestHeaderInfo::Accept},
    {"Accept-Charset", &TIdRequestHeaderInfo::AcceptCharSet},
    {"Accept-Encoding", &TIdRequestHeaderInfo::AcceptEncoding},
    {"Accept-Language", &TIdRequestHeaderInfo::AcceptLanguage},
    {"From", &TIdRequestHeaderInfo::From},
    {"Referer", &TIdRequestHeaderInfo::Referer},
    {"User-Agent", &TIdRequestHeaderInfo::UserAgent},
    {"Cache-Control", &TIdEntityHeaderInfo::CacheControl},
    {"Content-Language", &TIdEntityHeaderInfo::ContentLanguage},
    {"Content-Type", &TIdEntityHeaderInfo::ContentType},
    {"Pragma", &TIdEntityHeaderInfo::Pragma},
};

const RecordField* RecordFieldNamed(std::string_view name)
{
    for (const RecordField& field : RecordFields)
        if (name.size() == std::strlen(field.Name) && strncasecmp(name.data(), field.Name, name.size()) == 0)
            return &field;
    return nullptr;
}

} // namespace

HeaderLinesScope::HeaderLinesScope(TIdHTTP& client, const std::string& url, const std::vector<std::string>& headers)
    : FClient(client), FRequest(client.Request()), FPrevious(client.OnRedirect)
{
    for (const std::string& line : headers) {
        const std::size_t colon = line.find(':');
        const std::string_view name = std::string_view(line).substr(0, colon);
        if (const RecordField* field = RecordFieldNamed(name)) {
            std::string& value = FRequest.*(field->Field);
            FSaved.emplace_back(&value, value);
            const std::size_t start = line.find_first_not_of(" \t", colon + 1);
            value = start == std::string::npos ? std::string() : line.substr(start);
        } else {
            FRequest.CustomHeaders.Add(line);
        }
    }
    // A key for one service never reaches another.
    TIdHeaderList& custom = FRequest.CustomHeaders;
    const TIdCustomHTTP::TIdHTTPOnRedirectEvent previous = FPrevious;
    FClient.OnRedirect = [&custom, url, previous, this](TIdCustomHTTP& sender, std::string& dest, int32_t& count,
                                                        bool& handled, TIdHTTPMethod& method) {
        if (!KeepsOrigin(url, dest)) {
            custom.Clear();
            Restore();
        }
        if (previous)
            previous(sender, dest, count, handled, method);
    };
}

HeaderLinesScope::~HeaderLinesScope()
{
    FRequest.CustomHeaders.Clear();
    Restore();
    FClient.OnRedirect = FPrevious;
}

void HeaderLinesScope::Restore()
{
    for (auto& [field, value] : FSaved)
        *field = value;
    FSaved.clear();
}
