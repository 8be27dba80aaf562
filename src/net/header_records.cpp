#include "net/errors.h"
#include "net/header_records.h"
#include "net/number_text.h"
#include "net/text_case.h"

#include <limits>

namespace {

void SetDate(TIdHeaderList& lines, std::string_view name, DateTime date)
{
    if (date > 0)
        lines.SetValueOf(name, FormatInternetDate(date));
}

// A Content-Range number: strictly decimal and within 32 unsigned bits.
uint32_t RangeNumber(std::string_view text)
{
    uint32_t value = 0;
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos)
        throw EConvertError(std::string(text));
    const unsigned long long number = std::stoull(std::string(text));
    if (number > std::numeric_limits<uint32_t>::max())
        throw EConvertError(std::string(text));
    value = static_cast<uint32_t>(number);
    return value;
}

} // namespace

// --- Entity ---------------------------------------------------------------------------------

TIdEntityHeaderInfo::TIdEntityHeaderInfo()
{
    RawLines.FoldWidth = 1024;
    ResetEntityFields();
}

void TIdEntityHeaderInfo::ResetFields()
{
    ResetEntityFields();
}

void TIdEntityHeaderInfo::ResetEntityFields()
{
    Connection.clear();
    ContentVersion.clear();
    ContentEncoding.clear();
    ContentLanguage.clear();
    ContentType = "text/html";
    SetContentLength(-1);
    ContentRangeStart = 0;
    ContentRangeEnd = 0;
    Date = 0;
    Expires = 0;
    LastModified = 0;
    RawLines.Clear();
}

void TIdEntityHeaderInfo::SetContentLength(int32_t length)
{
    FContentLength = length;
    ContentLengthGiven = length >= 0;
}

// --- Request ------------------------------------------------------------------------------

TIdRequestHeaderInfo::TIdRequestHeaderInfo()
{
    // HTTP/1.1 forbids a sender to fold a header line, and servers answer a folded
    // request with 400: a long Cookie value goes out as one line.
    RawLines.FoldOnSet = false;
    ResetRequestFields();
}

void TIdRequestHeaderInfo::ResetFields()
{
    ResetRequestFields();
    TIdEntityHeaderInfo::ResetFields();
}

void TIdRequestHeaderInfo::ResetRequestFields()
{
    Accept = "text/html, */*";
    AcceptCharSet.clear();
    UserAgent = "Mozilla/3.0 (compatible; Talvira)";
    BasicAuthentication = false;
}

void TIdRequestHeaderInfo::ComposeHeaders()
{
    RawLines.Clear();

    RawLines.SetValueOf("Connection", Connection);
    RawLines.SetValueOf("Content-Version", ContentVersion);
    RawLines.SetValueOf("Content-Encoding", ContentEncoding);
    RawLines.SetValueOf("Content-Language", ContentLanguage);
    RawLines.SetValueOf("Content-Type", ContentType);
    if (ContentLength() >= 0)
        RawLines.SetValueOf("Content-Length", std::to_string(ContentLength()));
    RawLines.SetValueOf("Cache-control", CacheControl);
    SetDate(RawLines, "Date", Date);
    SetDate(RawLines, "Expires", Expires);
    RawLines.SetValueOf("Pragma", Pragma);

    RawLines.AddStrings(CustomHeaders);

    RawLines.SetValueOf("Proxy-Connection", ProxyConnection);
    RawLines.SetValueOf("Host", Host);
    RawLines.SetValueOf("Accept", Accept);
    RawLines.SetValueOf("Accept-Charset", AcceptCharSet);
    RawLines.SetValueOf("Accept-Encoding", AcceptEncoding);
    RawLines.SetValueOf("Accept-Language", AcceptLanguage);
    RawLines.SetValueOf("From", From);
    RawLines.SetValueOf("Referer", Referer);
    RawLines.SetValueOf("User-Agent", UserAgent);
    SetDate(RawLines, "If-Modified-Since", LastModified);

    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        std::string range = "bytes=" + std::to_string(ContentRangeStart) + "-";
        if (ContentRangeEnd != 0)
            range += std::to_string(ContentRangeEnd);
        RawLines.SetValueOf("Range", range);
    }

    if (Authenticator) {
        RawLines.SetValueOf("Authorization", Authenticator->Authentication());
    } else if (BasicAuthentication) {
        Authenticator = std::make_unique<TIdBasicAuthentication>();
        Authenticator->SetUsername(Username);
        Authenticator->SetPassword(Password);
        RawLines.SetValueOf("Authorization", Authenticator->Authentication());
    }
}

// --- Response -----------------------------------------------------------------------------

TIdResponseHeaderInfo::TIdResponseHeaderInfo()
{
    ResetResponseFields();
}

void TIdResponseHeaderInfo::ResetFields()
{
    TIdEntityHeaderInfo::ResetFields();
    ResetResponseFields();
}

void TIdResponseHeaderInfo::ResetResponseFields()
{
    Location.clear();
    Server.clear();
    WWWAuthenticate.Clear();
    ProxyAuthenticate.Clear();
}

void TIdResponseHeaderInfo::ParseHeaders()
{
    Location = RawLines.ValueOf("Location");
    Server = RawLines.ValueOf("Server");
    ProxyConnection = RawLines.ValueOf("Proxy-Connection");

    std::string range = RawLines.ValueOf("Content-Range");
    if (!range.empty()) {
        const size_t space = range.find(' ');
        range = space == std::string::npos ? std::string() : range.substr(space + 1);
        const size_t dash = range.find('-');
        const std::string start = range.substr(0, dash);
        const std::string afterDash = dash == std::string::npos ? std::string() : range.substr(dash + 1);
        const std::string end = afterDash.substr(0, afterDash.find('/'));
        ContentRangeStart = RangeNumber(start);
        ContentRangeEnd = RangeNumber(end);
    }

    WWWAuthenticate.Clear();
    RawLines.ExtractAll("WWW-Authenticate", &WWWAuthenticate);
    ProxyAuthenticate.Clear();
    RawLines.ExtractAll("Proxy-Authenticate", &ProxyAuthenticate);

    Connection = RawLines.ValueOf("Connection");
    ContentVersion = RawLines.ValueOf("Content-Version");
    ContentEncoding = RawLines.ValueOf("Content-Encoding");
    ContentLanguage = RawLines.ValueOf("Content-Language");
    ContentType = RawLines.ValueOf("Content-Type");
    SetContentLength(StrToIntDef(Trim(RawLines.ValueOf("Content-Length")), -1));
    Date = InternetDateToLocal(RawLines.ValueOf("Date"));
    LastModified = InternetDateToLocal(RawLines.ValueOf("Last-Modified"));
    const std::string expires = RawLines.ValueOf("Expires");
    int32_t seconds = 0;
    if (TryStrToInt(expires, seconds) && seconds != -1)
        Expires = LocalNow() + seconds / SecondsPerDay;
    else
        Expires = InternetDateToLocal(expires);
    Pragma = RawLines.ValueOf("Pragma");
}

// --- Proxy settings -----------------------------------------------------------------------

void TIdProxyConnectionInfo::ResetFields()
{
    SetProxyServer({});
    ProxyUsername.clear();
    ProxyPassword.clear();
    SetProxyPort(0);
}

void TIdProxyConnectionInfo::ComposeHeaders(TIdHeaderList& lines)
{
    if (Authenticator) {
        lines.SetValueOf("Proxy-Authorization", Authenticator->Authentication());
    } else if (BasicAuthentication) {
        Authenticator = std::make_unique<TIdBasicAuthentication>();
        Authenticator->SetUsername(ProxyUsername);
        Authenticator->SetPassword(ProxyPassword);
        lines.SetValueOf("Proxy-Authorization", Authenticator->Authentication());
    }
}

void TIdProxyConnectionInfo::SetProxyServer(std::string server)
{
    if (!SameTextAscii(server, FProxyServer))
        Authenticator.reset();
    FProxyServer = std::move(server);
}

void TIdProxyConnectionInfo::SetProxyPort(int32_t port)
{
    if (port != FProxyPort)
        Authenticator.reset();
    FProxyPort = port;
}

// --- Exchange records -----------------------------------------------------------------------

int TIdHTTPResponse::StatusCode() const
{
    const size_t space = StatusLine.find(' ');
    if (space == std::string::npos)
        return -1;
    const std::string_view rest = TrimView(std::string_view(StatusLine).substr(space + 1));
    return StrToIntDef(rest.substr(0, rest.find(' ')), -1);
}
